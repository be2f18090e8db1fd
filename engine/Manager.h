#pragma once

#include "ObjectList.h"

#include <string>

namespace qv
{

class Event;
class Object;

/// Most distinct event names one manager keeps interests for.
const int MAX_EVENTS = 100;

/// Base of every engine service. A manager is a process-wide singleton that is started and
/// stopped by the game manager and keeps, per event name, the objects that want to be told about
/// events of that name (at most `MAX_EVENTS` names; it never owns the objects). Objects normally
/// register through `Object::registerInterest`, which picks the manager by the name; `onEvent`
/// then calls the handler of every active object registered for the event's type.
class Manager
{
public:
    /// A stopped manager of type "Manager" with no interests.
    Manager() = default;
    /// Not copyable: each manager is a singleton.
    Manager(const Manager &) = delete;
    /// Not assignable, for the same reason.
    Manager &operator=(const Manager &) = delete;

    /// May objects register with this manager for this event name? The base accepts none.
    virtual bool isValid(const std::string &event_name) const;
    /// Virtual, so that each manager is destroyed as what it is.
    virtual ~Manager();
    /// Marks the manager started (a repeated call only warns); 0, non-zero when a derived one fails.
    virtual int startUp();
    /// Marks the manager stopped (a repeated call only warns); interests are kept.
    virtual void shutDown();

    /// The manager's class name, such as "GameManager".
    std::string getType() const;
    /// Renames the manager; each concrete manager's constructor sets its class name.
    void setType(const std::string &new_type);
    /// Has `startUp` succeeded since the last `shutDown`?
    bool isStarted() const;

    /// Records that `p_o` (not owned) wants events named `event_type`; 0, or -1 if the name is not
    /// valid here (logged) or 100 other names are already held. Registering twice means two calls.
    int registerInterest(Object *p_o, const std::string &event_type);
    /// Forgets the first record of `p_o` for `event_type`; 0, or -1 if there was none.
    int unregisterInterest(Object *p_o, const std::string &event_type);
    /// Calls the handler of every active object registered for the event's type; returns how many.
    /// Handlers may register and unregister meanwhile: the change applies from the next event.
    int onEvent(const Event *p_event) const;

    /// Number of event names that have at least one interested object.
    int getEventCount() const;
    /// The event name held in `slot`, or "" outside 0 .. getEventCount()-1.
    std::string getEventName(int slot) const;

protected:
    /// Is the manager started? If not, writes "<type> not started!" to the log.
    bool checkStarted() const;

private:
    std::string type = "Manager";       // class name of the concrete manager
    int event_count = 0;                // used slots of the two arrays below
    std::string event_name[MAX_EVENTS]; // event names with at least one interested object
    ObjectList obj_list[MAX_EVENTS];    // objects interested in event_name[i], not owned
    bool is_started = false;            // set by startUp, cleared by shutDown
};

} // namespace qv
