#include "WorldManager.h"

#include "Event.h"
#include "LogManager.h"
#include "Object.h"
#include "ObjectListIterator.h"

namespace qv
{

WorldManager::WorldManager()
{
    setType("WorldManager");
}

WorldManager &WorldManager::getInstance()
{
    static WorldManager world_manager;
    return world_manager;
}

bool WorldManager::isValid(const std::string &event_name) const
{
    if (event_name == KEYBOARD_EVENT || event_name == MOUSE_EVENT || event_name == STEP_EVENT)
    {
        LogManager::getInstance().writeLog("WorldManager::isValid(): WorldManager does not handle %s",
                                           event_name.c_str());
        return false;
    }
    if (event_name == OUT_EVENT || event_name == COLLISION_EVENT)
    {
        LogManager::getInstance().writeLog("WorldManager::isValid(): Event %s handled automatically.",
                                           event_name.c_str());
        return false;
    }
    return true;
}

int WorldManager::startUp()
{
    if (isStarted())
    {
        LogManager::getInstance().writeLog("WorldManager::startup(): already started.");
        return 0;
    }
    deletions.clear();
    boundary = Box();
    view = Box();
    view_slack = Vector();
    Manager::startUp();
    LogManager::getInstance().writeLog(5, "WorldManager::startUp(): successfully started.");
    return 0;
}

void WorldManager::shutDown()
{
    Manager::shutDown();
    const ObjectList all = objects;
    ObjectListIterator it(&all);
    for (it.first(); !it.isDone(); it.next())
        delete it.currentObject();
    LogManager::getInstance().writeLog(5, "WorldManager::shutDown(): Successfully stopped.");
}

int WorldManager::insertObject(Object *p_o)
{
    if (!isStarted())
    {
        LogManager &log = LogManager::getInstance();
        log.writeLog(2, "WorldManager::insertObject(): Warning! Not adding Object %d", p_o->getId());
        log.writeLog(2, "                              because WorldManager not started.");
        return -1;
    }
    return objects.insert(p_o);
}

int WorldManager::removeObject(Object *p_o)
{
    return objects.remove(p_o);
}

int WorldManager::markForDelete(Object *p_o)
{
    ObjectListIterator it(&deletions);
    for (it.first(); !it.isDone(); it.next())
        if (it.currentObject() == p_o)
            return 0;
    if (deletions.insert(p_o) == -1)
    {
        LogManager::getInstance().writeLog("WorldManager::markForDelete(): Error! unable to add Object %p to deletions list",
                                           static_cast<void *>(p_o));
        return -1;
    }
    return 0;
}

void WorldManager::update()
{
    ObjectListIterator it(&deletions);
    for (it.first(); !it.isDone(); it.next())
        delete it.currentObject();
    deletions.clear();
}

void WorldManager::draw()
{
}

Box WorldManager::getBoundary() const
{
    return boundary;
}

void WorldManager::setBoundary(const Box &new_boundary)
{
    boundary = new_boundary;
}

Box WorldManager::getView() const
{
    return view;
}

void WorldManager::setView(const Box &new_view)
{
    view = new_view;
}

Vector WorldManager::getViewSlack() const
{
    return view_slack;
}

void WorldManager::setViewSlack(const Vector &new_view_slack)
{
    if (new_view_slack.getX() < 0 || new_view_slack.getX() > 1 || new_view_slack.getY() < 0 ||
        new_view_slack.getY() > 1)
        LogManager::getInstance().writeLog("WorldManager::setViewSlack(): Warning! view slack units out of range [0-1]");
    view_slack = new_view_slack;
}

} // namespace qv
