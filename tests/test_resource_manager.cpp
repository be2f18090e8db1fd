#include "Color.h"
#include "GameManager.h"
#include "LogManager.h"
#include "Music.h"
#include "ResourceManager.h"
#include "Sprite.h"
#include "presentation_support.h"
#include "test_support.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace
{

// Joins lines, each ended by a line feed.
std::string lines(const std::vector<std::string> &rows)
{
    std::string text;
    for (const std::string &row : rows)
        text += row + "\n";
    return text;
}

// The two-frame sprite of the file format's description: green, slowdown 4, 3 x 1.
const std::string GOOD_SPRITE =
    lines({"<HEADER>", "frames 2", "width 3", "height 1", "color green", "slowdown 4", "</HEADER>", "<BODY>", "abc",
           "end", "def", "end", "</BODY>", "<FOOTER>", "version 1", "</FOOTER>"});

std::string header(const std::vector<std::string> &keys)
{
    std::vector<std::string> rows = {"<HEADER>"};
    rows.insert(rows.end(), keys.begin(), keys.end());
    rows.push_back("</HEADER>");
    return lines(rows);
}

std::string body(const std::vector<std::string> &rows_and_ends)
{
    std::vector<std::string> rows = {"<BODY>"};
    rows.insert(rows.end(), rows_and_ends.begin(), rows_and_ends.end());
    rows.push_back("</BODY>");
    return lines(rows);
}

const std::string FOOTER = lines({"<FOOTER>", "version 1", "</FOOTER>"});
const std::string BASIC_HEADER = header({"frames 2", "width 3", "height 1", "color green", "slowdown 4"});
const std::string BASIC_BODY = body({"abc", "end", "def", "end"});

class ResourceTest : public EngineTest
{
protected:
    void SetUp() override
    {
        setenv("ALSOFT_DRIVERS", "null", 0);
        EngineTest::SetUp();
        ASSERT_EQ(qv::GameManager::getInstance().startUp(), 0);
    }
    void TearDown() override
    {
        qv::GameManager::getInstance().shutDown();
        EngineTest::TearDown();
    }

    // Loads `text` as a sprite file labelled "test" with the given log level.
    int load(const std::string &text, int log_level = 0)
    {
        qv::LogManager::getInstance().setLogLevel(log_level);
        const int result = qv::ResourceManager::getInstance().loadSprite(writeFile("test.txt", text), "test");
        qv::LogManager::getInstance().setLogLevel(0);
        return result;
    }

    // The log's messages from the first one of this load on.
    std::vector<std::string> loadMessages() const
    {
        const std::vector<std::string> all = logMessages();
        std::size_t start = all.size();
        for (std::size_t i = 0; i < all.size(); i++)
            if (all[i].rfind("ResourceManager::loadSprite(): Loading sprite", 0) == 0)
                start = i;
        return std::vector<std::string>(all.begin() + static_cast<long>(start), all.end());
    }
};

struct LoadCase
{
    const char *name;
    std::string text;
    int log_level;                     // level the loader runs at
    bool loads;                        // expected result
    std::vector<std::string> expected; // messages that must appear, in this order
};

// Checks that `expected` occurs in `messages` in order (other lines may lie between).
::testing::AssertionResult inOrder(const std::vector<std::string> &messages, const std::vector<std::string> &expected)
{
    std::size_t at = 0;
    for (const std::string &want : expected)
    {
        while (at < messages.size() && messages[at] != want)
            at++;
        if (at == messages.size())
        {
            std::string got;
            for (const std::string &m : messages)
                got += "\n  " + m;
            return ::testing::AssertionFailure() << "missing (in order) '" << want << "' in:" << got;
        }
        at++;
    }
    return ::testing::AssertionSuccess();
}

const std::string NOT_LOADED = "ResourceManager::loadSprite(): Sprite 'test' not loaded.";
const std::string LOADED = "ResourceManager::loadSprite(): Sprite 'test' loaded.";

} // namespace

