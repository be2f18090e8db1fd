#include "FloorNum.h"

#include "EventGameOver.h"
#include "EventStairs.h"
#include "WorldManager.h"

FloorNum::FloorNum()
{
    setLocation(qv::TOP_RIGHT);
    setViewString("FLOOR");
    setColor(qv::WHITE);
    setValue(1);
    registerInterest(STAIRS_EVENT);
    registerInterest(GAME_OVER_EVENT);
}

int FloorNum::eventHandler(const qv::Event *p_event)
{
    if (p_event->getType() == STAIRS_EVENT)
    {
        setValue(getValue() + 1);
        return 1;
    }
    if (p_event->getType() == GAME_OVER_EVENT)
    {
        qv::WorldManager::getInstance().markForDelete(this);
        return 1;
    }
    return ViewObject::eventHandler(p_event);
}
