#include "EventDeleteInstance.h"
#include "EventGameOver.h"
#include "EventKeyboard.h"
#include "EventStairs.h"
#include "EventStep.h"
#include "FloorNum.h"
#include "Food.h"
#include "Hunger.h"
#include "InputManager.h"
#include "Monster.h"
#include "test_game_support.h"

class HungerTest : public GameWorldTest
{
protected:
    void SetUp() override
    {
        GameWorldTest::SetUp();
        hero = new Hero;
        hero->setPosition(qv::Vector(300, 40));
        hunger = new Hunger;
        ended = new RecordingObject;
        ended->setPosition(qv::Vector(600, 90));
        ended->registerInterest(GAME_OVER_EVENT);
    }

    // Holds the right arrow for `count` events without moving the world on.
    static void walkEvents(int count)
    {
        for (int i = 0; i < count; i++)
            key(qv::Keyboard::RIGHT_ARROW, qv::KEY_DOWN);
    }

    // A monster next to the hero bumps into it `count` times.
    void monsterTouches(int count)
    {
        if (toucher == nullptr)
        {
            toucher = new Monster(hero);
            toucher->setPosition(qv::Vector(hero->getPosition().getX() - 8, hero->getPosition().getY()));
        }
        for (int i = 0; i < count; i++)
            world().moveObject(toucher, qv::Vector(hero->getPosition().getX() - 2, hero->getPosition().getY()));
    }

    int hungerBars() { return world().objectsOfType(hunger_type).getCount(); }

    Hero *hero = nullptr;
    Hunger *hunger = nullptr;
    Monster *toucher = nullptr;       // bumps into the hero on demand
    RecordingObject *ended = nullptr; // hears "game-over"
    const std::string hunger_type = "ViewObject";
};

TEST_F(HungerTest, StartsFullAtTheTopLeft)
{
    EXPECT_EQ(hunger->getValue(), 100);
    EXPECT_EQ(hunger->getViewString(), "Hunger");
    EXPECT_EQ(hunger->getLocation(), qv::TOP_LEFT);
    EXPECT_EQ(hunger->getColor(), qv::WHITE);
    EXPECT_EQ(hunger->getPlayerHitTimer(), 10);
    EXPECT_EQ(hunger->getHungerTimer(), 50);
    EXPECT_FALSE(hunger->isGameOverSent());
}

TEST_F(HungerTest, WalkingCostsAPointPer51EventsRunningThreeTimesFaster)
{
    struct Case
    {
        bool running;
        int events;
        int value;
    };
    const Case cases[] = {
        {false, 50, 100}, {false, 51, 99}, {false, 101, 99}, {false, 102, 98}, {false, 510, 90},
        {true, 17, 100},  {true, 18, 99},  {true, 35, 99},   {true, 36, 98},   {true, 180, 90},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(std::string(c.running ? "running " : "walking ") + std::to_string(c.events));
        Hunger *fresh = new Hunger;
        world().markForDelete(hunger);
        hunger = fresh;
        if (c.running)
            key(qv::Keyboard::SPACE, qv::KEY_PRESSED);
        walkEvents(c.events);
        EXPECT_EQ(hunger->getValue(), c.value);
        if (c.running)
            key(qv::Keyboard::SPACE, qv::KEY_RELEASED);
        world().update();
    }
}

TEST_F(HungerTest, EveryEleventhMonsterTouchCostsFive)
{
    struct Step
    {
        int touches;
        int value;
    };
    const Step steps_in_order[] = {{10, 100}, {1, 95}, {9, 95}, {1, 95}, {1, 90}, {22, 80}};
    int total = 0;
    for (const Step &s : steps_in_order)
    {
        total += s.touches;
        SCOPED_TRACE(total);
        monsterTouches(s.touches);
        EXPECT_EQ(hunger->getValue(), s.value);
    }
    EXPECT_EQ(ended->received.size(), 0u);
}

