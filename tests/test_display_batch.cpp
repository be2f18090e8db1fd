#include "DisplayManager.h"
#include "ResourceManager.h"
#include "Shape.h"
#include "presentation_support.h"
#include "test_display_batch_reference.h"

#include <SFML/Graphics/RectangleShape.hpp>
#include <SFML/Graphics/RenderWindow.hpp>

#include <cmath>
#include <filesystem>
#include <functional>
#include <random>

namespace
{

using Scene = std::function<void(Painter &)>;

// 3000 characters in random colours, overlapping and some past the window's edges, on whole and
// half cells (where even-sized sprites put theirs) or, when `anywhere`, at any fraction of a cell;
// every 500th is `moved` cells further right.
Scene randomScene(bool anywhere, int moved = 0)
{
    return [=](Painter &painter)
    {
        std::mt19937 random(20261207);
        std::uniform_int_distribution<int> byte(0, 255);
        std::uniform_real_distribution<float> column(-3.0f, 83.0f), row(-3.0f, 27.0f);
        for (int i = 0; i < 3000; i++)
        {
            float x = column(random) + static_cast<float>(i % 500 == 0 ? moved : 0), y = row(random);
            if (!anywhere)
            {
                x = std::floor(x) + static_cast<float>(i % 2) * 0.5f;
                y = std::floor(y) + static_cast<float>(i % 4 / 2) * 0.5f;
            }
            const int ch = byte(random), r = byte(random), g = byte(random), b = byte(random);
            painter.character(qv::Vector(x, y), static_cast<char>(ch), r, g, b);
        }
    };
}

// Rows in the three justifications and seven colours, two overlapping strings and one running
// past both edges of the window.
void justifiedStrings(Painter &painter)
{
    const qv::Justification justifications[] = {qv::JUSTIFY_LEFT, qv::JUSTIFY_CENTER, qv::JUSTIFY_RIGHT};
    for (int i = 0; i < 20; i++)
        painter.string(qv::Vector(40, static_cast<float>(i)), "Justified row " + std::to_string(i) + " {[(<#@%&*>)]}",
                       justifications[i % 3], static_cast<qv::Color>(1 + i % 7));
    painter.string(qv::Vector(10.5f, 21.25f), "OVERLAPPING", qv::JUSTIFY_LEFT, qv::YELLOW);
    painter.string(qv::Vector(11, 21.5f), "overlapping", qv::JUSTIFY_LEFT, qv::RED);
    painter.string(qv::Vector(0, 23), std::string(100, 'W'), qv::JUSTIFY_CENTER, qv::WHITE);
}

// Characters around what the game draws into the window itself: a block, cut by the next
// blank's background, and a shape, over the string before it and under the one after.
void drawnByTheGame(Painter &painter)
{
    justifiedStrings(painter);
    painter.string(qv::Vector(10, 5), "AB", qv::JUSTIFY_LEFT, qv::RED);
    qv::DisplayManager::getInstance().flush();
    sf::RectangleShape block(sf::Vector2f(200, 100));
    block.setPosition(100, 140);
    block.setFillColor(sf::Color::Green);
    qv::DisplayManager::getInstance().getWindow()->draw(block);
    painter.string(qv::Vector(12, 5), " C", qv::JUSTIFY_LEFT, qv::BLUE);
    painter.string(qv::Vector(40, 12), "UNDER", qv::JUSTIFY_CENTER, qv::RED);
    qv::Shape circle;
    circle.setColor(qv::YELLOW);
    circle.setSize(40);
    circle.draw(qv::Vector(39, 11));
    painter.string(qv::Vector(40, 13), "OVER", qv::JUSTIFY_CENTER, qv::GREEN);
}

class BatchTest : public WindowTest, public ::testing::WithParamInterface<const char *>
{
};

} // namespace

