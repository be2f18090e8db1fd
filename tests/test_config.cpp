#include "Config.h"
#include "LogManager.h"
#include "attribute_text.h"
#include "test_support.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{

// Every setting back to its default, through the same path a file takes.
const char *const DEFAULTS = "window_horizontal_pixels:1024,window_vertical_pixels:768,window_horizontal_chars:80,"
                             "window_vertical_chars:24,window_style:default,window_background_color:black,"
                             "frame_time:33,font_scale:2.0,window_title:Quorvex,show_mouse:false,headless:false,"
                             "font_file:qv-font.ttf,logfile:quorvex.log,random_seed:0,networking:false,"
                             "quadtree_threshold:1,quadtree_depth:10,grid_width:20,grid_height:8,";

const std::vector<std::string> KEYS = {"window_horizontal_pixels",
                                       "window_vertical_pixels",
                                       "window_horizontal_chars",
                                       "window_vertical_chars",
                                       "window_style",
                                       "window_background_color",
                                       "frame_time",
                                       "font_scale",
                                       "window_title",
                                       "show_mouse",
                                       "headless",
                                       "font_file",
                                       "logfile",
                                       "random_seed",
                                       "networking",
                                       "grid_width",
                                       "grid_height",
                                       "quadtree_depth",
                                       "quadtree_threshold"};

const std::vector<std::string> DEFAULT_SETTINGS = {
    "1024",  "768",         "80",          "24", "5",     "0",  "33", "2",  "Quorvex", "false",
    "false", "qv-font.ttf", "quorvex.log", "0",  "false", "20", "8",  "10", "1"};

// Every setting as text, in the order of KEYS.
std::vector<std::string> settings()
{
    const qv::Config &c = qv::Config::getInstance();
    return {qv::toString(c.getWindowHorizontalPixels()),
            qv::toString(c.getWindowVerticalPixels()),
            qv::toString(c.getWindowHorizontalChars()),
            qv::toString(c.getWindowVerticalChars()),
            qv::toString(c.getWindowStyle()),
            qv::toString(c.getWindowBackgroundColor()),
            qv::toString(c.getFrameTime()),
            qv::toString(c.getFontScale()),
            c.getWindowTitle(),
            qv::toString(c.getShowMouse()),
            qv::toString(c.getHeadless()),
            c.getFontFile(),
            c.getLogFile(),
            qv::toString(c.getRandomSeed()),
            qv::toString(c.getNetworking()),
            qv::toString(c.getGridWidth()),
            qv::toString(c.getGridHeight()),
            qv::toString(c.getQuadtreeDepth()),
            qv::toString(c.getQuadtreeThreshold())};
}

std::string setting(const std::string &key)
{
    const auto at = std::find(KEYS.begin(), KEYS.end(), key);
    return at == KEYS.end() ? "(no such key)" : settings()[at - KEYS.begin()];
}

// Loads the file `text` is written to, returning what went to standard error meanwhile.
std::string loadFile(const std::string &path, const std::string &text)
{
    {
        std::FILE *p_f = std::fopen(path.c_str(), "wb");
        std::fwrite(text.data(), 1, text.size(), p_f);
        std::fclose(p_f);
    }
    testing::internal::CaptureStderr();
    qv::Config::getInstance().loadConfig("");
    return testing::internal::GetCapturedStderr();
}

} // namespace

class ConfigTest : public EngineTest
{
};

TEST_F(ConfigTest, MissingOrUnreadableFileLeavesEveryDefault)
{
    qv::LogManager::getInstance().setLogLevel(1);
    const std::string paths[] = {dir + "/missing.txt", dir, dir + "/no-such-folder/qv-config.txt"};
    for (const std::string &path : paths)
    {
        setenv("QUORVEX_CONFIG", path.c_str(), 1);
        testing::internal::CaptureStderr();
        qv::Config::getInstance().loadConfig("");
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find(" Config::readConfig(): Cannot open Quorvex configuration file '" + path + "'.\n"),
                  std::string::npos)
            << err;
        EXPECT_EQ(settings(), DEFAULT_SETTINGS);
    }
}

TEST_F(ConfigTest, CannotOpenLineIsLeveledAndFilteredByDefault)
{
    setenv("QUORVEX_CONFIG", (dir + "/missing.txt").c_str(), 1);
    testing::internal::CaptureStderr();
    qv::Config::getInstance().loadConfig("");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(settings(), DEFAULT_SETTINGS);
}

