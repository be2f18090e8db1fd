#include "Config.h"
#include "LogManager.h"
#include "attribute_text.h"
#include "test_support.h"

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <functional>
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

void expectDefaults(const qv::Config &config)
{
    EXPECT_EQ(config.getWindowHorizontalPixels(), 1024);
    EXPECT_EQ(config.getWindowVerticalPixels(), 768);
    EXPECT_EQ(config.getWindowHorizontalChars(), 80);
    EXPECT_EQ(config.getWindowVerticalChars(), 24);
    EXPECT_EQ(config.getWindowStyle(), 5);
    EXPECT_EQ(config.getWindowBackgroundColor(), 0);
    EXPECT_EQ(config.getFrameTime(), 33);
    EXPECT_FLOAT_EQ(config.getFontScale(), 2.0f);
    EXPECT_EQ(config.getWindowTitle(), "Quorvex");
    EXPECT_FALSE(config.getShowMouse());
    EXPECT_FALSE(config.getHeadless());
    EXPECT_EQ(config.getFontFile(), "qv-font.ttf");
    EXPECT_EQ(config.getLogFile(), "quorvex.log");
    EXPECT_EQ(config.getRandomSeed(), 0);
    EXPECT_FALSE(config.getNetworking());
    EXPECT_EQ(config.getGridWidth(), 20);
    EXPECT_EQ(config.getGridHeight(), 8);
    EXPECT_EQ(config.getQuadtreeDepth(), 10);
    EXPECT_EQ(config.getQuadtreeThreshold(), 1);
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
        expectDefaults(qv::Config::getInstance());
    }
}

TEST_F(ConfigTest, CannotOpenLineIsLeveledAndFilteredByDefault)
{
    setenv("QUORVEX_CONFIG", (dir + "/missing.txt").c_str(), 1);
    testing::internal::CaptureStderr();
    qv::Config::getInstance().loadConfig("");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    expectDefaults(qv::Config::getInstance());
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
        {"empty file", "", ""},
    };
    for (const Case &c : cases)
    {
        writeConfig(c.file);
        EXPECT_EQ(qv::Config::getInstance().readConfig(), c.joined) << c.name;
    }
}

