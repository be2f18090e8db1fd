#include "Box.h"
#include "GameManager.h"
#include "GameStart.h"
#include "LogManager.h"
#include "Vector.h"
#include "WorldManager.h"

#include <cstdlib>
#include <ctime>

int main()
{
    // The game manager seeds again from the configuration, so a fixed seed there still wins.
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    qv::GameManager &game_manager = qv::GameManager::getInstance();
    qv::LogManager &log_manager = qv::LogManager::getInstance();
    if (game_manager.startUp() != 0)
    {
        log_manager.writeLog("Error starting game manager!");
        game_manager.shutDown();
        // Unlike a normal end, a failed start must be visible to whoever ran the program.
        return 1;
    }
    log_manager.setFlush(true);
    loadResources();
    qv::WorldManager::getInstance().setBoundary(qv::Box(qv::Vector(0, 0), WORLD_WIDTH, WORLD_HEIGHT));
    new GameStart;
    log_manager.writeLog("About to run");
    game_manager.run();
    game_manager.shutDown();
    return 0;
}
