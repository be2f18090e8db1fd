#include "ResourceManager.h"

#include "LogManager.h"

namespace qv
{

ResourceManager::ResourceManager()
{
    setType("ResourceManager");
}

ResourceManager &ResourceManager::getInstance()
{
    static ResourceManager resource_manager;
    return resource_manager;
}

int ResourceManager::startUp()
{
    if (isStarted())
    {
        LogManager::getInstance().writeLog("ResourceManager::startUp(): Already started.");
        return 0;
    }
    Manager::startUp();
    LogManager::getInstance().writeLog(5, "ResourceManager::startUp(): successfully started.");
    return 0;
}

void ResourceManager::shutDown()
{
    Manager::shutDown();
    LogManager::getInstance().writeLog(5, "ResourceManager::shutDown(): successfully stopped.");
}

Sprite *ResourceManager::getSprite(const std::string &) const
{
    return nullptr;
}

} // namespace qv
