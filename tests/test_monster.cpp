#include "AttackRange.h"
#include "EventDeleteInstance.h"
#include "EventKeyboard.h"
#include "EventMonsterHit.h"
#include "EventPlayerHit.h"
#include "EventStep.h"
#include "InputManager.h"
#include "Monster.h"
#include "Sprite.h"
#include "Wall.h"
#include "test_game_support.h"

#include <cmath>
#include <cstdlib>

namespace
{

const float EPSILON = 1e-4f;

bool isZero(qv::Vector v)
{
    return v.getX() == 0 && v.getY() == 0;
}

} // namespace

class MonsterTest : public GameWorldTest
{
protected:
    void SetUp() override
    {
        GameWorldTest::SetUp();
        std::srand(7);
        hero = new Hero;
        hero->setPosition(qv::Vector(400, 40));
        watcher = new RecordingObject;
        watcher->setPosition(qv::Vector(600, 90));
        watcher->registerInterest(PLAYER_HIT_EVENT);
        watcher->registerInterest(MONSTER_HIT_EVENT);
        watcher->registerInterest(DELETE_EVENT);
        // Removes a dead monster as the map does.
        watcher->on_event = [this](const qv::Event *p_event)
        {
            if (p_event->getType() != DELETE_EVENT)
                return;
            const EventDeleteInstance *p_delete = dynamic_cast<const EventDeleteInstance *>(p_event);
            ASSERT_NE(p_delete, nullptr);
            deleted.push_back(p_delete->getObject());
            world().markForDelete(p_delete->getObject());
        };
    }

    int received(const std::string &type) const
    {
        int count = 0;
        for (const std::string &seen : watcher->received)
            if (seen == type)
                count++;
        return count;
    }

    Hero *hero = nullptr;
    RecordingObject *watcher = nullptr; // hears hits and deletions
    std::vector<qv::Object *> deleted;  // objects that "delete_event" asked to remove
};

TEST_F(MonsterTest, StartsWanderingFrozenOnItsWalkSprite)
{
    Monster *monster = new Monster(hero);
    EXPECT_EQ(monster->getType(), "Monster");
    EXPECT_EQ(monster->getAltitude(), 3);
    EXPECT_EQ(monster->getSolidness(), qv::HARD);
    EXPECT_EQ(monster->getSpeed(), 0);
    EXPECT_EQ(spriteOf(monster), "monster-walk");
    EXPECT_TRUE(isFrozen(monster));
    EXPECT_EQ(monster->getState(), monster->getWander());
    EXPECT_TRUE(monster->getWander()->isPaused());
    EXPECT_EQ(monster->getPauseTimer(), 90);
    EXPECT_EQ(monster->getMoveTimer(), 60);
    EXPECT_EQ(monster->getHealth(), 3);
    EXPECT_EQ(monster->getHitCounter(), 2);
    EXPECT_EQ(monster->getHurtCount(), 0);
    EXPECT_EQ(logCount("StateWander::Enter():Set monster-walk"), 1);
    EXPECT_EQ(logCount("Monster initialized"), 1);
}

TEST_F(MonsterTest, RangeReachesTwentyColumnsAndEightyRows)
{
    struct Case
    {
        float dx;
        float dy;
        bool in_range;
    };
    const Case cases[] = {
        {20, 0, false},  {19.9f, 0, true},  {-20, 0, false}, {-19.9f, 0, true},  {0, 79.5f, true}, {0, 80, false},
        {12, 64, false}, {12, 63.5f, true}, {0, -8, true},   {-12, 63.5f, true}, {30, 1, false},   {0, 0, true},
    };
    Monster *monster = new Monster(hero);
    monster->setPosition(qv::Vector(300, 10));
    for (const Case &c : cases)
    {
        SCOPED_TRACE(std::to_string(c.dx) + ", " + std::to_string(c.dy));
        hero->setPosition(qv::Vector(300 + c.dx, 10 + c.dy));
        EXPECT_EQ(monster->heroInRange(), c.in_range);
    }
}

TEST_F(MonsterTest, WallsInTheBoxBetweenThemBlockSightEvenOffTheLine)
{
    struct Case
    {
        const char *name;
        int width;
        int height;
        qv::Vector where;
        bool blocks;
    };
    // Monster at (100, 10), hero at (110, 14): the line between them passes x = 108..110 at
    // y = 13.2..14, well below the wall at (109, 11), which still lies inside their box.
    const Case cases[] = {
        {"no wall", 0, 0, qv::Vector(0, 0), false},
        {"in the box, off the line", 2, 1, qv::Vector(109, 11), true},
        {"across the line", 0, 10, qv::Vector(105, 12), true},
        {"outside the box", 2, 1, qv::Vector(120, 11), false},
        {"out of range", 0, 0, qv::Vector(0, 0), false},
    };
    Monster *monster = new Monster(hero);
    monster->setPosition(qv::Vector(100, 10));
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        const bool out_of_range = std::string(c.name) == "out of range";
        hero->setPosition(out_of_range ? qv::Vector(125, 14) : qv::Vector(110, 14));
        Wall *wall = nullptr;
        if (c.width != 0 || c.height != 0)
        {
            wall = new Wall(c.width, c.height);
            wall->setPosition(c.where);
        }
        const qv::Vector seen = monster->directionToHero();
        if (c.blocks || out_of_range)
        {
            EXPECT_TRUE(isZero(seen));
        }
        else
        {
            EXPECT_NEAR(seen.getX(), 10 / std::sqrt(116.0f), EPSILON);
            EXPECT_NEAR(seen.getY(), 4 / std::sqrt(116.0f), EPSILON);
        }
        if (wall != nullptr)
            world().markForDelete(wall);
        world().update();
    }
}

