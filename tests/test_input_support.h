#pragma once

#include "Object.h"
#include "presentation_support.h"

#include <SFML/Window/Keyboard.hpp>
#include <SFML/Window/Mouse.hpp>

#include <functional>
#include <string>
#include <vector>

// Tests that type into the real window with xdotool. Key state, focus and the pointer belong to
// the whole X server, and other tests open windows at the same place at the same time, so each
// of these tests starts an X server of its own (DISPLAY pointed at it) before it opens the window.
class InputWindowTest : public WindowTest
{
protected:
    void SetUp() override;

    /// Runs "xdotool `arguments`" on the test's server and fails the test if it fails.
    void xdotool(const std::string &arguments) const;
    std::string windowId() const; // as xdotool names windows
    /// Presents the last drawing and delivers input, as a pass of the game loop begins.
    void pass();
    /// These wait until the X server reports the key, button or pointer so, which means its window
    /// event has arrived for the next pass; they fail the test after a generous time.
    void waitForKey(sf::Keyboard::Key key, bool held) const;
    void waitForButton(sf::Mouse::Button button, bool held) const;
    void waitForPointer(int x, int y) const; // pixels in the window
    /// Waits for one reply of the X server: every event it made before is then queued.
    void settle() const;
    /// Asks the window to close, as a window manager's close button does.
    void sendCloseRequest() const;

    int pass_count = 0; // passes run so far
};

/// An object registered for "qv-keyboard" and "qv-mouse" that writes down what it receives.
class InputRecorder : public qv::Object
{
public:
    explicit InputRecorder(const int *p_pass); // `p_pass` (not owned) stamps each event
    int eventHandler(const qv::Event *p_event) override;

    std::vector<std::string> keys;  // "pass action key" per keyboard event, as keyLine writes it
    std::vector<std::string> mouse; // "pass action button (x,y)" per mouse event, cells
    std::function<void()> on_key;   // runs after a keyboard event is written down, when set

private:
    const int *p_pass;
};

/// "pass action key", the action being "pressed", "released" or "down".
std::string keyLine(int pass, int action, int key);
