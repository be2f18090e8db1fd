#include "AttackRange.h"
#include "EventGameOver.h"
#include "EventHeroMoved.h"
#include "EventKeyboard.h"
#include "EventMonsterHit.h"
#include "EventPlayerHit.h"
#include "EventStairs.h"
#include "EventStep.h"
#include "InputManager.h"
#include "Sprite.h"
#include "Stairs.h"
#include "Wall.h"
#include "test_game_support.h"

#include <cmath>

namespace
{

const float EPSILON = 1e-5f;

} // namespace

class HeroTest : public GameWorldTest
{
protected:
    void SetUp() override
    {
        GameWorldTest::SetUp();
        hero = new Hero;
        hero->setPosition(qv::Vector(40.7f, 12.4f));
        moved = new RecordingObject;
        moved->setPosition(qv::Vector(600, 90));
        moved->registerInterest(HERO_MOVED_EVENT);
        moved->on_event = [this](const qv::Event *p_event)
        {
            const EventHeroMoved *p_moved = dynamic_cast<const EventHeroMoved *>(p_event);
            EXPECT_TRUE(p_moved != nullptr && p_moved->getObject() == hero);
        };
    }

    // Delivers a key event as the input manager does.
    void expectVelocity(qv::Vector expected) const
    {
        EXPECT_NEAR(hero->getVelocity().getX(), expected.getX(), EPSILON);
        EXPECT_NEAR(hero->getVelocity().getY(), expected.getY(), EPSILON);
    }

    int attackObjects() { return world().objectsOfType("AttackObj").getCount(); }

    Hero *hero = nullptr;
    RecordingObject *moved = nullptr; // receives "hero_moved"
};

TEST_F(HeroTest, StartsStandingHiddenNothingAndFrozen)
{
    EXPECT_EQ(hero->getType(), "Hero");
    EXPECT_EQ(hero->getSolidness(), qv::HARD);
    EXPECT_EQ(hero->getAltitude(), 4);
    EXPECT_EQ(hero->getSpeed(), 0);
    EXPECT_EQ(spriteOf(hero), "walk");
    EXPECT_TRUE(isFrozen(hero));
    EXPECT_EQ(hero->getAnimation().getIndex(), 0);
    EXPECT_FALSE(hero->isFast());
    EXPECT_EQ(hero->getAttackTimer(), 5);
}

