#include "EventMouse.h"

namespace qv
{

EventMouse::EventMouse()
{
    setType(MOUSE_EVENT);
}

void EventMouse::setMouseAction(int new_action)
{
    mouse_action = new_action;
}

int EventMouse::getMouseAction() const
{
    return mouse_action;
}

void EventMouse::setMouseButton(int new_button)
{
    mouse_button = new_button;
}

int EventMouse::getMouseButton() const
{
    return mouse_button;
}

void EventMouse::setMousePosition(const Vector &new_position)
{
    mouse_xy = new_position;
}

Vector EventMouse::getMousePosition() const
{
    return mouse_xy;
}

} // namespace qv
