#include "Animation.h"
#include "Config.h"
#include "DisplayManager.h"
#include "Frame.h"
#include "GameManager.h"
#include "LogManager.h"
#include "ResourceManager.h"
#include "Sprite.h"
#include "Vector.h"
#include "presentation_support.h"
#include "test_support.h"

#include <SFML/Graphics/RenderWindow.hpp>

#include <string>
#include <vector>

namespace
{

// A sprite of `frames` one-row frames "0", "1", ... of width 1.
qv::Sprite *numberedSprite(int frames, int slowdown)
{
    qv::Sprite *p_sprite = new qv::Sprite(frames);
    p_sprite->setWidth(1);
    p_sprite->setHeight(1);
    p_sprite->setSlowdown(slowdown);
    for (int i = 0; i < frames; i++)
        p_sprite->insertFrame(qv::Frame(1, 1, std::to_string(i)));
    return p_sprite;
}

// The frame indexes an animation draws on `steps` consecutive steps.
std::vector<int> framesShown(qv::Animation &animation, int steps)
{
    std::vector<int> shown;
    for (int i = 0; i < steps; i++)
    {
        shown.push_back(animation.getIndex());
        animation.draw(qv::Vector(5, 5));
    }
    return shown;
}

} // namespace

TEST(Sprite, HoldsFramesUpToItsCapacity)
{
    qv::Sprite sprite(2);
    EXPECT_EQ(sprite.getLabel(), "[Undefined]");
    EXPECT_EQ(sprite.getColor(), qv::WHITE);
    EXPECT_EQ(sprite.getSlowdown(), 1);
    EXPECT_EQ(sprite.getTransparency(), 0);
    EXPECT_EQ(sprite.insertFrame(qv::Frame(2, 1, "ab")), 0);
    EXPECT_EQ(sprite.insertFrame(qv::Frame(2, 1, "cd")), 0);
    EXPECT_EQ(sprite.insertFrame(qv::Frame(2, 1, "ef")), -1);
    EXPECT_EQ(sprite.getFrameCount(), 2);
    EXPECT_EQ(sprite.getFrame(1).getString(), "cd");
    EXPECT_TRUE(sprite.getFrame(2).getString().empty());
    EXPECT_TRUE(sprite.getFrame(-1).getString().empty());
    EXPECT_EQ(sprite.draw(7, qv::Vector(1, 1), 0), 0);
}

TEST_F(EngineTest, SpriteWithNegativeCapacityHoldsNothing)
{
    ASSERT_EQ(qv::GameManager::getInstance().startUp(), 0);
    qv::Sprite sprite(-3);
    EXPECT_TRUE(logHas("Sprite::Sprite(): Error! Unable to allocate -3 frames."));
    EXPECT_EQ(sprite.insertFrame(qv::Frame(1, 1, "x")), -1);
    EXPECT_EQ(sprite.getFrameCount(), 0);
    qv::GameManager::getInstance().shutDown();
}

TEST(Animation, SlowdownHoldsEachFrameForItsSteps)
{
    struct Case
    {
        int frames;
        int slowdown;
        std::vector<int> shown;
    };
    const std::vector<Case> cases = {
        {2, 2, {0, 0, 1, 1, 0, 0}},          {3, 1, {0, 1, 2, 0, 1, 2}}, {3, 0, {0, 1, 2, 0, 1, 2}},
        {2, 4, {0, 0, 0, 0, 1, 1, 1, 1, 0}}, {1, 3, {0, 0, 0, 0}},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE("frames " + std::to_string(c.frames) + ", slowdown " + std::to_string(c.slowdown));
        qv::Sprite *p_sprite = numberedSprite(c.frames, c.slowdown);
        qv::Animation animation;
        animation.setSprite(p_sprite);
        EXPECT_EQ(framesShown(animation, static_cast<int>(c.shown.size())), c.shown);
        delete p_sprite;
    }
}

TEST(Animation, FrozenAnimationKeepsItsFrame)
{
    qv::Sprite *p_sprite = numberedSprite(3, 1);
    qv::Animation animation;
    animation.setSprite(p_sprite);
    animation.setIndex(2);
    animation.setSlowdownCount(-1);
    EXPECT_EQ(framesShown(animation, 5), (std::vector<int>{2, 2, 2, 2, 2}));
    EXPECT_EQ(animation.getSlowdownCount(), -1);
    delete p_sprite;
}

TEST(Animation, IndexBeyondTheSpriteWrapsWhenItsSlowdownExpires)
{
    qv::Sprite *p_sprite = numberedSprite(2, 2);
    qv::Animation animation;
    animation.setSprite(p_sprite);
    animation.setIndex(5);
    EXPECT_EQ(framesShown(animation, 4), (std::vector<int>{5, 5, 0, 0}));
    delete p_sprite;
}

