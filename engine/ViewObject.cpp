#include "ViewObject.h"

#include "DisplayManager.h"
#include "EventView.h"
#include "LogManager.h"
#include "WorldManager.h"
#include "geometry.h"

#include <climits>
#include <utility>

namespace qv
{

ViewObject::ViewObject()
{
    setSolidness(SPECTRAL);
    setAltitude(MAX_ALTITUDE);
    setType("ViewObject");
    const float width = WorldManager::getInstance().getView().getHorizontal();
    setPosition(Vector(width * 3 / 6, 1));
    location = TOP_CENTER;
    for (bool &flag : modified)
        flag = true;
    registerInterest(VIEW_EVENT);
}

ViewObject::~ViewObject() = default;

void ViewObject::setPosition(Vector new_position)
{
    if (new_position == getPosition())
        return;
    location = UNDEFINED_LOCATION;
    Object::setPosition(new_position);
    modified[LOCATION] = true;
}

int ViewObject::eventHandler(const Event *p_event)
{
    if (p_event == nullptr || p_event->getType() != VIEW_EVENT)
        return Object::eventHandler(p_event);
    const EventView *p_view_event = dynamic_cast<const EventView *>(p_event);
    if (p_view_event == nullptr)
    {
        LogManager::getInstance().writeLog("ViewObject::eventHandler(): Error! Dynamic cast to EventView failed.");
        return 0;
    }
    if (p_view_event->getTag() != view_string)
        return 0;
    long long new_value = p_view_event->getValue();
    if (p_view_event->getDelta())
        new_value += value;
    // A sum past the int range would be undefined; the meter stops at its end instead.
    if (new_value > INT_MAX)
        new_value = INT_MAX;
    if (new_value < INT_MIN)
        new_value = INT_MIN;
    if (new_value != value)
    {
        value = static_cast<int>(new_value);
        modified[VALUE] = true;
    }
    return 1;
}

int ViewObject::draw()
{
    std::string text = view_string;
    if (draw_value)
        text += " " + std::to_string(value);
    if (border)
        text = " " + text + " ";

    const DisplayManager &display_manager = DisplayManager::getInstance();
    const Vector p = viewToWorld(getPosition());
    int result = display_manager.drawString(p, text, JUSTIFY_CENTER, color);
    if (border)
    {
        const int n = static_cast<int>(text.size());
        const std::string dashes(text.size(), '-');
        result += display_manager.drawString(Vector(p.getX(), p.getY() - 1), dashes, JUSTIFY_CENTER, color);
        result += display_manager.drawString(Vector(p.getX(), p.getY() + 1), dashes, JUSTIFY_CENTER, color);
        result += display_manager.drawCharacter(Vector(p.getX() - static_cast<float>(n / 2 + 1), p.getY()), '|', color);
        result += display_manager.drawCharacter(Vector(p.getX() + static_cast<float>(n - n / 2), p.getY()), '|', color);
    }
    return result;
}

bool ViewObject::isModified(ViewObjectAttribute attribute) const
{
    if (attribute < 0 || attribute >= VIEW_ATTRIBUTE_COUNT)
        return false;
    return modified[attribute];
}

void ViewObject::setViewString(std::string new_view_string)
{
    if (new_view_string == view_string)
        return;
    view_string = std::move(new_view_string);
    modified[VIEW_STRING] = true;
}

std::string ViewObject::getViewString() const
{
    return view_string;
}

void ViewObject::setValue(int new_value)
{
    if (new_value == value)
        return;
    value = new_value;
    modified[VALUE] = true;
}

int ViewObject::getValue() const
{
    return value;
}

void ViewObject::setColor(Color new_color)
{
    if (new_color == color)
        return;
    color = new_color;
    modified[COLOR] = true;
}

Color ViewObject::getColor() const
{
    return color;
}

void ViewObject::setBorder(bool new_border)
{
    border = new_border;
    modified[BORDER] = true;
    if (location != UNDEFINED_LOCATION)
        setLocation(location);
}

bool ViewObject::getBorder() const
{
    return border;
}

void ViewObject::setDrawValue(bool new_draw_value)
{
    draw_value = new_draw_value;
}

bool ViewObject::getDrawValue() const
{
    return draw_value;
}

void ViewObject::setLocation(ViewObjectLocation new_location)
{
    if (new_location < TOP_LEFT || new_location > BOTTOM_RIGHT)
    {
        LogManager::getInstance().writeLog("ViewObject::setLocation(): Warning! Location out of range (%d). Ignored.",
                                           static_cast<int>(new_location));
        return;
    }
    const Box view = WorldManager::getInstance().getView();
    const float width = view.getHorizontal();
    const float height = view.getVertical();
    const int column = new_location % 3;
    const int row = new_location / 3;
    float x = width / 6;
    if (column == 1)
        x = width * 3 / 6;
    else if (column == 2)
        x = width * 5 / 6;
    float y = border ? 1.0f : 0.0f;
    if (row == 1)
        y = border ? height * 0.5f : height * 0.5f - 1;
    else if (row == 2)
        y = border ? height - 2 : height - 1;
    setPosition(Vector(x, y));
    location = new_location;
    modified[LOCATION] = true;
}

ViewObjectLocation ViewObject::getLocation() const
{
    return location;
}

} // namespace qv
