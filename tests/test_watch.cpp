#include "SpriteView.h"
#include "ViewObject.h"
#include "WatchClient.h"
#include "WatchServer.h"
#include "test_game_support.h"

#include <SFML/Graphics/Image.hpp>

#include <sys/wait.h>

namespace
{

// Pixels of the hero's cyan, with their top left corner, and of the walls' and displays' white in a screenshot.
struct Art
{
    int cyan = 0, white = 0;
    int yellow_on_top = 0; // in the top three rows of cells, where the end notice goes
    int x0 = 1 << 30, y0 = 1 << 30;
};

Art artOf(const std::string &path)
{
    sf::Image image;
    EXPECT_TRUE(image.loadFromFile(path)) << path;
    Art art;
    const int width = static_cast<int>(image.getSize().x);
    for (int i = 0; i < width * static_cast<int>(image.getSize().y); i++)
    {
        const int x = i % width, y = i / width;
        const sf::Color c = image.getPixel(x, y);
        const bool r = c.r > 160, g = c.g > 160, b = c.b > 160;
        art.yellow_on_top += r && g && c.b < 80 && y < 90;
        art.white += r && g && b;
        const bool cyan = c.r < 80 && g && b;
        art.cyan += cyan;
        art.x0 = cyan ? std::min(art.x0, x) : art.x0;
        art.y0 = cyan ? std::min(art.y0, y) : art.y0;
    }
    return art;
}

} // namespace

using WatchTest = GameWorldTest;

TEST_F(WatchTest, ChangesCarryOnlyWhatAWatcherDrawsOnceThenDeletions)
{
    qv::Object *p_o = new qv::Object;
    p_o->serialize("");
    p_o->setSprite("walk");
    EXPECT_EQ(p_o->serialize(""), "box-corner-x:-1.5,box-corner-y:-1.5,box-horizontal:3,box-vertical:3,"
                                  "sprite_name:walk,sprite_index:0,sprite_slowdown_count:0,");
    EXPECT_EQ(p_o->serialize(""), "");
    // Drawing a running animation counts the steps its frame has been shown.
    p_o->draw();
    EXPECT_EQ(p_o->serialize(""), "sprite_name:walk,sprite_index:0,sprite_slowdown_count:1,");
    p_o->setAnimation(p_o->getAnimation(), false);
    EXPECT_EQ(p_o->serialize(""), "");
    p_o->setSprite("hurt");
    EXPECT_EQ(p_o->serialize(""), "sprite_name:hurt,sprite_index:0,sprite_slowdown_count:1,");
    WatchServer *p_server = new WatchServer;
    Hero *p_hero = new Hero;
    qv::Object *p_wall = new Wall(20, 0);
    const std::string wall = std::to_string(p_wall->getId());
    const std::string first = p_server->changes();
    const std::string hero = std::to_string(p_hero->getId());
    EXPECT_NE(first.find("N o " + hero + " is_active:true,is_visible:true,box-corner-x:"), std::string::npos) << first;
    EXPECT_NE(first.find("N w " + wall + " "), std::string::npos) << first;
    EXPECT_EQ(first.find("speed"), std::string::npos);
    EXPECT_EQ(first.find("event_"), std::string::npos);
    EXPECT_EQ(p_server->changes(), WATCH_HEADER + "\nV 0 0\n");

    p_hero->setVelocity(qv::Vector(1, 0));
    p_hero->setPosition(qv::Vector(7, 5));
    world().markForDelete(p_wall);
    world().update();
    world().setView(qv::Box(qv::Vector(3.5f, 2), 80, 24));
    const std::string changes = p_server->changes();
    EXPECT_EQ(changes, WATCH_HEADER + "\nC " + hero + " pos-x:8,pos-y:5,\nD " + wall + "\nV 3.5 2\n");
    EXPECT_EQ(p_server->getLastMessageBytes(), static_cast<int>(changes.size()) + 4);

    // Pinned again where it is, an item marks its place changed but sends nothing; a new row sends
    // the whole position, which a watcher reads only whole.
    qv::ViewObject *p_view = new qv::ViewObject;
    p_server->changes();
    p_view->setLocation(qv::TOP_CENTER);
    p_view->setBorder(true);
    EXPECT_EQ(p_server->changes(), WATCH_HEADER + "\nV 3.5 2\n");
    p_view->setBorder(false);
    EXPECT_EQ(p_server->changes(), WATCH_HEADER + "\nC " + std::to_string(p_view->getId()) +
                                       " pos-x:40,pos-y:0,view_border:false,\nV 3.5 2\n");
}