TEST_F(HeroTest, VelocityFollowsEveryKeyAndAction)
{
    using namespace qv::Keyboard;
    struct Case
    {
        bool fast;
        qv::Vector before;
        int key;
        int action;
        qv::Vector after;
    };
    const qv::Vector v(0.2f, -0.1f);
    const Case cases[] = {
        {false, qv::Vector(0, 0), LEFT_ARROW, qv::KEY_PRESSED, qv::Vector(-0.33f, 0)},
        {false, qv::Vector(0, 0), RIGHT_ARROW, qv::KEY_PRESSED, qv::Vector(0.33f, 0)},
        {false, qv::Vector(0, 0), UP_ARROW, qv::KEY_PRESSED, qv::Vector(0, -0.15f)},
        {false, qv::Vector(0, 0), DOWN_ARROW, qv::KEY_PRESSED, qv::Vector(0, 0.15f)},
        {false, v, LEFT_ARROW, qv::KEY_PRESSED, qv::Vector(-0.33f, -0.1f)},
        {false, v, UP_ARROW, qv::KEY_PRESSED, qv::Vector(0.2f, -0.15f)},
        {false, v, LEFT_ARROW, qv::KEY_RELEASED, qv::Vector(0, -0.1f)},
        {false, v, RIGHT_ARROW, qv::KEY_RELEASED, qv::Vector(0, -0.1f)},
        {false, v, UP_ARROW, qv::KEY_RELEASED, qv::Vector(0.2f, 0)},
        {false, v, DOWN_ARROW, qv::KEY_RELEASED, qv::Vector(0.2f, 0)},
        {false, v, LEFT_ARROW, qv::KEY_DOWN, v},
        {false, v, RIGHT_ARROW, qv::KEY_DOWN, v},
        {false, v, UP_ARROW, qv::KEY_DOWN, v},
        {false, v, DOWN_ARROW, qv::KEY_DOWN, v},
        {false, v, A, qv::KEY_PRESSED, v},
        {false, v, A, qv::KEY_RELEASED, v},
        {false, v, A, qv::KEY_DOWN, v},
        {false, v, B, qv::KEY_PRESSED, v},
        {false, v, RETURN, qv::KEY_RELEASED, v},
        {true, qv::Vector(0, 0), LEFT_ARROW, qv::KEY_PRESSED, qv::Vector(-0.66f, 0)},
        {true, qv::Vector(0, 0.3f), RIGHT_ARROW, qv::KEY_PRESSED, qv::Vector(0.66f, 0.3f)},
        {true, qv::Vector(0.66f, 0), UP_ARROW, qv::KEY_PRESSED, qv::Vector(0.66f, -0.3f)},
        {true, qv::Vector(0, 0), DOWN_ARROW, qv::KEY_PRESSED, qv::Vector(0, 0.3f)},
        {true, qv::Vector(0.66f, 0.3f), DOWN_ARROW, qv::KEY_RELEASED, qv::Vector(0.66f, 0)},
        {true, qv::Vector(0.66f, 0.3f), RIGHT_ARROW, qv::KEY_DOWN, qv::Vector(0.66f, 0.3f)},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE("key " + std::to_string(c.key) + " action " + std::to_string(c.action) +
                     (c.fast ? " running" : " walking"));
        if (c.fast != hero->isFast())
            key(SPACE, c.fast ? qv::KEY_PRESSED : qv::KEY_RELEASED);
        ASSERT_EQ(hero->isFast(), c.fast);
        hero->setVelocity(c.before);
        setAnimationRunning(hero, c.before != qv::Vector(0, 0));
        key(c.key, c.action);
        expectVelocity(c.after);
        const bool handled =
            c.key == LEFT_ARROW || c.key == RIGHT_ARROW || c.key == UP_ARROW || c.key == DOWN_ARROW || c.key == A;
        // The keys handled here freeze the walk when the hero stands and run it when it moves.
        if (handled)
        {
            EXPECT_EQ(isFrozen(hero), hero->getSpeed() == 0);
        }
    }
}

TEST_F(HeroTest, SpaceRunsAtDoubleSpeedUntilReleased)
{
    using namespace qv::Keyboard;
    key(RIGHT_ARROW, qv::KEY_PRESSED);
    key(DOWN_ARROW, qv::KEY_PRESSED);
    expectVelocity(qv::Vector(0.33f, 0.15f));
    key(SPACE, qv::KEY_PRESSED);
    EXPECT_TRUE(hero->isFast());
    expectVelocity(qv::Vector(0.66f, 0.30f));
    key(SPACE, qv::KEY_DOWN);
    expectVelocity(qv::Vector(0.66f, 0.30f));
    key(SPACE, qv::KEY_RELEASED);
    EXPECT_FALSE(hero->isFast());
    expectVelocity(qv::Vector(0.33f, 0.15f));
}

TEST_F(HeroTest, ReleasingLeftWhileRightIsHeldStops)
{
    using namespace qv::Keyboard;
    key(RIGHT_ARROW, qv::KEY_PRESSED);
    key(LEFT_ARROW, qv::KEY_PRESSED);
    key(RIGHT_ARROW, qv::KEY_DOWN);
    key(LEFT_ARROW, qv::KEY_RELEASED);
    expectVelocity(qv::Vector(0, 0));
    EXPECT_TRUE(isFrozen(hero));
}