// Every scene is drawn through the engine, after two frames of another when there is one (so that
// only the difference is redrawn), and through the per-character reference into the same window;
// the two pictures must be the same bytes. At arbitrary fractions of a pixel (`anywhere`) the
// graphics driver adds a glyph's position to its corners itself for the reference while the engine
// has added them already: the last bit of a texture coordinate, and with it a smoothed edge, can
// then differ by one step of one channel, in few pixels.
TEST_P(BatchTest, EveryWayOfDrawingGivesTheReferencesPixels)
{
    const std::string background_name = GetParam();
    startWindow("window_background_color:" + background_name + ",\n");
    const sf::Color background = background_name == "blue" ? sf::Color::Blue : sf::Color::Black;
    qv::ResourceManager &resources = qv::ResourceManager::getInstance();
    for (std::string sprite : {"monster-walk", "hero-walk", "stairs", "food", "game-start"})
        ASSERT_EQ(resources.loadSprite(QV_SOURCE_DIR "/sprites/" + sprite + "-spr.txt", sprite), 0);
    const qv::Sprite *monster = resources.getSprite("monster-walk"), *hero = resources.getSprite("hero-walk"),
                     *title = resources.getSprite("game-start");
    auto sprites = [&](Painter &painter)
    {
        // Letters behind the sprites show through their transparent cells.
        for (int y = 2; y < 22; y += 2)
            painter.string(qv::Vector(5, static_cast<float>(y)), std::string(70, 'x'), qv::JUSTIFY_LEFT, qv::RED);
        for (int i = 0; i < 12; i++)
        {
            const float x = 8.0f + 6.0f * static_cast<float>(i);
            painter.sprite(monster, i % 2, qv::Vector(x, 4));
            painter.sprite(hero, i % 2, qv::Vector(x + 0.5f, 9));
            painter.sprite(resources.getSprite("stairs"), 0, qv::Vector(x, 14.5f));
            painter.sprite(resources.getSprite("food"), i % 4, qv::Vector(x + 0.25f, 19));
        }
    };
    auto dungeon = [&](Painter &painter) { drawDungeon(painter, monster, hero, 80, 24); };
    auto dungeon_before = [&](Painter &painter)
    {
        dungeon(painter);
        painter.string(qv::Vector(40, 12), "gone", qv::JUSTIFY_LEFT, qv::RED);
    };
    auto title_frame = [=](int index) { return [=](Painter &painter) { painter.sprite(title, index, {40, 12}); }; };
    const struct
    {
        std::string name;
        Scene scene, previous;
        bool anywhere;
    } cases[] = {
        {"random", randomScene(false), randomScene(false), false},
        {"random-moved", randomScene(false, 1), randomScene(false), false},
        {"random-fractions", randomScene(true), randomScene(true, 2), true},
        {"random-first", randomScene(false), nullptr, false},
        {"strings", justifiedStrings, justifiedStrings, false},
        {"sprites", sprites, nullptr, false},
        {"title-0", title_frame(0), title_frame(1), false},
        {"title-1", title_frame(1), title_frame(1), false},
        {"dungeon", dungeon, dungeon_before, false},
        {"drawn-by-the-game", drawnByTheGame, drawnByTheGame, false},
    };
    qv::DisplayManager &display_manager = qv::DisplayManager::getInstance();
    EnginePainter engine;
    ReferencePainter reference(background);
    ASSERT_TRUE(reference.loaded());
    std::filesystem::create_directories(QV_BINARY_DIR "/screenshots");
    for (const auto &c : cases)
    {
        SCOPED_TRACE(c.name + " over " + background_name);
        for (int frame = 0; frame < 2 && c.previous; frame++)
        {
            display_manager.swapBuffers();
            c.previous(engine);
        }
        display_manager.swapBuffers();
        c.scene(engine);
        const sf::Image picture = capture();
        display_manager.getWindow()->clear(background);
        c.scene(reference);
        const sf::Image expected = capture();
        int differing = 0, drawn = 0, largest = 0;
        for (unsigned y = 0; y < 720; y++)
            for (unsigned x = 0; x < 960; x++)
            {
                const sf::Color a = picture.getPixel(x, y), b = expected.getPixel(x, y);
                drawn += a != background;
                differing += a != b;
                largest = std::max({largest, std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
            }
        EXPECT_TRUE(picture.saveToFile(QV_BINARY_DIR "/screenshots/batch-" + background_name + "-" + c.name + ".png"));
        EXPECT_GT(drawn, 2000) << "the scene drew next to nothing";
        EXPECT_LE(largest, c.anywhere ? 1 : 0);
        EXPECT_LE(differing, c.anywhere ? drawn / 500 : 0) << differing << " of " << drawn << " drawn pixels differ";
    }
}

INSTANTIATE_TEST_SUITE_P(Backgrounds, BatchTest, ::testing::Values("black", "blue"));
