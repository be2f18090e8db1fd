#pragma once

#include "Color.h"
#include "Vector.h"

namespace qv
{

enum ShapeType
{
    UNDEFINED_SHAPE = -1,  // not drawn
    CIRCLE = 0,
    SQUARE,
    TRIANGLE,
};

/// A filled figure an object can be drawn as, in pixel units, besides or instead of its sprite.
class Shape
{
public:
    Shape();

    /// A `ShapeType`; other values are refused with a message.
    void setType(int new_type);
    int getType() const;
    void setSize(float new_size);
    float getSize() const;
    void setColor(Color new_color);
    Color getColor() const;
    void setOpacity(unsigned char new_opacity);
    unsigned char getOpacity() const;

    /// Draws the figure at a world position.
    void draw(Vector position);

private:
    Color color = WHITE;          // fill colour
    unsigned char r = 255;        // red used when drawing
    unsigned char g = 255;        // green used when drawing
    unsigned char b = 255;        // blue used when drawing
    int type = CIRCLE;            // a ShapeType
    float size = 0;               // pixels
    unsigned char opacity = 255;  // alpha of the fill
};

} // namespace qv
