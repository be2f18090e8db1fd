#include "EventPath.h"
#include "PathFind.h"
#include "PathManager.h"
#include "test_path_reference.h"
#include "world_support.h"

#include <chrono>
#include <functional>
#include <random>
#include <string>
#include <thread>

using qv::Box;
using qv::Vector;
using PathTest = WorldTest;

namespace
{

const Box CELL(Vector(-0.5f, -0.5f), 0.99f, 0.99f);
const Box WIDE(Vector(-0.5f, -0.5f), 1.99f, 0.99f);
const Box BIG(Vector(-1.2f, -0.7f), 2.5f, 3.1f);

// A random world: HARD cells, some two cells wide, a seeker of any solidness, and sometimes a HARD
// or SOFT target at the goal. The seeker has asked for its path.
struct Grid
{
    explicit Grid(unsigned seed) : random(seed)
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
        start = qv::Cell{number(0, width - 1), number(0, height - 1)};
        goal = qv::Cell{number(0, width - 1), number(0, height - 1)};
        const Box box = chance(0.2) ? WIDE : CELL;
        // A solid seeker is among the solid objects, and must never block itself.
        p_seeker = add(Vector(start.x, start.y), box, static_cast<qv::Solidness>(number(0, 2)));
        if (chance(0.35))
            p_target = add(Vector(goal.x, goal.y), BIG, chance(0.5) ? qv::HARD : qv::SOFT);
        walls.resize(walls.size() - (p_target != nullptr ? 2 : 1));
        EXPECT_EQ(p_target ? p_seeker->requestPath(p_target) : p_seeker->requestPath(Vector(goal.x, goal.y)), 0);
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
    bool chance(double p) { return std::bernoulli_distribution(p)(random); }

    std::mt19937 random;
    std::vector<qv::Object *> walls; // every object but the seeker and the target
    qv::Object *p_seeker = nullptr;
    qv::Object *p_target = nullptr;
    qv::Cell start, goal;
};

// Runs a search for the grid's seeker between two cells of the world picked at random, in batches
// of 1 to 20 expansions as the path manager runs a lone search, each batch against as many steps
// of the plain search; `between` runs after each batch. Whether a way was found.
bool searchAlongside(Grid &grid, const std::function<void()> &between, const std::string &where)
{
    const Box boundary = qv::WorldManager::getInstance().getBoundary();
    const int width = static_cast<int>(boundary.getHorizontal());
    const int height = static_cast<int>(boundary.getVertical());
    const qv::Cell start{grid.number(0, width - 1), grid.number(0, height - 1)};
    const qv::Cell goal{grid.number(0, width - 1), grid.number(0, height - 1)};
    grid.p_seeker->setPosition(Vector(start.x, start.y));
    qv::PathFind job(grid.p_seeker, start, goal);
    ReferenceSearch reference(grid.p_seeker, start, goal);
    for (int result = 1; result == 1;)
    {
        const int most = grid.number(1, 20);
        int made = 0;
        result = job.cycle(most, &made);
        int expected = 1;
        int calls = 0;
        while (calls < most && expected == 1)
        {
            expected = reference.cycleOnce();
            calls++;
        }
        if (made != calls || result != expected)
        {
            ADD_FAILURE() << where << ": " << made << " steps gave " << result << ", the plain search's " << calls
                          << " gave " << expected;
            return false;
        }
        between();
    }
    EXPECT_EQ(job.getExpansions(), reference.expansions) << where;
    EXPECT_EQ(job.getPath().getNodes(), reference.path()) << where;
    return reference.found;
}

} // namespace

