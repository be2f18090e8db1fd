#include "Shape.h"

#include "Config.h"
#include "DisplayManager.h"
#include "LogManager.h"
#include "Vector.h"
#include "geometry.h"

#include <SFML/Graphics/CircleShape.hpp>
#include <SFML/Graphics/RenderWindow.hpp>

#include <algorithm>
#include <climits>

namespace qv
{

namespace
{

// The one figure every shape is drawn with, made on the first draw and kept to program exit.
sf::CircleShape &figure()
{
    static sf::CircleShape shared_figure(0, 30);
    return shared_figure;
}

// Truncates a cell side to whole pixels. Before the display has started the side is NaN or
// infinite, which has no unsigned value; such a side counts as 0.
unsigned int wholePixels(float side)
{
    if (!(side > 0.0f))
        return 0;
    if (side >= static_cast<float>(INT_MAX))
        return INT_MAX;
    return static_cast<unsigned int>(side);
}

// The circle's point count: its size in pixels, held between 3 and 10 (3 for a NaN size).
std::size_t circlePoints(float size)
{
    if (size > 10.0f)
        return 10;
    if (size >= 3.0f)
        return static_cast<std::size_t>(size);
    return 3;
}

} // namespace

Shape::Shape()
{
    const unsigned int side = wholePixels(std::min(charWidth(), charHeight()));
    size = Config::getInstance().getFontScale() * static_cast<float>(side);
}

void Shape::setType(int new_type)
{
    if (new_type < UNDEFINED_SHAPE || new_type > TRIANGLE)
    {
        LogManager::getInstance().writeLog("Shape::setType(): Unknown shape type %d. Ignoring.", new_type);
        return;
    }
    type = new_type;
}

int Shape::getType() const
{
    return type;
}

void Shape::setSize(float new_size)
{
    size = new_size;
}

float Shape::getSize() const
{
    return size;
}

void Shape::setColor(Color new_color)
{
    color = new_color;
}

Color Shape::getColor() const
{
    return color;
}

void Shape::setOpacity(unsigned char new_opacity)
{
    opacity = new_opacity;
}

unsigned char Shape::getOpacity() const
{
    return opacity;
}

void Shape::draw(Vector position)
{
    sf::RenderWindow *window = DisplayManager::getInstance().getWindow();
    if (!window)
    {
        LogManager::getInstance().writeLog(5, "Shape::draw(): DisplayManager window not defined.");
        return;
    }
    // The shared figure still holds the last shape's settings, which are not this shape's.
    if (type == UNDEFINED_SHAPE)
        return;
    const Vector p = spacesToPixels(worldToView(position));
    sf::CircleShape &shape = figure();

    if (color != CUSTOM)
        colorToRGB(color, &r, &g, &b);
    shape.setFillColor(sf::Color(r, g, b, opacity));

    const float half = size * 0.5f;
    switch (type)
    {
    case CIRCLE:
        shape.setPointCount(circlePoints(size));
        shape.setRadius(size);
        // The figure is shared: a square drawn before must not leave its circle turned.
        shape.setRotation(0);
        shape.setPosition(p.getX() - half, p.getY() - half);
        break;
    case SQUARE:
        shape.setPointCount(4);
        shape.setRotation(45);
        shape.setRadius(size / Config::getInstance().getFontScale());
        shape.setPosition(p.getX() + half, p.getY() - size / 1.75f);
        break;
    case TRIANGLE:
        shape.setPointCount(3);
        shape.setRadius(half);
        shape.setRotation(0);
        shape.setPosition(p.getX() - half, p.getY() - half);
        break;
    default:
        return;
    }
    LogManager::getInstance().writeLog(20, "Shape::draw(): Drawing at (%.2f, %.2f)", static_cast<double>(p.getX()),
                                       static_cast<double>(p.getY()));
    // A shape wholly outside the window changes no pixel, and would only cut the characters'
    // queue in two.
    DisplayManager &display_manager = DisplayManager::getInstance();
    const sf::FloatRect bounds = shape.getGlobalBounds();
    if (!(bounds.left + bounds.width > 0.0f && bounds.top + bounds.height > 0.0f &&
          bounds.left < static_cast<float>(display_manager.getHorizontalPixels()) &&
          bounds.top < static_cast<float>(display_manager.getVerticalPixels())))
        return;
    // Characters drawn before the shape are still queued; they must land under it.
    display_manager.flush();
    window->draw(shape);
}

} // namespace qv