TEST_F(ResourceTest, SpriteFilesAreLoadedOrRefusedWithTheirMessages)
{
    const std::string mb_line(1 << 20, 'x');
    const std::vector<LoadCase> cases = {
        {"the format's example", GOOD_SPRITE, 0, true, {LOADED}},
        {"empty file",
         "",
         0,
         false,
         {"getLine(): Error! Unexpected end of file.", "readData(): Error line 1! Expected '<HEADER>', have ''.",
          NOT_LOADED}},
        {"binary without line feeds",
         std::string("\x7f"
                     "ELF\x01\x02\x00\x00\xff\xfe",
                     10),
         0,
         false,
         {"getLine(): Error! Unexpected end of file.", "readData(): Error line 1! Expected '<HEADER>', have ''.",
          NOT_LOADED}},
        {"text before the header",
         "hello\n" + GOOD_SPRITE,
         0,
         false,
         {"readData(): Error line 1! Expected '<HEADER>', have 'hello'.", NOT_LOADED}},
        {"missing frames",
         header({"width 3", "height 1"}) + BASIC_BODY + FOOTER,
         0,
         false,
         {"ResourceManager::loadSprite(): Error! Missing 'frames' in header.", NOT_LOADED}},
        {"missing width",
         header({"frames 2", "height 1"}) + BASIC_BODY + FOOTER,
         0,
         false,
         {"ResourceManager::loadSprite(): Error! Missing 'width' in header.", NOT_LOADED}},
        {"missing height",
         header({"frames 2", "width 3"}) + BASIC_BODY + FOOTER,
         0,
         false,
         {"ResourceManager::loadSprite(): Error! Missing 'height' in header.", NOT_LOADED}},
        {"frames of -1 count as missing",
         header({"frames -1", "width 3", "height 1"}) + BASIC_BODY + FOOTER,
         0,
         false,
         {"ResourceManager::loadSprite(): Error! Missing 'frames' in header.", NOT_LOADED}},
        {"key glued to its value reads as 0 frames",
         header({"frames3", "width 3", "height 1"}) + body({"abc", "end"}) + FOOTER,
         1,
         false,
         {"ResourceManager::loadSprite(): Error! Extra BODY:", "\tline 7: abc", "\tline 8: end", NOT_LOADED}},
        {"key alone reads as 0 frames",
         header({"frames", "width 3", "height 1"}) + body({"abc", "end"}) + FOOTER,
         0,
         false,
         {"\tline 7: abc", "\tline 8: end", NOT_LOADED}},
        {"zero frames with a body",
         header({"frames 0", "width 3", "height 1"}) + body({"abc", "end"}) + FOOTER,
         0,
         false,
         {"\tline 7: abc", "\tline 8: end", NOT_LOADED}},
        {"negative frame count",
         header({"frames -5", "width 3", "height 1"}) + body({"abc", "end"}) + FOOTER,
         0,
         false,
         {"Sprite::Sprite(): Error! Unable to allocate -5 frames.", "\tline 7: abc", NOT_LOADED}},
        {"frame count of 2^31-1",
         header({"frames 2147483647", "width 3", "height 1"}) + BASIC_BODY + FOOTER,
         0,
         false,
         {"\tError! Line 11: No more frame data.", "ResourceManager::loadSprite(): Error! No frame data to add.",
          NOT_LOADED}},
        {"frame count beyond int",
         header({"frames 99999999999999", "width 3", "height 1"}) + BASIC_BODY + FOOTER,
         5,
         false,
         {"\t      Frames: 2147483647", "\tError! Line 11: No more frame data.", NOT_LOADED}},
        {"width of 2^31-1",
         header({"frames 1", "width 2147483647", "height 1"}) + body({"abc", "end"}) + FOOTER,
         0,
         false,
         {"\tError! Line 7: Line length is 3 (frame width is 2147483647).", "\tLine 7: 'abc'", NOT_LOADED}},
        {"height of 2^31-1",
         header({"frames 1", "width 3", "height 2147483647"}) + body({"abc", "end"}) + FOOTER,
         0,
         false,
         {"\tError! Line 9: No more frame data.", NOT_LOADED}},
        {"zero width",
         header({"frames 1", "width 0", "height 1"}) + body({"abc", "end"}) + FOOTER,
         0,
         false,
         {"\tError! Line 7: Line length is 3 (frame width is 0).", NOT_LOADED}},
        {"zero height",
         header({"frames 1", "width 3", "height 0"}) + body({"end"}) + FOOTER,
         0,
         false,
         {"ResourceManager::loadSprite(): Error! No frame data to add.", NOT_LOADED}},
        {"negative height",
         header({"frames 1", "width 3", "height -4"}) + body({"end"}) + FOOTER,
         0,
         false,
         {"ResourceManager::loadSprite(): Error! No frame data to add.", NOT_LOADED}},
        {"two width lines: the second wins",
         header({"frames 1", "width 3", "width 2", "height 1"}) + body({"ab", "end"}) + FOOTER,
         1,
         true,
         {"matchLineInt(): Warning! 'width 2' matches multiple lines.", LOADED}},
        {"two color lines: the second wins",
         header({"frames 1", "width 1", "height 1", "color red", "color blue"}) + body({"a", "end"}) + FOOTER,
         5,
         true,
         {"matchLineStr(): Warning! 'color blue' matches multiple lines.", "\t       Color: blue", LOADED}},
        {"capitalised colour",
         header({"frames 1", "width 1", "height 1", "color Green"}) + body({"a", "end"}) + FOOTER,
         0,
         false,
         {"ResourceManager::loadSprite(): Error! Unrecognized color 'Green'.",
          "  Valid colors are: black, red, green, yellow,", "                    blue, magenta, cyan and white.",
          NOT_LOADED}},
        {"only the required keys",
         header({"frames 1", "width 1", "height 1"}) + body({"a", "end"}) + FOOTER,
         5,
         true,
         {"ResourceManager::loadSprite(): Warning! No 'color' in header.",
          "ResourceManager::loadSprite(): Warning! No 'transparency' in header.",
          "ResourceManager::loadSprite(): Warning! No 'slowdown' in header.", "\t      Frames: 1", "\t       Width: 1",
          "\t      Height: 1", "\t    Slowdown: 0", "\tTransparency: (none)", "\t       Color: default", LOADED}},
        {"unused header lines",
         header({"frames 1", "bogus 7", "width 1", "height 1", mb_line}) + body({"a", "end"}) + FOOTER,
         1,
         true,
         {"ResourceManager::loadSprite(): Warning! Unused HEADER lines:", "\t'bogus 7'", "\t'" + mb_line + "'",
          LOADED}},
        {"row one character short",
         BASIC_HEADER + body({"ab", "end", "def", "end"}) + FOOTER,
         0,
         false,
         {"\tError! Line 9: Line length is 2 (frame width is 3).", "\tLine 9: 'ab'",
          "ResourceManager::loadSprite(): Error! No frame data to add.", NOT_LOADED}},
        {"row of a megabyte",
         BASIC_HEADER + body({mb_line, "end", "def", "end"}) + FOOTER,
         0,
         false,
         {"\tError! Line 9: Line length is 1048576 (frame width is 3).", NOT_LOADED}},
        {"last frame without end, body exhausted",
         BASIC_HEADER + body({"abc", "end", "def"}) + FOOTER,
         0,
         false,
         {"\tError! Line 12: No more frame data.", "ResourceManager::loadSprite(): Error! No frame data to add.",
          NOT_LOADED}},
        {"last frame followed by something else",
         BASIC_HEADER + body({"abc", "end", "def", "xyz"}) + FOOTER,
         0,
         false,
         {"\tError! Line 12: Expected 'end'.", "\tLine 12: 'xyz'", NOT_LOADED}},
        {"extra body after the frames",
         BASIC_HEADER + body({"abc", "end", "def", "end", "xyz"}) + FOOTER,
         0,
         false,
         {"\tline 13: xyz", NOT_LOADED}},
        {"blank line in the header",
         "<HEADER>\nframes 2\n\nwidth 3\n</HEADER>\n" + BASIC_BODY + FOOTER,
         0,
         false,
         {"readData(): Error! Never encountered '</HEADER>'.", NOT_LOADED}},
        {"blank line in the body",
         BASIC_HEADER + "<BODY>\nabc\n\nend\n</BODY>\n" + FOOTER,
         0,
         false,
         {"readData(): Error! Never encountered '</BODY>'.", NOT_LOADED}},
        {"blank line in the footer",
         BASIC_HEADER + BASIC_BODY + "<FOOTER>\n\nversion 1\n</FOOTER>\n",
         0,
         false,
         {"readData(): Error! Never encountered '</FOOTER>'.", NOT_LOADED}},
        {"no line feed after the last tag",
         BASIC_HEADER + BASIC_BODY + "<FOOTER>\nversion 1\n</FOOTER>",
         0,
         false,
         {"getLine(): Error! Unexpected end of file.", "readData(): Error! Never encountered '</FOOTER>'.",
          NOT_LOADED}},
        {"body missing",
         BASIC_HEADER + FOOTER,
         0,
         false,
         {"readData(): Error line 8! Expected '<BODY>', have '<FOOTER>'.", NOT_LOADED}},
        {"header repeated",
         BASIC_HEADER + BASIC_HEADER + BASIC_BODY + FOOTER,
         0,
         false,
         {"readData(): Error line 8! Expected '<BODY>', have '<HEADER>'.", NOT_LOADED}},
        {"footer missing",
         BASIC_HEADER + BASIC_BODY,
         0,
         false,
         {"getLine(): Error! Unexpected end of file.", "readData(): Error line 14! Expected '<FOOTER>', have ''.",
          NOT_LOADED}},
        {"footer without version",
         BASIC_HEADER + BASIC_BODY + lines({"<FOOTER>", "revision 1", "</FOOTER>"}),
         0,
         false,
         {"ResourceManager::loadSprite(): Error! Missing 'version' in FOOTER (line 15).", NOT_LOADED}},
        {"version without value",
         BASIC_HEADER + BASIC_BODY + lines({"<FOOTER>", "version", "</FOOTER>"}),
         0,
         false,
         {"ResourceManager::loadSprite(): Error! Missing 'version' in FOOTER (line 16).", NOT_LOADED}},
        {"unused footer lines",
         BASIC_HEADER + BASIC_BODY + lines({"<FOOTER>", "author someone", "version 1", "</FOOTER>"}),
         1,
         true,
         {"ResourceManager::loadSprite(): Warning! Unused FOOTER lines:", "\t'author someone'", LOADED}},
        {"lines after the footer are not read", GOOD_SPRITE + "garbage\n\n\x01\x02", 0, true, {LOADED}},
        {"CRLF line ends",
         []
         {
             std::string crlf;
             for (char c : GOOD_SPRITE)
                 crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
             return crlf;
         }(),
         0,
         true,
         {LOADED}},
        {"a bare CR line is blank",
         "<HEADER>\r\nframes 1\r\n\r\n",
         0,
         false,
         {"readData(): Error! Never encountered '</HEADER>'.", NOT_LOADED}},
    };
    qv::ResourceManager &resource_manager = qv::ResourceManager::getInstance();
    for (const LoadCase &c : cases)
    {
        SCOPED_TRACE(c.name);
        const int result = load(c.text, c.log_level);
        EXPECT_EQ(result, c.loads ? 0 : -1);
        EXPECT_TRUE(inOrder(loadMessages(), c.expected));
        if (c.loads)
        {
            // Each successful case is checked on its own; empty the table for the next one.
            EXPECT_NE(resource_manager.getSprite("test"), nullptr);
            resource_manager.shutDown();
            resource_manager.startUp();
        }
        else
        {
            const std::vector<std::string> messages = loadMessages();
            EXPECT_EQ(std::count(messages.begin(), messages.end(), LOADED), 0);
        }
    }
    qv::LogManager::getInstance().setLogLevel(0);
    EXPECT_EQ(resource_manager.getSprite("test"), nullptr);
}

