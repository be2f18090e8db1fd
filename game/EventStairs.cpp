#include "EventStairs.h"

EventStairs::EventStairs()
{
    setType(STAIRS_EVENT);
}
