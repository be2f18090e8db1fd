#include "StateWander.h"

#include "Hero.h"
#include "LogManager.h"
#include "Monster.h"

void StateWander::Enter(qv::Object *p_obj)
{
    Monster *p_monster = dynamic_cast<Monster *>(p_obj);
    if (p_monster == nullptr)
        return;
    p_monster->setSprite("monster-walk");
    p_monster->setSpeed(0);
    setAnimationRunning(p_monster, false);
    paused = true;
    p_monster->setPauseTimer(90);
    p_monster->setMoveTimer(60);
    qv::LogManager::getInstance().writeLog("StateWander::Enter():Set monster-walk");
}

void StateWander::Execute(qv::Object *p_obj)
{
    Monster *p_monster = dynamic_cast<Monster *>(p_obj);
    if (p_monster == nullptr)
        return;
    if (p_monster->getMoveTimer() <= 0 && !paused)
    {
        p_monster->setSpeed(0);
        setAnimationRunning(p_monster, false);
        p_monster->setMoveTimer(60);
        paused = true;
    }
    if (p_monster->getPauseTimer() <= 0 && paused)
    {
        qv::Vector direction = randomDirection();
        direction.normalize();
        p_monster->setVelocity(
            qv::Vector(direction.getX() * MONSTER_SPEED.getX(), direction.getY() * MONSTER_SPEED.getY()));
        setAnimationRunning(p_monster, true);
        p_monster->setPauseTimer(90);
        paused = false;
    }
    if (paused)
        p_monster->setPauseTimer(p_monster->getPauseTimer() - 1);
    else
        p_monster->setMoveTimer(p_monster->getMoveTimer() - 1);
    if (p_monster->heroInRange())
        p_monster->changeState(p_monster->getSearch());
}

bool StateWander::isPaused() const
{
    return paused;
}