TEST_F(MonsterTest, WanderSearchChaseAndBackWithoutSkippingSearch)
{
    Monster *monster = new Monster(hero);
    monster->setPosition(qv::Vector(100, 10));
    hero->setPosition(qv::Vector(300, 10));
    for (int i = 0; i < 5; i++)
        pass();
    EXPECT_EQ(monster->getState(), monster->getWander());

    // In range and in plain sight: the first pass only starts the search.
    hero->setPosition(qv::Vector(110, 10));
    pass();
    EXPECT_EQ(monster->getState(), monster->getSearch());
    EXPECT_TRUE(logHas("StateSearch::Enter():Set monster-walk"));
    EXPECT_FALSE(logHas("Statechase::Enter():Set monster-chase"));

    pass();
    EXPECT_EQ(monster->getState(), monster->getChase());
    EXPECT_EQ(spriteOf(monster), "monster-chase");
    EXPECT_TRUE(logHas("Statechase::Enter():Set monster-chase"));
    // Entering the chase sets only the sprite; its first execution heads for the hero.
    pass();
    EXPECT_NEAR(monster->getVelocity().getX(), 0.37f, EPSILON);
    EXPECT_NEAR(monster->getVelocity().getY(), 0, EPSILON);
    EXPECT_FALSE(isFrozen(monster));

    // Diagonally the two speeds scale the unit vector apart.
    const qv::Vector m = monster->getPosition();
    hero->setPosition(qv::Vector(m.getX() + 6, m.getY() + 8));
    pass();
    EXPECT_EQ(monster->getState(), monster->getChase());
    EXPECT_NEAR(monster->getVelocity().getX(), 0.6f * 0.37f, EPSILON);
    EXPECT_NEAR(monster->getVelocity().getY(), 0.8f * 0.17f, EPSILON);

    // Lost: chase stops dead and searches, and the search gives up once the hero is out of range.
    hero->setPosition(qv::Vector(300, 10));
    pass();
    EXPECT_EQ(monster->getState(), monster->getSearch());
    EXPECT_TRUE(isZero(monster->getVelocity()));
    pass();
    EXPECT_EQ(monster->getState(), monster->getWander());
    EXPECT_EQ(spriteOf(monster), "monster-walk");
    EXPECT_EQ(logCount("StateWander::Enter():Set monster-walk"), 2);
}

TEST_F(MonsterTest, SearchStaysWhileTheHeroHidesBehindAWall)
{
    Monster *monster = new Monster(hero);
    monster->setPosition(qv::Vector(100, 10));
    Wall *wall = new Wall(0, 20);
    wall->setPosition(qv::Vector(106, 10));
    hero->setPosition(qv::Vector(112, 10));
    for (int i = 0; i < 60; i++)
    {
        pass();
        ASSERT_EQ(monster->getState(), monster->getSearch()) << "pass " << i;
    }
    EXPECT_FALSE(logHas("Statechase::Enter():Set monster-chase"));

    world().markForDelete(wall);
    pass();
    pass();
    EXPECT_EQ(monster->getState(), monster->getChase());
}

TEST_F(MonsterTest, WanderStandsNinetyStepsThenWalksSixtyOneWay)
{
    Monster *monster = new Monster(hero);
    monster->setPosition(qv::Vector(300, 50));
    hero->setPosition(qv::Vector(500, 50));
    for (int i = 0; i < 90; i++)
    {
        pass();
        ASSERT_EQ(monster->getSpeed(), 0) << "pass " << i;
    }
    pass();
    const qv::Vector v = monster->getVelocity();
    const bool across = std::fabs(std::fabs(v.getX()) - 0.37f) < EPSILON && v.getY() == 0;
    const bool upright = std::fabs(std::fabs(v.getY()) - 0.17f) < EPSILON && v.getX() == 0;
    EXPECT_TRUE(across || upright) << v.getX() << ", " << v.getY();
    EXPECT_FALSE(isFrozen(monster));
    EXPECT_FALSE(monster->getWander()->isPaused());
    for (int i = 0; i < 59; i++)
    {
        pass();
        ASSERT_EQ(monster->getVelocity(), v) << "pass " << i;
    }
    pass();
    EXPECT_EQ(monster->getSpeed(), 0);
    EXPECT_TRUE(isFrozen(monster));
    EXPECT_TRUE(monster->getWander()->isPaused());
    EXPECT_EQ(monster->getState(), monster->getWander());
}

