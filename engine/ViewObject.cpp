#include "ViewObject.h"

#include "DisplayManager.h"
#include "EventView.h"
#include "LogManager.h"
#include "WorldManager.h"
#include "attribute_text.h"
#include "geometry.h"

#include <algorithm>
#include <climits>
#include <utility>

namespace qv
{

namespace
{

// Selectors and keys of the text form, by ViewObjectAttribute.
const char *const view_selectors[VIEW_ATTRIBUTE_COUNT] = {"VIEW_STRING,", "VALUE,",    "BORDER,",
                                                          "COLOR,",       "LOCATION,", "DRAW_VALUE,"};
const char *const view_keys[VIEW_ATTRIBUTE_COUNT] = {"view_string", "view_value",    "view_border",
                                                     "view_color",  "view_location", "view_draw_value"};

} // namespace

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

std::string ViewObject::serialize(std::string attribute_list)
{
    LogManager::getInstance().writeLog(25, "ViewObject::serialize(): attr is '%s'", attribute_list.c_str());
    std::string text = Object::serialize(attribute_list);
    for (int i = 0; i < VIEW_ATTRIBUTE_COUNT; i++)
    {
        const bool chosen = attribute_list == "ALL" || (attribute_list.empty() && modified[i]) ||
                            attribute_list.find(view_selectors[i]) != std::string::npos;
        if (!chosen)
            continue;
        modified[i] = false;
        std::string value;
        switch (i)
        {
        case VIEW_STRING:
            value = escapeText(view_string);
            break;
        case VALUE:
            value = toString(this->value);
            break;
        case BORDER:
            value = toString(border);
            break;
        case COLOR:
            value = toString(static_cast<int>(color));
            break;
        case LOCATION:
            value = toString(static_cast<int>(location));
            break;
        default:
            value = toString(draw_value);
            break;
        }
        text += std::string(view_keys[i]) + ":" + value + ",";
    }
    return text;
}

int ViewObject::deserialize(std::string text)
{
    const int result = Object::deserialize(text);
    // An empty text would make the parser answer from whatever table it parsed last.
    if (text.empty())
        return result;
    LogManager &log = LogManager::getInstance();

    std::string verbatim;
    if (matchVerbatim(text, "view_string", &verbatim))
    {
        std::string new_view_string = unescapeText(verbatim);
        new_view_string.resize(std::min(new_view_string.size(), new_view_string.find('\0')));
        log.writeLog(10, "ViewObject::deserialize(): view_string is %s", escapeText(new_view_string).c_str());
        setViewString(new_view_string);
    }

    // One parse for the keys below; the setters parse nothing.
    std::string value = match(text, "view_value");
    if (!value.empty())
    {
        const int new_value = textToInt(value);
        log.writeLog(10, "ViewObject::deserialize(): value is %d", new_value);
        setValue(new_value);
    }

    value = match("", "view_border");
    if (!value.empty())
    {
        log.writeLog(10, "ViewObject::deserialize(): border is %s", value.c_str());
        if ((value == "true") != border)
            setBorder(value == "true");
    }

    value = match("", "view_color");
    if (!value.empty())
    {
        const int new_color = textToInt(value);
        log.writeLog(10, "ViewObject::deserialize(): color is %d", new_color);
        // Outside the enumeration a Color has no defined value.
        if (new_color >= BLACK && new_color <= CUSTOM)
            setColor(static_cast<Color>(new_color));
        else
            log.writeLog("ViewObject::deserialize(): Color %d not a colour.  Ignored.", new_color);
    }

    value = match("", "view_location");
    if (!value.empty())
    {
        const int new_location = textToInt(value);
        log.writeLog(10, "ViewObject::deserialize(): location is %d", new_location);
        // An object placed by position is written with -1; its position has been read already.
        if (new_location == UNDEFINED_LOCATION)
        {
            if (location != UNDEFINED_LOCATION)
                modified[LOCATION] = true;
            location = UNDEFINED_LOCATION;
        }
        else
        {
            setLocation(static_cast<ViewObjectLocation>(new_location));
        }
    }

    value = match("", "view_draw_value");
    if (!value.empty())
    {
        log.writeLog(10, "ViewObject::deserialize(): draw_value is %s", value.c_str());
        setDrawValue(value == "true");
    }
    return result;
}

bool ViewObject::isModified() const
{
    for (int i = 0; i < VIEW_ATTRIBUTE_COUNT; i++)
    {
        LogManager::getInstance().writeLog(10, "ViewObject::isModified(): %d is %s", i, modified[i] ? "true" : "false");
        if (modified[i])
            return true;
    }
    return Object::isModified();
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
    modified[BORDER] = true;
    border = new_border;
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
