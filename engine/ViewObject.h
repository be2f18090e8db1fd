#pragma once

#include "Color.h"
#include "Object.h"

#include <string>

namespace qv
{

class Event;

/// The nine places a view object can be pinned to.
enum ViewObjectLocation : int
{
    UNDEFINED_LOCATION = -1, // the position was set directly
    TOP_LEFT = 0,
    TOP_CENTER,
    TOP_RIGHT,
    CENTER_LEFT,
    CENTER_CENTER,
    CENTER_RIGHT,
    BOTTOM_LEFT,
    BOTTOM_CENTER,
    BOTTOM_RIGHT,
};

/// Index of one of a view object's own "modified" flags; also the order of its attributes in text form.
enum ViewObjectAttribute : int
{
    VIEW_STRING = 0,
    VALUE,
    BORDER,
    COLOR,
    LOCATION,
    DRAW_VALUE,
};

/// Number of `ViewObjectAttribute` values.
const int VIEW_ATTRIBUTE_COUNT = 6;

/// A heads-up display item: a short text, optionally followed by an integer value and framed by a
/// one-character border, pinned to one of nine places on the screen. Its position is held in view
/// coordinates, so it stays put while the view scrolls; the world manager draws it wherever the
/// view is. It is created, owned and deleted like any other object.
///
/// A view object registers for "qv-view" when made: an `EventView` whose tag equals its text sets
/// or adjusts its value.
///
///     ViewObject *p_floor = new ViewObject;
///     p_floor->setViewString("Floor");
///     p_floor->setLocation(TOP_RIGHT);
///     EventView next("Floor", 1, true);
///     WorldManager::getInstance().onEvent(&next);
class ViewObject : public Object
{
public:
    /// A white, bordered view object with no text and value 0 at `TOP_CENTER`, inserted into the
    /// world manager as every object is; `SPECTRAL`, drawn at `MAX_ALTITUDE`.
    ViewObject();
    /// Leaves the world manager as every object does; only the world manager deletes objects.
    ~ViewObject() override;

    /// Places the object at a position in the view, in cells; its location becomes undefined.
    void setPosition(Vector new_position) override;
    /// Sets or adjusts the value on a "qv-view" event tagged with the text; 1 if handled, 0 if not.
    /// Other events go to `Object::eventHandler`.
    int eventHandler(const Event *p_event) override;
    /// Draws the text, the value and the border instead of an animation; 0, or the sum of the
    /// failed drawing calls (each -1).
    int draw() override;
    /// The object's attribute text followed by the view attributes chosen by `attribute_list`
    /// ("VIEW_STRING,", "VALUE,", "BORDER,", "COLOR,", "LOCATION,", "DRAW_VALUE,", "ALL", or ""
    /// for the changed ones), clearing their flags. The text goes through `escapeText`.
    std::string serialize(std::string attribute_list) override;
    /// Reads the object's attributes, then the view attributes, through the setters; always 0.
    /// The text ends at a NUL, and an empty "view_string" item empties it. A location of -1
    /// (`UNDEFINED_LOCATION`, written for an object placed by position) keeps the position read
    /// and leaves the object unpinned.
    int deserialize(std::string text) override;
    /// Has any view or object attribute changed since it was last serialized?
    bool isModified() const override;
    using Object::isModified;
    /// Has this view attribute changed since it was last serialized? False outside the six.
    virtual bool isModified(ViewObjectAttribute attribute) const;

    /// Sets the text shown.
    void setViewString(std::string new_view_string);
    /// The text shown.
    std::string getViewString() const;
    /// Sets the value shown after the text.
    void setValue(int new_value);
    /// The value shown after the text.
    int getValue() const;
    /// Sets the colour of the text and the border.
    void setColor(Color new_color);
    /// The colour of the text and the border.
    Color getColor() const;
    /// Shows or hides the border; a pinned object moves to the row its location has with the new
    /// setting.
    void setBorder(bool new_border);
    /// Is the border drawn?
    bool getBorder() const;
    /// Shows or hides the value.
    void setDrawValue(bool new_draw_value);
    /// Is the value drawn?
    bool getDrawValue() const;
    /// Pins the object to one of the nine places of the current view; any other value is refused
    /// with a warning.
    void setLocation(ViewObjectLocation new_location);
    /// Where the object is pinned, or `UNDEFINED_LOCATION` after `setPosition`.
    ViewObjectLocation getLocation() const;

private:
    std::string view_string;                  // the text shown
    int value = 0;                            // shown after the text when draw_value is set
    bool draw_value = true;                   // show the value
    bool border = true;                       // frame with dashes above and below, bars at the sides
    Color color = WHITE;                      // of the text and the border
    ViewObjectLocation location = TOP_CENTER; // where pinned, or UNDEFINED_LOCATION
    bool modified[VIEW_ATTRIBUTE_COUNT];      // changed since last serialized, by ViewObjectAttribute
};

} // namespace qv
