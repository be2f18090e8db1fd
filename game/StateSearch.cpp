#include "StateSearch.h"

#include "Hero.h"
#include "LogManager.h"
#include "Monster.h"

namespace
{

const float SEARCH_SPEED = 0.15f; // cells per step
const int SEARCH_MOVE_STEPS = 30;
const int SEARCH_PAUSE_STEPS = 10;

} // namespace

void StateSearch::Enter(qv::Object *p_obj)
{
    Monster *p_monster = dynamic_cast<Monster *>(p_obj);
    if (p_monster == nullptr)
        return;
    p_monster->setSprite("monster-walk");
    p_monster->setSpeed(SEARCH_SPEED);
    paused = false;
    p_monster->setMoveTimer(SEARCH_MOVE_STEPS);
    p_monster->setPauseTimer(SEARCH_PAUSE_STEPS);
    qv::LogManager::getInstance().writeLog("StateSearch::Enter():Set monster-walk");
}

void StateSearch::Execute(qv::Object *p_obj)
{
    Monster *p_monster = dynamic_cast<Monster *>(p_obj);
    if (p_monster == nullptr)
        return;
    if (p_monster->getMoveTimer() <= 0 && !paused)
    {
        p_monster->setSpeed(0);
        p_monster->setMoveTimer(SEARCH_MOVE_STEPS);
        paused = true;
    }
    if (p_monster->getPauseTimer() <= 0 && paused)
    {
        p_monster->setDirection(randomDirection());
        p_monster->setSpeed(SEARCH_SPEED);
        setAnimationRunning(p_monster, true);
        p_monster->setPauseTimer(SEARCH_PAUSE_STEPS);
        paused = false;
    }
    if (paused)
        p_monster->setPauseTimer(p_monster->getPauseTimer() - 1);
    else
        p_monster->setMoveTimer(p_monster->getMoveTimer() - 1);
    const qv::Vector seen = p_monster->directionToHero();
    if (seen.getX() != 0 || seen.getY() != 0)
        p_monster->changeState(p_monster->getChase());
    else if (!p_monster->heroInRange())
        p_monster->changeState(p_monster->getWander());
}

bool StateSearch::isPaused() const
{
    return paused;
}
