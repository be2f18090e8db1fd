#include "Hunger.h"

Hunger::Hunger()
{
    setLocation(qv::TOP_LEFT);
    setViewString("Hunger");
    setColor(qv::WHITE);
    setValue(100);
}
