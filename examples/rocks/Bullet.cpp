#include "Bullet.h"

#include <quorvex/Event.h>
#include <quorvex/WorldManager.h>

Bullet::Bullet(qv::Vector where)
{
    setType("Bullet");
    setSprite("bullet");
    setSolidness(qv::SOFT);
    setPosition(where);
    setVelocity(qv::Vector(1.5f, 0));
    registerInterest(qv::STEP_EVENT);
}

int Bullet::eventHandler(const qv::Event *p_event)
{
    qv::WorldManager &world = qv::WorldManager::getInstance();
    const qv::Box view = world.getView();
    const bool past_view = getPosition().getX() > view.getCorner().getX() + view.getHorizontal();
    if ((p_event->getType() == qv::STEP_EVENT && past_view) || p_event->getType() == qv::OUT_EVENT)
    {
        world.markForDelete(this);
        return 1;
    }
    return Object::eventHandler(p_event);
}
