#include "DisplayManager.h"

#include "Config.h"
#include "LogManager.h"

namespace qv
{

DisplayManager::DisplayManager()
{
    setType("DisplayManager");
}

DisplayManager &DisplayManager::getInstance()
{
    static DisplayManager display_manager;
    return display_manager;
}

int DisplayManager::startUp()
{
    LogManager &log = LogManager::getInstance();
    if (isStarted())
    {
        log.writeLog("DisplayManager::startUp(): Already started.");
        return 0;
    }
    const Config &config = Config::getInstance();
    horizontal_pixels = config.getWindowHorizontalPixels();
    vertical_pixels = config.getWindowVerticalPixels();
    horizontal_chars = config.getWindowHorizontalChars();
    vertical_chars = config.getWindowVerticalChars();
    if (!config.getHeadless())
    {
        log.writeLog("DisplayManager::startUp(): Unable to allocate window!");
        return -1;
    }
    log.writeLog(1, "DisplayManager::startUp(): not doing graphics since in headless mode.");
    Manager::startUp();
    log.writeLog(5, "DisplayManager::startUp(): successfully started.");
    return 0;
}

void DisplayManager::shutDown()
{
    Manager::shutDown();
    LogManager::getInstance().writeLog(1, "DisplayManager::shutDown(): successfully stopped.");
}

int DisplayManager::swapBuffers()
{
    if (!isStarted())
    {
        LogManager::getInstance().writeLog("%s not started!", getType().c_str());
        return -1;
    }
    return -1;
}

int DisplayManager::getHorizontalChars() const
{
    return horizontal_chars;
}

int DisplayManager::getVerticalChars() const
{
    return vertical_chars;
}

sf::RenderWindow *DisplayManager::getWindow() const
{
    return window;
}

} // namespace qv