TEST_F(WatchTest, WatchersSeeTheSameWorldWheneverTheyJoinedAndRefuseMessagesNotFromAGame)
{
    WatchServer *p_server = new WatchServer;
    // The test asks for the messages itself.
    p_server->unregisterInterest(qv::STEP_EVENT);
    GameStart *p_start = new GameStart;
    // The copies are made at the end, so that the server never sees them in the world.
    std::vector<std::string> messages = {p_server->changes()};
    key(qv::Keyboard::P, qv::KEY_RELEASED);
    for (int i = 0; i < 30; i++)
    {
        key(qv::Keyboard::RIGHT_ARROW, qv::KEY_DOWN);
        pass();
        world().draw();
        messages.push_back(p_server->changes());
    }
    ASSERT_FALSE(p_start->getMap()->getMonsters().empty());
    // Whatever changed after the last message waits for the next one, for both watchers.
    p_start->getMap()->getMonsters().front()->setSprite("monster-hurt2");
    messages.push_back(p_server->changes());
    const std::string world_text = p_server->wholeWorld();

    std::vector<qv::Object *> originals;
    const qv::ObjectList active = world().getSceneGraph().activeObjects();
    qv::ObjectListIterator it(&active);
    for (it.first(); !it.isDone(); it.next())
        if (it.currentObject() != p_server)
            originals.push_back(it.currentObject());
    WatchClient *p_early = new WatchClient(0);
    WatchClient *p_late = new WatchClient(0);
    for (const std::string &message : messages)
        EXPECT_EQ(p_early->apply(message), 0);
    EXPECT_EQ(p_late->apply(world_text), 0);

    ASSERT_GT(originals.size(), 50u);
    for (const WatchClient *p_client : {p_early, p_late})
    {
        EXPECT_EQ(p_client->getMirrorCount(), static_cast<int>(originals.size()));
        for (const qv::Object *p_o : originals)
        {
            const qv::Object *p_mirror = p_client->getMirror(p_o->getId());
            ASSERT_NE(p_mirror, nullptr) << p_o->getType();
            // Six significant digits: within a thousandth of a cell.
            EXPECT_LT(qv::distance(p_mirror->getPosition(), p_o->getPosition()), 0.01f) << p_o->getType();
            EXPECT_EQ(spriteOf(p_mirror), spriteOf(p_o)) << p_o->getType();
            EXPECT_EQ(p_mirror->getAnimation().getIndex(), p_o->getAnimation().getIndex()) << p_o->getType();
            EXPECT_EQ(p_mirror->getAltitude(), p_o->getAltitude()) << p_o->getType();
            EXPECT_EQ(p_mirror->isVisible(), p_o->isVisible()) << p_o->getType();
            EXPECT_EQ(dynamic_cast<const qv::ViewObject *>(p_mirror) != nullptr,
                      dynamic_cast<const qv::ViewObject *>(p_o) != nullptr);
        }
    }

    // A watcher of its own, so that no record finds an object it has.
    WatchClient *p_client = new WatchClient(0);
    const std::string header = WATCH_HEADER + "\n";
    EXPECT_EQ(p_client->apply(""), -1);
    EXPECT_EQ(p_client->apply("hello"), -1);
    for (const std::string &record :
         std::vector<std::string>{"N x 5 pos-x:1,", "N o 0 pos-x:1,", "N o 99999999999 pos-x:1,", "N o",
                                  "C 42 pos-x:1,", "D -3", "V nan 2", "V 1", "Gx", std::string("\0\xff\n", 3)})
        EXPECT_EQ(p_client->apply(header + record + "\n"), -1) << record;
    EXPECT_EQ(p_client->getMirrorCount(), 0);
    EXPECT_FALSE(p_client->isGameOver());
    EXPECT_TRUE(logHas("WatchClient::apply(): Warning! Refused a message of 5 bytes that is not from a game."));

    // A wall as large as the world would cost a character per cell at every draw.
    EXPECT_EQ(p_client->apply(header + "N w 7 box-corner-x:-1e9,box-corner-y:0,box-horizontal:2e9,box-vertical:0,"
                                       "event_count:1,event_name[0]:qv-keyboard,speed:5,\nN s 8 \nG\n"),
              0);
    const Wall *p_wall = dynamic_cast<const Wall *>(p_client->getMirror(7));
    ASSERT_NE(p_wall, nullptr);
    EXPECT_EQ(p_wall->getWidth(), SPACE_WIDTH);
    EXPECT_EQ(p_wall->getSpeed(), 0);
    EXPECT_EQ(p_wall->getSolidness(), qv::SPECTRAL);
    EXPECT_NE(dynamic_cast<const SpriteView *>(p_client->getMirror(8)), nullptr);
    EXPECT_TRUE(p_client->isGameOver());
    EXPECT_TRUE(logHas("WatchClient::applyRecord(): The game is over."));
}