TEST_F(ConfigTest, ValuesAreConvertedAsTheirKindsSay)
{
    qv::Config &config = qv::Config::getInstance();
    struct Case
    {
        std::string text;
        std::function<void()> check;
        std::string message; // expected on standard error, or ""
    };
    const std::vector<Case> cases = {
        // Lines without a trailing comma run into each other.
        {"frame_time:20headless:true",
         [&]
         {
             EXPECT_EQ(config.getFrameTime(), 20);
             EXPECT_FALSE(config.getHeadless());
         },
         ""},
        {"window_title:My Game,", [&] { EXPECT_EQ(config.getWindowTitle(), "MyGame"); }, ""},
        {" #note,frame_time:22,", [&] { EXPECT_EQ(config.getFrameTime(), 22); }, ""},
        {"show_mouse:True,", [&] { EXPECT_FALSE(config.getShowMouse()); }, ""},
        {"show_mouse:true,headless:true,networking:true,",
         [&]
         {
             EXPECT_TRUE(config.getShowMouse());
             EXPECT_TRUE(config.getHeadless());
             EXPECT_TRUE(config.getNetworking());
         },
         ""},
        {"window_background_color:yellow,", [&] { EXPECT_EQ(config.getWindowBackgroundColor(), 3); }, ""},
        {"window_background_color:Yellow,", [&] { EXPECT_EQ(config.getWindowBackgroundColor(), 0); },
         "loadConfig(): Unsupported window color 'Yellow'"},
        {"window_style:fullscreen,", [&] { EXPECT_EQ(config.getWindowStyle(), 8); }, ""},
        {"window_style:Fullscreen,", [&] { EXPECT_EQ(config.getWindowStyle(), 5); },
         "loadConfig(): Unsupported window style 'Fullscreen'"},
        {"frame_time:,", [&] { EXPECT_EQ(config.getFrameTime(), 33); }, ""},
        {"frame_time,", [&] { EXPECT_EQ(config.getFrameTime(), 33); }, ""},
        {"frame_time:12abc,", [&] { EXPECT_EQ(config.getFrameTime(), 12); }, ""},
        {"frame_time:abc,", [&] { EXPECT_EQ(config.getFrameTime(), 0); }, ""},
        {"frame_time:-5,random_seed:+7,",
         [&]
         {
             EXPECT_EQ(config.getFrameTime(), -5);
             EXPECT_EQ(config.getRandomSeed(), 7);
         },
         ""},
        {"frame_time:0x1A,", [&] { EXPECT_EQ(config.getFrameTime(), 0); }, ""},
        {"frame_time:99999999999,random_seed:-99999999999,",
         [&]
         {
             EXPECT_EQ(config.getFrameTime(), INT_MAX);
             EXPECT_EQ(config.getRandomSeed(), INT_MIN);
         },
         ""},
        {"font_scale:1.5,", [&] { EXPECT_FLOAT_EQ(config.getFontScale(), 1.5f); }, ""},
        {"font_scale:big,", [&] { EXPECT_FLOAT_EQ(config.getFontScale(), 0.0f); }, ""},
        {"frame_time:10,frame_time:20,", [&] { EXPECT_EQ(config.getFrameTime(), 10); }, ""},
        {"speed:5,frame_time:12,colour:red,", [&] { EXPECT_EQ(config.getFrameTime(), 12); }, ""},
        {"window_horizontal_pixels:640,window_vertical_pixels:480,window_horizontal_chars:100,"
         "window_vertical_chars:30,font_file:other.ttf,logfile:other.log,random_seed:-1,grid_width:3,"
         "grid_height:4,quadtree_depth:5,quadtree_threshold:6,window_title:Dungeon,",
         [&]
         {
             EXPECT_EQ(config.getWindowHorizontalPixels(), 640);
             EXPECT_EQ(config.getWindowVerticalPixels(), 480);
             EXPECT_EQ(config.getWindowHorizontalChars(), 100);
             EXPECT_EQ(config.getWindowVerticalChars(), 30);
             EXPECT_EQ(config.getFontFile(), "other.ttf");
             EXPECT_EQ(config.getLogFile(), "other.log");
             EXPECT_EQ(config.getRandomSeed(), -1);
             EXPECT_EQ(config.getGridWidth(), 3);
             EXPECT_EQ(config.getGridHeight(), 4);
             EXPECT_EQ(config.getQuadtreeDepth(), 5);
             EXPECT_EQ(config.getQuadtreeThreshold(), 6);
             EXPECT_EQ(config.getWindowTitle(), "Dungeon");
         },
         ""},
        {"", [&] { EXPECT_EQ(config.getFrameTime(), 33); }, ""},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.text);
        config.loadConfig(DEFAULTS);
        const std::string err = loadFile(config_path, c.text);
        c.check();
        if (c.message.empty())
            EXPECT_EQ(err, "");
        else
            EXPECT_NE(err.find(" " + c.message + "\n"), std::string::npos) << err;
    }
}

TEST_F(ConfigTest, EveryColorNameSelectsItsNumber)
{
    const char *const names[] = {"black", "red", "green", "yellow", "blue", "magenta", "cyan", "white"};
    for (int i = 7; i >= 0; i--)
    {
        qv::Config::getInstance().loadConfig(std::string("window_background_color:") + names[i] + ",");
        EXPECT_EQ(qv::Config::getInstance().getWindowBackgroundColor(), i) << names[i];
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
    expectDefaults(qv::Config::getInstance());
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
    EXPECT_EQ(logMessages(), (std::vector<std::string>{
                                 dashes,
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
                                 dashes,
                             }));
    config.loadConfig("window_style:default,");
    config.logConfig();
    EXPECT_EQ(logCount("  Window style: default"), 1);
}