TEST_F(ResourceTest, LoadedSpriteHoldsTheFilesFramesAndSettings)
{
    const std::string text =
        header({"slowdown 4", "transparency #", "height 2", "width 3", "frames 2", "color green"}) +
        body({"a#c", "def", "end", "ghi", "#kl", "end"}) + FOOTER;
    ASSERT_EQ(load(text), 0);
    const qv::Sprite *p_sprite = qv::ResourceManager::getInstance().getSprite("test");
    ASSERT_NE(p_sprite, nullptr);
    EXPECT_EQ(p_sprite->getLabel(), "test");
    EXPECT_EQ(p_sprite->getFrameCount(), 2);
    EXPECT_EQ(p_sprite->getWidth(), 3);
    EXPECT_EQ(p_sprite->getHeight(), 2);
    EXPECT_EQ(p_sprite->getSlowdown(), 4);
    EXPECT_EQ(p_sprite->getTransparency(), '#');
    EXPECT_EQ(p_sprite->getColor(), qv::GREEN);
    EXPECT_EQ(p_sprite->getFrame(0).getString(), "a#cdef");
    EXPECT_EQ(p_sprite->getFrame(1).getString(), "ghi#kl");
    EXPECT_EQ(p_sprite->getFrame(1).getWidth(), 3);
    EXPECT_EQ(p_sprite->getFrame(1).getHeight(), 2);
    EXPECT_TRUE(p_sprite->getFrame(2).getString().empty());
}

