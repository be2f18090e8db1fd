#include "SpatialGrid.h"

#include "LogManager.h"
#include "Object.h"
#include "ObjectList.h"
#include "geometry.h"

#include <algorithm>
#include <cmath>

namespace qv
{

namespace
{

bool isFinite(float value)
{
    return std::isfinite(value);
}

// Buckets of `size` cells needed to cover `extent` cells: one when the extent has no size or no end.
double bucketsAcross(float extent, double size)
{
    if (!(extent > 0) || !isFinite(extent))
        return 1;
    return std::max(1.0, std::ceil(extent / size));
}

// The bucket, 0 to count - 1, holding `coordinate` on an axis whose buckets of `size` start at
// `origin`; coordinates beyond either end go to the end bucket. Rises with the coordinate.
int bucketAt(double coordinate, float origin, float size, int count)
{
    const double bucket = std::floor((coordinate - (isFinite(origin) ? origin : 0)) / size);
    if (!(bucket >= 0))
        return 0;
    return bucket >= count - 1 ? count - 1 : static_cast<int>(bucket);
}

void removeIndex(std::vector<int> &list, int index)
{
    const auto found = std::find(list.begin(), list.end(), index);
    if (found == list.end())
        return;
    *found = list.back();
    list.pop_back();
}

} // namespace

void SpatialGrid::layOut(const Box &new_boundary, float new_cell_width, float new_cell_height)
{
    boundary = new_boundary;
    double width = new_cell_width > 0 && isFinite(new_cell_width) ? new_cell_width : 1;
    double height = new_cell_height > 0 && isFinite(new_cell_height) ? new_cell_height : 1;
    double across = bucketsAcross(boundary.getHorizontal(), width);
    double down = bucketsAcross(boundary.getVertical(), height);
    if (across * down > MAX_BUCKETS)
    {
        while (across * down > MAX_BUCKETS)
        {
            width *= 2;
            height *= 2;
            across = bucketsAcross(boundary.getHorizontal(), width);
            down = bucketsAcross(boundary.getVertical(), height);
        }
        LogManager::getInstance().writeLog(
            "SpatialGrid::layOut(): Warning! Buckets of %g x %g cells over a %g x %g boundary exceed %d; widened to "
            "%g x %g cells.",
            new_cell_width, new_cell_height, boundary.getHorizontal(), boundary.getVertical(), MAX_BUCKETS, width,
            height);
    }
    cell_width = static_cast<float>(width);
    cell_height = static_cast<float>(height);
    columns = static_cast<int>(across);
    rows = static_cast<int>(down);
    buckets.assign(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows), std::vector<int>());
    loose_records.clear();
    for (int i = 0; i < static_cast<int>(records.size()); i++)
        if (records[i].object != nullptr)
            file(i);
}

void SpatialGrid::insert(Object *p_o)
{
    if (p_o == nullptr || holds(p_o))
        return;
    int index = static_cast<int>(records.size());
    if (free_records.empty())
    {
        records.push_back(Record());
    }
    else
    {
        index = free_records.back();
        free_records.pop_back();
    }
    records[index] = Record{p_o, getWorldBox(p_o), next_order++, Span(), false};
    p_o->grid_record = index;
    count++;
    file(index);
}

void SpatialGrid::remove(Object *p_o)
{
    if (!holds(p_o))
        return;
    const int index = p_o->grid_record;
    p_o->grid_record = -1;
    count--;
    unfile(index);
    records[index].object = nullptr;
    free_records.push_back(index);
}

void SpatialGrid::refile(Object *p_o)
{
    if (!holds(p_o))
        return;
    const int index = p_o->grid_record;
    Record &record = records[index];
    const Box world_box = getWorldBox(p_o);
    Span span;
    // Most moves stay within the same buckets: only the box the queries test changes.
    if (!record.loose && spanOf(world_box, span) && span.first_column == record.span.first_column &&
        span.first_row == record.span.first_row && span.last_column == record.span.last_column &&
        span.last_row == record.span.last_row)
    {
        record.world_box = world_box;
        return;
    }
    unfile(index);
    record.world_box = world_box;
    file(index);
}

void SpatialGrid::clear()
{
    for (std::vector<int> &bucket : buckets)
        bucket.clear();
    loose_records.clear();
    for (const Record &record : records)
        if (record.object != nullptr)
            record.object->grid_record = -1;
    records.clear();
    free_records.clear();
    count = 0;
}

