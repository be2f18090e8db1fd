#pragma once

#include "Manager.h"

namespace sf
{
class Event;
} // namespace sf

namespace qv
{

class EventKeyboard;
struct RecordedInput;

/// Turns the window's keyboard and mouse input into engine events for the objects registered
/// with it for "qv-keyboard" and "qv-mouse". It owns nothing: the window is the display manager's.
///
/// The game manager starts it after the display manager, which switches the window's key repeat
/// off until shut-down, and calls `getInput` once per pass. Each call first delivers the window's
/// events in arrival order (key presses and releases, pointer moves, clicks), then one event per
/// mouse button and per key being held. A close request of the window ends the game at once. A
/// game registers its objects and reacts in their handlers:
///
///     p_hero->registerInterest(KEYBOARD_EVENT);
///     ... in the handler: if (p_key->getKey() == Keyboard::Q) GameManager::getInstance().setGameOver();
class InputManager : public Manager
{
public:
    /// The one input manager, created on first use.
    static InputManager &getInstance();

    /// Accepts "qv-keyboard" and "qv-mouse".
    bool isValid(const std::string &event_name) const override;
    /// Switches the window's key repeat off; needs the display manager started first. 0, or -1.
    int startUp() override;
    /// Switches the window's key repeat back on.
    void shutDown() override;

    /// Delivers this pass's keyboard and mouse events; does nothing when headless.
    void getInput();
    /// A keyboard event carrying the engine key of a window key event; its action is left undefined.
    EventKeyboard toEventKeyboard(const sf::Event &event) const;

private:
    InputManager();
    /// Writes `input` to the recording when one is being made, then delivers it.
    void deliver(const RecordedInput &input);
    /// Delivers the recorded events of this pass; the window's Q or close request ends the game.
    void replayInput();
};

} // namespace qv
