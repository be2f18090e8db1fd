#include "Animation.h"
#include "Frame.h"
#include "LogManager.h"
#include "Music.h"
#include "ResourceManager.h"
#include "Sound.h"
#include "Sprite.h"
#include "presentation_support.h"
#include "world_support.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace
{

// The lines, each ended by a line feed, between the opening and closing tags of `name`.
std::string section(const std::string &name, const std::vector<std::string> &rows)
{
    std::string text = "<" + name + ">\n";
    for (const std::string &row : rows)
        text += row + "\n";
    return text + "</" + name + ">\n";
}

const std::string LOAD = "ResourceManager::loadSprite(): ";
const std::string HEADER = section("HEADER", {"frames 2", "width 3", "height 1", "color green", "slowdown 4"});
const std::string BODY = section("BODY", {"abc", "end", "def", "end"});
const std::string FOOTER = section("FOOTER", {"version 1"});
const std::string SPRITE = HEADER + BODY + FOOTER;
const std::string ONE_BY_ONE = section("BODY", {".", "end"}) + FOOTER;
const std::string DOT = section("HEADER", {"frames 1", "width 1", "height 1"}) + ONE_BY_ONE;

} // namespace

// A running headless engine, whose sounds need no sound card; the world is of no concern here.
struct ResourceTest : WorldTest
{
    void SetUp() override
    {
        setenv("ALSOFT_DRIVERS", "null", 0);
        WorldTest::SetUp();
    }

    static qv::ResourceManager &resources() { return qv::ResourceManager::getInstance(); }
};

// Each file with the messages loading it gives, in this order (other lines may lie between).
TEST_F(ResourceTest, SpriteFilesAreLoadedOrRefusedWithTheirMessages)
{
    using Cases = std::vector<std::pair<std::string, std::vector<std::string>>>;
    const Cases loaded = {
        {section("HEADER", {"frames 1", "width 3", "width 1", "height 1", "color red", "color blue", "bogus 7"}) +
             ONE_BY_ONE,
         {"matchLineInt(): Warning! 'width 1' matches multiple lines.",
          "matchLineStr(): Warning! 'color blue' matches multiple lines.",
          LOAD + "Warning! Unused HEADER lines:", "\t'bogus 7'", "\t       Color: blue"}},
        {DOT,
         {LOAD + "Warning! No 'color' in header.", LOAD + "Warning! No 'transparency' in header.",
          LOAD + "Warning! No 'slowdown' in header.", "\t      Frames: 1", "\t       Width: 1", "\t      Height: 1",
          "\t    Slowdown: 0", "\tTransparency: (none)", "\t       Color: default"}},
        // Lines after the footer are never read.
        {HEADER + BODY + section("FOOTER", {"author someone", "version 1"}) + "garbage\n\n\x01\x02",
         {LOAD + "Warning! Unused FOOTER lines:", "\t'author someone'"}},
        {"<HEADER>\r\nframes 1\r\nwidth 1\r\nheight 1\r\n</HEADER>\r\n<BODY>\r\na\r\nend\r\n</BODY>\r\n<FOOTER>\r\n"
         "version 1\r\n</FOOTER>\r\n",
         {}},
    };
    const std::string short_body = section("BODY", {"abc", "end"}) + FOOTER;
    const Cases refused = {
        {"", {"getLine(): Error! Unexpected end of file.", "readData(): Error line 1! Expected '<HEADER>', have ''."}},
        {"hello\n" + SPRITE, {"readData(): Error line 1! Expected '<HEADER>', have 'hello'."}},
        {section("HEADER", {"frames -1", "width 3"}) + BODY + FOOTER, {LOAD + "Error! Missing 'frames' in header."}},
        // A key glued to its value, or alone, reads as 0 frames.
        {section("HEADER", {"frames3", "width 3", "height 1"}) + short_body,
         {LOAD + "Error! Extra BODY:", "\tline 7: abc", "\tline 8: end"}},
        {section("HEADER", {"frames", "width 3", "height 1"}) + short_body, {"\tline 7: abc", "\tline 8: end"}},
        {section("HEADER", {"frames -5", "width 3", "height 1"}) + short_body,
         {"Sprite::Sprite(): Error! Unable to allocate -5 frames.", "\tline 7: abc"}},
        {section("HEADER", {"frames 99999999999999", "width 3", "height 1"}) + BODY + FOOTER,
         {"\t      Frames: 2147483647", "\tError! Line 11: No more frame data.",
          LOAD + "Error! No frame data to add."}},
        {section("HEADER", {"frames 1", "width 1", "height 1", "color Green"}) + ONE_BY_ONE,
         {LOAD + "Error! Unrecognized color 'Green'.", "  Valid colors are: black, red, green, yellow,",
          "                    blue, magenta, cyan and white."}},
        {HEADER + section("BODY", {"ab", "end", "def", "end"}) + FOOTER,
         {"\tError! Line 9: Line length is 2 (frame width is 3).", "\tLine 9: 'ab'",
          LOAD + "Error! No frame data to add."}},
        {HEADER + section("BODY", {"abc", "end", "def"}) + FOOTER, {"\tError! Line 12: No more frame data."}},
        {HEADER + section("BODY", {"abc", "end", "def", "xyz"}) + FOOTER,
         {"\tError! Line 12: Expected 'end'.", "\tLine 12: 'xyz'"}},
        {HEADER + section("BODY", {"abc", "end", "def", "end", "xyz"}) + FOOTER, {"\tline 13: xyz"}},
        {"<HEADER>\r\nframes 1\r\n\r\n", {"readData(): Error! Never encountered '</HEADER>'."}},
        {HEADER + BODY + "<FOOTER>\nversion 1\n</FOOTER>",
         {"getLine(): Error! Unexpected end of file.", "readData(): Error! Never encountered '</FOOTER>'."}},
        {HEADER + FOOTER, {"readData(): Error line 8! Expected '<BODY>', have '<FOOTER>'."}},
        {HEADER + BODY,
         {"getLine(): Error! Unexpected end of file.", "readData(): Error line 14! Expected '<FOOTER>', have ''."}},
        {HEADER + BODY + section("FOOTER", {"version"}), {LOAD + "Error! Missing 'version' in FOOTER (line 16)."}},
    };
    qv::LogManager::getInstance().setLogLevel(5);
    for (const bool loads : {true, false})
        for (const auto &[text, wanted] : loads ? loaded : refused)
        {
            std::vector<std::string> messages = logMessages();
            EXPECT_EQ(resources().loadSprite(writeFile("test.txt", text), "test"), loads ? 0 : -1) << text;
            const std::vector<std::string> after = logMessages();
            messages.assign(after.begin() + static_cast<long>(messages.size()), after.end());
            EXPECT_TRUE(containsInOrder(messages, wanted)) << text;
            EXPECT_EQ(messages.back(), LOAD + "Sprite 'test' " + (loads ? "loaded." : "not loaded.")) << text;
            EXPECT_EQ(resources().getSprite("test") != nullptr, loads) << text;
            // Empties the table for the next case.
            resources().shutDown();
            resources().startUp();
        }
}

