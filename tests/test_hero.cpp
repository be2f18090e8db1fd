#include "test_game_support.h"

using namespace qv::Keyboard;

class HeroTest : public GameWorldTest
{
protected:
    void SetUp() override
    {
        GameWorldTest::SetUp();
        hero = new Hero;
        hero->setPosition(qv::Vector(40.7f, 12.4f));
        heard = listen({HERO_MOVED_EVENT, DELETE_EVENT});
    }

    // A fresh hunger bar, the last one gone, and the hero back at its place.
    void restartHunger()
    {
        if (hunger != nullptr)
            world().markForDelete(hunger);
        world().update();
        hunger = new Hunger;
        hero->setPosition(qv::Vector(40.7f, 12.4f));
    }

    Hero *hero = nullptr;
    Hunger *hunger = nullptr;
    RecordingObject *heard = nullptr;
};

// Each case: running or not, the velocity before, the key and its action, the velocity after.
TEST_F(HeroTest, VelocityFollowsEveryKeyAndActionWalkingAndRunning)
{
    const int on = qv::KEY_PRESSED, off = qv::KEY_RELEASED, held = qv::KEY_DOWN;
    const float x = 0.2f, y = -0.1f;
    const std::tuple<bool, float, float, int, int, float, float> cases[] = {
        {false, 0, 0, LEFT_ARROW, on, -0.33f, 0},      {false, x, y, UP_ARROW, on, x, -0.15f},
        {false, x, y, DOWN_ARROW, on, x, 0.15f},       {false, 0.33f, 0, LEFT_ARROW, off, 0, 0},
        {false, x, y, RIGHT_ARROW, off, 0, y},         {false, x, y, UP_ARROW, off, x, 0},
        {false, x, y, LEFT_ARROW, held, x, y},         {false, x, y, A, on, x, y},
        {false, 0.33f, 0.15f, SPACE, on, 0.66f, 0.3f}, {true, 0.66f, 0.3f, SPACE, held, 0.66f, 0.3f},
        {true, 0.66f, 0.3f, SPACE, off, 0.33f, 0.15f}, {true, 0, 0, LEFT_ARROW, on, -0.66f, 0},
        {true, 0, 0.3f, RIGHT_ARROW, on, 0.66f, 0.3f}, {true, 0.66f, 0, UP_ARROW, on, 0.66f, -0.3f},
        {true, 0.66f, 0.3f, DOWN_ARROW, off, 0.66f, 0}};
    for (const auto &[fast, before_x, before_y, k, action, after_x, after_y] : cases)
    {
        SCOPED_TRACE("key " + std::to_string(k) + " action " + std::to_string(action) + (fast ? " running" : ""));
        if (fast != hero->isFast())
            key(SPACE, fast ? qv::KEY_PRESSED : qv::KEY_RELEASED);
        hero->setVelocity(qv::Vector(before_x, before_y));
        key(k, action);
        EXPECT_NEAR(hero->getVelocity().getX(), after_x, 1e-5f);
        EXPECT_NEAR(hero->getVelocity().getY(), after_y, 1e-5f);
        EXPECT_EQ(hero->isFast(), k == SPACE ? action != qv::KEY_RELEASED : fast);
        // The walk runs while the hero moves and stands on its first frame otherwise.
        EXPECT_TRUE(k == SPACE || isFrozen(hero) == (hero->getSpeed() == 0));
    }
}

TEST_F(HeroTest, EveryArrowEventSaysTheHeroMovedEvenWhenBlockedAndQQuits)
{
    for (const int arrow : {LEFT_ARROW, RIGHT_ARROW, UP_ARROW, DOWN_ARROW, A, SPACE, B})
        for (const int action : {qv::KEY_PRESSED, qv::KEY_DOWN, qv::KEY_RELEASED})
            key(arrow, action);
    EXPECT_EQ(seen(heard, HERO_MOVED_EVENT), 12);
    (new Wall(0, 10))->setPosition(qv::Vector(42.5f, 12));
    key(RIGHT_ARROW, qv::KEY_PRESSED);
    for (int i = 0; i < 10; i++, pass())
        key(RIGHT_ARROW, qv::KEY_DOWN);
    EXPECT_EQ(hero->getPosition(), qv::Vector(40.7f, 12.4f));
    EXPECT_EQ(seen(heard, HERO_MOVED_EVENT), 23);
    EXPECT_FALSE(qv::GameManager::getInstance().getGameOver());
    key(Q, qv::KEY_PRESSED);
    EXPECT_TRUE(qv::GameManager::getInstance().getGameOver());
}

TEST_F(HeroTest, OneAttackAtATimeLivesFiveStepsOrFiveMoreAfterItLands)
{
    for (const bool lands : {false, true})
    {
        SCOPED_TRACE(lands);
        key(A, qv::KEY_PRESSED);
        AttackRange *p_attack = hero->getAttackObject();
        ASSERT_NE(p_attack, nullptr);
        EXPECT_TRUE(p_attack->getPosition() == qv::Vector(40, 12) && !p_attack->isVisible());
        pass(3);
        if (lands)
            send(EventMonsterHit());
        EXPECT_EQ(p_attack->getSolidness(), lands ? qv::SPECTRAL : qv::SOFT);
        key(A, qv::KEY_PRESSED);
        pass(lands ? 4 : 1);
        EXPECT_EQ(objects("AttackObj"), 1);
        pass();
        EXPECT_EQ(objects("AttackObj"), 0);
    }
}

// Each case: running or not, how many walking events, how many monster touches, the value after.
TEST_F(HeroTest, HungerLosesAPointPer51WalkingEventsThreeTimesFasterRunningAndFiveEveryEleventhTouch)
{
    const std::tuple<bool, int, int, int> cases[] = {
        {false, 50, 0, 100}, {false, 51, 0, 99}, {false, 101, 0, 99}, {false, 102, 0, 98}, {false, 510, 0, 90},
        {true, 17, 0, 100},  {true, 18, 0, 99},  {true, 35, 0, 99},   {true, 36, 0, 98},   {false, 0, 10, 100},
        {false, 0, 11, 95},  {false, 0, 21, 95}, {false, 0, 22, 90},  {false, 0, 55, 75},  {true, 18, 11, 94}};
    for (const auto &[running, walk, touches, value] : cases)
    {
        SCOPED_TRACE(std::to_string(walk) + (running ? " running, " : " walking, ") + std::to_string(touches));
        restartHunger();
        key(SPACE, running ? qv::KEY_PRESSED : qv::KEY_RELEASED);
        for (int i = 0; i < walk; i++)
            key(RIGHT_ARROW, qv::KEY_DOWN);
        for (int i = 0; i < touches; i++)
            send(EventPlayerHit());
        EXPECT_EQ(hunger->getValue(), value);
    }
}

TEST_F(HeroTest, FoodEatenOnceRaisesTheHungerBarPastAHundredAndALandedAttackAddsOne)
{
    for (const auto &[kind, value] : {std::pair{0, 103}, {2, 103}, {1, 110}})
    {
        restartHunger();
        (new Food(kind))->setPosition(qv::Vector(43.7f, 12.4f));
        key(RIGHT_ARROW, qv::KEY_PRESSED);
        pass(30);
        EXPECT_EQ(hunger->getValue(), value) << kind;
        EXPECT_EQ(objects("Food"), 0) << kind;
    }
    send(EventMonsterHit());
    EXPECT_EQ(hunger->getValue(), 111);
}
