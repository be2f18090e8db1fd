#include "EventCollision.h"
#include "world_support.h"

#include <random>
#include <tuple>

using qv::Box;
using qv::HARD;
using qv::SOFT;
using qv::SPECTRAL;
using qv::Vector;
using Journal = std::vector<std::string>;
using WorldManagerTest = WorldTest;

namespace
{

// Each store of the scene graph holds exactly the objects of `live` that its rule calls for, once.
void expectConsistent(const std::vector<qv::Object *> &live)
{
    using Rule = std::function<bool(const qv::Object *)>;
    qv::SceneGraph &graph = qv::WorldManager::getInstance().getSceneGraph();
    std::vector<std::pair<qv::ObjectList, Rule>> stores = {
        {graph.activeObjects(), [](const qv::Object *p_o) { return p_o->isActive(); }},
        {graph.inactiveObjects(), [](const qv::Object *p_o) { return !p_o->isActive(); }},
        {graph.solidObjects(), [](const qv::Object *p_o) { return p_o->isActive() && p_o->isSolid(); }},
    };
    for (const std::string type : {"A", "B", "(Undefined)"})
        stores.emplace_back(graph.objectsOfType(type),
                            [type](const qv::Object *p_o) { return p_o->isActive() && p_o->getType() == type; });
    for (int altitude = 0; altitude <= qv::MAX_ALTITUDE; altitude++)
        stores.emplace_back(graph.visibleObjects(altitude), [altitude](const qv::Object *p_o)
                            { return p_o->isActive() && p_o->isVisible() && p_o->getAltitude() == altitude; });
    for (std::size_t store = 0; store < stores.size(); store++)
    {
        int due = 0;
        for (const qv::Object *p_o : live)
        {
            due += stores[store].second(p_o);
            EXPECT_EQ(occurrences(stores[store].first, p_o), stores[store].second(p_o)) << p_o->getId() << " " << store;
        }
        EXPECT_EQ(stores[store].first.getCount(), due) << "store " << store;
    }
}

} // namespace

TEST_F(WorldManagerTest, SolidnessDecidesWhoIsBlockedAndAvoidersSlideAlongHardObstacles)
{
    const Vector right(1, 0);
    const Vector diagonal(0.70710678f, 0.70710678f);
    const std::vector<Vector> ahead = {Vector(5, 4)};
    const std::tuple<qv::Solidness, bool, bool, Vector, std::vector<Vector>, qv::Solidness, bool, Vector, int, bool>
        cases[] = {
            // mover, no_soft, avoids, direction; obstacles, their solidness, active; where the mover ends,
            // moveObject's result, whether both hear of the collision
            {HARD, false, false, right, ahead, HARD, true, Vector(4, 4), -1, true},
            {HARD, false, false, right, ahead, SOFT, true, Vector(5, 4), 0, true},
            {HARD, true, false, right, ahead, SOFT, true, Vector(4, 4), -1, true},
            {SOFT, false, false, right, ahead, HARD, true, Vector(5, 4), 0, true},
            {SOFT, false, false, right, ahead, SOFT, true, Vector(5, 4), 0, true},
            {SOFT, true, false, right, ahead, SOFT, true, Vector(4, 4), -1, true},
            {HARD, false, false, right, ahead, SPECTRAL, true, Vector(5, 4), 0, false},
            {SPECTRAL, false, false, right, ahead, HARD, true, Vector(5, 4), 0, false},
            {HARD, false, false, right, ahead, HARD, false, Vector(5, 4), 0, false},
            {HARD, false, true, right, ahead, HARD, true, Vector(4, 4), 0, false},
            {HARD, false, true, right, ahead, SOFT, true, Vector(5, 4), 0, true},
            {HARD, false, true, diagonal, {Vector(4, 5)}, HARD, true, Vector(5, 4), 0, false},
            {HARD, false, true, diagonal, {Vector(4, 5), Vector(5, 4)}, HARD, true, Vector(4, 4), -1, false},
        };
    qv::LogManager::getInstance().setLogLevel(5);
    for (const auto &[mover, no_soft, avoids, direction, obstacles, solidness, active, end, result, hear] : cases)
    {
        SCOPED_TRACE(testing::Message() << mover << no_soft << avoids << obstacles.size() << solidness << active);
        journal.clear();
        Recorder *p_mover = new Recorder("mover", Vector(4, 4), mover);
        p_mover->setNoSoft(no_soft);
        p_mover->setAvoidCollisions(avoids);
        p_mover->setDirection(direction);
        p_mover->setSpeed(1);
        for (const Vector &where : obstacles)
        {
            Recorder *p_obstacle = new Recorder("obstacle", where, solidness);
            p_obstacle->setActive(active);
            p_obstacle->on_event = [p_mover, p_obstacle](const qv::Event *p_event)
            {
                const auto *p_hit = static_cast<const qv::EventCollision *>(p_event);
                EXPECT_TRUE(p_hit->getObject1() == p_mover && p_hit->getObject2() == p_obstacle);
                EXPECT_EQ(p_hit->getPosition(), Vector(5, 4));
            };
        }
        EXPECT_EQ(world().moveObject(p_mover, p_mover->predictPosition()), result);
        EXPECT_EQ(p_mover->getPosition(), end);
        EXPECT_EQ(p_mover->getDirection(), direction);
        EXPECT_EQ(journal, hear ? Journal({"mover qv-collision", "obstacle qv-collision"}) : Journal());
        p_mover->setSpeed(0);
        clearWorld();
    }
    EXPECT_EQ(logCount("WorldManager::moveObject(): Double collision. Object (avoid obstacles) cannot move."), 1);
}

