// The first game: a walker in a walled room, a step counter, Q to quit.
#include "Walker.h"

#include <cstdlib>
#include <fstream>
#include <quorvex/GameManager.h>
#include <quorvex/LogManager.h>
#include <quorvex/ResourceManager.h>
#include <quorvex/ViewObject.h>
#include <string>

namespace
{

const int ROOM_LEFT = 5;    // column of the room's left wall, cells
const int ROOM_TOP = 3;     // row of the room's top wall, cells
const int ROOM_WIDTH = 30;  // cells, walls included
const int ROOM_HEIGHT = 10; // cells, walls included

// The first of the game's data files that cannot be read from the folder it runs in, or "".
std::string missingData()
{
    const char *config = std::getenv("QUORVEX_CONFIG");
    for (std::string file : {std::string(config ? config : "qv-config.txt"), std::string("sprites/walker-spr.txt"),
                             std::string("sprites/wall-spr.txt")})
        if (!std::ifstream(file))
            return file;
    return "";
}

// A wall cell: HARD, so that the walker cannot pass, and never moving.
void placeWall(int x, int y)
{
    qv::Object *p_wall = new qv::Object;
    p_wall->setType("Wall");
    p_wall->setSprite("wall");
    p_wall->setPosition(qv::Vector(static_cast<float>(x), static_cast<float>(y)));
}

} // namespace

int main()
{
    qv::LogManager &log = qv::LogManager::getInstance();
    const std::string missing = missingData();
    if (!missing.empty())
    {
        // Only the log is started, so that the reason lands where every other message does.
        log.startUp();
        log.writeLog("first_game: cannot read '%s'; run the game from its own folder, examples/first", missing.c_str());
        log.shutDown();
        return 1;
    }
    qv::GameManager &game = qv::GameManager::getInstance();
    if (game.startUp() != 0)
    {
        game.shutDown();
        return 1;
    }
    qv::ResourceManager &resources = qv::ResourceManager::getInstance();
    if (resources.loadSprite("sprites/walker-spr.txt", "walker") != 0 ||
        resources.loadSprite("sprites/wall-spr.txt", "wall") != 0)
    {
        game.shutDown();
        return 1;
    }

    // The room's walls, below the display item at the top of the window.
    for (int x = 0; x < ROOM_WIDTH; x++)
    {
        placeWall(ROOM_LEFT + x, ROOM_TOP);
        placeWall(ROOM_LEFT + x, ROOM_TOP + ROOM_HEIGHT - 1);
    }
    for (int y = 1; y < ROOM_HEIGHT - 1; y++)
    {
        placeWall(ROOM_LEFT, ROOM_TOP + y);
        placeWall(ROOM_LEFT + ROOM_WIDTH - 1, ROOM_TOP + y);
    }

    qv::ViewObject *p_steps = new qv::ViewObject;
    p_steps->setViewString("Steps");
    p_steps->setLocation(qv::TOP_LEFT);

    Walker *p_walker = new Walker;
    p_walker->setPosition(qv::Vector(20, 7));

    log.writeLog("first_game: walk with the arrows, Q quits");
    game.run();
    // The world still holds every object until shut-down deletes them.
    log.writeLog("first_game: the walker took %d steps and stands at (%g, %g)", p_steps->getValue(),
                 p_walker->getPosition().getX(), p_walker->getPosition().getY());
    game.shutDown();
    return 0;
}