TEST_F(MonsterTest, SearchGoesOnSlowlyThenPausesAndTurns)
{
    Monster *monster = new Monster(hero);
    monster->setPosition(qv::Vector(300, 50));
    hero->setPosition(qv::Vector(500, 50));
    for (int i = 0; i < 91; i++)
        pass();
    const qv::Vector direction = monster->getDirection();
    ASSERT_FALSE(isZero(direction));

    // Within range, behind a wall that the monster cannot reach in the passes below.
    Wall *wall = new Wall(0, 40);
    wall->setPosition(qv::Vector(monster->getPosition().getX() + 10, 50));
    hero->setPosition(qv::Vector(monster->getPosition().getX() + 15, 50));
    pass();
    ASSERT_EQ(monster->getState(), monster->getSearch());
    EXPECT_NEAR(monster->getSpeed(), 0.15f, EPSILON);
    EXPECT_EQ(monster->getDirection(), direction);

    for (int i = 0; i < 30; i++)
    {
        pass();
        ASSERT_NEAR(monster->getSpeed(), 0.15f, EPSILON) << "pass " << i;
        ASSERT_FALSE(monster->getSearch()->isPaused());
    }
    for (int i = 0; i < 10; i++)
    {
        pass();
        ASSERT_EQ(monster->getSpeed(), 0) << "pass " << i;
        ASSERT_TRUE(monster->getSearch()->isPaused());
    }
    pass();
    EXPECT_NEAR(monster->getSpeed(), 0.15f, EPSILON);
    const qv::Vector turned = monster->getDirection();
    EXPECT_NEAR(std::fabs(turned.getX()) + std::fabs(turned.getY()), 1, EPSILON);
    EXPECT_TRUE(turned.getX() == 0 || turned.getY() == 0);
    EXPECT_EQ(monster->getState(), monster->getSearch());
    world().markForDelete(wall);
}

TEST_F(MonsterTest, SixAttacksKillShowingHurt2ThenHurt3)
{
    hero->setPosition(qv::Vector(100, 10));
    Monster *monster = new Monster(hero);
    monster->setPosition(qv::Vector(109, 10));
    std::vector<std::string> sprites_after_hits;
    std::vector<int> health_after_hits;
    watcher->on_event = [&, previous = watcher->on_event](const qv::Event *p_event)
    {
        if (p_event->getType() == MONSTER_HIT_EVENT)
        {
            sprites_after_hits.push_back(spriteOf(monster));
            health_after_hits.push_back(monster->getHealth());
        }
        previous(p_event);
    };

    int attacks = 0;
    for (int i = 0; i < 400 && deleted.empty(); i++)
    {
        const bool close = monster->getPosition().getX() - hero->getPosition().getX() < 6.5f;
        if (close && hero->getAttackObject() == nullptr && hero->getAttackTimer() == ATTACK_STEPS)
        {
            key(qv::Keyboard::A, qv::KEY_PRESSED);
            attacks++;
        }
        pass();
    }
    ASSERT_EQ(deleted.size(), 1u);
    EXPECT_EQ(deleted[0], monster);
    EXPECT_EQ(received(MONSTER_HIT_EVENT), 6);
    EXPECT_EQ(attacks, received(MONSTER_HIT_EVENT)) << "every attack landed once";
    EXPECT_GT(received(PLAYER_HIT_EVENT), 0) << "the monster touched the hero";
    const std::vector<std::string> expected_sprites = {"monster-chase", "monster-hurt2", "monster-hurt2",
                                                       "monster-hurt3", "monster-hurt3", "monster-hurt3"};
    EXPECT_EQ(sprites_after_hits, expected_sprites);
    EXPECT_EQ(health_after_hits, (std::vector<int>{3, 2, 2, 1, 1, 0}));
    EXPECT_EQ(world().objectsOfType("Monster").getCount(), 0);
}

TEST_F(MonsterTest, TouchesSendHitsOnlyWhenTheHeroIsInvolved)
{
    struct Case
    {
        const char *other;
        int player_hits;
    };
    const Case cases[] = {{"Monster", 0}, {"Hero", 1}};
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.other);
        watcher->received.clear();
        Monster *mover = new Monster(hero);
        mover->setPosition(qv::Vector(200, 60));
        qv::Object *other = hero;
        if (std::string(c.other) == "Monster")
            other = new Monster(hero);
        other->setPosition(qv::Vector(204, 60));
        EXPECT_EQ(world().moveObject(mover, qv::Vector(202, 60)), -1);
        EXPECT_EQ(received(PLAYER_HIT_EVENT), c.player_hits);
        EXPECT_EQ(received(MONSTER_HIT_EVENT), 0);
        EXPECT_EQ(received(DELETE_EVENT), 0);
        world().markForDelete(mover);
        if (other != hero)
            world().markForDelete(other);
        hero->setPosition(qv::Vector(400, 40));
        world().update();
    }
}
