#include "Rock.h"

#include <cstdlib>
#include <quorvex/Event.h>
#include <quorvex/EventCollision.h>
#include <quorvex/EventView.h>
#include <quorvex/WorldManager.h>

namespace
{
int escaped = 0; // rocks that left the world
} // namespace

Rock::Rock(qv::Vector where)
{
    setType("Rock");
    setSprite("rock");
    setPosition(where);
    setVelocity(qv::Vector(-0.1f - static_cast<float>(std::rand() % 4) * 0.1f, 0));
}

int Rock::eventHandler(const qv::Event *p_event)
{
    qv::WorldManager &world = qv::WorldManager::getInstance();
    if (p_event->getType() == qv::OUT_EVENT)
    {
        escaped++;
        world.markForDelete(this);
        return 1;
    }
    if (p_event->getType() != qv::COLLISION_EVENT)
        return Object::eventHandler(p_event);
    // Both objects of a collision hear of it, and one object can collide twice in a pass: the
    // first collision that concerns the rock decides, and later ones are ignored.
    const qv::EventCollision *p_collision = static_cast<const qv::EventCollision *>(p_event);
    qv::Object *p_other = p_collision->getObject1() == this ? p_collision->getObject2() : p_collision->getObject1();
    if (broken || p_other->getType() == "Rock")
        return 1;
    broken = true;
    world.markForDelete(this);
    if (p_other->getType() == "Bullet")
    {
        world.markForDelete(p_other);
        qv::EventView point("Score", 1, true);
        world.onEvent(&point);
    }
    else if (p_other->getType() == "Ship")
    {
        qv::EventView hit("Shields", -1, true);
        world.onEvent(&hit);
    }
    return 1;
}

int Rock::getEscaped()
{
    return escaped;
}
