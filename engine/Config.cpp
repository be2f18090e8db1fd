#include "Config.h"

#include "LogManager.h"
#include "attribute_text.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>

namespace qv
{

namespace
{

const char *const DEFAULT_CONFIG_FILE = "qv-config.txt";

const char *const COLOR_NAMES[] = {"black", "red", "green", "yellow", "blue", "magenta", "cyan", "white"};

// Reads one line, however long, without its newline; false at the end of the file.
bool readLine(std::FILE *p_f, std::string &line)
{
    line.clear();
    char chunk[4096];
    while (std::fgets(chunk, sizeof(chunk), p_f))
    {
        // A NUL byte in the chunk hides what follows it from strlen; the rest of the chunk is lost,
        // as it would be for any C string reader.
        line += chunk;
        if (!line.empty() && line.back() == '\n')
        {
            line.pop_back();
            return true;
        }
    }
    return !line.empty();
}

void readInt(const std::string &value, int &field)
{
    if (!value.empty())
        field = textToInt(value);
}

void readBool(const std::string &value, bool &field)
{
    if (!value.empty())
        field = value == "true";
}

void readText(const std::string &value, std::string &field)
{
    if (!value.empty())
        field = value;
}

const char *boolText(bool value)
{
    return value ? "true" : "false";
}

} // namespace

Config &Config::getInstance()
{
    static Config config;
    return config;
}

std::string Config::readConfig()
{
    const char *env = std::getenv("QUORVEX_CONFIG");
    const std::string file_name = env ? env : DEFAULT_CONFIG_FILE;
    std::FILE *p_f = std::fopen(file_name.c_str(), "r");
    struct stat info;
    // A folder opens for reading on this platform but reads as an error: treat it as unreadable.
    if (p_f && (fstat(fileno(p_f), &info) != 0 || S_ISDIR(info.st_mode)))
    {
        std::fclose(p_f);
        p_f = nullptr;
    }
    if (!p_f)
    {
        LogManager::getInstance().writeLog(1, "Config::readConfig(): Cannot open Quorvex configuration file '%s'.",
                                           file_name.c_str());
        return "";
    }
    std::string result;
    std::string line;
    while (readLine(p_f, line))
    {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line[0] != '#')
            result += line;
    }
    std::fclose(p_f);
    return result;
}

void Config::loadConfig(std::string config)
{
    if (config.empty())
        config = readConfig();
    config_text = config;
    // An empty text would make the lookups below read whatever the parser last saw elsewhere.
    if (config_text.empty())
        return;

    // Parse once, then look each key up in the parsed table.
    readInt(match(config_text, "frame_time"), frame_time);
    const std::string scale = match("", "font_scale");
    if (!scale.empty())
        font_scale = textToFloat(scale);
    readInt(match("", "window_horizontal_pixels"), window_horizontal_pixels);
    readInt(match("", "window_vertical_pixels"), window_vertical_pixels);
    readInt(match("", "window_horizontal_chars"), window_horizontal_chars);
    readInt(match("", "window_vertical_chars"), window_vertical_chars);

    const std::string color = match("", "window_background_color");
    if (!color.empty())
    {
        bool known = false;
        for (int i = 0; i < 8; i++)
        {
            if (color == COLOR_NAMES[i])
            {
                window_background_color = i;
                known = true;
            }
        }
        if (!known)
            LogManager::getInstance().writeLog("loadConfig(): Unsupported window color '%s'", color.c_str());
    }

    const std::string style = match("", "window_style");
    if (style == "fullscreen")
        window_style = 8;
    else if (style == "default")
        window_style = 5;
    else if (!style.empty())
        LogManager::getInstance().writeLog("loadConfig(): Unsupported window style '%s'", style.c_str());

    readText(match("", "window_title"), window_title);
    readBool(match("", "show_mouse"), show_mouse);
    readBool(match("", "headless"), headless);
    readText(match("", "font_file"), font_file);
    readText(match("", "logfile"), logfile);
    readInt(match("", "random_seed"), random_seed);
    readBool(match("", "networking"), networking);
    readInt(match("", "grid_width"), grid_width);
    readInt(match("", "grid_height"), grid_height);
    readInt(match("", "quadtree_depth"), quadtree_depth);
    readInt(match("", "quadtree_threshold"), quadtree_threshold);
    readBool(match("", "show_frame_time"), show_frame_time);
    readText(match("", "network_port"), network_port);
    readInt(match("", "max_message_size"), max_message_size);
}