TEST_F(WorldManagerTest, LeavingTheWorldIsReportedOnce)
{
    for (qv::Solidness solidness : {HARD, SPECTRAL})
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
        clearWorld();
    }
}

TEST_F(WorldManagerTest, ViewFollowsItsObjectInsideTheBoundary)
{
    // With slack 0.5 the dead zone of a view at (0, 0) spans x 20 to 60 and y 6 to 18.
    const std::tuple<float, Vector, Vector> slack_position_corner[] = {
        {0, Vector(101, 51), Vector(61, 39)},  {0, Vector(640, 96), Vector(561, 73)},
        {0, Vector(200, 50), Vector(160, 38)}, {0, Vector(40, 12), Vector(0, 0)},
        {0.5f, Vector(60, 12), Vector(0, 0)},  {0.5f, Vector(20, 18), Vector(0, 0)},
        {0.5f, Vector(25, 6), Vector(0, 0)},   {0.5f, Vector(61, 12), Vector(1, 0)},
        {0.5f, Vector(61, 30), Vector(1, 12)}, {0.5f, Vector(10, 30), Vector(0, 12)},
    };
    world().setBoundary(Box(Vector(0, 0), 641, 97));
    world().setViewSlack(Vector(0, 0));
    Recorder *p_hero = new Recorder("hero", Vector(100, 50));
    ASSERT_EQ(world().setViewFollowing(p_hero), 0);
    EXPECT_EQ(world().getView(), Box(Vector(60, 38), 80, 24));
    for (const auto &[slack, position, corner] : slack_position_corner)
    {
        world().setViewSlack(Vector(slack, slack));
        world().moveObject(p_hero, position);
        EXPECT_EQ(world().getView().getCorner(), corner) << slack << " " << position.getX() << "," << position.getY();
    }
}