// On random worlds, and on every other one with objects changing during the search, the engine's
// search goes step for step with the plain one, which asks the world afresh at every step: the
// engine's memo of blocked cells must see each kind of change.
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
        [](Grid &grid, qv::Object *p_wall, Vector) { p_wall->setSolidness(qv::Solidness(grid.number(0, 2))); },
        [](Grid &, qv::Object *p_wall, Vector) { p_wall->setActive(!p_wall->isActive()); },
        [](Grid &, qv::Object *p_wall, Vector) { p_wall->setBox(Box(Vector(-1.5f, -0.5f), 3, 1)); },
        [](Grid &, qv::Object *p_wall, Vector) { p_wall->setAnimation(qv::Animation(), true); },
        [](Grid &grid, qv::Object *, Vector) { grid.p_seeker->setBox(grid.p_seeker->getBox() == CELL ? WIDE : CELL); },
    };
    int found = 0;
    for (int i = 0; i < 340; i++)
    {
        Grid grid(20261207 + i);
        qv::PathFind *p_job = grid.p_seeker->getPathJob();
        ASSERT_NE(p_job, nullptr) << "grid " << i;
        ReferenceSearch reference(grid.p_seeker, grid.start, grid.goal, grid.p_target);
        std::vector<int> applied;
        for (int result = 1; result == 1;)
        {
            result = reference.cycleOnce();
            ASSERT_EQ(p_job->cycleOnce(), result) << "grid " << i << ", changes " << testing::PrintToString(applied);
            if (i % 2 == 0 || grid.walls.empty() || grid.number(0, 2) != 0)
                continue;
            // Near the cell expanded last, where a change matters to the cells tested next.
            const Vector near{static_cast<float>(reference.closed.back().x + grid.number(-2, 2)),
                              static_cast<float>(reference.closed.back().y + grid.number(-2, 2))};
            auto closer = [&](qv::Object *p_a, qv::Object *p_b)
            { return qv::distance(p_a->getPosition(), near) < qv::distance(p_b->getPosition(), near); };
            applied.push_back(grid.number(0, 8));
            changes[applied.back()](grid, *std::min_element(grid.walls.begin(), grid.walls.end(), closer), near);
        }
        EXPECT_EQ(p_job->getExpansions(), reference.expansions) << "grid " << i;
        EXPECT_EQ(p_job->getPath().getNodes(), reference.path()) << "grid " << i;
        found += reference.found;
        clearWorld();
    }
    EXPECT_TRUE(found > 150 && found < 300) << found << " found: both outcomes must be common";
}

// Searches one after another over one world, each run in batches, take up the cells the searches
// before them left: each still goes step for step with the plain search.
TEST_F(PathTest, SearchesOneAfterAnotherOverOneWorldAgreeWithThePlainSearch)
{
    int found = 0;
    for (int world = 0; world < 10; world++)
    {
        Grid grid(20261300 + world);
        for (int i = 0; i < 20; i++)
            found += searchAlongside(
                grid, [] {}, "world " + std::to_string(world) + ", search " + std::to_string(i));
        clearWorld();
    }
    EXPECT_GT(found, 50) << found;
}

// Walls that move, a few at a time between batches of a search's steps and between searches,
// sometimes onto one another, out of the world and back, or with a new box; now and then one is
// added or stops being HARD: the blocked cells kept up to date move by move still give the plain
// search's steps, and other changes are not mistaken for moves.
TEST_F(PathTest, SearchesAmongMovingWallsAgreeWithThePlainSearch)
{
    int found = 0;
    for (int world = 0; world < 30; world++)
    {
        Grid grid(20261500 + world);
        grid.p_seeker->setPathJob(nullptr);
        const Box boundary = qv::WorldManager::getInstance().getBoundary();
        const int width = static_cast<int>(boundary.getHorizontal());
        const int height = static_cast<int>(boundary.getVertical());
        // Few enough walls that a move is caught up with rather than the cells made afresh.
        while (grid.walls.size() > static_cast<std::size_t>(width * height / 30))
        {
            qv::WorldManager::getInstance().markForDelete(grid.walls.back());
            grid.walls.pop_back();
        }
        qv::WorldManager::getInstance().update();
        if (grid.walls.empty())
            continue;
        auto anywhere = [&] { return Vector(grid.number(-2, width + 1), grid.number(-2, height + 1)); };
        auto stir = [&]
        {
            for (int moves = grid.number(0, 3); moves > 0; moves--)
            {
                qv::Object *p_wall = grid.walls[grid.number(0, static_cast<int>(grid.walls.size()) - 1)];
                const int kind = grid.number(0, 19);
                if (kind == 0)
                    p_wall->setBox(p_wall->getBox() == CELL ? WIDE : CELL);
                else if (kind == 1)
                    p_wall->setPosition(grid.walls[0]->getPosition());
                else if (kind == 2)
                    grid.add(anywhere(), CELL, qv::HARD);
                else if (kind == 3)
                    p_wall->setSolidness(p_wall->getSolidness() == qv::HARD ? qv::SPECTRAL : qv::HARD);
                else
                    p_wall->setPosition(anywhere());
            }
        };
        for (int i = 0; i < 8; i++)
        {
            found += searchAlongside(grid, stir, "world " + std::to_string(world) + ", search " + std::to_string(i));
            stir();
        }
        clearWorld();
    }
    EXPECT_GT(found, 100) << "searches must walk among the walls";
}

