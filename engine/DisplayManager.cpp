#include "DisplayManager.h"

#include "Config.h"
#include "LogManager.h"
#include "Vector.h"
#include "geometry.h"

#include <SFML/Graphics/Glyph.hpp>
#include <SFML/Graphics/RectangleShape.hpp>
#include <SFML/Graphics/RenderTexture.hpp>
#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Graphics/Text.hpp>
#include <SFML/Graphics/Texture.hpp>
#include <SFML/OpenGL.hpp>
#include <SFML/Window/Context.hpp>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

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

// A text pads each glyph's quad by a texel on every side so that smoothing never cuts it off.
const float GLYPH_PADDING = 1.0f;

// Every font texture keeps a white 2 x 2 square in its corner; its centre is white under smoothing.
const float WHITE_TEXEL = 1.0f;

// A game that draws far more than a screen between two frames still uses bounded memory: the
// queue is drawn early, which keeps the order.
const std::size_t MAX_QUEUED_VERTICES = 600000;

// Beyond this many glyph quads in a frame the rectangles are drawn whole again, which bounds the
// memory a frame's record takes.
const std::size_t MAX_NOTED_GLYPHS = 100000;

// Buckets along one side of the window: a cell each on any sensible grid.
const int MAX_BUCKETS = 256;

// Glyph quads one bucket records: where more are piled on the same cells, cutting each rectangle
// to them would cost more than drawing it whole, and the rest of the frame draws rectangles whole.
const std::size_t MAX_BUCKET_GLYPHS = 8;

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

// Is any part of [x0, x1) x [y0, y1) inside a window of `width` x `height` pixels? False for NaN.
bool reachesWindow(float x0, float y0, float x1, float y1, int width, int height)
{
    return x1 > 0.0f && y1 > 0.0f && x0 < static_cast<float>(width) && y0 < static_cast<float>(height);
}

// Side of a canvas tile, pixels: a few cells, so that a moving sprite redraws little more than itself.
const int TILE = 32;

// Vertices of one queued quad: two triangles.
const int QUAD = 6;

// How many pixels the rasteriser copies from the canvas in the time it draws one pixel of quads.
const double COPY_SAVING = 4.0;

// Calls of the graphics library that the window library does not make for us, looked up when the
// canvas is made: cutting drawing to a part of the target, and copying the canvas into the window.
struct GraphicsCalls
{
    void (*scissor)(GLint, GLint, GLsizei, GLsizei) = nullptr;
    void (*enable)(GLenum) = nullptr;
    void (*disable)(GLenum) = nullptr;
    void (*genFramebuffers)(GLsizei, GLuint *) = nullptr;
    void (*bindFramebuffer)(GLenum, GLuint) = nullptr;
    void (*framebufferTexture2D)(GLenum, GLenum, GLenum, GLuint, GLint) = nullptr;
    GLenum (*checkFramebufferStatus)(GLenum) = nullptr;
    void (*blitFramebuffer)(GLint, GLint, GLint, GLint, GLint, GLint, GLint, GLint, GLbitfield, GLenum) = nullptr;
};
GraphicsCalls gl;

// Points `function` at the named call of the current context; false when it has none.
template <typename Function> bool lookUp(Function &function, const char *name)
{
    function = reinterpret_cast<Function>(sf::Context::getFunction(name));
    return function != nullptr;
}

