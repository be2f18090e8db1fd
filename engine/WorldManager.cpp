#include "WorldManager.h"

#include "Event.h"
#include "EventCollision.h"
#include "EventOut.h"
#include "LogManager.h"
#include "Object.h"
#include "ObjectListIterator.h"
#include "ViewObject.h"
#include "geometry.h"

#include <cmath>

namespace qv
{

namespace
{

// From this many deletions in a pass on, the stores are swept once instead of once per deletion.
const int SWEPT_DELETIONS = 64;

bool refuseNull(const Object *p_o, const char *operation)
{
    if (p_o != nullptr)
        return false;
    LogManager::getInstance().writeLog("WorldManager::%s(): Error! Null object.", operation);
    return true;
}

bool holds(const ObjectList &list, const Object *p_o)
{
    ObjectListIterator it(&list);
    for (it.first(); !it.isDone(); it.next())
        if (it.currentObject() == p_o)
            return true;
    return false;
}

bool holdsHard(const ObjectList &list)
{
    ObjectListIterator it(&list);
    for (it.first(); !it.isDone(); it.next())
        if (it.currentObject()->getSolidness() == HARD)
            return true;
    return false;
}

} // namespace

WorldManager::WorldManager() : view_following(nullptr)
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
    marked.clear();
    boundary = Box();
    scene_graph.setBoundary(boundary);
    view = Box();
    view_slack = Vector();
    view_following = nullptr;
    if (scene_graph.startUp() == -1)
    {
        LogManager::getInstance().writeLog("WorldManager::startUp(): Error! Unable to startup Scenegraph");
        return -1;
    }
    Manager::startUp();
    LogManager::getInstance().writeLog(5, "WorldManager::startUp(): successfully started.");
    return 0;
}

void WorldManager::shutDown()
{
    Manager::shutDown();
    const ObjectList all = scene_graph.activeObjects() + scene_graph.inactiveObjects();
    ObjectListIterator it(&all);
    scene_graph.beginRemovals();
    for (it.first(); !it.isDone(); it.next())
        delete it.currentObject();
    scene_graph.endRemovals();
    // Whatever was marked is gone now; keeping the pointers would delete them again next pass.
    deletions.clear();
    marked.clear();
    view_following = nullptr;
    scene_graph.shutDown();
    LogManager::getInstance().writeLog(5, "WorldManager::shutDown(): Successfully stopped.");
}

int WorldManager::insertObject(Object *p_o)
{
    if (refuseNull(p_o, "insertObject"))
        return -1;
    if (!isStarted())
    {
        LogManager &log = LogManager::getInstance();
        log.writeLog(2, "WorldManager::insertObject(): Warning! Not adding Object %d", p_o->getId());
        log.writeLog(2, "                              because WorldManager not started.");
        return -1;
    }
    return scene_graph.insertObject(p_o);
}

int WorldManager::removeObject(Object *p_o)
{
    if (refuseNull(p_o, "removeObject"))
        return -1;
    // The address of a deleted object is soon reused by a new one, which must not start steering
    // the view.
    if (p_o == view_following)
        view_following = nullptr;
    return scene_graph.removeObject(p_o);
}

int WorldManager::markForDelete(Object *p_o)
{
    if (refuseNull(p_o, "markForDelete"))
        return -1;
    if (marked.count(p_o) > 0)
        return 0;
    if (deletions.insert(p_o) == -1)
    {
        LogManager::getInstance().writeLog(
            "WorldManager::markForDelete(): Error! unable to add Object %p to deletions list",
            static_cast<void *>(p_o));
        return -1;
    }
    marked.insert(p_o);
    return 0;
}

ObjectList WorldManager::getCollisions(const Object *p_o, const Vector &where)
{
    if (refuseNull(p_o, "getCollisions"))
        return ObjectList();
    return scene_graph.getCollisions(p_o, where);
}

ObjectList WorldManager::objectsOfType(const std::string &type)
{
    return scene_graph.objectsOfType(type);
}

SceneGraph &WorldManager::getSceneGraph()
{
    return scene_graph;
}

