#include "EventPath.h"
#include "PathFind.h"
#include "PathManager.h"
#include "test_path_reference.h"
#include "world_support.h"

#include <chrono>
#include <functional>
#include <random>
#include <thread>

using qv::Box;
using qv::Vector;
using Results = std::vector<int>;

namespace
{

const Box CELL(Vector(-0.5f, -0.5f), 0.99f, 0.99f);
const Box WIDE(Vector(-0.5f, -0.5f), 1.99f, 0.99f);

qv::PathManager &paths()
{
    return qv::PathManager::getInstance();
}

// Notes each path report and runs the test's reaction before handling it as any object does.
class Seeker : public qv::Object
{
public:
    Seeker(Vector from, Vector to)
    {
        setSolidness(qv::SPECTRAL);
        setPosition(from);
        EXPECT_EQ(requestPath(to), 0);
    }

    int eventHandler(const qv::Event *p_event) override
    {
        const auto *p_path_event = dynamic_cast<const qv::EventPath *>(p_event);
        if (p_path_event == nullptr)
            return Object::eventHandler(p_event);
        results.push_back(p_path_event->getResult());
        nodes = p_path_event->getPath().getNodes();
        expansions = getPathJob()->getExpansions();
        if (on_path)
            on_path();
        return Object::eventHandler(p_event);
    }

    Results results;
    std::vector<Vector> nodes; // of the last report
    int expansions = -1;       // of the job at the last report
    std::function<void()> on_path;
};

// Runs every pending search to its end, as passes of the game loop would.
void finishSearches()
{
    for (int pass = 0; pass < 10000 && paths().getJobCount() > 0; pass++)
        paths().cycle(100000);
}

// A random world: HARD cells, some two cells wide, a few HARD and SOFT boxes of any size at any
// place, a seeker of any solidness and a box of one or four cells, and sometimes a target at the goal.
struct Grid
{
    explicit Grid(std::mt19937 &init_random) : random(init_random)
    {
        const int width = number(1, 60);
        const int height = number(1, 30);
        qv::WorldManager::getInstance().setBoundary(Box(Vector(0, 0), width, height));
        const double density = std::uniform_real_distribution<double>(0.05, 0.35)(random);
        for (int y = 0; y < height; y++)
            for (int x = 0; x < width; x++)
                if (chance(density))
                    add(Vector(x, y), chance(0.3) ? WIDE : CELL, qv::HARD);
        // Braces fix the order in which the random numbers are drawn.
        for (int i = number(0, 4); i > 0; i--)
            add(Vector{real(width), real(height)}, any(), i % 2 ? qv::HARD : qv::SOFT);
        start = qv::Cell{number(0, width - 1), number(0, height - 1)};
        goal = qv::Cell{number(0, width - 1), number(0, height - 1)};
        const Box box = chance(0.2) ? Box(Vector(-0.5f, -0.5f), 1.99f, 1.99f) : CELL;
        // A solid seeker is among the solid objects, and must never block itself.
        p_seeker = add(Vector(start.x, start.y), box, static_cast<qv::Solidness>(number(0, 2)));
        if (chance(0.35))
        {
            const Box target_box = any();
            p_target = add(Vector(goal.x, goal.y), target_box, chance(0.5) ? qv::HARD : qv::SOFT);
        }
        walls.resize(walls.size() - (p_target != nullptr ? 2 : 1));
        name = std::to_string(width) + " x " + std::to_string(height) + " from " + std::to_string(start.x) + "," +
               std::to_string(start.y) + " to " + std::to_string(goal.x) + "," + std::to_string(goal.y);
    }

    qv::Object *add(Vector where, Box box, qv::Solidness solidness)
    {
        walls.push_back(new qv::Object);
        walls.back()->setBox(box);
        walls.back()->setPosition(where);
        walls.back()->setSolidness(solidness);
        return walls.back();
    }

    int number(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }
    float real(float high) { return std::uniform_real_distribution<float>(0, high)(random); }
    bool chance(double p) { return std::bernoulli_distribution(p)(random); }
    Box any()
    {
        const float horizontal = real(4);
        const float vertical = real(4);
        return Box(Vector(-horizontal / 2, -vertical / 2), horizontal, vertical);
    }

    std::mt19937 &random;
    std::vector<qv::Object *> walls; // every object but the seeker and the target
    qv::Object *p_seeker = nullptr;
    qv::Object *p_target = nullptr;
    qv::Cell start, goal;
    std::string name;
};

} // namespace

