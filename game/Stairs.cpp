#include "Stairs.h"

Stairs::Stairs()
{
    setType("Stairs");
    setSprite("stairs");
}