int WorldManager::moveObject(Object *p_o, Vector where)
{
    if (refuseNull(p_o, "moveObject"))
        return -1;
    if (p_o->isSolid())
    {
        ObjectList collisions = getCollisions(p_o, where);
        if (!collisions.isEmpty() && p_o->getSolidness() == HARD && p_o->getAvoidCollisions())
        {
            Object *p_hard = nullptr;
            ObjectListIterator it(&collisions);
            for (it.first(); !it.isDone() && p_hard == nullptr; it.next())
                if (it.currentObject()->getSolidness() == HARD)
                    p_hard = it.currentObject();
            if (p_hard != nullptr)
            {
                const Vector normal = getNormal(p_o, p_hard);
                const Vector d = p_o->getDirection();
                const float nx = std::fabs(normal.getX());
                const float ny = std::fabs(normal.getY());
                // Keep only the part of the direction that runs along the obstacle's side; at a
                // corner the sideways part turns the other way to get round it.
                Vector slide(d.getX() * ny, d.getY() * nx);
                if (nx == 1 && ny == 1)
                    slide.setX(-slide.getX());
                slide.normalize();
                slide.scale(p_o->getSpeed());
                const Vector slide_where = p_o->getPosition() + slide;
                ObjectList slide_collisions = getCollisions(p_o, slide_where);
                if (holdsHard(slide_collisions))
                {
                    LogManager::getInstance().writeLog(
                        5, "WorldManager::moveObject(): Double collision. Object (avoid obstacles) cannot move.");
                    return -1;
                }
                collisions = slide_collisions;
                where = slide_where;
            }
        }

        bool blocked = false;
        ObjectListIterator it(&collisions);
        for (it.first(); !it.isDone(); it.next())
        {
            Object *p_other = it.currentObject();
            const EventCollision collision(p_o, p_other, where);
            p_o->eventHandler(&collision);
            p_other->eventHandler(&collision);
            if (p_o->getSolidness() == HARD && p_other->getSolidness() == HARD)
                blocked = true;
            if (p_o->getNoSoft() && p_other->getSolidness() == SOFT)
                blocked = true;
        }
        if (blocked)
            return -1;
    }

    const Box old_box = getWorldBox(p_o);
    p_o->setPosition(where);
    const Box new_box = getWorldBox(p_o);
    if (boxIntersectsBox(old_box, boundary) && !boxIntersectsBox(new_box, boundary))
    {
        const EventOut out;
        p_o->eventHandler(&out);
    }

    if (p_o == view_following)
    {
        Vector centre(view.getCorner().getX() + view.getHorizontal() * 0.5f,
                      view.getCorner().getY() + view.getVertical() * 0.5f);
        const float slack_x = view_slack.getX() * view.getHorizontal() * 0.5f;
        const float slack_y = view_slack.getY() * view.getVertical() * 0.5f;
        const Vector p = p_o->getPosition();
        if (p.getX() < centre.getX() - slack_x)
            centre.setX(centre.getX() - (centre.getX() - slack_x - p.getX()));
        else if (p.getX() > centre.getX() + slack_x)
            centre.setX(centre.getX() + (p.getX() - (centre.getX() + slack_x)));
        if (p.getY() < centre.getY() - slack_y)
            centre.setY(centre.getY() - (centre.getY() - slack_y - p.getY()));
        else if (p.getY() > centre.getY() + slack_y)
            centre.setY(centre.getY() + (p.getY() - (centre.getY() + slack_y)));
        setViewPosition(centre);
    }
    return 0;
}

void WorldManager::update()
{
    const ObjectList active = scene_graph.activeObjects();
    ObjectListIterator it(&active);
    for (it.first(); !it.isDone(); it.next())
    {
        Object *p_o = it.currentObject();
        const Vector new_position = p_o->predictPosition();
        if (new_position != p_o->getPosition())
            moveObject(p_o, new_position);
        p_o->followPathStep();
        p_o->applyAcceleration();
    }

    // Destructors may mark more objects; the iterator reads the count afresh, so they go too.
    // Many deletions are swept out of the stores together rather than each shifting them all.
    const bool sweeping = deletions.getCount() >= SWEPT_DELETIONS;
    if (sweeping)
        scene_graph.beginRemovals();
    ObjectListIterator doomed(&deletions);
    for (doomed.first(); !doomed.isDone(); doomed.next())
        delete doomed.currentObject();
    if (sweeping)
        scene_graph.endRemovals();
    deletions.clear();
    marked.clear();
}

void WorldManager::draw()
{
    for (int altitude = 0; altitude <= MAX_ALTITUDE; altitude++)
    {
        const ObjectList visible = scene_graph.visibleObjects(altitude);
        ObjectListIterator it(&visible);
        for (it.first(); !it.isDone(); it.next())
        {
            Object *p_o = it.currentObject();
            // View objects hold view coordinates, so their world box says nothing about whether
            // they are on screen.
            if (boxIntersectsBox(getWorldBox(p_o), view) || dynamic_cast<ViewObject *>(p_o) != nullptr)
                p_o->draw();
        }
    }
}

Box WorldManager::getBoundary() const
{
    return boundary;
}

void WorldManager::setBoundary(Box new_boundary)
{
    boundary = new_boundary;
    scene_graph.setBoundary(boundary);
}

Box WorldManager::getView() const
{
    return view;
}

void WorldManager::setView(Box new_view)
{
    view = new_view;
}

Object *WorldManager::getViewFollowing() const
{
    return view_following;
}

int WorldManager::setViewFollowing(Object *p_new_view_following)
{
    if (p_new_view_following == nullptr)
    {
        view_following = nullptr;
        return 0;
    }
    if (!holds(scene_graph.activeObjects(), p_new_view_following) &&
        !holds(scene_graph.inactiveObjects(), p_new_view_following))
        return -1;
    view_following = p_new_view_following;
    setViewPosition(view_following->getPosition());
    return 0;
}

void WorldManager::setViewPosition(Vector view_position)
{
    float x = view_position.getX() - view.getHorizontal() * 0.5f;
    if (boundary.getHorizontal() < x + view.getHorizontal())
        x = boundary.getHorizontal() - view.getHorizontal();
    float y = view_position.getY() - view.getVertical() * 0.5f;
    if (boundary.getVertical() < y + view.getVertical())
        y = boundary.getVertical() - view.getVertical();
    // Last, so that a view larger than the boundary sits at the boundary's corner.
    if (x < 0)
        x = 0;
    if (y < 0)
        y = 0;
    view.setCorner(Vector(x, y));
}

Vector WorldManager::getViewSlack() const
{
    return view_slack;
}

void WorldManager::setViewSlack(Vector new_view_slack)
{
    if (new_view_slack.getX() < 0 || new_view_slack.getX() > 1 || new_view_slack.getY() < 0 ||
        new_view_slack.getY() > 1)
        LogManager::getInstance().writeLog(
            "WorldManager::setViewSlack(): Warning! view slack units out of range [0-1]");
    view_slack = new_view_slack;
}

} // namespace qv
