#include "EventCollision.h"
#include "world_support.h"

#include <functional>

using qv::Box;
using qv::Vector;
using Journal = std::vector<std::string>;
using WorldManagerTest = WorldTest;

namespace
{

// What objects saw, in order: "<name> <event type>" and "<name> deleted".
Journal journal;

int seen(const std::string &entry)
{
    return static_cast<int>(std::count(journal.begin(), journal.end(), entry));
}

class Recorder : public qv::Object
{
public:
    explicit Recorder(const std::string &init_name, Vector where = Vector(1, 1), qv::Solidness solidness = qv::HARD)
        : name(init_name)
    {
        setPosition(where);
        setSolidness(solidness);
        setType(init_name);
    }

    ~Recorder() override { journal.push_back(name + " deleted"); }

    int eventHandler(const qv::Event *p_event) override
    {
        journal.push_back(name + " " + p_event->getType());
        if (on_event)
            on_event(p_event);
        return 1;
    }

    std::string name;
    std::function<void(const qv::Event *)> on_event; // the test's reaction, after the journal entry
};

} // namespace

TEST_F(WorldManagerTest, CollisionRulesDecideWhoIsBlocked)
{
    struct Case
    {
        qv::Solidness mover, obstacle;
        bool no_soft, obstacle_active, moves, collide;
    };
    const Case cases[] = {
        {qv::HARD, qv::HARD, false, true, false, true},     {qv::HARD, qv::SOFT, false, true, true, true},
        {qv::HARD, qv::SOFT, true, true, false, true},      {qv::HARD, qv::HARD, true, true, false, true},
        {qv::SOFT, qv::HARD, false, true, true, true},      {qv::SOFT, qv::SOFT, false, true, true, true},
        {qv::SOFT, qv::SOFT, true, true, false, true},      {qv::HARD, qv::SPECTRAL, false, true, true, false},
        {qv::SPECTRAL, qv::HARD, false, true, true, false}, {qv::HARD, qv::HARD, false, false, true, false},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.mover << c.no_soft << " into " << c.obstacle << c.obstacle_active);
        journal.clear();
        Recorder *p_mover = new Recorder("mover", Vector(4, 1), c.mover);
        Recorder *p_obstacle = new Recorder("obstacle", Vector(5, 1), c.obstacle);
        p_mover->setNoSoft(c.no_soft);
        p_obstacle->setActive(c.obstacle_active);
        p_mover->setVelocity(Vector(1, 0));
        p_obstacle->on_event = [&](const qv::Event *p_event)
        {
            const auto *p_collision = static_cast<const qv::EventCollision *>(p_event);
            EXPECT_EQ(p_collision->getObject1(), p_mover);
            EXPECT_EQ(p_collision->getObject2(), p_obstacle);
            EXPECT_EQ(p_collision->getPosition(), Vector(5, 1));
        };
        world().update();
        EXPECT_EQ(p_mover->getPosition(), Vector(c.moves ? 5 : 4, 1));
        EXPECT_EQ(journal, c.collide ? Journal({"mover qv-collision", "obstacle qv-collision"}) : Journal());
        clearWorld();
    }
}

TEST_F(WorldManagerTest, SoftMoverPassesThroughWallsWithOneEventPerWall)
{
    Recorder *p_ghost = new Recorder("ghost", Vector(4, 1), qv::SOFT);
    new Recorder("wall", Vector(5, 1));
    new Recorder("wall", Vector(6, 1));
    p_ghost->setVelocity(Vector(1, 0));
    for (int pass = 0; pass < 3; pass++)
        world().update();
    EXPECT_EQ(p_ghost->getPosition(), Vector(7, 1));
    EXPECT_EQ(seen("ghost qv-collision"), 2);
    EXPECT_EQ(seen("wall qv-collision"), 2);
}

