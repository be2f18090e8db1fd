#include "StateRoam.h"

#include "Hunter.h"

#include <cstdlib>
#include <quorvex/GameManager.h>
#include <quorvex/LogManager.h>

namespace
{
const float HUNT_RANGE = 30; // cells within which a roaming hunter notices the runner
const int TURN_EVERY = 40;   // steps between turns
} // namespace

StateRoam::StateRoam()
{
    setType("roam");
}

void StateRoam::Enter(qv::Object *p_obj)
{
    qv::LogManager::getInstance().writeLog("pursuit: hunter %d roams", p_obj->getId());
    p_obj->setSprite("hunter-roam");
    p_obj->setFollowPath(false);
    // Sliding along a wall rather than stopping dead keeps a roaming hunter on the move.
    p_obj->setAvoidCollisions(true);
    p_obj->setVelocity(qv::Vector(0, 0));
}

void StateRoam::Execute(qv::Object *p_obj)
{
    Hunter *p_hunter = static_cast<Hunter *>(p_obj);
    if (qv::distance(p_obj->getPosition(), p_hunter->getRunner()->getPosition()) < HUNT_RANGE)
    {
        p_hunter->hunt();
        return;
    }
    // Hunters turn on different steps, so that they do not move in step with each other.
    if ((qv::GameManager::getInstance().getStepCount() + p_obj->getId()) % TURN_EVERY == 0)
        p_obj->setVelocity(
            qv::Vector(static_cast<float>(std::rand() % 3 - 1) * 0.2f, static_cast<float>(std::rand() % 3 - 1) * 0.1f));
}