// Looks the calls up in the current context; false when one is missing.
bool lookUpGraphicsCalls()
{
    return lookUp(gl.scissor, "glScissor") && lookUp(gl.enable, "glEnable") && lookUp(gl.disable, "glDisable") &&
           lookUp(gl.genFramebuffers, "glGenFramebuffers") && lookUp(gl.bindFramebuffer, "glBindFramebuffer") &&
           lookUp(gl.framebufferTexture2D, "glFramebufferTexture2D") &&
           lookUp(gl.checkFramebufferStatus, "glCheckFramebufferStatus") &&
           lookUp(gl.blitFramebuffer, "glBlitFramebuffer");
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
    delete canvas;
    canvas = nullptr;
    last_known = false;
    canvas_valid = false;
    last_queue.clear();
    if (window)
        window->close();
    delete window;
    window = nullptr;
    delete text;
    text = nullptr;
    delete rectangle;
    rectangle = nullptr;
    queue.clear();
    window_clean = false;
    frame_glyphs.clear();
    glyph_marks.clear();
    glyph_buckets.clear();
    // The next start may have another font or character size.
    for (GlyphQuad &glyph : glyphs)
        glyph = GlyphQuad();
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
    const sf::VideoMode desktop = sf::VideoMode::getDesktopMode();
    log.writeLog(5, "DisplayManager::startUp(): window resolution (%d, %d) pixels.", static_cast<int>(desktop.width),
                 static_cast<int>(desktop.height));
    fitWindowToDisplay(desktop.width, desktop.height);
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
    bucket_columns = std::min(horizontal_chars, MAX_BUCKETS);
    bucket_rows = std::min(vertical_chars, MAX_BUCKETS);
    background_color = colorToSFML(static_cast<Color>(config.getWindowBackgroundColor()));
    rectangle->setFillColor(background_color);

    tile_columns = (horizontal_pixels + TILE - 1) / TILE;
    tile_rows = (vertical_pixels + TILE - 1) / TILE;
    makeCanvas();

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

void DisplayManager::makeCanvas()
{
    // Without a canvas every frame is drawn straight into the window, which gives the same pixels.
    canvas = new (std::nothrow) sf::RenderTexture();
    bool made =
        canvas &&
        canvas->create(static_cast<unsigned int>(horizontal_pixels), static_cast<unsigned int>(vertical_pixels)) &&
        window->setActive(true) && lookUpGraphicsCalls();
    // Framebuffers belong to one context: the one that copies the canvas is the window's.
    if (made)
    {
        gl.genFramebuffers(1, &canvas_framebuffer);
        gl.bindFramebuffer(GL_READ_FRAMEBUFFER, canvas_framebuffer);
        gl.framebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D,
                                canvas->getTexture().getNativeHandle(), 0);
        made = gl.checkFramebufferStatus(GL_READ_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
        gl.bindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    }
    if (!made)
    {
        delete canvas;
        canvas = nullptr;
    }
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
        return -1;
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
    const GlyphQuad &glyph = glyphQuad(ch);
    const float x0 = x + glyph.left;
    const float y0 = y + glyph.top;
    const float x1 = x + glyph.right;
    const float y1 = y + glyph.bottom;
    // A character wholly outside the window changes no pixel: there is nothing to draw.
    if (!reachesWindow(rectangle_x, rectangle_y, size.x + rectangle_x, size.y + rectangle_y, horizontal_pixels,
                       vertical_pixels) &&
        !(glyph.visible && reachesWindow(x0, y0, x1, y1, horizontal_pixels, vertical_pixels)))
        return 0;
    if (frame_characters >= max_frame_characters)
    {
        dropCharacter();
        return -1;
    }
    frame_characters++;
    queueRectangle(rectangle_x, rectangle_y, size.x + rectangle_x, size.y + rectangle_y);

    if (glyph.visible)
    {
        queueQuad(x0, y0, x1, y1, glyph.u1, glyph.v1, glyph.u2, glyph.v2, sf::Color(red, green, blue, 255));
        noteGlyph(x0, y0, x1, y1);
    }
    if (queue.size() > MAX_QUEUED_VERTICES)
        drawQueue();
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

void DisplayManager::queueRectangle(float x0, float y0, float x1, float y1) const
{
    const sf::Color fill = rectangle->getFillColor();
    int column0 = 0, row0 = 0, column1 = 0, row1 = 0;
    if (!window_clean || fill != background_color || !bucketRange(x0, y0, x1, y1, column0, row0, column1, row1))
    {
        queueQuad(x0, y0, x1, y1, WHITE_TEXEL, WHITE_TEXEL, WHITE_TEXEL, WHITE_TEXEL, fill);
        return;
    }
    // Elsewhere the rectangle lays the background over the background, or over rectangles of the
    // same opaque colour. Its white texel is sampled alike at every pixel, and the rasteriser
    // covers the pixels of a cut rectangle exactly where it covers both the rectangle and the
    // glyph quad, since the cut is made of their own edges.
    rectangle_mark++;
    for (int row = row0; row <= row1; row++)
    {
        for (int column = column0; column <= column1; column++)
        {
            for (int glyph : glyph_buckets[static_cast<std::size_t>(row * bucket_columns + column)])
            {
                if (glyph_marks[static_cast<std::size_t>(glyph)] == rectangle_mark)
                    continue;
                glyph_marks[static_cast<std::size_t>(glyph)] = rectangle_mark;
                const float *box = &frame_glyphs[static_cast<std::size_t>(glyph) * 4];
                const float cut_x0 = std::max(x0, box[0]);
                const float cut_y0 = std::max(y0, box[1]);
                const float cut_x1 = std::min(x1, box[2]);
                const float cut_y1 = std::min(y1, box[3]);
                if (cut_x0 < cut_x1 && cut_y0 < cut_y1)
                    queueQuad(cut_x0, cut_y0, cut_x1, cut_y1, WHITE_TEXEL, WHITE_TEXEL, WHITE_TEXEL, WHITE_TEXEL, fill);
            }
        }
    }
}

void DisplayManager::noteGlyph(float x0, float y0, float x1, float y1) const
{
    if (!window_clean)
        return;
    int column0 = 0, row0 = 0, column1 = 0, row1 = 0;
    if (glyph_marks.size() >= MAX_NOTED_GLYPHS || !bucketRange(x0, y0, x1, y1, column0, row0, column1, row1))
    {
        // A quad that is not recorded: every later rectangle is drawn whole.
        window_clean = false;
        return;
    }
    for (int row = row0; row <= row1; row++)
    {
        for (int column = column0; column <= column1; column++)
        {
            if (glyph_buckets[static_cast<std::size_t>(row * bucket_columns + column)].size() >= MAX_BUCKET_GLYPHS)
            {
                window_clean = false;
                return;
            }
        }
    }
    const int glyph = static_cast<int>(glyph_marks.size());
    frame_glyphs.insert(frame_glyphs.end(), {x0, y0, x1, y1});
    glyph_marks.push_back(0);
    for (int row = row0; row <= row1; row++)
        for (int column = column0; column <= column1; column++)
            glyph_buckets[static_cast<std::size_t>(row * bucket_columns + column)].push_back(glyph);
}

bool DisplayManager::bucketRange(float x0, float y0, float x1, float y1, int &column0, int &row0, int &column1,
                                 int &row1) const
{
    if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1))
        return false;
    // Quads beyond the window's edges share the edge buckets, which keeps every overlap found.
    const float bucket_width = static_cast<float>(horizontal_pixels) / static_cast<float>(bucket_columns);
    const float bucket_height = static_cast<float>(vertical_pixels) / static_cast<float>(bucket_rows);
    const float last_column = static_cast<float>(bucket_columns - 1);
    const float last_row = static_cast<float>(bucket_rows - 1);
    column0 = static_cast<int>(std::clamp(std::floor(x0 / bucket_width), 0.0f, last_column));
    column1 = static_cast<int>(std::clamp(std::floor(x1 / bucket_width), 0.0f, last_column));
    row0 = static_cast<int>(std::clamp(std::floor(y0 / bucket_height), 0.0f, last_row));
    row1 = static_cast<int>(std::clamp(std::floor(y1 / bucket_height), 0.0f, last_row));
    return true;
}

