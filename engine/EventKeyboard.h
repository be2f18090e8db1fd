#pragma once

#include "Event.h"

namespace qv
{

/// What happened to a key.
enum EventKeyboardAction
{
    UNDEFINED_KEYBOARD_ACTION = -1,
    KEY_PRESSED = 0,  // the key went down
    KEY_RELEASED = 1, // the key went up
    KEY_DOWN = 2,     // the key is held; reported every pass while it is
};

namespace Keyboard
{

/// The engine's key codes.
enum Key
{
    UNDEFINED_KEY = -1,
    SPACE = 0,
    RETURN,
    ESCAPE,
    TAB,
    LEFT_ARROW,
    RIGHT_ARROW,
    UP_ARROW,
    DOWN_ARROW,
    PAUSE,
    SUBTRACT,
    ADD,
    TILDE,
    PERIOD,
    COMMA,
    SLASH,
    EQUAL,
    BACKSLASH,
    MULTIPLY,
    QUOTE,
    SEMICOLON,
    LEFT_CONTROL,
    RIGHT_CONTROL,
    LEFT_SHIFT,
    RIGHT_SHIFT,
    F1,
    F2,
    F3,
    F4,
    F5,
    F6,
    F7,
    F8,
    F9,
    F10,
    F11,
    F12,
    A,
    B,
    C,
    D,
    E,
    F,
    G,
    H,
    I,
    J,
    K,
    L,
    M,
    N,
    O,
    P,
    Q,
    R,
    S,
    T,
    U,
    V,
    W,
    X,
    Y,
    Z,
    NUM1,
    NUM2,
    NUM3,
    NUM4,
    NUM5,
    NUM6,
    NUM7,
    NUM8,
    NUM9,
    NUM0,
    BACKSPACE,
};

} // namespace Keyboard

/// A key went down, up, or is being held.
class EventKeyboard : public Event
{
public:
    /// A "qv-keyboard" event with undefined key and action.
    EventKeyboard();

    /// Sets the key, a `Keyboard::Key` value.
    virtual void setKey(int new_key);
    /// The key, a `Keyboard::Key` value.
    virtual int getKey() const;
    /// Sets what happened, an `EventKeyboardAction` value.
    virtual void setKeyboardAction(int new_action);
    /// What happened, an `EventKeyboardAction` value.
    virtual int getKeyboardAction() const;

private:
    int key_val = Keyboard::UNDEFINED_KEY;           // a Keyboard::Key
    int keyboard_action = UNDEFINED_KEYBOARD_ACTION; // an EventKeyboardAction
};

} // namespace qv
