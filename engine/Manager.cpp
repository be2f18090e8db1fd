#include "Manager.h"

#include "Event.h"
#include "LogManager.h"
#include "Object.h"
#include "ObjectListIterator.h"

#include <utility>

namespace qv
{

bool Manager::isValid(const std::string &) const
{
    return false;
}

Manager::~Manager()
{
    is_started = false;
}

int Manager::startUp()
{
    if (is_started)
        LogManager::getInstance().writeLog(1, "Manager::startUp(): Warning! %s already started.", type.c_str());
    is_started = true;
    return 0;
}

void Manager::shutDown()
{
    if (!is_started)
        LogManager::getInstance().writeLog(1, "Manager::shutDown(): Warning! %s not started.", type.c_str());
    is_started = false;
}

std::string Manager::getType() const
{
    return type;
}

void Manager::setType(const std::string &new_type)
{
    type = new_type;
}

bool Manager::isStarted() const
{
    return is_started;
}

bool Manager::checkStarted() const
{
    if (!is_started)
        LogManager::getInstance().writeLog("%s not started!", type.c_str());
    return is_started;
}

int Manager::registerInterest(Object *p_o, const std::string &event_type)
{
    if (!isValid(event_type))
    {
        LogManager::getInstance().writeLog("Manager(%s)::registerInterest(): Event '%s' not valid for this Manager",
                                           type.c_str(), event_type.c_str());
        return -1;
    }
    for (int i = 0; i < event_count; i++)
        if (event_name[i] == event_type)
            return obj_list[i].insert(p_o);
    if (event_count == MAX_EVENTS)
        return -1;
    event_name[event_count] = event_type;
    obj_list[event_count].clear();
    if (obj_list[event_count].insert(p_o) == -1)
        return -1;
    event_count++;
    return 0;
}

int Manager::unregisterInterest(Object *p_o, const std::string &event_type)
{
    for (int i = 0; i < event_count; i++)
    {
        if (event_name[i] != event_type)
            continue;
        if (obj_list[i].remove(p_o) == -1)
            return -1;
        if (obj_list[i].isEmpty())
        {
            for (int j = i; j < event_count - 1; j++)
            {
                event_name[j] = event_name[j + 1];
                obj_list[j] = std::move(obj_list[j + 1]);
            }
            event_count--;
        }
        return 0;
    }
    return -1;
}

int Manager::onEvent(const Event *p_event) const
{
    const std::string event_type = p_event->getType();
    if (event_type == UNDEFINED_EVENT)
    {
        LogManager::getInstance().writeLog(1, "Manager(%s)::onEvent(): Warning! Event type %s is undefined.",
                                           type.c_str(), event_type.c_str());
        return 0;
    }
    if (!isValid(event_type))
    {
        LogManager::getInstance().writeLog(1, "Manager(%s)::onEvent(): Error! Event type %s not valid.", type.c_str(),
                                           event_type.c_str());
        return 0;
    }
    int count = 0;
    for (int i = 0; i < event_count; i++)
    {
        if (event_name[i] != event_type)
            continue;
        // Handlers may register and unregister while we deliver, so walk a copy of the list.
        const ObjectList receivers = obj_list[i];
        ObjectListIterator it(&receivers);
        for (it.first(); !it.isDone(); it.next())
        {
            Object *p_o = it.currentObject();
            if (p_o->isActive())
            {
                p_o->eventHandler(p_event);
                count++;
            }
        }
        break;
    }
    return count;
}

int Manager::getEventCount() const
{
    return event_count;
}

std::string Manager::getEventName(int slot) const
{
    if (slot < 0 || slot >= event_count)
        return "";
    return event_name[slot];
}

} // namespace qv
