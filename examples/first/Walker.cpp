#include "Walker.h"

#include <quorvex/EventKeyboard.h>
#include <quorvex/EventView.h>
#include <quorvex/GameManager.h>
#include <quorvex/WorldManager.h>

Walker::Walker()
{
    setType("Walker");
    setSprite("walker");
    // The sprite's box fills its cell, and boxes that merely touch collide: a little smaller, the
    // walker can stand right beside a wall.
    setBox(qv::Box(qv::Vector(-0.45f, -0.45f), 0.9f, 0.9f));
    // Keyboard events come only to objects that ask for them.
    registerInterest(qv::KEYBOARD_EVENT);
}

int Walker::eventHandler(const qv::Event *p_event)
{
    if (p_event->getType() != qv::KEYBOARD_EVENT)
        return Object::eventHandler(p_event);
    const qv::EventKeyboard *p_key = static_cast<const qv::EventKeyboard *>(p_event);
    if (p_key->getKeyboardAction() != qv::KEY_PRESSED)
        return 0;
    qv::Vector step;
    switch (p_key->getKey())
    {
    case qv::Keyboard::LEFT_ARROW:
        step = qv::Vector(-1, 0);
        break;
    case qv::Keyboard::RIGHT_ARROW:
        step = qv::Vector(1, 0);
        break;
    case qv::Keyboard::UP_ARROW:
        step = qv::Vector(0, -1);
        break;
    case qv::Keyboard::DOWN_ARROW:
        step = qv::Vector(0, 1);
        break;
    case qv::Keyboard::Q:
        qv::GameManager::getInstance().setGameOver();
        return 1;
    default:
        return 0;
    }
    // The world manager refuses the move when a HARD object is in the way.
    if (qv::WorldManager::getInstance().moveObject(this, getPosition() + step) == 0)
    {
        // Every display item tagged "Steps" adds the event's value to its own.
        qv::EventView counted("Steps", 1, true);
        qv::WorldManager::getInstance().onEvent(&counted);
    }
    return 1;
}