const DisplayManager::GlyphQuad &DisplayManager::glyphQuad(char ch) const
{
    GlyphQuad &quad = glyphs[static_cast<unsigned char>(ch)];
    if (quad.looked_up)
        return quad;
    quad.looked_up = true;
    // The same conversion and the same skipped characters as a one-character text.
    const sf::Uint32 code = sf::String(ch, std::locale())[0];
    if (code == ' ' || code == '\n' || code == '\t' || code == '\r')
        return quad;
    const bool bold = (text->getStyle() & sf::Text::Bold) != 0;
    const unsigned int character_size = text->getCharacterSize();
    const sf::Glyph &glyph = font.getGlyph(code, character_size, bold);
    const float baseline = static_cast<float>(character_size);
    quad.visible = true;
    quad.left = glyph.bounds.left - GLYPH_PADDING;
    quad.right = glyph.bounds.left + glyph.bounds.width + GLYPH_PADDING;
    quad.top = baseline + (glyph.bounds.top - GLYPH_PADDING);
    quad.bottom = baseline + (glyph.bounds.top + glyph.bounds.height + GLYPH_PADDING);
    quad.u1 = static_cast<float>(glyph.textureRect.left) - GLYPH_PADDING;
    quad.v1 = static_cast<float>(glyph.textureRect.top) - GLYPH_PADDING;
    quad.u2 = static_cast<float>(glyph.textureRect.left + glyph.textureRect.width) + GLYPH_PADDING;
    quad.v2 = static_cast<float>(glyph.textureRect.top + glyph.textureRect.height) + GLYPH_PADDING;
    return quad;
}

