#include "DisplayManager.h"

#include "Config.h"
#include "LogManager.h"
#include "Vector.h"
#include "geometry.h"

#include <SFML/Graphics/RectangleShape.hpp>
#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Graphics/Text.hpp>
#include <SFML/Graphics/Texture.hpp>

#include <X11/Xlib.h>
#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <new>
#include <thread>

namespace qv
{

namespace
{

// A character size of a few thousand pixels is already far beyond any window.
const float MAX_CHARACTER_SIZE = 65535.0f;

// Truncates a pixel size to the unsigned integer the text wants; NaN and negative sizes, which
// come from a zero or negative font scale, give 0 instead of an undefined conversion.
unsigned int toCharacterSize(float size)
{
    if (!(size > 0.0f))
        return 0;
    return static_cast<unsigned int>(std::min(size, MAX_CHARACTER_SIZE));
}

// Characters a frame draws at most, per cell of the window: every cell twice, where a game draws
// most cells once. Past the bound the frame's further characters are dropped, so that objects
// piled on the same cells cost no more than this (the rasteriser's time goes with the pixels
// drawn); what is drawn keeps its order. The bound is held within the two limits below, the first
// for small grids, the second for the memory of the frame's queue.
const long long FRAME_CHARACTERS_PER_CELL = 2;
const long long MIN_FRAME_CHARACTERS = 4096;
const long long MAX_FRAME_CHARACTERS = 131072;

// A grid larger than this, or with cells under this many pixels a side, cannot be drawn.
const long long MAX_GRID_CELLS = 65536;
const int MIN_CELL_PIXELS = 2;

// A font texture holds at least this many glyphs side by side and as many rows, so that every
// character value fits: the largest character size is the texture's side divided by it.
const unsigned int GLYPHS_PER_TEXTURE_SIDE = 16;

// Opens a connection to the named X display, trying again for a moment while a resetting server
// refuses it; null when the display stays unreachable.
Display *openDisplay(const char *name)
{
    const int ATTEMPTS = 40;
    const auto PAUSE = std::chrono::milliseconds(50);
    for (int attempt = 1;; attempt++)
    {
        Display *connection = XOpenDisplay(name);
        if (connection || attempt == ATTEMPTS)
            return connection;
        std::this_thread::sleep_for(PAUSE);
    }
}

} // namespace

DisplayManager::DisplayManager()
{
    setType("DisplayManager");
}

DisplayManager::~DisplayManager()
{
    release();
}

void DisplayManager::release()
{
    painter.stop();
    if (window)
        window->close();
    delete window;
    window = nullptr;
    if (display_connection)
        XCloseDisplay(display_connection);
    display_connection = nullptr;
    delete text;
    text = nullptr;
    delete rectangle;
    rectangle = nullptr;
}

DisplayManager &DisplayManager::getInstance()
{
    static DisplayManager display_manager;
    return display_manager;
}

int DisplayManager::startUp()
{
    LogManager &log = LogManager::getInstance();
    if (isStarted())
    {
        log.writeLog("DisplayManager::startUp(): Already started.");
        return 0;
    }
    const Config &config = Config::getInstance();
    horizontal_pixels = config.getWindowHorizontalPixels();
    vertical_pixels = config.getWindowVerticalPixels();
    horizontal_chars = config.getWindowHorizontalChars();
    vertical_chars = config.getWindowVerticalChars();
    frame_text.resize(horizontal_chars, vertical_chars);

    if (config.getHeadless())
    {
        log.writeLog(1, "DisplayManager::startUp(): not doing graphics since in headless mode.");
        Manager::startUp();
        log.writeLog(5, "DisplayManager::startUp(): successfully started.");
        return 0;
    }

    // A zero size would make the cell size infinite or NaN and every drawing position meaningless.
    if (horizontal_pixels <= 0 || vertical_pixels <= 0 || horizontal_chars <= 0 || vertical_chars <= 0)
    {
        log.writeLog("DisplayManager::startUp(): Error! Window of %d x %d pixels and %d x %d characters is not "
                     "drawable.",
                     horizontal_pixels, vertical_pixels, horizontal_chars, vertical_chars);
        log.writeLog("DisplayManager::startUp(): Unable to allocate window!");
        return -1;
    }
    // The window library aborts the whole process when it cannot reach a display.
    const char *display = std::getenv("DISPLAY");
    if (!display || !*display)
    {
        log.writeLog("DisplayManager::startUp(): Error! No display to open a window on (DISPLAY is not set).");
        log.writeLog("DisplayManager::startUp(): Unable to allocate window!");
        return -1;
    }

    // What a failed earlier start left behind is replaced, not leaked.
    release();
    // A server started with its defaults resets when its last client leaves, and refuses the
    // next one for that moment; the window library's own connections come and go during
    // start-up, so one of ours is held from before the first until the window is closed.
    display_connection = openDisplay(display);
    if (!display_connection)
    {
        log.writeLog("DisplayManager::startUp(): Error! Cannot open display '%s'.", display);
        log.writeLog("DisplayManager::startUp(): Unable to allocate window!");
        return -1;
    }
    // The display's size, asked on our own connection: the window must fit it before it is made.
    const int screen = DefaultScreen(display_connection);
    fitWindowToDisplay(static_cast<unsigned int>(DisplayWidth(display_connection, screen)),
                       static_cast<unsigned int>(DisplayHeight(display_connection, screen)));
    if (!gridDrawable())
        return -1;

    const sf::VideoMode mode(static_cast<unsigned int>(horizontal_pixels), static_cast<unsigned int>(vertical_pixels),
                             32);
    window =
        new (std::nothrow) sf::RenderWindow(mode, sf::String(config.getWindowTitle(), std::locale()),
                                            static_cast<sf::Uint32>(config.getWindowStyle()), sf::ContextSettings());
    if (!window || !window->isOpen())
    {
        log.writeLog("DisplayManager::startUp(): Unable to allocate window!");
        return -1;
    }
    // Asked only now: the window's connection keeps the display up across the question.
    const sf::VideoMode desktop = sf::VideoMode::getDesktopMode();
    log.writeLog(5, "DisplayManager::startUp(): window resolution (%d, %d) pixels.", static_cast<int>(desktop.width),
                 static_cast<int>(desktop.height));
    window->setMouseCursorVisible(config.getShowMouse());
    window->setVerticalSyncEnabled(true);

    if (!font.loadFromFile(config.getFontFile()))
    {
        log.writeLog("DisplayManager::startUp(): Unable to load font from file '%s'.", config.getFontFile().c_str());
        return -1;
    }

    rectangle = new (std::nothrow) sf::RectangleShape(sf::Vector2f(charWidth(), charHeight()));
    if (!rectangle)
    {
        log.writeLog("DisplayManager::startUp(): Unable to allocate rectangle.");
        return -1;
    }
    text = new (std::nothrow) sf::Text();
    if (!text)
    {
        log.writeLog("DisplayManager::startUp(): Unable to allocate text.");
        return -1;
    }
    text->setFont(font);
    text->setStyle(sf::Text::Bold);
    const float character_size = config.getFontScale() * std::min(charWidth(), charHeight());
    if (!characterSizeFits(character_size))
        return -1;
    text->setCharacterSize(toCharacterSize(character_size));

    const long long cells = static_cast<long long>(horizontal_chars) * vertical_chars;
    max_frame_characters = std::clamp(FRAME_CHARACTERS_PER_CELL * cells, MIN_FRAME_CHARACTERS, MAX_FRAME_CHARACTERS);
    frame_characters = 0;
    dropped_characters = 0;

    background_color = colorToSFML(static_cast<Color>(config.getWindowBackgroundColor()));
    rectangle->setFillColor(background_color);

    painter.start(*window, font, text->getCharacterSize(), (text->getStyle() & sf::Text::Bold) != 0, background_color,
                  horizontal_chars, vertical_chars);

    Manager::startUp();
    log.writeLog(5, "DisplayManager::startUp(): successfully started.");
    return 0;
}

void DisplayManager::fitWindowToDisplay(unsigned int display_width, unsigned int display_height)
{
    // A window beyond the display shows nothing more, yet every frame clears and copies all of it.
    const int width = static_cast<int>(std::min(display_width, static_cast<unsigned int>(INT_MAX)));
    const int height = static_cast<int>(std::min(display_height, static_cast<unsigned int>(INT_MAX)));
    if (width <= 0 || height <= 0 || (horizontal_pixels <= width && vertical_pixels <= height))
        return;
    LogManager::getInstance().writeLog(
        "DisplayManager::startUp(): Warning! A window of %d x %d pixels is larger than the display (%d x %d); "
        "it is made %d x %d pixels.",
        horizontal_pixels, vertical_pixels, width, height, std::min(horizontal_pixels, width),
        std::min(vertical_pixels, height));
    horizontal_pixels = std::min(horizontal_pixels, width);
    vertical_pixels = std::min(vertical_pixels, height);
}

bool DisplayManager::gridDrawable() const
{
    const long long cells = static_cast<long long>(horizontal_chars) * vertical_chars;
    if (cells <= MAX_GRID_CELLS && horizontal_pixels / horizontal_chars >= MIN_CELL_PIXELS &&
        vertical_pixels / vertical_chars >= MIN_CELL_PIXELS)
        return true;
    LogManager::getInstance().writeLog(
        "DisplayManager::startUp(): Error! A grid of %d x %d characters cannot be drawn in a window of %d x %d "
        "pixels: it may have %lld cells at most, each at least %d x %d pixels.",
        horizontal_chars, vertical_chars, horizontal_pixels, vertical_pixels, MAX_GRID_CELLS, MIN_CELL_PIXELS,
        MIN_CELL_PIXELS);
    return false;
}

bool DisplayManager::characterSizeFits(float size) const
{
    // Glyphs the font texture cannot hold make the font search its full texture again for every
    // character drawn, which stalls each frame.
    const unsigned int texture_side = sf::Texture::getMaximumSize();
    const unsigned int largest = texture_side / GLYPHS_PER_TEXTURE_SIDE;
    if (size >= 1.0f && size < static_cast<float>(largest + 1))
        return true;
    LogManager::getInstance().writeLog(
        "DisplayManager::startUp(): Error! A font scale of %g makes characters of %g pixels; the font texture (%u "
        "pixels a side) holds characters of 1 to %u pixels.",
        static_cast<double>(Config::getInstance().getFontScale()), static_cast<double>(size), texture_side, largest);
    return false;
}

void DisplayManager::shutDown()
{
    if (dropped_characters > 0)
        LogManager::getInstance().writeLog("DisplayManager::shutDown(): %lld characters beyond a frame's bound were "
                                           "not drawn.",
                                           dropped_characters);
    dropped_characters = 0;
    release();
    Manager::shutDown();
    LogManager::getInstance().writeLog(1, "DisplayManager::shutDown(): successfully stopped.");
}

int DisplayManager::drawCharacter(Vector world_pos, char ch, Color color) const
{
    if (Config::getInstance().getHeadless())
    {
        // Drawn, the colour form reaches the frame text through the other form.
        if (isStarted())
            noteCell(world_pos, ch, colorLetter(color));
        return -1;
    }
    // CUSTOM and unknown colours leave the components alone: draw them white, as colorToSFML does.
    unsigned char red = 255;
    unsigned char green = 255;
    unsigned char blue = 255;
    colorToRGB(color, &red, &green, &blue);
    return drawCharacter(world_pos, ch, red, green, blue);
}

int DisplayManager::drawCharacter(Vector world_pos, char ch, unsigned char red, unsigned char green,
                                  unsigned char blue) const
{
    if (!checkStarted())
        return -1;
    noteCell(world_pos, ch, colorLetter(red, green, blue));
    if (Config::getInstance().getHeadless() || !window)
        return -1;

    const Vector pixel = spacesToPixels(worldToView(world_pos));
    const float x = pixel.getX();
    const float y = pixel.getY();

    // The rectangle and the glyph are summed exactly as the window library sums a shape's and a
    // text's points with their positions, so that both land on the same pixels.
    const sf::Vector2f size = rectangle->getSize();
    const float rectangle_x = x - charWidth() / 10.0f;
    const float rectangle_y = y + charHeight() / 5.0f;
    // A character wholly outside the window changes no pixel: there is nothing to draw.
    if (!painter.reachesWindow(x, y, ch, rectangle_x, rectangle_y, size.x + rectangle_x, size.y + rectangle_y))
        return 0;
    if (frame_characters >= max_frame_characters)
    {
        dropCharacter();
        return -1;
    }
    frame_characters++;
    painter.queueCharacter(x, y, ch, sf::Color(red, green, blue, 255), rectangle_x, rectangle_y, size.x + rectangle_x,
                           size.y + rectangle_y, rectangle->getFillColor());
    return 0;
}

void DisplayManager::dropCharacter() const
{
    if (dropped_characters == 0)
        LogManager::getInstance().writeLog("DisplayManager::drawCharacter(): Warning! A frame draws more than %lld "
                                           "characters; the rest of it, and of any later such frame, is not drawn.",
                                           max_frame_characters);
    dropped_characters++;
}

int DisplayManager::flush() const
{
    if (!window)
        return -1;
    painter.flush();
    return 0;
}

int DisplayManager::drawString(Vector world_pos, std::string str, Justification just, Color color) const
{
    if (!checkStarted())
        return -1;
    const int length = static_cast<int>(str.size());
    Vector start = world_pos;
    if (just == JUSTIFY_CENTER)
        start.setX(start.getX() - static_cast<float>(length / 2));
    else if (just == JUSTIFY_RIGHT)
        start.setX(start.getX() - static_cast<float>(length));
    const char letter = colorLetter(color);
    for (int i = 0; i < length; i++)
        noteCell(Vector(start.getX() + static_cast<float>(i), start.getY()), str[static_cast<std::size_t>(i)], letter);
    if (Config::getInstance().getHeadless())
        return -1;

    unsigned char red = 255;
    unsigned char green = 255;
    unsigned char blue = 255;
    colorToRGB(color, &red, &green, &blue);
    for (int i = 0; i < length; i++)
        drawCharacter(Vector(start.getX() + static_cast<float>(i), start.getY()), str[i], red, green, blue);
    return 0;
}

int DisplayManager::swapBuffers()
{
    if (!checkStarted())
        return -1;
    frame_text.clear();
    if (Config::getInstance().getHeadless() || !window)
        return -1;
    painter.finishFrame();
    window->display();
    painter.frameShown();
    frame_characters = 0;
    return 0;
}

std::string DisplayManager::getFrameText() const
{
    return frame_text.getText();
}

void DisplayManager::noteCell(const Vector &world_pos, char ch, char letter) const
{
    const Vector view = worldToView(world_pos);
    // Nearest cell: a position a rounding error short of a whole cell belongs to that cell.
    const float column = std::floor(view.getX() + 0.5f);
    const float row = std::floor(view.getY() + 0.5f);
    if (!(column >= 0.0f && row >= 0.0f && column < static_cast<float>(frame_text.getColumns()) &&
          row < static_cast<float>(frame_text.getRows())))
        return;
    frame_text.put(static_cast<int>(column), static_cast<int>(row), ch, letter);
}

int DisplayManager::getHorizontalChars() const
{
    return horizontal_chars;
}

int DisplayManager::getVerticalChars() const
{
    return vertical_chars;
}

int DisplayManager::getHorizontalPixels() const
{
    return horizontal_pixels;
}

int DisplayManager::getVerticalPixels() const
{
    return vertical_pixels;
}

sf::RenderWindow *DisplayManager::getWindow() const
{
    return window;
}

float charWidth()
{
    const DisplayManager &display_manager = DisplayManager::getInstance();
    return static_cast<float>(display_manager.getHorizontalPixels()) /
           static_cast<float>(display_manager.getHorizontalChars());
}

float charHeight()
{
    const DisplayManager &display_manager = DisplayManager::getInstance();
    return static_cast<float>(display_manager.getVerticalPixels()) /
           static_cast<float>(display_manager.getVerticalChars());
}

Vector spacesToPixels(Vector spaces)
{
    const Vector pixels(spaces.getX() * charWidth(), spaces.getY() * charHeight());
    LogManager::getInstance().writeLog(30, "spacesToPixels(int): spaces (%.2f,%.2f) = pixels (%.2f,%.2f)",
                                       static_cast<double>(spaces.getX()), static_cast<double>(spaces.getY()),
                                       static_cast<double>(pixels.getX()), static_cast<double>(pixels.getY()));
    return pixels;
}

Vector pixelsToSpaces(Vector pixels)
{
    const Vector spaces(pixels.getX() / charWidth(), pixels.getY() / charHeight());
    LogManager::getInstance().writeLog(30, "pixelsToSpaces(): pixels (%.2f,%.2f) = spaces (%.2f,%.2f)",
                                       static_cast<double>(pixels.getX()), static_cast<double>(pixels.getY()),
                                       static_cast<double>(spaces.getX()), static_cast<double>(spaces.getY()));
    return spaces;
}

} // namespace qv
