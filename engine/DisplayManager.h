#pragma once

#include "Color.h"
#include "Manager.h"

#include <SFML/Graphics/Color.hpp>
#include <SFML/Graphics/Font.hpp>
#include <SFML/Graphics/Vertex.hpp>

#include <string>
#include <vector>

namespace sf
{
class RectangleShape;
class RenderTarget;
class RenderTexture;
class RenderWindow;
class Text;
} // namespace sf

namespace qv
{

class Vector;

/// Where `drawString` puts a string relative to its position; any other value counts as left.
enum Justification : int
{
    JUSTIFY_LEFT = 0,   // starts at the position
    JUSTIFY_CENTER = 1, // centred on the position
    JUSTIFY_RIGHT = 2,  // ends one cell left of the position
};

/// Owns the game's one window and draws the world in it as a grid of coloured characters.
///
/// The game manager starts it after the log and the configuration, calls `swapBuffers` at the
/// start of every loop pass to present what the previous pass drew, and stops it last but one.
/// Sprites, heads-up display items and walls draw through `drawCharacter` and `drawString` at
/// world positions in cells; the manager subtracts the view's corner and scales by the cell size.
/// Every character is drawn over a cell-sized rectangle of the background colour.
///
/// Only what the window shows costs drawing work: a character wholly outside the window is not
/// queued (and counts as drawn), and a frame draws at most twice as many characters as the window
/// has cells (4096 at least); past that the frame's further characters are dropped (-1), with one
/// log line a run.
///
/// Characters are not drawn one by one: each call queues its cell's rectangle and glyph as
/// textured quads, in call order, and the whole queue reaches the window in one draw when it is
/// flushed. The pixels are those of drawing a rectangle and an `sf::Text` per character. Anything
/// drawn into the window another way must come after what was queued before it, so call `flush`
/// before drawing into `getWindow()` yourself (`Shape` does); `swapBuffers` flushes before it
/// presents the frame.
///
/// What reaches a freshly cleared window first in a frame is also kept in an off-screen canvas.
/// When the next frame queues the same quads in most of the window, only the tiles of the window
/// whose quads differ are redrawn in the canvas, and the canvas is copied into the window whole;
/// the pixels are the same as drawing everything again. Tiles that a glyph between two pixels
/// reaches are then redrawn in the window itself, since the canvas rounds its smoothed edges
/// otherwise.
///
/// With `headless:true` in the configuration it starts without a window and every drawing
/// operation returns -1, so the rest of the engine runs unchanged.
class DisplayManager : public Manager
{
public:
    /// The one display manager, made on first use.
    static DisplayManager &getInstance();
    /// Releases the window, text and rectangle.
    ~DisplayManager() override;

    /// Opens the window, loads the font and makes the text and rectangle; 0, or -1 on failure.
    int startUp() override;
    /// Closes the window and releases the text and rectangle.
    void shutDown() override;

    /// Draws one character at a world position in one of the engine's colours; 0, or -1.
    int drawCharacter(Vector world_pos, char ch, Color color) const;
    /// Draws one character at a world position in any colour, over the background rectangle; 0, or -1.
    int drawCharacter(Vector world_pos, char ch, unsigned char red, unsigned char green, unsigned char blue) const;
    /// Draws a row of characters starting at, centred on or ending before a world position; 0, or -1.
    int drawString(Vector world_pos, std::string str, Justification just, Color color) const;
    /// Shows the finished frame, then clears the window to the background colour; -1 when there is no window.
    int swapBuffers();
    /// Draws the queued characters into the window now, in one call, before you draw into the
    /// window yourself; -1 when there is no window.
    int flush() const;

    /// Window width, in cells.
    int getHorizontalChars() const;
    /// Window height, in cells.
    int getVerticalChars() const;
    /// Window width, in pixels.
    int getHorizontalPixels() const;
    /// Window height, in pixels.
    int getVerticalPixels() const;
    /// The window, or null when headless or not started. Owned by the manager.
    sf::RenderWindow *getWindow() const;

private:
    /// Where a character's glyph lies around its cell's pixel, and where in the font's texture.
    struct GlyphQuad
    {
        bool looked_up = false; // filled in on the character's first use
        bool visible = false;   // false for blanks, which a text draws no quad for
        float left = 0;         // quad edges from the glyph origin, pixels
        float top = 0;
        float right = 0;
        float bottom = 0;
        float u1 = 0; // texture rectangle, texels
        float v1 = 0;
        float u2 = 0;
        float v2 = 0;
    };

