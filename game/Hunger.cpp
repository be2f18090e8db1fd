#include "Hunger.h"

Hunger::Hunger()
{
    // MERGE: setLocation(qv::TOP_LEFT);
    // MERGE: setViewString("Hunger");
    // MERGE: setColor(qv::WHITE);
    // MERGE: setValue(100);
}
