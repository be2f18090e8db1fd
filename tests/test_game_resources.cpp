#include "GameStart.h"
#include "LogManager.h"
#include "ResourceManager.h"
#include "Sprite.h"
#include "world_support.h"

#include <unistd.h>

// The game's whole resource table, loaded from the project's root through the real loader.
TEST_F(WorldTest, GameSpritesAndMusicLoadWithoutAWarningAndFitTheFloors)
{
    setenv("ALSOFT_DRIVERS", "null", 0);
    ASSERT_EQ(chdir(QV_SOURCE_DIR), 0);
    // Level 5 lets the loader's warnings about missing header keys through as well.
    qv::LogManager::getInstance().setLogLevel(5);
    loadResources();
    for (const std::string &message : logMessages())
        EXPECT_TRUE(message.find("Warning") == std::string::npos && message.find("Error") == std::string::npos &&
                    message.find("not loaded") == std::string::npos)
            << message;
    EXPECT_NE(qv::ResourceManager::getInstance().getMusic("ambient-1"), nullptr);
    auto size = [](const std::string &label)
    {
        const qv::Sprite *p_s = qv::ResourceManager::getInstance().getSprite(label);
        EXPECT_TRUE(p_s != nullptr && p_s->getFrameCount() > 0) << label;
        return p_s ? std::pair{p_s->getWidth(), p_s->getHeight()} : std::pair{0, 0};
    };
    // Odd sides put a frame centred on a whole-numbered position onto whole cells; the sprites a
    // walker switches between give it one box, which passes 6-row corridors and 20-column door
    // gaps but not the 2-column holes at a room's corners.
    for (const std::vector<std::string> &walker :
         {std::vector<std::string>{"walk", "hurt", "attack", "dead", "dead2"},
          {"monster-walk", "monster-chase", "monster-hurt1", "monster-hurt2", "monster-hurt3"},
          {"stairs"},
          {"food"},
          {"big-food"},
          {"attack_obj"},
          {"gamestart"}})
        for (const std::string &label : walker)
        {
            EXPECT_EQ(size(label).first % 2 * (size(label).second % 2), 1) << label;
            EXPECT_EQ(size(label), size(walker.front())) << label;
        }
    EXPECT_TRUE(size("walk").second <= 5 && size("walk").first > 2);
    EXPECT_TRUE(size("monster-walk").second <= 5 && size("monster-walk").first < 20);
    // The attack reaches past the hero on every side from its truncated position.
    EXPECT_TRUE(size("attack_obj").first >= size("walk").first + 2 &&
                size("attack_obj").second >= size("walk").second + 2);
    // The stairs stand 10 columns and 5 rows into a room, clear of its walls and side doors.
    EXPECT_TRUE(size("stairs").first < 20 && size("stairs").second < 7);
    EXPECT_NE(size("food"), size("big-food"));
    const qv::Sprite *p_title = qv::ResourceManager::getInstance().getSprite("gamestart");
    ASSERT_NE(p_title, nullptr);
    EXPECT_TRUE(p_title->getWidth() <= 79 && p_title->getHeight() <= 23);
    for (int i = 0; i < p_title->getFrameCount(); i++)
        EXPECT_TRUE(p_title->getFrame(i).getString().find("Press P to start") != std::string::npos &&
                    p_title->getFrame(i).getString().find("Press Q to quit") != std::string::npos)
            << i;
}