using PathTest = WorldTest;

// On random worlds, and with objects changing while every other search runs, the engine's search
// goes step for step with the plain one, which asks the world afresh at every step: the engine's
// memo of blocked cells must see each kind of change.
TEST_F(PathTest, EngineSearchGoesStepForStepWithThePlainSearch)
{
    using Change = std::function<void(Grid &, qv::Object *, Vector)>;
    const Change changes[] = {
        [](Grid &, qv::Object *p_wall, Vector near) { p_wall->setPosition(near); },
        [](Grid &grid, qv::Object *, Vector near) { grid.add(near, CELL, qv::HARD); },
        [](Grid &grid, qv::Object *, Vector) { grid.walls.push_back(new qv::Object); }, // born at (1, 1)
        [](Grid &grid, qv::Object *p_wall, Vector)
        {
            grid.walls.erase(std::find(grid.walls.begin(), grid.walls.end(), p_wall));
            qv::WorldManager::getInstance().markForDelete(p_wall);
            qv::WorldManager::getInstance().update();
        },
        [](Grid &, qv::Object *p_wall, Vector) { p_wall->setSolidness(qv::SOFT); },
        [](Grid &, qv::Object *p_wall, Vector) { p_wall->setSolidness(qv::HARD); },
        [](Grid &, qv::Object *p_wall, Vector) { p_wall->setSolidness(qv::SPECTRAL); },
        [](Grid &, qv::Object *p_wall, Vector) { p_wall->setActive(!p_wall->isActive()); },
        [](Grid &, qv::Object *p_wall, Vector) { p_wall->setBox(Box(Vector(-1.5f, -0.5f), 3, 1)); },
        [](Grid &, qv::Object *p_wall, Vector) { p_wall->setAnimation(qv::Animation(), true); },
        [](Grid &grid, qv::Object *, Vector) { grid.p_seeker->setBox(grid.p_seeker->getBox() == CELL ? WIDE : CELL); },
    };
    std::mt19937 random(20261207);
    int found = 0;
    int long_searches = 0;
    for (int i = 0; i < 340; i++)
    {
        Grid grid(random);
        ASSERT_EQ(grid.p_target != nullptr ? grid.p_seeker->requestPath(grid.p_target)
                                           : grid.p_seeker->requestPath(Vector(grid.goal.x, grid.goal.y)),
                  0)
            << grid.name;
        qv::PathFind *p_job = grid.p_seeker->getPathJob();
        ReferenceSearch reference(grid.p_seeker, grid.start, grid.goal, grid.p_target);
        std::vector<int> applied;
        for (int result = 1; result == 1;)
        {
            result = reference.cycleOnce();
            ASSERT_EQ(p_job->cycleOnce(), result) << grid.name << ", changes " << testing::PrintToString(applied);
            if (i % 2 == 0 || grid.walls.empty() || grid.number(0, 2) != 0)
                continue;
            // Near the cell expanded last, where a change matters to the cells tested next.
            const Vector near{static_cast<float>(reference.closed.back().x + grid.number(-2, 2)),
                              static_cast<float>(reference.closed.back().y + grid.number(-2, 2))};
            auto farther = [&](qv::Object *p_a, qv::Object *p_b)
            { return qv::distance(p_a->getPosition(), near) < qv::distance(p_b->getPosition(), near); };
            applied.push_back(grid.number(0, 10));
            changes[applied.back()](grid, *std::min_element(grid.walls.begin(), grid.walls.end(), farther), near);
        }
        EXPECT_EQ(p_job->getExpansions(), reference.expansions) << grid.name;
        EXPECT_EQ(p_job->getPath().getNodes(), reference.path()) << grid.name;
        found += reference.found;
        long_searches += reference.expansions > 50;
        clearWorld();
    }
    // Both outcomes and real searches, not only trivial ones.
    std::printf("found %d long %d\n", found, long_searches);
    EXPECT_GT(found, 100);
    EXPECT_LT(found, 300);
    EXPECT_GT(long_searches, 50);
}

