#include "FloorNum.h"

FloorNum::FloorNum()
{
    setLocation(qv::TOP_RIGHT);
    setViewString("FLOOR");
    setColor(qv::WHITE);
    setValue(1);
}
