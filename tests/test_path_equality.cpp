#include "EventPath.h"
#include "PathFind.h"
#include "PathManager.h"
#include "test_path_reference.h"
#include "world_support.h"

#include <functional>
#include <random>
#include <sstream>

using qv::Box;
using qv::Vector;

namespace
{

// Asks for paths and notes what the search reported before the default handling drops the job.
class Seeker : public qv::Object
{
public:
    Seeker() { setSolidness(qv::SPECTRAL); }

    int eventHandler(const qv::Event *p_event) override
    {
        if (p_event->getType() == qv::PATH_EVENT)
        {
            reports++;
            result = static_cast<const qv::EventPath *>(p_event)->getResult();
            nodes = static_cast<const qv::EventPath *>(p_event)->getPath().getNodes();
            expansions = getPathJob() != nullptr ? getPathJob()->getExpansions() : -1;
        }
        return Object::eventHandler(p_event);
    }

    int reports = 0;
    int result = -1;
    std::vector<Vector> nodes;
    int expansions = -1;
};

// A random world: HARD cells, some larger HARD and SOFT boxes at fractional places, a seeker of any
// solidness with a box of one or two cells, and sometimes a target, HARD or SOFT, at the goal.
struct Grid
{
    int width = 0;
    int height = 0;
    std::vector<qv::Object *> walls; // every object but the seeker and the target
    Seeker *p_seeker = nullptr;
    qv::Object *p_target = nullptr;
    ReferenceSearch::Cell start{0, 0};
    ReferenceSearch::Cell goal{0, 0};
};

Box randomBox(std::mt19937 &random)
{
    std::uniform_real_distribution<float> extent(0, 4);
    const float horizontal = extent(random);
    const float vertical = extent(random);
    return Box(Vector(-horizontal / 2, -vertical / 2), horizontal, vertical);
}

Grid buildGrid(std::mt19937 &random)
{
    Grid grid;
    grid.width = std::uniform_int_distribution<int>(1, 60)(random);
    grid.height = std::uniform_int_distribution<int>(1, 30)(random);
    qv::WorldManager::getInstance().setBoundary(Box(Vector(0, 0), grid.width, grid.height));
    std::uniform_int_distribution<int> column(0, grid.width - 1);
    std::uniform_int_distribution<int> row(0, grid.height - 1);
    const float density = std::uniform_real_distribution<float>(0.05f, 0.35f)(random);
    std::bernoulli_distribution walled(density);
    for (int y = 0; y < grid.height; y++)
    {
        for (int x = 0; x < grid.width; x++)
        {
            if (!walled(random))
                continue;
            qv::Object *p_wall = new qv::Object;
            p_wall->setPosition(Vector(x, y));
            if (std::bernoulli_distribution(0.3)(random))
                p_wall->setBox(Box(Vector(-0.5f, -0.5f), 1.99f, 0.99f));
            grid.walls.push_back(p_wall);
        }
    }
    std::uniform_real_distribution<float> anywhere_x(0, grid.width);
    std::uniform_real_distribution<float> anywhere_y(0, grid.height);
    const int extras = std::uniform_int_distribution<int>(0, 4)(random);
    for (int i = 0; i < extras; i++)
    {
        qv::Object *p_extra = new qv::Object;
        p_extra->setBox(randomBox(random));
        p_extra->setPosition(Vector(anywhere_x(random), anywhere_y(random)));
        p_extra->setSolidness(i % 2 == 0 ? qv::HARD : qv::SOFT);
        grid.walls.push_back(p_extra);
    }
    grid.start = {column(random), row(random)};
    grid.goal = {column(random), row(random)};
    grid.p_seeker = new Seeker;
    grid.p_seeker->setPosition(Vector(grid.start.x, grid.start.y));
    if (std::bernoulli_distribution(0.2)(random))
        grid.p_seeker->setBox(Box(Vector(-0.5f, -0.5f), 1.99f, 1.99f));
    // A solid seeker is among the solid objects, and must never block itself.
    grid.p_seeker->setSolidness(static_cast<qv::Solidness>(std::uniform_int_distribution<int>(0, 2)(random)));
    if (std::bernoulli_distribution(0.35)(random))
    {
        grid.p_target = new qv::Object;
        grid.p_target->setBox(randomBox(random));
        grid.p_target->setPosition(Vector(grid.goal.x, grid.goal.y));
        grid.p_target->setSolidness(std::bernoulli_distribution(0.5)(random) ? qv::HARD : qv::SOFT);
    }
    return grid;
}

void clearWorld()
{
    qv::WorldManager &world = qv::WorldManager::getInstance();
    const std::vector<qv::Object *> all =
        toVector(world.getSceneGraph().activeObjects() + world.getSceneGraph().inactiveObjects());
    for (qv::Object *p_o : all)
        world.markForDelete(p_o);
    world.update();
}

qv::Object *nearestWall(const Grid &grid, ReferenceSearch::Cell cell)
{
    qv::Object *p_nearest = grid.walls.front();
    for (qv::Object *p_wall : grid.walls)
        if (qv::distance(p_wall->getPosition(), Vector(cell.x, cell.y)) <
            qv::distance(p_nearest->getPosition(), Vector(cell.x, cell.y)))
            p_nearest = p_wall;
    return p_nearest;
}

std::string describe(int grid_index, const Grid &grid)
{
    std::ostringstream out;
    out << "grid " << grid_index << ": " << grid.width << " x " << grid.height << ", start (" << grid.start.x << ", "
        << grid.start.y << "), goal (" << grid.goal.x << ", " << grid.goal.y << ")"
        << (grid.p_target != nullptr ? ", with target" : "");
    return out.str();
}

} // namespace