TEST_F(HeroTest, EveryArrowEventSaysTheHeroMovedEvenWhenBlocked)
{
    using namespace qv::Keyboard;
    for (const int arrow : {LEFT_ARROW, RIGHT_ARROW, UP_ARROW, DOWN_ARROW})
        for (const int action : {qv::KEY_PRESSED, qv::KEY_DOWN, qv::KEY_RELEASED})
            key(arrow, action);
    EXPECT_EQ(moved->received.size(), 12u);
    for (const int other : {A, SPACE, B, Q})
        key(other, qv::KEY_RELEASED);
    EXPECT_EQ(moved->received.size(), 12u);

    // A wall right beside the hero: held Right moves nothing but still reports every pass.
    Wall *p_wall = new Wall(0, 10);
    p_wall->setPosition(qv::Vector(42.5f, 12));
    const qv::Vector start = hero->getPosition();
    key(RIGHT_ARROW, qv::KEY_PRESSED);
    for (int i = 0; i < 10; i++)
    {
        key(RIGHT_ARROW, qv::KEY_DOWN);
        pass();
    }
    EXPECT_EQ(hero->getPosition(), start);
    EXPECT_EQ(moved->received.size(), 23u);
}

TEST_F(HeroTest, AttackLivesFiveStepsAndOnlyOneAtATime)
{
    using namespace qv::Keyboard;
    key(A, qv::KEY_PRESSED);
    ASSERT_NE(hero->getAttackObject(), nullptr);
    AttackRange *p_attack = hero->getAttackObject();
    EXPECT_EQ(p_attack->getType(), "AttackObj");
    EXPECT_EQ(p_attack->getPosition(), qv::Vector(40, 12));
    EXPECT_FALSE(p_attack->isVisible());
    EXPECT_EQ(p_attack->getSolidness(), qv::SOFT);
    EXPECT_EQ(p_attack->getAltitude(), 3);
    EXPECT_EQ(spriteOf(p_attack), "attack_obj");
    // A second press in the same pass, before any step, must not orphan the first object.
    key(A, qv::KEY_PRESSED);
    EXPECT_EQ(attackObjects(), 1);
    for (int i = 0; i < 4; i++)
    {
        pass();
        key(A, qv::KEY_PRESSED);
        EXPECT_EQ(hero->getAttackObject(), p_attack);
        EXPECT_EQ(hero->getAttackTimer(), 4 - i);
    }
    EXPECT_EQ(attackObjects(), 1);
    pass();
    EXPECT_EQ(hero->getAttackObject(), nullptr);
    EXPECT_EQ(hero->getAttackTimer(), 5);
    EXPECT_EQ(attackObjects(), 0);
    key(A, qv::KEY_PRESSED);
    EXPECT_EQ(attackObjects(), 1);
}

TEST_F(HeroTest, EfficientAttackStopsHittingAndLivesFiveStepsMore)
{
    using namespace qv::Keyboard;
    key(A, qv::KEY_PRESSED);
    AttackRange *p_attack = hero->getAttackObject();
    pass();
    pass();
    pass();
    EventMonsterHit hit;
    world().onEvent(&hit);
    EXPECT_TRUE(logHas("Player issued an efficient attack"));
    EXPECT_EQ(p_attack->getSolidness(), qv::SPECTRAL);
    EXPECT_EQ(hero->getAttackTimer(), 5);
    key(A, qv::KEY_PRESSED);
    EXPECT_EQ(attackObjects(), 1);
    for (int i = 0; i < 4; i++)
        pass();
    EXPECT_EQ(attackObjects(), 1);
    pass();
    EXPECT_EQ(attackObjects(), 0);
}

TEST_F(HeroTest, HitShowsHurtUntilTheNextStep)
{
    EventPlayerHit hit;
    world().onEvent(&hit);
    EXPECT_EQ(spriteOf(hero), "hurt");
    EXPECT_FALSE(hero->getWalkSpriteSet());
    EXPECT_EQ(logCount("Hero was hit"), 1);
    pass();
    EXPECT_EQ(spriteOf(hero), "walk");
    EXPECT_TRUE(hero->getWalkSpriteSet());
    world().onEvent(&hit);
    world().onEvent(&hit);
    EXPECT_EQ(spriteOf(hero), "hurt");
    EXPECT_EQ(logCount("Hero was hit"), 3);
}

