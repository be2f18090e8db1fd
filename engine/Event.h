#pragma once

#include <string>

namespace qv
{

/// The engine's event names; `UNDEFINED_EVENT` is the name of an event never given one, and no
/// manager delivers it. `VIEW_EVENT` and the three custom network names have no class of their own.
const std::string UNDEFINED_EVENT = "qv-undefined";
const std::string STEP_EVENT = "qv-step";
const std::string COLLISION_EVENT = "qv-collision";
const std::string OUT_EVENT = "qv-out";
const std::string KEYBOARD_EVENT = "qv-keyboard";
const std::string MOUSE_EVENT = "qv-mouse";
const std::string VIEW_EVENT = "qv-view";
const std::string PATH_EVENT = "qv-path";
const std::string NETWORK_EVENT = "qv-network";
const std::string CUSTOM_NETWORK_EVENT = "qv-custom-network";
const std::string KEYBOARD_NETWORK_EVENT = "qv-keyboard-network";
const std::string MOUSE_NETWORK_EVENT = "qv-mouse-network";

/// Base of every event: a small value identified by its type string. Events live on the sender's
/// stack and are handed to handlers by pointer; nobody keeps the pointer after delivery.
class Event
{
public:
    /// An event of type "qv-undefined", which no manager delivers.
    Event();
    virtual ~Event();

    /// The event's name, such as "qv-step".
    std::string getType() const;
    /// Renames the event; each event class's constructor sets its own name.
    void setType(const std::string &new_type);

private:
    std::string type; // event name, such as "qv-step"
};

} // namespace qv
