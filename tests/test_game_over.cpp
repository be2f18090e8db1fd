#include "EventGameOver.h"
#include "EventKeyboard.h"
#include "EventStep.h"
#include "FloorNum.h"
#include "Hunger.h"
#include "InputManager.h"
#include "ObjectListIterator.h"
#include "Sprite.h"
#include "Stairs.h"
#include "test_game_support.h"

#include <cstdlib>

// A whole game from the title: the hero, its floor and the two displays, driven by keys and passes.
class GameOverTest : public GameWorldTest
{
protected:
    void SetUp() override
    {
        setenv("ALSOFT_DRIVERS", "null", 0);
        GameWorldTest::SetUp();
        std::srand(SEED);
        title = new GameStart;
        key(qv::Keyboard::P, qv::KEY_PRESSED);
        key(qv::Keyboard::P, qv::KEY_RELEASED);
        ASSERT_TRUE(title->isStarted());
        hero = title->getHero();
        const qv::ObjectList displays = world().objectsOfType("ViewObject");
        qv::ObjectListIterator it(&displays);
        for (it.first(); !it.isDone(); it.next())
        {
            if (dynamic_cast<Hunger *>(it.currentObject()) != nullptr)
                hunger = dynamic_cast<Hunger *>(it.currentObject());
            if (dynamic_cast<FloorNum *>(it.currentObject()) != nullptr)
                floor = dynamic_cast<FloorNum *>(it.currentObject());
        }
        ASSERT_NE(hunger, nullptr);
        ASSERT_NE(floor, nullptr);
        ended = new RecordingObject;
        ended->setPosition(qv::Vector(640, 96));
        ended->registerInterest(GAME_OVER_EVENT);
    }

    static int count(const std::string &type) { return world().objectsOfType(type).getCount(); }

    // Puts the hero left of the stairs and walks it right until the floor counter moves.
    void takeTheStairs()
    {
        Stairs *stairs = title->getMap()->getStairs();
        ASSERT_NE(stairs, nullptr);
        const int floor_before = floor->getValue();
        hero->setPosition(qv::Vector(stairs->getPosition().getX() - 6, stairs->getPosition().getY()));
        key(qv::Keyboard::RIGHT_ARROW, qv::KEY_PRESSED);
        for (int i = 0; i < 40 && floor->getValue() == floor_before; i++)
            pass();
        key(qv::Keyboard::RIGHT_ARROW, qv::KEY_RELEASED);
        pass();
    }

    static const unsigned SEED = 11;
    GameStart *title = nullptr;
    Hero *hero = nullptr;
    Hunger *hunger = nullptr;
    FloorNum *floor = nullptr;
    RecordingObject *ended = nullptr; // hears "game-over"
};

TEST_F(GameOverTest, StairsLeadToANewFloorCountedOnScreenWithHungerKept)
{
    // Hungrier than at the start, so that a fresh bar would show.
    for (int i = 0; i < 102; i++)
        key(qv::Keyboard::RIGHT_ARROW, qv::KEY_DOWN);
    key(qv::Keyboard::RIGHT_ARROW, qv::KEY_RELEASED);
    ASSERT_EQ(hunger->getValue(), 98);
    EXPECT_EQ(floor->getValue(), 1);

    for (int expected = 2; expected <= 3; expected++)
    {
        SCOPED_TRACE(expected);
        const Stairs *old_stairs = title->getMap()->getStairs();
        const int value = hunger->getValue();
        takeTheStairs();
        EXPECT_EQ(floor->getValue(), expected);
        EXPECT_EQ(logCount("DONE CREATING LEVEL GEOMETRY"), expected);
        EXPECT_NE(title->getMap()->getStairs(), old_stairs);
        EXPECT_EQ(count("Stairs"), 1);
        EXPECT_EQ(count("Monster"), static_cast<int>(title->getMap()->getMonsters().size()));
        EXPECT_EQ(count("ViewObject"), 2);
        EXPECT_EQ(hunger->getValue(), value);
    }
    EXPECT_EQ(ended->received.size(), 0u);
}

TEST_F(GameOverTest, EmptyBarEndsPlayOnceLeavingTheDeadHeroOnAClearedFloor)
{
    ASSERT_GT(count("Wall"), 0);
    ASSERT_GT(count("Monster"), 0);
    hunger->setValue(1);
    for (int i = 0; i < 51; i++)
        key(qv::Keyboard::RIGHT_ARROW, qv::KEY_DOWN);
    EXPECT_EQ(ended->received, (std::vector<std::string>{"game-over"}));
    pass();

    for (const char *type : {"Wall", "Monster", "Food", "Stairs", "ViewObject", "AttackObj"})
        EXPECT_EQ(count(type), 0) << type;
    EXPECT_EQ(count("Hero"), 1);
    EXPECT_TRUE(hero->isDead());
    EXPECT_EQ(spriteOf(hero), "dead2");
    EXPECT_TRUE(logHas("GAME IS OVER"));

    // Arrows, attacks and P do nothing now; the loop goes on and only Q ends it.
    const qv::Vector where = hero->getPosition();
    using namespace qv::Keyboard;
    for (int k : {RIGHT_ARROW, LEFT_ARROW, UP_ARROW, DOWN_ARROW, A, SPACE})
        key(k, qv::KEY_PRESSED);
    key(P, qv::KEY_RELEASED);
    for (int i = 0; i < 30; i++)
        pass();
    EXPECT_EQ(hero->getPosition(), where);
    EXPECT_EQ(spriteOf(hero), "dead2");
    EXPECT_EQ(count("Wall"), 0);
    EXPECT_EQ(count("AttackObj"), 0);
    EXPECT_EQ(logCount("DONE CREATING LEVEL GEOMETRY"), 1);
    EXPECT_EQ(ended->received.size(), 1u);
    EXPECT_FALSE(qv::GameManager::getInstance().getGameOver());

    key(Q, qv::KEY_PRESSED);
    EXPECT_TRUE(qv::GameManager::getInstance().getGameOver());
}
