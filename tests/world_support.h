#pragma once

#include "GameManager.h"
#include "LogManager.h"
#include "Object.h"
#include "ObjectList.h"
#include "ObjectListIterator.h"
#include "WorldManager.h"
#include "test_support.h"

// A running engine (headless) whose world and view are 80 x 24 cells; TearDown stops it, which
// deletes every object left in the world.
class WorldTest : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        ASSERT_EQ(qv::GameManager::getInstance().startUp(), 0);
        world().setBoundary(qv::Box(qv::Vector(0, 0), 80, 24));
        world().setView(qv::Box(qv::Vector(0, 0), 80, 24));
    }

    void TearDown() override
    {
        qv::GameManager::getInstance().shutDown();
        EngineTest::TearDown();
    }

    static qv::WorldManager &world() { return qv::WorldManager::getInstance(); }
};

inline int occurrences(const qv::ObjectList &list, const qv::Object *p_o)
{
    int count = 0;
    qv::ObjectListIterator it(&list);
    for (it.first(); !it.isDone(); it.next())
        count += it.currentObject() == p_o;
    return count;
}

// Deletes every object, active or not, at the end of one pass.
inline void clearWorld()
{
    qv::WorldManager &world = qv::WorldManager::getInstance();
    const qv::ObjectList all = world.getSceneGraph().activeObjects() + world.getSceneGraph().inactiveObjects();
    qv::ObjectListIterator it(&all);
    for (it.first(); !it.isDone(); it.next())
        world.markForDelete(it.currentObject());
    world.update();
}
