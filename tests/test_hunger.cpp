#include "EventMonsterHit.h"
#include "EventPlayerHit.h"
#include "Food.h"
#include "Hunger.h"
#include "test_game_support.h"

#include <tuple>

using namespace qv::Keyboard;

class HungerTest : public GameWorldTest
{
protected:
    void SetUp() override
    {
        GameWorldTest::SetUp();
        hero = new Hero;
    }

    // A fresh bar at 100, the last one gone, and the hero back at its place.
    void restart()
    {
        if (hunger != nullptr)
            world().markForDelete(hunger);
        world().update();
        hunger = new Hunger;
        hero->setPosition(qv::Vector(300, 40));
    }

    Hero *hero = nullptr;
    Hunger *hunger = nullptr;
};

// Each case: running or not, how many walking events, how many monster touches, the value after.
TEST_F(HungerTest, WalkingCostsAPointPer51EventsRunningThreeTimesFasterAndEveryEleventhTouchFive)
{
    const std::tuple<bool, int, int, int> cases[] = {
        {false, 50, 0, 100}, {false, 51, 0, 99}, {false, 101, 0, 99}, {false, 102, 0, 98}, {false, 510, 0, 90},
        {true, 17, 0, 100},  {true, 18, 0, 99},  {true, 35, 0, 99},   {true, 36, 0, 98},   {false, 0, 10, 100},
        {false, 0, 11, 95},  {false, 0, 21, 95}, {false, 0, 22, 90},  {false, 0, 55, 75},  {true, 18, 11, 94}};
    for (const auto &[running, walk, touches, value] : cases)
    {
        SCOPED_TRACE(std::to_string(walk) + (running ? " running, " : " walking, ") + std::to_string(touches));
        restart();
        key(SPACE, running ? qv::KEY_PRESSED : qv::KEY_RELEASED);
        for (int i = 0; i < walk; i++)
            key(RIGHT_ARROW, qv::KEY_DOWN);
        for (int i = 0; i < touches; i++)
            send(EventPlayerHit());
        EXPECT_EQ(hunger->getValue(), value);
    }
}

TEST_F(HungerTest, FoodEatenOnceRaisesTheBarPastAHundredAndALandedAttackAddsOne)
{
    listen({DELETE_EVENT});
    for (const auto &[kind, value] : {std::pair{0, 103}, {2, 103}, {1, 110}})
    {
        SCOPED_TRACE(kind);
        restart();
        (new Food(kind))->setPosition(qv::Vector(303, 40));
        key(RIGHT_ARROW, qv::KEY_PRESSED);
        pass(30);
        key(RIGHT_ARROW, qv::KEY_RELEASED);
        EXPECT_EQ(hunger->getValue(), value);
        EXPECT_EQ(objects("Food"), 0);
    }
    send(EventMonsterHit());
    EXPECT_EQ(hunger->getValue(), 111);
}