TEST_F(EngineTest, AWatcherThatCannotConnectSaysSoAndFails)
{
    writeConfig("networking:true,\nnetwork_port:1,\n");
    const std::string command = std::string(QV_BINARY_DIR) + "/dungeon --watch 127.0.0.1 2>" + dir + "/err.txt";
    EXPECT_EQ(WEXITSTATUS(std::system(command.c_str())), 1);
    EXPECT_NE(readFile(dir + "/err.txt").find("dungeon: cannot watch: no game accepts watchers at 127.0.0.1 port 1\n"),
              std::string::npos);
    EXPECT_TRUE(logHas("Cannot watch: no game accepts watchers at 127.0.0.1 port 1"));
}

// The real game and two watchers, each on a virtual display of its own kind: the game alone on
// one, so that keys held for it reach no watcher, the watchers side by side on a wider one.
TEST_F(EngineTest, TwoWatchersShowTheGameLiveAndItsEnd)
{
    writeConfig("headless:false,\nrandom_seed:3,\nwindow_horizontal_pixels:1200,\nwindow_vertical_pixels:720,\n"
                "font_scale:1.5,\nfont_file:qv-font.ttf,\nnetworking:true,\nnetwork_port:0,\n");
    const std::string shots = std::string(QV_BINARY_DIR) + "/screenshots/watch";
    const std::string inner = writeFile("inner.sh", "export WATCH_DISPLAY=\"$DISPLAY\"\nexec xvfb-run -a -f \"$1\" -s "
                                                    "'-screen 0 1280x1024x24' \"$2\" \"$3\" \"$4\"\n");
    const char *asan = std::getenv("ASAN_OPTIONS");
    // The OpenGL driver leaves memory behind at exit that no suppression can name.
    setenv("ASAN_OPTIONS", (std::string(asan ? asan : "") + ":detect_leaks=0").c_str(), 1);
    setenv("ALSOFT_DRIVERS", "null", 1);
    const std::string command = "timeout 100 xvfb-run -a -f " + dir + "/xauth -s '-screen 0 2560x1024x24' sh " + inner +
                                " " + dir + "/xauth " + QV_SOURCE_DIR + "/tools/watch_session.sh " + QV_BINARY_DIR +
                                "/dungeon " + shots + " >" + dir + "/session.txt 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << readFile(dir + "/session.txt") << readFile(shots + "/game.log");

    EXPECT_NE(readFile(shots + "/game.log").find("WatchServer::onNetwork(): Watcher 0 left."), std::string::npos);
    EXPECT_NE(readFile(shots + "/watcher2.log").find("WatchClient::eventHandler(): The game has ended."),
              std::string::npos);
    const Art in_game = artOf(shots + "/game.png");
    ASSERT_GT(in_game.cyan, 50);
    ASSERT_GT(in_game.white, 5000);
    // The watcher that joined on the title and the one that joined on the floor show the floor as
    // the game does, with the hero in the same cell (a cell is 15 x 30 pixels).
    for (const char *shot : {"/watcher1.png", "/watcher2.png"})
    {
        const Art watched = artOf(shots + shot);
        EXPECT_NEAR(watched.white, in_game.white, in_game.white / 50);
        EXPECT_NEAR(watched.cyan, in_game.cyan, in_game.cyan / 10);
        EXPECT_NEAR(watched.x0, in_game.x0, 7);
        EXPECT_NEAR(watched.y0, in_game.y0, 15);
        EXPECT_EQ(watched.yellow_on_top, 0);
    }
    // After the game quit, the second watcher still shows its floor, under the end notice.
    const Art ended = artOf(shots + "/ended.png");
    EXPECT_GT(ended.yellow_on_top, 500);
    EXPECT_NEAR(ended.cyan, in_game.cyan, in_game.cyan / 10);
}
