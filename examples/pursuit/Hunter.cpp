#include "Hunter.h"

#include <quorvex/EventCollision.h>
#include <quorvex/EventPath.h>
#include <quorvex/GameManager.h>
#include <quorvex/LogManager.h>

Hunter::Hunter(qv::Object *p_new_runner) : p_runner(p_new_runner)
{
    setType("Hunter");
    registerInterest(qv::STEP_EVENT);
    machine.setOwner(this);
    machine.setState(&roaming);
    machine.changeState(&roaming);
}

int Hunter::eventHandler(const qv::Event *p_event)
{
    if (p_event->getType() == qv::STEP_EVENT)
    {
        machine.Update();
        return 1;
    }
    qv::LogManager &log = qv::LogManager::getInstance();
    if (p_event->getType() == qv::PATH_EVENT)
    {
        const qv::EventPath *p_path = static_cast<const qv::EventPath *>(p_event);
        if (p_path->getResult() == 2)
            log.writeLog("pursuit: hunter %d found a way of %zu cells", getId(), p_path->getPath().getNodes().size());
        // The base class walks the path found.
        return Object::eventHandler(p_event);
    }
    if (p_event->getType() == qv::COLLISION_EVENT)
    {
        const qv::EventCollision *p_collision = static_cast<const qv::EventCollision *>(p_event);
        if ((p_collision->getObject1() == p_runner || p_collision->getObject2() == p_runner) &&
            !qv::GameManager::getInstance().getGameOver())
        {
            log.writeLog("pursuit: hunter %d caught the runner after %d steps", getId(),
                         qv::GameManager::getInstance().getStepCount());
            qv::GameManager::getInstance().setGameOver();
        }
        return 1;
    }
    return Object::eventHandler(p_event);
}

qv::Object *Hunter::getRunner() const
{
    return p_runner;
}

void Hunter::hunt()
{
    machine.changeState(&hunting);
}

void Hunter::roam()
{
    machine.changeState(&roaming);
}