    DisplayManager();
    /// Closes and deletes the window, text and rectangle that exist.
    void release();
    /// Shrinks the window's pixel size to a display of the given size, with a log line when it must.
    void fitWindowToDisplay(unsigned int display_width, unsigned int display_height);
    /// Is the cell grid small enough to draw in the window? Logs why not.
    bool gridDrawable() const;
    /// Do characters of `size` pixels fit the font texture? Logs why not.
    bool characterSizeFits(float size) const;
    /// Counts a character dropped past the frame's bound, with a log line the first time.
    void dropCharacter() const;
    /// The quad of a character at the text's size, looked up in the font on first use.
    const GlyphQuad &glyphQuad(char ch) const;
    /// Queues two triangles covering [x0, x1) x [y0, y1), textured from [u1, u2) x [v1, v2).
    void queueQuad(float x0, float y0, float x1, float y1, float u1, float v1, float u2, float v2,
                   sf::Color color) const;
    /// Queues the parts of a background rectangle that can change a pixel.
    void queueRectangle(float x0, float y0, float x1, float y1) const;
    /// Records a glyph quad drawn since the window was cleared.
    void noteGlyph(float x0, float y0, float x1, float y1) const;
    /// The glyph buckets that [x0, x1) x [y0, y1) reaches; false when the box is not finite.
    bool bucketRange(float x0, float y0, float x1, float y1, int &column0, int &row0, int &column1, int &row1) const;
    /// Draws the queue into the window and empties it.
    void drawQueue() const;
    /// Makes the canvas and what copies it into the window; leaves `canvas` null when it cannot.
    void makeCanvas();
    /// Lists, per tile of the window, the quads of `vertices` that can touch its pixels, each as
    /// the index of its first vertex; false when a quad's corners are not finite.
    bool sortIntoTiles(const std::vector<sf::Vertex> &vertices, std::vector<std::vector<int>> &lists) const;
    /// Brings the canvas to the queue's picture, redrawing only the tiles whose quads changed
    /// since the last frame, and copies it into the window; false when too much changed or the
    /// canvas cannot stand for the window, and the queue is to be drawn into the window directly.
    bool drawThroughCanvas() const;
    /// Clears the `chosen` tiles of `target` (the canvas or the window) and draws the queued quads
    /// that reach them there, in call order.
    void redrawTiles(sf::RenderTarget &target, const std::vector<char> &chosen) const;
    /// Clears tiles [column0, column1] of a row of `target` and draws the queued quads reaching them there.
    void redrawRun(sf::RenderTarget &target, int row, int column0, int column1) const;

    sf::Font font;                                 // loaded from the configured font file
    sf::RenderWindow *window = nullptr;            // owned; null when headless
    int horizontal_pixels = 0;                     // window width, pixels
    int vertical_pixels = 0;                       // window height, pixels
    int horizontal_chars = 0;                      // window width, cells
    int vertical_chars = 0;                        // window height, cells
    sf::RectangleShape *rectangle = nullptr;       // owned; size and fill of the background under each character
    sf::Color background_color = sf::Color::Black; // window clear colour and rectangle fill
    sf::Text *text = nullptr;                      // owned; holds the character size and style of every glyph
    mutable GlyphQuad glyphs[256];                 // one per char value, at the text's character size
    mutable std::vector<sf::Vertex> queue;         // triangles drawn since the last flush, pixels and texels
    long long max_frame_characters = 0;            // characters one frame draws at most
    mutable long long frame_characters = 0;        // characters queued since the window was cleared
    mutable long long dropped_characters = 0;      // characters dropped past the bound since start-up

    // Where the window holds nothing but the background and what the queue drew since the clear,
    // a background rectangle changes only the pixels of earlier glyph quads: only those parts of
    // it are drawn, which gives the same pixels for a fraction of the work.
    mutable bool window_clean = false;                   // the window holds only the above
    mutable std::vector<float> frame_glyphs;             // glyph quads since the clear: x0, y0, x1, y1, pixels
    mutable std::vector<std::vector<int>> glyph_buckets; // per bucket of the window: glyph quads reaching it
    int bucket_columns = 0;                              // buckets across the window, one per cell at most
    int bucket_rows = 0;                                 // buckets down the window
    mutable std::vector<int> glyph_marks;                // per glyph quad: the last rectangle that met it
    mutable int rectangle_mark = 0;                      // rectangles queued since the clear

    // The canvas holds the picture of the quads that were drawn first into the last cleared
    // window; a quad list per tile finds the tiles whose picture can differ in the next frame.
    sf::RenderTexture *canvas = nullptr;              // owned; null when off-screen drawing is unavailable
    unsigned int canvas_framebuffer = 0;              // the window context's name for the canvas, to copy from
    int tile_columns = 0;                             // tiles across the window
    int tile_rows = 0;                                // tiles down the window
    mutable bool window_blank = false;                // nothing drawn into the window since it was cleared
    mutable bool last_known = false;                  // last_queue and last_tiles describe the last frame
    mutable bool canvas_valid = false;                // the canvas shows last_queue over the background
    mutable std::vector<sf::Vertex> last_queue;       // what the last frame drew first, pixels and texels
    mutable std::vector<std::vector<int>> tiles;      // per tile: quads of the queue reaching it
    mutable std::vector<std::vector<int>> last_tiles; // per tile: quads of last_queue reaching it
    mutable std::vector<char> dirty_tiles;            // per tile: its quads differ from the last frame's
    mutable std::vector<char> window_tiles;           // per tile: a glyph between two pixels reaches it
    mutable std::vector<int> quad_marks;              // per quad of the queue: the last redraw that took it
    mutable std::vector<int> redraw_quads;            // quads of one redraw, by first vertex
    mutable std::vector<sf::Vertex> redraw_vertices;  // their triangles, pixels and texels
};

/// Width of one cell, in pixels (window pixels divided by window characters).
float charWidth();
/// Height of one cell, in pixels.
float charHeight();
/// A position in cells turned into pixels.
Vector spacesToPixels(Vector spaces);
/// A position in pixels turned into cells.
Vector pixelsToSpaces(Vector pixels);

} // namespace qv
