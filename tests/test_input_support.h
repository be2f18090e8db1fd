#pragma once

#include "Object.h"
#include "Vector.h"
#include "presentation_support.h"

#include <SFML/Window/Keyboard.hpp>
#include <SFML/Window/Mouse.hpp>

#include <functional>
#include <string>
#include <vector>

// Tests that type into the real window with xdotool. Key state, focus and the pointer belong to
// the whole X server, and other tests open windows at the same place at the same time, so each
// of these tests starts an X server of its own (Xvfb on a free display number, DISPLAY pointed
// at it) before it opens the window. The server lives until the test process exits.
class InputWindowTest : public WindowTest
{
protected:
    void SetUp() override;

    /// Runs "xdotool `arguments`" on the test's server and fails the test if it fails.
    void xdotool(const std::string &arguments) const;
    /// The X id of the window, as xdotool names windows.
    std::string windowId() const;
    /// Presents the last drawing and delivers input, as a pass of the game loop begins.
    void pass();
    /// Waits until the X server reports `key` held (or not held), so that the window's key event
    /// has arrived before the next pass; fails the test after a generous time.
    void waitForKey(sf::Keyboard::Key key, bool held) const;
    /// The same for a mouse button.
    void waitForButton(sf::Mouse::Button button, bool held) const;
    /// The same for the pointer reaching a position in the window, pixels.
    void waitForPointer(int x, int y) const;
    /// Waits for one reply of the X server on the window's connection: every event the server
    /// made before it is then queued for the next pass.
    void settle() const;
    /// Asks the window to close, as a window manager's close button does.
    void sendCloseRequest() const;

    int pass_count = 0; // passes run so far
};

/// An object registered for "qv-keyboard" and "qv-mouse" that writes down what it receives.
class InputRecorder : public qv::Object
{
public:
    /// Registers for both names; `p_pass` (not owned) is read to stamp each event.
    explicit InputRecorder(const int *p_pass);
    int eventHandler(const qv::Event *p_event) override;

    std::vector<std::string> keys;  // "pass action key" per keyboard event, as keyLine writes it
    std::vector<std::string> mouse; // "pass action button (x,y)" per mouse event, cells with two decimals
    std::function<void()> on_key;   // runs after a keyboard event is written down, when set

private:
    const int *p_pass; // the test's pass counter
};

/// "pass action key", the action being "pressed", "released" or "down".
std::string keyLine(int pass, int action, int key);