TEST_F(ResourceTest, ColourNamesOfTheHeader)
{
    const std::vector<std::pair<std::string, qv::Color>> names = {
        {"black", qv::BLACK},     {"red", qv::RED},   {"green", qv::GREEN}, {"yellow", qv::YELLOW}, {"blue", qv::BLUE},
        {"magenta", qv::MAGENTA}, {"cyan", qv::CYAN}, {"white", qv::WHITE}, {"default", qv::WHITE},
    };
    qv::ResourceManager &resource_manager = qv::ResourceManager::getInstance();
    for (const auto &[name, color] : names)
    {
        const std::string file = writeFile(name + ".txt", header({"frames 1", "width 1", "height 1", "color " + name}) +
                                                              body({"a", "end"}) + FOOTER);
        ASSERT_EQ(resource_manager.loadSprite(file, name), 0) << name;
        EXPECT_EQ(resource_manager.getSprite(name)->getColor(), color) << name;
    }
}

TEST_F(ResourceTest, FileCutOffAtAnyByteIsRefused)
{
    qv::ResourceManager &resource_manager = qv::ResourceManager::getInstance();
    for (std::size_t cut = 0; cut < GOOD_SPRITE.size(); cut++)
    {
        const std::string file = writeFile("cut.txt", GOOD_SPRITE.substr(0, cut));
        EXPECT_EQ(resource_manager.loadSprite(file, "cut"), -1) << "cut after " << cut << " bytes";
    }
    EXPECT_EQ(logCount("ResourceManager::loadSprite(): Sprite 'cut' not loaded."),
              static_cast<int>(GOOD_SPRITE.size()));
    EXPECT_EQ(resource_manager.loadSprite(writeFile("cut.txt", GOOD_SPRITE), "cut"), 0);
}

