#include "Color.h"
#include "DisplayManager.h"
#include "EventStep.h"
#include "GameManager.h"
#include "LogManager.h"
#include "Vector.h"
#include "WorldManager.h"
#include "presentation_support.h"

#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Window/VideoMode.hpp>

#include <chrono>
#include <regex>
#include <string>
#include <thread>

namespace
{

const auto isRed = [](sf::Color c) { return c.r > 128 && c.g < 80 && c.b < 80; };

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

TEST_F(EngineTest, ColoursConvertToTheirComponentsAndOthersAreReported)
{
    ASSERT_EQ(qv::GameManager::getInstance().startUp(), 0);
    qv::LogManager::getInstance().setLogLevel(5);
    // CUSTOM and unknown colours leave the components as they were and draw white.
    const sf::Color table[] = {sf::Color::Black,  sf::Color::Red,   sf::Color::Green,
                               sf::Color::Yellow, sf::Color::Blue,  sf::Color::Magenta,
                               sf::Color::Cyan,   sf::Color::White, sf::Color(1, 2, 3)};
    for (int color = 0; color <= 12; color++)
    {
        unsigned char r = 1, g = 2, b = 3;
        qv::colorToRGB(static_cast<qv::Color>(color), &r, &g, &b);
        EXPECT_EQ(sf::Color(r, g, b), table[std::min(color, 8)]) << color;
        EXPECT_EQ(qv::colorToSFML(static_cast<qv::Color>(color)), color < 8 ? table[color] : sf::Color::White) << color;
    }
    EXPECT_EQ(logCount("colorToSFML(): Color is CUSTOM."), 1);
    EXPECT_EQ(logCount("colorToRGB(): Color 8 not supported."), 0);
    EXPECT_TRUE(logHas("colorToRGB(): Color 12 not supported.") && logHas("colorToSFML(): Color 12 not supported."));
    qv::GameManager::getInstance().shutDown();
}

TEST_F(EngineTest, HeadlessDisplayConvertsCellsButRefusesToDrawAndStoppedItSaysSo)
{
    writeConfig("headless:true,\nwindow_horizontal_pixels:960,\nwindow_vertical_pixels:720,\n");
    qv::LogManager::getInstance().setLogLevel(30);
    ASSERT_EQ(qv::GameManager::getInstance().startUp(), 0);
    qv::DisplayManager &display = qv::DisplayManager::getInstance();
    EXPECT_TRUE(containsInOrder(logMessages(), {"DisplayManager::startUp(): not doing graphics since in headless mode.",
                                                "DisplayManager::startUp(): successfully started."}));
    EXPECT_EQ(display.getWindow(), nullptr);
    EXPECT_EQ(qv::spacesToPixels(qv::Vector(2, 3)), qv::Vector(24, 90));
    EXPECT_TRUE(logHas("spacesToPixels(int): spaces (2.00,3.00) = pixels (24.00,90.00)"));
    EXPECT_EQ(qv::pixelsToSpaces(qv::Vector(30, 45)), qv::Vector(2.5f, 1.5f));
    EXPECT_TRUE(logHas("pixelsToSpaces(): pixels (30.00,45.00) = spaces (2.50,1.50)"));
    for (int stopped = 0; stopped < 2; stopped++)
    {
        EXPECT_EQ(display.drawCharacter(qv::Vector(1, 1), 'x', 1, 2, 3), -1);
        EXPECT_EQ(display.drawString(qv::Vector(1, 1), "xyz", qv::JUSTIFY_LEFT, qv::RED), -1);
        EXPECT_EQ(display.swapBuffers(), -1);
        EXPECT_EQ(display.flush(), -1);
        // The colour form asks for headless first, so it stays silent even when stopped.
        EXPECT_EQ(display.drawCharacter(qv::Vector(1, 1), 'x', qv::RED), -1);
        EXPECT_EQ(logCount("DisplayManager not started!"), 3 * stopped);
        qv::GameManager::getInstance().shutDown();
        qv::LogManager::getInstance().startUp();
    }
}

TEST_F(WindowTest, StartUpOpensTheConfiguredWindowOnceAndShutDownClosesIt)
{
    qv::LogManager::getInstance().setLogLevel(5);
    startWindow("window_title:Quorvex test,\n");
    const sf::VideoMode desktop = sf::VideoMode::getDesktopMode();
    EXPECT_TRUE(logHas("DisplayManager::startUp(): window resolution (" + std::to_string(desktop.width) + ", " +
                       std::to_string(desktop.height) + ") pixels."));
    sf::RenderWindow *window = qv::DisplayManager::getInstance().getWindow();
    EXPECT_EQ(window->getSize(), sf::Vector2u(960, 720));
    EXPECT_EQ(qv::DisplayManager::getInstance().startUp(), 0);
    EXPECT_TRUE(logHas("DisplayManager::startUp(): Already started."));
    EXPECT_EQ(qv::DisplayManager::getInstance().getWindow(), window);
    qv::GameManager::getInstance().shutDown();
    started = false;
    EXPECT_EQ(qv::DisplayManager::getInstance().getWindow(), nullptr);
    EXPECT_TRUE(logHas("DisplayManager::shutDown(): successfully stopped."));
}

TEST_F(WindowTest, StartUpFailsWithoutDisplayFontOrCells)
{
    const struct
    {
        std::string config;
        bool display;
        std::vector<std::string> lines;
    } cases[] = {
        {"",
         false,
         {"DisplayManager::startUp(): Error! No display to open a window on (DISPLAY is not set).",
          "DisplayManager::startUp(): Unable to allocate window!"}},
        {"font_file:" + dir + "/no-font.ttf,\n",
         true,
         {"DisplayManager::startUp(): Unable to load font from file '" + dir + "/no-font.ttf'."}},
        {"window_horizontal_chars:0,\n",
         true,
         {"DisplayManager::startUp(): Error! Window of 1024 x 768 pixels and 0 x 24 characters is not drawable.",
          "DisplayManager::startUp(): Unable to allocate window!"}},
    };
    const std::string display = std::getenv("DISPLAY");
    for (const auto &c : cases)
    {
        SCOPED_TRACE(c.config);
        if (c.display)
            setenv("DISPLAY", display.c_str(), 1);
        else
            unsetenv("DISPLAY");
        writeConfig("headless:false,\n" + c.config + "font_file:" QV_SOURCE_DIR "/qv-font.ttf,\n");
        EXPECT_EQ(qv::GameManager::getInstance().startUp(), -1);
        std::vector<std::string> lines = c.lines;
        lines.push_back("Error starting display manager!");
        EXPECT_TRUE(containsInOrder(logMessages(), lines)) << readLog();
        EXPECT_FALSE(qv::DisplayManager::getInstance().isStarted());
        // What a failed start left behind is released by the stop.
        qv::DisplayManager::getInstance().shutDown();
        EXPECT_EQ(qv::DisplayManager::getInstance().getWindow(), nullptr);
        qv::LogManager::getInstance().shutDown();
    }
    setenv("DISPLAY", display.c_str(), 1);
}

// At view position (2, 3) the glyph origin is pixel (24, 90), and the background rectangle,
// 12 x 30, lies at (22.8, 96); the glyph stands on the baseline a character size (24) lower.
TEST_F(WindowTest, CharacterSitsAtItsViewCellOverTheBackgroundRectangle)
{
    startWindow("window_background_color:blue,\n");
    qv::DisplayManager &display = qv::DisplayManager::getInstance();
    qv::WorldManager::getInstance().setView(qv::Box(qv::Vector(10, 5), 80, 24));
    auto blue = [](sf::Color c) { return c == sf::Color::Blue; };
    display.getWindow()->clear(sf::Color::White);
    EXPECT_EQ(drawnCells([&] { EXPECT_EQ(display.drawCharacter(qv::Vector(12, 8), ' ', qv::RED), 0); }),
              std::vector<std::string>{"(2.00,3.00)"});
    const PixelBox blank = boundingBox(capture(), blue);
    EXPECT_EQ(std::vector<int>({blank.x0, blank.y0, blank.x1, blank.y1}), std::vector<int>({23, 96, 34, 125}));

    display.getWindow()->clear(sf::Color::Black);
    ASSERT_EQ(display.drawCharacter(qv::Vector(12, 8), 'M', 255, 0, 0), 0);
    const sf::Image image = capture();
    const PixelBox glyph = boundingBox(image, isRed);
    EXPECT_TRUE(glyph.x0 >= 24 && glyph.x1 <= 24 + 15 && glyph.y0 >= 90 && glyph.y1 >= 90 + 24 - 3 &&
                glyph.y1 <= 90 + 24)
        << glyph.x0 << "," << glyph.y0 << " to " << glyph.x1 << "," << glyph.y1;
    EXPECT_EQ(countPixels(image, 0, 0, 960, 720, [](sf::Color c) { return c.g > 100; }), 0);
}

// The character size is trunc(font_scale x the smaller cell side); 'M' stands about 0.73 of it tall.
TEST_F(WindowTest, CapitalHeightFollowsTheFontScaleAndTheSmallerCellSide)
{
    for (float scale : {1.0f, 1.5f, 2.0f, 3.0f})
    {
        startWindow("font_scale:" + std::to_string(scale) + ",\n");
        ASSERT_EQ(qv::DisplayManager::getInstance().drawCharacter(qv::Vector(2, 3), 'M', qv::RED), 0);
        const PixelBox glyph = boundingBox(capture(), isRed);
        const float size = static_cast<float>(static_cast<unsigned int>(scale * 12.0f));
        EXPECT_NEAR(static_cast<float>(glyph.y1 - glyph.y0 + 1), 0.73f * size, 1.5f) << "character size " << size;
        qv::GameManager::getInstance().shutDown();
    }
    started = false;
}

TEST_F(WindowTest, StringsAreJustifiedAroundTheirPositionAndSwapBuffersClearsThem)
{
    startWindow("window_background_color:magenta,\n");
    qv::DisplayManager &display = qv::DisplayManager::getInstance();
    const struct
    {
        std::string text;
        int justification;
        std::vector<std::string> cells;
    } cases[] = {
        {"abc", qv::JUSTIFY_LEFT, {"(10.00,4.00)", "(11.00,4.00)", "(12.00,4.00)"}},
        {"abc", qv::JUSTIFY_CENTER, {"(9.00,4.00)", "(10.00,4.00)", "(11.00,4.00)"}},
        {"abcd", qv::JUSTIFY_CENTER, {"(8.00,4.00)", "(9.00,4.00)", "(10.00,4.00)", "(11.00,4.00)"}},
        {"abc", qv::JUSTIFY_RIGHT, {"(7.00,4.00)", "(8.00,4.00)", "(9.00,4.00)"}},
        {"abc", 5, {"(10.00,4.00)", "(11.00,4.00)", "(12.00,4.00)"}},
        {"", qv::JUSTIFY_CENTER, {}},
    };
    for (const auto &c : cases)
    {
        int result = -1;
        const auto draw = [&] {
            result = display.drawString({10, 4}, c.text, qv::Justification(c.justification), qv::GREEN);
        };
        EXPECT_EQ(drawnCells(draw), c.cells) << c.text << " justified " << c.justification;
        EXPECT_EQ(result, 0);
    }
    EXPECT_GT(countPixels(capture(), 0, 0, 960, 720, [](sf::Color c) { return c.g > 128; }), 0);
    ASSERT_EQ(display.swapBuffers(), 0);
    EXPECT_EQ(countPixels(capture(), 0, 0, 960, 720, [](sf::Color c) { return c != sf::Color::Magenta; }), 0);
}

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