TEST_F(ResourceTest, SpritesAndMusicAreHeldUnderExactLabelsUpToTheirLimitsUntilShutDown)
{
    const std::string text =
        section("HEADER", {"slowdown 4", "transparency #", "height 2", "width 3", "frames 2", "color green"}) +
        section("BODY", {"a#c", "def", "end", "ghi", "#kl", "end"}) + FOOTER;
    ASSERT_EQ(resources().loadSprite(writeFile("test.txt", text), "test"), 0);
    const qv::Sprite *p_sprite = resources().getSprite("test");
    ASSERT_NE(p_sprite, nullptr);
    EXPECT_EQ(p_sprite->getFrameCount(), 2);
    EXPECT_EQ(p_sprite->getSlowdown(), 4);
    EXPECT_EQ(p_sprite->getTransparency(), '#');
    EXPECT_EQ(p_sprite->getColor(), qv::GREEN);
    EXPECT_EQ(p_sprite->getFrame(0).getString(), "a#cdef");
    EXPECT_EQ(p_sprite->getFrame(1).getString(), "ghi#kl");

    for (std::size_t cut = 0; cut < SPRITE.size(); cut++)
        EXPECT_EQ(resources().loadSprite(writeFile("cut.txt", SPRITE.substr(0, cut)), "cut"), -1) << cut;

    const std::string missing = dir + "/missing.txt";
    EXPECT_EQ(resources().loadSprite(missing, "hero"), -1);
    EXPECT_TRUE(logHas(LOAD + "Error! Cannot open file '" + missing + "'."));
    const std::string file = writeFile("dot.txt", DOT);
    ASSERT_EQ(resources().loadSprite(file, "hero"), 0);
    ASSERT_EQ(resources().loadSprite(writeFile("two.txt", SPRITE), "hero"), 0);
    EXPECT_EQ(resources().getSprite("hero")->getFrameCount(), 1);
    EXPECT_EQ(resources().getSprite("Hero"), nullptr);
    EXPECT_EQ(resources().getSprite("hero "), nullptr);
    EXPECT_TRUE(logHas("ResourceManager::getSprite(): Warning! Sprite 'hero ' not found."));

    // "test" and the two "hero"s take the first three places.
    for (int i = 3; i < qv::MAX_SPRITES; i++)
        ASSERT_EQ(resources().loadSprite(file, "s" + std::to_string(i)), 0) << i;
    EXPECT_EQ(resources().loadSprite(file, "one too many"), -1);
    EXPECT_TRUE(containsInOrder(logMessages(), {LOAD + "Error! Cannot add more Sprites (max is 1000).",
                                                LOAD + "Sprite 'one too many' not loaded."}));
    EXPECT_NE(resources().getSprite("s999"), nullptr);

    qv::LogManager::getInstance().setLogLevel(5);
    const std::string wav = writeFile("tune.wav", wavFile(2000));
    const std::string bad = writeFile("not-audio.wav", "RIFF but not really");
    EXPECT_EQ(resources().loadMusic(bad, "tune"), -1);
    EXPECT_TRUE(logHas("ResourceManager::loadmusic(): Error! Cannot load music from file '" + bad + "'."));
    EXPECT_EQ(resources().loadMusic(wav, ""), -1);
    EXPECT_TRUE(logHas("ResourceManager::loadMusic(): Error! Must provide label for music."));
    EXPECT_EQ(resources().getMusic("tune0"), nullptr);
    EXPECT_TRUE(logHas("ResourceManager::getMusic(): Warning! Music 'tune0' not found."));
    for (int i = 0; i < qv::MAX_MUSICS; i++)
        ASSERT_EQ(resources().loadMusic(wav, "tune" + std::to_string(i)), 0) << i;
    EXPECT_EQ(resources().loadMusic(wav, "one too many"), -1);
    EXPECT_TRUE(logHas("ResourceManager::loadMusic(): Error! Unable to add more musics (max is 50)."));
    qv::Music *p_music = resources().getMusic("tune49");
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

    // Shutting down empties the tables and stops the music; stopped, the manager loads nothing.
    resources().shutDown();
    EXPECT_FALSE(p_music->isPlaying());
    EXPECT_TRUE(containsInOrder(logMessages(), {"Music::play(): Playing music.", "Music::stop(): Stopping music."}));
    EXPECT_EQ(resources().loadSprite(file, "again"), -1);
    EXPECT_EQ(resources().loadMusic(wav, "a"), -1);
    EXPECT_EQ(logCount("ResourceManager not started!"), 2);
    resources().startUp();
    EXPECT_EQ(resources().getSprite("s3"), nullptr);
    EXPECT_EQ(resources().loadSprite(file, "again"), 0);
}

