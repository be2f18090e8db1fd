#include "Runner.h"

#include <quorvex/EventKeyboard.h>
#include <quorvex/EventStep.h>
#include <quorvex/GameManager.h>
#include <quorvex/WorldManager.h>

Runner::Runner(int init_quit_after) : quit_after(init_quit_after)
{
    setType("Runner");
    setSprite("runner");
    registerInterest(qv::KEYBOARD_EVENT);
    registerInterest(qv::STEP_EVENT);
}

int Runner::eventHandler(const qv::Event *p_event)
{
    if (p_event->getType() == qv::STEP_EVENT)
    {
        if (quit_after > 0 && static_cast<const qv::EventStep *>(p_event)->getStepCount() >= quit_after)
            qv::GameManager::getInstance().setGameOver();
        return 1;
    }
    if (p_event->getType() != qv::KEYBOARD_EVENT)
        return Object::eventHandler(p_event);
    const qv::EventKeyboard *p_key = static_cast<const qv::EventKeyboard *>(p_event);
    if (p_key->getKey() == qv::Keyboard::Q)
    {
        qv::GameManager::getInstance().setGameOver();
        return 1;
    }
    // A held key is reported every pass: a fraction of a cell per pass makes a steady walk. Cells
    // are twice as high as wide, so vertical steps are half as long.
    qv::Vector step;
    if (p_key->getKey() == qv::Keyboard::LEFT_ARROW)
        step = qv::Vector(-0.4f, 0);
    else if (p_key->getKey() == qv::Keyboard::RIGHT_ARROW)
        step = qv::Vector(0.4f, 0);
    else if (p_key->getKey() == qv::Keyboard::UP_ARROW)
        step = qv::Vector(0, -0.2f);
    else if (p_key->getKey() == qv::Keyboard::DOWN_ARROW)
        step = qv::Vector(0, 0.2f);
    else
        return 0;
    if (p_key->getKeyboardAction() != qv::KEY_RELEASED)
        qv::WorldManager::getInstance().moveObject(this, getPosition() + step);
    return 1;
}
