#pragma once

namespace qv
{

/// A point or direction in the world, in character cells: x grows to the right, y downwards.
class Vector
{
public:
    /// (0, 0).
    Vector() = default;
    /// The point (`init_x`, `init_y`), in cells.
    Vector(float init_x, float init_y);

    /// Horizontal component, cells.
    float getX() const;
    /// Sets the horizontal component.
    void setX(float new_x);
    /// Vertical component, cells (downwards).
    float getY() const;
    /// Sets the vertical component.
    void setY(float new_y);
    /// Sets both components.
    void setXY(float new_x, float new_y);

    /// Length of the vector.
    float getMagnitude() const;
    /// Scales the vector to length 1; a zero vector stays zero.
    void normalize();
    /// Multiplies both components by `s`.
    void scale(float s);

    /// Component-wise sum.
    Vector operator+(const Vector &other) const;
    /// This vector minus `other`.
    Vector operator-(const Vector &other) const;
    /// Adds `other` in place.
    Vector &operator+=(const Vector &other);
    /// Are both components exactly equal?
    bool operator==(const Vector &other) const;
    /// Does either component differ?
    bool operator!=(const Vector &other) const;

private:
    float x = 0; // cells
    float y = 0; // cells
};

/// Straight-line distance between two points, in cells.
float distance(const Vector &a, const Vector &b);

} // namespace qv
