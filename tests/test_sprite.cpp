#include "Animation.h"
#include "Config.h"
#include "Frame.h"
#include "GameManager.h"
#include "LogManager.h"
#include "ResourceManager.h"
#include "Sprite.h"
#include "presentation_support.h"

#include <string>
#include <vector>

TEST_F(EngineTest, SpriteHoldsFramesUpToItsCapacity)
{
    ASSERT_EQ(qv::GameManager::getInstance().startUp(), 0);
    qv::Sprite sprite(2);
    EXPECT_EQ(sprite.insertFrame(qv::Frame(2, 1, "ab")), 0);
    EXPECT_EQ(sprite.insertFrame(qv::Frame(2, 1, "cd")), 0);
    EXPECT_EQ(sprite.insertFrame(qv::Frame(2, 1, "ef")), -1);
    EXPECT_EQ(sprite.getFrameCount(), 2);
    EXPECT_EQ(sprite.getFrame(1).getString(), "cd");
    EXPECT_TRUE(sprite.getFrame(2).getString().empty());
    EXPECT_TRUE(sprite.getFrame(-1).getString().empty());
    EXPECT_EQ(sprite.draw(7, qv::Vector(1, 1), 0), 0);

    qv::Sprite none(-3);
    EXPECT_TRUE(logHas("Sprite::Sprite(): Error! Unable to allocate -3 frames."));
    EXPECT_EQ(none.insertFrame(qv::Frame(1, 1, "x")), -1);
    qv::GameManager::getInstance().shutDown();
}

TEST(Animation, SlowdownHoldsEachFrameForItsSteps)
{
    struct Case
    {
        int frames, slowdown, index, slowdown_count;
        std::vector<int> shown; // index drawn on each step
    };
    const Case cases[] = {
        {2, 2, 0, 0, {0, 0, 1, 1, 0, 0}}, {3, 1, 0, 0, {0, 1, 2, 0}}, {3, 0, 0, 0, {0, 1, 2, 0}},
        {2, 4, 0, 0, {0, 0, 0, 0, 1}},    {1, 3, 0, 0, {0, 0, 0, 0}}, {3, 1, 2, -1, {2, 2, 2, 2}},
        {2, 2, 5, 0, {5, 5, 0, 0}}, // beyond the last frame: nothing drawn until the slowdown expires
    };
    for (const Case &c : cases)
    {
        qv::Sprite sprite(c.frames);
        sprite.setSlowdown(c.slowdown);
        for (int i = 0; i < c.frames; i++)
            sprite.insertFrame(qv::Frame(1, 1, std::to_string(i)));
        qv::Animation animation;
        animation.setSprite(&sprite);
        animation.setIndex(c.index);
        animation.setSlowdownCount(c.slowdown_count);
        std::vector<int> shown;
        for (std::size_t step = 0; step < c.shown.size(); step++)
        {
            shown.push_back(animation.getIndex());
            animation.draw(qv::Vector(5, 5));
        }
        EXPECT_EQ(shown, c.shown) << c.frames << " frames, slowdown " << c.slowdown;
    }
}

TEST(Animation, BoxIsTheSpritesSizeAroundThePosition)
{
    qv::Animation animation;
    EXPECT_EQ(animation.draw(qv::Vector(1, 1)), 0);
    EXPECT_EQ(animation.getBox(), qv::Box(qv::Vector(-0.5f, -0.5f), 0.99f, 0.99f));
    qv::Sprite sprite(1);
    sprite.setWidth(5);
    sprite.setHeight(3);
    sprite.setLabel("block");
    animation.setSprite(&sprite);
    EXPECT_EQ(animation.getBox(), qv::Box(qv::Vector(-2.5f, -1.5f), 5, 3));
    animation.setSprite(nullptr);
    EXPECT_EQ(animation.getBox(), qv::Box(qv::Vector(-0.5f, -0.5f), 0.99f, 0.99f));
    EXPECT_EQ(animation.getName(), "block");
}