TEST_F(WorldManagerTest, DeletionWaitsForTheEndOfThePassWhateverMarksOrMakesObjects)
{
    struct Owner : Recorder
    {
        explicit Owner(qv::Object *p_init_owned) : Recorder("owner"), p_owned(p_init_owned) {}
        ~Owner() override { qv::WorldManager::getInstance().markForDelete(p_owned); }
        qv::Object *p_owned;
    };
    Recorder *p_bullet = new Recorder("bullet", Vector(4, 1));
    Recorder *p_target = new Recorder("target", Vector(5, 1));
    p_bullet->setVelocity(Vector(1, 0));
    Recorder *p_spawn = nullptr;
    // Each party marks both and makes an object.
    p_bullet->on_event = p_target->on_event = [&](const qv::Event *)
    {
        EXPECT_EQ(world().markForDelete(p_bullet), 0);
        EXPECT_EQ(world().markForDelete(p_target), 0);
        p_spawn = new Recorder("spawn", Vector(10, 10), SPECTRAL);
        p_spawn->setVelocity(Vector(0, 1));
    };
    world().markForDelete(new Owner(new Recorder("owned")));
    world().update();
    EXPECT_EQ(journal, (Journal{"bullet qv-collision", "target qv-collision", "owner deleted", "bullet deleted",
                                "target deleted", "owned deleted"}));
    EXPECT_EQ(p_spawn->getPosition(), Vector(10, 10)) << "created during the pass, first moved in the next";
    EXPECT_EQ(world().objectsOfType("spawn").getCount(), 2);
    journal.clear();
    new Owner(new Recorder("owned"));
    (new Recorder("asleep"))->setActive(false);
    world().markForDelete(new Recorder("marked"));
    qv::GameManager::getInstance().shutDown();
    world().update();
    for (const char *name : {"owned", "owner", "asleep", "marked"})
        EXPECT_EQ(seen(std::string(name) + " deleted"), 1) << name;
    EXPECT_EQ(seen("spawn deleted"), 2);
}

TEST_F(WorldManagerTest, StoresFollowEverySequenceOfChanges)
{
    std::vector<qv::Object *> live(12);
    std::generate(live.begin(), live.end(), [] { return new qv::Object; });
    const std::function<void(qv::Object *, int)> changes[] = {
        [](qv::Object *p_o, int) { EXPECT_EQ(p_o->setActive(!p_o->isActive()), 0); },
        [](qv::Object *p_o, int r) { EXPECT_EQ(p_o->setSolidness(static_cast<qv::Solidness>(r % 3)), 0); },
        [](qv::Object *p_o, int r) { EXPECT_EQ(p_o->setAltitude(r % 5), 0); },
        [](qv::Object *p_o, int) { EXPECT_EQ(p_o->setVisible(!p_o->isVisible()), 0); },
        [](qv::Object *p_o, int r) { p_o->setType(r % 2 ? "A" : "B"); },
        [](qv::Object *p_o, int r) { p_o->setBox(Box(Vector(-1, -1), static_cast<float>(r % 3 + 1), 2)); },
        [&live](qv::Object *p_o, int)
        {
            world().markForDelete(p_o);
            world().markForDelete(p_o);
            world().update();
            *std::find(live.begin(), live.end(), p_o) = new qv::Object;
        },
    };
    std::mt19937 next(12345);
    for (int step = 0; step < 400 && !HasFailure(); step++)
    {
        qv::Object *p_o = live[next() % live.size()];
        const unsigned what = next() % 7;
        SCOPED_TRACE(testing::Message() << "step " << step << ", change " << what << ", object " << p_o->getId());
        changes[what](p_o, static_cast<int>(next() % 1000));
        expectConsistent(live);
    }
}

