#include "EventBigFood.h"

EventBigFood::EventBigFood()
{
    setType(BIG_FOOD_EVENT);
}
