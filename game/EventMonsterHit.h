#pragma once

#include "Event.h"

#include <string>

/// Name of the `EventMonsterHit` events.
const std::string MONSTER_HIT_EVENT = "monster_hit";

/// Sent by a monster touched by the hero's attack object.
class EventMonsterHit : public qv::Event
{
public:
    /// A "monster_hit" event.
    EventMonsterHit();
};