TEST_F(ConfigTest, WithoutTheVariableReadsQvConfigInTheWorkingFolder)
{
    unsetenv("QUORVEX_CONFIG");
    const std::string old_dir = std::filesystem::current_path();
    ASSERT_EQ(chdir(dir.c_str()), 0);
    writeFile("qv-config.txt", "frame_time:44,\n");
    qv::Config::getInstance().loadConfig("");
    EXPECT_EQ(qv::Config::getInstance().getFrameTime(), 44);

    std::filesystem::create_directory(dir + "/empty");
    ASSERT_EQ(chdir((dir + "/empty").c_str()), 0);
    qv::LogManager::getInstance().setLogLevel(1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(qv::Config::getInstance().readConfig(), "");
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Cannot open Quorvex configuration file 'qv-config.txt'."), std::string::npos) << err;
    ASSERT_EQ(chdir(old_dir.c_str()), 0);
}

TEST_F(ConfigTest, FileLinesAreJoinedWithoutCommentsAndLineEnds)
{
    struct Case
    {
        const char *name;
        std::string file;
        std::string joined;
    };
    const Case cases[] = {
        {"comments and empty lines", "# a comment\n\nframe_time:20,\n#headless:true,\n\n", "frame_time:20,"},
        {"carriage returns", "frame_time:21,\r\nheadless:true,\r\n", "frame_time:21,headless:true,"},
        {"one carriage return only", "window_title:a\r\r\n", "window_title:a\r"},
        {"indented hash is no comment", " #note,frame_time:22,\n", " #note,frame_time:22,"},
        {"last line without newline", "frame_time:23,\nheadless:true,", "frame_time:23,headless:true,"},
        {"empty file", "", ""}};
    for (const Case &c : cases)
    {
        writeConfig(c.file);
        EXPECT_EQ(qv::Config::getInstance().readConfig(), c.joined) << c.name;
    }
}

TEST_F(ConfigTest, ValuesAreConvertedAsTheirKindsSay)
{
    struct Case
    {
        const char *text;
        const char *key;
        const char *value;
        const char *message; // expected on standard error, or ""
    };
    const Case cases[] = {
        // Lines without a trailing comma run into each other.
        {"frame_time:20\nheadless:true\n", "frame_time", "20", ""},
        {"frame_time:20\nheadless:true\n", "headless", "false", ""},
        {"window_title:My Game,", "window_title", "MyGame", ""},
        {" #note,frame_time:22,", "frame_time", "22", ""},
        {"#note,frame_time:22,", "frame_time", "33", ""},
        {"show_mouse:True,", "show_mouse", "false", ""},
        {"show_mouse:true,", "show_mouse", "true", ""},
        {"headless:true,", "headless", "true", ""},
        {"networking:true,", "networking", "true", ""},
        {"window_background_color:yellow,", "window_background_color", "3", ""},
        {"window_background_color:Yellow,", "window_background_color", "0",
         "loadConfig(): Unsupported window color 'Yellow'"},
        {"window_style:fullscreen,", "window_style", "8", ""},
        {"window_style:Fullscreen,", "window_style", "5", "loadConfig(): Unsupported window style 'Fullscreen'"},
        {"frame_time:,", "frame_time", "33", ""},
        {"frame_time,", "frame_time", "33", ""},
        {"frame_time:12abc,", "frame_time", "12", ""},
        {"frame_time:abc,", "frame_time", "0", ""},
        {"frame_time:-5,", "frame_time", "-5", ""},
        {"random_seed:+7,", "random_seed", "7", ""},
        {"frame_time:0x1A,", "frame_time", "0", ""},
        {"frame_time:99999999999,", "frame_time", "2147483647", ""},
        {"random_seed:-99999999999,", "random_seed", "-2147483648", ""},
        {"font_scale:1.5,", "font_scale", "1.5", ""},
        {"font_scale:big,", "font_scale", "0", ""},
        {"frame_time:10,frame_time:20,", "frame_time", "10", ""},
        {"speed:5,frame_time:12,colour:red,", "frame_time", "12", ""},
        {"", "frame_time", "33", ""}};
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.text);
        qv::Config::getInstance().loadConfig(DEFAULTS);
        const std::string err = loadFile(config_path, c.text);
        EXPECT_EQ(setting(c.key), c.value);
        if (*c.message == '\0')
            EXPECT_EQ(err, "");
        else
            EXPECT_NE(err.find(std::string(" ") + c.message + "\n"), std::string::npos) << err;
    }
}

TEST_F(ConfigTest, EveryKeyReachesItsSetting)
{
    loadFile(config_path, "window_horizontal_pixels:640,\nwindow_vertical_pixels:480,\nwindow_horizontal_chars:100,\n"
                          "window_vertical_chars:30,\nwindow_style:fullscreen,\nwindow_background_color:white,\n"
                          "frame_time:16,\nfont_scale:1.25,\nwindow_title:Dungeon,\nshow_mouse:true,\nheadless:true,\n"
                          "font_file:other.ttf,\nlogfile:other.log,\nrandom_seed:-1,\nnetworking:true,\ngrid_width:3,\n"
                          "grid_height:4,\nquadtree_depth:5,\nquadtree_threshold:6,\n");
    const std::vector<std::string> expected = {"640",  "480",     "100",  "30",   "8",         "7",         "16",
                                               "1.25", "Dungeon", "true", "true", "other.ttf", "other.log", "-1",
                                               "true", "3",       "4",    "5",    "6"};
    EXPECT_EQ(settings(), expected);

    const char *const colors[] = {"black", "red", "green", "yellow", "blue", "magenta", "cyan", "white"};
    for (int i = 0; i < 8; i++)
    {
        qv::Config::getInstance().loadConfig(std::string("window_background_color:") + colors[i] + ",");
        EXPECT_EQ(qv::Config::getInstance().getWindowBackgroundColor(), i) << colors[i];
    }
}