TEST(Animation, WithoutSpriteDrawsNothingAndStays)
{
    qv::Animation animation;
    EXPECT_EQ(animation.draw(qv::Vector(1, 1)), 0);
    EXPECT_EQ(animation.getIndex(), 0);
    EXPECT_EQ(animation.getSlowdownCount(), 0);
}

TEST(Animation, BoxIsTheSpritesSizeAroundThePosition)
{
    qv::Animation animation;
    EXPECT_EQ(animation.getBox(), qv::Box(qv::Vector(-0.5f, -0.5f), 0.99f, 0.99f));
    qv::Sprite sprite(1);
    sprite.setWidth(5);
    sprite.setHeight(3);
    sprite.setLabel("block");
    animation.setSprite(&sprite);
    EXPECT_EQ(animation.getBox(), qv::Box(qv::Vector(-2.5f, -1.5f), 5, 3));
    EXPECT_EQ(animation.getName(), "block");
    animation.setSprite(nullptr);
    EXPECT_EQ(animation.getBox(), qv::Box(qv::Vector(-0.5f, -0.5f), 0.99f, 0.99f));
    EXPECT_EQ(animation.getName(), "block");
}

TEST(Animation, SerializesItsFieldsWhenSelectedOrChanged)
{
    qv::Animation animation;
    EXPECT_EQ(animation.serialize("ALL"), "sprite_name:,sprite_index:0,sprite_slowdown_count:0,");
    EXPECT_EQ(animation.serialize(""), "");
    EXPECT_EQ(animation.serialize("POSITION,"), "");
    animation.setIndex(0);
    EXPECT_EQ(animation.serialize(""), "");
    animation.setIndex(3);
    animation.setSlowdownCount(-1);
    EXPECT_EQ(animation.serialize(""), "sprite_name:,sprite_index:3,sprite_slowdown_count:-1,");
    EXPECT_EQ(animation.serialize(""), "");
    EXPECT_EQ(animation.serialize("SOLIDNESS,ANIMATION,"), "sprite_name:,sprite_index:3,sprite_slowdown_count:-1,");
    animation.setName("hero");
    EXPECT_EQ(animation.serialize(""), "sprite_name:hero,sprite_index:3,sprite_slowdown_count:-1,");
}

TEST_F(EngineTest, AnimationDeserializesItsKeys)
{
    ASSERT_EQ(qv::GameManager::getInstance().startUp(), 0);
    const std::string file = writeFile("s.txt", "<HEADER>\nframes 2\nwidth 1\nheight 1\n</HEADER>\n<BODY>\na\nend\nb\n"
                                                "end\n</BODY>\n<FOOTER>\nversion 1\n</FOOTER>\n");
    ASSERT_EQ(qv::ResourceManager::getInstance().loadSprite(file, "ab"), 0);
    qv::Sprite *p_ab = qv::ResourceManager::getInstance().getSprite("ab");

    qv::Animation animation;
    animation.serialize("ALL");
    EXPECT_EQ(animation.deserialize("sprite_name:ab,sprite_index:1,sprite_slowdown_count:-1,"), 0);
    EXPECT_EQ(animation.getSprite(), p_ab);
    EXPECT_EQ(animation.getName(), "ab");
    EXPECT_EQ(animation.getIndex(), 1);
    EXPECT_EQ(animation.getSlowdownCount(), -1);
    EXPECT_EQ(animation.serialize(""), "sprite_name:ab,sprite_index:1,sprite_slowdown_count:-1,");

    // An unknown sprite keeps the old one but takes the name; numbers too big for an int saturate.
    EXPECT_EQ(animation.deserialize("sprite_name:ghost,sprite_index:99999999999,"), 0);
    EXPECT_TRUE(logHas("Animation::Match(): Sprite 'ghost' not found"));
    EXPECT_EQ(animation.getSprite(), p_ab);
    EXPECT_EQ(animation.getName(), "ghost");
    EXPECT_EQ(animation.getIndex(), 2147483647);
    EXPECT_EQ(animation.getSlowdownCount(), -1);

    // Empty text changes nothing, whatever the parser read last.
    EXPECT_EQ(animation.deserialize(""), 0);
    EXPECT_EQ(animation.getName(), "ghost");
    qv::GameManager::getInstance().shutDown();
}

