#pragma once

#include "Manager.h"

namespace sf
{
class RenderWindow;
}

namespace qv
{

/// Owns the game's window and draws the world as a grid of coloured characters. With
/// `headless:true` in the configuration it starts without a window and every drawing operation
/// returns -1, so the rest of the engine runs unchanged.
class DisplayManager : public Manager
{
public:
    static DisplayManager &getInstance();

    /// Takes the window's size from the configuration; 0, or -1 if the window cannot be made.
    int startUp() override;
    /// Closes the window.
    void shutDown() override;

    /// Shows the finished frame, then clears the window; -1 when there is no window.
    int swapBuffers();
    /// Window width, in cells.
    int getHorizontalChars() const;
    /// Window height, in cells.
    int getVerticalChars() const;
    /// The window, or null when headless.
    sf::RenderWindow *getWindow() const;

private:
    DisplayManager();

    sf::RenderWindow *window = nullptr;  // owned; null when headless
    int horizontal_pixels = 0;           // window width, pixels
    int vertical_pixels = 0;             // window height, pixels
    int horizontal_chars = 0;            // window width, cells
    int vertical_chars = 0;              // window height, cells
};

} // namespace qv
