#include "Config.h"
#include "LogManager.h"
#include "attribute_text.h"
#include "test_support.h"

#include <cfloat>
#include <cstdlib>
#include <sstream>

// Every key the engine reads, none with its shipped value.
const std::string OTHER = "window_horizontal_pixels:640,window_vertical_pixels:480,window_horizontal_chars:100,"
                          "window_vertical_chars:30,window_style:fullscreen,window_background_color:white,"
                          "frame_time:16,font_scale:1.25,window_title:Dungeon,show_mouse:true,headless:true,"
                          "font_file:other.ttf,logfile:other.log,random_seed:-1,networking:true,network_port:1234,"
                          "max_message_size:64,show_frame_time:true,quadtree_threshold:6,quadtree_depth:5,"
                          "grid_width:3,grid_height:4,";

TEST(AttributeText, MatchFindsTheValueOfAKey)
{
    // Text, key, value.
    const char *const cases[][3] = {{"a:1,b:2,", "b", "2"},    {"a:1,b:2,", "c", ""},      {"a:1,b:2", "b", "2"},
                                    {" a\t: 1\n ,", "a", "1"}, {"a:1:9,", "a", "1"},       {"a,", "a", ""},
                                    {"a:1,a:2,", "a", "1"},    {"::a:1,", "a", "1"},       {",,a:1,,,b:2,,", "b", "2"},
                                    {"A:1,", "a", ""},         {"k:va lue,", "k", "value"}};
    for (const auto &[text, key, value] : cases)
        EXPECT_EQ(qv::match(text, key), value) << text << " / " << key;
}

TEST(AttributeText, NumbersAndTruthToText)
{
    EXPECT_EQ(qv::toString(1.5f) + " " + qv::toString(2.0f) + " " + qv::toString(0.1f) + " " +
                  qv::toString(1250000.0f) + " " + qv::toString(0.00001f) + " " + qv::toString(-7) + " " +
                  qv::toString(true) + " " + qv::toString(false),
              "1.5 2 0.1 1.25e+06 1e-05 -7 true false");
}

class ConfigTest : public EngineTest
{
protected:
    // Reads the configuration file with a fresh log and dumps the settings into it; returns the log.
    std::vector<std::string> loadAndDump()
    {
        qv::LogManager &log = qv::LogManager::getInstance();
        log.setLogLevel(1);
        EXPECT_EQ(log.startUp(), 0);
        config.loadConfig("");
        config.logConfig();
        log.shutDown();
        return logMessages();
    }

    qv::Config &config = qv::Config::getInstance();
};

TEST_F(ConfigTest, FileLinesAreJoinedWithoutCommentsAndLineEnds)
{
    const std::pair<std::string, std::string> cases[] = {
        {"# a comment\n\nframe_time:20,\n#headless:true,\n\n", "frame_time:20,"},
        {"frame_time:21,\r\nheadless:true,\r\n", "frame_time:21,headless:true,"},
        {"window_title:a\r\r\n", "window_title:a\r"},
        {" #note,frame_time:22,\n", " #note,frame_time:22,"},
        {"frame_time:23,\nheadless:true,", "frame_time:23,headless:true,"},
        // Longer than any buffer a line reader might use.
        {std::string(10000, 'x') + ",\nframe_time:24,\n", std::string(10000, 'x') + ",frame_time:24,"}};
    for (const auto &[file, joined] : cases)
    {
        writeConfig(file);
        EXPECT_EQ(config.readConfig(), joined) << file;
    }
}

