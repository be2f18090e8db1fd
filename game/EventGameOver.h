#pragma once

#include "Event.h"

#include <string>

/// Name of the `EventGameOver` events.
const std::string GAME_OVER_EVENT = "game-over";

/// Sent once by the hunger bar when it runs empty.
class EventGameOver : public qv::Event
{
public:
    /// A "game-over" event.
    EventGameOver();
};
