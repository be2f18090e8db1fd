#include "InputManager.h"

#include "Config.h"
#include "DisplayManager.h"
#include "Event.h"
#include "LogManager.h"

#include <SFML/Graphics/RenderWindow.hpp>

namespace qv
{

InputManager::InputManager()
{
    setType("InputManager");
}

InputManager &InputManager::getInstance()
{
    static InputManager input_manager;
    return input_manager;
}

bool InputManager::isValid(const std::string &event_name) const
{
    return event_name == KEYBOARD_EVENT || event_name == MOUSE_EVENT;
}

int InputManager::startUp()
{
    LogManager &log = LogManager::getInstance();
    if (Config::getInstance().getHeadless())
    {
        log.writeLog(1, "InputManager::startUp(): not doing input since in headless mode.");
    }
    else
    {
        if (isStarted())
        {
            log.writeLog("InputManager::startUp(): Already started.");
            return 0;
        }
        DisplayManager &display_manager = DisplayManager::getInstance();
        if (!display_manager.isStarted())
        {
            log.writeLog("InputManager::startUp(): Error starting InputManager. DisplayManager must be started first.");
            return -1;
        }
        sf::RenderWindow *p_window = display_manager.getWindow();
        if (p_window)
        {
            p_window->setKeyRepeatEnabled(false);
            log.writeLog(2, "InputManager::startUp(): Keyboard repeated disabled.");
        }
        else
        {
            log.writeLog("InputManager::startUp(): Warning - DisplayManager unexpectedly returned null window! "
                         "Cannot disable keyboard repeat.");
        }
    }
    Manager::startUp();
    log.writeLog(5, "InputManager::startUp(): successfully started.");
    return 0;
}

void InputManager::shutDown()
{
    LogManager &log = LogManager::getInstance();
    sf::RenderWindow *p_window = DisplayManager::getInstance().getWindow();
    if (p_window)
    {
        p_window->setKeyRepeatEnabled(true);
        log.writeLog(2, "InputManager::shutDown(): Keyboard repeat enabled.");
    }
    Manager::shutDown();
    log.writeLog(5, "InputManager::shutDown(): successfully stopped.");
}

void InputManager::getInput()
{
    if (Config::getInstance().getHeadless())
        return;
    if (!DisplayManager::getInstance().getWindow())
    {
        LogManager::getInstance().writeLog("InputManager::getInput(): DisplayManager unexpectedly returned null window!");
        return;
    }
}

} // namespace qv
