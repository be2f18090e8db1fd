#include "DisplayManager.h"
#include "Frame.h"
#include "LogManager.h"
#include "ResourceManager.h"
#include "Shape.h"
#include "Sprite.h"
#include "Vector.h"
#include "geometry.h"
#include "presentation_support.h"
#include "test_display_batch_reference.h"

#include <SFML/Graphics/Font.hpp>
#include <SFML/Graphics/RectangleShape.hpp>
#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Graphics/Text.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <string>

namespace
{

// The engine, every call expected to succeed.
class CheckedEnginePainter : public EnginePainter
{
public:
    int character(qv::Vector position, char ch, unsigned char red, unsigned char green, unsigned char blue) override
    {
        EXPECT_EQ(EnginePainter::character(position, ch, red, green, blue), 0);
        return 0;
    }
    int string(qv::Vector position, const std::string &text, qv::Justification just, qv::Color color) override
    {
        EXPECT_EQ(EnginePainter::string(position, text, just, color), 0);
        return 0;
    }
    int sprite(const qv::Sprite *sprite, int index, qv::Vector position) override
    {
        EXPECT_EQ(EnginePainter::sprite(sprite, index, position), 0);
        return 0;
    }
};

// How far the engine's picture is from the reference's.
struct Difference
{
    int pixels = 0;  // pixels whose colour differs
    int largest = 0; // largest difference of one channel, 0 to 255
};

class BatchTest : public WindowTest
{
protected:
    // Draws `scene` through the engine and through the reference into the same cleared window and
    // compares the two pictures. Both are saved under the build folder, and the differing pixels
    // in red when there are any. The engine's window is cleared as the game loop clears it, unless
    // `cleared_by_hand`: then the engine cannot know what the window holds.
    Difference compare(const std::string &name, const std::function<void(Painter &)> &scene,
                       sf::Color background = sf::Color::Black, bool cleared_by_hand = false)
    {
        sf::RenderWindow *window = qv::DisplayManager::getInstance().getWindow();
        CheckedEnginePainter engine;
        ReferencePainter reference(background);
        EXPECT_TRUE(reference.loaded());

        if (cleared_by_hand)
            window->clear(background);
        else
            qv::DisplayManager::getInstance().swapBuffers();
        scene(engine);
        const sf::Image engine_image = capture();
        window->clear(background);
        scene(reference);
        const sf::Image reference_image = capture();

        const sf::Vector2u size = engine_image.getSize();
        EXPECT_EQ(size, reference_image.getSize());
        sf::Image image;
        image.create(size.x, size.y, sf::Color::Black);
        Difference difference;
        for (unsigned y = 0; y < size.y; y++)
        {
            for (unsigned x = 0; x < size.x; x++)
            {
                const sf::Color a = engine_image.getPixel(x, y);
                const sf::Color b = reference_image.getPixel(x, y);
                if (a == b)
                    continue;
                difference.pixels++;
                difference.largest = std::max({difference.largest, std::abs(a.r - b.r), std::abs(a.g - b.g),
                                               std::abs(a.b - b.b), std::abs(a.a - b.a)});
                image.setPixel(x, y, sf::Color::Red);
            }
        }
        // The pixel loop above and a byte comparison must agree.
        const std::size_t bytes = static_cast<std::size_t>(size.x) * size.y * 4;
        EXPECT_EQ(difference.pixels == 0,
                  std::memcmp(engine_image.getPixelsPtr(), reference_image.getPixelsPtr(), bytes) == 0);

        const std::string folder = QV_BINARY_DIR "/screenshots";
        std::filesystem::create_directories(folder);
        EXPECT_TRUE(engine_image.saveToFile(folder + "/batch-" + name + ".png"));
        EXPECT_TRUE(reference_image.saveToFile(folder + "/batch-" + name + "-reference.png"));
        // A difference image left by an earlier run must not outlive the difference.
        const std::string difference_png = folder + "/batch-" + name + "-difference.png";
        std::filesystem::remove(difference_png);
        if (difference.pixels > 0)
        {
            EXPECT_TRUE(image.saveToFile(difference_png));
        }
        return difference;
    }

    int differingPixels(const std::string &name, const std::function<void(Painter &)> &scene,
                        sf::Color background = sf::Color::Black, bool cleared_by_hand = false)
    {
        return compare(name, scene, background, cleared_by_hand).pixels;
    }

    // Counts the pixels that are not the background, so that a scene that drew nothing fails.
    static int drawnPixels(const sf::Image &image, sf::Color background)
    {
        return countPixels(image, 0, 0, static_cast<int>(image.getSize().x), static_cast<int>(image.getSize().y),
                           [&](sf::Color c) { return c != background; });
    }

