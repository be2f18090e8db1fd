#include "DisplayManager.h"
#include "GameManager.h"
#include "LogManager.h"
#include "Music.h"
#include "ResourceManager.h"
#include "Shape.h"
#include "presentation_support.h"

#include <SFML/Graphics/RenderWindow.hpp>

#include <chrono>
#include <cmath>
#include <string>
#include <thread>

TEST_F(EngineTest, ShapeKeepsKnownTypesAndIsAboutOneCell)
{
    // Before the display knows its grid there is no cell, and no size.
    EXPECT_EQ(qv::Shape().getSize(), 0.0f);
    writeConfig("headless:true,\nwindow_horizontal_pixels:960,\nwindow_vertical_pixels:720,\nfont_scale:2,\n");
    ASSERT_EQ(qv::GameManager::getInstance().startUp(), 0);
    qv::Shape shape;
    EXPECT_EQ(shape.getSize(), 24.0f);
    shape.setType(qv::SQUARE);
    for (int bad : {3, -2})
    {
        shape.setType(bad);
        EXPECT_TRUE(logHas("Shape::setType(): Unknown shape type " + std::to_string(bad) + ". Ignoring."));
        EXPECT_EQ(shape.getType(), qv::SQUARE);
    }
    shape.setType(qv::UNDEFINED_SHAPE);
    EXPECT_EQ(shape.getType(), qv::UNDEFINED_SHAPE);

    // Headless there is no window to draw into.
    qv::LogManager::getInstance().setLogLevel(5);
    shape.draw(qv::Vector(3, 3));
    EXPECT_TRUE(logHas("Shape::draw(): DisplayManager window not defined."));
    qv::GameManager::getInstance().shutDown();
}

TEST_F(WindowTest, ShapesStandWhereTheirArithmeticPutsThem)
{
    startWindow("font_scale:2,\n");
    struct Case
    {
        int type;
        float size;
        qv::Vector where;     // world position, cells
        float x0, y0, x1, y1; // expected outline, pixels
    };
    const float half = 12.0f * std::sqrt(0.5f); // half side of the square of radius 12
    const float top = 300 - 24 / 1.75f + 12 * std::sqrt(2.0f);
    const Case cases[] = {
        // Radius = size, corner half a size up and left of the point (240, 300).
        {qv::CIRCLE, 10, qv::Vector(20, 10), 235, 295, 254, 314},
        // Radius size / font_scale = 12, corner (492, 300 - 24 / 1.75), turned 45 degrees about it.
        {qv::SQUARE, 24, qv::Vector(40, 10), 492 - half, top - half, 492 + half - 1, top + half - 1},
        // After a square the shared figure must not stay turned.
        {qv::CIRCLE, 10, qv::Vector(20, 10), 235, 295, 254, 314},
        // Radius size / 2 = 10, corner (710, 290): apex at the top, base 15 below.
        {qv::TRIANGLE, 20, qv::Vector(60, 10), 720 - 8.66f, 290, 720 + 8.66f - 1, 304},
    };
    for (const Case &c : cases)
    {
        qv::DisplayManager::getInstance().getWindow()->clear(sf::Color::Black);
        qv::Shape shape;
        shape.setType(c.type);
        shape.setSize(c.size);
        shape.setColor(qv::RED);
        shape.draw(c.where);
        const PixelBox box = boundingBox(capture(), [](sf::Color p) { return isMostly(p, sf::Color::Red); });
        const float drawn[] = {static_cast<float>(box.x0), static_cast<float>(box.y0), static_cast<float>(box.x1),
                               static_cast<float>(box.y1)};
        const float expected[] = {c.x0, c.y0, c.x1, c.y1};
        for (int i = 0; i < 4; i++)
            EXPECT_NEAR(drawn[i], expected[i], 1.5f) << "type " << c.type << ", edge " << i;
    }
}

TEST_F(WindowTest, ShapeColourAndOpacity)
{
    startWindow();
    struct Case
    {
        qv::Color color;
        int opacity;
        sf::Color centre;
    };
    // A shape that never had a colour starts from white; CUSTOM keeps the colour of the last draw.
    const Case cases[] = {{qv::CUSTOM, 255, sf::Color::White},
                          {qv::GREEN, 255, sf::Color::Green},
                          {qv::CUSTOM, 255, sf::Color::Green},
                          {qv::BLUE, 128, sf::Color(0, 0, 128)},
                          {qv::BLUE, 0, sf::Color::Black}};
    qv::Shape shape;
    shape.setSize(10);
    for (const Case &c : cases)
    {
        qv::DisplayManager::getInstance().getWindow()->clear(sf::Color::Black);
        shape.setColor(c.color);
        shape.setOpacity(static_cast<unsigned char>(c.opacity));
        shape.draw(qv::Vector(20, 10));
        EXPECT_TRUE(near(capture().getPixel(245, 305), c.centre, 2)) << c.color << " " << c.opacity;
    }
    qv::DisplayManager::getInstance().getWindow()->clear(sf::Color::Black);
    shape.setOpacity(255);
    shape.setType(qv::UNDEFINED_SHAPE);
    shape.draw(qv::Vector(20, 10));
    EXPECT_EQ(countPixels(capture(), 0, 0, 960, 720, [](sf::Color c) { return c != sf::Color::Black; }), 0);
}

TEST_F(EngineTest, MusicPlaysOnceOrInALoopUntilStopped)
{
    setenv("ALSOFT_DRIVERS", "null", 0);
    ASSERT_EQ(qv::GameManager::getInstance().startUp(), 0);
    qv::LogManager::getInstance().setLogLevel(5);
    qv::Music music;
    EXPECT_EQ(music.openFile(dir + "/none.wav"), -1);
    ASSERT_EQ(music.openFile(writeFile("short.wav", wavFile(2000))), 0);
    music.play(false);
    EXPECT_TRUE(logHas("Music::play(): Playing music."));
    // The stream plays on the audio thread; on a loaded machine it may need more than its length.
    for (int waited = 0; waited < 10000 && music.isPlaying(); waited += 50)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(music.isPlaying()) << "a quarter-second sound played once is over";
    music.play(true);
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    EXPECT_TRUE(music.isPlaying()) << "a looping sound goes on";
    music.stop();
    EXPECT_TRUE(logHas("Music::stop(): Stopping music."));
    EXPECT_FALSE(music.isPlaying());

    // The resource manager stops what it holds when it stops.
    ASSERT_EQ(qv::ResourceManager::getInstance().loadMusic(writeFile("tune.wav", wavFile(2000)), "tune"), 0);
    qv::Music *p_music = qv::ResourceManager::getInstance().getMusic("tune");
    p_music->play(true);
    qv::GameManager::getInstance().shutDown();
    EXPECT_FALSE(p_music->isPlaying());
}
