#include "EventPath.h"
#include "PathFind.h"
#include "PathManager.h"
#include "world_support.h"

#include <chrono>
#include <cmath>
#include <functional>
#include <thread>

using qv::Box;
using qv::Vector;

namespace
{

// Notes every path report, lets the test react to it, then handles it as any object does.
class Walker : public qv::Object
{
public:
    explicit Walker(Vector where)
    {
        setSolidness(qv::SPECTRAL);
        setPosition(where);
    }

    int eventHandler(const qv::Event *p_event) override
    {
        if (p_event->getType() != qv::PATH_EVENT)
            return Object::eventHandler(p_event);
        const qv::EventPath *p_path_event = static_cast<const qv::EventPath *>(p_event);
        results.push_back(p_path_event->getResult());
        nodes = p_path_event->getPath().getNodes();
        expansions = getPathJob()->getExpansions();
        if (on_path)
            on_path(this);
        return Object::eventHandler(p_event);
    }

    std::vector<int> results;              // result of every report, in order
    std::vector<Vector> nodes;             // the path of the last report
    int expansions = -1;                   // of the job at the last report
    std::function<void(Walker *)> on_path; // the test's reaction to a report
};

qv::PathManager &paths()
{
    return qv::PathManager::getInstance();
}

void wall(int x, int y)
{
    (new qv::Object)->setPosition(Vector(x, y));
}

// Runs every pending search to its end, as passes of the game loop would.
void finishSearches()
{
    for (int pass = 0; pass < 1000 && paths().getJobCount() > 0; pass++)
        paths().cycle(100000);
}

std::vector<Vector> cells(std::initializer_list<Vector> list)
{
    return std::vector<Vector>(list);
}

} // namespace

class PathTest : public WorldTest
{
};

TEST_F(PathTest, PathIndexStaysOnItsNodes)
{
    qv::Path path({Vector(1, 2), Vector(3, 4)});
    path.next();
    EXPECT_EQ(path.setIndex(2), -1);
    EXPECT_EQ(path.setIndex(-1), -1);
    EXPECT_EQ(path.getIndex(), 1);
    EXPECT_EQ(path.currentNode(), Vector(3, 4));
}

TEST_F(PathTest, FoundPathsFollowTheSearchRules)
{
    struct Case
    {
        const char *rule;
        std::vector<Vector> walls;
        Vector start;
        Vector goal;
        std::vector<Vector> path;
    };
    const Case cases[] = {
        {"start equal to goal", {}, Vector(5, 5), Vector(5, 5), cells({Vector(5, 5)})},
        {"diagonal past one blocked cell",
         {Vector(6, 5)},
         Vector(5, 5),
         Vector(6, 6),
         cells({Vector(5, 5), Vector(6, 6)})},
        {"latest of equal f expanded first",
         {Vector(6, 5)},
         Vector(5, 5),
         Vector(7, 5),
         cells({Vector(5, 5), Vector(6, 6), Vector(7, 5)})},
        {"diagonal squeeze refused",
         {Vector(6, 5), Vector(5, 6)},
         Vector(5, 5),
         Vector(6, 6),
         cells({Vector(5, 5), Vector(6, 4), Vector(7, 5), Vector(6, 6)})},
    };
    for (const Case &c : cases)
    {
        for (const Vector &cell : c.walls)
            wall(static_cast<int>(cell.getX()), static_cast<int>(cell.getY()));
        Walker *p_walker = new Walker(c.start);
        ASSERT_EQ(p_walker->requestPath(c.goal), 0) << c.rule;
        finishSearches();
        EXPECT_EQ(p_walker->results, std::vector<int>{2}) << c.rule;
        EXPECT_EQ(p_walker->nodes, c.path) << c.rule;
        EXPECT_EQ(p_walker->getPathJob(), nullptr) << c.rule;
        for (qv::Object *p_o : toVector(world().getSceneGraph().activeObjects()))
            world().markForDelete(p_o);
        world().update();
    }
}

