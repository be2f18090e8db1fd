#include "EventStep.h"
#include "GameManager.h"
#include "LogManager.h"
#include "WorldManager.h"
#include "test_support.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <regex>
#include <sstream>
#include <sys/time.h>
#include <thread>

class GameLoopTest : public EngineTest
{
protected:
    // Starts the engine with `config` and has `on_step` run on every step event.
    void startWithStepper(const std::string &config, std::function<void(int)> on_step)
    {
        writeConfig(config);
        ASSERT_EQ(game_manager.startUp(), 0);
        auto *p_stepper = new RecordingObject;
        p_stepper->on_event = [on_step](const qv::Event *p_event)
        { on_step(static_cast<const qv::EventStep *>(p_event)->getStepCount()); };
        ASSERT_EQ(p_stepper->registerInterest(qv::STEP_EVENT), 0);
    }

    qv::GameManager &game_manager = qv::GameManager::getInstance();
};

TEST_F(GameLoopTest, LogLinesBeginWithTheTimeAndTheStepCountInAtLeastFourColumns)
{
    startWithStepper("headless:true,\nframe_time:0,\n",
                     [&](int step)
                     {
                         if (step == 7 || step == 12345)
                             qv::LogManager::getInstance().writeLog("at %d", step);
                         game_manager.setGameOver(step == 12345);
                     });
    game_manager.run();
    game_manager.shutDown();
    for (const std::string line : {"    0 \\*{52}", "    7 at 7", " 12345 at 12345"})
        EXPECT_TRUE(std::regex_search(readLog(), std::regex("(^|\n)\\d\\d:\\d\\d:\\d\\d" + line + "\n"))) << line;
}

TEST_F(GameLoopTest, LogWritesOnlyLinesWhoseLevelIsNotAboveItsOwn)
{
    qv::LogManager &log = qv::LogManager::getInstance();
    ASSERT_EQ(log.startUp(), 0);
    EXPECT_EQ(log.writeLog(1, "progress"), 0);
    EXPECT_EQ(log.writeLog("always"), 6);
    log.setLogLevel(5);
    EXPECT_EQ(log.writeLog(5, "five"), 4);
    EXPECT_EQ(log.writeLog("unleveled"), 9);
    EXPECT_EQ(logMessages(), (std::vector<std::string>{"always", "five", "unleveled"}));
}

TEST_F(GameLoopTest, StartsTheManagersInOrderAndStopsThemInReverse)
{
    qv::LogManager::getInstance().setLogLevel(1);
    writeConfig("headless:true,\nnetworking:true,\nnetwork_port:0,\n");
    ASSERT_EQ(game_manager.startUp(), 0);
    game_manager.shutDown();
    EXPECT_TRUE(containsInOrder(logMessages(),
                                {"** Quorvex version 4.15 **", "** Game engine started **", "Log Manager started.",
                                 "Quorvex configuration:", "Display manager started.", "Input manager started.",
                                 "Network manager started.", "Resource manager started.", "World manager started.",
                                 "Path manager started.", "Path manager stopped", "World manager stopped",
                                 "Resource manager stopped", "Network manager stopped", "Input manager stopped",
                                 "Display manager stopped", "** Game engine stopped **"}));
}

TEST_F(GameLoopTest, SeedComesFromTheConfigurationOrTheTime)
{
    qv::LogManager::getInstance().setLogLevel(10);
    const std::pair<int, int> seeds[] = {{1234, 1234}, {-1, -1}, {0, static_cast<int>(std::time(nullptr))}};
    for (const auto &[configured, expected] : seeds)
    {
        writeConfig("headless:true,\nrandom_seed:" + std::to_string(configured) + ",\n");
        std::srand(99);
        ASSERT_EQ(game_manager.startUp(), 0);
        const int drawn = std::rand();
        game_manager.shutDown();
        int logged = 0;
        for (const std::string &message : logMessages())
            std::sscanf(message.c_str(), "GameManager()::startUp(): seed is %d", &logged);
        EXPECT_NEAR(logged, expected, 5);
        // -1 leaves the generator where it was.
        std::srand(configured == -1 ? 99 : static_cast<unsigned>(logged));
        EXPECT_EQ(std::rand(), drawn) << configured;
    }
}

TEST_F(GameLoopTest, GameOverEndsTheLoopOnlyAfterTheWholePass)
{
    qv::Object *p_victim = nullptr;
    startWithStepper("headless:true,\nframe_time:1,\n",
                     [&](int step)
                     {
                         if (step == 2)
                             qv::WorldManager::getInstance().markForDelete(p_victim);
                         game_manager.setGameOver(step == 2);
                     });
    p_victim = new qv::Object;
    p_victim->setType("Victim");
    // Set before the loop begins, game over is forgotten.
    game_manager.setGameOver(true);
    game_manager.run();
    EXPECT_EQ(game_manager.getStepCount(), 3);
    EXPECT_TRUE(qv::WorldManager::getInstance().objectsOfType("Victim").isEmpty());
    game_manager.shutDown();
}

TEST_F(GameLoopTest, LatePassesAreReportedUnlessFirstOrPayingBackAnOversleep)
{
    struct sigaction action = {};
    // Runs inside the loop's sleep, so that the sleep ends long after it should have.
    action.sa_handler = [](int) { std::this_thread::sleep_for(std::chrono::milliseconds(300)); };
    ASSERT_EQ(sigaction(SIGALRM, &action, nullptr), 0);
    struct Case
    {
        int frame_time;
        std::vector<int> busy_ms; // how long each pass's step takes; -1 oversleeps instead
        std::string late;         // the passes reported
    };
    const Case cases[] = {
        {0, {3, 3, 3}, ""}, {-5, {3, 3, 3}, ""}, {10, {30, 30, 30, 30}, "123"}, {200, {-1, 250, 250}, "2"}};
    for (const Case &c : cases)
    {
        startWithStepper("headless:true,\nframe_time:" + std::to_string(c.frame_time) + ",\n",
                         [&](int step)
                         {
                             const int busy = c.busy_ms[static_cast<std::size_t>(step)];
                             itimerval into_the_sleep = {{0, 0}, {0, 80 * 1000}};
                             if (busy < 0)
                                 setitimer(ITIMER_REAL, &into_the_sleep, nullptr);
                             std::this_thread::sleep_for(std::chrono::milliseconds(std::max(busy, 0)));
                             game_manager.setGameOver(step + 1 == static_cast<int>(c.busy_ms.size()));
                         });
        game_manager.run();
        game_manager.shutDown();
        std::string late;
        std::istringstream log(readLog());
        for (std::string line; std::getline(log, line);)
            if (line.find("Can't keep up! frame_time " + std::to_string(c.frame_time) + " ms, split ") !=
                std::string::npos)
                late += std::to_string(std::stoi(line.substr(8)));
        EXPECT_EQ(late, c.late) << c.frame_time;
    }
}
