#include "StateChase.h"

#include "Hero.h"
#include "LogManager.h"
#include "Monster.h"

void StateChase::Enter(qv::Object *p_obj)
{
    if (p_obj == nullptr)
        return;
    p_obj->setSprite("monster-chase");
    qv::LogManager::getInstance().writeLog("Statechase::Enter():Set monster-chase");
}

void StateChase::Execute(qv::Object *p_obj)
{
    Monster *p_monster = dynamic_cast<Monster *>(p_obj);
    if (p_monster == nullptr)
        return;
    qv::Vector v = p_monster->directionToHero();
    v.normalize();
    p_monster->setVelocity(qv::Vector(v.getX() * MONSTER_SPEED.getX(), v.getY() * MONSTER_SPEED.getY()));
    setAnimationRunning(p_monster, true);
    if (v.getX() == 0 && v.getY() == 0)
        p_monster->changeState(p_monster->getSearch());
}
