#include "Config.h"
#include "DisplayManager.h"
#include "EventStep.h"
#include "GameManager.h"
#include "LogManager.h"
#include "presentation_support.h"

#include <SFML/Graphics/Image.hpp>

#include <chrono>
#include <filesystem>
#include <regex>
#include <string>
#include <thread>

namespace
{

const char *const SUMMARY = "GameManager::shutDown\\(\\): frame time median ([0-9]+) ms, worst ([0-9]+) ms, "
                            "([0-9]+) of ([0-9]+) passes over ([0-9]+) ms";

// Registers for step events an object that runs `on_step` with each pass's number; the world
// manager owns it.
void onEveryStep(const std::function<void(int)> &on_step)
{
    RecordingObject *p_stepper = new RecordingObject;
    p_stepper->on_event = [on_step](const qv::Event *p_event)
    { on_step(static_cast<const qv::EventStep *>(p_event)->getStepCount()); };
    p_stepper->registerInterest(qv::STEP_EVENT);
}

// The summary lines among the log messages, each as the whole line and its five figures.
std::vector<std::vector<std::string>> summaries(const std::vector<std::string> &messages)
{
    std::vector<std::vector<std::string>> found;
    const std::regex pattern(SUMMARY);
    for (const std::string &message : messages)
    {
        std::smatch match;
        if (std::regex_match(message, match, pattern))
            found.push_back(std::vector<std::string>(match.begin(), match.end()));
    }
    return found;
}

} // namespace

TEST_F(EngineTest, ShowFrameTimeIsOffUnlessExactlyTrue)
{
    qv::Config &config = qv::Config::getInstance();
    EXPECT_FALSE(config.getShowFrameTime());
    config.loadConfig("show_frame_time:true,");
    EXPECT_TRUE(config.getShowFrameTime());
    config.loadConfig("show_frame_time:,");
    EXPECT_TRUE(config.getShowFrameTime()) << "an empty value keeps the setting";
    config.loadConfig("show_frame_time:True,");
    EXPECT_FALSE(config.getShowFrameTime());

    config.loadConfig("show_frame_time:true,");
    ASSERT_EQ(qv::LogManager::getInstance().startUp(), 0);
    qv::LogManager::getInstance().setLogLevel(1);
    config.logConfig();
    EXPECT_EQ(logCount("  Show frame time: true"), 1);
    qv::LogManager::getInstance().shutDown();
}

// Four passes of ten sleep past the 5 ms frame: the summary counts them, and its median is a short pass.
TEST_F(EngineTest, ShutDownLogsTheWholeRunsPassTimesBeforeTheStopLines)
{
    writeConfig("headless:true,\nframe_time:5,\nrandom_seed:-1,\nshow_frame_time:true,\n");
    qv::GameManager &game_manager = qv::GameManager::getInstance();
    ASSERT_EQ(game_manager.startUp(), 0);
    qv::LogManager::getInstance().setLogLevel(1);
    onEveryStep(
        [&](int step)
        {
            if (step % 2 == 1 && step < 8)
                std::this_thread::sleep_for(std::chrono::milliseconds(7));
            if (step == 9)
                game_manager.setGameOver(true);
        });
    game_manager.run();
    game_manager.shutDown();
    // A second stop writes no second summary (with the log stopped, lines go to standard error).
    testing::internal::CaptureStderr();
    game_manager.shutDown();
    EXPECT_EQ(testing::internal::GetCapturedStderr().find("frame time median"), std::string::npos);

    const std::vector<std::string> messages = logMessages();
    const std::vector<std::vector<std::string>> found = summaries(messages);
    ASSERT_EQ(found.size(), 1u) << readLog();
    const int median = std::stoi(found[0][1]);
    const int worst = std::stoi(found[0][2]);
    EXPECT_LT(median, 5);
    EXPECT_GE(worst, 7);
    EXPECT_LT(worst, 1000);
    EXPECT_EQ(found[0][3], "4");
    EXPECT_EQ(found[0][4], "10");
    EXPECT_EQ(found[0][5], "5");
    EXPECT_TRUE(containsInOrder(
        messages, {found[0][0], "Path manager stopped", "Display manager stopped", "** Game engine stopped **"}));
}

TEST_F(EngineTest, WithoutShowFrameTimeNoSummaryIsLogged)
{
    qv::GameManager &game_manager = qv::GameManager::getInstance();
    ASSERT_EQ(game_manager.startUp(), 0);
    onEveryStep(
        [&](int step)
        {
            if (step == 3)
                game_manager.setGameOver(true);
        });
    game_manager.run();
    game_manager.shutDown();
    EXPECT_TRUE(summaries(logMessages()).empty());
    EXPECT_TRUE(logHas("** Game engine stopped **"));
}

class FrameTimeReadoutTest : public WindowTest
{
protected:
    // Runs the loop for a little over a second and returns what its last pass drew, not yet shown.
    sf::Image runPastOneSecond()
    {
        qv::GameManager &game_manager = qv::GameManager::getInstance();
        const auto start = std::chrono::steady_clock::now();
        onEveryStep(
            [&](int)
            {
                if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(1300))
                    game_manager.setGameOver(true);
            });
        game_manager.run();
        return capture();
    }

    // Lit pixels in the bottom row's left half, where the readout goes.
    static int cornerPixels(const sf::Image &image)
    {
        return countPixels(image, 0, 690, 480, 720, [](sf::Color c) { return c.r > 128 && c.g > 128 && c.b > 128; });
    }
};

TEST_F(FrameTimeReadoutTest, ReadoutShowsInTheBottomLeftCorner)
{
    startWindow("show_frame_time:true,\n");
    const sf::Image image = runPastOneSecond();
    EXPECT_GT(cornerPixels(image), 200);
    const std::string folder = QV_BINARY_DIR "/screenshots";
    std::filesystem::create_directories(folder);
    EXPECT_TRUE(image.saveToFile(folder + "/frame-time-readout.png"));
    // Nothing else is drawn anywhere.
    EXPECT_EQ(countPixels(image, 0, 0, 960, 684, [](sf::Color c) { return c != sf::Color::Black; }), 0);
}

TEST_F(FrameTimeReadoutTest, NoReadoutByDefault)
{
    startWindow();
    EXPECT_EQ(cornerPixels(runPastOneSecond()), 0);
}