class PathEqualityTest : public WorldTest
{
};

TEST_F(PathEqualityTest, EngineSearchExpandsAndFindsWhatThePlainSearchDoes)
{
    std::mt19937 random(20261207);
    int found = 0;
    int long_searches = 0;
    for (int grid_index = 0; grid_index < 240; grid_index++)
    {
        Grid grid = buildGrid(random);
        const std::string where = describe(grid_index, grid);
        const int requested = grid.p_target != nullptr ? grid.p_seeker->requestPath(grid.p_target)
                                                       : grid.p_seeker->requestPath(Vector(grid.goal.x, grid.goal.y));
        ASSERT_EQ(requested, 0) << where;
        for (int pass = 0; pass < 10000 && grid.p_seeker->reports == 0; pass++)
            qv::PathManager::getInstance().cycle(100000);

        ReferenceSearch reference(grid.p_seeker, grid.start, grid.goal, grid.p_target);
        const int expected = reference.run();
        ASSERT_EQ(grid.p_seeker->reports, 1) << where;
        EXPECT_EQ(grid.p_seeker->result, expected) << where;
        EXPECT_EQ(grid.p_seeker->expansions, reference.expansions) << where;
        EXPECT_EQ(grid.p_seeker->nodes, reference.path()) << where;
        found += expected == 2;
        long_searches += reference.expansions > 50;
        clearWorld();
    }
    // The grids must exercise both outcomes and real searches, not only trivial ones.
    EXPECT_GT(found, 100);
    EXPECT_LT(found, 230);
    EXPECT_GT(long_searches, 40);
}

