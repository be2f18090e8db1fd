#pragma once

#include "Event.h"

#include <string>

namespace qv
{

/// Sets or adjusts the value of the view objects whose text equals its tag. A game sends it
/// through the world manager's `onEvent`; view objects register for "qv-view" when made.
class EventView : public Event
{
public:
    /// A "qv-view" event for the view objects showing `new_tag`: with `new_delta` their value
    /// grows by `new_value`, otherwise it becomes `new_value`.
    explicit EventView(std::string new_tag = "", int new_value = 0, bool new_delta = false);

    /// Sets the text of the view objects the event is meant for.
    void setTag(std::string new_tag);
    /// The text of the view objects the event is meant for.
    std::string getTag() const;
    /// Sets the new value, or the amount to add when the event is a delta.
    void setValue(int new_value);
    /// The new value, or the amount to add when the event is a delta.
    int getValue() const;
    /// When true the value is added to the view object's value instead of replacing it.
    void setDelta(bool new_delta);
    /// Is the value added rather than stored?
    bool getDelta() const;

private:
    std::string tag; // view_string of the view objects concerned
    int value;       // the new value, or the amount added
    bool delta;      // add value instead of replacing
};

} // namespace qv