void DisplayManager::queueQuad(float x0, float y0, float x1, float y1, float u1, float v1, float u2, float v2,
                               sf::Color color) const
{
    // The corner order of a text's glyph quads: the two triangles meet on the same diagonal.
    const sf::Vertex top_left(sf::Vector2f(x0, y0), color, sf::Vector2f(u1, v1));
    const sf::Vertex top_right(sf::Vector2f(x1, y0), color, sf::Vector2f(u2, v1));
    const sf::Vertex bottom_left(sf::Vector2f(x0, y1), color, sf::Vector2f(u1, v2));
    const sf::Vertex bottom_right(sf::Vector2f(x1, y1), color, sf::Vector2f(u2, v2));
    queue.push_back(top_left);
    queue.push_back(top_right);
    queue.push_back(bottom_left);
    queue.push_back(bottom_left);
    queue.push_back(top_right);
    queue.push_back(bottom_right);
}

int DisplayManager::flush() const
{
    if (!window)
        return -1;
    drawQueue();
    // The caller is about to draw what the rectangles cannot know of.
    window_clean = false;
    window_blank = false;
    return 0;
}

void DisplayManager::drawQueue() const
{
    if (!window)
        return;
    const bool first = window_blank;
    window_blank = false;
    // An empty frame leaves the cleared window as it is; the next is compared with an empty one.
    if (first && queue.empty())
    {
        last_queue.clear();
        last_known = sortIntoTiles(last_queue, last_tiles);
        canvas_valid = false;
        return;
    }
    if (first && drawThroughCanvas())
    {
        queue.clear();
        return;
    }
    if (queue.empty())
        return;
    sf::RenderStates states;
    states.texture = &font.getTexture(text->getCharacterSize());
    window->draw(queue.data(), queue.size(), sf::Triangles, states);
    queue.clear();
}

