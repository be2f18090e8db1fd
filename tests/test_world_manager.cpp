#include "EventOut.h"
#include "ViewObject.h"
#include "world_support.h"

#include <cmath>
#include <cstdio>

using qv::Box;
using qv::Vector;

namespace
{

std::vector<std::string> collisionsOf(const std::string &name)
{
    return entriesOf(name + " qv-collision");
}

// A view object that notes when it is drawn.
class HudRecorder : public qv::ViewObject
{
public:
    int draw() override
    {
        journal().push_back("hud drawn");
        return 0;
    }
};

// An object whose destruction marks another one for deletion.
class Owner : public Recorder
{
public:
    Owner(const std::string &init_name, qv::Object *p_init_owned) : Recorder(init_name), p_owned(p_init_owned) {}
    ~Owner() override { qv::WorldManager::getInstance().markForDelete(p_owned); }

    qv::Object *p_owned; // deleted with this object
};

} // namespace

class WorldManagerTest : public WorldTest
{
};

TEST_F(WorldManagerTest, StartingTwiceOnlyWarns)
{
    EXPECT_EQ(world().startUp(), 0);
    EXPECT_TRUE(logHas("WorldManager::startup(): already started."));
}

TEST_F(WorldManagerTest, CollisionRulesDecideWhoIsBlocked)
{
    struct Case
    {
        const char *what;
        qv::Solidness mover;
        bool no_soft;
        qv::Solidness obstacle;
        bool obstacle_active;
        bool moves;
        int events; // collision events each side receives
    };
    const Case cases[] = {
        {"HARD into HARD", qv::HARD, false, qv::HARD, true, false, 1},
        {"HARD into SOFT", qv::HARD, false, qv::SOFT, true, true, 1},
        {"HARD with no_soft into SOFT", qv::HARD, true, qv::SOFT, true, false, 1},
        {"HARD with no_soft into HARD", qv::HARD, true, qv::HARD, true, false, 1},
        {"SOFT into HARD", qv::SOFT, false, qv::HARD, true, true, 1},
        {"SOFT into SOFT", qv::SOFT, false, qv::SOFT, true, true, 1},
        {"SOFT with no_soft into SOFT", qv::SOFT, true, qv::SOFT, true, false, 1},
        {"HARD into SPECTRAL", qv::HARD, false, qv::SPECTRAL, true, true, 0},
        {"SPECTRAL into HARD", qv::SPECTRAL, false, qv::HARD, true, true, 0},
        {"HARD into inactive HARD", qv::HARD, false, qv::HARD, false, true, 0},
    };
    for (const Case &c : cases)
    {
        journal().clear();
        Recorder *p_mover = new Recorder("mover", Vector(4, 1), c.mover);
        Recorder *p_obstacle = new Recorder("obstacle", Vector(5, 1), c.obstacle);
        p_mover->setNoSoft(c.no_soft);
        p_obstacle->setActive(c.obstacle_active);
        p_mover->setVelocity(Vector(1, 0));

        world().update();

        EXPECT_EQ(p_mover->getPosition(), c.moves ? Vector(5, 1) : Vector(4, 1)) << c.what;
        EXPECT_EQ(static_cast<int>(collisionsOf("mover").size()), c.events) << c.what;
        EXPECT_EQ(static_cast<int>(collisionsOf("obstacle").size()), c.events) << c.what;
        EXPECT_EQ(p_mover->getVelocity(), Vector(1, 0)) << c.what << ": a blocked move keeps the velocity";
        world().markForDelete(p_mover);
        world().markForDelete(p_obstacle);
        world().update();
    }
}

TEST_F(WorldManagerTest, MoverHearsOfTheCollisionBeforeTheObstacle)
{
    Recorder *p_mover = new Recorder("mover", Vector(4, 1));
    Recorder *p_wall = new Recorder("wall", Vector(5, 1));
    qv::Object *p_first = nullptr;
    qv::Object *p_second = nullptr;
    p_wall->on_event = [&](Recorder *, const qv::Event *p_event)
    {
        const auto *p_collision = dynamic_cast<const qv::EventCollision *>(p_event);
        p_first = p_collision->getObject1();
        p_second = p_collision->getObject2();
    };

    EXPECT_EQ(world().moveObject(p_mover, Vector(4.5f, 1)), -1);

    EXPECT_EQ(journal(), (std::vector<std::string>{"mover qv-collision", "wall qv-collision"}));
    EXPECT_EQ(p_first, p_mover);
    EXPECT_EQ(p_second, p_wall);
    ASSERT_EQ(p_mover->collision_positions.size(), 1u);
    EXPECT_EQ(p_mover->collision_positions[0], Vector(4.5f, 1));
    EXPECT_EQ(p_mover->getPosition(), Vector(4, 1));
}

