#include "StateMachine.h"

#include "LogManager.h"
#include "State.h"

namespace qv
{

void StateMachine::setOwner(Object *p_new_owner)
{
    p_owner = p_new_owner;
}

Object *StateMachine::getOwner() const
{
    return p_owner;
}

void StateMachine::setState(State *p_new_state)
{
    p_state = p_new_state;
}

State *StateMachine::getState() const
{
    return p_state;
}

State *StateMachine::getPreviousState() const
{
    return p_previous_state;
}

void StateMachine::setGlobalState(State *p_new_state)
{
    p_global_state = p_new_state;
}

State *StateMachine::getGlobalState() const
{
    return p_global_state;
}

void StateMachine::changeState(State *p_new_state)
{
    LogManager &log = LogManager::getInstance();
    if (!p_new_state)
    {
        log.writeLog("Warning! p_new_state is undefined. Ignoring.");
        return;
    }
    log.writeLog(10, "StateMachine::changeState(): old %s, new %s", p_state ? p_state->getType().c_str() : "null",
                 p_new_state->getType().c_str());
    if (p_state)
        p_state->Exit(p_owner);
    p_previous_state = p_state;
    p_state = p_new_state;
    p_state->Enter(p_owner);
}

void StateMachine::Update()
{
    LogManager::getInstance().writeLog(15, "StateMachine::Update(): p_global state %p, p_state %p",
                                       static_cast<void *>(p_global_state), static_cast<void *>(p_state));
    if (p_global_state)
        p_global_state->Execute(p_owner);
    if (p_state)
        p_state->Execute(p_owner);
}

} // namespace qv
