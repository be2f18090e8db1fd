#pragma once

#include "Vector.h"

namespace qv
{

/// An axis-aligned rectangle: a top-left corner and two extents, in cells.
class Box
{
public:
    /// Corner (0, 0), extents 0.
    Box() = default;
    /// The box with top-left `init_corner` and the given extents, in cells.
    Box(const Vector &init_corner, float init_horizontal, float init_vertical);

    /// Top-left corner.
    Vector getCorner() const;
    /// Moves the top-left corner.
    void setCorner(const Vector &new_corner);
    /// Extent in x, cells.
    float getHorizontal() const;
    /// Sets the extent in x.
    void setHorizontal(float new_horizontal);
    /// Extent in y, cells.
    float getVertical() const;
    /// Sets the extent in y.
    void setVertical(float new_vertical);

    /// Same corner and extents?
    bool operator==(const Box &other) const;
    /// Different corner or extents?
    bool operator!=(const Box &other) const;

private:
    Vector corner;        // top-left corner, cells
    float horizontal = 0; // extent in x, cells
    float vertical = 0;   // extent in y, cells
};

} // namespace qv
