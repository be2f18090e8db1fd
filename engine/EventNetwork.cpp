#include "EventNetwork.h"

#include "LogManager.h"

namespace qv
{

EventNetwork::EventNetwork(int init_label)
{
    setType(NETWORK_EVENT);
    setLabel(init_label);
}

void EventNetwork::setLabel(int new_label)
{
    if (new_label < UNDEFINED_NETWORK_LABEL || new_label > DATA)
    {
        LogManager::getInstance().writeLog("EventNetwork::setLabel(): Undefined type (%d).", new_label);
        new_label = UNDEFINED_NETWORK_LABEL;
    }
    label = new_label;
}

int EventNetwork::getLabel() const
{
    return label;
}

void EventNetwork::setSocketIndex(int new_socket_index)
{
    socket_index = new_socket_index;
}

int EventNetwork::getSocketIndex() const
{
    return socket_index;
}

void EventNetwork::setBytes(int new_bytes)
{
    bytes = new_bytes;
}

int EventNetwork::getBytes() const
{
    return bytes;
}

} // namespace qv
