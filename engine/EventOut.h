#pragma once

#include "Event.h"

namespace qv
{

/// Handed by the world manager to an object whose box has just left the world's boundary.
class EventOut : public Event
{
public:
    EventOut();
};

} // namespace qv
