// Rock run: many objects made and deleted while playing, the three kinds of solidness, collision
// and out-of-world events, and a view that follows the player through a world wider than itself.
#include "Rock.h"
#include "Ship.h"

#include <cstdlib>
#include <fstream>
#include <quorvex/Config.h>
#include <quorvex/GameManager.h>
#include <quorvex/LogManager.h>
#include <quorvex/ResourceManager.h>
#include <quorvex/ViewObject.h>
#include <quorvex/WorldManager.h>
#include <quorvex/attribute_text.h>
#include <string>

namespace
{

const float WORLD_WIDTH = 400; // cells; the view shows 80 of them
const float WORLD_HEIGHT = 24; // cells, as high as the view
const char *const SPRITES[] = {"ship", "rock", "bullet", "star"};

// The first of the game's data files that cannot be read from the folder it runs in, or "".
std::string missingData()
{
    const char *config = std::getenv("QUORVEX_CONFIG");
    if (!std::ifstream(config ? config : "qv-config.txt"))
        return config ? config : "qv-config.txt";
    for (const char *sprite : SPRITES)
        if (!std::ifstream(std::string("sprites/") + sprite + "-spr.txt"))
            return std::string("sprites/") + sprite + "-spr.txt";
    return "";
}

// A display item pinned to `where`, showing `label` and `value`.
qv::ViewObject *makeDisplay(const std::string &label, int value, qv::ViewObjectLocation where)
{
    qv::ViewObject *p_display = new qv::ViewObject;
    p_display->setViewString(label);
    p_display->setValue(value);
    p_display->setLocation(where);
    return p_display;
}

} // namespace

int main()
{
    qv::LogManager &log = qv::LogManager::getInstance();
    const std::string missing = missingData();
    if (!missing.empty())
    {
        log.startUp();
        log.writeLog("rock_run: cannot read '%s'; run the game from its own folder, examples/rocks", missing.c_str());
        log.shutDown();
        return 1;
    }
    qv::GameManager &game = qv::GameManager::getInstance();
    if (game.startUp() != 0)
    {
        game.shutDown();
        return 1;
    }
    for (const char *sprite : SPRITES)
        if (qv::ResourceManager::getInstance().loadSprite(std::string("sprites/") + sprite + "-spr.txt", sprite) != 0)
        {
            game.shutDown();
            return 1;
        }
    qv::WorldManager &world = qv::WorldManager::getInstance();
    world.setBoundary(qv::Box(qv::Vector(0, 0), WORLD_WIDTH, WORLD_HEIGHT));

    // Stars are SPECTRAL: drawn underneath everything, never in anyone's way.
    for (int i = 0; i < 120; i++)
    {
        qv::Object *p_star = new qv::Object;
        p_star->setType("Star");
        p_star->setSprite("star");
        p_star->setSolidness(qv::SPECTRAL);
        p_star->setAltitude(0);
        p_star->setPosition(
            qv::Vector(static_cast<float>(std::rand() % 400), static_cast<float>(1 + std::rand() % 23)));
    }
    qv::ViewObject *p_score = makeDisplay("Score", 0, qv::TOP_LEFT);
    qv::ViewObject *p_shields = makeDisplay("Shields", 5, qv::TOP_RIGHT);

    // A key of the game's own in the engine's configuration file: the engine ignores keys it
    // does not know, and the game reads them from the text the engine kept.
    const int quit_after = qv::textToInt(qv::match(qv::Config::getInstance().getConfigText(), "quit_after"));
    Ship *p_ship = new Ship(p_shields, quit_after);
    p_ship->setPosition(qv::Vector(5, 12));
    world.setViewFollowing(p_ship);

    log.writeLog("rock_run: Up and Down steer, Q quits");
    game.run();
    const qv::Box view = world.getView();
    log.writeLog("rock_run: %d rocks made, %d shot, %d escaped, %d still flying; %d bullets fired, %d still flying",
                 p_ship->getRocksMade(), p_score->getValue(), Rock::getEscaped(),
                 world.objectsOfType("Rock").getCount(), p_ship->getBulletsFired(),
                 world.objectsOfType("Bullet").getCount());
    log.writeLog("rock_run: shields %d, laps %d, ship at x %g, view from x %g", p_shields->getValue(),
                 p_ship->getLaps(), p_ship->getPosition().getX(), view.getCorner().getX());
    game.shutDown();
    return 0;
}
