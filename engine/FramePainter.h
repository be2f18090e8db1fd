#pragma once

#include <SFML/Graphics/Color.hpp>
#include <SFML/Graphics/Vertex.hpp>

#include <vector>

namespace sf
{
class Font;
class RenderTarget;
class RenderTexture;
class RenderWindow;
} // namespace sf

namespace qv
{

/// Gets the display manager's characters into its window in as few and as cheap draws as give the
/// pixels of drawing a rectangle and a text per character.
///
/// Each character queues its cell's rectangle and glyph as textured quads, in call order, and the
/// whole queue reaches the window in one draw when it is flushed. Where the window holds nothing
/// but the background and what the queue drew since the clear, a rectangle is cut to the parts of
/// earlier glyphs it covers, since elsewhere it lays the background over the background.
///
/// What reaches a freshly cleared window first in a frame is also kept in an off-screen canvas.
/// When the next frame queues the same quads in most of the window, only the tiles of the window
/// whose quads differ are redrawn in the canvas, and the canvas is copied into the window whole.
/// Tiles that a glyph between two pixels reaches are then redrawn in the window itself, since the
/// canvas rounds its smoothed edges otherwise.
///
/// Where presenting a frame leaves it in the window's buffer (as the software rasteriser does),
/// the window itself serves as the canvas: the clear after presenting waits for the next frame,
/// which redraws only the tiles that changed, and nothing is copied.
class FramePainter
{
public:
    /// Readies drawing into `window` (not owned) with `font`'s glyphs at `character_size`, over
    /// `background`, on a grid of `columns` x `rows` cells; makes the canvas where the driver can.
    void start(sf::RenderWindow &window, const sf::Font &font, unsigned int character_size, bool bold,
               sf::Color background, int columns, int rows);
    /// Releases the canvas and forgets the window and everything queued.
    void stop();

    /// Does the rectangle [x0, x1) x [y0, y1), or the glyph of `ch` with its origin at pixel (x, y),
    /// reach into the window? A character that does not changes no pixel.
    bool reachesWindow(float x, float y, char ch, float x0, float y0, float x1, float y1);
    /// Queues the rectangle [x0, x1) x [y0, y1) in `fill`, then the glyph of `ch` with its origin
    /// at pixel (x, y) in `color`.
    void queueCharacter(float x, float y, char ch, sf::Color color, float x0, float y0, float x1, float y1,
                        sf::Color fill);
    /// Draws the queue into the window now; what is drawn into the window next is unknown to it.
    void flush();
    /// Draws the queue into the window, to finish the frame before it is presented.
    void finishFrame();
    /// Notes that the frame was presented: the window is cleared to the background, at once or,
    /// where it keeps its picture, when the next frame is drawn (`flush` then clears it first).
    void frameShown();
    /// Notes that the window was just cleared to the background.
    void windowCleared();

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

