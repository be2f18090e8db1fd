#include "PathFind.h"

#include "BlockedMap.h"
#include "LogManager.h"
#include "Object.h"
#include "SceneGraph.h"
#include "Vector.h"
#include "WorldManager.h"
#include "geometry.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

namespace qv
{

// `cellDistance` of every (dx, dy) of a node graph, [dy * columns + dx]: a lookup is far quicker
// than a root. Made for the graph size last asked for, and shared by the searches over it.
struct DistanceTable
{
    int columns;                    // cells
    int rows;                       // cells
    std::unique_ptr<float[]> table; // cells
};

namespace
{

const unsigned char UNSEEN = 0;
const unsigned char OPEN = 1;
const unsigned char CLOSED = 2;

// Whole cells across a boundary extent; negative, NaN and oversized extents are clamped.
int cellsAcross(float extent)
{
    if (!(extent >= 1))
        return 0;
    if (extent >= static_cast<float>(INT_MAX))
        return INT_MAX;
    return static_cast<int>(extent);
}

int worldWidth()
{
    return cellsAcross(WorldManager::getInstance().getBoundary().getHorizontal());
}

int worldHeight()
{
    return cellsAcross(WorldManager::getInstance().getBoundary().getVertical());
}

Vector positionOf(Cell cell)
{
    return Vector(static_cast<float>(cell.x), static_cast<float>(cell.y));
}

// Straight-line distance between cells; double so that squares of far-apart cells cannot overflow.
float cellDistance(int dx, int dy)
{
    return static_cast<float>(std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy));
}

std::shared_ptr<const DistanceTable> distancesFor(int columns, int rows)
{
    static std::shared_ptr<const DistanceTable> kept;
    if (kept && kept->columns == columns && kept->rows == rows)
        return kept;
    std::shared_ptr<DistanceTable> made(new (std::nothrow) DistanceTable{columns, rows, nullptr});
    if (!made)
        return nullptr;
    made->table.reset(new (std::nothrow) float[static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows)]);
    if (!made->table)
        return nullptr;
    for (int dy = 0; dy < rows; dy++)
        for (int dx = 0; dx < columns; dx++)
            made->table[static_cast<std::size_t>(dy) * columns + dx] = cellDistance(dx, dy);
    kept = made;
    return kept;
}

// The same as `cellDistance`, sooner: below 2^24 the sum of squares is exact in a float, and a
// root rounded to float once equals the double root rounded to float, as double holds more than
// twice float's digits.
float quickDistance(int dx, int dy)
{
    const long long squares = static_cast<long long>(dx) * dx + static_cast<long long>(dy) * dy;
    if (squares < (1 << 24))
        return std::sqrt(static_cast<float>(squares));
    return cellDistance(dx, dy);
}

int roundToCell(float coordinate)
{
    const double nearest = std::floor(static_cast<double>(coordinate) + 0.5);
    // NaN and coordinates beyond int land on the far ends, which no world contains.
    if (!(nearest >= INT_MIN))
        return INT_MIN;
    if (nearest > INT_MAX)
        return INT_MAX;
    return static_cast<int>(nearest);
}

// One move to a neighbouring cell, and what it costs.
struct Step
{
    int dx;
    int dy;
    bool diagonal;
    float cost; // cells
};

const Step STEPS[] = {
    {-1, -1, true, cellDistance(-1, -1)}, {0, -1, false, cellDistance(0, -1)}, {1, -1, true, cellDistance(1, -1)},
    {-1, 0, false, cellDistance(-1, 0)},  {1, 0, false, cellDistance(1, 0)},   {-1, 1, true, cellDistance(-1, 1)},
    {0, 1, false, cellDistance(0, 1)},    {1, 1, true, cellDistance(1, 1)},
};

const int GRAPHS_KEPT = 4;

} // namespace

// The arrays of a node graph whose job has ended, kept for the next job over as many cells: a
// search then neither allocates nor touches fresh memory. Plain pointers in a static array, so
// that jobs destroyed while the program exits still find it in place.
struct PathFind::SpareGraph
{
    Node *nodes;          // owned while kept
    unsigned char *marks; // owned while kept
    int *place;           // owned while kept
    OpenEntry *open;      // owned while kept
    std::size_t count;    // cells
};

PathFind::SpareGraph *PathFind::spareGraphs()
{
    static SpareGraph spares[GRAPHS_KEPT];
    return spares;
}

PathFind::PathFind() {}

