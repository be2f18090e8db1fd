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
    EventMouse();

    /// An `EventMouseAction` value.
    void setMouseAction(int new_action);
    int getMouseAction() const;
    /// A `Mouse::Button` value.
    void setMouseButton(int new_button);
    int getMouseButton() const;
    /// The pointer's position in character cells.
    void setMousePosition(const Vector &new_position);
    Vector getMousePosition() const;

private:
    int mouse_action = UNDEFINED_MOUSE_ACTION;        // an EventMouseAction
    int mouse_button = Mouse::UNDEFINED_MOUSE_BUTTON; // a Mouse::Button
    Vector mouse_xy;                                  // pointer position, in cells
};

} // namespace qv