    /// The quad of a character at the character size, looked up in the font on first use.
    const GlyphQuad &glyphQuad(char ch);
    /// Queues two triangles covering [x0, x1) x [y0, y1), textured from [u1, u2) x [v1, v2).
    void queueQuad(float x0, float y0, float x1, float y1, float u1, float v1, float u2, float v2, sf::Color color);
    /// Queues the parts of a background rectangle that can change a pixel.
    void queueRectangle(float x0, float y0, float x1, float y1, sf::Color fill);
    /// Records a glyph quad drawn since the window was cleared.
    void noteGlyph(float x0, float y0, float x1, float y1);
    /// The glyph buckets that [x0, x1) x [y0, y1) reaches; false when the box is not finite.
    bool bucketRange(float x0, float y0, float x1, float y1, int &column0, int &row0, int &column1, int &row1) const;
    /// Draws the queue into the window and empties it.
    void drawQueue();
    /// Whether the window maps pixels as the canvas does, so that a kept picture can stand for it.
    bool plainView() const;
    /// Whether the window's buffer still holds the last frame once it was presented.
    bool keepsPicture();
    /// Brings a window that kept the last frame to the queue's picture: only the tiles whose quads
    /// changed are redrawn, unless most changed, when it is cleared and drawn whole.
    void drawOverLastFrame();
    /// Marks in `dirty_tiles` the tiles whose quads differ from the last frame's; how many.
    std::size_t markChangedTiles();
    /// Makes the canvas and what copies it into the window; leaves `canvas` null when it cannot.
    void makeCanvas();
    /// Lists, per tile of the window, the quads of `vertices` that can touch its pixels, each as
    /// the index of its first vertex; false when a quad's corners are not finite.
    bool sortIntoTiles(const std::vector<sf::Vertex> &vertices, std::vector<std::vector<int>> &lists);
    /// Brings the canvas to the queue's picture, redrawing only the tiles whose quads changed
    /// since the last frame, and copies it into the window; false when too much changed or the
    /// canvas cannot stand for the window, and the queue is to be drawn into the window directly.
    bool drawThroughCanvas();
    /// Clears the `chosen` tiles of `target` (the canvas or the window) and draws the queued quads
    /// that reach them there, in call order.
    void redrawTiles(sf::RenderTarget &target, const std::vector<char> &chosen);
    /// Clears tiles [column0, column1] of a row of `target` and draws the queued quads reaching them there.
    void redrawRun(sf::RenderTarget &target, int row, int column0, int column1);

    sf::RenderWindow *window = nullptr;            // not owned; null when stopped
    const sf::Font *font = nullptr;                // not owned; the glyphs' font
    unsigned int character_size = 0;               // glyph size, pixels
    bool bold = false;                             // glyphs in bold
    sf::Color background_color = sf::Color::Black; // the window's clear colour
    int horizontal_pixels = 0;                     // window width, pixels
    int vertical_pixels = 0;                       // window height, pixels
    GlyphQuad glyphs[256];                         // one per char value, at the character size
    std::vector<sf::Vertex> queue;                 // triangles drawn since the last flush, pixels and texels

    // Where the window holds nothing but the background and what the queue drew since the clear,
    // a background rectangle changes only the pixels of earlier glyph quads.
    bool window_clean = false;                   // the window holds only the above
    std::vector<float> frame_glyphs;             // glyph quads since the clear: x0, y0, x1, y1, pixels
    std::vector<std::vector<int>> glyph_buckets; // per bucket of the window: glyph quads reaching it
    int bucket_columns = 0;                      // buckets across the window, one per cell at most
    int bucket_rows = 0;                         // buckets down the window
    std::vector<int> glyph_marks;                // per glyph quad: the last rectangle that met it
    int rectangle_mark = 0;                      // rectangles queued since the clear

    // The canvas holds the picture of the quads that were drawn first into the last cleared
    // window; a quad list per tile finds the tiles whose picture can differ in the next frame.
    sf::RenderTexture *canvas = nullptr;      // owned; null when off-screen drawing is unavailable
    unsigned int canvas_framebuffer = 0;      // the window context's name for the canvas, to copy from
    int tile_columns = 0;                     // tiles across the window
    int tile_rows = 0;                        // tiles down the window
    bool window_blank = false;                // nothing drawn into the window since it was cleared
    bool window_keeps = false;                // presenting leaves the last frame in the window's buffer
    bool clear_pending = false;               // the window still shows the last frame, to be cleared
    bool last_known = false;                  // last_queue and last_tiles describe the last frame
    bool canvas_valid = false;                // the canvas shows last_queue over the background
    std::vector<sf::Vertex> last_queue;       // what the last frame drew first, pixels and texels
    std::vector<std::vector<int>> tiles;      // per tile: quads of the queue reaching it
    std::vector<std::vector<int>> last_tiles; // per tile: quads of last_queue reaching it
    std::vector<char> dirty_tiles;            // per tile: its quads differ from the last frame's
    std::vector<char> window_tiles;           // per tile: a glyph between two pixels reaches it
    std::vector<int> quad_marks;              // per quad of the queue: the last redraw that took it
    std::vector<int> redraw_quads;            // quads of one redraw, by first vertex
    std::vector<sf::Vertex> redraw_vertices;  // their triangles, pixels and texels
};

} // namespace qv
