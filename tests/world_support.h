#pragma once

#include "EventPath.h"
#include "GameManager.h"
#include "LogManager.h"
#include "Object.h"
#include "ObjectList.h"
#include "ObjectListIterator.h"
#include "WorldManager.h"
#include "test_support.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

// What objects saw: "<type> <event type>" (with the result after "qv-path"), "<type> deleted".
inline std::vector<std::string> journal;

// A running headless engine with an 80 x 24 world and view; TearDown stops it, deleting every object.
class WorldTest : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        journal.clear();
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

// The list's objects, in order.
inline std::vector<qv::Object *> items(const qv::ObjectList &list)
{
    std::vector<qv::Object *> out;
    for (int i = 0; i < list.getCount(); i++)
        out.push_back(list.itemAt(i));
    return out;
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

inline int seen(const std::string &entry)
{
    return static_cast<int>(std::count(journal.begin(), journal.end(), entry));
}

// Journals under its type, runs the test's reaction, and follows the paths it is sent.
struct Recorder : qv::Object
{
    explicit Recorder(const std::string &type, qv::Vector where = qv::Vector(1, 1), qv::Solidness solidness = qv::HARD)
    {
        setType(type);
        setPosition(where);
        setSolidness(solidness);
    }

    ~Recorder() override { journal.push_back(getType() + " deleted"); }

    int eventHandler(const qv::Event *p_event) override
    {
        const auto *p_path = dynamic_cast<const qv::EventPath *>(p_event);
        journal.push_back(getType() + " " + p_event->getType() +
                          (p_path ? " " + std::to_string(p_path->getResult()) : ""));
        if (on_event)
            on_event(p_event);
        return p_path != nullptr ? Object::eventHandler(p_event) : 1;
    }

    std::function<void(const qv::Event *)> on_event; // the test's reaction, after the journal entry
};
