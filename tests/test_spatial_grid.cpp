#include "SceneGraph.h"
#include "SpatialGrid.h"
#include "geometry.h"
#include "test_game_support.h"

#include <limits>
#include <random>

using qv::Box;
using qv::Vector;
using GridTest = WorldTest;

namespace
{

qv::SceneGraph &sceneGraph()
{
    return qv::WorldManager::getInstance().getSceneGraph();
}

// The plain scan the grid stands in for: every solid object but `p_skip`, in store order, whose
// world box meets `area`.
std::vector<qv::Object *> scan(const qv::Object *p_skip, const Box &area)
{
    std::vector<qv::Object *> found;
    for (qv::Object *p_o : items(sceneGraph().solidObjects()))
        if (p_o != p_skip && qv::boxIntersectsBox(area, qv::getWorldBox(p_o)))
            found.push_back(p_o);
    return found;
}

const float NOT_A_NUMBER = std::numeric_limits<float>::quiet_NaN();
const float INFINITE = std::numeric_limits<float>::infinity();

// A world of random objects that random changes keep stirring: moves, births, deaths, boxes (set,
// or taken from an animation), solidness and activity, a new boundary or a new grid. Now and then a coordinate or an
// extent is far outside, huge, infinite or NaN, and boxes reach from a fraction of a bucket to several.
struct Stirrer
{
    explicit Stirrer(unsigned seed) : random(seed)
    {
        newBoundary();
        newGrid();
        for (int i = number(0, 60); i > 0; i--)
            born();
    }

    int number(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }
    float real(float low, float high) { return std::uniform_real_distribution<float>(low, high)(random); }
    bool chance(double p) { return std::bernoulli_distribution(p)(random); }

    float coordinate()
    {
        const float odd[] = {NOT_A_NUMBER, INFINITE, -INFINITE, 1e30f, -1e30f, 1e9f, -5e3f, 0.5f};
        return chance(0.05) ? odd[number(0, 7)] : real(-15, 100);
    }

    float extent()
    {
        const float odd[] = {NOT_A_NUMBER, INFINITE, -2.5f, 0, 1e30f, 250};
        if (chance(0.05))
            return odd[number(0, 5)];
        return chance(0.2) ? real(0, 45) : real(0, 3);
    }

    Vector place() { return chance(0.3) ? Vector(number(-5, 90), number(-5, 40)) : Vector(coordinate(), coordinate()); }
    Box box() { return Box(Vector(real(-3, 0.5f), real(-3, 0.5f)), extent(), extent()); }
    qv::Solidness solidness() { return static_cast<qv::Solidness>(number(0, 2)); }
    qv::Object *any() { return objects.empty() ? nullptr : objects[number(0, static_cast<int>(objects.size()) - 1)]; }

    void born()
    {
        qv::Object *p_o = new qv::Object;
        p_o->setSolidness(solidness());
        if (chance(0.8))
            p_o->setBox(box());
        if (chance(0.9))
            p_o->setPosition(place());
        objects.push_back(p_o);
    }

    void newBoundary()
    {
        const float odd[] = {0, -30, NOT_A_NUMBER, INFINITE, 1e9f};
        const float width = chance(0.1) ? odd[number(0, 4)] : real(1, 120);
        const float height = chance(0.1) ? odd[number(0, 4)] : real(1, 50);
        qv::WorldManager::getInstance().setBoundary(Box(Vector(0, 0), width, height));
    }

    void newGrid()
    {
        const int sizes[] = {0, 1, 2, 3, 5, 8, 20, 1000};
        sceneGraph().setGrid(sizes[number(0, 7)], sizes[number(0, 7)]);
    }

    void stir()
    {
        qv::Object *p_o = any();
        const int change = p_o == nullptr ? 0 : number(0, 20);
        if (change == 0)
            born();
        else if (change == 1)
        {
            objects.erase(std::find(objects.begin(), objects.end(), p_o));
            delete p_o;
        }
        else if (change == 2)
            p_o->setBox(box());
        else if (change == 3)
            p_o->setSolidness(solidness());
        else if (change == 4)
            p_o->setActive(!p_o->isActive());
        else if (change == 5)
            chance(0.5) ? newBoundary() : newGrid();
        else if (change == 6)
            p_o->setAnimation(qv::Animation(), true); // takes the box in place, keeping its order
        else
            // Most changes are moves, by a step or to anywhere.
            p_o->setPosition(chance(0.7) ? p_o->getPosition() + Vector(real(-2, 2), real(-2, 2)) : place());
    }

