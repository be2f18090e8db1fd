#include "GameStart.h"

#include "EventGameOver.h"
#include "EventKeyboard.h"
#include "FloorNum.h"
#include "GameManager.h"
#include "Hero.h"
#include "Hunger.h"
#include "Map.h"
#include "Music.h"
#include "ResourceManager.h"
#include "WorldManager.h"

namespace
{

struct Resource
{
    const char *label;
    const char *file;
    bool music;
};

const Resource RESOURCES[] = {
    {"walk", "sprites/hero-walk-spr.txt", false},
    {"stairs", "sprites/stairs-spr.txt", false},
    {"hurt", "sprites/hero_hurt-spr.txt", false},
    {"attack", "sprites/hero-attack-spr.txt", false},
    {"dead", "sprites/hero-dead-spr.txt", false},
    {"dead2", "sprites/hero-dead-2-spr.txt", false},
    {"monster-walk", "sprites/monster-walk-spr.txt", false},
    {"monster-chase", "sprites/monster-chase-spr.txt", false},
    {"monster-hurt1", "sprites/monster-hurt01-spr.txt", false},
    {"monster-hurt2", "sprites/monster-hurt02-spr.txt", false},
    {"monster-hurt3", "sprites/monster-hurt03-spr.txt", false},
    {"food", "sprites/food-spr.txt", false},
    {"big-food", "sprites/big-food-spr.txt", false},
    {"ambient-1", "music/ambient-1.wav", true},
    {"attack_obj", "sprites/attack-obj-spr.txt", false},
    {"gamestart", "sprites/game-start-spr.txt", false},
};

} // namespace

void loadResources()
{
    qv::ResourceManager &resource_manager = qv::ResourceManager::getInstance();
    for (const Resource &resource : RESOURCES)
    {
        if (resource.music)
            resource_manager.loadMusic(resource.file, resource.label);
        else
            resource_manager.loadSprite(resource.file, resource.label);
    }
}

GameStart::GameStart()
{
    hero = new Hero;
    hero->setVisible(false);
    started = false;
    map = new Map;
    map->setHero(hero);
    qv::WorldManager::getInstance().setViewFollowing(this);
    setType("GameStart");
    setSprite("gamestart");
    setLocation(qv::CENTER_CENTER);
    registerInterest(qv::KEYBOARD_EVENT);
    registerInterest(GAME_OVER_EVENT);
}

int GameStart::eventHandler(const qv::Event *p_event)
{
    if (p_event->getType() != qv::KEYBOARD_EVENT)
        return 0;
    const qv::EventKeyboard *p_keyboard_event = dynamic_cast<const qv::EventKeyboard *>(p_event);
    if (p_keyboard_event == nullptr)
        return 1;
    if (p_keyboard_event->getKey() == qv::Keyboard::P && p_keyboard_event->getKeyboardAction() == qv::KEY_RELEASED)
        start();
    else if (p_keyboard_event->getKey() == qv::Keyboard::Q)
        qv::GameManager::getInstance().setGameOver(true);
    return 1;
}

void GameStart::start()
{
    if (started)
        return;
    hero->setVisible(true);
    new Hunger;
    new FloorNum;
    map->generate(hero);
    qv::Music *p_music = qv::ResourceManager::getInstance().getMusic("ambient-1");
    if (p_music != nullptr)
        p_music->play(true);
    setVisible(false);
    started = true;
}

int GameStart::draw()
{
    return Object::draw();
}

Hero *GameStart::getHero() const
{
    return hero;
}

Map *GameStart::getMap() const
{
    return map;
}

bool GameStart::isStarted() const
{
    return started;
}