TEST_F(WorldManagerTest, SoftMoverPassesThroughWallsOneEventPerWallPerPass)
{
    Recorder *p_ghost = new Recorder("ghost", Vector(4, 1), qv::SOFT);
    for (int x = 5; x <= 8; x++)
        new Recorder("wall" + std::to_string(x), Vector(static_cast<float>(x), 1));
    p_ghost->setVelocity(Vector(1, 0));

    for (int pass = 0; pass < 5; pass++)
        world().update();

    EXPECT_EQ(p_ghost->getPosition(), Vector(9, 1));
    EXPECT_EQ(collisionsOf("ghost").size(), 4u);
    for (int x = 5; x <= 8; x++)
        EXPECT_EQ(collisionsOf("wall" + std::to_string(x)).size(), 1u) << x;
}

TEST_F(WorldManagerTest, AvoidingMoverSlidesAlongAWall)
{
    qv::LogManager::getInstance().setLogLevel(5);
    Recorder *p_mover = new Recorder("mover", Vector(4, 4));
    new Recorder("wall", Vector(4, 5));
    p_mover->setAvoidCollisions(true);
    Vector diagonal(1, 1);
    diagonal.normalize();
    p_mover->setDirection(diagonal);
    p_mover->setSpeed(1);

    world().update();

    EXPECT_EQ(p_mover->getPosition(), Vector(5, 4));
    EXPECT_EQ(p_mover->getDirection(), diagonal);
    EXPECT_TRUE(journal().empty());
    EXPECT_FALSE(logHas("WorldManager::moveObject(): Double collision. Object (avoid obstacles) cannot move."));
}

TEST_F(WorldManagerTest, AvoidingMoverBlockedOnBothSidesStaysWithoutEvents)
{
    qv::LogManager::getInstance().setLogLevel(5);
    Recorder *p_mover = new Recorder("mover", Vector(4, 4));
    new Recorder("below", Vector(4, 5));
    new Recorder("beside", Vector(5, 4));
    p_mover->setAvoidCollisions(true);
    Vector diagonal(1, 1);
    diagonal.normalize();
    p_mover->setDirection(diagonal);
    p_mover->setSpeed(1);
    const Vector velocity = p_mover->getVelocity();

    world().update();

    EXPECT_EQ(p_mover->getPosition(), Vector(4, 4));
    EXPECT_EQ(p_mover->getVelocity(), velocity);
    EXPECT_TRUE(journal().empty());
    EXPECT_EQ(logCount("WorldManager::moveObject(): Double collision. Object (avoid obstacles) cannot move."), 1);
}

TEST_F(WorldManagerTest, AvoidingMoverHeadOnIntoAWallStandsStill)
{
    Recorder *p_mover = new Recorder("mover", Vector(4, 1));
    new Recorder("wall", Vector(5, 1));
    p_mover->setAvoidCollisions(true);
    p_mover->setVelocity(Vector(1, 0));

    EXPECT_EQ(world().moveObject(p_mover, p_mover->predictPosition()), 0);

    EXPECT_EQ(p_mover->getPosition(), Vector(4, 1));
    EXPECT_TRUE(journal().empty());
}

TEST_F(WorldManagerTest, AvoidanceIgnoresSoftObstacles)
{
    Recorder *p_mover = new Recorder("mover", Vector(4, 1));
    new Recorder("bush", Vector(5, 1), qv::SOFT);
    p_mover->setAvoidCollisions(true);
    p_mover->setVelocity(Vector(1, 0));

    world().update();

    EXPECT_EQ(p_mover->getPosition(), Vector(5, 1));
    EXPECT_EQ(journal(), (std::vector<std::string>{"mover qv-collision", "bush qv-collision"}));
}

