#pragma once

namespace qv
{

/// One cell of the world grid, in whole cells.
class Cell
{
public:
    /// The cell (0, 0).
    Cell() = default;
    /// The cell in column `init_x`, row `init_y`.
    Cell(int init_x, int init_y) : x(init_x), y(init_y) {}

    /// Same column and row?
    bool operator==(const Cell &other) const { return x == other.x && y == other.y; }
    /// Another column or row?
    bool operator!=(const Cell &other) const { return !(*this == other); }

    int x = 0; ///< column, cells
    int y = 0; ///< row, cells
};

} // namespace qv
