#pragma once

#include "Event.h"

namespace qv
{

/// Handed by the world manager to an object whose box has just left the world's boundary.
class EventOut : public Event
{
public:
    /// A "qv-out" event.
    EventOut();
};

} // namespace qv