bool DisplayManager::sortIntoTiles(const std::vector<sf::Vertex> &vertices, std::vector<std::vector<int>> &lists) const
{
    lists.resize(static_cast<std::size_t>(tile_columns) * static_cast<std::size_t>(tile_rows));
    for (std::vector<int> &list : lists)
        list.clear();
    window_tiles.assign(lists.size(), 0);
    const float last_column = static_cast<float>(tile_columns - 1);
    const float last_row = static_cast<float>(tile_rows - 1);
    for (std::size_t first = 0; first + QUAD <= vertices.size(); first += QUAD)
    {
        // The first and last corners of a quad are its top left and bottom right.
        const sf::Vector2f top_left = vertices[first].position;
        const sf::Vector2f bottom_right = vertices[first + QUAD - 1].position;
        if (!std::isfinite(top_left.x) || !std::isfinite(top_left.y) || !std::isfinite(bottom_right.x) ||
            !std::isfinite(bottom_right.y))
            return false;
        // The graphics driver numbers a window's rows from the top and a texture's from the bottom.
        // Both light the same pixels, but a glyph between two pixels samples its texture with
        // other rounding, which can move a smoothed edge by one step: its tiles are drawn in the
        // window itself. Rectangles sample one texel alike everywhere.
        const bool between_pixels =
            vertices[first].texCoords != vertices[first + QUAD - 1].texCoords &&
            (top_left.x != std::floor(top_left.x) || top_left.y != std::floor(top_left.y) ||
             bottom_right.x != std::floor(bottom_right.x) || bottom_right.y != std::floor(bottom_right.y));
        // A pixel more on every side than the quad's box keeps every pixel the rasteriser lights.
        const float tile = static_cast<float>(TILE);
        const int column0 = static_cast<int>(std::clamp(std::floor((top_left.x - 1.0f) / tile), 0.0f, last_column));
        const int column1 = static_cast<int>(std::clamp(std::floor((bottom_right.x + 1.0f) / tile), 0.0f, last_column));
        const int row0 = static_cast<int>(std::clamp(std::floor((top_left.y - 1.0f) / tile), 0.0f, last_row));
        const int row1 = static_cast<int>(std::clamp(std::floor((bottom_right.y + 1.0f) / tile), 0.0f, last_row));
        for (int row = row0; row <= row1; row++)
        {
            for (int column = column0; column <= column1; column++)
            {
                const std::size_t tile = static_cast<std::size_t>(row * tile_columns + column);
                lists[tile].push_back(static_cast<int>(first));
                window_tiles[tile] |= between_pixels;
            }
        }
    }
    return true;
}

bool DisplayManager::drawThroughCanvas() const
{
    // The canvas stands for the window only where both map the same pixels the same way.
    const sf::Vector2u size = window->getSize();
    const sf::View &view = window->getView();
    const sf::View &plain = window->getDefaultView();
    if (!canvas || size != canvas->getSize() || view.getCenter() != plain.getCenter() ||
        view.getSize() != plain.getSize() || view.getRotation() != 0.0f || view.getViewport() != plain.getViewport() ||
        !sortIntoTiles(queue, tiles))
    {
        last_known = false;
        canvas_valid = false;
        return false;
    }

    const std::size_t tile_count = tiles.size();
    dirty_tiles.assign(tile_count, 1);
    std::size_t dirty = 0;
    std::size_t redrawn = 0;
    for (std::size_t tile = 0; tile < tile_count; tile++)
    {
        const std::vector<int> &now = tiles[tile];
        bool same = last_known && now.size() == last_tiles[tile].size();
        for (std::size_t i = 0; same && i < now.size(); i++)
            same =
                std::memcmp(&queue[static_cast<std::size_t>(now[i])],
                            &last_queue[static_cast<std::size_t>(last_tiles[tile][i])], QUAD * sizeof(sf::Vertex)) == 0;
        dirty_tiles[tile] = same ? 0 : 1;
        if (!same)
            dirty++;
        if (window_tiles[tile])
            redrawn++;
    }
    // Where the quads cover little of the window, or most of them are drawn again anyway,
    // drawing them straight into the window costs less than redrawing and copying the canvas.
    double area = 0;
    for (std::size_t first = 0; first + QUAD <= queue.size(); first += QUAD)
        area += static_cast<double>(queue[first + QUAD - 1].position.x - queue[first].position.x) *
                static_cast<double>(queue[first + QUAD - 1].position.y - queue[first].position.y);
    const double window_area = static_cast<double>(horizontal_pixels) * static_cast<double>(vertical_pixels);
    const double redrawn_share = static_cast<double>(dirty + redrawn) / static_cast<double>(tile_count);
    if (window_area / COPY_SAVING + redrawn_share * area >= area)
    {
        // The next frame is compared with this one, though the canvas does not show it.
        last_queue = queue;
        std::swap(tiles, last_tiles);
        last_known = true;
        canvas_valid = false;
        return false;
    }

    if (!canvas_valid)
    {
        canvas->clear(background_color);
        if (!queue.empty())
        {
            sf::RenderStates states;
            states.texture = &font.getTexture(text->getCharacterSize());
            canvas->draw(queue.data(), queue.size(), sf::Triangles, states);
        }
    }
    else if (dirty > 0)
    {
        redrawTiles(*canvas, dirty_tiles);
    }
    canvas->display();
    canvas_valid = true;

    window->setActive(true);
    gl.bindFramebuffer(GL_READ_FRAMEBUFFER, canvas_framebuffer);
    gl.blitFramebuffer(0, 0, horizontal_pixels, vertical_pixels, 0, 0, horizontal_pixels, vertical_pixels,
                       GL_COLOR_BUFFER_BIT, GL_NEAREST);
    gl.bindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    if (redrawn > 0)
        redrawTiles(*window, window_tiles);

    std::swap(queue, last_queue);
    std::swap(tiles, last_tiles);
    last_known = true;
    return true;
}

