#include "BlockedMap.h"

#include "Object.h"
#include "ObjectList.h"
#include "SceneGraph.h"
#include "Vector.h"
#include "WorldManager.h"
#include "geometry.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace qv
{

namespace
{

// Maps kept for later searches, each brought up to date when it is asked for again.
const std::size_t MAPS_KEPT = 4;

std::vector<std::shared_ptr<BlockedMap>> &keptMaps()
{
    static std::vector<std::shared_ptr<BlockedMap>> kept;
    return kept;
}

unsigned long hardChanges()
{
    return WorldManager::getInstance().getSceneGraph().getHardChanges();
}

// A run of cells along one axis, first to last; empty when first > last.
struct Span
{
    int first;
    int last;
};

// The cells (0 to cells - 1) at which a box of corner `own_corner` and extent `own_extent`, placed
// at the cell, may touch the interval from `corner` over `extent`. A superset: the margin covers
// the rounding of the float sums the exact test makes; what is not finite gives every cell.
Span reach(float corner, float extent, float own_corner, float own_extent, int cells)
{
    const double low = static_cast<double>(corner) - std::fabs(own_extent) - own_corner;
    const double high = static_cast<double>(corner) + std::fabs(extent) - own_corner;
    const double margin =
        2 + (std::fabs(corner) + std::fabs(extent) + std::fabs(own_corner) + std::fabs(own_extent) + cells) * 1e-6;
    const double first = std::floor(low - margin);
    const double last = std::ceil(high + margin);
    if (!std::isfinite(first) || !std::isfinite(last))
        return Span{0, cells - 1};
    const double lowest = std::min(std::max(first, 0.0), static_cast<double>(cells));
    const double highest = std::max(std::min(last, cells - 1.0), -1.0);
    return Span{static_cast<int>(lowest), static_cast<int>(highest)};
}

// Does a box of corner `own_corner` and extent `own_extent`, placed at `cell`, meet the interval
// from `corner` over `extent`? The test of one axis of `boxIntersectsBox`, with the sum
// `getWorldBox` makes, in the same float operations: a box meets another exactly when it does so
// on both axes.
bool meets(float own_corner, float own_extent, int cell, float corner, float extent)
{
    const float placed = own_corner + static_cast<float>(cell);
    return (corner <= placed && placed <= corner + extent) || (placed <= corner && corner <= placed + own_extent);
}

// The solid objects a box placed on any cell of the graph may meet, in query order: those in the
// area all its places cover, with a margin for rounding; all of them when that area has no end.
ObjectList candidates(const Box &own_box, int width, int height)
{
    const SceneGraph &scene_graph = WorldManager::getInstance().getSceneGraph();
    const double x = own_box.getCorner().getX();
    const double y = own_box.getCorner().getY();
    const double across = std::fabs(own_box.getHorizontal());
    const double down = std::fabs(own_box.getVertical());
    const double margin_x = 2 + (std::fabs(x) + across + width) * 1e-6;
    const double margin_y = 2 + (std::fabs(y) + down + height) * 1e-6;
    const Box area(Vector(static_cast<float>(x - margin_x), static_cast<float>(y - margin_y)),
                   static_cast<float>(width + across + 2 * margin_x), static_cast<float>(height + down + 2 * margin_y));
    if (!std::isfinite(area.getCorner().getX()) || !std::isfinite(area.getCorner().getY()) ||
        !std::isfinite(area.getHorizontal()) || !std::isfinite(area.getVertical()))
        return scene_graph.solidObjects();
    return scene_graph.solidObjectsIn(area);
}

} // namespace

std::shared_ptr<const BlockedMap> BlockedMap::current(const Box &own_box, int width, int height)
{
    std::vector<std::shared_ptr<BlockedMap>> &kept = keptMaps();
    const unsigned long changes = hardChanges();
    for (std::size_t i = 0; i < kept.size(); i++)
    {
        BlockedMap &map = *kept[i];
        if (!(map.own_box == own_box && map.width == width && map.height == height))
            continue;
        // Searches holding the map take it afresh before they read it again, as the world's
        // count of changes has moved on from theirs.
        if (map.changes == changes || map.catchUp())
            return kept[i];
        kept.erase(kept.begin() + static_cast<std::ptrdiff_t>(i));
        break;
    }
    std::shared_ptr<BlockedMap> made(new (std::nothrow) BlockedMap(own_box, width, height, changes));
    if (!made || !made->fill())
        return nullptr;
    if (kept.size() == MAPS_KEPT)
        kept.pop_back();
    kept.insert(kept.begin(), made);
    return made;
}

int BlockedMap::getHardCount() const
{
    return static_cast<int>(hard.size());
}

const Object *BlockedMap::getHardObject(int number) const
{
    return hard[number];
}

Box BlockedMap::getHardBox(int number) const
{
    return hard_boxes[number];
}

BlockedMap::BlockedMap(const Box &init_own_box, int init_width, int init_height, unsigned long init_changes)
    : own_box(init_own_box), width(init_width), height(init_height), changes(init_changes)
{
}

// Each HARD object is laid over the cells it reaches in query order, so every cell ends with the
// first two that `getCollisions` would return for a box standing there.
bool BlockedMap::fill()
{
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    first.reset(new (std::nothrow) int[count]);
    second.reset(new (std::nothrow) int[count]);
    if (!first || !second)
        return false;
    // All bits set is -1, and a byte fill is far quicker than a loop over ints.
    std::memset(first.get(), 0xff, count * sizeof(int));
    std::memset(second.get(), 0xff, count * sizeof(int));
    const ObjectList solid = candidates(own_box, width, height);
    for (int i = 0; i < solid.getCount(); i++)
    {
        const Object *p_o = solid.itemAt(i);
        if (p_o->getSolidness() != HARD)
            continue;
        hard.push_back(p_o);
        hard_boxes.push_back(getWorldBox(p_o));
        lay(static_cast<int>(hard.size()) - 1, 0, width - 1, 0, height - 1);
    }
    return true;
}

// Only HARD objects the map knows may have moved, and they keep their places in query order: the
// cells around where each was and is are worked out again from every HARD object reaching them.
bool BlockedMap::catchUp()
{
    static std::vector<const Object *> moved;
    if (!WorldManager::getInstance().getSceneGraph().hardMovesSince(changes, &moved))
        return false;
    // Each move redoes two patches, each against every HARD object; the whole map takes about
    // one and a half times that work per object, and a fill of every cell: past that it is
    // quicker made afresh.
    const std::size_t cells = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (4 * moved.size() * hard.size() > 3 * hard.size() + cells / 10)
        return false;
    std::vector<int> &numbers = scratch_numbers;
    numbers.clear();
    for (const Object *p_o : moved)
    {
        const auto found = std::find(hard.begin(), hard.end(), p_o);
        if (found == hard.end())
            return false;
        numbers.push_back(static_cast<int>(found - hard.begin()));
    }
    std::vector<Box> &patches = scratch_patches;
    patches.clear();
    for (std::size_t i = 0; i < moved.size(); i++)
    {
        const Box now = getWorldBox(moved[i]);
        Box &was = hard_boxes[numbers[i]];
        if (now == was)
            continue;
        patches.push_back(was);
        patches.push_back(now);
        was = now;
    }
    for (const Box &patch : patches)
    {
        const Span columns = reach(patch.getCorner().getX(), patch.getHorizontal(), own_box.getCorner().getX(),
                                   own_box.getHorizontal(), width);
        const Span rows = reach(patch.getCorner().getY(), patch.getVertical(), own_box.getCorner().getY(),
                                own_box.getVertical(), height);
        if (columns.first > columns.last || rows.first > rows.last)
            continue;
        for (int y = rows.first; y <= rows.last; y++)
        {
            const std::size_t row = static_cast<std::size_t>(y) * width;
            std::fill(first.get() + row + columns.first, first.get() + row + columns.last + 1, -1);
            std::fill(second.get() + row + columns.first, second.get() + row + columns.last + 1, -1);
        }
        for (int number = 0; number < static_cast<int>(hard.size()); number++)
            lay(number, columns.first, columns.last, rows.first, rows.last);
    }
    changes = hardChanges();
    return true;
}

void BlockedMap::lay(int number, int column0, int column1, int row0, int row1)
{
    const Box &box = hard_boxes[number];
    const float own_x = own_box.getCorner().getX();
    const float own_y = own_box.getCorner().getY();
    const float own_across = own_box.getHorizontal();
    const float own_down = own_box.getVertical();
    const float x0 = box.getCorner().getX();
    const float y0 = box.getCorner().getY();
    const float across = box.getHorizontal();
    const float down = box.getVertical();
    Span columns = reach(x0, across, own_x, own_across, width);
    Span rows = reach(y0, down, own_y, own_down, height);
    columns = Span{std::max(columns.first, column0), std::min(columns.last, column1)};
    rows = Span{std::max(rows.first, row0), std::min(rows.last, row1)};
    // A box placed further along meets an interval over one unbroken run of cells, as the
    // sums that place it only grow: the run's ends are found from both sides.
    while (columns.first <= columns.last && !meets(own_x, own_across, columns.first, x0, across))
        columns.first++;
    while (columns.first <= columns.last && !meets(own_x, own_across, columns.last, x0, across))
        columns.last--;
    for (int y = rows.first; y <= rows.last && columns.first <= columns.last; y++)
    {
        if (!meets(own_y, own_down, y, y0, down))
            continue;
        int *p_first = first.get() + static_cast<std::size_t>(y) * width;
        int *p_second = second.get() + static_cast<std::size_t>(y) * width;
        for (int x = columns.first; x <= columns.last; x++)
        {
            if (p_first[x] < 0)
                p_first[x] = number;
            else if (p_second[x] < 0)
                p_second[x] = number;
        }
    }
}

} // namespace qv
