#include "EventDeleteInstance.h"

EventDeleteInstance::EventDeleteInstance(qv::Object *p_init_object) : p_object(p_init_object)
{
    setType(DELETE_EVENT);
}

qv::Object *EventDeleteInstance::getObject() const
{
    return p_object;
}
