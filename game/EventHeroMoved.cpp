#include "EventHeroMoved.h"

EventHeroMoved::EventHeroMoved(qv::Object *p_init_object) : p_object(p_init_object)
{
    setType(HERO_MOVED_EVENT);
}

qv::Object *EventHeroMoved::getObject() const
{
    return p_object;
}