void DisplayManager::redrawTiles(sf::RenderTarget &target, const std::vector<char> &chosen) const
{
    target.setActive(true);
    gl.enable(GL_SCISSOR_TEST);
    quad_marks.assign(queue.size() / QUAD, -1);
    // Each run of chosen tiles along a row is cleared and redrawn in one call.
    for (int row = 0; row < tile_rows; row++)
    {
        for (int column = 0; column < tile_columns; column++)
        {
            if (!chosen[static_cast<std::size_t>(row * tile_columns + column)])
                continue;
            int end = column;
            while (end + 1 < tile_columns && chosen[static_cast<std::size_t>(row * tile_columns + end + 1)])
                end++;
            redrawRun(target, row, column, end);
            column = end;
        }
    }
    gl.disable(GL_SCISSOR_TEST);
}

void DisplayManager::redrawRun(sf::RenderTarget &target, int row, int column0, int column1) const
{
    // A quad reaching several of the tiles is drawn once, in its place in the call order.
    const int mark = row * tile_columns + column0;
    redraw_quads.clear();
    for (int column = column0; column <= column1; column++)
    {
        for (int first : tiles[static_cast<std::size_t>(row * tile_columns + column)])
        {
            int &quad_mark = quad_marks[static_cast<std::size_t>(first / QUAD)];
            if (quad_mark == mark)
                continue;
            quad_mark = mark;
            redraw_quads.push_back(first);
        }
    }
    std::sort(redraw_quads.begin(), redraw_quads.end());
    redraw_vertices.clear();
    for (int first : redraw_quads)
        redraw_vertices.insert(redraw_vertices.end(), queue.begin() + first, queue.begin() + first + QUAD);

    // The scissor counts rows from the bottom.
    const int x0 = column0 * TILE;
    const int x1 = std::min((column1 + 1) * TILE, horizontal_pixels);
    const int y0 = row * TILE;
    const int y1 = std::min((row + 1) * TILE, vertical_pixels);
    gl.scissor(x0, vertical_pixels - y1, x1 - x0, y1 - y0);
    target.clear(background_color);
    if (redraw_vertices.empty())
        return;
    sf::RenderStates states;
    states.texture = &font.getTexture(text->getCharacterSize());
    target.draw(redraw_vertices.data(), redraw_vertices.size(), sf::Triangles, states);
}

int DisplayManager::drawString(Vector world_pos, std::string str, Justification just, Color color) const
{
    if (!checkStarted())
        return -1;
    if (Config::getInstance().getHeadless())
        return -1;

    const int length = static_cast<int>(str.size());
    Vector start = world_pos;
    if (just == JUSTIFY_CENTER)
        start.setX(start.getX() - static_cast<float>(length / 2));
    else if (just == JUSTIFY_RIGHT)
        start.setX(start.getX() - static_cast<float>(length));

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
    if (Config::getInstance().getHeadless() || !window)
        return -1;
    drawQueue();
    window->display();
    window->clear(background_color);
    window_clean = true;
    window_blank = true;
    frame_characters = 0;
    frame_glyphs.clear();
    glyph_marks.clear();
    rectangle_mark = 0;
    glyph_buckets.resize(static_cast<std::size_t>(bucket_columns) * static_cast<std::size_t>(bucket_rows));
    for (std::vector<int> &bucket : glyph_buckets)
        bucket.clear();
    return 0;
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
