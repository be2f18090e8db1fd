#pragma once

namespace sf
{
class Color;
}

namespace qv
{

/// The engine's colours. `CUSTOM` means the caller supplies red, green and blue itself.
enum Color
{
    BLACK = 0,
    RED,
    GREEN,
    YELLOW,
    BLUE,
    MAGENTA,
    CYAN,
    WHITE,
    CUSTOM,
};

/// Writes the colour's red, green and blue; writes nothing for `CUSTOM` or an unknown colour.
void colorToRGB(Color color, unsigned char *red, unsigned char *green, unsigned char *blue);
/// The colour as the graphics library's opaque colour; white for `CUSTOM` or an unknown colour.
sf::Color colorToSFML(Color color);

} // namespace qv
