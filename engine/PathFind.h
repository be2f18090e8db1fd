#pragma once

#include "Box.h"
#include "Cell.h"
#include "Node.h"
#include "Path.h"

#include <memory>
#include <vector>

namespace qv
{

class BlockedMap;
struct DistanceTable;
class Object;
class Vector;

/// One incremental A* search over the world's cells, advanced one expansion at a time by the path
/// manager. The requesting object owns the job (`Object::setPathJob`); the path manager only holds
/// it while it runs.
///
/// The node graph covers the world boundary as it was when the job was made. Each expansion takes
/// the open cell of smallest f, the one that entered the open cells last among equals; a heap
/// that keeps one entry per open cell, and per-cell marks, find it without scanning lists. Which
/// cells are blocked comes from a `BlockedMap`, worked out for the whole graph at once, shared
/// with other searches for the same box and kept for as long as no HARD object in the world
/// changes and the object keeps its box.
class PathFind
{
public:
    /// A job with neither object nor node graph; every expansion reports that and fails.
    PathFind();
    /// A search for `p_object` from `start` to `goal`; with `p_target` it also ends where the
    /// object's box touches the target's box placed at `goal`. Neither object is owned. The job
    /// has no node graph when `p_object` is null, a cell lies outside the world boundary or the
    /// graph cannot be allocated.
    PathFind(Object *p_object, Cell start, Cell goal, Object *p_target = nullptr);
    /// Frees what the search holds.
    virtual ~PathFind();

    /// Expands one cell: 0 when the search is exhausted (no path), 1 while it goes on, 2 when a
    /// path is found. Once ended it returns its final result again and expands nothing.
    int cycleOnce();
    /// Expands up to `most` cells, stopping when the search ends: what as many calls of
    /// `cycleOnce` do while nothing else changes the world. Sets `*p_made` to the calls it stood
    /// for (at least 1) and returns the last one's result.
    int cycle(int most, int *p_made);
    /// The way found, start to goal, as cell positions with index 0; empty unless found.
    Path getPath() const;
    /// Forgets the target, which is being destroyed; the next expansion ends the search with 0.
    void loseTarget();

    /// Was the node graph allocated?
    bool hasNodeGraph() const;
    /// The object to move, not owned.
    Object *getObject() const;
    /// The object the search may end on, or null; not owned.
    Object *getTarget() const;
    /// The cell the search started from.
    Cell getStart() const;
    /// The goal cell; the cell reached once the search has ended on the target.
    Cell getGoal() const;
    /// Has a path been found?
    bool isFound() const;
    /// Cells expanded so far.
    int getExpansions() const;

    /// The cell whose centre is nearest `position`.
    static Cell cellAt(const Vector &position);
    /// Is `cell` inside the world boundary (corner (0, 0), extents truncated to whole cells)?
    static bool isInWorld(Cell cell);

private:
    PathFind(const PathFind &) = delete;
    PathFind &operator=(const PathFind &) = delete;

    // One entry of the open heap: an open cell and what orders it. The key orders entries as
    // the search takes them: the f's bits above (an f is never negative, so its bits rise with
    // it), below them the complement of when the cell entered the open cells, so that of equal
    // f's the later entry comes first.
    struct OpenEntry
    {
        unsigned long long key; // smaller comes out first
        int index;              // y * width + x
        int row;                // y, cells
    };

    /// The heap key of a cell of `f` that entered the open cells as number `order`.
    static unsigned long long keyOf(float f, unsigned int order);
    /// Expands the best open cell of a graph whose usable part is `columns` x `rows` cells.
    int expand(int columns, int rows);
    /// Opens the cell at `index` (column `x`, row `y`) from `parent` with cost `g`, or takes the
    /// way when it improves on the cell's open one.
    void offer(int index, int x, int y, Cell parent, float g);
    /// Takes the best open cell out of the heap.
    Cell popBest();
    /// Moves the entry of cell `index` (in row `row`) from position `at` of the open heap, where
    /// it is new or its key has become smaller, up to its place with `key`, and stores it there.
    void raise(int at, unsigned long long key, int index, int row);
    /// Stores `entry` at position `at` of the open heap and notes where it went.
    void put(int at, const OpenEntry &entry);
    struct SpareGraph;
    /// The arrays of ended jobs' node graphs, kept for later jobs: a plain static array, in place
    /// even while the program exits.
    static SpareGraph *spareGraphs();
    bool refreshMemo();
    bool isBlocked(int cell) const;
    int finish(int final_result);

    Object *object = nullptr;                       // the object to move, not owned
    Object *target = nullptr;                       // where the search may end early, or null; not owned
    bool target_lost = false;                       // the target was destroyed during the search
    Cell start;                                     // where the search begins, cells
    Cell goal;                                      // where it ends, cells
    int width = 0;                                  // columns of the node graph, cells
    int height = 0;                                 // rows of the node graph, cells
    std::unique_ptr<Node[]> nodes;                  // node graph, [y * width + x]
    std::unique_ptr<unsigned char[]> marks;         // per cell: unseen, open or closed
    std::unique_ptr<int[]> place;                   // per open cell: its entry's position in `open`
    std::unique_ptr<OpenEntry[]> open;              // heap of the open cells, best on top; room for every cell
    int open_count = 0;                             // entries in `open`
    unsigned int next_order = 0;                    // order of the next cell to open
    std::shared_ptr<const DistanceTable> distances; // straight-line distances by (dx, dy), shared; or null
    std::shared_ptr<const BlockedMap> blocked_map;  // HARD objects met per cell, shared; null until the first expansion
    std::vector<unsigned char> covers_goal;         // per HARD object of the map: does its box hold the goal?
    int own_number = -1;                            // the object's number in the map, or -1
    unsigned long memo_changes = 0;                 // the world's HARD-object changes when the map was taken
    Box memo_box;                                   // the object's box when the map was taken, cells
    bool found = false;                             // a path has been found
    int result = 1;                                 // 1 while searching, then 0 or 2
    int expansions = 0;                             // cells expanded
};

} // namespace qv
