#include "EventPath.h"
#include "GameManager.h"
#include "Object.h"
#include "ObjectList.h"
#include "ObjectListIterator.h"
#include "PathFind.h"
#include "PathManager.h"
#include "WorldManager.h"
#include "bench_support.h"
#include "test_path_reference.h"

#include <benchmark/benchmark.h>

#ifdef QV_HAVE_LIBTCOD
#include <libtcod/fov.h>
#include <libtcod/path.h>
#endif

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{

const int SPACE_WIDTH = 80;  // cells
const int SPACE_HEIGHT = 24; // cells
const int WALK_STEPS = 28;
const unsigned FLOOR_SEED = 79; // a walk that reaches opposite corners of the 8 x 4 grid

// A wall as the game builds them: HARD, its position the centre of a box of width x height cells.
class Wall : public qv::Object
{
public:
    Wall(int width, int height, qv::Vector where)
    {
        setType("Wall");
        setBox(qv::Box(qv::Vector(-width * 0.5f, -height * 0.5f), width, height));
        setPosition(where);
    }
};

const int ROOM = 0;
const int CORRIDOR = 1;

struct Door
{
    int column; // of the neighbouring space
    int row;
    bool open;
};

struct Space
{
    int kind;
    int column;
    int row;
    std::vector<Door> doors; // left, right, up, down while none has been opened
};

// Stand-in for the game's floor generator until the game's Map exists: the same random walk over a
// grid of columns x rows spaces of 80 x 24 cells, the same doors, and the same wall sizes and
// places; stairs, monsters and food are left out, as they do not block.
class Floor
{
public:
    Floor(int init_columns, int init_rows) : columns(init_columns), rows(init_rows)
    {
        std::srand(FLOOR_SEED);
        const int start_column = std::rand() % columns;
        const int start_row = std::rand() % rows;
        addSpace(newSpace(ROOM, start_column, start_row));
        int column = start_column;
        int row = start_row;
        for (int steps = 0; steps < WALK_STEPS;)
        {
            int next_column = column;
            int next_row = row;
            randomStep(column, row, next_column, next_row);
            if (next_column == column && next_row == row)
                continue;
            column = next_column;
            row = next_row;
            steps++;
        }
        for (const Space &space : spaces)
            space.kind == ROOM ? buildRoomWalls(space) : buildCorridorWalls(space);
        pickEnds();
    }

    int columns;
    int rows;
    std::vector<Space> spaces;
    qv::Vector start; // centre of one of the two spaces farthest apart
    qv::Vector goal;  // centre of the other
    int walls = 0;

private:
    static Space newSpace(int kind, int column, int row)
    {
        return Space{
            kind,
            column,
            row,
            {{column - 1, row, false}, {column + 1, row, false}, {column, row - 1, false}, {column, row + 1, false}}};
    }

    int find(int column, int row) const
    {
        for (std::size_t i = 0; i < spaces.size(); i++)
            if (spaces[i].column == column && spaces[i].row == row)
                return static_cast<int>(i);
        return -1;
    }

    void addSpace(const Space &space)
    {
        const int old = find(space.column, space.row);
        if (old >= 0)
            spaces.erase(spaces.begin() + old);
        spaces.push_back(space);
    }

    static void setDoor(Space &space, Door door)
    {
        for (std::size_t i = 0; i < space.doors.size(); i++)
            if (space.doors[i].column == door.column && space.doors[i].row == door.row)
            {
                space.doors.erase(space.doors.begin() + static_cast<long>(i));
                break;
            }
        space.doors.push_back(door);
    }

    void connect(int a_column, int a_row, int b_column, int b_row)
    {
        Space a = spaces[find(a_column, a_row)];
        Space b = spaces[find(b_column, b_row)];
        setDoor(a, Door{b_column, b_row, true});
        setDoor(b, Door{a_column, a_row, true});
        addSpace(a);
        addSpace(b);
    }

    bool isRoom(int column, int row) const
    {
        const int i = find(column, row);
        return i >= 0 && spaces[i].kind == ROOM;
    }

    void randomStep(int column, int row, int &next_column, int &next_row)
    {
        const int d = std::rand() % 4;
        int c = column + (d == 0 ? 1 : d == 1 ? -1 : 0);
        int r = row + (d == 2 ? 1 : d == 3 ? -1 : 0);
        if (c < 0 || c >= columns || r < 0 || r >= rows)
            return;
        bool corridor = isRoom(c + 1, r) || isRoom(c - 1, r) || isRoom(c, r + 1) || isRoom(c, r - 1);
        if (std::rand() % 3 == 0)
            corridor = true;
        if (find(c, r) < 0)
            addSpace(newSpace(corridor ? CORRIDOR : ROOM, c, r));
        connect(column, row, c, r);
        next_column = c;
        next_row = r;
    }

    void wall(int width, int height, float x, float y)
    {
        new Wall(width, height, qv::Vector(x, y));
        walls++;
    }

    void buildRoomWalls(const Space &space)
    {
        const float cx = SPACE_WIDTH * space.column + 40.0f;
        const float cy = SPACE_HEIGHT * space.row + 12.0f;
        for (const Door &door : space.doors)
        {
            const int dx = door.column - space.column;
            const int dy = door.row - space.row;
            if (!door.open)
            {
                wall(std::abs(dy) * 80, std::abs(dx) * 24, static_cast<int>(cx + 40 * dx),
                     static_cast<int>(cy + 12 * dy));
                continue;
            }
            const int width = std::abs(dy) * 80 / 3;
            const int height = std::abs(dx) * 24 / 3;
            wall(width, height, cx + 25 * dy + 40 * dx, cy + 7.5f * dx + 12 * dy);
            wall(width, height, cx - 25 * dy + 40 * dx, cy - 7.5f * dx + 12 * dy);
        }
    }

    void buildCorridorWalls(const Space &space)
    {
        const float cx = SPACE_WIDTH * space.column + 40.0f;
        const float cy = SPACE_HEIGHT * space.row + 12.0f;
        for (const Door &door : space.doors)
        {
            const int dx = door.column - space.column;
            const int dy = door.row - space.row;
            if (!door.open)
            {
                wall(std::abs(dy) * 20, std::abs(dx) * 6, static_cast<int>(cx + 10 * dx),
                     static_cast<int>(cy + 3 * dy));
                continue;
            }
            const int width = std::abs(dx) * 30;
            const int height = std::abs(dy) * 9;
            wall(width, height, cx + 25 * dx + 10 * dy, cy + 7.5f * dy + 3 * dx);
            wall(width, height, cx + 25 * dx - 10 * dy, cy + 7.5f * dy - 3 * dx);
        }
    }

    void pickEnds()
    {
        int best = -1;
        for (const Space &a : spaces)
            for (const Space &b : spaces)
            {
                const int apart = std::abs(a.column - b.column) + std::abs(a.row - b.row);
                if (apart <= best)
                    continue;
                best = apart;
                start = qv::Vector(SPACE_WIDTH * a.column + 40.0f, SPACE_HEIGHT * a.row + 12.0f);
                goal = qv::Vector(SPACE_WIDTH * b.column + 40.0f, SPACE_HEIGHT * b.row + 12.0f);
            }
    }
};

// The object that asks for paths: one cell, passing through everything itself.
class Walker : public qv::Object
{
public:
    Walker()
    {
        setSolidness(qv::SPECTRAL);
        setType("Walker");
    }

    int eventHandler(const qv::Event *p_event) override
    {
        if (p_event->getType() == qv::PATH_EVENT)
        {
            const qv::EventPath *p_path_event = static_cast<const qv::EventPath *>(p_event);
            result = p_path_event->getResult();
            nodes = static_cast<int>(p_path_event->getPath().getNodes().size());
            expansions = getPathJob()->getExpansions();
        }
        return Object::eventHandler(p_event);
    }

    int result = -1;
    int nodes = 0;
    int expansions = 0;
};

// A floor of columns x rows spaces in a world just large enough for it (641 x 97 cells for 8 x 4),
// with the walker at the start.
Floor buildFloor(const benchmark::State &state, Walker *&p_walker)
{
    startEngine();
    const int columns = static_cast<int>(state.range(0));
    const int rows = static_cast<int>(state.range(1));
    qv::WorldManager::getInstance().setBoundary(
        qv::Box(qv::Vector(0, 0), SPACE_WIDTH * columns + 1, SPACE_HEIGHT * rows + 1));
    Floor floor(columns, rows);
    p_walker = new Walker;
    p_walker->setPosition(floor.start);
    return floor;
}

double secondsSince(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Time of a search's blocked-cell test on this floor. The walls stand still, so a search works out
// the blocked cells once, in its first expansion, and later searches share them until a HARD
// object changes. A HARD object outside the world steps before each fresh job, so that its first
// expansion, timed, is nearly all the making of the blocked cells.
double secondsToFillTheMemo(const Floor &floor, qv::Object *p_walker)
{
    const qv::Cell start = qv::PathFind::cellAt(floor.start);
    const qv::Cell goal = qv::PathFind::cellAt(floor.goal);
    const int samples = 20;
    double filling = 0;
    qv::Object *p_stirrer = new qv::Object;
    for (int i = 0; i < samples; i++)
    {
        p_stirrer->setPosition(qv::Vector(-10.0f - i % 2, -10));
        qv::PathFind job(p_walker, start, goal);
        const auto began = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(job.cycleOnce());
        filling += secondsSince(began);
    }
    delete p_stirrer;
    return filling / samples;
}

void BM_EngineSearch(benchmark::State &state)
{
    Walker *p_walker = nullptr;
    const Floor floor = buildFloor(state, p_walker);
    qv::PathManager &path_manager = qv::PathManager::getInstance();
    double searching = 0; // seconds
    for (auto _ : state)
    {
        const auto began = std::chrono::steady_clock::now();
        p_walker->requestPath(floor.goal);
        while (path_manager.getJobCount() > 0)
            path_manager.cycle(1000000);
        searching += secondsSince(began);
    }
    if (p_walker->result != 2)
        state.SkipWithError("no path across the floor");
    const double per_search = searching / static_cast<double>(state.iterations());
    state.counters["objects"] = floor.walls;
    state.counters["nodes"] = p_walker->nodes;
    state.counters["expansions"] = p_walker->expansions;
    state.counters["exp/ms"] = p_walker->expansions / (per_search * 1000);
    state.counters["blocked%"] = 100 * secondsToFillTheMemo(floor, p_walker) / per_search;
    clearWorld();
}
BENCHMARK(BM_EngineSearch)->Args({2, 1})->Args({4, 2})->Args({8, 4})->Unit(benchmark::kMicrosecond);

// A search after a HARD object has moved, as in a game whose walls or monsters move between
// searches: the blocked cells are brought up to date first, in the time measured.
void BM_EngineSearchAfterMove(benchmark::State &state)
{
    Walker *p_walker = nullptr;
    const Floor floor = buildFloor(state, p_walker);
    qv::PathManager &path_manager = qv::PathManager::getInstance();
    // A pillar in a corner of the floor, never on the way, stepping between two cells.
    qv::Object *p_pillar = new Wall(1, 1, qv::Vector(1, 1));
    int moves = 0;
    for (auto _ : state)
    {
        p_pillar->setPosition(qv::Vector(1.0f + static_cast<float>(++moves % 2), 1));
        p_walker->requestPath(floor.goal);
        while (path_manager.getJobCount() > 0)
            path_manager.cycle(1000000);
    }
    if (p_walker->result != 2)
        state.SkipWithError("no path across the floor");
    state.counters["objects"] = floor.walls + 1;
    state.counters["nodes"] = p_walker->nodes;
    state.counters["expansions"] = p_walker->expansions;
    clearWorld();
}
BENCHMARK(BM_EngineSearchAfterMove)->Args({2, 1})->Args({4, 2})->Args({8, 4})->Unit(benchmark::kMicrosecond);

void BM_PlainSearch(benchmark::State &state)
{
    Walker *p_walker = nullptr;
    const Floor floor = buildFloor(state, p_walker);
    const ReferenceSearch::Cell start{static_cast<int>(floor.start.getX()), static_cast<int>(floor.start.getY())};
    const ReferenceSearch::Cell goal{static_cast<int>(floor.goal.getX()), static_cast<int>(floor.goal.getY())};
    int result = 0;
    int expansions = 0;
    std::size_t nodes = 0;
    double searching = 0;
    for (auto _ : state)
    {
        const auto began = std::chrono::steady_clock::now();
        ReferenceSearch search(p_walker, start, goal);
        result = search.run();
        searching += secondsSince(began);
        expansions = search.expansions;
        nodes = search.path().size();
    }
    if (result != 2)
        state.SkipWithError("no path across the floor");
    const double per_search = searching / static_cast<double>(state.iterations());
    state.counters["objects"] = floor.walls;
    state.counters["nodes"] = static_cast<double>(nodes);
    state.counters["expansions"] = expansions;
    state.counters["exp/ms"] = expansions / (per_search * 1000);
    clearWorld();
}
BENCHMARK(BM_PlainSearch)->Args({2, 1})->Args({4, 2})->Args({8, 4})->Unit(benchmark::kMicrosecond);

#ifdef QV_HAVE_LIBTCOD
// The same floor as a walkability grid, each cell walkable unless the engine's blocked-cell rule
// blocks it; built once, outside the timing.
void BM_LibtcodSearch(benchmark::State &state)
{
    Walker *p_walker = nullptr;
    const Floor floor = buildFloor(state, p_walker);
    const int width = SPACE_WIDTH * floor.columns + 1;
    const int height = SPACE_HEIGHT * floor.rows + 1;
    TCOD_Map *p_map = TCOD_map_new(width, height);
    qv::WorldManager &world = qv::WorldManager::getInstance();
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++)
        {
            const qv::ObjectList hits = world.getCollisions(p_walker, qv::Vector(x, y));
            bool walkable = true;
            qv::ObjectListIterator it(&hits);
            for (it.first(); !it.isDone() && walkable; it.next())
                walkable = it.currentObject()->getSolidness() != qv::HARD;
            TCOD_map_set_properties(p_map, x, y, true, walkable);
        }
    TCOD_path_t path = TCOD_path_new_using_map(p_map, 1.41f);
    bool found = false;
    for (auto _ : state)
        found = TCOD_path_compute(path, static_cast<int>(floor.start.getX()), static_cast<int>(floor.start.getY()),
                                  static_cast<int>(floor.goal.getX()), static_cast<int>(floor.goal.getY()));
    if (!found)
        state.SkipWithError("no path across the floor");
    state.counters["objects"] = floor.walls;
    state.counters["nodes"] = TCOD_path_size(path) + 1;
    TCOD_path_delete(path);
    TCOD_map_delete(p_map);
    clearWorld();
}
BENCHMARK(BM_LibtcodSearch)->Args({2, 1})->Args({4, 2})->Args({8, 4})->Unit(benchmark::kMicrosecond);
#endif

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