    const qv::Sprite *loadGameSprite(const std::string &file, const std::string &label)
    {
        qv::ResourceManager &resource_manager = qv::ResourceManager::getInstance();
        EXPECT_EQ(resource_manager.loadSprite(QV_SOURCE_DIR "/sprites/" + file, label), 0);
        return resource_manager.getSprite(label);
    }
};

} // namespace

// 3000 random characters in random colours, overlapping, some past the window's edges: `whole`
// puts them on whole and half cells, else anywhere.
std::function<void(Painter &)> randomScene(bool whole)
{
    return [whole](Painter &painter)
    {
        std::mt19937 random(20261207);
        std::uniform_int_distribution<int> byte(0, 255);
        std::uniform_real_distribution<float> column(-3.0f, 83.0f);
        std::uniform_real_distribution<float> row(-3.0f, 27.0f);
        for (int i = 0; i < 3000; i++)
        {
            float x = column(random);
            float y = row(random);
            // Half cells are where even-sized sprites put their characters.
            if (whole)
            {
                x = std::floor(x) + (i % 2 == 0 ? 0.0f : 0.5f);
                y = std::floor(y) + (i % 4 < 2 ? 0.0f : 0.5f);
            }
            const char ch = static_cast<char>(byte(random));
            const unsigned char r = static_cast<unsigned char>(byte(random));
            const unsigned char g = static_cast<unsigned char>(byte(random));
            const unsigned char b = static_cast<unsigned char>(byte(random));
            painter.character(qv::Vector(x, y), ch, r, g, b);
        }
    };
}

TEST_F(BatchTest, RandomCharactersOnWholeAndHalfCellsMatchTheReference)
{
    startWindow();
    EXPECT_EQ(differingPixels("random", randomScene(true)), 0);
    EXPECT_GT(drawnPixels(capture(), sf::Color::Black), 100000);
    EXPECT_EQ(differingPixels("random-by-hand", randomScene(true), sf::Color::Black, true), 0);
}

// A window the game drew into itself between two characters: the second's background rectangle
// covers what was drawn there, whole.
TEST_F(BatchTest, RectanglesCoverWhatTheGameDrewItself)
{
    startWindow();
    auto scene = [](Painter &painter)
    {
        painter.character(qv::Vector(10, 5), 'A', 255, 0, 0);
        qv::DisplayManager &display_manager = qv::DisplayManager::getInstance();
        display_manager.flush();
        sf::RectangleShape block(sf::Vector2f(200, 100));
        block.setPosition(100, 140);
        block.setFillColor(sf::Color::Green);
        display_manager.getWindow()->draw(block);
        painter.character(qv::Vector(12, 5), ' ', 255, 255, 255);
        painter.character(qv::Vector(14, 5), 'B', 0, 0, 255);
    };
    EXPECT_EQ(differingPixels("drawn-by-the-game", scene), 0);
    // The blank's rectangle, 12 x 30 pixels from (142.8, 156), cut into the green block.
    const sf::Image image = capture();
    EXPECT_EQ(image.getPixel(148, 170), sf::Color::Black);
    EXPECT_EQ(image.getPixel(148, 150), sf::Color::Green);
}

// At arbitrary fractions of a pixel the graphics driver adds a glyph's position to its corners
// itself for the reference, folded into its transformation, while the engine has added them
// already; the last bit of a texture coordinate can then differ, and with it a smoothed glyph
// edge by one step of one channel. Such pixels are few, and never off by more.
TEST_F(BatchTest, RandomCharactersAtAnyFractionDifferOnlyInRareEdgeRounding)
{
    startWindow();
    const Difference difference = compare("random-fractions", randomScene(false));
    const int drawn = drawnPixels(capture(), sf::Color::Black);
    EXPECT_GT(drawn, 100000);
    EXPECT_LE(difference.largest, 1);
    EXPECT_LT(difference.pixels, drawn / 500) << difference.pixels << " of " << drawn << " drawn pixels differ";
    std::printf("fractional positions: %d of %d drawn pixels differ, by at most %d\n", difference.pixels, drawn,
                difference.largest);
}

