#include "NetworkManager.h"

#include "Event.h"
#include "LogManager.h"

namespace qv
{

NetworkManager::NetworkManager()
{
    setType("NetworkManager");
}

NetworkManager &NetworkManager::getInstance()
{
    static NetworkManager network_manager;
    return network_manager;
}

bool NetworkManager::isValid(const std::string &event_name) const
{
    return event_name == NETWORK_EVENT || event_name == CUSTOM_NETWORK_EVENT || event_name == KEYBOARD_NETWORK_EVENT ||
           event_name == MOUSE_NETWORK_EVENT;
}

int NetworkManager::startUp()
{
    // POSIX sockets need no library start-up.
    Manager::startUp();
    LogManager::getInstance().writeLog(5, "NetworkManager::startUp(): successfully started.");
    return 0;
}

void NetworkManager::shutDown()
{
    Manager::shutDown();
    LogManager::getInstance().writeLog(5, "NetworkManager::shutDown(): successfully stopped.");
}

bool NetworkManager::isServer() const
{
    return sock != -1;
}

int NetworkManager::getNumConnections() const
{
    return static_cast<int>(connections.size());
}

int NetworkManager::accept()
{
    if (sock == -1)
    {
        LogManager::getInstance().writeLog("NetworkManager::accept(): Error! Not setup as server.");
        return -2;
    }
    return -1;
}

int NetworkManager::genDataEvents(int)
{
    return 0;
}

} // namespace qv
