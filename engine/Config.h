#pragma once

#include <string>

namespace qv
{

/// The engine's settings, read once from the configuration file when the game manager starts.
/// The file is `QUORVEX_CONFIG` when that variable is set, else "qv-config.txt". It holds attribute
/// text ("key:value," items) over any number of lines; lines starting with '#' are comments, and
/// every line must end with ',' for the next one to start a new item. Every setting has a default,
/// and a missing key or an empty value keeps it.
class Config
{
public:
    static Config &getInstance();
    Config(const Config &) = delete;
    Config &operator=(const Config &) = delete;

    /// The joined text of the configuration file, or "" when it cannot be read.
    std::string readConfig();
    /// Reads every setting from `config`, or from the configuration file when `config` is empty.
    void loadConfig(std::string config);
    /// Writes every setting but the font scale to the log.
    void logConfig() const;

    int getWindowHorizontalPixels() const;
    int getWindowVerticalPixels() const;
    int getWindowHorizontalChars() const;
    int getWindowVerticalChars() const;
    int getWindowStyle() const;
    int getWindowBackgroundColor() const;
    int getFrameTime() const;
    float getFontScale() const;
    std::string getWindowTitle() const;
    bool getShowMouse() const;
    bool getHeadless() const;
    std::string getFontFile() const;
    std::string getLogFile() const;
    int getRandomSeed() const;
    bool getNetworking() const;
    int getGridWidth() const;
    int getGridHeight() const;
    int getQuadtreeDepth() const;
    int getQuadtreeThreshold() const;
    /// The configuration text last loaded.
    std::string getConfigText() const;

private:
    Config() = default;

    std::string config_text;               // text last loaded
    int window_horizontal_pixels = 1024;   // window width, pixels
    int window_vertical_pixels = 768;      // window height, pixels
    int window_horizontal_chars = 80;      // window width, cells
    int window_vertical_chars = 24;        // window height, cells
    int window_style = 5;                  // window style bits: 5 default, 8 full screen
    int window_background_color = 0;       // a Color, 0 is black
    int frame_time = 33;                   // target time of one loop pass, ms
    float font_scale = 2.0f;               // character size factor
    std::string window_title = "Quorvex";  // window title
    bool show_mouse = false;               // show the pointer in the window
    bool headless = false;                 // run without window and input
    std::string font_file = "qv-font.ttf"; // font file
    std::string logfile = "quorvex.log";   // log file, unless QUORVEX_LOG is set
    int random_seed = 0;                   // 0: seed from the time, -1: do not seed
    bool networking = false;               // start the network manager and poll it
    int quadtree_threshold = 1;            // kept and shown only
    int quadtree_depth = 10;               // kept and shown only
    int grid_width = 20;                   // kept and shown only
    int grid_height = 8;                   // kept and shown only
};

} // namespace qv