TEST_F(EngineTest, AnimationWritesItsFieldsWhenAskedOrChangedAndReadsThem)
{
    ASSERT_EQ(qv::GameManager::getInstance().startUp(), 0);
    qv::Animation animation;
    EXPECT_EQ(animation.serialize("ALL"), "sprite_name:,sprite_index:0,sprite_slowdown_count:0,");
    EXPECT_EQ(animation.serialize(""), "");
    animation.setIndex(0);
    EXPECT_EQ(animation.serialize("POSITION,"), "");
    animation.setIndex(3);
    EXPECT_EQ(animation.serialize(""), "sprite_name:,sprite_index:3,sprite_slowdown_count:0,");
    EXPECT_EQ(animation.serialize("SOLIDNESS,ANIMATION,"), "sprite_name:,sprite_index:3,sprite_slowdown_count:0,");

    const std::string file = writeFile("s.txt", "<HEADER>\nframes 2\nwidth 1\nheight 1\n</HEADER>\n<BODY>\na\nend\nb\n"
                                                "end\n</BODY>\n<FOOTER>\nversion 1\n</FOOTER>\n");
    ASSERT_EQ(qv::ResourceManager::getInstance().loadSprite(file, "ab"), 0);
    EXPECT_EQ(animation.deserialize("sprite_name:ab,sprite_index:1,sprite_slowdown_count:-1,"), 0);
    EXPECT_EQ(animation.getSprite(), qv::ResourceManager::getInstance().getSprite("ab"));
    EXPECT_EQ(animation.serialize(""), "sprite_name:ab,sprite_index:1,sprite_slowdown_count:-1,");
    // An unknown sprite keeps the old one but takes the name; numbers too big for an int saturate.
    animation.deserialize("sprite_name:ghost,sprite_index:99999999999,");
    EXPECT_TRUE(logHas("Animation::Match(): Sprite 'ghost' not found"));
    EXPECT_EQ(animation.getSprite(), qv::ResourceManager::getInstance().getSprite("ab"));
    EXPECT_EQ(animation.serialize(""), "sprite_name:ghost,sprite_index:2147483647,sprite_slowdown_count:-1,");
    // Empty text changes nothing, whatever the parser read last.
    animation.deserialize("");
    EXPECT_EQ(animation.serialize(""), "");
    qv::GameManager::getInstance().shutDown();
}

TEST_F(EngineTest, FrameStopsAtTheFirstCharacterThatCannotBeDrawn)
{
    // A display that is not started, and not headless either: every character draw is refused.
    writeConfig("headless:false,");
    qv::Config::getInstance().loadConfig("");
    qv::LogManager::getInstance().startUp();
    EXPECT_EQ(qv::Frame(3, 2, "abcdef").draw(qv::Vector(4, 4), qv::RED, 0), -1);
    EXPECT_EQ(qv::Frame().draw(qv::Vector(4, 4), qv::RED, 0), 0);
    EXPECT_EQ(qv::Frame(3, 0, "abc").draw(qv::Vector(4, 4), qv::RED, 0), 0);
    EXPECT_EQ(logCount("DisplayManager not started!"), 1);
    qv::LogManager::getInstance().shutDown();
}

TEST_F(WindowTest, FramesAreCentredOnTheirPosition)
{
    startWindow();
    struct Case
    {
        qv::Frame frame;
        char transparency;
        std::vector<std::string> cells;
    };
    const Case cases[] = {
        {qv::Frame(3, 1, "abc"), 0, {"(9.00,4.00)", "(10.00,4.00)", "(11.00,4.00)"}},
        {qv::Frame(2, 2, "abcd"), 0, {"(9.50,3.50)", "(10.50,3.50)", "(9.50,4.50)", "(10.50,4.50)"}},
        {qv::Frame(3, 1, "#b#"), '#', {"(10.00,4.00)"}},
        {qv::Frame(3, 1, " b "), 0, {"(9.00,4.00)", "(10.00,4.00)", "(11.00,4.00)"}},
        // A hand-made frame shorter than its size draws what it has and reads nothing beyond.
        {qv::Frame(3, 2, "abcd"), 0, {"(9.00,3.50)", "(10.00,3.50)", "(11.00,3.50)", "(9.00,4.50)"}},
    };
    for (const Case &c : cases)
    {
        int result = -1;
        EXPECT_EQ(drawnCells([&] { result = c.frame.draw(qv::Vector(10, 4), qv::YELLOW, c.transparency); }), c.cells)
            << c.frame.getString();
        EXPECT_EQ(result, 0);
    }
}
