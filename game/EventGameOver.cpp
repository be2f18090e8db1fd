#include "EventGameOver.h"

EventGameOver::EventGameOver()
{
    setType(GAME_OVER_EVENT);
}
