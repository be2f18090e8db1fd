#pragma once

#include "Event.h"

#include <string>

/// Name of the `EventFoodFound` events.
const std::string FOOD_FOUND_EVENT = "food_found";

/// Sent by a normal food the hero touches.
class EventFoodFound : public qv::Event
{
public:
    /// A "food_found" event.
    EventFoodFound();
};
