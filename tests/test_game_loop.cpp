#include "Box.h"
#include "DisplayManager.h"
#include "Event.h"
#include "EventStep.h"
#include "GameManager.h"
#include "InputManager.h"
#include "LogManager.h"
#include "NetworkManager.h"
#include "PathManager.h"
#include "ResourceManager.h"
#include "Vector.h"
#include "WorldManager.h"
#include "test_support.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <regex>
#include <string>
#include <sys/time.h>
#include <thread>
#include <vector>

namespace
{

const std::string STARS(52, '*');

int stepOf(const qv::Event *p_event)
{
    return static_cast<const qv::EventStep *>(p_event)->getStepCount();
}

void sleepMs(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace

class GameLoopTest : public EngineTest
{
protected:
    qv::GameManager &game_manager = qv::GameManager::getInstance();

    // Starts the engine with `config` and registers an object for step events that runs
    // `on_step` on each; the world manager owns the object.
    RecordingObject *startWithStepper(const std::string &config, std::function<void(int)> on_step)
    {
        writeConfig(config);
        if (game_manager.startUp() != 0)
            return nullptr;
        RecordingObject *p_stepper = new RecordingObject;
        p_stepper->on_event = [on_step](const qv::Event *p_event) { on_step(stepOf(p_event)); };
        p_stepper->registerInterest(qv::STEP_EVENT);
        return p_stepper;
    }

    // The steps at which "Can't keep up!" was written, with the split each reported.
    std::vector<std::pair<int, int>> lateSteps() const
    {
        std::vector<std::pair<int, int>> late;
        const std::regex pattern("..:..:.. +([0-9]+) GameManager::run\\(\\): Can't keep up! frame_time [-0-9]+ ms, "
                                 "split ([-0-9]+) ms");
        for (const std::string &line : logLines())
        {
            std::smatch found;
            if (std::regex_match(line, found, pattern))
                late.emplace_back(std::stoi(found[1]), std::stoi(found[2]));
        }
        return late;
    }
};

TEST_F(GameLoopTest, StartsEveryManagerInOrderAndStopsThemInReverse)
{
    qv::LogManager::getInstance().setLogLevel(10);
    ASSERT_EQ(game_manager.startUp(), 0);
    EXPECT_TRUE(game_manager.isStarted());
    EXPECT_TRUE(qv::DisplayManager::getInstance().isStarted());
    EXPECT_TRUE(qv::InputManager::getInstance().isStarted());
    EXPECT_TRUE(qv::ResourceManager::getInstance().isStarted());
    EXPECT_TRUE(qv::WorldManager::getInstance().isStarted());
    EXPECT_TRUE(qv::PathManager::getInstance().isStarted());
    EXPECT_FALSE(qv::NetworkManager::getInstance().isStarted());
    game_manager.shutDown();

    const std::vector<std::string> messages = logMessages();
    EXPECT_TRUE(containsInOrder(messages, {"LogManager::startUp(): successfully started.",
                                           STARS,
                                           "** Quorvex version 4.15 **",
                                           "** Game engine started **",
                                           STARS,
                                           "Log Manager started.",
                                           std::string(35, '-'),
                                           "Quorvex configuration:",
                                           "  Frame time: 5",
                                           "  Headless: true",
                                           "  Random seed: -1",
                                           std::string(35, '-'),
                                           "GameManager::startUp(): frame time is 5",
                                           "Display manager started.",
                                           "Input manager started.",
                                           "Resource manager started.",
                                           "World manager started.",
                                           "Path manager started.",
                                           "GameManager()::startUp(): seed is -1",
                                           "GameManager::startUp(): successfully started.",
                                           "Path manager stopped",
                                           "World manager stopped",
                                           "Resource manager stopped",
                                           "Input manager stopped",
                                           "Display manager stopped",
                                           STARS,
                                           "** Game engine stopped **",
                                           "LogManager::shutDown(): successfully stopped."}));
    EXPECT_EQ(messages.back(), "LogManager::shutDown(): successfully stopped.");
    // With networking off the network manager is neither started nor stopped.
    for (const std::string &message : messages)
    {
        EXPECT_EQ(message.find("Network manager"), std::string::npos) << message;
        EXPECT_EQ(message.find("NetworkManager"), std::string::npos) << message;
    }
    EXPECT_FALSE(game_manager.isStarted());
    EXPECT_FALSE(qv::DisplayManager::getInstance().isStarted());
    EXPECT_FALSE(qv::WorldManager::getInstance().isStarted());
    EXPECT_FALSE(qv::LogManager::getInstance().isStarted());
}

TEST_F(GameLoopTest, AtTheDefaultLevelOnlyTheBannersAreWritten)
{
    ASSERT_EQ(game_manager.startUp(), 0);
    game_manager.shutDown();
    const std::vector<std::string> messages = logMessages();
    ASSERT_GE(messages.size(), 6u);
    EXPECT_EQ(std::vector<std::string>(messages.begin(), messages.begin() + 4),
              (std::vector<std::string>{STARS, "** Quorvex version 4.15 **", "** Game engine started **", STARS}));
    EXPECT_EQ(std::vector<std::string>(messages.end() - 2, messages.end()),
              (std::vector<std::string>{STARS, "** Game engine stopped **"}));
    for (const char *leveled : {"Log Manager started.", "Display manager started.", "Quorvex configuration:",
                                "World manager stopped", "GameManager::startUp(): successfully started."})
        EXPECT_FALSE(logHas(leveled)) << leveled;
}

TEST_F(GameLoopTest, NetworkingStartsAndStopsTheNetworkManagerAfterInput)
{
    qv::LogManager::getInstance().setLogLevel(1);
    writeConfig("headless:true,\nframe_time:1,\nrandom_seed:-1,\nnetworking:true,\nnetwork_port:0,\n");
    ASSERT_EQ(game_manager.startUp(), 0);
    EXPECT_TRUE(qv::NetworkManager::getInstance().isStarted());
    int passes = 0;
    RecordingObject *p_stepper = new RecordingObject;
    p_stepper->on_event = [&](const qv::Event *)
    {
        if (++passes == 3)
            game_manager.setGameOver(true);
    };
    ASSERT_EQ(p_stepper->registerInterest(qv::STEP_EVENT), 0);
    game_manager.run();
    game_manager.shutDown();
    EXPECT_FALSE(qv::NetworkManager::getInstance().isStarted());
    EXPECT_EQ(passes, 3);

    EXPECT_TRUE(containsInOrder(logMessages(),
                                {"Input manager started.", "Network manager started.", "Resource manager started.",
                                 "Resource manager stopped", "Network manager stopped", "Input manager stopped"}));
    // Without a listening socket the loop neither accepts nor waits for data.
    for (const std::string &message : logMessages())
        EXPECT_EQ(message.find("NetworkManager::accept()"), std::string::npos) << message;
    EXPECT_FALSE(logHas("GameManager::run(): Warning! Residual network data."));
}

TEST_F(GameLoopTest, SecondStartUpOnlySaysSo)
{
    ASSERT_EQ(game_manager.startUp(), 0);
    EXPECT_EQ(game_manager.startUp(), 0);
    EXPECT_TRUE(logHas("GameManager::startup(): Already started."));
    game_manager.shutDown();
}

TEST_F(GameLoopTest, UnopenableLogStopsTheStartBeforeAnyOtherManager)
{
    const std::string missing = dir + "/no-such-folder/quorvex.log";
    setenv("QUORVEX_LOG", missing.c_str(), 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(game_manager.startUp(), -1);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find(" LogManager::startup(): Warning! Unable to open file '" + missing + "'.\n"), std::string::npos)
        << err;
    EXPECT_NE(err.find(" Error starting log manager!\n"), std::string::npos) << err;
    EXPECT_EQ(err.find("Quorvex version"), std::string::npos) << err;
    EXPECT_FALSE(game_manager.isStarted());
    EXPECT_FALSE(qv::LogManager::getInstance().isStarted());
    EXPECT_FALSE(qv::DisplayManager::getInstance().isStarted());
    EXPECT_FALSE(qv::WorldManager::getInstance().isStarted());

    // The caller shuts down what there is; the stop lines go to standard error.
    testing::internal::CaptureStderr();
    game_manager.shutDown();
    const std::string stop = testing::internal::GetCapturedStderr();
    EXPECT_NE(stop.find(" ** Game engine stopped **\n"), std::string::npos) << stop;
}

TEST_F(GameLoopTest, WorldAndViewAreTheWindowInCharacters)
{
    EXPECT_EQ(game_manager.getFrameTime(), 0);
    EXPECT_EQ(game_manager.getStepCount(), 0);
    EXPECT_FALSE(game_manager.getGameOver());
    writeConfig("headless:true,\nframe_time:7,\nwindow_horizontal_chars:100,\nwindow_vertical_chars:30,\n"
                "random_seed:-1,\n");
    ASSERT_EQ(game_manager.startUp(), 0);
    const qv::WorldManager &world_manager = qv::WorldManager::getInstance();
    const qv::Box screen(qv::Vector(0, 0), 100, 30);
    EXPECT_EQ(world_manager.getBoundary(), screen);
    EXPECT_EQ(world_manager.getView(), screen);
    EXPECT_EQ(world_manager.getViewSlack(), qv::Vector(1.0f / 3.0f, 1.0f / 3.0f));
    EXPECT_EQ(game_manager.getFrameTime(), 7);
    EXPECT_FALSE(game_manager.getGameOver());
    game_manager.shutDown();
    EXPECT_TRUE(game_manager.getGameOver());
}

TEST_F(GameLoopTest, FixedSeedSeedsTheGenerator)
{
    writeConfig("headless:true,\nrandom_seed:1234,\n");
    std::srand(1234);
    const int expected[] = {std::rand(), std::rand(), std::rand()};
    std::srand(99);
    qv::LogManager::getInstance().setLogLevel(10);
    ASSERT_EQ(game_manager.startUp(), 0);
    for (const int value : expected)
        EXPECT_EQ(std::rand(), value);
    EXPECT_TRUE(logHas("GameManager()::startUp(): seed is 1234"));
    game_manager.shutDown();
}

TEST_F(GameLoopTest, SeedMinusOneLeavesTheGeneratorAlone)
{
    std::srand(77);
    std::rand();
    const int expected[] = {std::rand(), std::rand(), std::rand()};
    std::srand(77);
    std::rand();
    qv::LogManager::getInstance().setLogLevel(10);
    ASSERT_EQ(game_manager.startUp(), 0);
    for (const int value : expected)
        EXPECT_EQ(std::rand(), value);
    EXPECT_TRUE(logHas("GameManager()::startUp(): seed is -1"));
    game_manager.shutDown();
}

TEST_F(GameLoopTest, SeedZeroSeedsWithTheTimeInSeconds)
{
    writeConfig("headless:true,\nrandom_seed:0,\n");
    qv::LogManager::getInstance().setLogLevel(10);
    const std::time_t before = std::time(nullptr);
    ASSERT_EQ(game_manager.startUp(), 0);
    const std::time_t after = std::time(nullptr);
    const int first = std::rand();
    game_manager.shutDown();

    int seed = 0;
    for (const std::string &message : logMessages())
        if (message.rfind("GameManager()::startUp(): seed is ", 0) == 0)
            seed = std::stoi(message.substr(34));
    EXPECT_GE(seed, before);
    EXPECT_LE(seed, after);
    std::srand(static_cast<unsigned>(seed));
    EXPECT_EQ(std::rand(), first);
}

TEST_F(GameLoopTest, StepEventsCarryTheStepCount)
{
    qv::LogManager::getInstance().setLogLevel(1);
    std::vector<int> steps;
    ASSERT_NE(startWithStepper("headless:true,\nframe_time:1,\n",
                               [&](int step)
                               {
                                   steps.push_back(step);
                                   EXPECT_EQ(game_manager.getStepCount(), step);
                                   if (step == 4)
                                       game_manager.setGameOver(true);
                               }),
              nullptr);
    game_manager.run();
    EXPECT_EQ(steps, (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(game_manager.getStepCount(), 5);
    game_manager.shutDown();
    EXPECT_TRUE(containsInOrder(logMessages(),
                                {"GameManager::run(): starting game loop", "GameManager::run(): end of game loop"}));
}

TEST_F(GameLoopTest, GameOverBeforeRunIsCleared)
{
    int passes = 0;
    ASSERT_NE(startWithStepper("headless:true,\nframe_time:1,\n",
                               [&](int step)
                               {
                                   passes++;
                                   if (step == 2)
                                       game_manager.setGameOver(true);
                               }),
              nullptr);
    game_manager.setGameOver(true);
    game_manager.run();
    EXPECT_EQ(passes, 3);
    game_manager.shutDown();
}

namespace
{

class Victim : public qv::Object
{
public:
    explicit Victim(bool *p_init_deleted) : p_deleted(p_init_deleted) {}
    ~Victim() override { *p_deleted = true; }

private:
    bool *p_deleted; // set when the object is destroyed
};

} // namespace

TEST_F(GameLoopTest, GameOverFromAHandlerFinishesThePass)
{
    bool deleted = false;
    Victim *p_victim = nullptr;
    ASSERT_NE(startWithStepper("headless:true,\nframe_time:1,\n",
                               [&](int)
                               {
                                   qv::WorldManager::getInstance().markForDelete(p_victim);
                                   game_manager.setGameOver(true);
                               }),
              nullptr);
    p_victim = new Victim(&deleted);
    RecordingObject *p_later = new RecordingObject;
    ASSERT_EQ(p_later->registerInterest(qv::STEP_EVENT), 0);
    game_manager.run();
    EXPECT_EQ(game_manager.getStepCount(), 1);
    // The rest of the pass ran: the later object got its step, and the world update deleted the victim.
    EXPECT_EQ(p_later->received, std::vector<std::string>{"qv-step"});
    EXPECT_TRUE(deleted);
    game_manager.shutDown();
}

TEST_F(GameLoopTest, ZeroOrNegativeFrameTimeNeverSleepsNorWarns)
{
    for (const char *frame_time : {"0", "-5"})
    {
        ASSERT_NE(startWithStepper(std::string("headless:true,\nframe_time:") + frame_time + ",\n",
                                   [&](int step)
                                   {
                                       sleepMs(3);
                                       if (step == 4)
                                           game_manager.setGameOver(true);
                                   }),
                  nullptr);
        game_manager.run();
        EXPECT_EQ(game_manager.getStepCount(), 5);
        game_manager.shutDown();
        EXPECT_TRUE(lateSteps().empty()) << frame_time;
    }
}

TEST_F(GameLoopTest, LateFirstPassIsNotReportedButLaterOnesAre)
{
    ASSERT_NE(startWithStepper("headless:true,\nframe_time:10,\n",
                               [&](int step)
                               {
                                   sleepMs(30);
                                   if (step == 3)
                                       game_manager.setGameOver(true);
                               }),
              nullptr);
    game_manager.run();
    game_manager.shutDown();
    const std::vector<std::pair<int, int>> late = lateSteps();
    ASSERT_EQ(late.size(), 3u);
    for (int i = 0; i < 3; i++)
    {
        EXPECT_EQ(late[i].first, i + 1);
        EXPECT_GE(late[i].second, 30);
    }
    for (const auto &[step, split] : late)
        EXPECT_TRUE(
            logHas("GameManager::run(): Can't keep up! frame_time 10 ms, split " + std::to_string(split) + " ms"))
            << step;
}

namespace
{

void oversleep(int)
{
    // Runs while the loop sleeps, so the sleep ends long after it should have.
    timespec pause = {0, 300 * 1000000L};
    nanosleep(&pause, nullptr);
}

} // namespace

TEST_F(GameLoopTest, LatePassAfterAnOversleepOnlyPaysItBack)
{
    struct sigaction action = {};
    action.sa_handler = oversleep;
    sigemptyset(&action.sa_mask);
    ASSERT_EQ(sigaction(SIGALRM, &action, nullptr), 0);

    ASSERT_NE(startWithStepper("headless:true,\nframe_time:200,\n",
                               [&](int step)
                               {
                                   if (step == 0)
                                   {
                                       // Fires 80 ms into this pass's sleep of about 200 ms.
                                       itimerval timer = {{0, 0}, {0, 80 * 1000}};
                                       setitimer(ITIMER_REAL, &timer, nullptr);
                                       return;
                                   }
                                   sleepMs(250);
                                   if (step == 2)
                                       game_manager.setGameOver(true);
                               }),
              nullptr);
    game_manager.run();
    game_manager.shutDown();
    signal(SIGALRM, SIG_DFL);

    // Pass 0 overslept, so late pass 1 only drops the carried oversleep; late pass 2 is reported.
    const std::vector<std::pair<int, int>> late = lateSteps();
    ASSERT_EQ(late.size(), 1u);
    EXPECT_EQ(late[0].first, 2);
}

TEST_F(GameLoopTest, TerminationSignalEndsTheLoopAfterThePass)
{
    int passes = 0;
    ASSERT_NE(startWithStepper("headless:true,\nframe_time:1,\n",
                               [&](int step)
                               {
                                   passes++;
                                   if (step == 1)
                                       std::raise(SIGTERM);
                               }),
              nullptr);
    game_manager.run();
    EXPECT_EQ(passes, 2);
    EXPECT_EQ(game_manager.getStepCount(), 2);
    game_manager.shutDown();
    EXPECT_TRUE(logHas("** Game engine stopped **"));
}