TEST_F(HeroTest, TouchingTheStairsAnnouncesThem)
{
    RecordingObject *stairs_seen = new RecordingObject;
    stairs_seen->setPosition(qv::Vector(600, 80));
    stairs_seen->registerInterest(STAIRS_EVENT);
    Stairs *p_stairs = new Stairs;
    p_stairs->setPosition(qv::Vector(45.5f, 12.4f));
    Wall *p_wall = new Wall(0, 10);
    p_wall->setPosition(qv::Vector(36, 12));

    // Bumping into a wall announces nothing.
    key(qv::Keyboard::LEFT_ARROW, qv::KEY_PRESSED);
    for (int i = 0; i < 15; i++)
        pass();
    EXPECT_NEAR(hero->getPosition().getX(), 37.5f, 0.34f);
    EXPECT_TRUE(stairs_seen->received.empty());

    key(qv::Keyboard::LEFT_ARROW, qv::KEY_RELEASED);
    key(qv::Keyboard::RIGHT_ARROW, qv::KEY_PRESSED);
    for (int i = 0; i < 20 && stairs_seen->received.empty(); i++)
        pass();
    ASSERT_EQ(stairs_seen->received.size(), 1u);
    EXPECT_EQ(stairs_seen->received[0], "event_stairs");
}

TEST_F(HeroTest, GameOverLeavesTheHeroDeadAndDeaf)
{
    using namespace qv::Keyboard;
    RecordingObject *stairs_seen = new RecordingObject;
    stairs_seen->setPosition(qv::Vector(600, 80));
    stairs_seen->registerInterest(STAIRS_EVENT);
    Stairs *p_stairs = new Stairs;
    p_stairs->setPosition(qv::Vector(45, 12.4f));

    key(A, qv::KEY_PRESSED);
    key(RIGHT_ARROW, qv::KEY_PRESSED);
    EventGameOver game_over;
    world().onEvent(&game_over);
    EXPECT_TRUE(hero->isDead());
    EXPECT_TRUE(logHas("GAME IS OVER"));
    EXPECT_EQ(spriteOf(hero), "dead2");
    expectVelocity(qv::Vector(0, 0));

    const std::size_t reports = moved->received.size();
    key(RIGHT_ARROW, qv::KEY_PRESSED);
    key(SPACE, qv::KEY_PRESSED);
    key(Q, qv::KEY_PRESSED);
    EventPlayerHit hit;
    world().onEvent(&hit);
    EventMonsterHit monster_hit;
    world().onEvent(&monster_hit);
    EXPECT_EQ(moved->received.size(), reports);
    EXPECT_FALSE(qv::GameManager::getInstance().getGameOver());
    EXPECT_FALSE(logHas("Hero was hit"));
    EXPECT_FALSE(logHas("Player issued an efficient attack"));

    // Pushed against the stairs by hand, the dead hero ignores them; its attack still expires.
    const qv::Vector where = hero->getPosition();
    EXPECT_EQ(world().moveObject(hero, qv::Vector(42, 12.4f)), -1);
    EXPECT_TRUE(stairs_seen->received.empty());
    for (int i = 0; i < 5; i++)
        pass();
    EXPECT_EQ(spriteOf(hero), "dead2");
    EXPECT_EQ(hero->getPosition(), where);
    EXPECT_EQ(attackObjects(), 0);
}

TEST_F(HeroTest, QEndsTheGame)
{
    key(qv::Keyboard::Q, qv::KEY_PRESSED);
    EXPECT_TRUE(qv::GameManager::getInstance().getGameOver());
}
