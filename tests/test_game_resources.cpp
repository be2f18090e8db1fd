#include "GameManager.h"
#include "GameStart.h"
#include "LogManager.h"
#include "ResourceManager.h"
#include "Sprite.h"
#include "test_support.h"

#include <unistd.h>

namespace
{

const char *const SPRITE_LABELS[] = {"walk",          "stairs",       "hurt",          "attack",        "dead",
                                     "dead2",         "monster-walk", "monster-chase", "monster-hurt1", "monster-hurt2",
                                     "monster-hurt3", "food",         "big-food",      "attack_obj",    "gamestart"};

} // namespace

// The game's whole resource table, loaded from the project's root through the real loader.
class GameResourcesTest : public EngineTest
{
protected:
    void SetUp() override
    {
        setenv("ALSOFT_DRIVERS", "null", 0);
        EngineTest::SetUp();
        ASSERT_EQ(qv::GameManager::getInstance().startUp(), 0);
        ASSERT_EQ(chdir(QV_SOURCE_DIR), 0);
        // Level 5 lets the loader's warnings about missing header keys through as well.
        qv::LogManager::getInstance().setLogLevel(5);
        loadResources();
        qv::LogManager::getInstance().setLogLevel(0);
    }

    void TearDown() override
    {
        qv::GameManager::getInstance().shutDown();
        EngineTest::TearDown();
    }

    static const qv::Sprite &sprite(const std::string &label)
    {
        const qv::Sprite *p_sprite = qv::ResourceManager::getInstance().getSprite(label);
        EXPECT_NE(p_sprite, nullptr) << label;
        static const qv::Sprite none(0);
        return p_sprite ? *p_sprite : none;
    }
};

TEST_F(GameResourcesTest, EverySpriteAndTheMusicLoadWithoutAWarning)
{
    for (const std::string &message : logMessages())
    {
        EXPECT_EQ(message.find("Warning"), std::string::npos) << message;
        EXPECT_EQ(message.find("Error"), std::string::npos) << message;
        EXPECT_EQ(message.find("not loaded"), std::string::npos) << message;
    }
    for (const char *label : SPRITE_LABELS)
    {
        EXPECT_TRUE(logHas(std::string("ResourceManager::loadSprite(): Sprite '") + label + "' loaded.")) << label;
        EXPECT_GT(sprite(label).getFrameCount(), 0) << label;
    }
    EXPECT_TRUE(logHas("ResourceManager::loadMusic(): Music 'ambient-1' successfully loaded."));
    EXPECT_NE(qv::ResourceManager::getInstance().getMusic("ambient-1"), nullptr);
}

TEST_F(GameResourcesTest, SpritesFitTheFloors)
{
    // Odd sides put a frame centred on a whole-numbered position onto whole cells.
    for (const char *label : SPRITE_LABELS)
    {
        EXPECT_EQ(sprite(label).getWidth() % 2, 1) << label;
        EXPECT_EQ(sprite(label).getHeight() % 2, 1) << label;
    }

    // An object's box follows its sprite, so the sprites one walker switches between share a size;
    // walkers pass the 6-row corridors and 20-column door gaps (touching a wall is a collision),
    // and are wider than the 2-column holes at a room's corners.
    const std::vector<std::vector<std::string>> walkers = {
        {"walk", "hurt", "attack", "dead", "dead2"},
        {"monster-walk", "monster-chase", "monster-hurt1", "monster-hurt2", "monster-hurt3"}};
    for (const std::vector<std::string> &set : walkers)
    {
        const qv::Sprite &first = sprite(set.front());
        for (const std::string &label : set)
        {
            EXPECT_EQ(sprite(label).getWidth(), first.getWidth()) << label;
            EXPECT_EQ(sprite(label).getHeight(), first.getHeight()) << label;
        }
        EXPECT_LE(first.getHeight(), 5) << set.front();
        EXPECT_LT(first.getWidth(), 20) << set.front();
        EXPECT_GT(first.getWidth(), 2) << set.front();
    }

    // The attack stands on the hero's truncated position, up to a cell off, and must still reach
    // beyond the hero on every side.
    EXPECT_GE(sprite("attack_obj").getWidth(), sprite("walk").getWidth() + 2);
    EXPECT_GE(sprite("attack_obj").getHeight(), sprite("walk").getHeight() + 2);

    // The stairs stand 10 columns and 5 rows into a room, clear of its walls and side doors.
    EXPECT_LT(sprite("stairs").getWidth(), 20);
    EXPECT_LT(sprite("stairs").getHeight(), 7);

    const qv::Sprite &food = sprite("food");
    const qv::Sprite &big_food = sprite("big-food");
    EXPECT_FALSE(food.getColor() == big_food.getColor() && food.getWidth() == big_food.getWidth() &&
                 food.getHeight() == big_food.getHeight())
        << "the two foods look alike";

    // The title is centred in an 80 x 24 view and tells how to start and quit in every frame.
    const qv::Sprite &title = sprite("gamestart");
    EXPECT_LE(title.getWidth(), 79);
    EXPECT_LE(title.getHeight(), 23);
    for (int i = 0; i < title.getFrameCount(); i++)
    {
        EXPECT_NE(title.getFrame(i).getString().find("Press P to start"), std::string::npos) << i;
        EXPECT_NE(title.getFrame(i).getString().find("Press Q to quit"), std::string::npos) << i;
    }
}
