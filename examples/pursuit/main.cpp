// Pursuit: hunters driven by state machines find their way to the runner with the path finder;
// sprites come from the game's own files, and its own music plays.
#include "Hunter.h"
#include "Runner.h"

#include <cstdlib>
#include <fstream>
#include <quorvex/Config.h>
#include <quorvex/GameManager.h>
#include <quorvex/LogManager.h>
#include <quorvex/Music.h>
#include <quorvex/ResourceManager.h>
#include <quorvex/attribute_text.h>
#include <string>

namespace
{

// Sprite labels, each read from "sprites/LABEL-spr.txt".
const char *const SPRITES[] = {"runner", "hunter-roam", "hunter-hunt", "wall"};
const char *const MUSIC_FILE = "music/pursuit.wav";

// The first of the game's data files that cannot be read from the folder it runs in, or "".
std::string missingData()
{
    const char *config = std::getenv("QUORVEX_CONFIG");
    if (!std::ifstream(config ? config : "qv-config.txt"))
        return config ? config : "qv-config.txt";
    for (const char *sprite : SPRITES)
        if (!std::ifstream(std::string("sprites/") + sprite + "-spr.txt"))
            return std::string("sprites/") + sprite + "-spr.txt";
    if (!std::ifstream(MUSIC_FILE))
        return MUSIC_FILE;
    return "";
}

// A line of wall cells from (x, y), `length` long, across or down.
void buildWall(int x, int y, int length, bool across)
{
    for (int i = 0; i < length; i++)
    {
        qv::Object *p_wall = new qv::Object;
        p_wall->setType("Wall");
        p_wall->setSprite("wall");
        p_wall->setPosition(qv::Vector(static_cast<float>(across ? x + i : x), static_cast<float>(across ? y : y + i)));
    }
}

} // namespace

int main()
{
    qv::LogManager &log = qv::LogManager::getInstance();
    const std::string missing = missingData();
    if (!missing.empty())
    {
        log.startUp();
        log.writeLog("pursuit: cannot read '%s'; run the game from its own folder, examples/pursuit", missing.c_str());
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
    for (const char *sprite : SPRITES)
        if (resources.loadSprite(std::string("sprites/") + sprite + "-spr.txt", sprite) != 0)
        {
            game.shutDown();
            return 1;
        }
    if (resources.loadMusic(MUSIC_FILE, "theme") != 0)
    {
        game.shutDown();
        return 1;
    }

    // The field: a border, and bars the hunters must find their way round.
    buildWall(0, 0, 80, true);
    buildWall(0, 23, 80, true);
    buildWall(0, 1, 22, false);
    buildWall(79, 1, 22, false);
    buildWall(20, 1, 15, false);
    buildWall(59, 8, 15, false);
    buildWall(30, 16, 20, true);
    buildWall(30, 7, 20, true);

    const int quit_after = qv::textToInt(qv::match(qv::Config::getInstance().getConfigText(), "quit_after"));
    Runner *p_runner = new Runner(quit_after);
    p_runner->setPosition(qv::Vector(40, 12));
    // Two hunters start out of the runner's sight, roaming; the third is near enough to hunt at once.
    for (const qv::Vector &where : {qv::Vector(5, 3), qv::Vector(74, 3), qv::Vector(65, 20)})
        (new Hunter(p_runner))->setPosition(where);

    resources.getMusic("theme")->play(true);
    log.writeLog("pursuit: hold the arrows to run, Q quits");
    game.run();
    game.shutDown();
    return 0;
}
