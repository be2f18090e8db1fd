#pragma once

#include "Box.h"

#include <vector>

namespace qv
{

class Object;
class ObjectList;

/// A uniform grid of buckets laid over the world boundary, holding the objects the scene graph
/// files in it (the active solid ones) so that a box query looks only at the buckets the box
/// covers. Each object goes into every bucket its world box touches; boxes reaching past the
/// boundary are filed in the edge buckets, so objects far outside still answer queries exactly.
///
/// Queries return the same objects as a scan of the objects in filing order with
/// `boxIntersectsBox`, in that order: each object keeps the rank it got when filed. The grid holds
/// pointers only, and must be told (`refile`) whenever an object's position or box changes. An
/// object is held by one grid at most: it keeps the number of its record there.
class SpatialGrid
{
public:
    /// An empty grid of one bucket over an empty boundary.
    SpatialGrid() = default;

    /// Lays buckets of `cell_width` x `cell_height` world cells over `boundary` and refiles every
    /// object held. When that would make more than `MAX_BUCKETS` buckets, the buckets are widened
    /// until it does not; a boundary of no area or not finite is one bucket.
    void layOut(const Box &boundary, float cell_width, float cell_height);
    /// Files `p_o` (not owned) after every object held, at its current world box; an object
    /// already held keeps its place.
    void insert(Object *p_o);
    /// Forgets `p_o`; nothing if it is not held.
    void remove(Object *p_o);
    /// Refiles `p_o` after its position or box changed, keeping its place in the order.
    void refile(Object *p_o);
    /// Forgets every object.
    void clear();

    /// Appends to `result` the objects held, other than `p_skip`, whose world box intersects
    /// `box`, in filing order.
    void query(const Box &box, const Object *p_skip, ObjectList &result) const;
    /// Is `p_o` held?
    bool holds(const Object *p_o) const;
    /// Objects held.
    int getCount() const;
    /// Buckets across.
    int getColumns() const;
    /// Buckets down.
    int getRows() const;
    /// Width of one bucket, cells.
    float getCellWidth() const;
    /// Height of one bucket, cells.
    float getCellHeight() const;

    /// Most buckets a grid lays out, whatever the boundary and bucket size.
    static constexpr int MAX_BUCKETS = 1 << 16;
    /// Most buckets one object is filed in; a larger box is looked at by every query instead.
    static constexpr int MAX_OBJECT_BUCKETS = 64;

private:
    // Buckets an object covers, first to last on each axis.
    struct Span
    {
        int first_column;
        int first_row;
        int last_column;
        int last_row;
    };

    struct Record
    {
        Object *object;           // the object filed, not owned
        Box world_box;            // its world box when last filed, cells
        unsigned long long order; // rank in filing order; later filings rank higher
        Span span;                // buckets it is in, unless `loose`
        bool loose;               // in `loose_records` rather than buckets: a NaN corner or a huge box
    };

    struct Hit
    {
        unsigned long long order; // the record's rank
        Object *object;
    };

    bool spanOf(const Box &world_box, Span &span) const;
    int columnAt(double x) const;
    int rowAt(double y) const;
    void file(int record);
    void unfile(int record);

    Box boundary;                             // the area the buckets cover, cells
    float cell_width = 1;                     // bucket width, cells
    float cell_height = 1;                    // bucket height, cells
    int columns = 1;                          // buckets across
    int rows = 1;                             // buckets down
    std::vector<std::vector<int>> buckets{1}; // record indices, [row * columns + column]
    std::vector<int> loose_records;           // records every query looks at
    std::vector<Record> records;              // per filed object; free slots hold null
    std::vector<int> free_records;            // indices of free slots in `records`
    int count = 0;                            // objects held
    unsigned long long next_order = 0;        // rank the next filing gets
    mutable std::vector<Hit> hits;            // scratch of `query`
};

} // namespace qv
