#include "Monster.h"

#include "EventCollision.h"
#include "EventDeleteInstance.h"
#include "EventMonsterHit.h"
#include "EventPlayerHit.h"
#include "EventStep.h"
#include "Hero.h"
#include "LogManager.h"
#include "ObjectList.h"
#include "ObjectListIterator.h"
#include "SceneGraph.h"
#include "WorldManager.h"
#include "geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

Monster::Monster(Hero *p_init_hero) : hero(p_init_hero)
{
    setType("Monster");
    setAltitude(3);
    setSpeed(0);
    setSprite("monster-walk");
    setAnimationRunning(this, false);
    machine.setOwner(this);
    machine.setState(&wander);
    machine.changeState(&wander);
    registerInterest(qv::STEP_EVENT);
    qv::LogManager::getInstance().writeLog("Monster initialized");
}

int Monster::eventHandler(const qv::Event *p_event)
{
    if (p_event->getType() == qv::STEP_EVENT)
    {
        machine.Update();
        return 1;
    }
    if (p_event->getType() == qv::COLLISION_EVENT)
    {
        const qv::EventCollision *p_collision_event = dynamic_cast<const qv::EventCollision *>(p_event);
        if (p_collision_event != nullptr)
            onCollision(p_collision_event);
        return 1;
    }
    return 0;
}

void Monster::onCollision(const qv::EventCollision *p_collision_event)
{
    const qv::Object *p_o1 = p_collision_event->getObject1();
    const qv::Object *p_o2 = p_collision_event->getObject2();
    if (p_o1 == nullptr || p_o2 == nullptr)
        return;
    if (p_o1->getType() == "Monster" && p_o2->getType() == "Monster")
        return;
    qv::WorldManager &world_manager = qv::WorldManager::getInstance();
    if (p_o1->getType() == "Hero" || p_o2->getType() == "Hero")
    {
        EventPlayerHit player_hit;
        world_manager.onEvent(&player_hit);
    }
    if (p_o1->getType() == "AttackObj")
        onAttacked();
    if (p_o2->getType() == "AttackObj")
        onAttacked();
}

void Monster::onAttacked()
{
    hitCounter--;
    if (hitCounter < 1)
    {
        health--;
        hitCounter = 2;
        hurtCount++;
        if (hurtCount == 1)
            setSprite("monster-hurt2");
        else if (hurtCount == 2 || hurtCount == 3)
            setSprite("monster-hurt3");
        setAnimationRunning(this, true);
    }
    qv::WorldManager &world_manager = qv::WorldManager::getInstance();
    EventMonsterHit monster_hit;
    world_manager.onEvent(&monster_hit);
    if (health < 1)
    {
        EventDeleteInstance delete_event(this);
        world_manager.onEvent(&delete_event);
    }
}

bool Monster::heroInRange() const
{
    if (hero == nullptr)
        return false;
    const qv::Vector h = hero->getPosition();
    const qv::Vector m = getPosition();
    const float dy = (h.getY() - m.getY()) * 0.25f;
    const float dx = h.getX() - m.getX();
    return std::sqrt(dy * dy + dx * dx) < MONSTER_RANGE;
}

qv::Vector Monster::directionToHero() const
{
    if (!heroInRange())
        return qv::Vector(0, 0);
    const qv::Vector h = hero->getPosition();
    const qv::Vector m = getPosition();
    const qv::Box between(qv::Vector(std::min(m.getX(), h.getX()), std::min(m.getY(), h.getY())),
                          std::fabs(m.getX() - h.getX()), std::fabs(m.getY() - h.getY()));
    // Walls are solid, so the grid finds those crossing the box without a walk over every wall.
    const qv::ObjectList crossing = qv::WorldManager::getInstance().getSceneGraph().solidObjectsIn(between);
    qv::ObjectListIterator it(&crossing);
    for (it.first(); !it.isDone(); it.next())
        if (it.currentObject()->getType() == "Wall")
            return qv::Vector(0, 0);
    qv::Vector direction(h.getX() - m.getX(), h.getY() - m.getY());
    direction.normalize();
    return direction;
}

Hero *Monster::getHero() const
{
    return hero;
}

void Monster::changeState(qv::State *p_new_state)
{
    machine.changeState(p_new_state);
}

qv::State *Monster::getState() const
{
    return machine.getState();
}

StateWander *Monster::getWander()
{
    return &wander;
}

StateSearch *Monster::getSearch()
{
    return &search;
}

StateChase *Monster::getChase()
{
    return &chase;
}

int Monster::getMoveTimer() const
{
    return moveTimer;
}

void Monster::setMoveTimer(int new_move_timer)
{
    moveTimer = new_move_timer;
}

int Monster::getPauseTimer() const
{
    return pauseTimer;
}

void Monster::setPauseTimer(int new_pause_timer)
{
    pauseTimer = new_pause_timer;
}

int Monster::getHitCounter() const
{
    return hitCounter;
}

int Monster::getHealth() const
{
    return health;
}

int Monster::getHurtCount() const
{
    return hurtCount;
}

qv::Vector randomDirection()
{
    switch (rand() % 4)
    {
    case 0:
        return qv::Vector(1, 0);
    case 1:
        return qv::Vector(-1, 0);
    case 2:
        return qv::Vector(0, 1);
    default:
        return qv::Vector(0, -1);
    }
}
