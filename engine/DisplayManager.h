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
class RenderWindow;
class Text;
} // namespace sf

namespace qv
{

class Vector;

/// Where `drawString` puts a string relative to its position.
enum Justification
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
/// Characters are not drawn one by one: each call queues its cell's rectangle and glyph as
/// textured quads, in call order, and the whole queue reaches the window in one draw when it is
/// flushed. The pixels are those of drawing a rectangle and an `sf::Text` per character. Anything
/// drawn into the window another way must come after what was queued before it, so call `flush`
/// before drawing into `getWindow()` yourself (`Shape` does); `swapBuffers` flushes before it
/// presents the frame.
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
