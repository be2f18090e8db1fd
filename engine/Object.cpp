#include "Object.h"

#include "Event.h"
#include "EventPath.h"
#include "GameManager.h"
#include "InputManager.h"
#include "LogManager.h"
#include "NetworkManager.h"
#include "PathFind.h"
#include "PathManager.h"
#include "ResourceManager.h"
#include "SceneGraph.h"
#include "WorldManager.h"

namespace qv
{

namespace
{

int next_id = 1;

// The manager that keeps interests in events of this name.
Manager &managerFor(const std::string &event_name)
{
    if (event_name == KEYBOARD_EVENT || event_name == MOUSE_EVENT)
        return InputManager::getInstance();
    if (event_name == STEP_EVENT)
        return GameManager::getInstance();
    if (event_name == NETWORK_EVENT || event_name == KEYBOARD_NETWORK_EVENT || event_name == MOUSE_NETWORK_EVENT ||
        event_name == CUSTOM_NETWORK_EVENT)
        return NetworkManager::getInstance();
    return WorldManager::getInstance();
}

SceneGraph &sceneGraph()
{
    return WorldManager::getInstance().getSceneGraph();
}

Vector towards(const Vector &from, const Vector &to)
{
    Vector heading = to - from;
    heading.normalize();
    return heading;
}

} // namespace

Object::Object() : id(next_id++), box(Vector(-0.5f, -0.5f), 0.99f, 0.99f), position(1, 1)
{
    for (bool &flag : modified)
        flag = true;
    shape.setType(UNDEFINED_SHAPE);
    // Last, so that the scene graph files the object under its finished defaults.
    WorldManager::getInstance().insertObject(this);
}

Object::~Object()
{
    for (int i = event_count - 1; i >= 0; i--)
        unregisterInterest(event_name[i]);
    dropPathJob();
    PathManager::getInstance().forgetTarget(this);
    WorldManager::getInstance().removeObject(this);
}

void Object::setPosition(Vector new_position)
{
    if (new_position == position)
        return;
    if (solidness == HARD)
        sceneGraph().countHardChange();
    position = new_position;
    modified[POSITION] = true;
}

int Object::eventHandler(const Event *p_event)
{
    if (p_event == nullptr || p_event->getType() != PATH_EVENT)
        return 0;
    const EventPath *p_path_event = dynamic_cast<const EventPath *>(p_event);
    if (p_path_event == nullptr)
    {
        LogManager::getInstance().writeLog("Object::eventHandler(): Error! Dynamic cast to EventPath failed.");
        return 0;
    }
    if (p_path_event->getResult() == 2)
    {
        setPath(p_path_event->getPath());
        setFollowPath(true);
    }
    // The search that ended has already left the path manager; a job still running there is a
    // new request made since, perhaps by a derived handler, and stays.
    if (!PathManager::getInstance().isPending(path_job))
        dropPathJob();
    return 1;
}

int Object::draw()
{
    const int result = animation.draw(position);
    if (shape.getType() != UNDEFINED_SHAPE)
        shape.draw(position);
    return result;
}

std::string Object::serialize(std::string)
{
    return "";
}

int Object::deserialize(std::string)
{
    return 0;
}

bool Object::isModified() const
{
    for (int i = 0; i < ATTRIBUTE_COUNT; i++)
    {
        LogManager::getInstance().writeLog(20, "Object::isModified(): %d is %s", i, modified[i] ? "true" : "false");
        if (modified[i])
            return true;
    }
    return false;
}

bool Object::isModified(Attribute attribute) const
{
    if (attribute < 0 || attribute >= ATTRIBUTE_COUNT)
        return false;
    return modified[attribute];
}

int Object::getId() const
{
    return id;
}

std::string Object::getType() const
{
    return type;
}

void Object::setType(std::string new_type)
{
    // An inactive object is not in the type map; it enters it under the new type on activation,
    // so the scene graph's refusal does not stop the change.
    sceneGraph().updateType(this, new_type);
    type = new_type;
    modified[TYPE] = true;
}

bool Object::isActive() const
{
    return is_active;
}

int Object::setActive(bool new_is_active)
{
    if (new_is_active == is_active)
        return 0;
    if (sceneGraph().updateActive(this, new_is_active) == -1)
        return -1;
    is_active = new_is_active;
    modified[ACTIVE] = true;
    return 0;
}

bool Object::isVisible() const
{
    return is_visible;
}

int Object::setVisible(bool new_is_visible)
{
    if (new_is_visible == is_visible)
        return 0;
    if (sceneGraph().updateVisible(this, new_is_visible) == -1)
        return -1;
    is_visible = new_is_visible;
    modified[VISIBLE] = true;
    return 0;
}

Box Object::getBox() const
{
    return box;
}

void Object::setBox(Box new_box)
{
    if (new_box == box)
        return;
    SceneGraph &scene_graph = sceneGraph();
    scene_graph.removeObject(this);
    box = new_box;
    scene_graph.insertObject(this);
    modified[BOX] = true;
}

Vector Object::getPosition() const
{
    return position;
}

Vector Object::getDirection() const
{
    return direction;
}

void Object::setDirection(Vector new_direction)
{
    direction = new_direction;
}

float Object::getSpeed() const
{
    return speed;
}

void Object::setSpeed(float new_speed)
{
    speed = new_speed;
    modified[SPEED] = true;
}

Vector Object::getVelocity() const
{
    Vector velocity = direction;
    velocity.scale(speed);
    return velocity;
}

void Object::setVelocity(Vector new_velocity)
{
    speed = new_velocity.getMagnitude();
    new_velocity.normalize();
    direction = new_velocity;
    modified[SPEED] = true;
    modified[DIRECTION] = true;
}

Vector Object::predictPosition() const
{
    return position + getVelocity();
}

Vector Object::getAcceleration() const
{
    return acceleration;
}

void Object::setAcceleration(Vector new_acceleration)
{
    acceleration = new_acceleration;
    modified[ACCELERATION] = true;
}

int Object::getAltitude() const
{
    return altitude;
}

int Object::setAltitude(int new_altitude)
{
    if (new_altitude == altitude)
        return 0;
    if (new_altitude < 0 || new_altitude > MAX_ALTITUDE)
    {
        LogManager::getInstance().writeLog("Object::setAltitude(): Altitude %d not in range [%d,%d].  Ignored.",
                                           new_altitude, 0, MAX_ALTITUDE);
        return -1;
    }
    if (sceneGraph().updateAltitude(this, new_altitude) == -1)
        return -1;
    altitude = new_altitude;
    modified[ALTITUDE] = true;
    return 0;
}

Solidness Object::getSolidness() const
{
    return solidness;
}

int Object::setSolidness(Solidness new_solidness)
{
    if (new_solidness == solidness)
        return 0;
    if (static_cast<unsigned>(new_solidness) > static_cast<unsigned>(SPECTRAL))
    {
        LogManager::getInstance().writeLog("Object::setSolidness(): Solidness %d not one of HARD, SOFT or SPECTRAL.",
                                           static_cast<int>(new_solidness));
        return -1;
    }
    if (sceneGraph().updateSolidness(this, new_solidness) == -1)
        return -1;
    solidness = new_solidness;
    modified[SOLIDNESS] = true;
    return 0;
}

bool Object::isSolid() const
{
    return solidness == HARD || solidness == SOFT;
}

bool Object::getNoSoft() const
{
    return no_soft;
}

void Object::setNoSoft(bool new_no_soft)
{
    no_soft = new_no_soft;
    modified[NO_SOFT] = true;
}

bool Object::getAvoidCollisions() const
{
    return avoid_collisions;
}

void Object::setAvoidCollisions(bool new_avoid_collisions)
{
    avoid_collisions = new_avoid_collisions;
    modified[AVOID_COLLISIONS] = true;
}

Animation Object::getAnimation() const
{
    return animation;
}

void Object::setAnimation(const Animation &new_animation, bool take_box)
{
    animation = new_animation;
    modified[ANIMATION] = true;
    if (take_box)
    {
        if (solidness == HARD)
            sceneGraph().countHardChange();
        box = animation.getBox();
        modified[BOX] = true;
    }
}

int Object::setSprite(std::string sprite_label)
{
    Sprite *p_sprite = ResourceManager::getInstance().getSprite(sprite_label);
    if (p_sprite == nullptr)
    {
        LogManager::getInstance().writeLog("Object::setSprite(): Warning! Sprite '%s' not found", sprite_label.c_str());
        return -1;
    }
    animation.setSprite(p_sprite);
    setBox(animation.getBox());
    return 0;
}

Shape Object::getShape() const
{
    return shape;
}

void Object::setShape(const Shape &new_shape)
{
    shape = new_shape;
    modified[SHAPE] = true;
}

Path Object::getPath() const
{
    return path;
}

void Object::setPath(const Path &new_path)
{
    path = new_path;
    modified[PATH] = true;
}

bool Object::getFollowPath() const
{
    return follow_path;
}

void Object::setFollowPath(bool new_follow_path)
{
    follow_path = new_follow_path;
    if (!path.isDone())
        direction = towards(position, path.currentNode());
    modified[FOLLOW_PATH] = true;
}

PathFind *Object::getPathJob() const
{
    return path_job;
}

void Object::setPathJob(PathFind *p_new_path_job)
{
    if (p_new_path_job == path_job)
        return;
    dropPathJob();
    path_job = p_new_path_job;
}

int Object::requestPath(Vector where)
{
    return startPathJob(where, nullptr);
}

int Object::requestPath(Object *p_target)
{
    if (p_target == nullptr)
    {
        LogManager::getInstance().writeLog("Object::requestPath(): Error! Null target.");
        return -1;
    }
    return startPathJob(p_target->getPosition(), p_target);
}

int Object::registerInterest(std::string name)
{
    if (event_count == MAX_OBJ_EVENTS)
    {
        LogManager::getInstance().writeLog(
            "Object::registerInterest(): maximum (%d) reached, cannot register for event '%s'", MAX_OBJ_EVENTS,
            name.c_str());
        return -1;
    }
    if (managerFor(name).registerInterest(this, name) == -1)
        return -1;
    event_name[event_count] = name;
    event_count++;
    modified[EVENTS] = true;
    return 0;
}

int Object::unregisterInterest(std::string name)
{
    for (int i = 0; i < event_count; i++)
    {
        if (event_name[i] != name)
            continue;
        if (managerFor(name).unregisterInterest(this, name) == -1)
            return -1;
        for (int j = i; j < event_count - 1; j++)
            event_name[j] = event_name[j + 1];
        event_count--;
        event_name[event_count].clear();
        modified[EVENTS] = true;
        return 0;
    }
    LogManager::getInstance().writeLog("Object::unregisterInterest(): event '%s' not previously registered",
                                       name.c_str());
    return -1;
}

void Object::followPathStep()
{
    if (!follow_path)
        return;
    while (!path.isDone())
    {
        const Vector node = path.currentNode();
        if (distance(position, node) > speed * 3 * 0.25f)
        {
            direction = towards(position, node);
            return;
        }
        setPosition(node);
        path.next();
        modified[PATH] = true;
    }
    direction = Vector();
    setFollowPath(false);
}

void Object::applyAcceleration()
{
    if (acceleration == Vector())
        return;
    setVelocity(getVelocity() + acceleration);
}

int Object::startPathJob(Vector goal_position, Object *p_target)
{
    LogManager &log = LogManager::getInstance();
    PathManager &path_manager = PathManager::getInstance();
    if (!path_manager.isStarted())
    {
        log.writeLog("Object::requestPath(): Error! Path manager not started.");
        return -1;
    }
    const Cell start = PathFind::cellAt(position);
    if (!PathFind::isInWorld(start))
    {
        log.writeLog("Object::requestPath(): Error! Start cell (%d, %d) outside the world.", start.x, start.y);
        return -1;
    }
    const Cell goal = PathFind::cellAt(goal_position);
    if (!PathFind::isInWorld(goal))
    {
        log.writeLog("Object::requestPath(): Error! Goal cell (%d, %d) outside the world.", goal.x, goal.y);
        return -1;
    }
    PathFind *p_job = new PathFind(this, start, goal, p_target);
    if (!p_job->hasNodeGraph())
    {
        const Box boundary = WorldManager::getInstance().getBoundary();
        log.writeLog("Object::requestPath(): Error! Unable to allocate a node graph of %.0f x %.0f cells.",
                     boundary.getHorizontal(), boundary.getVertical());
        delete p_job;
        return -1;
    }
    if (path_manager.addJob(p_job) == -1)
    {
        delete p_job;
        return -1;
    }
    setPathJob(p_job);
    return 0;
}

void Object::dropPathJob()
{
    if (path_job == nullptr)
        return;
    PathManager::getInstance().removeJob(path_job);
    delete path_job;
    path_job = nullptr;
}

} // namespace qv