TEST_F(WorldManagerTest, LeavingTheWorldIsReportedOnce)
{
    for (qv::Solidness solidness : {qv::HARD, qv::SPECTRAL})
    {
        journal().clear();
        Recorder *p_runner = new Recorder("runner", Vector(78, 1), solidness);
        p_runner->setVelocity(Vector(1, 0));
        int passes_until_out = 0;
        for (int pass = 1; pass <= 6; pass++)
        {
            world().update();
            if (passes_until_out == 0 && !entriesOf("runner qv-out").empty())
                passes_until_out = pass;
        }
        // The box (corner -0.5, extent 0.99) still touches x = 80 from 80; it is out from 81.
        EXPECT_EQ(passes_until_out, 3) << solidness;
        EXPECT_EQ(entriesOf("runner qv-out").size(), 1u) << solidness;
        EXPECT_EQ(p_runner->getPosition(), Vector(84, 1)) << solidness;
        world().markForDelete(p_runner);
        world().update();
    }
}

TEST_F(WorldManagerTest, ComingBackAndLeavingAgainIsReportedAgain)
{
    Recorder *p_runner = new Recorder("runner", Vector(80, 1));
    EXPECT_EQ(world().moveObject(p_runner, Vector(82, 1)), 0);
    EXPECT_EQ(world().moveObject(p_runner, Vector(83, 1)), 0);
    EXPECT_EQ(world().moveObject(p_runner, Vector(79, 1)), 0);
    EXPECT_EQ(world().moveObject(p_runner, Vector(90, 1)), 0);
    EXPECT_EQ(entriesOf("runner qv-out").size(), 2u);
}

class ViewTest : public WorldTest
{
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        world().setBoundary(Box(Vector(0, 0), 641, 97));
        world().setView(Box(Vector(0, 0), 80, 24));
        world().setViewSlack(Vector(0, 0));
    }

    static Vector viewCorner() { return world().getView().getCorner(); }
};

TEST_F(ViewTest, ViewPositionIsClampedToTheBoundary)
{
    struct Case
    {
        Vector centre;
        Vector corner;
    };
    const Case cases[] = {
        {Vector(10, 10), Vector(0, 0)},
        {Vector(640, 96), Vector(561, 73)},
        {Vector(300, 50), Vector(260, 38)},
        {Vector(-50, -50), Vector(0, 0)},
    };
    for (const Case &c : cases)
    {
        world().setViewPosition(c.centre);
        EXPECT_EQ(viewCorner(), c.corner) << c.centre.getX() << "," << c.centre.getY();
    }
    world().setBoundary(Box(Vector(0, 0), 40, 10));
    world().setViewPosition(Vector(30, 8));
    EXPECT_EQ(viewCorner(), Vector(0, 0)) << "a view larger than the world sits at its corner";
    EXPECT_EQ(world().getView().getHorizontal(), 80);
}

TEST_F(ViewTest, WithoutSlackTheFollowedObjectStaysInTheCentre)
{
    Recorder *p_hero = new Recorder("hero", Vector(100, 50));
    ASSERT_EQ(world().setViewFollowing(p_hero), 0);
    EXPECT_EQ(viewCorner(), Vector(60, 38));
    p_hero->setVelocity(Vector(1, 1));
    for (int pass = 0; pass < 10; pass++)
    {
        world().update();
        const Vector at = p_hero->getPosition();
        EXPECT_FLOAT_EQ(viewCorner().getX(), at.getX() - 40) << pass;
        EXPECT_FLOAT_EQ(viewCorner().getY(), at.getY() - 12) << pass;
    }
    world().moveObject(p_hero, Vector(630, 90));
    EXPECT_EQ(viewCorner(), Vector(561, 73)) << "the view stops at the boundary's edge";
}

TEST_F(ViewTest, WithSlackTheViewScrollsOnlyPastTheDeadZone)
{
    world().setViewSlack(Vector(0.5f, 0.5f));
    Recorder *p_hero = new Recorder("hero", Vector(40, 12));
    ASSERT_EQ(world().setViewFollowing(p_hero), 0);
    ASSERT_EQ(viewCorner(), Vector(0, 0));

    for (const Vector &inside : {Vector(60, 12), Vector(20, 18), Vector(25, 6), Vector(59, 17)})
    {
        world().moveObject(p_hero, inside);
        EXPECT_EQ(viewCorner(), Vector(0, 0)) << inside.getX() << "," << inside.getY();
    }
    world().moveObject(p_hero, Vector(61, 12));
    EXPECT_EQ(viewCorner(), Vector(1, 0));
    world().moveObject(p_hero, Vector(61, 30));
    EXPECT_EQ(viewCorner(), Vector(1, 12));
    world().moveObject(p_hero, Vector(10, 30));
    EXPECT_EQ(viewCorner(), Vector(0, 12));

    world().setViewFollowing(nullptr);
    world().moveObject(p_hero, Vector(300, 60));
    EXPECT_EQ(viewCorner(), Vector(0, 12));
}