void SpatialGrid::query(const Box &box, const Object *p_skip, ObjectList &result) const
{
    hits.clear();
    const auto test = [&](const Record &record)
    {
        if (record.object != p_skip && boxIntersectsBox(box, record.world_box))
            hits.push_back(Hit{record.order, record.object});
    };
    Span area;
    if (spanOf(box, area))
    {
        for (int row = area.first_row; row <= area.last_row; row++)
        {
            for (int column = area.first_column; column <= area.last_column; column++)
            {
                for (const int index : buckets[static_cast<std::size_t>(row) * columns + column])
                {
                    const Record &record = records[index];
                    // An object in several of the buckets looked at is tested in the first of them only.
                    if (std::max(record.span.first_column, area.first_column) == column &&
                        std::max(record.span.first_row, area.first_row) == row)
                        test(record);
                }
            }
        }
        for (const int index : loose_records)
            test(records[index]);
    }
    else
    {
        // A box that cannot be placed is tested against everything, as a scan would.
        for (const Record &record : records)
            if (record.object != nullptr)
                test(record);
    }
    if (hits.size() > 1)
        std::sort(hits.begin(), hits.end(), [](const Hit &a, const Hit &b) { return a.order < b.order; });
    for (const Hit &hit : hits)
        result.insert(hit.object);
}

bool SpatialGrid::holds(const Object *p_o) const
{
    return p_o != nullptr && p_o->grid_record >= 0 && p_o->grid_record < static_cast<int>(records.size()) &&
           records[p_o->grid_record].object == p_o;
}

int SpatialGrid::getCount() const
{
    return count;
}

int SpatialGrid::getColumns() const
{
    return columns;
}

int SpatialGrid::getRows() const
{
    return rows;
}

float SpatialGrid::getCellWidth() const
{
    return cell_width;
}

float SpatialGrid::getCellHeight() const
{
    return cell_height;
}

// Two boxes intersect only when the near edge of one lies between the near and far edges of the
// other, on both axes, with the far edge summed in float as `boxIntersectsBox` sums it. Buckets
// numbered by a rising function of the coordinate therefore overlap whenever the boxes do. A far
// edge that is not past the near one (a negative or NaN extent) only ever meets others at the near
// edge; a NaN near edge cannot be placed.
bool SpatialGrid::spanOf(const Box &world_box, Span &span) const
{
    const float left = world_box.getCorner().getX();
    const float top = world_box.getCorner().getY();
    if (std::isnan(left) || std::isnan(top))
        return false;
    float right = left + world_box.getHorizontal();
    float bottom = top + world_box.getVertical();
    if (!(right >= left))
        right = left;
    if (!(bottom >= top))
        bottom = top;
    span = Span{columnAt(left), rowAt(top), columnAt(right), rowAt(bottom)};
    return true;
}

int SpatialGrid::columnAt(double x) const
{
    return bucketAt(x, boundary.getCorner().getX(), cell_width, columns);
}

int SpatialGrid::rowAt(double y) const
{
    return bucketAt(y, boundary.getCorner().getY(), cell_height, rows);
}

void SpatialGrid::file(int index)
{
    Record &record = records[index];
    // An object over many buckets would cost memory in each; every query looks at it instead.
    record.loose = !spanOf(record.world_box, record.span) ||
                   static_cast<long long>(record.span.last_column - record.span.first_column + 1) *
                           (record.span.last_row - record.span.first_row + 1) >
                       MAX_OBJECT_BUCKETS;
    if (record.loose)
    {
        loose_records.push_back(index);
        return;
    }
    for (int row = record.span.first_row; row <= record.span.last_row; row++)
        for (int column = record.span.first_column; column <= record.span.last_column; column++)
            buckets[static_cast<std::size_t>(row) * columns + column].push_back(index);
}

void SpatialGrid::unfile(int index)
{
    const Record &record = records[index];
    if (record.loose)
    {
        removeIndex(loose_records, index);
        return;
    }
    for (int row = record.span.first_row; row <= record.span.last_row; row++)
        for (int column = record.span.first_column; column <= record.span.last_column; column++)
            removeIndex(buckets[static_cast<std::size_t>(row) * columns + column], index);
}

} // namespace qv
