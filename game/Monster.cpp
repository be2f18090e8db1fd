#include "Monster.h"

#include "Hero.h"
#include "LogManager.h"

Monster::Monster(Hero *p_init_hero) : hero(p_init_hero)
{
    setType("Monster");
    setAltitude(3);
    setSpeed(0);
    setSprite("monster-walk");
    setAnimationRunning(this, false);
    qv::LogManager::getInstance().writeLog("Monster initialized");
}

Hero *Monster::getHero() const
{
    return hero;
}