TEST_F(ViewTest, FollowingAnUnknownObjectIsRefused)
{
    Recorder *p_hero = new Recorder("hero", Vector(100, 50));
    Recorder *p_stranger = new Recorder("stranger", Vector(300, 60));
    ASSERT_EQ(world().setViewFollowing(p_hero), 0);
    world().removeObject(p_stranger);

    EXPECT_EQ(world().setViewFollowing(p_stranger), -1);

    EXPECT_EQ(world().getViewFollowing(), p_hero);
    EXPECT_EQ(viewCorner(), Vector(60, 38));
    world().insertObject(p_stranger);
}

TEST_F(ViewTest, DeletingTheFollowedObjectStopsTheFollowing)
{
    Recorder *p_hero = new Recorder("hero", Vector(100, 50));
    world().setViewFollowing(p_hero);
    world().markForDelete(p_hero);
    world().update();
    EXPECT_EQ(world().getViewFollowing(), nullptr);
}

TEST_F(ViewTest, SlackOutOfRangeIsStoredAfterAWarning)
{
    world().setViewSlack(Vector(0.5f, 0.5f));
    EXPECT_FALSE(logHas("WorldManager::setViewSlack(): Warning! view slack units out of range [0-1]"));
    world().setViewSlack(Vector(1.5f, -0.1f));
    EXPECT_EQ(logCount("WorldManager::setViewSlack(): Warning! view slack units out of range [0-1]"), 1);
    EXPECT_EQ(world().getViewSlack(), Vector(1.5f, -0.1f));
}

TEST_F(WorldManagerTest, ObjectMarkedTwiceIsDeletedOnce)
{
    Recorder *p_victim = new Recorder("victim");
    EXPECT_EQ(world().markForDelete(p_victim), 0);
    EXPECT_EQ(world().markForDelete(p_victim), 0);
    EXPECT_EQ(occurrences(world().getSceneGraph().activeObjects(), p_victim), 1) << "marking never deletes at once";

    world().update();
    world().update();

    EXPECT_EQ(entriesOf("victim deleted").size(), 1u);
    EXPECT_EQ(world().getSceneGraph().activeObjects().getCount(), 0);
}

TEST_F(WorldManagerTest, MarkedObjectsStillMoveInTheirLastPass)
{
    Recorder *p_boss = new Recorder("boss", Vector(1, 1));
    Recorder *p_runner = new Recorder("runner", Vector(4, 3));
    new Recorder("bush", Vector(5, 3), qv::SOFT);
    p_runner->setVelocity(Vector(1, 0));
    p_boss->on_event = [&](Recorder *, const qv::Event *) { world().markForDelete(p_runner); };
    p_boss->registerInterest("tick");

    qv::Event tick;
    tick.setType("tick");
    world().onEvent(&tick);
    world().update();

    // The runner reached the bush in the pass at whose end it went.
    EXPECT_EQ(journal(),
              (std::vector<std::string>{"boss tick", "runner qv-collision", "bush qv-collision", "runner deleted"}));
    EXPECT_EQ(world().objectsOfType("runner").getCount(), 0);
}

TEST_F(WorldManagerTest, CollisionHandlersMayMarkBothParties)
{
    Recorder *p_bullet = new Recorder("bullet", Vector(4, 1));
    Recorder *p_target = new Recorder("target", Vector(5, 1));
    p_bullet->setVelocity(Vector(1, 0));
    // Both handlers mark both objects: each object ends up marked twice.
    auto mark_both = [&](Recorder *, const qv::Event *)
    {
        EXPECT_EQ(world().markForDelete(p_bullet), 0);
        EXPECT_EQ(world().markForDelete(p_target), 0);
    };
    p_bullet->on_event = mark_both;
    p_target->on_event = mark_both;

    world().update();

    EXPECT_EQ(journal(), (std::vector<std::string>{"bullet qv-collision", "target qv-collision", "bullet deleted",
                                                   "target deleted"}));
    EXPECT_EQ(world().getSceneGraph().activeObjects().getCount(), 0);
    world().update();
    EXPECT_EQ(entriesOf("bullet deleted").size(), 1u);
}

