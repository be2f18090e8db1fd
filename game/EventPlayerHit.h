#pragma once

#include "Event.h"

#include <string>

/// Name of the `EventPlayerHit` events.
const std::string PLAYER_HIT_EVENT = "player_hit";

/// Sent by a monster touching the hero.
class EventPlayerHit : public qv::Event
{
public:
    /// A "player_hit" event.
    EventPlayerHit();
};
