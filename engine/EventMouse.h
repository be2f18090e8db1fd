#pragma once

#include "Event.h"
#include "Vector.h"

namespace qv
{

/// What happened to the mouse.
enum EventMouseAction
{
    UNDEFINED_MOUSE_ACTION = -1,
    CLICKED = 0, // a button went down
    PRESSED = 1, // a button is held; reported every pass while it is
    MOVED = 2,   // the pointer moved
};

namespace Mouse
{

/// The mouse buttons the engine reports.
enum Button
{
    UNDEFINED_MOUSE_BUTTON = -1,
    LEFT = 0,
    RIGHT = 1,
    MIDDLE = 2,
};

} // namespace Mouse

/// A mouse button or the pointer changed.
class EventMouse : public Event
{
public:
    /// A "qv-mouse" event with undefined action and button, at (0, 0).
    EventMouse();

    /// Sets what happened, an `EventMouseAction` value.
    void setMouseAction(int new_action);
    /// What happened, an `EventMouseAction` value.
    int getMouseAction() const;
    /// Sets the button, a `Mouse::Button` value.
    void setMouseButton(int new_button);
    /// The button, a `Mouse::Button` value.
    int getMouseButton() const;
    /// Sets the pointer's position, in character cells.
    void setMousePosition(const Vector &new_position);
    /// The pointer's position, in character cells.
    Vector getMousePosition() const;

private:
    int mouse_action = UNDEFINED_MOUSE_ACTION;        // an EventMouseAction
    int mouse_button = Mouse::UNDEFINED_MOUSE_BUTTON; // a Mouse::Button
    Vector mouse_xy;                                  // pointer position, in cells
};

} // namespace qv
