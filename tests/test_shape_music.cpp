#include "DisplayManager.h"
#include "GameManager.h"
#include "LogManager.h"
#include "Music.h"
#include "ResourceManager.h"
#include "Shape.h"
#include "presentation_support.h"

#include <SFML/Graphics/RenderWindow.hpp>

#include <algorithm>
#include <chrono>
#include <thread>

// One shape object drawn as each figure in turn, each time onto a black window: the outline of
// what it drew, and the colour in the middle of it.
TEST_F(WindowTest, ShapesStandWhereTheirArithmeticPutsThemInTheirColour)
{
    startWindow("font_scale:2,\n");
    struct Case
    {
        int type;
        float size;
        qv::Vector where; // world position, cells
        qv::Color color;  // CUSTOM keeps the colour of the last draw
        int opacity;      // seen over black
        float outline[4]; // expected left, top, right and bottom, pixels
        sf::Color middle;
    };
    const Case cases[] = {
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
    for (const Case &c : cases)
    {
        qv::DisplayManager::getInstance().getWindow()->clear(sf::Color::Black);
        shape.setType(c.type);
        shape.setSize(c.size);
        shape.setColor(c.color);
        shape.setOpacity(static_cast<unsigned char>(c.opacity));
        shape.draw(c.where);
        const sf::Image image = capture();
        const PixelBox box = boundingBox(image, [](sf::Color p) { return std::max({p.r, p.g, p.b}) > 60; });
        const int drawn[] = {box.x0, box.y0, box.x1, box.y1};
        for (int i = 0; i < 4; i++)
            EXPECT_NEAR(drawn[i], c.outline[i], 1.5f) << "type " << c.type << ", edge " << i;
        EXPECT_TRUE(near(image.getPixel((box.x0 + box.x1) / 2, (box.y0 + box.y1) / 2), c.middle, 2)) << c.type;
    }
    qv::DisplayManager::getInstance().getWindow()->clear(sf::Color::Black);
    shape.setType(4);
    EXPECT_TRUE(logHas("Shape::setType(): Unknown shape type 4. Ignoring."));
    shape.setType(qv::UNDEFINED_SHAPE);
    shape.draw(qv::Vector(20, 10));
    EXPECT_EQ(countPixels(capture(), 0, 0, 960, 720, [](sf::Color c) { return c != sf::Color::Black; }), 0);
}

TEST_F(EngineTest, MusicIsLoadedByLabelPlayedAndStoppedWithTheResources)
{
    setenv("ALSOFT_DRIVERS", "null", 0);
    ASSERT_EQ(qv::GameManager::getInstance().startUp(), 0);
    qv::LogManager::getInstance().setLogLevel(5);
    qv::ResourceManager &resources = qv::ResourceManager::getInstance();
    const std::string wav = writeFile("tune.wav", wavFile(2000));
    const std::string bad = writeFile("not-audio.wav", "RIFF but not really");
    EXPECT_EQ(resources.loadMusic(bad, "tune"), -1);
    EXPECT_TRUE(logHas("ResourceManager::loadmusic(): Error! Cannot load music from file '" + bad + "'."));
    EXPECT_EQ(resources.loadMusic(wav, ""), -1);
    EXPECT_TRUE(logHas("ResourceManager::loadMusic(): Error! Must provide label for music."));
    EXPECT_EQ(resources.getMusic("tune0"), nullptr);
    EXPECT_TRUE(logHas("ResourceManager::getMusic(): Warning! Music 'tune0' not found."));
    for (int i = 0; i < qv::MAX_MUSICS; i++)
        ASSERT_EQ(resources.loadMusic(wav, "tune" + std::to_string(i)), 0) << i;
    EXPECT_EQ(resources.loadMusic(wav, "one too many"), -1);
    EXPECT_TRUE(logHas("ResourceManager::loadMusic(): Error! Unable to add more musics (max is 50)."));
    qv::Music *p_music = resources.getMusic("tune49");
    ASSERT_NE(p_music, nullptr);
    EXPECT_EQ(p_music->getLabel(), "tune49");

    p_music->play(false);
    // The stream plays on the audio thread; on a loaded machine it may need more than its length.
    for (int waited = 0; waited < 10000 && p_music->isPlaying(); waited += 50)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(p_music->isPlaying()) << "a quarter-second sound played once is over";
    // Whether this short piece then loops races with the stream's read-ahead, so only the setting
    // is looked at.
    p_music->play(true);
    EXPECT_TRUE(p_music->getLoop());
    EXPECT_TRUE(p_music->isPlaying());
    qv::GameManager::getInstance().shutDown();
    EXPECT_FALSE(p_music->isPlaying());
    EXPECT_TRUE(containsInOrder(logMessages(), {"Music::play(): Playing music.", "Music::stop(): Stopping music."}));
}