    // Every query the world makes: each object's collisions where it stands and where it would
    // step, and the solid objects in a random area.
    void check()
    {
        for (qv::Object *p_o : objects)
        {
            for (const Vector where : {p_o->getPosition(), p_o->getPosition() + Vector(real(-2, 2), real(-2, 2))})
            {
                const std::vector<qv::Object *> expected = scan(p_o, qv::getWorldBox(p_o, where));
                ASSERT_EQ(items(sceneGraph().getCollisions(p_o, where)), expected)
                    << "object " << p_o->getId() << " at " << where.getX() << ", " << where.getY();
            }
        }
        const Box area(place(), extent(), extent());
        ASSERT_EQ(items(sceneGraph().solidObjectsIn(area)), scan(nullptr, area));
    }

    std::mt19937 random;
    std::vector<qv::Object *> objects;
};

} // namespace

// Hundreds of random worlds, each stirred a hundred times: after every change, every collision
// query gives the objects the plain scan gives, in its order.
TEST_F(GridTest, EveryQueryAnswersAsThePlainScanOverRandomWorlds)
{
    for (unsigned seed = 1; seed <= 300 && !HasFailure(); seed++)
    {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Stirrer world(seed);
        for (int change = 0; change < 100 && !HasFailure(); change++)
        {
            world.stir();
            world.check();
        }
        clearWorld();
    }
}

// Moving walkers in a crowd of walls and each other send the same collisions in the same order
// and end in the same places whether the grid answers or the store is scanned.
TEST_F(GridTest, CrowdsCollideInTheSameOrderWithAndWithoutTheGrid)
{
    const auto run = [](unsigned seed, int grid)
    {
        sceneGraph().setGrid(grid, grid);
        std::mt19937 random(seed);
        std::uniform_real_distribution<float> across(0, 80), down(0, 24), step(-1, 1);
        for (int i = 0; i < 150; i++)
        {
            auto *p_o = new Recorder(std::to_string(i), Vector(across(random), down(random)),
                                     static_cast<qv::Solidness>(i % 3));
            p_o->setVelocity(i % 2 ? Vector(step(random), step(random)) : Vector());
            p_o->setAvoidCollisions(i % 4 == 1);
            p_o->setNoSoft(i % 5 == 2);
            if (i % 7 == 3)
                p_o->setBox(Box(Vector(-1, -1), 4.5f, 2));
        }
        journal.clear();
        for (int pass = 0; pass < 40; pass++)
        {
            qv::WorldManager::getInstance().update();
            for (qv::Object *p_o : items(sceneGraph().activeObjects()))
                journal.push_back(p_o->getType() + " at " + std::to_string(p_o->getPosition().getX()) + "," +
                                  std::to_string(p_o->getPosition().getY()));
        }
        const std::vector<std::string> seen_now = journal;
        clearWorld();
        return seen_now;
    };
    for (unsigned seed = 1; seed <= 5; seed++)
    {
        const std::vector<std::string> flat = run(seed, 0);
        EXPECT_GT(std::count_if(flat.begin(), flat.end(),
                                [](const std::string &entry) { return entry.find(qv::COLLISION_EVENT) != entry.npos; }),
                  100);
        for (const int grid : {1, 3, 20})
            EXPECT_EQ(run(seed, grid), flat) << "seed " << seed << ", grid " << grid;
    }
}