TEST_F(PathTest, HardObjectBlocksUnlessItCoversTheGoal)
{
    // Covers the cells 9 to 11 across and 4 to 6 down.
    qv::Object *p_block = new qv::Object;
    p_block->setBox(Box(Vector(-1.45f, -1.45f), 2.9f, 2.9f));
    p_block->setPosition(Vector(10, 5));
    Walker *p_inside = new Walker(Vector(2, 5));
    Walker *p_beyond = new Walker(Vector(2, 5));
    ASSERT_EQ(p_inside->requestPath(Vector(10, 5)), 0);
    ASSERT_EQ(p_beyond->requestPath(Vector(14, 5)), 0);
    finishSearches();

    ASSERT_EQ(p_inside->results, std::vector<int>{2});
    EXPECT_EQ(p_inside->nodes.size(), 9u) << "straight into the block";
    EXPECT_EQ(p_inside->nodes.back(), Vector(10, 5));
    ASSERT_EQ(p_beyond->results, std::vector<int>{2});
    EXPECT_EQ(p_beyond->nodes.back(), Vector(14, 5));
    for (const Vector &node : p_beyond->nodes)
        EXPECT_FALSE(node.getX() >= 9 && node.getX() <= 11 && node.getY() >= 4 && node.getY() <= 6)
            << "round the block, not through it: " << node.getX() << ", " << node.getY();
}

TEST_F(PathTest, SearchOnATargetEndsWhereTheBoxesTouch)
{
    struct Case
    {
        Box target_box;
        Vector end;
    };
    const Case cases[] = {
        {Box(Vector(-0.5f, -0.5f), 0.99f, 0.99f), Vector(20, 5)},
        {Box(Vector(-1.45f, -1.45f), 2.9f, 2.9f), Vector(19, 5)},
    };
    for (const Case &c : cases)
    {
        qv::Object *p_target = new qv::Object;
        p_target->setBox(c.target_box);
        p_target->setPosition(Vector(20, 5));
        Walker *p_walker = new Walker(Vector(10, 5));
        ASSERT_EQ(p_walker->requestPath(p_target), 0);
        finishSearches();
        ASSERT_EQ(p_walker->results, std::vector<int>{2});
        EXPECT_EQ(p_walker->nodes.back(), c.end);
        world().markForDelete(p_target);
        world().markForDelete(p_walker);
        world().update();
    }
}

TEST_F(PathTest, ExhaustedSearchIsReportedOnceWithNoPath)
{
    for (int y = 9; y <= 11; y++)
        for (int x = 9; x <= 11; x++)
            if (x != 10 || y != 10)
                wall(x, y);
    Walker *p_walker = new Walker(Vector(2, 2));
    ASSERT_EQ(p_walker->requestPath(Vector(10, 10)), 0);
    finishSearches();
    paths().cycle(100000);

    EXPECT_EQ(p_walker->results, std::vector<int>{0});
    EXPECT_TRUE(p_walker->nodes.empty());
    EXPECT_EQ(p_walker->expansions, 80 * 24 - 9) << "every cell outside the ring";
    EXPECT_EQ(p_walker->getPathJob(), nullptr);
    EXPECT_FALSE(p_walker->getFollowPath());
}

TEST_F(PathTest, JobsTakeTurnsWithinThePass)
{
    Walker *p_long = new Walker(Vector(0, 0));
    Walker *p_short = new Walker(Vector(0, 23));
    ASSERT_EQ(p_long->requestPath(Vector(79, 12)), 0);
    ASSERT_EQ(p_short->requestPath(Vector(10, 23)), 0);
    int long_expansions_then = -1;
    std::vector<Walker *> reported;
    p_long->on_path = p_short->on_path = [&](Walker *p_w)
    {
        if (p_w == p_short)
            long_expansions_then = p_long->getPathJob()->getExpansions();
        reported.push_back(p_w);
    };

    paths().cycle(100000);
    EXPECT_EQ(reported, (std::vector<Walker *>{p_short, p_long}));
    EXPECT_EQ(p_short->expansions, 11);
    EXPECT_EQ(long_expansions_then, p_short->expansions) << "one expansion each, the earlier job first";
    EXPECT_GT(p_long->expansions, p_short->expansions);
}

