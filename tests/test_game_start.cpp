#include "Music.h"
#include "ResourceManager.h"
#include "test_game_support.h"

using namespace qv::Keyboard;

// The whole game from its title screen on, driven by keys and passes.
class GameStartTest : public GameWorldTest
{
protected:
    void SetUp() override
    {
        GameWorldTest::SetUp();
        std::srand(11);
        title = new GameStart;
        hero = title->getHero();
        ended = listen({GAME_OVER_EVENT});
    }

    // Releases P; the hunger bar and the floor counter come up in this order.
    void start()
    {
        key(P, qv::KEY_RELEASED);
        const qv::ObjectList displays = world().objectsOfType("ViewObject");
        ASSERT_EQ(displays.getCount(), 2);
        hunger = dynamic_cast<Hunger *>(displays.itemAt(0));
        floor = dynamic_cast<FloorNum *>(displays.itemAt(1));
        ASSERT_TRUE(hunger != nullptr && floor != nullptr);
    }

    static bool quitting() { return qv::GameManager::getInstance().getGameOver(); }

    GameStart *title = nullptr;
    Hero *hero = nullptr;
    Hunger *hunger = nullptr;
    FloorNum *floor = nullptr;
    RecordingObject *ended = nullptr;
};

// The game's sprites and music load without a complaint. Touches that reach the bar before its
// deletion takes effect announce nothing more; afterwards the dead hero lies still and deaf on a
// cleared floor, its last attack expires, P does nothing and only Q ends the game.
TEST_F(GameStartTest, TitleWaitsForPReleasedAndAnEmptyBarEndsPlayOnceUntilQ)
{
    for (const std::string &message : logMessages())
        EXPECT_EQ(message.find("Error"), std::string::npos) << message;
    for (const int action : {qv::KEY_PRESSED, qv::KEY_DOWN})
        key(P, action);
    EXPECT_TRUE(title->isVisible() && !hero->isVisible() && title->getMap()->getSpaces().empty());
    key(Q, qv::KEY_DOWN);
    EXPECT_TRUE(quitting());
    qv::GameManager::getInstance().setGameOver(false);
    start();
    EXPECT_TRUE(!title->isVisible() && hero->isVisible() && world().getViewFollowing() == hero);
    EXPECT_TRUE(qv::ResourceManager::getInstance().getMusic("ambient-1")->isPlaying());
    hunger->setValue(1);
    key(A, qv::KEY_PRESSED);
    for (int i = 0; i < 51; i++)
        key(RIGHT_ARROW, qv::KEY_DOWN);
    for (int i = 0; i < 30; i++)
        send(EventPlayerHit());
    pass();
    const qv::Vector where = hero->getPosition();
    for (const int k : {RIGHT_ARROW, DOWN_ARROW, A, SPACE, P})
        for (const int action : {qv::KEY_PRESSED, qv::KEY_RELEASED})
            key(k, action);
    pass(30);
    EXPECT_TRUE(hero->getPosition() == where && spriteOf(hero) == "dead2");
    for (const char *type : {"Wall", "Monster", "Food", "Stairs", "ViewObject", "AttackObj"})
        EXPECT_EQ(objects(type), 0) << type;
    EXPECT_EQ(ended->received, std::vector<std::string>({GAME_OVER_EVENT}));
    EXPECT_EQ(logCount("DONE CREATING LEVEL GEOMETRY"), 1);
    EXPECT_FALSE(logHas("Hero was hit") || quitting());
    key(Q, qv::KEY_PRESSED);
    EXPECT_TRUE(quitting());
}

TEST_F(GameStartTest, StairsLeadToANewFloorCountedOnScreenWithHungerKept)
{
    start();
    for (int i = 0; i < 102; i++)
        key(RIGHT_ARROW, qv::KEY_DOWN);
    key(RIGHT_ARROW, qv::KEY_RELEASED);
    ASSERT_EQ(hunger->getValue(), 98);
    for (int expected = 2; expected <= 3; expected++)
    {
        const Stairs *p_stairs = title->getMap()->getStairs();
        hero->setPosition(p_stairs->getPosition() + qv::Vector(-6, 0));
        key(RIGHT_ARROW, qv::KEY_PRESSED);
        for (int i = 0; i < 40 && floor->getValue() < expected; i++)
            pass();
        key(RIGHT_ARROW, qv::KEY_RELEASED);
        pass();
        EXPECT_EQ(floor->getValue(), expected);
        EXPECT_EQ(logCount("DONE CREATING LEVEL GEOMETRY"), expected);
        EXPECT_TRUE(objects("Stairs") == 1 && title->getMap()->getStairs() != p_stairs);
        EXPECT_EQ(hunger->getValue(), 98);
    }
}