TEST_F(WorldManagerTest, AvoidingMoverSlidesAlongTheFirstHardObstacle)
{
    struct Case
    {
        std::vector<Vector> walls;
        qv::Solidness solidness;
        Vector direction, end;
        int result, events;
    };
    const Vector diagonal(0.70710678f, 0.70710678f);
    const Case cases[] = {
        {{Vector(4, 5)}, qv::HARD, diagonal, Vector(5, 4), 0, 0},
        {{Vector(4, 5), Vector(5, 4)}, qv::HARD, diagonal, Vector(4, 4), -1, 0},
        {{Vector(5, 4)}, qv::HARD, Vector(1, 0), Vector(4, 4), 0, 0},
        {{Vector(5, 4)}, qv::SOFT, Vector(1, 0), Vector(5, 4), 0, 1},
    };
    qv::LogManager::getInstance().setLogLevel(5);
    int doubles = 0;
    for (const Case &c : cases)
    {
        journal.clear();
        Recorder *p_mover = new Recorder("mover", Vector(4, 4));
        for (const Vector &where : c.walls)
            new Recorder("wall", where, c.solidness);
        p_mover->setAvoidCollisions(true);
        p_mover->setDirection(c.direction);
        p_mover->setSpeed(1);
        EXPECT_EQ(world().moveObject(p_mover, p_mover->predictPosition()), c.result) << c.end.getX();
        EXPECT_EQ(p_mover->getPosition(), c.end);
        EXPECT_EQ(p_mover->getDirection(), c.direction);
        EXPECT_EQ(seen("mover qv-collision") + seen("wall qv-collision"), 2 * c.events) << c.end.getX();
        doubles += c.result == -1;
        EXPECT_EQ(logCount("WorldManager::moveObject(): Double collision. Object (avoid obstacles) cannot move."),
                  doubles);
        p_mover->setSpeed(0);
        clearWorld();
    }
}

TEST_F(WorldManagerTest, LeavingTheWorldIsReportedOncePerExit)
{
    for (qv::Solidness solidness : {qv::HARD, qv::SPECTRAL})
    {
        journal.clear();
        Recorder *p_runner = new Recorder("runner", Vector(78, 1), solidness);
        p_runner->setVelocity(Vector(1, 0));
        // The box (corner -0.5, extent 0.99) touches the boundary at x = 80 and leaves it at 81.
        for (int pass = 1; pass <= 5; pass++)
        {
            world().update();
            EXPECT_EQ(seen("runner qv-out"), pass >= 3) << solidness << " pass " << pass;
        }
        world().moveObject(p_runner, Vector(79, 1));
        world().moveObject(p_runner, Vector(90, 1));
        EXPECT_EQ(seen("runner qv-out"), 2);
        clearWorld();
    }
}

TEST_F(WorldManagerTest, ViewIsCentredInsideTheBoundaryAndFollowsWithoutSlack)
{
    world().setBoundary(Box(Vector(0, 0), 641, 97));
    world().setViewSlack(Vector(0, 0));
    for (const auto &c :
         {std::make_pair(Vector(10, 10), Vector(0, 0)), std::make_pair(Vector(640, 96), Vector(561, 73)),
          std::make_pair(Vector(300, 50), Vector(260, 38))})
    {
        world().setViewPosition(c.first);
        EXPECT_EQ(world().getView(), Box(c.second, 80, 24)) << c.first.getX();
    }
    Recorder *p_hero = new Recorder("hero", Vector(100, 50));
    ASSERT_EQ(world().setViewFollowing(p_hero), 0);
    p_hero->setVelocity(Vector(1, 1));
    for (int pass = 0; pass < 3; pass++, world().update())
        EXPECT_EQ(world().getView().getCorner(), p_hero->getPosition() - Vector(40, 12)) << pass;
    Recorder *p_stranger = new Recorder("stranger");
    world().removeObject(p_stranger);
    EXPECT_EQ(world().setViewFollowing(p_stranger), -1);
    world().insertObject(p_stranger);
    world().moveObject(p_hero, Vector(200, 90));
    EXPECT_EQ(world().getView().getCorner(), Vector(160, 73)) << "still following the hero, up to the edge";
    world().markForDelete(p_hero);
    world().update();
    EXPECT_EQ(world().getViewFollowing(), nullptr);
    world().setBoundary(Box(Vector(0, 0), 40, 10));
    world().setViewPosition(Vector(30, 8));
    EXPECT_EQ(world().getView().getCorner(), Vector(0, 0)) << "larger than the world, it sits at the corner";
}

TEST_F(WorldManagerTest, WithSlackTheViewScrollsOnlyPastTheDeadZone)
{
    world().setBoundary(Box(Vector(0, 0), 641, 97));
    world().setViewSlack(Vector(0.5f, 0.5f));
    Recorder *p_hero = new Recorder("hero", Vector(40, 12));
    ASSERT_EQ(world().setViewFollowing(p_hero), 0);
    // The dead zone spans x 20 to 60 and y 6 to 18.
    for (const auto &c : {std::make_pair(Vector(60, 12), Vector(0, 0)), std::make_pair(Vector(20, 18), Vector(0, 0)),
                          std::make_pair(Vector(25, 6), Vector(0, 0)), std::make_pair(Vector(61, 12), Vector(1, 0)),
                          std::make_pair(Vector(61, 30), Vector(1, 12)), std::make_pair(Vector(10, 30), Vector(0, 12))})
    {
        world().moveObject(p_hero, c.first);
        EXPECT_EQ(world().getView().getCorner(), c.second) << c.first.getX() << "," << c.first.getY();
    }
    world().setViewSlack(Vector(1.5f, -0.1f));
    EXPECT_TRUE(logHas("WorldManager::setViewSlack(): Warning! view slack units out of range [0-1]"));
    EXPECT_EQ(world().getViewSlack(), Vector(1.5f, -0.1f));
}