TEST_F(HungerTest, FoodRaisesTheBarPastAHundred)
{
    struct Case
    {
        int kind;
        int value;
    };
    const Case cases[] = {{0, 103}, {2, 103}, {1, 110}};
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.kind);
        Hunger *fresh = new Hunger;
        world().markForDelete(hunger);
        hunger = fresh;
        hero->setPosition(qv::Vector(300, 40));
        Food *food = new Food(c.kind);
        food->setPosition(qv::Vector(303, 40));
        RecordingObject *remover = new RecordingObject;
        remover->setPosition(qv::Vector(600, 80));
        remover->registerInterest(DELETE_EVENT);
        remover->on_event = [this](const qv::Event *p_event)
        {
            const EventDeleteInstance *p_delete = dynamic_cast<const EventDeleteInstance *>(p_event);
            ASSERT_NE(p_delete, nullptr);
            world().markForDelete(p_delete->getObject());
        };

        key(qv::Keyboard::RIGHT_ARROW, qv::KEY_PRESSED);
        for (int i = 0; i < 30; i++)
            pass();
        key(qv::Keyboard::RIGHT_ARROW, qv::KEY_RELEASED);
        EXPECT_EQ(hunger->getValue(), c.value);
        EXPECT_EQ(remover->received, (std::vector<std::string>{"delete_event"}));
        EXPECT_EQ(world().objectsOfType("Food").getCount(), 0);
        world().markForDelete(remover);
        world().update();
    }
}

TEST_F(HungerTest, UneatenFoodLeftInPlaceFeedsOnlyOnce)
{
    Food *food = new Food(1);
    food->setPosition(qv::Vector(302, 40));
    key(qv::Keyboard::RIGHT_ARROW, qv::KEY_PRESSED);
    for (int i = 0; i < 20; i++)
        pass();
    EXPECT_EQ(hunger->getValue(), 110);
}

TEST_F(HungerTest, LandedAttackOnAMonsterGivesAPoint)
{
    hero->setPosition(qv::Vector(100, 10));
    Monster *monster = new Monster(hero);
    monster->setPosition(qv::Vector(106, 10));
    for (int i = 0; i < 200 && hunger->getValue() == 100; i++)
    {
        if (hero->getAttackObject() == nullptr && hero->getAttackTimer() == ATTACK_STEPS)
            key(qv::Keyboard::A, qv::KEY_PRESSED);
        pass();
    }
    EXPECT_EQ(hunger->getValue(), 101);
    EXPECT_EQ(monster->getHitCounter(), 1);
}

TEST_F(HungerTest, EmptyBarAnnouncesGameOverOnceAndLeaves)
{
    struct Case
    {
        const char *name;
        int start;
        int walk_events;
        int touches;
    };
    const Case cases[] = {
        {"walking", 1, 51, 0},
        {"monster touches", 5, 0, 11},
        {"far below zero", 3, 0, 11},
    };
    // Each bar removes itself at game over.
    world().markForDelete(hunger);
    world().update();
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        ended->received.clear();
        hunger = new Hunger;
        hunger->setValue(c.start);
        ASSERT_EQ(hungerBars(), 1);

        walkEvents(c.walk_events);
        monsterTouches(c.touches);
        EXPECT_LT(hunger->getValue(), 1);
        EXPECT_TRUE(hunger->isGameOverSent());
        EXPECT_EQ(ended->received, (std::vector<std::string>{"game-over"}));
        EXPECT_TRUE(hero->isDead());

        // Hits and walking that arrive before the deletion takes effect announce nothing more.
        monsterTouches(30);
        walkEvents(120);
        EXPECT_EQ(ended->received.size(), 1u);
        world().update();
        EXPECT_EQ(hungerBars(), 0);
        if (toucher != nullptr)
        {
            world().markForDelete(toucher);
            toucher = nullptr;
        }
        world().update();
    }
}

TEST_F(HungerTest, FloorCounterCountsStairsAndLeavesAtGameOver)
{
    FloorNum *floor = new FloorNum;
    EXPECT_EQ(floor->getViewString(), "FLOOR");
    EXPECT_EQ(floor->getLocation(), qv::TOP_RIGHT);
    EXPECT_EQ(floor->getColor(), qv::WHITE);
    EXPECT_EQ(floor->getValue(), 1);
    for (int expected = 2; expected <= 4; expected++)
    {
        EventStairs stairs;
        world().onEvent(&stairs);
        EXPECT_EQ(floor->getValue(), expected);
    }
    ASSERT_EQ(hungerBars(), 2);
    hunger->setValue(1);
    walkEvents(51);
    world().update();
    EXPECT_EQ(hungerBars(), 0);
}