TEST_F(PathTest, PassOverItsBudgetLeavesTheRestForTheNextPass)
{
    qv::LogManager::getInstance().setLogLevel(5);
    Walker *p_slow = new Walker(Vector(3, 3));
    p_slow->on_path = [](Walker *) { std::this_thread::sleep_for(std::chrono::milliseconds(3)); };
    Walker *p_next = new Walker(Vector(5, 5));
    ASSERT_EQ(p_slow->requestPath(Vector(3, 3)), 0);
    ASSERT_EQ(p_next->requestPath(Vector(40, 5)), 0);

    paths().cycle(1);
    EXPECT_TRUE(logHas("PathManager::cycle(): cycle time 1 exceeded."));
    EXPECT_EQ(p_slow->results, std::vector<int>{2});
    ASSERT_NE(p_next->getPathJob(), nullptr);
    EXPECT_EQ(p_next->getPathJob()->getExpansions(), 0);

    finishSearches();
    EXPECT_EQ(p_next->results, std::vector<int>{2});
}

TEST_F(PathTest, RemovedAndReplacedJobsAreNeverReported)
{
    Walker *p_walker = new Walker(Vector(2, 2));
    ASSERT_EQ(p_walker->requestPath(Vector(30, 2)), 0);
    qv::PathFind *p_job = p_walker->getPathJob();
    EXPECT_EQ(paths().removeJob(p_job), 0);
    EXPECT_EQ(paths().removeJob(p_job), -1);
    EXPECT_EQ(paths().removeJob(nullptr), -1);
    finishSearches();
    EXPECT_TRUE(p_walker->results.empty());
    EXPECT_EQ(p_walker->getPathJob(), p_job) << "the owner still holds it";

    ASSERT_EQ(p_walker->requestPath(Vector(30, 2)), 0);
    ASSERT_EQ(p_walker->requestPath(Vector(2, 20)), 0);
    EXPECT_EQ(paths().getJobCount(), 1);
    finishSearches();
    EXPECT_EQ(p_walker->results, std::vector<int>{2});
    EXPECT_EQ(p_walker->nodes.back(), Vector(2, 20));

    // Deleted with its search pending: the search goes with it.
    ASSERT_EQ(p_walker->requestPath(Vector(30, 2)), 0);
    world().markForDelete(p_walker);
    world().update();
    EXPECT_EQ(paths().getJobCount(), 0);
    paths().cycle(100000);
}

TEST_F(PathTest, ObjectWalksItsPathToTheGoalPassByPass)
{
    for (int y = 0; y <= 8; y++)
        wall(10, y);
    Walker *p_walker = new Walker(Vector(2, 5));
    p_walker->setSpeed(0.5f);
    ASSERT_EQ(p_walker->requestPath(Vector(15, 3)), 0);
    finishSearches();
    ASSERT_EQ(p_walker->results, std::vector<int>{2});
    EXPECT_TRUE(p_walker->getFollowPath());

    int passes = 0;
    while (p_walker->getFollowPath() && passes < 500)
    {
        world().update();
        passes++;
    }
    EXPECT_EQ(p_walker->getPosition(), Vector(15, 3));
    EXPECT_EQ(p_walker->getDirection(), Vector());
    EXPECT_GT(passes, static_cast<int>(p_walker->nodes.size())) << "half a cell per pass";
}

TEST_F(PathTest, NoBudgetBelowATenthOfTheFrameMeansNoSearch)
{
    EXPECT_EQ(paths().getCycleTime(), 0) << "frame time 5 ms";
    Walker *p_walker = new Walker(Vector(2, 2));
    ASSERT_EQ(p_walker->requestPath(Vector(30, 2)), 0);
    paths().cycle(0);
    paths().cycle(-4);
    EXPECT_EQ(p_walker->getPathJob()->getExpansions(), 0);
}

