#include "EventGameOver.h"
#include "EventKeyboard.h"
#include "InputManager.h"
#include "Music.h"
#include "ResourceManager.h"
#include "Sprite.h"
#include "ViewObject.h"
#include "test_game_support.h"

class GameStartTest : public GameWorldTest
{
protected:
    void SetUp() override
    {
        setenv("ALSOFT_DRIVERS", "null", 0);
        GameWorldTest::SetUp();
        title = new GameStart;
    }

    static int displays() { return world().objectsOfType("ViewObject").getCount(); }

    GameStart *title = nullptr;
};

TEST_F(GameStartTest, TitleWaitsWithAHiddenHeroAndNoFloor)
{
    EXPECT_EQ(title->getType(), "GameStart");
    EXPECT_EQ(title->getAnimation().getSprite()->getLabel(), "gamestart");
    EXPECT_EQ(title->getLocation(), qv::CENTER_CENTER);
    EXPECT_EQ(title->getPosition(), qv::Vector(40, 12));
    EXPECT_TRUE(title->isVisible());
    EXPECT_FALSE(title->isStarted());
    EXPECT_EQ(world().getViewFollowing(), title);
    ASSERT_NE(title->getHero(), nullptr);
    EXPECT_FALSE(title->getHero()->isVisible());
    ASSERT_NE(title->getMap(), nullptr);
    EXPECT_EQ(title->getMap()->getHero(), title->getHero());
    EXPECT_TRUE(title->getMap()->getSpaces().empty());
    EXPECT_EQ(displays(), 0);
}

TEST_F(GameStartTest, ReleasingPStartsPlayOnce)
{
    using namespace qv::Keyboard;
    key(P, qv::KEY_PRESSED);
    key(P, qv::KEY_DOWN);
    key(P, qv::KEY_DOWN);
    EXPECT_FALSE(title->isStarted());
    EXPECT_TRUE(title->getMap()->getSpaces().empty());

    key(P, qv::KEY_RELEASED);
    EXPECT_TRUE(title->isStarted());
    EXPECT_FALSE(title->isVisible());
    EXPECT_TRUE(title->getHero()->isVisible());
    EXPECT_EQ(world().getViewFollowing(), title->getHero());
    EXPECT_FALSE(title->getMap()->getSpaces().empty());
    EXPECT_EQ(displays(), 2);
    EXPECT_EQ(logCount("DONE CREATING LEVEL GEOMETRY"), 1);
    EXPECT_TRUE(qv::ResourceManager::getInstance().getMusic("ambient-1")->isPlaying());

    // Neither a second P nor one after game over builds anything more.
    key(P, qv::KEY_RELEASED);
    EventGameOver game_over;
    world().onEvent(&game_over);
    key(P, qv::KEY_RELEASED);
    EXPECT_EQ(logCount("DONE CREATING LEVEL GEOMETRY"), 1);
    EXPECT_EQ(displays(), 2);
    EXPECT_FALSE(title->isVisible());
    EXPECT_FALSE(qv::GameManager::getInstance().getGameOver());
}

TEST_F(GameStartTest, QQuitsOnTheTitleAndInPlay)
{
    using namespace qv::Keyboard;
    for (const int action : {qv::KEY_PRESSED, qv::KEY_RELEASED, qv::KEY_DOWN})
    {
        qv::GameManager::getInstance().setGameOver(false);
        key(Q, action);
        EXPECT_TRUE(qv::GameManager::getInstance().getGameOver()) << action;
    }
    key(P, qv::KEY_RELEASED);
    EventGameOver game_over;
    world().onEvent(&game_over);
    qv::GameManager::getInstance().setGameOver(false);
    key(Q, qv::KEY_PRESSED);
    EXPECT_TRUE(qv::GameManager::getInstance().getGameOver());
}

TEST_F(GameStartTest, HandlesKeyboardEventsOnly)
{
    qv::EventKeyboard other_key;
    other_key.setKey(qv::Keyboard::B);
    other_key.setKeyboardAction(qv::KEY_PRESSED);
    EXPECT_EQ(title->eventHandler(&other_key), 1);
    EventGameOver game_over;
    EXPECT_EQ(title->eventHandler(&game_over), 0);
    EXPECT_FALSE(title->isStarted());
    EXPECT_TRUE(title->isVisible());
}
