#include "PathManager.h"

#include "GameManager.h"
#include "LogManager.h"

namespace qv
{

PathManager::PathManager()
{
    setType("PathManager");
}

PathManager &PathManager::getInstance()
{
    static PathManager path_manager;
    return path_manager;
}

int PathManager::startUp()
{
    if (isStarted())
    {
        LogManager::getInstance().writeLog("PathManager::startup(): already started.");
        return 0;
    }
    cycle_time = GameManager::getInstance().getFrameTime() / 10;
    Manager::startUp();
    LogManager::getInstance().writeLog(5, "PathManager::startUp(): successfully started.");
    return 0;
}

void PathManager::shutDown()
{
    Manager::shutDown();
    LogManager::getInstance().writeLog(5, "PathManager::shutDown(): successfully stopped.");
}

void PathManager::cycle(int)
{
}

int PathManager::removeJob(PathFind *)
{
    return -1;
}

int PathManager::getCycleTime() const
{
    return cycle_time;
}

} // namespace qv