TEST_F(ResourceTest, MissingFileAndStoppedManagerAreRefused)
{
    qv::ResourceManager &resource_manager = qv::ResourceManager::getInstance();
    const std::string missing = dir + "/no-such-sprite.txt";
    EXPECT_EQ(resource_manager.loadSprite(missing, "ghost"), -1);
    EXPECT_TRUE(logHas("ResourceManager::loadSprite(): Loading sprite '" + missing + "'."));
    EXPECT_TRUE(logHas("ResourceManager::loadSprite(): Error! Cannot open file '" + missing + "'."));
    EXPECT_TRUE(logHas("ResourceManager::loadSprite(): Sprite 'ghost' not loaded."));

    EXPECT_EQ(resource_manager.getSprite("ghost"), nullptr);
    EXPECT_TRUE(logHas("ResourceManager::getSprite(): Warning! Sprite 'ghost' not found."));

    resource_manager.shutDown();
    EXPECT_EQ(resource_manager.loadSprite(writeFile("good.txt", GOOD_SPRITE), "good"), -1);
    EXPECT_EQ(resource_manager.loadMusic(writeFile("a.wav", wavFile(800)), "a"), -1);
    EXPECT_EQ(logCount("ResourceManager not started!"), 2);
    resource_manager.startUp();
}

TEST_F(ResourceTest, LabelsAreExactAndTheFirstMatchWins)
{
    qv::ResourceManager &resource_manager = qv::ResourceManager::getInstance();
    const std::string one =
        writeFile("one.txt", header({"frames 1", "width 1", "height 1"}) + body({"1", "end"}) + FOOTER);
    const std::string two =
        writeFile("two.txt", header({"frames 1", "width 1", "height 1"}) + body({"2", "end"}) + FOOTER);
    ASSERT_EQ(resource_manager.loadSprite(one, "hero"), 0);
    ASSERT_EQ(resource_manager.loadSprite(two, "hero"), 0);
    ASSERT_NE(resource_manager.getSprite("hero"), nullptr);
    EXPECT_EQ(resource_manager.getSprite("hero")->getFrame(0).getString(), "1");
    EXPECT_EQ(resource_manager.getSprite("Hero"), nullptr);
    EXPECT_EQ(resource_manager.getSprite("hero "), nullptr);
}

