#pragma once

#include <string>

namespace qv
{

/// The engine's event names; `UNDEFINED_EVENT` is the name of an event never given one, and no
/// manager delivers it. `VIEW_EVENT` and the three custom network names have no class of their own.
const std::string UNDEFINED_EVENT = "qv-undefined";
/// Sent to every object registered for it once per pass of the game loop (`EventStep`).
const std::string STEP_EVENT = "qv-step";
/// Handed to both objects of a collision (`EventCollision`); not registered for.
const std::string COLLISION_EVENT = "qv-collision";
/// Handed to an object that has just left the world (`EventOut`); not registered for.
const std::string OUT_EVENT = "qv-out";
/// A key went down, up or is held (`EventKeyboard`).
const std::string KEYBOARD_EVENT = "qv-keyboard";
/// The mouse moved or a button was clicked (`EventMouse`).
const std::string MOUSE_EVENT = "qv-mouse";
/// Sets or adjusts the value of the view objects with its tag (`EventView`).
const std::string VIEW_EVENT = "qv-view";
/// A path search has ended (`EventPath`); handed straight to the object that asked.
const std::string PATH_EVENT = "qv-path";
/// A connection was accepted, data arrived or a connection closed (`EventNetwork`).
const std::string NETWORK_EVENT = "qv-network";
/// A network event a game sends for its own purposes.
const std::string CUSTOM_NETWORK_EVENT = "qv-custom-network";
/// A keyboard event that came over the network.
const std::string KEYBOARD_NETWORK_EVENT = "qv-keyboard-network";
/// A mouse event that came over the network.
const std::string MOUSE_NETWORK_EVENT = "qv-mouse-network";

/// Base of every event: a small value identified by its type string. Events live on the sender's
/// stack and are handed to handlers by pointer; nobody keeps the pointer after delivery.
class Event
{
public:
    /// An event of type "qv-undefined", which no manager delivers.
    Event();
    /// Virtual, for the event classes derived from it.
    virtual ~Event();

    /// The event's name, such as "qv-step".
    std::string getType() const;
    /// Renames the event; each event class's constructor sets its own name.
    void setType(const std::string &new_type);

private:
    std::string type; // event name, such as "qv-step"
};

} // namespace qv