TEST_F(EngineTest, PathSearchesTakeTurnsForATenthOfTheFrameAtLeast)
{
    writeConfig("headless:true,\nframe_time:30,\nrandom_seed:-1,\n");
    ASSERT_EQ(qv::GameManager::getInstance().startUp(), 0); // a world of 80 x 24 cells
    qv::LogManager::getInstance().setLogLevel(5);
    qv::PathManager &paths = qv::PathManager::getInstance();
    Recorder *p_slow = new Recorder("slow", Vector(3, 3), qv::SPECTRAL);
    Recorder *p_next = new Recorder("next", Vector(5, 5), qv::SPECTRAL);
    Recorder *p_short = new Recorder("short", Vector(0, 23), qv::SPECTRAL);
    ASSERT_EQ(p_slow->requestPath(Vector(3, 3)), 0);
    ASSERT_EQ(p_next->requestPath(Vector(40, 5)), 0);
    p_slow->on_event = [](const qv::Event *) { std::this_thread::sleep_for(std::chrono::milliseconds(4)); };
    paths.cycle(-5);
    EXPECT_EQ(journal, std::vector<std::string>{"slow qv-path 2"});
    EXPECT_EQ(p_slow->getPath().getNodes(), std::vector<Vector>{Vector(3, 3)});
    EXPECT_TRUE(logHas("PathManager::cycle(): cycle time 3 exceeded."));
    EXPECT_EQ(p_next->getPathJob()->getExpansions(), 0) << "left for the next pass";
    ASSERT_EQ(p_short->requestPath(Vector(10, 23)), 0);
    int next_expansions = -1;
    p_short->on_event = [&](const qv::Event *) { next_expansions = p_next->getPathJob()->getExpansions(); };
    paths.cycle(100000);
    EXPECT_EQ(next_expansions, 11) << "one expansion each in turn, the earlier job first";
    EXPECT_EQ(journal, (std::vector<std::string>{"slow qv-path 2", "short qv-path 2", "next qv-path 2"}));
    qv::GameManager::getInstance().shutDown();
}

TEST_F(PathTest, EachSearchIsReportedOnceToTheObjectStillWaitingForIt)
{
    qv::PathManager &paths = qv::PathManager::getInstance();
    Recorder *p_dropped = new Recorder("dropped", Vector(2, 2), qv::SPECTRAL);
    Recorder *p_again = new Recorder("again", Vector(2, 2), qv::SPECTRAL);
    Recorder *p_hunter = new Recorder("hunter", Vector(2, 2), qv::SPECTRAL);
    qv::Object *p_prey = new qv::Object;
    p_prey->setPosition(Vector(60, 20));
    ASSERT_EQ(p_dropped->requestPath(Vector(30, 2)), 0);
    ASSERT_EQ(p_again->requestPath(Vector(3, 2)), 0);
    ASSERT_EQ(p_hunter->requestPath(p_prey), 0);
    EXPECT_EQ(paths.removeJob(p_dropped->getPathJob()), 0);
    EXPECT_EQ(paths.removeJob(p_dropped->getPathJob()), -1);
    // Reporting, it asks again for itself and for the object whose job was dropped.
    p_again->on_event = [&](const qv::Event *)
    {
        p_again->on_event = nullptr;
        EXPECT_EQ(p_again->requestPath(Vector(2, 6)), 0);
        EXPECT_EQ(p_dropped->requestPath(Vector(5, 10)), 0);
    };
    world().markForDelete(p_prey);
    world().update();
    for (int pass = 0; pass < 100 && paths.getJobCount() > 0; pass++)
        paths.cycle(100000);
    EXPECT_EQ(seen("again qv-path 2"), 2);
    EXPECT_EQ(p_again->getPath().getNodes().back(), Vector(2, 6));
    EXPECT_EQ(seen("dropped qv-path 2"), 1);
    EXPECT_EQ(p_dropped->getPath().getNodes().back(), Vector(5, 10));
    EXPECT_EQ(seen("hunter qv-path 0"), 1);
    EXPECT_TRUE(logHas("PathFind::cycleOnce(): Target destroyed.  Search for Object " +
                       std::to_string(p_hunter->getId()) + " ended."));
    ASSERT_EQ(p_again->requestPath(Vector(30, 2)), 0);
    world().markForDelete(p_again);
    world().update();
    EXPECT_EQ(paths.getJobCount(), 0) << "a deleted object's search goes with it";
}
