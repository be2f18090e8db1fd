#include "FloorNum.h"

FloorNum::FloorNum()
{
    // MERGE: setLocation(qv::TOP_RIGHT);
    // MERGE: setViewString("FLOOR");
    // MERGE: setColor(qv::WHITE);
    // MERGE: setValue(1);
}
