#pragma once

#include <string>

namespace qv
{

/// The port a server listens on and a client connects to when the configuration names none.
const char *const DEFAULT_PORT = "9876";

/// The engine's settings, read once from the configuration file when the game manager starts.
/// The file is `QUORVEX_CONFIG` when that variable is set, else "qv-config.txt". It holds attribute
/// text ("key:value," items) over any number of lines; lines starting with '#' are comments, and
/// every line must end with ',' for the next one to start a new item. Every setting has a default,
/// and a missing key or an empty value keeps it.
class Config
{
public:
    /// The one configuration, created on first use with every default.
    static Config &getInstance();
    /// Not copyable: there is one configuration.
    Config(const Config &) = delete;
    /// Not assignable, for the same reason.
    Config &operator=(const Config &) = delete;

    /// The configuration file's lines, comments and line ends dropped, joined; "" when it cannot be read.
    std::string readConfig();
    /// Reads every setting from `config`, or from the configuration file when `config` is empty;
    /// settings without a usable value keep theirs.
    void loadConfig(std::string config);
    /// Writes every setting but the font scale to the log.
    void logConfig() const;

    /// Window width, pixels.
    int getWindowHorizontalPixels() const;
    /// Window height, pixels.
    int getWindowVerticalPixels() const;
    /// Window width, character cells.
    int getWindowHorizontalChars() const;
    /// Window height, character cells.
    int getWindowVerticalChars() const;
    /// Window style bits: 5 for title bar and close button, 8 for full screen.
    int getWindowStyle() const;
    /// Background colour, a `Color` value.
    int getWindowBackgroundColor() const;
    /// Target time of one loop pass, ms.
    int getFrameTime() const;
    /// Character size factor of the display.
    float getFontScale() const;
    /// Window title.
    std::string getWindowTitle() const;
    /// Show the mouse pointer in the window?
    bool getShowMouse() const;
    /// Run without window and input?
    bool getHeadless() const;
    /// Font file.
    std::string getFontFile() const;
    /// Log file, used unless `QUORVEX_LOG` is set.
    std::string getLogFile() const;
    /// Random seed: 0 seeds from the time, -1 leaves the generator alone.
    int getRandomSeed() const;
    /// Start the network manager and poll it every pass?
    bool getNetworking() const;
    /// Width of one bucket of the scene graph's spatial grid, cells; 0 or less turns the grid off.
    int getGridWidth() const;
    /// Height of one bucket of the spatial grid, cells; 0 or less turns the grid off.
    int getGridHeight() const;
    /// Quadtree depth, kept and shown only.
    int getQuadtreeDepth() const;
    /// Quadtree threshold, kept and shown only.
    int getQuadtreeThreshold() const;
    /// Show the pass-time readout and log its summary at shut-down?
    bool getShowFrameTime() const;
    /// Port the network manager listens on or connects to.
    std::string getNetworkPort() const;
    /// Largest network message accepted, length field included, bytes.
    int getMaxMessageSize() const;
    /// The configuration text last loaded.
    std::string getConfigText() const;
    /// Every setting in effect as configuration text, one "key:value," item each, that
    /// `loadConfig` turns back into the same settings.
    std::string getSettingsText() const;

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
    int grid_width = 20;                   // spatial grid bucket width, cells
    int grid_height = 8;                   // spatial grid bucket height, cells
    bool show_frame_time = false;          // pass-time readout in the window and summary in the log

    std::string network_port = DEFAULT_PORT; // port to listen on or connect to
    int max_message_size = 1024 * 1024;      // largest network message, length field included, bytes
};

} // namespace qv