class PathBudgetTest : public EngineTest
{
};

TEST_F(PathBudgetTest, ATenthOfTheFrameIsSpentEvenWithNoTimeLeft)
{
    writeConfig("headless:true,\nframe_time:330,\nrandom_seed:-1,\n");
    ASSERT_EQ(qv::GameManager::getInstance().startUp(), 0);
    qv::WorldManager::getInstance().setBoundary(Box(Vector(0, 0), 80, 24));
    EXPECT_EQ(paths().getCycleTime(), 33);
    Walker *p_walker = new Walker(Vector(2, 2));
    ASSERT_EQ(p_walker->requestPath(Vector(30, 2)), 0);
    paths().cycle(-5);
    EXPECT_EQ(p_walker->results, std::vector<int>{2});
    qv::GameManager::getInstance().shutDown();
}

TEST_F(PathBudgetTest, RequestsNeedAStartedPathManager)
{
    ASSERT_EQ(qv::LogManager::getInstance().startUp(), 0);
    qv::Object *p_outside = new qv::Object;
    EXPECT_EQ(p_outside->requestPath(Vector(1, 1)), -1);
    EXPECT_TRUE(logHas("Object::requestPath(): Error! Path manager not started."));
    EXPECT_EQ(p_outside->getPathJob(), nullptr);
    delete p_outside; // never entered the world, so the world will not delete it
    qv::LogManager::getInstance().shutDown();
}

TEST_F(PathTest, RefusedRequestsSayWhyAndKeepThePendingSearch)
{
    Walker *p_walker = new Walker(Vector(2, 2));
    ASSERT_EQ(p_walker->requestPath(Vector(30, 2)), 0);
    qv::PathFind *p_pending = p_walker->getPathJob();
    Walker *p_stray = new Walker(Vector(-3, 2.2f));
    qv::Object *p_far = new qv::Object;
    p_far->setPosition(Vector(90, 5));

    struct Case
    {
        std::function<int()> request;
        std::string message;
    };
    const Case cases[] = {
        {[&] { return p_walker->requestPath(nullptr); }, "Object::requestPath(): Error! Null target."},
        {[&] { return p_walker->requestPath(Vector(80, 5)); },
         "Object::requestPath(): Error! Goal cell (80, 5) outside the world."},
        {[&] { return p_walker->requestPath(Vector(3, -0.6f)); },
         "Object::requestPath(): Error! Goal cell (3, -1) outside the world."},
        {[&] { return p_walker->requestPath(Vector(NAN, 1e30f)); },
         "Object::requestPath(): Error! Goal cell (-2147483648, 2147483647) outside the world."},
        {[&] { return p_walker->requestPath(p_far); },
         "Object::requestPath(): Error! Goal cell (90, 5) outside the world."},
        {[&] { return p_stray->requestPath(Vector(5, 5)); },
         "Object::requestPath(): Error! Start cell (-3, 2) outside the world."},
    };
    for (const Case &c : cases)
    {
        EXPECT_EQ(c.request(), -1) << c.message;
        EXPECT_TRUE(logHas(c.message)) << c.message;
    }
    EXPECT_EQ(p_walker->getPathJob(), p_pending);
    EXPECT_EQ(paths().getJobCount(), 1);
    EXPECT_EQ(p_stray->getPathJob(), nullptr);
}

TEST_F(PathTest, OneCellWorld)
{
    world().setBoundary(Box(Vector(0, 0), 1, 1));
    Walker *p_walker = new Walker(Vector(0, 0));
    EXPECT_EQ(p_walker->requestPath(Vector(1, 0)), -1);
    ASSERT_EQ(p_walker->requestPath(Vector(0.3f, -0.2f)), 0);
    finishSearches();
    EXPECT_EQ(p_walker->results, std::vector<int>{2});
    EXPECT_EQ(p_walker->nodes, cells({Vector(0, 0)}));
}

