#pragma once

#include "Config.h"
#include "DisplayManager.h"
#include "Sprite.h"
#include "geometry.h"

#include <SFML/Graphics/Font.hpp>
#include <SFML/Graphics/RectangleShape.hpp>
#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Graphics/Text.hpp>

#include <algorithm>
#include <string>

// What a scene is drawn through: the engine, or the per-character reference. Shared by the pixel
// test and the display benchmark; results are 0, or -1. A sprite frame is centred on `position`.
class Painter
{
public:
    virtual ~Painter() = default;
    virtual int character(qv::Vector position, char ch, unsigned char red, unsigned char green, unsigned char blue) = 0;
    virtual int string(qv::Vector position, const std::string &text, qv::Justification just, qv::Color color) = 0;
    virtual int sprite(const qv::Sprite *sprite, int index, qv::Vector position) = 0;
};

class EnginePainter : public Painter
{
public:
    int character(qv::Vector position, char ch, unsigned char red, unsigned char green, unsigned char blue) override
    {
        return qv::DisplayManager::getInstance().drawCharacter(position, ch, red, green, blue);
    }
    int string(qv::Vector position, const std::string &text, qv::Justification just, qv::Color color) override
    {
        return qv::DisplayManager::getInstance().drawString(position, text, just, color);
    }
    int sprite(const qv::Sprite *sprite, int index, qv::Vector position) override
    {
        return sprite->draw(index, position, sprite->getTransparency());
    }
};

// Every character drawn on its own into the display manager's window: a cell-sized rectangle of the
// background colour a tenth of a cell left and a fifth down, then a bold text at the cell's pixel.
class ReferencePainter : public Painter
{
public:
    explicit ReferencePainter(sf::Color background)
    {
        font_loaded = font.loadFromFile(qv::Config::getInstance().getFontFile());
        rectangle.setSize(sf::Vector2f(qv::charWidth(), qv::charHeight()));
        rectangle.setFillColor(background);
        text.setFont(font);
        text.setStyle(sf::Text::Bold);
        text.setCharacterSize(static_cast<unsigned int>(qv::Config::getInstance().getFontScale() *
                                                        std::min(qv::charWidth(), qv::charHeight())));
    }
    bool loaded() const { return font_loaded; }

    int character(qv::Vector position, char ch, unsigned char red, unsigned char green, unsigned char blue) override
    {
        sf::RenderWindow *window = qv::DisplayManager::getInstance().getWindow();
        const qv::Vector pixel = qv::spacesToPixels(qv::worldToView(position));
        rectangle.setPosition(pixel.getX() - qv::charWidth() / 10.0f, pixel.getY() + qv::charHeight() / 5.0f);
        window->draw(rectangle);
        text.setString(sf::String(ch, std::locale()));
        text.setPosition(pixel.getX(), pixel.getY());
        text.setFillColor(sf::Color(red, green, blue));
        window->draw(text);
        return 0;
    }

    int string(qv::Vector position, const std::string &str, qv::Justification just, qv::Color color) override
    {
        const int length = static_cast<int>(str.size());
        const int shift = just == qv::JUSTIFY_CENTER ? length / 2 : just == qv::JUSTIFY_RIGHT ? length : 0;
        const float x = position.getX() - static_cast<float>(shift);
        const sf::Color c = qv::colorToSFML(color);
        for (int i = 0; i < length; i++)
            character(qv::Vector(x + static_cast<float>(i), position.getY()), str[i], c.r, c.g, c.b);
        return 0;
    }

    int sprite(const qv::Sprite *sprite, int index, qv::Vector position) override
    {
        const qv::Frame frame = sprite->getFrame(index);
        const int width = frame.getWidth(), height = frame.getHeight();
        const sf::Color c = qv::colorToSFML(sprite->getColor());
        for (int i = 0; i < width * height; i++)
        {
            const char ch = frame.getString()[i];
            if (sprite->getTransparency() == 0 || ch != sprite->getTransparency())
                character(
                    qv::Vector(position.getX() + static_cast<float>(i % width) - static_cast<float>(width - 1) * 0.5f,
                               position.getY() + static_cast<float>(i / width) - static_cast<float>(height - 1) * 0.5f),
                    ch, c.r, c.g, c.b);
        }
        return 0;
    }

private:
    sf::Font font;
    sf::Text text;
    sf::RectangleShape rectangle;
    bool font_loaded = false;
};

/// A dungeon floor at its busiest: walls along the border, every fourth row and every tenth column,
/// a monster in every other room, the hero and the two heads-up strings at the top.
inline void drawDungeon(Painter &painter, const qv::Sprite *monster, const qv::Sprite *hero, int columns, int rows)
{
    for (int y = 0; y < rows; y++)
    {
        const float row = static_cast<float>(y);
        if (y % 4 == 0 || y == rows - 1)
        {
            painter.string(qv::Vector(0, row), std::string(columns, '#'), qv::JUSTIFY_LEFT, qv::WHITE);
            continue;
        }
        for (int x = 0; x < columns; x += 10)
            painter.string(qv::Vector(static_cast<float>(x), row), "#", qv::JUSTIFY_LEFT, qv::WHITE);
        painter.string(qv::Vector(static_cast<float>(columns - 1), row), "#", qv::JUSTIFY_LEFT, qv::WHITE);
    }
    int room = 0;
    for (int y = 2; y + 2 < rows; y += 4)
        for (int x = 5; x + 5 < columns; x += 10)
            if (room++ % 2 == 0)
                painter.sprite(monster, room % 2, qv::Vector(static_cast<float>(x), static_cast<float>(y)));
    painter.sprite(hero, 0, qv::Vector(15, 6));
    painter.string(qv::Vector(columns / 6.0f, 1), " Hunger 100 ", qv::JUSTIFY_CENTER, qv::WHITE);
    painter.string(qv::Vector(columns * 5.0f / 6.0f, 1), " FLOOR 1 ", qv::JUSTIFY_CENTER, qv::WHITE);
}
