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

// Maps kept for later searches, all made since the last change of a HARD object.
const std::size_t MAPS_KEPT = 4;

std::vector<std::shared_ptr<const BlockedMap>> &keptMaps()
{
    static std::vector<std::shared_ptr<const BlockedMap>> kept;
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
// `getWorldBox` makes: a box meets another exactly when it does so on both axes.
bool meets(float own_corner, float own_extent, int cell, float corner, float extent)
{
    const Box own(Vector(own_corner + static_cast<float>(cell), 0), own_extent, 0);
    return boxIntersectsBox(own, Box(Vector(corner, 0), extent, 0));
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
    std::vector<std::shared_ptr<const BlockedMap>> &kept = keptMaps();
    const unsigned long changes = hardChanges();
    // Once a HARD object has changed, no map made before can be current again.
    kept.erase(std::remove_if(kept.begin(), kept.end(),
                              [changes](const std::shared_ptr<const BlockedMap> &map)
                              { return map->changes != changes; }),
               kept.end());
    for (const std::shared_ptr<const BlockedMap> &map : kept)
        if (map->isCurrent(own_box, width, height))
            return map;
    std::shared_ptr<BlockedMap> made(new (std::nothrow) BlockedMap(own_box, width, height, changes));
    if (!made || !made->fill())
        return nullptr;
    if (kept.size() == MAPS_KEPT)
        kept.pop_back();
    kept.insert(kept.begin(), made);
    return made;
}

bool BlockedMap::isCurrent(const Box &box, int map_width, int map_height) const
{
    return changes == hardChanges() && box == own_box && map_width == width && map_height == height;
}

int BlockedMap::firstMet(int cell, int skip) const
{
    const int met = first[cell];
    return met == skip && met >= 0 ? second[cell] : met;
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
        lay(static_cast<int>(hard.size()) - 1);
    }
    return true;
}

void BlockedMap::lay(int number)
{
    const Box &box = hard_boxes[number];
    const float own_x = own_box.getCorner().getX();
    const float own_y = own_box.getCorner().getY();
    const Span columns = reach(box.getCorner().getX(), box.getHorizontal(), own_x, own_box.getHorizontal(), width);
    const Span rows = reach(box.getCorner().getY(), box.getVertical(), own_y, own_box.getVertical(), height);
    if (columns.first > columns.last || rows.first > rows.last)
        return;
    column_meets.assign(static_cast<std::size_t>(columns.last - columns.first + 1), 0);
    for (int x = columns.first; x <= columns.last; x++)
        column_meets[x - columns.first] =
            meets(own_x, own_box.getHorizontal(), x, box.getCorner().getX(), box.getHorizontal());
    for (int y = rows.first; y <= rows.last; y++)
    {
        if (!meets(own_y, own_box.getVertical(), y, box.getCorner().getY(), box.getVertical()))
            continue;
        int *p_first = first.get() + static_cast<std::size_t>(y) * width;
        int *p_second = second.get() + static_cast<std::size_t>(y) * width;
        for (int x = columns.first; x <= columns.last; x++)
        {
            if (!column_meets[x - columns.first])
                continue;
            if (p_first[x] < 0)
                p_first[x] = number;
            else if (p_second[x] < 0)
                p_second[x] = number;
        }
    }
}

} // namespace qv
