#pragma once

#include "Box.h"

#include <memory>
#include <vector>

namespace qv
{

class Object;

/// Which HARD objects a box would meet standing on each cell of the world: per cell, the first
/// two in the order collision queries return them. A path search asks it whether a cell is
/// blocked for its object (the first HARD object other than itself, unless that one covers the
/// goal).
///
/// A map is made for one box and one node-graph size. Searches share it: `current` hands out the
/// map already made when the world has not changed since, so a crowd of seekers among standing
/// walls works the cells out once. When HARD objects have only moved, it redoes just the cells
/// around where they were and are; any other change of a HARD object makes it afresh.
class BlockedMap
{
public:
    /// The map for a box `own_box` (relative to the cell it stands on) over `width` x `height`
    /// cells, as the world stands now; shared with the searches that asked before. Null when the
    /// memory for it cannot be had.
    static std::shared_ptr<const BlockedMap> current(const Box &own_box, int width, int height);

    /// The first HARD object a box standing on cell `y * width + x` meets, skipping the one
    /// numbered `skip`: its number (0 to `getHardCount` - 1), or -1 for none.
    int firstMet(int cell, int skip) const
    {
        const int met = first[cell];
        return met == skip && met >= 0 ? second[cell] : met;
    }
    /// HARD objects the map knows, numbered in query order.
    int getHardCount() const;
    /// The HARD object numbered `number`, only to be compared: it may be gone.
    const Object *getHardObject(int number) const;
    /// Its world box when the map was made, cells.
    Box getHardBox(int number) const;

private:
    BlockedMap(const Box &own_box, int width, int height, unsigned long changes);
    /// Lays out every HARD object the world holds; false without the memory for it.
    bool fill();
    /// Brings the map up to the world's moves since it was made; false, changing nothing, when
    /// the world changed otherwise or too much moved.
    bool catchUp();
    /// Enters HARD object `number` in the cells it blocks among columns [column0, column1] and
    /// rows [row0, row1].
    void lay(int number, int column0, int column1, int row0, int row1);

    Box own_box;                      // the box the map is for, cells
    int width;                        // columns, cells
    int height;                       // rows, cells
    unsigned long changes;            // the world's HARD-object changes it stands for
    std::vector<const Object *> hard; // HARD objects in query order, not owned
    std::vector<Box> hard_boxes;      // their world boxes, cells
    std::unique_ptr<int[]> first;     // per cell: the first HARD object met, or -1
    std::unique_ptr<int[]> second;    // per cell: the second one, or -1
    std::vector<int> scratch_numbers; // catching up: the moved objects' numbers
    std::vector<Box> scratch_patches; // catching up: boxes around which the cells are redone
};

} // namespace qv