// While a search runs, HARD objects move, appear, vanish, change solidness, activity and box, and
// the seeker changes its box: each kind of change must reach the blocked-cell memo, so that the
// engine's search still goes step for step with the plain one, which asks the world every time.
TEST_F(PathEqualityTest, WorldChangesDuringTheSearchReachTheBlockedCellMemo)
{
    std::mt19937 random(7);
    struct Change
    {
        const char *name;
        std::function<void(Grid &, qv::Object *)> apply; // on the wall nearest the frontier
    };
    ReferenceSearch::Cell frontier{0, 0}; // the cell the search expanded last
    // A cell near the frontier, where a change matters to the cells the search tests next.
    auto cell = [&]()
    {
        std::uniform_int_distribution<int> offset(-2, 2);
        return Vector(frontier.x + offset(random), frontier.y + offset(random));
    };
    const Change changes[] = {
        {"move", [&](Grid &, qv::Object *p_wall) { p_wall->setPosition(cell()); }},
        {"add",
         [&](Grid &grid, qv::Object *)
         {
             qv::Object *p_wall = new qv::Object;
             p_wall->setPosition(cell());
             grid.walls.push_back(p_wall);
         }},
        {"add where objects are born", [&](Grid &grid, qv::Object *) { grid.walls.push_back(new qv::Object); }},
        {"delete",
         [&](Grid &grid, qv::Object *p_wall)
         {
             grid.walls.erase(std::find(grid.walls.begin(), grid.walls.end(), p_wall));
             qv::WorldManager::getInstance().markForDelete(p_wall);
             qv::WorldManager::getInstance().update();
         }},
        {"soften", [&](Grid &, qv::Object *p_wall) { p_wall->setSolidness(qv::SOFT); }},
        {"harden", [&](Grid &, qv::Object *p_wall) { p_wall->setSolidness(qv::HARD); }},
        {"vanish", [&](Grid &, qv::Object *p_wall) { p_wall->setSolidness(qv::SPECTRAL); }},
        {"toggle activity", [&](Grid &, qv::Object *p_wall) { p_wall->setActive(!p_wall->isActive()); }},
        {"grow box", [&](Grid &, qv::Object *p_wall) { p_wall->setBox(Box(Vector(-1.5f, -0.5f), 3, 1)); }},
        {"box from animation", [&](Grid &, qv::Object *p_wall) { p_wall->setAnimation(qv::Animation(), true); }},
        {"seeker box",
         [&](Grid &grid, qv::Object *)
         {
             const Box small(Vector(-0.5f, -0.5f), 0.99f, 0.99f);
             const Box large(Vector(-0.5f, -0.5f), 1.99f, 0.99f);
             grid.p_seeker->setBox(grid.p_seeker->getBox() == small ? large : small);
         }},
    };
    const int change_count = static_cast<int>(sizeof(changes) / sizeof(changes[0]));

    for (int grid_index = 0; grid_index < 100; grid_index++)
    {
        Grid grid = buildGrid(random);
        const std::string where = describe(grid_index, grid);
        grid.p_seeker->requestPath(Vector(grid.goal.x, grid.goal.y));
        qv::PathFind *p_job = grid.p_seeker->getPathJob();
        ASSERT_NE(p_job, nullptr) << where;
        ReferenceSearch reference(grid.p_seeker, grid.start, grid.goal);
        std::vector<std::string> applied;
        int engine_result = 1;
        int reference_result = 1;
        while (engine_result == 1 && reference_result == 1)
        {
            engine_result = p_job->cycleOnce();
            reference_result = reference.cycleOnce();
            ASSERT_EQ(engine_result, reference_result)
                << where << " after changes " << ::testing::PrintToString(applied);
            if (std::uniform_int_distribution<int>(0, 2)(random) != 0 || grid.walls.empty())
                continue;
            const Change &change = changes[std::uniform_int_distribution<int>(0, change_count - 1)(random)];
            frontier = reference.lastExpanded();
            change.apply(grid, nearestWall(grid, frontier));
            applied.push_back(change.name);
        }
        EXPECT_EQ(p_job->getExpansions(), reference.expansions) << where;
        EXPECT_EQ(p_job->getPath().getNodes(), reference.path()) << where;
        clearWorld();
    }
}

// A new object enters the world at (1, 1) beside cells the search has already tested; only its
// insertion tells the memo. Here that changes the outcome, so a memo that missed it would differ.
TEST_F(PathEqualityTest, ObjectBornBesideTestedCellsBlocksAtOnce)
{
    world().setBoundary(Box(Vector(0, 0), 5, 5));
    for (const Vector &cell : {Vector(4, 1), Vector(2, 2), Vector(4, 4)})
        (new qv::Object)->setPosition(cell);
    Seeker *p_seeker = new Seeker;
    p_seeker->setPosition(Vector(0, 2));
    ASSERT_EQ(p_seeker->requestPath(Vector(4, 0)), 0);
    qv::PathFind *p_job = p_seeker->getPathJob();
    ReferenceSearch reference(p_seeker, {0, 2}, {4, 0});
    for (int expansion = 0; expansion < 2; expansion++)
        ASSERT_EQ(p_job->cycleOnce(), reference.cycleOnce());

    new qv::Object;
    int result = 1;
    while (result == 1)
    {
        result = p_job->cycleOnce();
        ASSERT_EQ(result, reference.cycleOnce());
    }
    EXPECT_EQ(result, 2);
    EXPECT_EQ(p_job->getExpansions(), reference.expansions);
    EXPECT_EQ(p_job->getPath().getNodes(), reference.path());
}