TEST_F(ConfigTest, ValuesAreConvertedAsTheirKindsSay)
{
    // The file, a line the dump must then hold, and the line written before the dump, if any.
    const char *const cases[][3] = {
        // Lines without a trailing comma run into one entry.
        {"frame_time:20\nheadless:true\n", "  Frame time: 20", ""},
        {"frame_time:20\nheadless:true\n", "  Headless: false", ""},
        {"window_title:My Game,", "  Window title: MyGame", ""},
        {"show_mouse:True,", "  Show mouse: false", ""},
        {"networking:yes,", "  Networking: false", ""},
        {"window_background_color:yellow,", "  Window background color: 3", ""},
        {"window_background_color:Yellow,", "  Window background color: 0",
         "loadConfig(): Unsupported window color 'Yellow'"},
        {"window_style:fullscreen,", "  Window style: fullscreen", ""},
        {"window_style:Fullscreen,", "  Window style: default", "loadConfig(): Unsupported window style 'Fullscreen'"},
        {"frame_time:,", "  Frame time: 33", ""},
        {"", "  Frame time: 33", ""},
        {"frame_time:12abc,", "  Frame time: 12", ""},
        {"frame_time:abc,", "  Frame time: 0", ""},
        {"frame_time:99999999999,", "  Frame time: 2147483647", ""},
        {"random_seed:-99999999999,", "  Random seed: -2147483648", ""},
        {"frame_time:10,frame_time:20,", "  Frame time: 10", ""},
        {"speed:5,frame_time:12,", "  Frame time: 12", ""}};
    for (const auto &[file, dumped, reported] : cases)
    {
        config.loadConfig("frame_time:33,random_seed:0,show_mouse:true,networking:true,window_background_color:black,"
                          "window_style:default,window_title:Quorvex,");
        writeConfig(file);
        const std::vector<std::string> lines = loadAndDump();
        EXPECT_TRUE(containsInOrder(lines, {dumped})) << file;
        EXPECT_EQ(lines.size() > 24 ? lines.front() : "", reported) << file;
    }
}

TEST_F(ConfigTest, FontScaleBeyondFloatRangeIsClamped)
{
    const std::pair<std::string, float> cases[] = {
        {"font_scale:1.25,", 1.25f}, {"font_scale:1e300,", FLT_MAX}, {"font_scale:-1e300,", -FLT_MAX}};
    for (const auto &[text, scale] : cases)
    {
        config.loadConfig(text);
        EXPECT_EQ(config.getFontScale(), scale) << text;
    }
}

TEST_F(ConfigTest, UnreadableFileLeavesEveryDefault)
{
    // Nor may what the shared parser last saw leak into the settings.
    EXPECT_EQ(qv::match("frame_time:99,", "frame_time"), "99");
    for (const std::string &path : {dir + "/missing.txt", dir, dir + "/no-such-folder/qv-config.txt"})
    {
        setenv("QUORVEX_CONFIG", path.c_str(), 1);
        loadAndDump();
        EXPECT_TRUE(containsInOrder(logMessages(),
                                    {"Config::readConfig(): Cannot open Quorvex configuration file '" + path + "'.",
                                     "  Window horizontal pixels: 1024", "  Frame time: 33"}));
    }
}

TEST_F(ConfigTest, ShippedFileGivesEveryKeyItsIntendedValue)
{
    writeConfig(OTHER);
    const std::vector<std::string> other = loadAndDump();
    setenv("QUORVEX_CONFIG", QV_SOURCE_DIR "/qv-config.txt", 1);
    const std::vector<std::string> shipped = loadAndDump();
    // Each setting has its intended value, which is not the other text's: the file's entry for it was read.
    const char *const intended[] = {"1200",    "720",   "80",    "24",          "0",           "33",   "default",
                                    "Quorvex", "false", "false", "qv-font.ttf", "quorvex.log", "0",    "false",
                                    "20",      "8",     "1",     "10",          "false",       "9876", "1048576"};
    ASSERT_TRUE(shipped.size() == 24 && other.size() == 24);
    for (std::size_t i = 0; i < 21; i++)
    {
        EXPECT_EQ(shipped[i + 2].substr(shipped[i + 2].find(": ") + 2), intended[i]) << shipped[i + 2];
        EXPECT_NE(other[i + 2], shipped[i + 2]);
    }
    EXPECT_FLOAT_EQ(config.getFontScale(), 1.5f);
    // And the file holds no entry the engine would drop unnoticed.
    std::istringstream entries(config.getConfigText());
    int count = 0;
    for (std::string entry; std::getline(entries, entry, ','); count++)
        EXPECT_NE(("," + OTHER).find("," + entry.substr(0, entry.find(':')) + ":"), std::string::npos) << entry;
    EXPECT_EQ(count, 22);
}
