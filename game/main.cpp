#include "GameManager.h"
#include "LogManager.h"

#include <cstdlib>
#include <ctime>

int main()
{
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    qv::GameManager &game_manager = qv::GameManager::getInstance();
    if (game_manager.startUp() != 0)
    {
        qv::LogManager::getInstance().writeLog("Error starting game manager!");
        game_manager.shutDown();
        return 1;
    }
    qv::LogManager::getInstance().setFlush(true);
    game_manager.run();
    game_manager.shutDown();
    return 0;
}
