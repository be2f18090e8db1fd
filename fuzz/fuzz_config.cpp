// Feeds arbitrary bytes to the configuration reader as the configuration file. Besides the
// sanitizers' findings, it checks that
// - the text read from the file is no longer than the file and holds no line end;
// - every text setting is either its earlier value or made of the file's characters in order;
// - the settings written back as a configuration and read again are the same settings, and
//   writing them again gives the same text.

#include "Config.h"
#include "LogManager.h"
#include "fuzz_support.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <unistd.h>

namespace
{

std::string config_path; // the file the reader reads

const char *const COLOR_NAMES[] = {"black", "red", "green", "yellow", "blue", "magenta", "cyan", "white"};

// Every setting as a configuration file states it, one item a line.
std::string written(const qv::Config &config)
{
    char scale[64];
    std::snprintf(scale, sizeof(scale), "%.9g", static_cast<double>(config.getFontScale()));
    const int color = config.getWindowBackgroundColor();
    check(color >= 0 && color < 8, "background colour out of range");
    check(config.getWindowStyle() == 5 || config.getWindowStyle() == 8, "window style out of range");
    const auto number = [](int value) { return std::to_string(value); };
    const auto truth = [](bool value) { return std::string(value ? "true" : "false"); };
    return "window_horizontal_pixels:" + number(config.getWindowHorizontalPixels()) + ",\n" +
           "window_vertical_pixels:" + number(config.getWindowVerticalPixels()) + ",\n" +
           "window_horizontal_chars:" + number(config.getWindowHorizontalChars()) + ",\n" +
           "window_vertical_chars:" + number(config.getWindowVerticalChars()) + ",\n" +
           "window_style:" + (config.getWindowStyle() == 8 ? "fullscreen" : "default") + ",\n" +
           "window_background_color:" + COLOR_NAMES[color] + ",\n" + "frame_time:" + number(config.getFrameTime()) +
           ",\n" + "font_scale:" + scale + ",\n" + "window_title:" + config.getWindowTitle() + ",\n" +
           "show_mouse:" + truth(config.getShowMouse()) + ",\n" + "headless:" + truth(config.getHeadless()) + ",\n" +
           "font_file:" + config.getFontFile() + ",\n" + "logfile:" + config.getLogFile() + ",\n" +
           "random_seed:" + number(config.getRandomSeed()) + ",\n" + "networking:" + truth(config.getNetworking()) +
           ",\n" + "grid_width:" + number(config.getGridWidth()) + ",\n" +
           "grid_height:" + number(config.getGridHeight()) + ",\n" +
           "quadtree_depth:" + number(config.getQuadtreeDepth()) + ",\n" +
           "quadtree_threshold:" + number(config.getQuadtreeThreshold()) + ",\n" +
           "show_frame_time:" + truth(config.getShowFrameTime()) + ",\n" + "network_port:" + config.getNetworkPort() +
           ",\n" + "max_message_size:" + number(config.getMaxMessageSize()) + ",\n";
}

// A text setting stays what it was, or is made of the file's characters in the file's order,
// with nothing that would end an item or that the reader drops.
void checkText(const std::string &value, const std::string &before, const std::string &input, const char *what)
{
    if (value == before)
        return;
    check(!value.empty() && value.find_first_of(std::string(",: \t\r\n\v\f\0", 9)) == std::string::npos, what);
    std::size_t at = 0;
    for (const char c : value)
    {
        at = input.find(c, at);
        check(at != std::string::npos, what);
        at++;
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    config_path = "/tmp/qv-fuzz-config-" + std::to_string(getpid()) + ".txt";
    setenv("QUORVEX_CONFIG", config_path.c_str(), 1);
    setenv("QUORVEX_LOG", "/dev/null", 1);
    qv::LogManager::getInstance().startUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char *>(data), size);
    qv::Config &config = qv::Config::getInstance();
    writeText(config_path, input);

    const std::string read = config.readConfig();
    check(read.size() <= input.size(), "read text longer than the file");
    check(read.find('\n') == std::string::npos, "read text holds a line end");

    const std::string title = config.getWindowTitle(), font = config.getFontFile(), log = config.getLogFile(),
                      port = config.getNetworkPort();
    config.loadConfig("");
    check(config.getConfigText() == read, "loaded text differs from the text read");
    checkText(config.getWindowTitle(), title, input, "window title is not from the file");
    checkText(config.getFontFile(), font, input, "font file is not from the file");
    checkText(config.getLogFile(), log, input, "log file is not from the file");
    checkText(config.getNetworkPort(), port, input, "network port is not from the file");
    const float scale = config.getFontScale();

    const std::string first = written(config);
    writeText(config_path, first);
    config.loadConfig("");
    const float scale_again = config.getFontScale();
    check(std::memcmp(&scale, &scale_again, sizeof(float)) == 0 || (std::isnan(scale) && std::isnan(scale_again)),
          "font scale does not come back");
    const std::string second = written(config);
    if (first != second)
    {
        std::fprintf(stderr, "first:\n%s\nsecond:\n%s\n", first.c_str(), second.c_str());
        check(false, "settings written back read differently");
    }
    std::remove(config_path.c_str());
    return 0;
}
