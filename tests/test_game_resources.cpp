#include "GameStart.h"
#include "LogManager.h"
#include "ResourceManager.h"
#include "Sprite.h"
#include "world_support.h"

#include <unistd.h>

// The game's whole resource table, loaded from the project's root through the real loader. An
// object's box follows its sprite, so the sprites one walker switches between share one odd-sided
// size (a frame centred on a whole-numbered position covers whole cells), small enough for the
// 6-row corridors and the 20-column door gaps and too wide for the 2-column holes at a room's
// corners; the attack reaches past the hero on every side from its truncated position, and the
// stairs stand 10 columns and 5 rows into a room, clear of its walls and side doors.
TEST_F(WorldTest, GameSpritesAndMusicLoadWithoutAWarningAndFitTheFloors)
{
    setenv("ALSOFT_DRIVERS", "null", 0);
    ASSERT_EQ(chdir(QV_SOURCE_DIR), 0);
    // Level 5 lets the loader's warnings about missing header keys through as well.
    qv::LogManager::getInstance().setLogLevel(5);
    loadResources();
    for (const std::string &message : logMessages())
        for (const char *word : {"Warning", "Error", "not loaded"})
            EXPECT_EQ(message.find(word), std::string::npos) << message;
    EXPECT_NE(qv::ResourceManager::getInstance().getMusic("ambient-1"), nullptr);
    auto size = [](const std::string &label)
    {
        const qv::Sprite *p_s = qv::ResourceManager::getInstance().getSprite(label);
        return p_s && p_s->getFrameCount() > 0 ? std::pair{p_s->getWidth(), p_s->getHeight()} : std::pair{0, 0};
    };
    const std::vector<std::vector<std::string>> walkers = {
        {"walk", "hurt", "attack", "dead", "dead2"},
        {"monster-walk", "monster-chase", "monster-hurt1", "monster-hurt2", "monster-hurt3"}};
    for (const auto &labels :
         std::vector<std::vector<std::string>>{walkers[0], walkers[1], {"stairs", "food", "big-food", "attack_obj", "gamestart"}})
        for (const std::string &label : labels)
            EXPECT_TRUE(size(label).first % 2 == 1 && size(label).second % 2 == 1) << label;
    for (const auto &labels : walkers)
        for (const std::string &label : labels)
            EXPECT_EQ(size(label), size(labels[0])) << label;
    EXPECT_TRUE(size("walk").first > 2 && size("monster-walk").first < 20);
    EXPECT_TRUE(size("walk").second <= 5 && size("monster-walk").second <= 5);
    EXPECT_TRUE(size("attack_obj").first >= size("walk").first + 2 &&
                size("attack_obj").second >= size("walk").second + 2);
    EXPECT_TRUE(size("stairs").first < 20 && size("stairs").second < 7 && size("food") != size("big-food"));
    EXPECT_TRUE(size("gamestart").first <= 79 && size("gamestart").second <= 23);
    const qv::Sprite *p_title = qv::ResourceManager::getInstance().getSprite("gamestart");
    for (int i = 0; p_title != nullptr && i < p_title->getFrameCount(); i++)
        EXPECT_TRUE(p_title->getFrame(i).getString().find("Press P to start") != std::string::npos &&
                    p_title->getFrame(i).getString().find("Press Q to quit") != std::string::npos)
            << i;
}
