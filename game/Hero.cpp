#include "Hero.h"

#include "Animation.h"
#include "AttackRange.h"
#include "EventCollision.h"
#include "EventGameOver.h"
#include "EventHeroMoved.h"
#include "EventKeyboard.h"
#include "EventMonsterHit.h"
#include "EventPlayerHit.h"
#include "EventStairs.h"
#include "GameManager.h"
#include "LogManager.h"
#include "WorldManager.h"

#include <cmath>

Hero::Hero()
{
    setType("Hero");
    setSprite("walk");
    setAnimationRunning(this, false);
    setSpeed(0);
    setAltitude(4);
    setSolidness(qv::HARD);
    registerInterest(qv::KEYBOARD_EVENT);
    registerInterest(qv::STEP_EVENT);
    registerInterest(PLAYER_HIT_EVENT);
    registerInterest(MONSTER_HIT_EVENT);
    registerInterest(qv::COLLISION_EVENT);
    registerInterest(GAME_OVER_EVENT);
}

int Hero::eventHandler(const qv::Event *p_event)
{
    const std::string type = p_event->getType();
    if (type == qv::KEYBOARD_EVENT)
    {
        if (!dead)
            onKeyboard(dynamic_cast<const qv::EventKeyboard *>(p_event));
        return 1;
    }
    if (type == qv::STEP_EVENT)
    {
        onStep();
        return 1;
    }
    if (type == PLAYER_HIT_EVENT)
    {
        if (dead)
            return 1;
        qv::LogManager::getInstance().writeLog("Hero was hit");
        setSprite("hurt");
        walkSpriteSet = false;
        return 1;
    }
    if (type == MONSTER_HIT_EVENT)
    {
        if (dead)
            return 1;
        qv::LogManager::getInstance().writeLog("Player issued an efficient attack");
        if (attackObject != nullptr)
            attackObject->setSolidness(qv::SPECTRAL);
        attackTimer = ATTACK_STEPS;
        return 1;
    }
    if (type == qv::COLLISION_EVENT)
    {
        if (!dead)
            checkStairs(dynamic_cast<const qv::EventCollision *>(p_event));
        return 1;
    }
    if (type == GAME_OVER_EVENT)
    {
        qv::LogManager::getInstance().writeLog("GAME IS OVER");
        dead = true;
        setSprite("dead2");
        setVelocity(qv::Vector(0, 0));
        return 0;
    }
    return 0;
}

void Hero::onKeyboard(const qv::EventKeyboard *p_keyboard_event)
{
    if (p_keyboard_event == nullptr)
        return;
    const int key = p_keyboard_event->getKey();
    const int action = p_keyboard_event->getKeyboardAction();
    switch (key)
    {
    case qv::Keyboard::SPACE:
        if (action == qv::KEY_PRESSED)
        {
            qv::Vector velocity = getVelocity();
            velocity.scale(2);
            setVelocity(velocity);
            fast = true;
        }
        else if (action == qv::KEY_RELEASED)
        {
            qv::Vector velocity = getVelocity();
            velocity.scale(0.5f);
            setVelocity(velocity);
            fast = false;
        }
        break;
    case qv::Keyboard::LEFT_ARROW:
    case qv::Keyboard::RIGHT_ARROW:
    case qv::Keyboard::UP_ARROW:
    case qv::Keyboard::DOWN_ARROW:
    case qv::Keyboard::A:
        onMoveOrAttackKey(p_keyboard_event);
        break;
    case qv::Keyboard::Q:
        qv::GameManager::getInstance().setGameOver(true);
        break;
    default:
        break;
    }
}

void Hero::onMoveOrAttackKey(const qv::EventKeyboard *p_keyboard_event)
{
    const qv::Vector speed = fast ? HERO_RUN_SPEED : HERO_SPEED;
    const qv::Vector v = getVelocity();
    const int key = p_keyboard_event->getKey();
    const int action = p_keyboard_event->getKeyboardAction();
    switch (key)
    {
    case qv::Keyboard::LEFT_ARROW:
        if (action == qv::KEY_PRESSED)
            setVelocity(qv::Vector(-speed.getX(), v.getY()));
        else if (action == qv::KEY_RELEASED)
            setVelocity(qv::Vector(0, v.getY()));
        break;
    case qv::Keyboard::RIGHT_ARROW:
        if (action == qv::KEY_PRESSED)
            setVelocity(qv::Vector(speed.getX(), v.getY()));
        else if (action == qv::KEY_RELEASED)
            setVelocity(qv::Vector(0, v.getY()));
        break;
    case qv::Keyboard::UP_ARROW:
        if (action == qv::KEY_PRESSED)
            setVelocity(qv::Vector(v.getX(), -speed.getY()));
        else if (action == qv::KEY_RELEASED)
            setVelocity(qv::Vector(v.getX(), 0));
        break;
    case qv::Keyboard::DOWN_ARROW:
        if (action == qv::KEY_PRESSED)
            setVelocity(qv::Vector(v.getX(), speed.getY()));
        else if (action == qv::KEY_RELEASED)
            setVelocity(qv::Vector(v.getX(), 0));
        break;
    case qv::Keyboard::A:
        // A second attack before the first has expired would orphan the live attack object, which
        // nobody would then delete; so the timer being full is not enough on its own.
        if (action == qv::KEY_PRESSED && attackTimer == ATTACK_STEPS && attackObject == nullptr)
        {
            attackObject = new AttackRange;
            const qv::Vector position = getPosition();
            attackObject->setPosition(qv::Vector(std::trunc(position.getX()), std::trunc(position.getY())));
        }
        break;
    default:
        break;
    }
    setAnimationRunning(this, getSpeed() != 0);
    if (key != qv::Keyboard::A)
    {
        EventHeroMoved hero_moved(this);
        qv::WorldManager::getInstance().onEvent(&hero_moved);
    }
}

void Hero::onStep()
{
    if (!walkSpriteSet && !dead)
    {
        setSprite("walk");
        walkSpriteSet = true;
    }
    if (attackObject != nullptr)
    {
        attackTimer--;
        if (attackTimer < 1)
        {
            qv::WorldManager::getInstance().markForDelete(attackObject);
            attackObject = nullptr;
            attackTimer = ATTACK_STEPS;
        }
    }
}

void Hero::checkStairs(const qv::EventCollision *p_collision_event)
{
    if (p_collision_event == nullptr)
        return;
    const qv::Object *p_o1 = p_collision_event->getObject1();
    const qv::Object *p_o2 = p_collision_event->getObject2();
    if ((p_o1 != nullptr && p_o1->getType() == "Stairs") || (p_o2 != nullptr && p_o2->getType() == "Stairs"))
    {
        EventStairs stairs;
        qv::WorldManager::getInstance().onEvent(&stairs);
    }
}

bool Hero::isFast() const
{
    return fast;
}

bool Hero::getWalkSpriteSet() const
{
    return walkSpriteSet;
}

AttackRange *Hero::getAttackObject() const
{
    return attackObject;
}

int Hero::getAttackTimer() const
{
    return attackTimer;
}

bool Hero::isDead() const
{
    return dead;
}

void setAnimationRunning(qv::Object *p_o, bool running)
{
    qv::Animation animation = p_o->getAnimation();
    if (running)
    {
        if (animation.getSlowdownCount() != -1)
            return;
        animation.setIndex(0);
        animation.setSlowdownCount(0);
    }
    else
    {
        if (animation.getSlowdownCount() == -1)
            return;
        animation.setIndex(0);
        animation.setSlowdownCount(-1);
    }
    p_o->setAnimation(animation, false);
}
