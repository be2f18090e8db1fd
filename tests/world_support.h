#pragma once

#include "Event.h"
#include "EventCollision.h"
#include "GameManager.h"
#include "LogManager.h"
#include "Object.h"
#include "ObjectList.h"
#include "ObjectListIterator.h"
#include "WorldManager.h"
#include "test_support.h"

#include <functional>
#include <string>
#include <vector>

// A running engine (headless) whose world is 80 x 24 cells; TearDown stops it, which deletes
// every object left in the world.
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

// What objects saw, in the order they saw it: "<name> <event type>" per event, "<name> deleted"
// per destruction.
inline std::vector<std::string> &journal()
{
    static std::vector<std::string> entries;
    return entries;
}

// An object that writes what happens to it into the journal and can run a test's reaction to
// each event it gets.
class Recorder : public qv::Object
{
public:
    explicit Recorder(const std::string &init_name, qv::Vector where = qv::Vector(1, 1),
                      qv::Solidness init_solidness = qv::HARD)
        : name(init_name)
    {
        setPosition(where);
        setSolidness(init_solidness);
        setType(init_name);
    }

    ~Recorder() override { journal().push_back(name + " deleted"); }

    int eventHandler(const qv::Event *p_event) override
    {
        journal().push_back(name + " " + p_event->getType());
        if (p_event->getType() == qv::COLLISION_EVENT)
        {
            const qv::EventCollision *p_collision = dynamic_cast<const qv::EventCollision *>(p_event);
            collision_positions.push_back(p_collision->getPosition());
        }
        if (on_event)
            on_event(this, p_event);
        return 1;
    }

    int draw() override
    {
        journal().push_back(name + " drawn");
        return 0;
    }

    std::string name;                                            // shown in the journal
    std::function<void(Recorder *, const qv::Event *)> on_event; // the test's reaction
    std::vector<qv::Vector> collision_positions;                 // where the mover tried to go
};

// The journal entries that start with `prefix`.
inline std::vector<std::string> entriesOf(const std::string &prefix)
{
    std::vector<std::string> found;
    for (const std::string &entry : journal())
        if (entry.compare(0, prefix.size(), prefix) == 0)
            found.push_back(entry);
    return found;
}

// How often `p_o` occurs in `list`.
inline int occurrences(const qv::ObjectList &list, const qv::Object *p_o)
{
    int count = 0;
    qv::ObjectListIterator it(&list);
    for (it.first(); !it.isDone(); it.next())
        if (it.currentObject() == p_o)
            count++;
    return count;
}

// The list's objects, in order.
inline std::vector<qv::Object *> toVector(const qv::ObjectList &list)
{
    std::vector<qv::Object *> objects;
    qv::ObjectListIterator it(&list);
    for (it.first(); !it.isDone(); it.next())
        objects.push_back(it.currentObject());
    return objects;
}