PathFind::PathFind(Object *p_object, Cell init_start, Cell init_goal, Object *p_target)
    : object(p_object), target(p_target), start(init_start), goal(init_goal)
{
    if (object == nullptr || !isInWorld(start) || !isInWorld(goal))
        return;
    const int w = worldWidth();
    const int h = worldHeight();
    // Cells are numbered with ints.
    if (static_cast<long long>(w) * h > INT_MAX)
        return;
    const std::size_t count = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
    SpareGraph *spares = spareGraphs();
    for (int i = 0; i < GRAPHS_KEPT; i++)
        if (spares[i].nodes != nullptr && spares[i].count == count)
        {
            nodes.reset(spares[i].nodes);
            marks.reset(spares[i].marks);
            place.reset(spares[i].place);
            open.reset(spares[i].open);
            spares[i] = SpareGraph{};
            break;
        }
    if (!nodes)
    {
        nodes.reset(new (std::nothrow) Node[count]);
        marks.reset(new (std::nothrow) unsigned char[count]);
        place.reset(new (std::nothrow) int[count]);
        // Each cell is open at most once at a time.
        open.reset(new (std::nothrow) OpenEntry[count]);
    }
    if (!nodes || !marks || !place || !open)
    {
        nodes.reset();
        marks.reset();
        place.reset();
        open.reset();
        return;
    }
    // Without the table the distances are worked out one by one.
    distances = distancesFor(w, h);
    // Only the marks need clearing: a node's other fields are written when its cell first opens.
    std::memset(marks.get(), UNSEEN, count);
    nodes[static_cast<std::size_t>(start.y) * w + start.x].g = 0;
    width = w;
    height = h;
}

PathFind::~PathFind()
{
    if (!nodes)
        return;
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    SpareGraph *spares = spareGraphs();
    for (int i = 0; i < GRAPHS_KEPT; i++)
        if (spares[i].nodes == nullptr)
        {
            spares[i] = SpareGraph{nodes.release(), marks.release(), place.release(), open.release(), count};
            return;
        }
}

// A cell is blocked when, of the objects `getCollisions` would return for the object standing
// there, the first HARD one does not cover the goal.
inline bool PathFind::isBlocked(int cell) const
{
    const int met = blocked_map->firstMet(cell, own_number);
    return met >= 0 && !covers_goal[met];
}

int PathFind::cycleOnce()
{
    int made = 0;
    return cycle(1, &made);
}

int PathFind::cycle(int most, int *p_made)
{
    *p_made = 1;
    if (!nodes)
    {
        LogManager::getInstance().writeLog("PathFind::cycleOnce(): node graph not allocated.  Cannot find path.");
        return 0;
    }
    if (result != 1)
        return result;
    if (target_lost)
    {
        LogManager::getInstance().writeLog("PathFind::cycleOnce(): Target destroyed.  Search for Object %d ended.",
                                           object->getId());
        return finish(0);
    }
    if (!refreshMemo())
    {
        LogManager::getInstance().writeLog("PathFind::cycleOnce(): no memory for the blocked cells.  Search ended.");
        return finish(0);
    }
    // The boundary may have shrunk since the graph was made; it never reaches beyond the graph.
    const Box boundary = WorldManager::getInstance().getBoundary();
    const int columns = std::min(width, cellsAcross(boundary.getHorizontal()));
    const int rows = std::min(height, cellsAcross(boundary.getVertical()));
    for (;; (*p_made)++)
    {
        const int outcome = expand(columns, rows);
        if (outcome != 1 || *p_made >= most)
            return outcome;
    }
}

inline void PathFind::offer(int index, int x, int y, Cell parent, float g)
{
    const unsigned char mark = marks[index];
    Node &node = nodes[index];
    if (mark == OPEN && g > node.g)
        return;
    // An equal g still takes the new parent: the later way wins, as in a plain open list.
    node.parent = parent;
    node.g = g;
    const float f =
        g + (distances ? distances->table[static_cast<std::size_t>(std::abs(y - goal.y)) * width + std::abs(x - goal.x)]
                       : quickDistance(x - goal.x, y - goal.y));
    if (mark != OPEN)
    {
        marks[index] = OPEN;
        node.f = f;
        open_count++;
        raise(open_count - 1, keyOf(f, next_order++), index, y);
    }
    else if (f != node.f)
    {
        // A way no longer than the known one gives no larger f; the cell keeps its place in the
        // order of entry.
        node.f = f;
        const int at = place[index];
        const unsigned int order = 0xffffffffu - static_cast<unsigned int>(open[at].key & 0xffffffffu);
        raise(at, keyOf(f, order), index, y);
    }
}

int PathFind::expand(int columns, int rows)
{
    const Cell current = open_count > 0 ? popBest() : start;
    const int current_index = current.y * width + current.x;
    marks[current_index] = CLOSED;
    expansions++;

    if (current == goal)
        found = true;
    if (target != nullptr &&
        boxIntersectsBox(getWorldBox(object, positionOf(current)), getWorldBox(target, positionOf(goal))))
    {
        found = true;
        goal = current;
    }
    if (found)
        return finish(2);

    // The eight neighbours in the order the search tests them: rows above to below, each left to
    // right. Cells on the graph's edge test their neighbours one by one against the boundary.
    const float current_g = nodes[current_index].g;
    const int x = current.x;
    const int y = current.y;
    const bool inside = x > 0 && x + 1 < columns && y > 0 && y + 1 < rows;
    for (const Step &step : STEPS)
    {
        const int nx = x + step.dx;
        const int ny = y + step.dy;
        if (!inside && (nx < 0 || nx >= columns || ny < 0 || ny >= rows))
            continue;
        const int across = step.dy * width;
        const int index = current_index + across + step.dx;
        if (marks[index] == CLOSED || isBlocked(index))
            continue;
        if (step.diagonal && isBlocked(current_index + step.dx) && isBlocked(current_index + across))
            continue;
        offer(index, nx, ny, current, current_g + step.cost);
    }
    if (open_count > 0)
        return 1;
    LogManager::getInstance().writeLog(5, "PathFind::cycleOnce(): No path for Object %d from (%d, %d) to (%d, %d).",
                                       object->getId(), start.x, start.y, goal.x, goal.y);
    return finish(0);
}