TEST_F(WorldManagerTest, HandlersMayMarkCreateAndDeactivateObjects)
{
    Recorder *p_bullet = new Recorder("bullet", Vector(4, 1));
    Recorder *p_target = new Recorder("target", Vector(5, 1));
    Recorder *p_late = new Recorder("late", Vector(20, 20), qv::SPECTRAL);
    p_bullet->setVelocity(Vector(1, 0));
    p_late->setVelocity(Vector(0, 1));
    Recorder *p_spawn = nullptr;
    // Both parties mark both, so each is marked twice; each handler also makes an object.
    p_bullet->on_event = p_target->on_event = [&](const qv::Event *)
    {
        EXPECT_EQ(world().markForDelete(p_bullet), 0);
        EXPECT_EQ(world().markForDelete(p_target), 0);
        p_late->setActive(false);
        p_spawn = new Recorder("spawn", Vector(10, 10), qv::SPECTRAL);
        p_spawn->setVelocity(Vector(0, 1));
    };
    world().update();
    EXPECT_EQ(journal, (Journal{"bullet qv-collision", "target qv-collision", "bullet deleted", "target deleted"}));
    EXPECT_EQ(p_late->getPosition(), Vector(20, 21)) << "deactivated during the pass, still moved in it";
    EXPECT_EQ(p_spawn->getPosition(), Vector(10, 10)) << "created during the pass, first moved in the next";
    world().update();
    EXPECT_EQ(p_late->getPosition(), Vector(20, 21));
    EXPECT_EQ(p_spawn->getPosition(), Vector(10, 11));
    EXPECT_EQ(world().objectsOfType("spawn").getCount(), 2);
}

TEST_F(WorldManagerTest, DestructorsMayMarkMoreObjectsAndShutDownDeletesTheRest)
{
    struct Owner : Recorder
    {
        explicit Owner(qv::Object *p_init_owned) : Recorder("owner"), p_owned(p_init_owned) {}
        ~Owner() override { qv::WorldManager::getInstance().markForDelete(p_owned); }
        qv::Object *p_owned;
    };
    world().markForDelete(new Owner(new Recorder("owned")));
    world().update();
    EXPECT_EQ(journal, (Journal{"owner deleted", "owned deleted"}));
    journal.clear();
    new Owner(new Recorder("owned"));
    (new Recorder("asleep"))->setActive(false);
    world().markForDelete(new Recorder("marked"));
    EXPECT_EQ(world().objectsOfType("marked").getCount(), 1) << "marking never deletes at once";
    qv::GameManager::getInstance().shutDown();
    world().update();
    for (const char *name : {"owned", "owner", "asleep", "marked"})
        EXPECT_EQ(seen(std::string(name) + " deleted"), 1) << name;
}

TEST_F(WorldManagerTest, NullObjectsAreRefused)
{
    qv::SceneGraph &graph = world().getSceneGraph();
    const std::pair<const char *, std::function<int()>> cases[] = {
        {"WorldManager::insertObject", [&] { return world().insertObject(nullptr); }},
        {"WorldManager::removeObject", [&] { return world().removeObject(nullptr); }},
        {"WorldManager::markForDelete", [&] { return world().markForDelete(nullptr); }},
        {"WorldManager::moveObject", [&] { return world().moveObject(nullptr, Vector()); }},
        {"WorldManager::getCollisions", [&] { return world().getCollisions(nullptr, Vector()).getCount() - 1; }},
        {"SceneGraph::insertObject", [&] { return graph.insertObject(nullptr); }},
        {"SceneGraph::removeObject", [&] { return graph.removeObject(nullptr); }},
        {"SceneGraph::updateActive", [&] { return graph.updateActive(nullptr, false); }},
        {"SceneGraph::updateAltitude", [&] { return graph.updateAltitude(nullptr, 1); }},
        {"SceneGraph::updateSolidness", [&] { return graph.updateSolidness(nullptr, qv::SOFT); }},
        {"SceneGraph::updateVisible", [&] { return graph.updateVisible(nullptr, false); }},
        {"SceneGraph::updateType", [&] { return graph.updateType(nullptr, "A"); }},
        {"SceneGraph::getCollisions", [&] { return graph.getCollisions(nullptr, Vector()).getCount() - 1; }},
    };
    for (const auto &c : cases)
    {
        EXPECT_EQ(c.second(), -1) << c.first;
        EXPECT_TRUE(logHas(std::string(c.first) + "(): Error! Null object.")) << c.first;
    }
    world().update();
}