void Config::logConfig() const
{
    LogManager &log = LogManager::getInstance();
    log.writeLog(1, "-----------------------------------");
    log.writeLog(1, "Quorvex configuration:");
    log.writeLog(1, "  Window horizontal pixels: %d", window_horizontal_pixels);
    log.writeLog(1, "  Window vertical pixels: %d", window_vertical_pixels);
    log.writeLog(1, "  Window horizontal characters: %d", window_horizontal_chars);
    log.writeLog(1, "  Window vertical characters: %d", window_vertical_chars);
    log.writeLog(1, "  Window background color: %d", window_background_color);
    log.writeLog(1, "  Frame time: %d", frame_time);
    log.writeLog(1, "  Window style: %s", window_style == 5 ? "default" : "fullscreen");
    log.writeLog(1, "  Window title: %s", window_title.c_str());
    log.writeLog(1, "  Show mouse: %s", boolText(show_mouse));
    log.writeLog(1, "  Headless: %s", boolText(headless));
    log.writeLog(1, "  Font file: %s", font_file.c_str());
    log.writeLog(1, "  Log file: %s", logfile.c_str());
    log.writeLog(1, "  Random seed: %d", random_seed);
    log.writeLog(1, "  Networking: %s", boolText(networking));
    log.writeLog(1, "  Grid width: %d", grid_width);
    log.writeLog(1, "  Grid height: %d", grid_height);
    log.writeLog(1, "  Quadtree threshold: %d", quadtree_threshold);
    log.writeLog(1, "  Quadtree depth: %d", quadtree_depth);
    log.writeLog(1, "  Show frame time: %s", boolText(show_frame_time));
    log.writeLog(1, "  Network port: %s", network_port.c_str());
    log.writeLog(1, "  Max message size: %d", max_message_size);
    log.writeLog(1, "-----------------------------------");
}

int Config::getWindowHorizontalPixels() const
{
    return window_horizontal_pixels;
}

int Config::getWindowVerticalPixels() const
{
    return window_vertical_pixels;
}

int Config::getWindowHorizontalChars() const
{
    return window_horizontal_chars;
}

int Config::getWindowVerticalChars() const
{
    return window_vertical_chars;
}

int Config::getWindowStyle() const
{
    return window_style;
}

int Config::getWindowBackgroundColor() const
{
    return window_background_color;
}

int Config::getFrameTime() const
{
    return frame_time;
}

float Config::getFontScale() const
{
    return font_scale;
}

std::string Config::getWindowTitle() const
{
    return window_title;
}

bool Config::getShowMouse() const
{
    return show_mouse;
}

bool Config::getHeadless() const
{
    return headless;
}

std::string Config::getFontFile() const
{
    return font_file;
}

std::string Config::getLogFile() const
{
    return logfile;
}

int Config::getRandomSeed() const
{
    return random_seed;
}

bool Config::getNetworking() const
{
    return networking;
}

int Config::getGridWidth() const
{
    return grid_width;
}

int Config::getGridHeight() const
{
    return grid_height;
}

int Config::getQuadtreeDepth() const
{
    return quadtree_depth;
}

int Config::getQuadtreeThreshold() const
{
    return quadtree_threshold;
}

bool Config::getShowFrameTime() const
{
    return show_frame_time;
}

std::string Config::getNetworkPort() const
{
    return network_port;
}

int Config::getMaxMessageSize() const
{
    return max_message_size;
}

std::string Config::getConfigText() const
{
    return config_text;
}

std::string Config::getSettingsText() const
{
    char scale[32];
    // Nine significant digits bring every float back unchanged.
    std::snprintf(scale, sizeof(scale), "%.9g", static_cast<double>(font_scale));
    const auto item = [](const char *key, const std::string &value) { return std::string(key) + ":" + value + ","; };
    const auto number = [](int value) { return std::to_string(value); };
    const std::string color = window_background_color >= 0 && window_background_color < 8
                                  ? COLOR_NAMES[window_background_color]
                                  : number(window_background_color);
    return item("frame_time", number(frame_time)) + item("font_scale", scale) +
           item("window_horizontal_pixels", number(window_horizontal_pixels)) +
           item("window_vertical_pixels", number(window_vertical_pixels)) +
           item("window_horizontal_chars", number(window_horizontal_chars)) +
           item("window_vertical_chars", number(window_vertical_chars)) + item("window_background_color", color) +
           item("window_style", window_style == 8 ? "fullscreen" : "default") + item("window_title", window_title) +
           item("show_mouse", boolText(show_mouse)) + item("headless", boolText(headless)) +
           item("font_file", font_file) + item("logfile", logfile) + item("random_seed", number(random_seed)) +
           item("networking", boolText(networking)) + item("grid_width", number(grid_width)) +
           item("grid_height", number(grid_height)) + item("quadtree_depth", number(quadtree_depth)) +
           item("quadtree_threshold", number(quadtree_threshold)) + item("show_frame_time", boolText(show_frame_time)) +
           item("network_port", network_port) + item("max_message_size", number(max_message_size));
}

} // namespace qv