Path PathFind::getPath() const
{
    Path path;
    if (!found)
        return path;
    // Every parent was closed before its child was reached, so the links lead back to the start.
    // Counted first, so that the way is filled from its end without growing.
    std::size_t length = 1;
    for (Cell cell = goal; cell != start; cell = nodes[cell.y * width + cell.x].parent)
        length++;
    std::vector<Vector> way(length);
    for (Cell cell = goal; cell != start; cell = nodes[cell.y * width + cell.x].parent)
        way[--length] = positionOf(cell);
    way[0] = positionOf(start);
    return Path(std::move(way));
}

void PathFind::loseTarget()
{
    target = nullptr;
    target_lost = true;
}

bool PathFind::hasNodeGraph() const
{
    return nodes != nullptr;
}

Object *PathFind::getObject() const
{
    return object;
}

Object *PathFind::getTarget() const
{
    return target;
}

Cell PathFind::getStart() const
{
    return start;
}

Cell PathFind::getGoal() const
{
    return goal;
}

bool PathFind::isFound() const
{
    return found;
}

int PathFind::getExpansions() const
{
    return expansions;
}

Cell PathFind::cellAt(const Vector &position)
{
    return Cell(roundToCell(position.getX()), roundToCell(position.getY()));
}

bool PathFind::isInWorld(Cell cell)
{
    return cell.x >= 0 && cell.x < worldWidth() && cell.y >= 0 && cell.y < worldHeight();
}

unsigned long long PathFind::keyOf(float f, unsigned int order)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &f, sizeof bits);
    return static_cast<unsigned long long>(bits) << 32 | (0xffffffffu - order);
}

Cell PathFind::popBest()
{
    const OpenEntry best = open[0];
    open_count--;
    const OpenEntry last = open[open_count];
    if (open_count > 0)
    {
        // The last entry sinks from the top to its place.
        const int count = open_count;
        int at = 0;
        for (int child = 1; child < count; child = 2 * at + 1)
        {
            if (child + 1 < count && open[child + 1].key < open[child].key)
                child++;
            if (last.key <= open[child].key)
                break;
            put(at, open[child]);
            at = child;
        }
        put(at, last);
    }
    return Cell(best.index - best.row * width, best.row);
}

// The entry travels in registers: one read back from memory just after being written field by
// field stalls until the writes land.
void PathFind::raise(int at, unsigned long long key, int index, int row)
{
    while (at > 0)
    {
        const int parent = (at - 1) / 2;
        if (open[parent].key <= key)
            break;
        put(at, open[parent]);
        at = parent;
    }
    OpenEntry &entry = open[at];
    entry.key = key;
    entry.index = index;
    entry.row = row;
    place[index] = at;
}

void PathFind::put(int at, const OpenEntry &entry)
{
    open[at] = entry;
    place[entry.index] = at;
}

// The blocked cells come from a map shared by the searches for boxes of this size, made again
// once a HARD object changes; which HARD objects cover the goal, and which one is the object
// itself, is this search's own part.
bool PathFind::refreshMemo()
{
    const unsigned long changes = WorldManager::getInstance().getSceneGraph().getHardChanges();
    const Box box = object->getBox();
    // Bytes rather than floats compared: quicker, and no less safe, as equal bytes are the same
    // box and boxes that differ only in bytes (a zero's sign) merely take the map afresh.
    if (blocked_map && changes == memo_changes && std::memcmp(&box, &memo_box, sizeof(Box)) == 0)
        return true;
    blocked_map = BlockedMap::current(box, width, height);
    if (!blocked_map)
        return false;
    memo_changes = changes;
    memo_box = box;
    const Vector goal_position = positionOf(goal);
    const int hard_count = blocked_map->getHardCount();
    covers_goal.assign(static_cast<std::size_t>(hard_count), 0);
    own_number = -1;
    for (int i = 0; i < hard_count; i++)
    {
        covers_goal[i] = boxContainsPosition(blocked_map->getHardBox(i), goal_position);
        if (blocked_map->getHardObject(i) == object)
            own_number = i;
    }
    return true;
}

int PathFind::finish(int final_result)
{
    result = final_result;
    return result;
}

} // namespace qv
