#include "EventPlayerHit.h"

EventPlayerHit::EventPlayerHit()
{
    setType(PLAYER_HIT_EVENT);
}
