#include "EventStep.h"
#include "GameManager.h"
#include "LogManager.h"
#include "presentation_support.h"

#include <chrono>
#include <regex>
#include <string>
#include <thread>

namespace
{

// Registers for step events an object, owned by the world manager, that runs `on_step` with each
// pass's number.
void onEveryStep(const std::function<void(int)> &on_step)
{
    RecordingObject *p_stepper = new RecordingObject;
    p_stepper->on_event = [on_step](const qv::Event *p_event)
    { on_step(static_cast<const qv::EventStep *>(p_event)->getStepCount()); };
    p_stepper->registerInterest(qv::STEP_EVENT);
}

// The summary lines of the log, each with its median and worst pass times and its count of slow passes.
std::vector<std::smatch> summaries(const std::vector<std::string> &messages)
{
    const std::regex pattern("GameManager::shutDown\\(\\): frame time median ([0-9]+) ms, worst ([0-9]+) ms, "
                             "([0-9]+ of [0-9]+) passes over 5 ms");
    std::vector<std::smatch> found;
    for (const std::string &message : messages)
        if (std::smatch match; std::regex_match(message, match, pattern))
            found.push_back(match);
    return found;
}

} // namespace

// Four passes of ten sleep past the 5 ms frame: the summary counts them, its median is a short
// pass, and it comes once, before the stop lines.
TEST_F(EngineTest, ShutDownWithShowFrameTimeLogsTheRunsPassTimes)
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
    const std::vector<std::smatch> found = summaries(messages);
    ASSERT_EQ(found.size(), 1u) << readLog();
    EXPECT_LT(std::stoi(found[0][1]), 5);
    EXPECT_GE(std::stoi(found[0][2]), 7);
    EXPECT_EQ(found[0][3], "4 of 10");
    EXPECT_TRUE(containsInOrder(messages, {found[0][0], "Display manager stopped", "** Game engine stopped **"}));
}

// With show_frame_time the last pass's picture has the readout in the bottom row's left half and
// nothing anywhere else; without it the corner stays dark and the stop writes no summary.
TEST_F(WindowTest, FrameTimeReadoutShowsInTheBottomLeftCornerOnlyWhenAskedFor)
{
    for (bool show : {true, false})
    {
        startWindow(std::string("show_frame_time:") + (show ? "true" : "false") + ",\n");
        qv::GameManager &game_manager = qv::GameManager::getInstance();
        const auto start = std::chrono::steady_clock::now();
        onEveryStep(
            [&](int)
            {
                if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(1300))
                    game_manager.setGameOver(true);
            });
        game_manager.run();
        const sf::Image image = capture();
        const int corner =
            countPixels(image, 0, 690, 480, 720, [](sf::Color c) { return c.r > 128 && c.g > 128 && c.b > 128; });
        EXPECT_TRUE(show ? corner > 200 : corner == 0) << corner;
        EXPECT_EQ(countPixels(image, 0, 0, 960, 684, [](sf::Color c) { return c != sf::Color::Black; }), 0);
        game_manager.shutDown();
        EXPECT_EQ(summaries(logMessages()).size(), show ? 1u : 0u);
    }
    started = false;
}
