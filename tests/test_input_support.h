#pragma once

#include "DisplayManager.h"
#include "presentation_support.h"

#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Window/Mouse.hpp>

#include <string>

// Tests that type into the real window with xdotool. Key state, focus and the pointer belong to
// the whole X server, and other tests open windows at the same place at the same time, so each
// of these tests starts an X server of its own (DISPLAY pointed at it) before it opens the window.
class InputWindowTest : public WindowTest
{
protected:
    void SetUp() override;

    /// Runs "xdotool `arguments`" on the test's server and fails the test if it fails.
    void xdotool(const std::string &arguments) const;
    std::string windowId() const // as xdotool names windows
    {
        return std::to_string(qv::DisplayManager::getInstance().getWindow()->getSystemHandle());
    }
    /// Presents the last drawing and delivers input, as a pass of the game loop begins.
    void pass();
    /// Waits for one reply of the X server: every event it made before is then queued.
    void settle() const { sf::Mouse::getPosition(*qv::DisplayManager::getInstance().getWindow()); }

    int pass_count = 0; // passes run so far
};
