#pragma once

#include "Event.h"

#include <string>

/// Name of the `EventBigFood` events.
const std::string BIG_FOOD_EVENT = "big-food";

/// Sent by a big food the hero touches.
class EventBigFood : public qv::Event
{
public:
    /// A "big-food" event.
    EventBigFood();
};
