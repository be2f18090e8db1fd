#include "Hunger.h"

#include "EventBigFood.h"
#include "EventFoodFound.h"
#include "EventGameOver.h"
#include "EventHeroMoved.h"
#include "EventMonsterHit.h"
#include "EventPlayerHit.h"
#include "Hero.h"
#include "LogManager.h"
#include "WorldManager.h"

Hunger::Hunger()
{
    setLocation(qv::TOP_LEFT);
    setViewString("Hunger");
    setColor(qv::WHITE);
    setValue(100);
    registerInterest(HERO_MOVED_EVENT);
    registerInterest(PLAYER_HIT_EVENT);
    registerInterest(MONSTER_HIT_EVENT);
    registerInterest(FOOD_FOUND_EVENT);
    registerInterest(BIG_FOOD_EVENT);
}

int Hunger::eventHandler(const qv::Event *p_event)
{
    const std::string type = p_event->getType();
    if (type == PLAYER_HIT_EVENT)
    {
        if (playerHitTimer > 0)
        {
            playerHitTimer--;
            return 1;
        }
        setValue(getValue() - PLAYER_HIT_COST);
        playerHitTimer = PLAYER_HIT_GRACE;
        checkGameOver();
        return 1;
    }
    if (type == HERO_MOVED_EVENT)
    {
        if (hungerTimer > 0)
        {
            const EventHeroMoved *p_moved = dynamic_cast<const EventHeroMoved *>(p_event);
            const Hero *p_hero = p_moved ? dynamic_cast<const Hero *>(p_moved->getObject()) : nullptr;
            hungerTimer -= (p_hero != nullptr && p_hero->isFast()) ? 3 : 1;
            return 1;
        }
        setValue(getValue() - 1);
        hungerTimer = HUNGER_STEPS;
        checkGameOver();
        return 1;
    }
    // Fighting back is the only way to stop a monster's touches draining the bar; a landed attack
    // pays a little of that back, and a monster can be hit only six times, so it cannot be farmed.
    if (type == MONSTER_HIT_EVENT)
    {
        setValue(getValue() + MONSTER_HIT_VALUE);
        return 1;
    }
    if (type == FOOD_FOUND_EVENT)
    {
        setValue(getValue() + FOOD_VALUE);
        return 1;
    }
    if (type == BIG_FOOD_EVENT)
    {
        setValue(getValue() + BIG_FOOD_VALUE);
        return 1;
    }
    return ViewObject::eventHandler(p_event);
}

void Hunger::checkGameOver()
{
    // Only losses come here; the line lets a played session's hunger be followed in the log.
    qv::LogManager::getInstance().writeLog("Hunger::checkGameOver(): Hunger down to %d", getValue());
    if (gameOverSent || getValue() >= 1)
        return;
    gameOverSent = true;
    EventGameOver game_over;
    qv::WorldManager::getInstance().onEvent(&game_over);
    qv::WorldManager::getInstance().markForDelete(this);
}

int Hunger::getPlayerHitTimer() const
{
    return playerHitTimer;
}

int Hunger::getHungerTimer() const
{
    return hungerTimer;
}

bool Hunger::isGameOverSent() const
{
    return gameOverSent;
}
