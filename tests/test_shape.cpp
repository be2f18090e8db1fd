#include "DisplayManager.h"
#include "Shape.h"
#include "presentation_support.h"

#include <SFML/Graphics/RenderWindow.hpp>

#include <algorithm>
#include <array>
#include <tuple>

// One shape object drawn as each figure in turn, each time onto a black window: the outline of
// what it drew, and the colour in the middle of it.
TEST_F(WindowTest, ShapesStandWhereTheirArithmeticPutsThemInTheirColour)
{
    startWindow("font_scale:2,\n");
    // Figure, size, world position (cells), colour (CUSTOM keeps the last draw's), opacity (seen over
    // black); the outline expected (left, top, right and bottom pixels) and the colour in its middle.
    const std::tuple<int, float, qv::Vector, qv::Color, int, std::array<float, 4>, sf::Color> cases[] = {
        // Radius = size, corner half a size up and left of the point (240, 300).
        {qv::CIRCLE, 10, qv::Vector(20, 10), qv::GREEN, 255, {235, 295, 254, 314}, sf::Color::Green},
        // Radius size / font_scale = 12 from the corner (492, 300 - 24 / 1.75), turned 45 degrees about
        // it: sides of 17 about (491.5, 302.8).
        {qv::SQUARE, 24, qv::Vector(40, 10), qv::CUSTOM, 255, {483.5f, 294.8f, 499.5f, 310.7f}, sf::Color::Green},
        // After a square the shared figure must not stay turned.
        {qv::CIRCLE, 10, qv::Vector(20, 10), qv::BLUE, 128, {235, 295, 254, 314}, sf::Color(0, 0, 128)},
        // Radius size / 2 = 10, corner (710, 290): apex at the top, base 15 below.
        {qv::TRIANGLE, 20, qv::Vector(60, 10), qv::RED, 255, {711.3f, 290, 727.7f, 304}, sf::Color::Red},
    };
    qv::Shape shape;
    for (const auto &[type, size, where, color, opacity, outline, middle] : cases)
    {
        qv::DisplayManager::getInstance().getWindow()->clear(sf::Color::Black);
        shape.setType(type);
        shape.setSize(size);
        shape.setColor(color);
        shape.setOpacity(static_cast<unsigned char>(opacity));
        shape.draw(where);
        const sf::Image image = capture();
        const PixelBox box = boundingBox(image, [](sf::Color p) { return std::max({p.r, p.g, p.b}) > 60; });
        const int drawn[] = {box.x0, box.y0, box.x1, box.y1};
        for (int i = 0; i < 4; i++)
            EXPECT_NEAR(drawn[i], outline[i], 1.5f) << "type " << type << ", edge " << i;
        EXPECT_TRUE(near(image.getPixel((box.x0 + box.x1) / 2, (box.y0 + box.y1) / 2), middle, 2)) << type;
    }
    qv::DisplayManager::getInstance().getWindow()->clear(sf::Color::Black);
    shape.setType(qv::UNDEFINED_SHAPE);
    shape.draw(qv::Vector(20, 10));
    EXPECT_EQ(countPixels(capture(), 0, 0, 960, 720, [](sf::Color c) { return c != sf::Color::Black; }), 0);
}
