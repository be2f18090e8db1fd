#pragma once

#include "Color.h"
#include "FramePainter.h"
#include "FrameText.h"
#include "Manager.h"

#include <SFML/Graphics/Color.hpp>
#include <SFML/Graphics/Font.hpp>

#include <string>

struct _XDisplay;

namespace sf
{
class RectangleShape;
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
/// Characters are not drawn one by one: each call queues its cell, and the queue reaches the
/// window in few draws when it is flushed (`FramePainter` says how). The pixels are those of
/// drawing a rectangle and an `sf::Text` per character. Anything drawn into the window another way
/// must come after what was queued before it, so call `flush` before drawing into `getWindow()`
/// yourself (`Shape` does); `swapBuffers` flushes before it presents the frame.
///
/// With `headless:true` in the configuration it starts without a window and every drawing
/// operation returns -1, so the rest of the engine runs unchanged.
///
/// Windowed or headless, it also keeps what each cell of the frame being drawn shows, as text
/// (`getFrameText`, format in `FrameText`): a game's tests can check a frame without a screen.
class DisplayManager : public Manager
{
public:
    /// The one display manager, made on first use.
    static DisplayManager &getInstance();
    /// Releases the window, text and rectangle.
    ~DisplayManager() override;

    /// Opens the window, loads the font and makes the text and rectangle; 0, or -1 on failure.
    int startUp() override;
    /// Closes the window and releases the text, the rectangle and the connection to the display.
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

    /// What each cell of the frame drawn since the last `swapBuffers` shows, as `FrameText` text.
    std::string getFrameText() const;

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
    DisplayManager();
    /// Notes in the frame text that the cell at a world position shows `ch` in colour `letter`.
    void noteCell(const Vector &world_pos, char ch, char letter) const;
    /// Closes and deletes the window, text and rectangle that exist, then drops the display connection.
    void release();
    /// Shrinks the window's pixel size to a display of the given size, with a log line when it must.
    void fitWindowToDisplay(unsigned int display_width, unsigned int display_height);
    /// Is the cell grid small enough to draw in the window? Logs why not.
    bool gridDrawable() const;
    /// Do characters of `size` pixels fit the font texture? Logs why not.
    bool characterSizeFits(float size) const;
    /// Counts a character dropped past the frame's bound, with a log line the first time.
    void dropCharacter() const;

    sf::Font font;                                 // loaded from the configured font file
    sf::RenderWindow *window = nullptr;            // owned; null when headless
    _XDisplay *display_connection = nullptr;       // owned; held while the window is open, so the server cannot reset
    int horizontal_pixels = 0;                     // window width, pixels
    int vertical_pixels = 0;                       // window height, pixels
    int horizontal_chars = 0;                      // window width, cells
    int vertical_chars = 0;                        // window height, cells
    sf::RectangleShape *rectangle = nullptr;       // owned; size and fill of the background under each character
    sf::Color background_color = sf::Color::Black; // window clear colour and rectangle fill
    sf::Text *text = nullptr;                      // owned; holds the character size and style of every glyph
    mutable FramePainter painter;                  // gets the queued characters into the window
    mutable FrameText frame_text;                  // what each cell of the frame being drawn shows
    long long max_frame_characters = 0;            // characters one frame draws at most
    mutable long long frame_characters = 0;        // characters queued since the window was cleared
    mutable long long dropped_characters = 0;      // characters dropped past the bound since start-up
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
