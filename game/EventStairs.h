#pragma once

#include "Event.h"

#include <string>

/// Name of the `EventStairs` events.
const std::string STAIRS_EVENT = "event_stairs";

/// Sent by the hero touching the stairs: the map builds the next floor.
class EventStairs : public qv::Event
{
public:
    /// A "event_stairs" event.
    EventStairs();
};
