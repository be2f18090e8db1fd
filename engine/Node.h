#pragma once

#include "Cell.h"

namespace qv
{

/// What a path search knows about one cell of the world.
class Node
{
public:
    float g = 0; ///< cost of the best way found from the start, cells
    float f = 0; ///< g plus the straight-line distance to the goal, cells
    Cell parent; ///< the cell this one is reached from on that way
};

} // namespace qv