TEST_F(WorldManagerTest, ObjectsCreatedDuringAPassFirstMoveInTheNext)
{
    Recorder *p_mover = new Recorder("mover", Vector(4, 1));
    Recorder *p_wall = new Recorder("wall", Vector(5, 1));
    p_mover->setVelocity(Vector(1, 0));
    std::vector<Recorder *> spawned;
    p_wall->on_event = [&](Recorder *, const qv::Event *)
    {
        Recorder *p_spawn = new Recorder("spawn", Vector(10, 10), qv::SPECTRAL);
        p_spawn->setVelocity(Vector(0, 1));
        spawned.push_back(p_spawn);
    };

    world().update();
    ASSERT_EQ(spawned.size(), 1u);
    EXPECT_EQ(spawned[0]->getPosition(), Vector(10, 10));

    world().update();
    ASSERT_EQ(spawned.size(), 2u);
    EXPECT_EQ(spawned[0]->getPosition(), Vector(10, 11));
    EXPECT_EQ(spawned[1]->getPosition(), Vector(10, 10));
    EXPECT_EQ(world().objectsOfType("spawn").getCount(), 2);
}

TEST_F(WorldManagerTest, ObjectDeactivatedDuringAPassIsStillMovedInIt)
{
    Recorder *p_mover = new Recorder("mover", Vector(4, 1));
    Recorder *p_wall = new Recorder("wall", Vector(5, 1));
    Recorder *p_late = new Recorder("late", Vector(20, 20));
    p_mover->setVelocity(Vector(1, 0));
    p_late->setVelocity(Vector(0, 1));
    p_wall->on_event = [&](Recorder *, const qv::Event *) { p_late->setActive(false); };

    world().update();
    EXPECT_EQ(p_late->getPosition(), Vector(20, 21));
    world().update();
    EXPECT_EQ(p_late->getPosition(), Vector(20, 21));
}

TEST_F(WorldManagerTest, DestructorsMayMarkMoreObjects)
{
    Recorder *p_owned = new Recorder("owned");
    Owner *p_owner = new Owner("owner", p_owned);
    world().markForDelete(p_owner);

    world().update();

    EXPECT_EQ(journal(), (std::vector<std::string>{"owner deleted", "owned deleted"}));
    EXPECT_EQ(world().getSceneGraph().activeObjects().getCount(), 0);
}

TEST_F(WorldManagerTest, UpdateWalksPathsAndAppliesAcceleration)
{
    Recorder *p_falling = new Recorder("falling", Vector(1, 1), qv::SPECTRAL);
    p_falling->setAcceleration(Vector(0, 0.5f));
    Recorder *p_walker = new Recorder("walker", Vector(1, 5), qv::SPECTRAL);
    p_walker->setSpeed(1);
    p_walker->setPath(qv::Path({Vector(3, 5), Vector(3, 7)}));
    p_walker->setFollowPath(true);

    std::vector<Vector> walked;
    for (int pass = 0; pass < 5; pass++)
    {
        world().update();
        walked.push_back(p_walker->getPosition());
    }

    // It drops 0, 0.5, 1, 1.5 and 2 cells in the five passes.
    EXPECT_EQ(p_falling->getPosition(), Vector(1, 6));
    EXPECT_FLOAT_EQ(p_falling->getSpeed(), 2.5f);
    EXPECT_EQ(walked, (std::vector<Vector>{Vector(2, 5), Vector(3, 5), Vector(3, 6), Vector(3, 7), Vector(3, 7)}));
    EXPECT_FALSE(p_walker->getFollowPath());
    EXPECT_EQ(p_walker->getDirection(), Vector());
}

