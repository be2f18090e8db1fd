#pragma once

#include "GameStart.h"
#include "Hero.h"
#include "Map.h"
#include "world_support.h"

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
};