// A pass that deletes many objects sweeps them out of the stores at once: every store keeps its
// survivors in order, then what destructors made meanwhile, and no query sees a deleted object.
TEST_F(WorldManagerTest, ManyDeletionsInOnePassLeaveEveryStoreInOrder)
{
    static std::vector<const qv::Object *> gone, made;
    static bool making = true; // not at shut-down, where the world refuses new objects
    struct Doomed : qv::Object
    {
        ~Doomed() override
        {
            // A new object may take the address of one deleted before it.
            for (const qv::Object *p_o : items(qv::WorldManager::getInstance().getSceneGraph().activeObjects()))
                EXPECT_TRUE(std::count(gone.begin(), gone.end(), p_o) == 0 ||
                            std::count(made.begin(), made.end(), p_o) > 0);
            gone.push_back(this);
            if (making && getId() % 5 == 0)
                made.push_back(new qv::Object);
        }
    };
    std::mt19937 next(7);
    std::vector<qv::Object *> live;
    for (int i = 0; i < 300; i++)
    {
        qv::Object *p_o = new Doomed;
        p_o->setType(next() % 2 ? "A" : "B");
        p_o->setSolidness(static_cast<qv::Solidness>(next() % 3));
        p_o->setAltitude(static_cast<int>(next() % 5));
        p_o->setVisible(next() % 4 != 0);
        p_o->setActive(next() % 6 != 0);
        live.push_back(p_o);
    }
    qv::SceneGraph &graph = world().getSceneGraph();
    const auto stores = [&graph]
    {
        std::vector<qv::ObjectList> all = {graph.activeObjects(),    graph.inactiveObjects(),
                                           graph.solidObjects(),     graph.objectsOfType("A"),
                                           graph.objectsOfType("B"), graph.objectsOfType("(Undefined)")};
        for (int altitude = 0; altitude <= qv::MAX_ALTITUDE; altitude++)
            all.push_back(graph.visibleObjects(altitude));
        return all;
    };
    const std::vector<qv::ObjectList> before = stores();
    for (std::size_t i = 0; i < live.size(); i++)
        if (i % 4 != 0)
            world().markForDelete(live[i]);
    world().update();
    making = false;
    EXPECT_EQ(gone.size(), 225u);
    EXPECT_EQ(made.size(), 45u);
    const std::vector<qv::ObjectList> after = stores();
    for (std::size_t store = 0; store < before.size(); store++)
    {
        std::vector<qv::Object *> expected;
        for (qv::Object *p_o : items(before[store]))
            if (std::count(gone.begin(), gone.end(), p_o) == 0)
                expected.push_back(p_o);
        // Made with every default: active, HARD, visible at altitude 2, "(Undefined)".
        if (store == 0 || store == 2 || store == 5 || store == 8)
            for (const qv::Object *p_o : made)
                expected.push_back(const_cast<qv::Object *>(p_o));
        EXPECT_EQ(items(after[store]), expected) << "store " << store;
    }
}

// An object the stores do not hold, swept with others, is reported as a single removal would be.
TEST_F(WorldManagerTest, SweptRemovalOfAnUnknownObjectIsReported)
{
    qv::SceneGraph &graph = world().getSceneGraph();
    qv::Object *p_o = new qv::Object;
    ASSERT_EQ(graph.removeObject(p_o), 0);
    graph.beginRemovals();
    EXPECT_EQ(graph.removeObject(p_o), 0);
    EXPECT_EQ(graph.removeObject(p_o), -1);
    graph.endRemovals();
    char pointer[32];
    std::snprintf(pointer, sizeof(pointer), "%p", static_cast<void *>(p_o));
    EXPECT_EQ(logCount("SceneGraph::removeObject(): Error removing Object (id " + std::to_string(p_o->getId()) +
                       ")! Pointer is " + pointer + "."),
              2);
    ASSERT_EQ(graph.insertObject(p_o), 0);
}

TEST_F(WorldManagerTest, NullObjectsAreRefused)
{
    const std::pair<const char *, std::function<int()>> cases[] = {
        {"WorldManager::insertObject", [&] { return world().insertObject(nullptr); }},
        {"WorldManager::removeObject", [&] { return world().removeObject(nullptr); }},
        {"WorldManager::markForDelete", [&] { return world().markForDelete(nullptr); }},
        {"WorldManager::moveObject", [&] { return world().moveObject(nullptr, Vector()); }},
        {"WorldManager::getCollisions", [&] { return world().getCollisions(nullptr, Vector()).getCount() - 1; }},
    };
    for (const auto &[operation, call] : cases)
    {
        EXPECT_EQ(call(), -1) << operation;
        EXPECT_TRUE(logHas(std::string(operation) + "(): Error! Null object.")) << operation;
    }
    world().update();
}
