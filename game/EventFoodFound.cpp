#include "EventFoodFound.h"

EventFoodFound::EventFoodFound()
{
    setType(FOOD_FOUND_EVENT);
}
