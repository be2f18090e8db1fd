#pragma once

namespace qv
{

/// A point or direction in the world, in character cells: x grows to the right, y downwards.
class Vector
{
public:
    /// (0, 0).
    Vector() = default;
    Vector(float init_x, float init_y);

    float getX() const;
    void setX(float new_x);
    float getY() const;
    void setY(float new_y);
    void setXY(float new_x, float new_y);

    /// Length of the vector.
    float getMagnitude() const;
    /// Scales the vector to length 1; a zero vector stays zero.
    void normalize();
    /// Multiplies both components by `s`.
    void scale(float s);

    Vector operator+(const Vector &other) const;
    Vector operator-(const Vector &other) const;
    Vector &operator+=(const Vector &other);
    bool operator==(const Vector &other) const;
    bool operator!=(const Vector &other) const;

private:
    float x = 0; // cells
    float y = 0; // cells
};

/// Straight-line distance between two points, in cells.
float distance(const Vector &a, const Vector &b);

} // namespace qv
