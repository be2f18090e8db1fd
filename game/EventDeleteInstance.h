#pragma once

#include "Event.h"

#include <string>

namespace qv
{
class Object;
} // namespace qv

/// Name of the `EventDeleteInstance` events.
const std::string DELETE_EVENT = "delete_event";

/// Asks the map to drop an eaten food or a killed monster from its lists and delete it.
class EventDeleteInstance : public qv::Event
{
public:
    /// A "delete_event" event carrying the object to remove (not owned).
    explicit EventDeleteInstance(qv::Object *p_init_object);

    /// The object to remove.
    qv::Object *getObject() const;

private:
    qv::Object *p_object; // the object to remove, not owned
};
