#include "test_support.h"

#include "GameManager.h"

TEST_F(EngineTest, StartsAndStopsHeadless)
{
    qv::GameManager &game_manager = qv::GameManager::getInstance();
    ASSERT_EQ(game_manager.startUp(), 0);
    game_manager.shutDown();
    EXPECT_TRUE(logHas("** Game engine stopped **"));
}
