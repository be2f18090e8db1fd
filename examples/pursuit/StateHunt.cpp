#include "StateHunt.h"

#include "Hunter.h"

#include <quorvex/GameManager.h>
#include <quorvex/LogManager.h>

namespace
{
const float GIVE_UP_RANGE = 40; // cells beyond which the hunter goes back to roaming
const float CLOSE_RANGE = 2;    // cells within which it leaves the path and goes straight
const int RENEW_EVERY = 30;     // steps between path requests
const float HUNT_SPEED = 0.25f; // cells per step
} // namespace

StateHunt::StateHunt()
{
    setType("hunt");
}

void StateHunt::Enter(qv::Object *p_obj)
{
    qv::LogManager::getInstance().writeLog("pursuit: hunter %d hunts", p_obj->getId());
    p_obj->setSprite("hunter-hunt");
    p_obj->setSpeed(HUNT_SPEED);
    // Paths lead round the walls; sliding would also slide the hunter past the runner, so that
    // the two never collide.
    p_obj->setAvoidCollisions(false);
    // The search runs a little every pass; the hunter hears of its end as a "qv-path" event.
    p_obj->requestPath(static_cast<Hunter *>(p_obj)->getRunner());
}

void StateHunt::Execute(qv::Object *p_obj)
{
    Hunter *p_hunter = static_cast<Hunter *>(p_obj);
    const qv::Vector to_runner = p_hunter->getRunner()->getPosition() - p_obj->getPosition();
    if (to_runner.getMagnitude() > GIVE_UP_RANGE)
    {
        p_hunter->roam();
        return;
    }
    if (to_runner.getMagnitude() < CLOSE_RANGE)
    {
        // A path ends where the boxes touch; the last bit is a straight run into the runner.
        qv::Vector run = to_runner;
        run.normalize();
        run.scale(HUNT_SPEED);
        p_obj->setFollowPath(false);
        p_obj->setVelocity(run);
    }
    else if ((qv::GameManager::getInstance().getStepCount() + p_obj->getId()) % RENEW_EVERY == 0)
        p_obj->requestPath(p_hunter->getRunner());
}
