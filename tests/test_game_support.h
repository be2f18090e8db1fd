#pragma once

#include "EventKeyboard.h"
#include "EventStep.h"
#include "GameManager.h"
#include "GameStart.h"
#include "Hero.h"
#include "InputManager.h"
#include "Map.h"
#include "Sprite.h"
#include "world_support.h"

#include <string>
#include <unistd.h>

// A running headless engine with the game's resources loaded (from the project's root, where the
// game runs) and the game's 641 x 97 world.
class GameWorldTest : public WorldTest
{
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        ASSERT_EQ(chdir(QV_SOURCE_DIR), 0);
        loadResources();
        world().setBoundary(qv::Box(qv::Vector(0, 0), WORLD_WIDTH, WORLD_HEIGHT));
        world().setView(qv::Box(qv::Vector(0, 0), 80, 24));
    }

    /// Delivers a keyboard event as the input manager does.
    static void key(int key_value, int action)
    {
        qv::EventKeyboard event;
        event.setKey(key_value);
        event.setKeyboardAction(action);
        qv::InputManager::getInstance().onEvent(&event);
    }

    /// One pass of the loop after input: the step event, then moving and deleting.
    void pass()
    {
        qv::EventStep step(steps++);
        qv::GameManager::getInstance().onEvent(&step);
        world().update();
    }

    /// The label of the sprite `p_o` shows, or "(none)".
    static std::string spriteOf(const qv::Object *p_o)
    {
        const qv::Sprite *p_sprite = p_o->getAnimation().getSprite();
        return p_sprite ? p_sprite->getLabel() : "(none)";
    }

    /// Is `p_o`'s animation stopped on its frame?
    static bool isFrozen(const qv::Object *p_o) { return p_o->getAnimation().getSlowdownCount() == -1; }

    int steps = 0; // passes run by pass()
};
