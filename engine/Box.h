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
    Box(const Vector &init_corner, float init_horizontal, float init_vertical);

    Vector getCorner() const;
    void setCorner(const Vector &new_corner);
    float getHorizontal() const;
    void setHorizontal(float new_horizontal);
    float getVertical() const;
    void setVertical(float new_vertical);

    bool operator==(const Box &other) const;
    bool operator!=(const Box &other) const;

private:
    Vector corner;        // top-left corner, cells
    float horizontal = 0; // extent in x, cells
    float vertical = 0;   // extent in y, cells
};

} // namespace qv
