#include "Ship.h"

#include "Bullet.h"
#include "Rock.h"

#include <cstdlib>
#include <quorvex/EventKeyboard.h>
#include <quorvex/EventStep.h>
#include <quorvex/GameManager.h>
#include <quorvex/LogManager.h>
#include <quorvex/ViewObject.h>
#include <quorvex/WorldManager.h>

namespace
{
const float FLIGHT_SPEED = 0.4f; // cells per step, to the right
const int FIRE_EVERY = 6;        // steps between bullets
const int ROCK_EVERY = 3;        // steps between new rocks
const float ROCK_AHEAD = 45;     // cells ahead of the ship where rocks appear, just off the view
} // namespace

Ship::Ship(qv::ViewObject *p_init_shields, int init_quit_after) : p_shields(p_init_shields), quit_after(init_quit_after)
{
    setType("Ship");
    setSprite("ship");
    setVelocity(qv::Vector(FLIGHT_SPEED, 0));
    registerInterest(qv::STEP_EVENT);
    registerInterest(qv::KEYBOARD_EVENT);
}

int Ship::eventHandler(const qv::Event *p_event)
{
    if (p_event->getType() == qv::STEP_EVENT)
    {
        step(static_cast<const qv::EventStep *>(p_event)->getStepCount());
        return 1;
    }
    if (p_event->getType() == qv::OUT_EVENT)
    {
        // Only the right end can be left: the ship never flies backwards, and the rows are held below.
        laps++;
        setPosition(qv::Vector(2, getPosition().getY()));
        qv::WorldManager::getInstance().setViewFollowing(this);
        return 1;
    }
    if (p_event->getType() == qv::KEYBOARD_EVENT)
    {
        const qv::EventKeyboard *p_key = static_cast<const qv::EventKeyboard *>(p_event);
        if (p_key->getKey() == qv::Keyboard::Q)
            qv::GameManager::getInstance().setGameOver();
        const qv::Box world = qv::WorldManager::getInstance().getBoundary();
        qv::Vector to = getPosition();
        if (p_key->getKey() == qv::Keyboard::UP_ARROW && to.getY() > 2)
            to.setY(to.getY() - 1);
        else if (p_key->getKey() == qv::Keyboard::DOWN_ARROW && to.getY() < world.getVertical() - 1)
            to.setY(to.getY() + 1);
        else
            return 1;
        // Held keys repeat every pass; a step every pass would be too fast to steer.
        if (p_key->getKeyboardAction() == qv::KEY_PRESSED || qv::GameManager::getInstance().getStepCount() % 3 == 0)
            qv::WorldManager::getInstance().moveObject(this, to);
        return 1;
    }
    return Object::eventHandler(p_event);
}

void Ship::step(int step_count)
{
    if (quit_after > 0 && step_count >= quit_after)
        qv::GameManager::getInstance().setGameOver();
    if (p_shields->getValue() <= 0 && !qv::GameManager::getInstance().getGameOver())
    {
        qv::LogManager::getInstance().writeLog("rock_run: the ship is lost");
        qv::GameManager::getInstance().setGameOver();
    }
    const qv::Vector here = getPosition();
    if (step_count % FIRE_EVERY == 0)
    {
        new Bullet(qv::Vector(here.getX() + 2, here.getY()));
        bullets_fired++;
    }
    if (step_count % ROCK_EVERY == 0)
    {
        // Rows 2 and below: the top row belongs to the display items.
        const float row = static_cast<float>(2 + std::rand() % 21);
        new Rock(qv::Vector(here.getX() + ROCK_AHEAD, row));
        rocks_made++;
    }
}

int Ship::getRocksMade() const
{
    return rocks_made;
}

int Ship::getBulletsFired() const
{
    return bullets_fired;
}

int Ship::getLaps() const
{
    return laps;
}
