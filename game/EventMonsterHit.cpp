#include "EventMonsterHit.h"

EventMonsterHit::EventMonsterHit()
{
    setType(MONSTER_HIT_EVENT);
}
