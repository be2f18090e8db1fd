#include "AttackRange.h"

AttackRange::AttackRange()
{
    setType("AttackObj");
    setSprite("attack_obj");
    setVisible(false);
    setSolidness(qv::SOFT);
    setAltitude(3);
}
