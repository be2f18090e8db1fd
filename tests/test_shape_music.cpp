#include "DisplayManager.h"
#include "GameManager.h"
#include "LogManager.h"
#include "Music.h"
#include "ResourceManager.h"
#include "Shape.h"
#include "Vector.h"
#include "presentation_support.h"
#include "test_support.h"

#include <SFML/Graphics/RenderWindow.hpp>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <string>
#include <thread>

namespace
{

bool isRed(sf::Color c)
{
    return c.r > 128 && c.g < 80 && c.b < 80;
}

// Does the box of drawn pixels match the figure's outline to within a pixel and a half?
::testing::AssertionResult covers(const PixelBox &box, float x0, float y0, float x1, float y1)
{
    const float tolerance = 1.5f;
    if (std::fabs(static_cast<float>(box.x0) - x0) <= tolerance &&
        std::fabs(static_cast<float>(box.x1) - x1) <= tolerance &&
        std::fabs(static_cast<float>(box.y0) - y0) <= tolerance &&
        std::fabs(static_cast<float>(box.y1) - y1) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "drawn (" << box.x0 << ", " << box.y0 << ") to (" << box.x1 << ", "
                                         << box.y1 << "), expected (" << x0 << ", " << y0 << ") to (" << x1 << ", "
                                         << y1 << ")";
}

} // namespace

TEST_F(EngineTest, ShapeRefusesUnknownTypes)
{
    ASSERT_EQ(qv::GameManager::getInstance().startUp(), 0);
    qv::Shape shape;
    EXPECT_EQ(shape.getType(), qv::CIRCLE);
    shape.setType(qv::SQUARE);
    for (int bad : {3, -2, 1000})
    {
        shape.setType(bad);
        EXPECT_TRUE(logHas("Shape::setType(): Unknown shape type " + std::to_string(bad) + ". Ignoring."));
        EXPECT_EQ(shape.getType(), qv::SQUARE);
    }
    shape.setType(qv::UNDEFINED_SHAPE);
    EXPECT_EQ(shape.getType(), qv::UNDEFINED_SHAPE);
    EXPECT_EQ(logCount("Shape::setType(): Unknown shape type -1. Ignoring."), 0);
    qv::GameManager::getInstance().shutDown();
}

TEST_F(EngineTest, ShapeDefaultSizeIsAboutOneCell)
{
    // Before the display knows its grid there is no cell, and no size.
    EXPECT_EQ(qv::Shape().getSize(), 0.0f);
    writeConfig("headless:true,\nwindow_horizontal_pixels:960,\nwindow_vertical_pixels:720,\nfont_scale:2,\n");
    ASSERT_EQ(qv::GameManager::getInstance().startUp(), 0);
    qv::Shape shape;
    EXPECT_EQ(shape.getSize(), 24.0f);
    EXPECT_EQ(shape.getColor(), qv::WHITE);
    EXPECT_EQ(shape.getOpacity(), 255);

    // Headless there is no window to draw into.
    qv::LogManager::getInstance().setLogLevel(5);
    shape.draw(qv::Vector(3, 3));
    EXPECT_TRUE(logHas("Shape::draw(): DisplayManager window not defined."));
    qv::LogManager::getInstance().setLogLevel(0);
    qv::GameManager::getInstance().shutDown();
}

TEST_F(WindowTest, ShapesStandWhereTheirArithmeticPutsThem)
{
    startWindow("font_scale:2,\n");
    sf::RenderWindow *window = qv::DisplayManager::getInstance().getWindow();
    struct Case
    {
        const char *name;
        int type;
        float size;
        qv::Vector where;     // world position, cells
        float x0, y0, x1, y1; // expected outline, pixels
    };
    const float root_half = 12.0f * std::sqrt(0.5f); // half side of the square of radius 12
    const std::vector<Case> cases = {
        // Radius = size, corner half a size up and left of the point (240, 300).
        {"circle", qv::CIRCLE, 10, qv::Vector(20, 10), 235, 295, 254, 314},
        // Radius size / font_scale = 12, corner (492, 300 - 24 / 1.75), turned 45 degrees about it.
        {"square", qv::SQUARE, 24, qv::Vector(40, 10), 492 - root_half,
         300 - 24 / 1.75f + 12 * std::sqrt(2.0f) - root_half, 492 + root_half - 1,
         300 - 24 / 1.75f + 12 * std::sqrt(2.0f) + root_half - 1},
        // After a square the shared figure must not stay turned.
        {"circle after square", qv::CIRCLE, 10, qv::Vector(20, 10), 235, 295, 254, 314},
        // Radius size / 2 = 10, corner (710, 290): apex at the top, base 15 below.
        {"triangle", qv::TRIANGLE, 20, qv::Vector(60, 10), 720 - 8.66f, 290, 720 + 8.66f - 1, 304},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        window->clear(sf::Color::Black);
        qv::Shape shape;
        shape.setType(c.type);
        shape.setSize(c.size);
        shape.setColor(qv::RED);
        shape.draw(c.where);
        EXPECT_TRUE(covers(boundingBox(capture(), isRed), c.x0, c.y0, c.x1, c.y1));
    }
}

TEST_F(WindowTest, ShapeColourOpacityAndUndefinedType)
{
    startWindow();
    sf::RenderWindow *window = qv::DisplayManager::getInstance().getWindow();
    auto centre = [&] { return capture().getPixel(245, 305); }; // middle of a size-10 circle at (20, 10)

    qv::Shape shape;
    shape.setSize(10);
    shape.setColor(qv::GREEN);
    shape.draw(qv::Vector(20, 10));
    EXPECT_TRUE(near(centre(), sf::Color::Green, 0));

    // CUSTOM keeps the components of the last draw.
    window->clear(sf::Color::Black);
    shape.setColor(qv::CUSTOM);
    shape.draw(qv::Vector(20, 10));
    EXPECT_TRUE(near(centre(), sf::Color::Green, 0));

    // A shape that never had a colour starts from white.
    window->clear(sf::Color::Black);
    qv::Shape custom;
    custom.setSize(10);
    custom.setColor(qv::CUSTOM);
    custom.draw(qv::Vector(20, 10));
    EXPECT_TRUE(near(centre(), sf::Color::White, 0));

    window->clear(sf::Color::Black);
    shape.setColor(qv::BLUE);
    shape.setOpacity(128);
    shape.draw(qv::Vector(20, 10));
    EXPECT_TRUE(near(centre(), sf::Color(0, 0, 128), 2));

    window->clear(sf::Color::Black);
    shape.setOpacity(0);
    shape.draw(qv::Vector(20, 10));
    EXPECT_EQ(centre(), sf::Color::Black);

    window->clear(sf::Color::Black);
    shape.setOpacity(255);
    shape.setType(qv::UNDEFINED_SHAPE);
    shape.draw(qv::Vector(20, 10));
    EXPECT_EQ(countPixels(capture(), 0, 0, 960, 720, [](sf::Color c) { return c != sf::Color::Black; }), 0);
}

TEST_F(EngineTest, MusicPlaysOnceOrInALoopAndStops)
{
    setenv("ALSOFT_DRIVERS", "null", 0);
    ASSERT_EQ(qv::GameManager::getInstance().startUp(), 0);
    qv::LogManager::getInstance().setLogLevel(5);
    qv::Music music;
    EXPECT_EQ(music.getLabel(), "[Undefined]");
    EXPECT_EQ(music.openFile(dir + "/none.wav"), -1);
    ASSERT_EQ(music.openFile(writeFile("short.wav", wavFile(2000))), 0);

    music.play(false);
    EXPECT_TRUE(logHas("Music::play(): Playing music."));
    EXPECT_TRUE(music.isPlaying());
    EXPECT_FALSE(music.getLoop());
    // The stream plays on the audio thread; on a loaded machine it may need more than its length.
    for (int waited = 0; waited < 10000 && music.isPlaying(); waited += 50)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(music.isPlaying()) << "a quarter-second sound played once is over";

    music.play(true);
    EXPECT_TRUE(music.getLoop());
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    EXPECT_TRUE(music.isPlaying()) << "a looping sound goes on";
    music.stop();
    EXPECT_TRUE(logHas("Music::stop(): Stopping music."));
    EXPECT_FALSE(music.isPlaying());
    qv::GameManager::getInstance().shutDown();
}

TEST_F(EngineTest, ResourceManagerStopsItsMusicAtShutDown)
{
    setenv("ALSOFT_DRIVERS", "null", 0);
    ASSERT_EQ(qv::GameManager::getInstance().startUp(), 0);
    qv::ResourceManager &resource_manager = qv::ResourceManager::getInstance();
    ASSERT_EQ(resource_manager.loadMusic(writeFile("short.wav", wavFile(2000)), "tune"), 0);
    qv::Music *p_music = resource_manager.getMusic("tune");
    ASSERT_NE(p_music, nullptr);
    p_music->play(true);
    EXPECT_TRUE(p_music->isPlaying());
    qv::GameManager::getInstance().shutDown();
    EXPECT_FALSE(p_music->isPlaying());
}