TEST_F(GridTest, BadSizesAreRefusedOrBoundedAndFarObjectsStillCollide)
{
    qv::WorldManager &world = qv::WorldManager::getInstance();
    qv::Object *p_far = new qv::Object;
    p_far->setPosition(Vector(-1e20f, 5e9f));
    qv::Object *p_near = new qv::Object;
    p_near->setPosition(Vector(-1e20f, 5e9f + 0.5f));

    sceneGraph().setGrid(-3, 8);
    EXPECT_TRUE(logHas("SceneGraph::setGrid(): Warning! Grid cells of -3 x 8 refused; collisions scan every solid "
                       "object."));
    EXPECT_FALSE(sceneGraph().isGridOn());
    EXPECT_EQ(items(world.getCollisions(p_near, p_near->getPosition())), std::vector<qv::Object *>{p_far});

    world.setBoundary(Box(Vector(0, 0), 1e9f, 1e9f));
    sceneGraph().setGrid(1, 1);
    const qv::SpatialGrid &grid = sceneGraph().getGrid();
    EXPECT_LE(grid.getColumns() * grid.getRows(), qv::SpatialGrid::MAX_BUCKETS);
    EXPECT_TRUE(logHas("SpatialGrid::layOut(): Warning! Buckets of 1 x 1 cells over a 1e+09 x 1e+09 boundary exceed "
                       "65536; widened to 4.1943e+06 x 4.1943e+06 cells."));
    EXPECT_EQ(items(world.getCollisions(p_near, p_near->getPosition())), std::vector<qv::Object *>{p_far});

    // An extent of no size or no end is one bucket across.
    for (const auto &[boundary, columns, rows] : {std::tuple(Box(), 1, 1), std::tuple(Box(Vector(0, 0), -5, 10), 1, 10),
                                                  std::tuple(Box(Vector(0, 0), NOT_A_NUMBER, INFINITE), 1, 1)})
    {
        world.setBoundary(boundary);
        EXPECT_EQ(grid.getColumns(), columns);
        EXPECT_EQ(grid.getRows(), rows);
        EXPECT_EQ(items(world.getCollisions(p_near, p_near->getPosition())), std::vector<qv::Object *>{p_far});
    }
}

// The dungeon's floors with the hero walking into walls and monsters hunting it: every object
// ends each pass where it ends with the store scanned.
TEST_F(GameWorldTest, DungeonPlaysTheSameWithAndWithoutTheGrid)
{
    const auto play = [this](unsigned seed, int grid)
    {
        sceneGraph().setGrid(grid, grid);
        Hero *p_hero = new Hero;
        Map *p_map = new Map;
        p_map->setHero(p_hero);
        std::srand(seed);
        p_map->generate(p_hero);
        std::string trace;
        for (int i = 0; i < 120; i++)
        {
            const int arrows[] = {qv::Keyboard::RIGHT_ARROW, qv::Keyboard::DOWN_ARROW, qv::Keyboard::LEFT_ARROW,
                                  qv::Keyboard::UP_ARROW};
            key(arrows[i / 30], i % 30 == 0 ? qv::KEY_PRESSED : qv::KEY_DOWN);
            pass();
            for (qv::Object *p_o : items(sceneGraph().activeObjects()))
                trace += p_o->getType() + std::to_string(p_o->getPosition().getX()) + "," +
                         std::to_string(p_o->getPosition().getY()) + " ";
            trace += "\n";
        }
        clearWorld();
        return trace;
    };
    for (const unsigned seed : {1u, 7u, 42u})
        EXPECT_EQ(play(seed, 20), play(seed, 0)) << "seed " << seed;
}

// On the dungeon's own floors, the walls a hero-sized box meets at every cell are those the scan
// finds, in its order.
TEST_F(GameWorldTest, DungeonFloorsAnswerAsThePlainScanAtEveryCell)
{
    Hero *p_hero = new Hero;
    Map *p_map = new Map;
    p_map->setHero(p_hero);
    for (const unsigned seed : {3u, 1962u})
    {
        std::srand(seed);
        p_map->generate(p_hero);
        qv::WorldManager::getInstance().update();
        for (int y = -1; y <= WORLD_HEIGHT + 1; y++)
            for (int x = -1; x <= WORLD_WIDTH + 1; x++)
            {
                const Vector where(x + 0.25f, y - 0.25f);
                ASSERT_EQ(items(sceneGraph().getCollisions(p_hero, where)),
                          scan(p_hero, qv::getWorldBox(p_hero, where)))
                    << x << ", " << y;
            }
    }
}