TEST_F(PathTest, SearchesTakeTurnsWithinTheirBudget)
{
    qv::LogManager::getInstance().setLogLevel(5);
    Seeker *p_slow = new Seeker(Vector(3, 3), Vector(3, 3));
    Seeker *p_next = new Seeker(Vector(5, 5), Vector(40, 5));
    p_slow->on_path = [] { std::this_thread::sleep_for(std::chrono::milliseconds(3)); };
    EXPECT_EQ(paths().getCycleTime(), 0) << "a tenth of the 5 ms frame";
    paths().cycle(0);
    paths().cycle(-4);
    EXPECT_TRUE(p_slow->results.empty()) << "no time, no search";
    paths().cycle(1);
    EXPECT_EQ(p_slow->results, Results{2});
    EXPECT_EQ(p_slow->nodes, std::vector<Vector>{Vector(3, 3)});
    EXPECT_TRUE(logHas("PathManager::cycle(): cycle time 1 exceeded."));
    EXPECT_EQ(p_next->getPathJob()->getExpansions(), 0) << "left for the next pass";

    Seeker *p_short = new Seeker(Vector(0, 23), Vector(10, 23));
    int next_expansions = -1;
    p_short->on_path = [&] { next_expansions = p_next->getPathJob()->getExpansions(); };
    paths().cycle(100000);
    EXPECT_EQ(p_short->expansions, 11);
    EXPECT_EQ(next_expansions, 11) << "one expansion each in turn, the earlier job first";
    EXPECT_EQ(p_next->results, Results{2});
    EXPECT_TRUE(p_next->getFollowPath());
    EXPECT_EQ(p_next->getPathJob(), nullptr);
}

TEST_F(EngineTest, ATenthOfTheFrameGoesToPathsEvenWithNoTimeLeft)
{
    writeConfig("headless:true,\nframe_time:330,\nrandom_seed:-1,\n");
    ASSERT_EQ(qv::GameManager::getInstance().startUp(), 0);
    qv::WorldManager::getInstance().setBoundary(Box(Vector(0, 0), 80, 24));
    EXPECT_EQ(paths().getCycleTime(), 33);
    Seeker *p_seeker = new Seeker(Vector(2, 2), Vector(30, 2));
    paths().cycle(-5);
    EXPECT_EQ(p_seeker->results, Results{2});
    qv::GameManager::getInstance().shutDown();
}

TEST_F(PathTest, EachSearchIsReportedOnceUnlessItsJobIsGone)
{
    for (int y = 9; y <= 11; y++)
        for (int x = 9; x <= 11; x++)
            (new qv::Object)->setPosition(Vector(x, y));
    Seeker *p_walled = new Seeker(Vector(2, 2), Vector(10, 10));
    Seeker *p_removed = new Seeker(Vector(2, 2), Vector(30, 2));
    EXPECT_EQ(paths().removeJob(p_removed->getPathJob()), 0);
    EXPECT_EQ(paths().removeJob(p_removed->getPathJob()), -1);
    Seeker *p_renewed = new Seeker(Vector(2, 2), Vector(30, 2));
    Seeker *p_other = new Seeker(Vector(2, 10), Vector(70, 20));
    // Asked again while reporting, for itself and for another whose search is still running.
    p_renewed->on_path = [&]
    {
        p_renewed->on_path = nullptr;
        EXPECT_EQ(p_renewed->requestPath(Vector(2, 6)), 0);
        EXPECT_EQ(p_other->requestPath(Vector(5, 10)), 0);
    };
    Seeker *p_hunter = new Seeker(Vector(2, 2), Vector(2, 2));
    qv::Object *p_prey = new qv::Object;
    p_prey->setPosition(Vector(60, 20));
    ASSERT_EQ(p_hunter->requestPath(p_prey), 0);
    p_hunter->getPathJob()->cycleOnce();
    world().markForDelete(p_prey);
    world().update();
    finishSearches();
    EXPECT_EQ(p_walled->results, Results{0});
    EXPECT_TRUE(p_walled->nodes.empty());
    EXPECT_EQ(p_walled->expansions, 80 * 24 - 9) << "every cell outside the walls";
    EXPECT_FALSE(p_walled->getFollowPath());
    EXPECT_TRUE(p_removed->results.empty());
    EXPECT_EQ(p_renewed->results, (Results{2, 2}));
    EXPECT_EQ(p_renewed->nodes.back(), Vector(2, 6));
    EXPECT_EQ(p_hunter->results, Results{0});
    EXPECT_TRUE(logHas("PathFind::cycleOnce(): Target destroyed.  Search for Object " +
                       std::to_string(p_hunter->getId()) + " ended."));
    ASSERT_EQ(p_walled->requestPath(Vector(30, 2)), 0);
    world().markForDelete(p_walled);
    world().update();
    EXPECT_EQ(paths().getJobCount(), 0) << "a deleted object's search goes with it";
}
