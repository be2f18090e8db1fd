#pragma once

#include "AttackRange.h"
#include "EventDeleteInstance.h"
#include "EventGameOver.h"
#include "EventHeroMoved.h"
#include "EventKeyboard.h"
#include "EventMonsterHit.h"
#include "EventPlayerHit.h"
#include "EventStairs.h"
#include "EventStep.h"
#include "FloorNum.h"
#include "Food.h"
#include "GameManager.h"
#include "GameStart.h"
#include "Hero.h"
#include "Hunger.h"
#include "InputManager.h"
#include "Map.h"
#include "Monster.h"
#include "Sprite.h"
#include "Stairs.h"
#include "Wall.h"
#include "world_support.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <tuple>
#include <unistd.h>

// A running headless engine with the game's resources loaded (from the project's root, where the
// game runs) and the game's 641 x 97 world. The header brings in every game class the tests use.
class GameWorldTest : public WorldTest
{
protected:
    void SetUp() override
    {
        setenv("ALSOFT_DRIVERS", "null", 0);
        WorldTest::SetUp();
        ASSERT_EQ(chdir(QV_SOURCE_DIR), 0);
        loadResources();
        world().setBoundary(qv::Box(qv::Vector(0, 0), WORLD_WIDTH, WORLD_HEIGHT));
    }

    /// Delivers a keyboard event as the input manager does.
    static void key(int key_value, int action)
    {
        qv::EventKeyboard event;
        event.setKey(key_value);
        event.setKeyboardAction(action);
        qv::InputManager::getInstance().onEvent(&event);
    }

    /// Delivers a game event to every object interested, as game objects send them.
    static void send(qv::Event &&event) { world().onEvent(&event); }

    /// `count` passes of the loop after input: the step event, then moving and deleting.
    static void pass(int count = 1)
    {
        for (int i = 0; i < count; i++)
        {
            qv::EventStep step(i);
            qv::GameManager::getInstance().onEvent(&step);
            world().update();
        }
    }

    /// An object in the far corner recording the events named; it deletes what "delete_event" carries.
    static RecordingObject *listen(std::initializer_list<std::string> types)
    {
        RecordingObject *p_o = new RecordingObject;
        p_o->setPosition(qv::Vector(640, 96));
        for (const std::string &type : types)
            p_o->registerInterest(type);
        p_o->on_event = [](const qv::Event *p_event)
        {
            if (const auto *p_delete = dynamic_cast<const EventDeleteInstance *>(p_event))
                world().markForDelete(p_delete->getObject());
        };
        return p_o;
    }

    static int seen(const RecordingObject *p_o, const std::string &type)
    {
        return static_cast<int>(std::count(p_o->received.begin(), p_o->received.end(), type));
    }

    static int objects(const std::string &type) { return world().objectsOfType(type).getCount(); }

    /// The label of the sprite `p_o` shows, or "(none)".
    static std::string spriteOf(const qv::Object *p_o)
    {
        return p_o->getAnimation().getSprite() ? p_o->getAnimation().getSprite()->getLabel() : "(none)";
    }

    /// Is `p_o`'s animation stopped on its frame?
    static bool isFrozen(const qv::Object *p_o) { return p_o->getAnimation().getSlowdownCount() == -1; }
};