TEST_F(EngineTest, FrameStopsAtTheFirstCharacterThatCannotBeDrawn)
{
    // A display that is not started, and not headless either: every character draw is refused.
    writeConfig("headless:false,");
    qv::Config::getInstance().loadConfig("");
    qv::LogManager::getInstance().startUp();
    const qv::Frame frame(3, 2, "abcdef");
    EXPECT_EQ(frame.draw(qv::Vector(4, 4), qv::RED, 0), -1);
    EXPECT_EQ(logCount("DisplayManager not started!"), 1);
    qv::Sprite sprite(1);
    sprite.insertFrame(frame);
    EXPECT_EQ(sprite.draw(0, qv::Vector(4, 4), 0), -1);
    EXPECT_EQ(logCount("DisplayManager not started!"), 2);
    EXPECT_EQ(qv::Frame().draw(qv::Vector(4, 4), qv::RED, 0), 0);
    EXPECT_EQ(qv::Frame(3, 0, "abc").draw(qv::Vector(4, 4), qv::RED, 0), 0);
    EXPECT_EQ(logCount("DisplayManager not started!"), 2);
    qv::LogManager::getInstance().shutDown();
}

TEST_F(WindowTest, FramesAreCentredOnTheirPosition)
{
    startWindow();
    struct Case
    {
        const char *name;
        qv::Frame frame;
        char transparency;
        std::vector<std::string> cells;
    };
    const std::vector<Case> cases = {
        {"three wide", qv::Frame(3, 1, "abc"), 0, {"(9.00,4.00)", "(10.00,4.00)", "(11.00,4.00)"}},
        {"two wide", qv::Frame(2, 1, "ab"), 0, {"(9.50,4.00)", "(10.50,4.00)"}},
        {"two high", qv::Frame(2, 2, "abcd"), 0, {"(9.50,3.50)", "(10.50,3.50)", "(9.50,4.50)", "(10.50,4.50)"}},
        {"transparent #", qv::Frame(3, 1, "#b#"), '#', {"(10.00,4.00)"}},
        {"spaces drawn without transparency",
         qv::Frame(3, 1, " b "),
         0,
         {"(9.00,4.00)", "(10.00,4.00)", "(11.00,4.00)"}},
        // A hand-made frame shorter than its size draws what it has and reads nothing beyond.
        {"string shorter than the frame",
         qv::Frame(3, 2, "abcd"),
         0,
         {"(9.00,3.50)", "(10.00,3.50)", "(11.00,3.50)", "(9.00,4.50)"}},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        int result = -1;
        const std::vector<std::string> cells =
            drawnCells([&] { result = c.frame.draw(qv::Vector(10, 4), qv::YELLOW, c.transparency); });
        EXPECT_EQ(result, 0);
        EXPECT_EQ(cells, c.cells);
    }
}

// A two-frame sprite "|#|" / "#|#" in red with '#' transparent and slowdown 2, drawn over a row of
// green bars: steps 1 to 6 show frames 0, 0, 1, 1, 0, 0, and a transparent cell keeps its green bar.
TEST_F(WindowTest, AnimatedSpriteWithTransparencyOnScreen)
{
    startWindow();
    const std::string file = writeFile("blink.txt", "<HEADER>\nframes 2\nwidth 3\nheight 1\ncolor red\n"
                                                    "transparency #\nslowdown 2\n</HEADER>\n<BODY>\n|#|\nend\n#|#\n"
                                                    "end\n</BODY>\n<FOOTER>\nversion 1\n</FOOTER>\n");
    ASSERT_EQ(qv::ResourceManager::getInstance().loadSprite(file, "blink"), 0);
    qv::Animation animation;
    animation.setSprite(qv::ResourceManager::getInstance().getSprite("blink"));
    qv::DisplayManager &display_manager = qv::DisplayManager::getInstance();

    const std::vector<int> expected_frames = {0, 0, 1, 1, 0, 0};
    for (std::size_t step = 0; step < expected_frames.size(); step++)
    {
        SCOPED_TRACE("step " + std::to_string(step + 1));
        display_manager.swapBuffers();
        display_manager.drawString(qv::Vector(9, 6), "|||", qv::JUSTIFY_LEFT, qv::GREEN);
        ASSERT_EQ(animation.draw(qv::Vector(10, 6)), 0);
        const sf::Image image = capture();
        for (int cell = 9; cell <= 11; cell++)
        {
            // Frame 0 draws the outer cells, frame 1 the middle one.
            const bool red_here = (cell == 10) == (expected_frames[step] == 1);
            auto red = [](sf::Color c) { return c.r > 128 && c.g < 80; };
            auto green = [](sf::Color c) { return c.g > 128 && c.r < 80; };
            // The middle of the bar, below the top of the background rectangle.
            const int red_pixels = countPixels(image, cell * 12, 190, cell * 12 + 12, 200, red);
            const int green_pixels = countPixels(image, cell * 12, 190, cell * 12 + 12, 200, green);
            EXPECT_EQ(red_pixels > 0, red_here) << "cell " << cell;
            EXPECT_EQ(green_pixels > 0, !red_here) << "cell " << cell;
        }
    }
}
