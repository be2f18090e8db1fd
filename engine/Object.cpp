#include "Object.h"

#include "Event.h"
#include "GameManager.h"
#include "InputManager.h"
#include "LogManager.h"
#include "NetworkManager.h"
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

} // namespace

Object::Object() : id(next_id++)
{
    WorldManager::getInstance().insertObject(this);
}

Object::~Object()
{
    for (int i = event_count - 1; i >= 0; i--)
        unregisterInterest(event_name[i]);
    WorldManager::getInstance().removeObject(this);
}

void Object::setPosition(Vector new_position)
{
    position = new_position;
}

int Object::eventHandler(const Event *)
{
    return 0;
}

int Object::draw()
{
    return 0;
}

int Object::getId() const
{
    return id;
}

std::string Object::getType() const
{
    return type;
}

void Object::setType(const std::string &new_type)
{
    type = new_type;
}

bool Object::isActive() const
{
    return is_active;
}

Vector Object::getPosition() const
{
    return position;
}

Box Object::getBox() const
{
    return box;
}

int Object::registerInterest(const std::string &name)
{
    if (event_count == MAX_OBJ_EVENTS)
    {
        LogManager::getInstance().writeLog("Object::registerInterest(): maximum (%d) reached, cannot register for event '%s'",
                                           MAX_OBJ_EVENTS, name.c_str());
        return -1;
    }
    if (managerFor(name).registerInterest(this, name) == -1)
        return -1;
    event_name[event_count++] = name;
    return 0;
}

int Object::unregisterInterest(const std::string &name)
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
        return 0;
    }
    LogManager::getInstance().writeLog("Object::unregisterInterest(): event '%s' not previously registered",
                                       name.c_str());
    return -1;
}

} // namespace qv