TEST_F(BatchTest, JustifiedStringsOverACustomBackgroundMatchTheReference)
{
    startWindow("window_background_color:blue,\n");
    auto scene = [](Painter &painter)
    {
        const qv::Justification justifications[] = {qv::JUSTIFY_LEFT, qv::JUSTIFY_CENTER, qv::JUSTIFY_RIGHT};
        for (int i = 0; i < 20; i++)
        {
            const std::string text = "Justified row " + std::to_string(i) + " {[(<#@%&*>)]}";
            painter.string(qv::Vector(40, static_cast<float>(i)), text, justifications[i % 3],
                           static_cast<qv::Color>(1 + i % 7));
        }
        // Overlapping strings, the later one over the earlier.
        painter.string(qv::Vector(10.5f, 21.25f), "OVERLAPPING", qv::JUSTIFY_LEFT, qv::YELLOW);
        painter.string(qv::Vector(11, 21.5f), "overlapping", qv::JUSTIFY_LEFT, qv::RED);
        // Running past both edges of the window.
        painter.string(qv::Vector(0, 23), std::string(100, 'W'), qv::JUSTIFY_CENTER, qv::WHITE);
    };
    EXPECT_EQ(differingPixels("strings", scene, sf::Color::Blue), 0);
    EXPECT_GT(drawnPixels(capture(), sf::Color::Blue), 10000);
}

TEST_F(BatchTest, SpritesWithTransparencyMatchTheReference)
{
    startWindow();
    const qv::Sprite *monster = loadGameSprite("monster-walk-spr.txt", "monster");
    const qv::Sprite *hero = loadGameSprite("hero-walk-spr.txt", "hero");
    const qv::Sprite *stairs = loadGameSprite("stairs-spr.txt", "stairs");
    const qv::Sprite *food = loadGameSprite("food-spr.txt", "food");
    ASSERT_TRUE(monster && hero && stairs && food);
    auto scene = [&](Painter &painter)
    {
        // Letters behind the sprites show through their transparent cells.
        for (int y = 2; y < 22; y += 2)
            painter.string(qv::Vector(5, static_cast<float>(y)), std::string(70, 'x'), qv::JUSTIFY_LEFT, qv::RED);
        for (int i = 0; i < 12; i++)
        {
            const float x = 8.0f + 6.0f * static_cast<float>(i);
            painter.sprite(monster, i % 2, qv::Vector(x, 4));
            painter.sprite(hero, i % 2, qv::Vector(x + 0.5f, 9));
            painter.sprite(stairs, 0, qv::Vector(x, 14.5f));
            painter.sprite(food, i % 4, qv::Vector(x + 0.25f, 19));
        }
    };
    EXPECT_EQ(differingPixels("sprites", scene), 0);
}

TEST_F(BatchTest, TitleScreenMatchesTheReference)
{
    startWindow();
    const qv::Sprite *title = loadGameSprite("game-start-spr.txt", "gamestart");
    ASSERT_NE(title, nullptr);
    ASSERT_EQ(title->getWidth(), 77);
    for (int index = 0; index < title->getFrameCount(); index++)
    {
        auto scene = [&](Painter &painter) { painter.sprite(title, index, qv::Vector(40, 12)); };
        EXPECT_EQ(differingPixels("title-" + std::to_string(index), scene), 0);
        EXPECT_GT(drawnPixels(capture(), sf::Color::Black), 5000);
    }
}

TEST_F(BatchTest, DungeonFloorMatchesTheReference)
{
    startWindow();
    const qv::Sprite *monster = loadGameSprite("monster-walk-spr.txt", "monster");
    const qv::Sprite *hero = loadGameSprite("hero-walk-spr.txt", "hero");
    ASSERT_TRUE(monster && hero);
    auto scene = [&](Painter &painter) { drawDungeon(painter, monster, hero, 80, 24); };
    EXPECT_EQ(differingPixels("dungeon", scene), 0);
}

// A shape drawn between characters lands over the ones queued before it and under the ones after.
TEST_F(BatchTest, ShapesKeepTheirPlaceBetweenQueuedCharacters)
{
    startWindow();
    auto scene = [](Painter &painter)
    {
        painter.string(qv::Vector(40, 12), "UNDER", qv::JUSTIFY_CENTER, qv::RED);
        qv::Shape circle;
        circle.setType(qv::CIRCLE);
        circle.setColor(qv::YELLOW);
        circle.setSize(40);
        circle.draw(qv::Vector(39, 11));
        painter.string(qv::Vector(40, 13), "OVER", qv::JUSTIFY_CENTER, qv::GREEN);
    };
    EXPECT_EQ(differingPixels("shape-order", scene), 0);
    const sf::Image image = capture();
    // The circle covers part of the red text and lies under the green.
    EXPECT_GT(countPixels(image, 440, 360, 520, 390, [](sf::Color c) { return c == sf::Color::Yellow; }), 0);
    EXPECT_GT(countPixels(image, 440, 390, 520, 420, [](sf::Color c) { return isMostly(c, sf::Color::Green); }), 0);
}
