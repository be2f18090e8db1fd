#pragma once

#include "Box.h"
#include "Vector.h"

#include <string>

namespace qv
{

class Event;

/// Most event names one object can be registered for.
const int MAX_OBJ_EVENTS = 100;

/// Base of everything in the game world. An object inserts itself into the world manager when it
/// is constructed; the world manager owns it from then on. Game code creates objects with `new`
/// and never deletes them: it asks `WorldManager::markForDelete` instead.
class Object
{
public:
    /// A new object with the next id, inserted into the world manager.
    Object();
    /// Unregisters every interest and leaves the world manager.
    virtual ~Object();

    virtual void setPosition(Vector new_position);
    /// Handles an event; 1 if handled, 0 if not.
    virtual int eventHandler(const Event *p_event);
    /// Draws the object; 0 on success.
    virtual int draw();

    int getId() const;
    std::string getType() const;
    void setType(const std::string &new_type);
    bool isActive() const;
    Vector getPosition() const;
    /// The object's box, relative to its position.
    Box getBox() const;

    /// Asks the manager that keeps `event_name` to deliver such events to this object; 0, or -1.
    int registerInterest(const std::string &event_name);
    /// Undoes a registration; 0, or -1 if the name was not registered.
    int unregisterInterest(const std::string &event_name);

private:
    int id;                                  // unique, from a counter starting at 1
    std::string type = "(Undefined)";        // chosen by game code: "Hero", "Wall", ...
    bool is_active = true;                   // inactive objects are not moved, collided or drawn
    Box box = Box(Vector(-0.5f, -0.5f), 0.99f, 0.99f);  // relative to position, cells
    Vector position = Vector(1, 1);          // world position, cells
    int event_count = 0;                     // names in event_name
    std::string event_name[MAX_OBJ_EVENTS];  // registered names, in registration order
};

} // namespace qv