TEST_F(ConfigTest, AnyOtherBooleanTextTurnsASettingOff)
{
    qv::Config &config = qv::Config::getInstance();
    config.loadConfig("networking:true,headless:true,");
    config.loadConfig("networking:yes,headless:1,");
    EXPECT_FALSE(config.getNetworking());
    EXPECT_FALSE(config.getHeadless());
}

TEST_F(ConfigTest, ExplicitTextIsUsedInsteadOfTheFile)
{
    writeConfig("frame_time:50,\n");
    qv::Config &config = qv::Config::getInstance();
    config.loadConfig("frame_time:60,");
    EXPECT_EQ(config.getFrameTime(), 60);
    EXPECT_EQ(config.getConfigText(), "frame_time:60,");
    config.loadConfig("");
    EXPECT_EQ(config.getFrameTime(), 50);
    EXPECT_EQ(config.getConfigText(), "frame_time:50,");
}

TEST_F(ConfigTest, MissingFileIgnoresWhatTheParserLastSaw)
{
    EXPECT_EQ(qv::match("frame_time:99,headless:true,", "frame_time"), "99");
    setenv("QUORVEX_CONFIG", (dir + "/missing.txt").c_str(), 1);
    qv::Config::getInstance().loadConfig("");
    EXPECT_EQ(settings(), DEFAULT_SETTINGS);
}

TEST_F(ConfigTest, StrangeFilesDoNoHarm)
{
    qv::Config &config = qv::Config::getInstance();

    // Junk after a good line: every byte value, NULs, stray colons, commas and line ends.
    std::string binary = "frame_time:9,\n";
    for (int i = 0; i < 4096; i++)
        binary += static_cast<char>((i * 37) % 256);
    loadFile(config_path, binary);
    EXPECT_EQ(config.getFrameTime(), 9);

    config.loadConfig(DEFAULTS);
    const std::string huge(1 << 20, 'x');
    loadFile(config_path, "window_title:" + huge + ",\nframe_time:19,\n");
    EXPECT_EQ(config.getWindowTitle(), huge);
    EXPECT_EQ(config.getFrameTime(), 19);

    loadFile(config_path, std::string(1 << 20, ',') + "\nframe_time:18,\n");
    EXPECT_EQ(config.getFrameTime(), 18);

    loadFile(config_path, std::string(1 << 20, ':') + "\n");
    EXPECT_EQ(config.getFrameTime(), 18);
}

TEST_F(ConfigTest, DumpListsEverySettingButTheFontScale)
{
    qv::Config &config = qv::Config::getInstance();
    config.loadConfig("window_style:fullscreen,window_background_color:cyan,headless:true,random_seed:-1,"
                      "window_title:Deep,font_scale:3,");
    ASSERT_EQ(qv::LogManager::getInstance().startUp(), 0);
    config.logConfig();
    EXPECT_TRUE(logMessages().empty());

    qv::LogManager::getInstance().setLogLevel(1);
    config.logConfig();
    const std::string dashes(35, '-');
    EXPECT_EQ(logMessages(), (std::vector<std::string>{dashes,
                                                       "Quorvex configuration:",
                                                       "  Window horizontal pixels: 1024",
                                                       "  Window vertical pixels: 768",
                                                       "  Window horizontal characters: 80",
                                                       "  Window vertical characters: 24",
                                                       "  Window background color: 6",
                                                       "  Frame time: 33",
                                                       "  Window style: fullscreen",
                                                       "  Window title: Deep",
                                                       "  Show mouse: false",
                                                       "  Headless: true",
                                                       "  Font file: qv-font.ttf",
                                                       "  Log file: quorvex.log",
                                                       "  Random seed: -1",
                                                       "  Networking: false",
                                                       "  Grid width: 20",
                                                       "  Grid height: 8",
                                                       "  Quadtree threshold: 1",
                                                       "  Quadtree depth: 10",
                                                       "  Show frame time: false",
                                                       "  Network port: 9876",
                                                       "  Max message size: 1048576",
                                                       dashes}));
    config.loadConfig("window_style:default,");
    config.logConfig();
    EXPECT_EQ(logCount("  Window style: default"), 1);
}