TEST_F(ResourceTest, TheThousandAndFirstSpriteIsRefused)
{
    qv::ResourceManager &resource_manager = qv::ResourceManager::getInstance();
    const std::string file =
        writeFile("s.txt", header({"frames 1", "width 1", "height 1"}) + body({"x", "end"}) + FOOTER);
    for (int i = 0; i < qv::MAX_SPRITES; i++)
        ASSERT_EQ(resource_manager.loadSprite(file, "s" + std::to_string(i)), 0) << i;
    EXPECT_EQ(resource_manager.loadSprite(file, "one too many"), -1);
    EXPECT_TRUE(logHas("ResourceManager::loadSprite(): Error! Cannot add more Sprites (max is 1000)."));
    EXPECT_TRUE(logHas("ResourceManager::loadSprite(): Sprite 'one too many' not loaded."));
    EXPECT_NE(resource_manager.getSprite("s999"), nullptr);

    // Shutting down empties the table, so a restarted manager loads again.
    resource_manager.shutDown();
    resource_manager.startUp();
    EXPECT_EQ(resource_manager.getSprite("s0"), nullptr);
    EXPECT_EQ(resource_manager.loadSprite(file, "again"), 0);
}

TEST_F(ResourceTest, MusicIsLoadedByLabelOrRefused)
{
    qv::ResourceManager &resource_manager = qv::ResourceManager::getInstance();
    const std::string wav = writeFile("tune.wav", wavFile(800));
    const std::string missing = dir + "/missing.wav";
    const std::string not_audio = writeFile("not-audio.wav", "RIFF but not really");

    EXPECT_EQ(resource_manager.loadMusic(missing, "tune"), -1);
    EXPECT_TRUE(logHas("ResourceManager::loadmusic(): Error! Cannot load music from file '" + missing + "'."));
    EXPECT_EQ(resource_manager.loadMusic(not_audio, "tune"), -1);
    EXPECT_TRUE(logHas("ResourceManager::loadmusic(): Error! Cannot load music from file '" + not_audio + "'."));
    EXPECT_EQ(resource_manager.loadMusic(wav, ""), -1);
    EXPECT_TRUE(logHas("ResourceManager::loadMusic(): Error! Must provide label for music."));
    EXPECT_EQ(resource_manager.getMusic("tune"), nullptr);
    EXPECT_TRUE(logHas("ResourceManager::getMusic(): Warning! Music 'tune' not found."));

    ASSERT_EQ(resource_manager.loadMusic(wav, "tune"), 0);
    qv::Music *p_music = resource_manager.getMusic("tune");
    ASSERT_NE(p_music, nullptr);
    EXPECT_EQ(p_music->getLabel(), "tune");

    for (int i = 1; i < qv::MAX_MUSICS; i++)
        ASSERT_EQ(resource_manager.loadMusic(wav, "tune" + std::to_string(i)), 0) << i;
    EXPECT_EQ(resource_manager.loadMusic(wav, "one too many"), -1);
    EXPECT_TRUE(logHas("ResourceManager::loadMusic(): Error! Unable to add more musics (max is 50)."));
    EXPECT_NE(resource_manager.getMusic("tune49"), nullptr);
}

// A hundred thousand frames and as many header lines: the loader takes them in one pass each.
TEST_F(ResourceTest, LongSectionsLoad)
{
    const int frames = 100000;
    std::string text = "<HEADER>\nframes " + std::to_string(frames) + "\nwidth 1\nheight 1\n";
    for (int i = 0; i < frames; i++)
        text += "slowdown 2\n";
    text += "</HEADER>\n<BODY>\n";
    for (int i = 0; i < frames; i++)
        text += std::string(1, static_cast<char>('a' + i % 26)) + "\nend\n";
    text += "</BODY>\n" + FOOTER;
    ASSERT_EQ(load(text), 0);
    const qv::Sprite *p_sprite = qv::ResourceManager::getInstance().getSprite("test");
    ASSERT_NE(p_sprite, nullptr);
    EXPECT_EQ(p_sprite->getFrameCount(), frames);
    EXPECT_EQ(p_sprite->getSlowdown(), 2);
    EXPECT_EQ(p_sprite->getFrame(frames - 1).getString(), std::string(1, static_cast<char>('a' + (frames - 1) % 26)));
}