TEST_F(WorldManagerTest, DrawingGoesByAltitudeAndSkipsWhatIsNotShown)
{
    Recorder *p_roof = new Recorder("roof", Vector(5, 5));
    Recorder *p_floor = new Recorder("floor", Vector(5, 5));
    Recorder *p_hero = new Recorder("hero", Vector(5, 5));
    new Recorder("far", Vector(200, 5));
    Recorder *p_hidden = new Recorder("hidden", Vector(5, 5));
    Recorder *p_asleep = new Recorder("asleep", Vector(5, 5));
    HudRecorder *p_hud = new HudRecorder;
    p_roof->setAltitude(4);
    p_floor->setAltitude(0);
    p_hero->setAltitude(3);
    p_hidden->setVisible(false);
    p_asleep->setActive(false);
    p_hud->setPosition(Vector(500, 500));
    p_hud->setAltitude(1);

    world().draw();

    EXPECT_EQ(journal(), (std::vector<std::string>{"floor drawn", "hud drawn", "hero drawn", "roof drawn"}));

    journal().clear();
    world().setView(Box(Vector(150, 0), 80, 24));
    world().draw();
    EXPECT_EQ(journal(), (std::vector<std::string>{"hud drawn", "far drawn"}));
}

TEST_F(WorldManagerTest, EventNamesTheWorldManagerKeepsAndRefuses)
{
    struct Case
    {
        const char *name;
        const char *message; // empty when accepted
    };
    const Case cases[] = {
        {"qv-collision", "WorldManager::isValid(): Event qv-collision handled automatically."},
        {"qv-out", "WorldManager::isValid(): Event qv-out handled automatically."},
        {"hero_moved", ""},
        {"qv-path", ""},
    };
    Recorder *p_o = new Recorder("listener");
    for (const Case &c : cases)
    {
        const bool accepted = c.message[0] == '\0';
        EXPECT_EQ(p_o->registerInterest(c.name), accepted ? 0 : -1) << c.name;
        if (!accepted)
        {
            EXPECT_EQ(logCount(c.message), 1) << c.name;
        }
    }
    for (const char *name : {"qv-keyboard", "qv-mouse", "qv-step"})
    {
        EXPECT_FALSE(world().isValid(name));
        EXPECT_TRUE(logHas(std::string("WorldManager::isValid(): WorldManager does not handle ") + name));
    }
    qv::Event game_event;
    game_event.setType("hero_moved");
    EXPECT_EQ(world().onEvent(&game_event), 1);
    EXPECT_EQ(journal(), (std::vector<std::string>{"listener hero_moved"}));
}

TEST_F(WorldManagerTest, NullObjectsAreRefused)
{
    EXPECT_EQ(world().insertObject(nullptr), -1);
    EXPECT_EQ(world().removeObject(nullptr), -1);
    EXPECT_EQ(world().markForDelete(nullptr), -1);
    EXPECT_EQ(world().moveObject(nullptr, Vector(2, 2)), -1);
    EXPECT_TRUE(world().getCollisions(nullptr, Vector(2, 2)).isEmpty());
    for (const char *operation : {"insertObject", "removeObject", "markForDelete", "moveObject", "getCollisions"})
        EXPECT_EQ(logCount(std::string("WorldManager::") + operation + "(): Error! Null object."), 1) << operation;
    world().update();
}

TEST_F(WorldManagerTest, ShutDownDeletesActiveInactiveAndMarkedObjectsOnce)
{
    new Recorder("awake");
    Recorder *p_asleep = new Recorder("asleep");
    Recorder *p_marked = new Recorder("marked");
    p_asleep->setActive(false);
    world().markForDelete(p_marked);

    qv::GameManager::getInstance().shutDown();
    world().update();

    EXPECT_EQ(journal(), (std::vector<std::string>{"awake deleted", "marked deleted", "asleep deleted"}));
}

class WorldBeforeStartTest : public EngineTest
{
};

TEST_F(WorldBeforeStartTest, ObjectsMadeBeforeStartUpStayOutsideTheWorld)
{
    Recorder *p_early = new Recorder("early");
    ASSERT_EQ(qv::GameManager::getInstance().startUp(), 0);
    qv::WorldManager &world = qv::WorldManager::getInstance();
    EXPECT_EQ(occurrences(world.getSceneGraph().activeObjects(), p_early), 0);
    EXPECT_EQ(occurrences(world.getSceneGraph().inactiveObjects(), p_early), 0);
    world.update();
    qv::GameManager::getInstance().shutDown();
    EXPECT_TRUE(entriesOf("early deleted").empty());
    // Nobody owns it, so it is the test's to delete.
    delete p_early;
}