TEST_F(PathTest, WalledInOnALargeWorldFailsAtOnce)
{
    world().setBoundary(Box(Vector(0, 0), 2000, 1000));
    for (int y = 499; y <= 501; y++)
        for (int x = 999; x <= 1001; x++)
            if (x != 1000 || y != 500)
                wall(x, y);
    Walker *p_walker = new Walker(Vector(1000, 500));
    ASSERT_EQ(p_walker->requestPath(Vector(5, 5)), 0);
    finishSearches();
    EXPECT_EQ(p_walker->results, std::vector<int>{0});
    EXPECT_EQ(p_walker->expansions, 1);
}

TEST_F(PathTest, TargetDestroyedDuringTheSearchEndsIt)
{
    qv::Object *p_target = new qv::Object;
    p_target->setPosition(Vector(60, 20));
    Walker *p_walker = new Walker(Vector(2, 2));
    ASSERT_EQ(p_walker->requestPath(p_target), 0);
    p_walker->getPathJob()->cycleOnce();
    world().markForDelete(p_target);
    world().update();

    finishSearches();
    EXPECT_EQ(p_walker->results, std::vector<int>{0});
    EXPECT_TRUE(logHas("PathFind::cycleOnce(): Target destroyed.  Search for Object " +
                       std::to_string(p_walker->getId()) + " ended."));
}

TEST_F(PathTest, HandlersMayAskForNewPaths)
{
    Walker *p_first = new Walker(Vector(2, 2));
    Walker *p_second = new Walker(Vector(2, 10));
    ASSERT_EQ(p_first->requestPath(Vector(4, 2)), 0);
    ASSERT_EQ(p_second->requestPath(Vector(70, 20)), 0);
    // The first asks again for itself, and sends the second elsewhere while its search runs.
    p_first->on_path = [&](Walker *p_w)
    {
        if (p_w->results.size() > 1)
            return;
        EXPECT_EQ(p_w->requestPath(Vector(2, 6)), 0);
        EXPECT_EQ(p_second->requestPath(Vector(5, 10)), 0);
    };
    finishSearches();

    EXPECT_EQ(p_first->results, (std::vector<int>{2, 2}));
    EXPECT_EQ(p_first->nodes.back(), Vector(2, 6));
    EXPECT_EQ(p_first->getPathJob(), nullptr);
    EXPECT_EQ(p_second->results, std::vector<int>{2});
    EXPECT_EQ(p_second->nodes.back(), Vector(5, 10));
    EXPECT_EQ(paths().getJobCount(), 0);
}

TEST_F(PathTest, BoundaryChangedDuringTheSearch)
{
    struct Case
    {
        float width;
        std::vector<int> results;
    };
    const Case cases[] = {{200, {2}}, {20, {0}}};
    for (const Case &c : cases)
    {
        world().setBoundary(Box(Vector(0, 0), 80, 24));
        Walker *p_walker = new Walker(Vector(2, 2));
        ASSERT_EQ(p_walker->requestPath(Vector(50, 20)), 0);
        world().setBoundary(Box(Vector(0, 0), c.width, 100));
        finishSearches();
        EXPECT_EQ(p_walker->results, c.results) << c.width;
        world().markForDelete(p_walker);
        world().update();
    }
}

TEST_F(PathTest, JobWithoutNodeGraphFails)
{
    qv::PathFind job;
    EXPECT_EQ(job.cycleOnce(), 0);
    EXPECT_TRUE(logHas("PathFind::cycleOnce(): node graph not allocated.  Cannot find path."));
    EXPECT_TRUE(job.getPath().getNodes().empty());
    EXPECT_EQ(paths().addJob(&job), -1);
    EXPECT_EQ(paths().addJob(nullptr), -1);
}
