#pragma once

#include "Color.h"

namespace qv
{

class Vector;

/// The figures a shape can take.
enum ShapeType
{
    UNDEFINED_SHAPE = -1, // not drawn
    CIRCLE = 0,
    SQUARE,
    TRIANGLE,
};

/// A filled figure an object can be drawn as, besides or instead of its sprite. Its size is in
/// pixels; by default it is about one character cell. All shapes draw through one shared figure.
class Shape
{
public:
    /// A white, opaque circle of the default size.
    Shape();

    /// A `ShapeType`; other values are refused with a message and the type stays.
    void setType(int new_type);
    /// The `ShapeType`.
    int getType() const;
    /// Sets the size, in pixels.
    void setSize(float new_size);
    /// Size, in pixels.
    float getSize() const;
    /// Sets the fill colour; `CUSTOM` keeps the red, green and blue last used (white at first).
    void setColor(Color new_color);
    /// The fill colour.
    Color getColor() const;
    /// Sets the alpha of the fill, 0 (invisible) to 255 (opaque).
    void setOpacity(unsigned char new_opacity);
    /// Alpha of the fill.
    unsigned char getOpacity() const;

    /// Draws the figure centred near a world position; nothing without a window.
    void draw(Vector position);

private:
    Color color = WHITE;         // fill colour
    unsigned char r = 255;       // red used when drawing, refreshed from color unless CUSTOM
    unsigned char g = 255;       // green used when drawing
    unsigned char b = 255;       // blue used when drawing
    int type = CIRCLE;           // a ShapeType
    float size = 0;              // pixels
    unsigned char opacity = 255; // alpha of the fill
};

} // namespace qv