// A running headless engine on a machine without a sound device (no driver is forced on the
// audio library), skipped on a machine with one.
struct SilentResourceTest : ResourceTest
{
    void SetUp() override
    {
        unsetenv("ALSOFT_DRIVERS");
        WorldTest::SetUp();
        if (resources().hasAudioDevice())
            GTEST_SKIP() << "this machine has a sound device";
    }
};

// The audio library, asked anything without a device, reported each failed call on standard error.
TEST_F(SilentResourceTest, MusicAndSoundsLoadAndPlayInSilenceAndNothingReachesStandardError)
{
    EXPECT_TRUE(logHas("ResourceManager::startUp(): No audio device can be opened: the game plays without sound."));
    const std::string wav = writeFile("tune.wav", wavFile(2000));
    const std::string err = dir + "/stderr.txt";
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    ASSERT_TRUE(std::freopen(err.c_str(), "w", stderr));

    ASSERT_EQ(resources().loadMusic(wav, "tune"), 0);
    qv::Music *p_music = resources().getMusic("tune");
    p_music->play(false);
    EXPECT_TRUE(p_music->isPlaying());
    // A quarter of a second long, played once.
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    EXPECT_FALSE(p_music->isPlaying());
    p_music->play(true);
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    EXPECT_TRUE(p_music->isPlaying() && p_music->getLoop());
    p_music->stop();
    EXPECT_FALSE(p_music->isPlaying());
    qv::Sound sound;
    EXPECT_EQ(sound.loadSound(wav), 0);
    sound.play();
    sound.stop();
    resources().shutDown();

    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    const std::string written = readFile(err);
    EXPECT_TRUE(written.empty()) << written.substr(0, 1000);
    // A file that is not audio is still refused.
    EXPECT_EQ(sound.loadSound(writeFile("not-audio.wav", "RIFF but not really")), -1);
}

TEST(Animation, SlowdownHoldsEachFrameForItsSteps)
{
    // frames, slowdown, index and slowdown count to start from; the index drawn on each step
    const std::tuple<int, int, int, int, std::vector<int>> cases[] = {
        {2, 2, 0, 0, {0, 0, 1, 1, 0, 0}}, {3, 1, 0, 0, {0, 1, 2, 0}},  {3, 0, 0, 0, {0, 1, 2, 0}},
        {1, 3, 0, 0, {0, 0, 0, 0}},       {3, 1, 2, -1, {2, 2, 2, 2}}, // frozen
        {2, 2, 5, 0, {5, 5, 0, 0}}, // beyond the last frame: nothing drawn until the slowdown expires
    };
    for (const auto &[frames, slowdown, index, slowdown_count, expected] : cases)
    {
        qv::Sprite sprite(frames);
        sprite.setSlowdown(slowdown);
        for (int i = 0; i < frames; i++)
            sprite.insertFrame(qv::Frame(1, 1, std::to_string(i)));
        qv::Animation animation;
        animation.setSprite(&sprite);
        animation.setIndex(index);
        animation.setSlowdownCount(slowdown_count);
        std::vector<int> shown;
        for (std::size_t step = 0; step < expected.size(); step++)
        {
            shown.push_back(animation.getIndex());
            animation.draw(qv::Vector(5, 5));
        }
        EXPECT_EQ(shown, expected) << frames << " frames, slowdown " << slowdown;
    }
}
