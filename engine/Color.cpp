#include "Color.h"

#include "LogManager.h"

#include <SFML/Graphics/Color.hpp>

namespace qv
{

namespace
{

struct RGB
{
    unsigned char red;
    unsigned char green;
    unsigned char blue;
};

// Indexed by Color, BLACK to WHITE.
const RGB COLOR_TABLE[] = {
    {0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {255, 255, 0}, {0, 0, 255}, {255, 0, 255}, {0, 255, 255}, {255, 255, 255},
};

bool isPlainColor(Color color)
{
    return color >= BLACK && color <= WHITE;
}

} // namespace

void colorToRGB(Color color, unsigned char *red, unsigned char *green, unsigned char *blue)
{
    if (color == CUSTOM)
        return;
    if (!isPlainColor(color))
    {
        LogManager::getInstance().writeLog(5, "colorToRGB(): Color %d not supported.", static_cast<int>(color));
        return;
    }
    const RGB &rgb = COLOR_TABLE[color];
    *red = rgb.red;
    *green = rgb.green;
    *blue = rgb.blue;
}

sf::Color colorToSFML(Color color)
{
    if (color == CUSTOM)
    {
        LogManager::getInstance().writeLog(5, "colorToSFML(): Color is CUSTOM.");
        return sf::Color::White;
    }
    if (!isPlainColor(color))
    {
        LogManager::getInstance().writeLog(5, "colorToSFML(): Color %d not supported.", static_cast<int>(color));
        return sf::Color::White;
    }
    const RGB &rgb = COLOR_TABLE[color];
    return sf::Color(rgb.red, rgb.green, rgb.blue);
}

} // namespace qv
