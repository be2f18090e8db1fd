#include "Color.h"
#include "DisplayManager.h"
#include "EventStep.h"
#include "GameManager.h"
#include "LogManager.h"
#include "ResourceManager.h"
#include "Shape.h"
#include "WorldManager.h"
#include "presentation_support.h"
#include "test_display_batch_reference.h"

#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Window/VideoMode.hpp>

#include <chrono>
#include <cmath>
#include <functional>
#include <random>
#include <regex>
#include <string>
#include <thread>

namespace
{

const auto isRed = [](sf::Color c) { return c.r > 128 && c.g < 80 && c.b < 80; };

// Registers an object, owned by the world manager, that runs `on_step` with each pass's number.
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

using Scene = std::function<void(Painter &)>;

// 3000 characters in random colours, overlapping and past the edges, on whole and half cells (where
// even-sized sprites put theirs) or anywhere; every 500th is `moved` cells further right.
Scene randomScene(bool anywhere, int moved = 0)
{
    return [=](Painter &painter)
    {
        std::mt19937 random(20261207);
        std::uniform_int_distribution<int> byte(0, 255);
        std::uniform_real_distribution<float> column(-3.0f, 83.0f), row(-3.0f, 27.0f);
        for (int i = 0; i < 3000; i++)
        {
            float x = column(random) + static_cast<float>(i % 500 == 0 ? moved : 0), y = row(random);
            if (!anywhere)
            {
                x = std::floor(x) + static_cast<float>(i % 2) * 0.5f;
                y = std::floor(y) + static_cast<float>(i % 4 / 2) * 0.5f;
            }
            const int ch = byte(random), r = byte(random), g = byte(random), b = byte(random);
            painter.character(qv::Vector(x, y), static_cast<char>(ch), r, g, b);
        }
    };
}

// Rows in the three justifications, an unknown one (taken as left) and seven colours, two
// overlapping strings and one running past both edges of the window.
void justifiedStrings(Painter &painter)
{
    const qv::Justification justifications[] = {qv::JUSTIFY_LEFT, qv::JUSTIFY_CENTER, qv::JUSTIFY_RIGHT,
                                                qv::Justification(5)};
    for (int i = 0; i < 20; i++)
        painter.string(qv::Vector(40, static_cast<float>(i)), "Justified row " + std::to_string(i) + " {[(<#@%&*>)]}",
                       justifications[i % 4], static_cast<qv::Color>(1 + i % 7));
    painter.string(qv::Vector(10.5f, 21.25f), "OVERLAPPING", qv::JUSTIFY_LEFT, qv::YELLOW);
    painter.string(qv::Vector(11, 21.5f), "overlapping", qv::JUSTIFY_LEFT, qv::RED);
    painter.string(qv::Vector(0, 23), std::string(100, 'W'), qv::JUSTIFY_CENTER, qv::WHITE);
}

// Characters around a shape, which the game draws into the window itself: over the strings before
// it, under the ones after, whose blanks' backgrounds cut it.
void drawnByTheGame(Painter &painter)
{
    justifiedStrings(painter);
    painter.string(qv::Vector(40, 12), "UNDER", qv::JUSTIFY_CENTER, qv::RED);
    qv::Shape circle;
    circle.setColor(qv::YELLOW);
    circle.setSize(40);
    circle.draw(qv::Vector(39, 11));
    painter.string(qv::Vector(40, 11), " C ", qv::JUSTIFY_CENTER, qv::WHITE);
    painter.string(qv::Vector(40, 13), "OVER", qv::JUSTIFY_CENTER, qv::GREEN);
}

// Every cell of the window, each character and colour moving on with `frame`, so that every cell
// changes from one frame to the next; every 97th cell is blank.
Scene everyCell(int frame)
{
    return [=](Painter &painter)
    {
        for (int y = 0; y < 24; y++)
            for (int x = 0; x < 80; x++)
            {
                const int cell = y * 80 + x + frame;
                const sf::Color c = qv::colorToSFML(static_cast<qv::Color>(1 + cell % 7));
                const char ch = cell % 97 == 0 ? ' ' : static_cast<char>('!' + (cell * 7) % 94);
                painter.character(qv::Vector(static_cast<float>(x), static_cast<float>(y)), ch, c.r, c.g, c.b);
            }
    };
}

// A floor wider and taller than the window seen with the view's corner at (`shift`, `shift` / 2),
// as when the view follows the hero: walls, letters and sprites everywhere, some drawn over.
Scene scrolled(int shift, const qv::Sprite *monster)
{
    return [=](Painter &painter)
    {
        qv::WorldManager::getInstance().setView(
            qv::Box(qv::Vector(static_cast<float>(shift), static_cast<float>(shift / 2)), 80, 24));
        for (int y = 0; y < 40; y++)
        {
            std::string row;
            for (int x = 0; x < 120; x++)
                row += (x % 9 == 0 || y % 5 == 0) ? '#' : static_cast<char>('a' + (x * y) % 26);
            painter.string(qv::Vector(0, static_cast<float>(y)), row, qv::JUSTIFY_LEFT,
                           static_cast<qv::Color>(1 + y % 7));
        }
        for (int i = 0; i < 10; i++)
            painter.sprite(monster, i % 2, qv::Vector(static_cast<float>(10 + 9 * i), static_cast<float>(8 + i)));
    };
}

class BatchTest : public WindowTest, public ::testing::WithParamInterface<const char *>
{
};

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

// The first case runs without DISPLAY, the others with it.
TEST_F(WindowTest, StartUpFailsWithoutDisplayFontOrCells)
{
    const std::string display = std::getenv("DISPLAY"), start = "DisplayManager::startUp(): ";
    const std::string no_window = start + "Unable to allocate window!";
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"", {start + "Error! No display to open a window on (DISPLAY is not set).", no_window}},
        {"font_file:" + dir + "/no-font.ttf,\n", {start + "Unable to load font from file '" + dir + "/no-font.ttf'."}},
        {"window_horizontal_chars:0,\n",
         {start + "Error! Window of 1024 x 768 pixels and 0 x 24 characters is not drawable.", no_window}},
    };
    unsetenv("DISPLAY");
    for (auto [config, lines] : cases)
    {
        SCOPED_TRACE(config);
        writeConfig("headless:false,\n" + config + "font_file:" QV_SOURCE_DIR "/qv-font.ttf,\n");
        EXPECT_EQ(qv::GameManager::getInstance().startUp(), -1);
        lines.push_back("Error starting display manager!");
        EXPECT_TRUE(containsInOrder(logMessages(), lines)) << readLog();
        EXPECT_FALSE(qv::DisplayManager::getInstance().isStarted());
        // What a failed start left behind is released by the stop.
        qv::DisplayManager::getInstance().shutDown();
        EXPECT_EQ(qv::DisplayManager::getInstance().getWindow(), nullptr);
        qv::LogManager::getInstance().shutDown();
        setenv("DISPLAY", display.c_str(), 1);
    }
}

// At view position (2, 3) the cell's pixel is (24, 90), and the 12 x 30 background lies at (22.8, 96).
TEST_F(WindowTest, BlankSitsAtItsViewCellAsABackgroundRectangle)
{
    startWindow("window_background_color:blue,\n");
    qv::DisplayManager &display = qv::DisplayManager::getInstance();
    qv::WorldManager::getInstance().setView(qv::Box(qv::Vector(10, 5), 80, 24));
    display.getWindow()->clear(sf::Color::White);
    EXPECT_EQ(drawnCells([&] { EXPECT_EQ(display.drawCharacter(qv::Vector(12, 8), ' ', qv::RED), 0); }),
              std::vector<std::string>{"(2.00,3.00)"});
    const PixelBox blank = boundingBox(capture(), [](sf::Color c) { return c == sf::Color::Blue; });
    EXPECT_EQ(std::vector<int>({blank.x0, blank.y0, blank.x1, blank.y1}), std::vector<int>({23, 96, 34, 125}));
}

// The window's 1920 cells allow 4096 characters a frame. Characters wholly outside the window
// cost none of them; one whose glyph reaches in from the cell left of the window is drawn.
TEST_F(WindowTest, AFrameDrawsWhatTheWindowShowsUpToItsBound)
{
    startWindow();
    qv::DisplayManager &display = qv::DisplayManager::getInstance();
    for (const qv::Vector outside :
         {qv::Vector(-3, 5), qv::Vector(84, 5), qv::Vector(5, -3), qv::Vector(5, 25), qv::Vector(NAN, 5)})
        for (int i = 0; i < 1000; i++)
            ASSERT_EQ(display.drawCharacter(outside, 'X', qv::BLUE), 0);
    const auto isGreen = [](sf::Color c) { return c.g > 128 && c.r < 80 && c.b < 80; };
    const auto isBlue = [](sf::Color c) { return c.b > 128 && c.r < 80 && c.g < 80; };
    EXPECT_EQ(countPixels(capture(), 0, 0, 960, 720, isBlue), 0);
    // A 24-pixel glyph at pixel -12 reaches a dozen pixels into the window.
    EXPECT_EQ(display.drawCharacter(qv::Vector(-1, 3), 'M', qv::RED), 0);
    for (int i = 1; i < 4095; i++)
        ASSERT_EQ(display.drawCharacter(qv::Vector(10, 10), 'X', qv::RED), 0) << i;
    EXPECT_EQ(display.drawCharacter(qv::Vector(2, 3), 'M', qv::GREEN), 0);
    EXPECT_EQ(display.drawCharacter(qv::Vector(40, 3), 'M', qv::BLUE), -1);
    EXPECT_EQ(display.drawString(qv::Vector(40, 5), "MM", qv::JUSTIFY_LEFT, qv::BLUE), 0);
    sf::Image image = capture();
    EXPECT_GT(countPixels(image, 0, 90, 12, 120, isRed), 5);
    EXPECT_GT(countPixels(image, 24, 90, 48, 120, isGreen), 20);
    EXPECT_EQ(countPixels(image, 0, 0, 960, 720, isBlue), 0);
    const std::string dropped = "DisplayManager::drawCharacter(): Warning! A frame draws more than 4096 characters; "
                                "the rest of it, and of any later such frame, is not drawn.";
    EXPECT_EQ(logCount(dropped), 1);
    // The next frame has its own bound.
    display.swapBuffers();
    EXPECT_EQ(display.drawCharacter(qv::Vector(40, 3), 'M', qv::BLUE), 0);
    EXPECT_GT(countPixels(capture(), 480, 90, 504, 120, isBlue), 20);
    qv::GameManager::getInstance().shutDown();
    started = false;
    EXPECT_TRUE(logHas("DisplayManager::shutDown(): 3 characters beyond a frame's bound were not drawn."));
}

// The size is trunc(font_scale x smaller cell side); 'M' is 0.73 of it tall, on the baseline that far below (24, 90).
TEST_F(WindowTest, CapitalStandsOnTheBaselineAtTheSizeOfTheFontScaleAndTheSmallerCellSide)
{
    for (float scale : {1.0f, 1.5f, 2.0f, 3.0f})
    {
        startWindow("font_scale:" + std::to_string(scale) + ",\n");
        ASSERT_EQ(qv::DisplayManager::getInstance().drawCharacter(qv::Vector(2, 3), 'M', qv::RED), 0);
        const PixelBox glyph = boundingBox(capture(), isRed);
        const int size = static_cast<int>(scale * 12.0f);
        EXPECT_NEAR(glyph.y1 - glyph.y0 + 1, 0.73f * static_cast<float>(size), 1.5f) << "character size " << size;
        EXPECT_TRUE(glyph.x0 >= 24 && glyph.y0 >= 90 && glyph.y1 >= 90 + size - 3 && glyph.y1 < 90 + size)
            << glyph.x0 << "," << glyph.y0 << " to " << glyph.x1 << "," << glyph.y1;
        qv::GameManager::getInstance().shutDown();
    }
    started = false;
}

// Four passes of ten sleep past the 5 ms frame; the summary comes once, before the stop lines.
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

// Only with show_frame_time does the last picture show the readout, in the bottom row's left half.
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

// Every scene drawn through the engine, after two frames of another if any (so that only the
// difference is redrawn), must give the reference's bytes. At any fraction of a pixel the driver adds
// a glyph's position to its corners for the reference, the engine before: a smoothed edge can then
// differ by one step of one channel, in few pixels.
TEST_P(BatchTest, EveryWayOfDrawingGivesTheReferencesPixels)
{
    const std::string background_name = GetParam();
    startWindow("window_background_color:" + background_name + ",\n");
    const sf::Color background = background_name == "blue" ? sf::Color::Blue : sf::Color::Black;
    qv::ResourceManager &resources = qv::ResourceManager::getInstance();
    for (std::string sprite : {"monster-walk", "hero-walk", "stairs", "food", "game-start"})
        ASSERT_EQ(resources.loadSprite(QV_SOURCE_DIR "/sprites/" + sprite + "-spr.txt", sprite), 0);
    const qv::Sprite *monster = resources.getSprite("monster-walk"), *hero = resources.getSprite("hero-walk"),
                     *title = resources.getSprite("game-start");
    auto sprites = [&](Painter &painter)
    {
        // Letters behind the sprites show through their transparent cells.
        for (int y = 2; y < 22; y += 2)
            painter.string(qv::Vector(5, static_cast<float>(y)), std::string(70, 'x'), qv::JUSTIFY_LEFT, qv::RED);
        for (int i = 0; i < 12; i++)
        {
            const float x = 8.0f + 6.0f * static_cast<float>(i);
            painter.sprite(monster, i % 2, qv::Vector(x, 4));
            painter.sprite(hero, i % 2, qv::Vector(x + 0.5f, 9));
            painter.sprite(resources.getSprite("stairs"), 0, qv::Vector(x, 14.5f));
            painter.sprite(resources.getSprite("food"), i % 4, qv::Vector(x + 0.25f, 19));
        }
    };
    auto dungeon = [&](Painter &painter) { drawDungeon(painter, monster, hero, 80, 24); };
    auto title_frame = [=](int index) { return [=](Painter &painter) { painter.sprite(title, index, {40, 12}); }; };
    // Each scene with what the two frames before it drew, if anything, and whether it lies anywhere.
    const std::tuple<std::string, Scene, Scene, bool> cases[] = {
        {"random", randomScene(false), randomScene(false), false},
        {"random-moved", randomScene(false, 1), randomScene(false), false},
        {"random-fractions", randomScene(true), randomScene(true, 2), true},
        {"strings", justifiedStrings, justifiedStrings, false},
        {"sprites", sprites, nullptr, false},
        {"title", title_frame(0), title_frame(1), false},
        {"dungeon", dungeon, title_frame(1), false},
        {"drawn-by-the-game", drawnByTheGame, drawnByTheGame, false},
        {"every-cell", everyCell(2), everyCell(1), false},
        {"every-cell-first", everyCell(5), nullptr, false},
        {"view-scroll", scrolled(3, monster), scrolled(2, monster), false},
        {"view-scroll-back", scrolled(1, monster), scrolled(2, monster), false},
    };
    qv::DisplayManager &display_manager = qv::DisplayManager::getInstance();
    EnginePainter engine;
    ReferencePainter reference(background);
    ASSERT_TRUE(reference.loaded());
    for (const auto &[name, scene, previous, anywhere] : cases)
    {
        SCOPED_TRACE(name + " over " + background_name);
        for (int frame = 0; frame < 2 && previous; frame++)
        {
            display_manager.swapBuffers();
            previous(engine);
        }
        display_manager.swapBuffers();
        scene(engine);
        const sf::Image picture = capture();
        display_manager.getWindow()->clear(background);
        scene(reference);
        const sf::Image expected = capture();
        int differing = 0, drawn = 0, largest = 0;
        sf::Image difference; // white where the two ways differ
        difference.create(960, 720, sf::Color::Black);
        for (unsigned y = 0; y < 720; y++)
            for (unsigned x = 0; x < 960; x++)
            {
                const sf::Color a = picture.getPixel(x, y), b = expected.getPixel(x, y);
                drawn += a != background;
                differing += a != b;
                largest = std::max({largest, std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
                if (a != b)
                    difference.setPixel(x, y, sf::Color::White);
            }
        if (differing > 0)
            difference.saveToFile(QV_BINARY_DIR "/screenshots/difference-" + name + "-" + background_name + ".png");
        EXPECT_GT(drawn, 2000) << "the scene drew next to nothing";
        EXPECT_LE(largest, anywhere ? 1 : 0);
        EXPECT_LE(differing, anywhere ? drawn / 500 : 0) << differing << " of " << drawn << " drawn pixels differ";
    }
}

INSTANTIATE_TEST_SUITE_P(Backgrounds, BatchTest, ::testing::Values("black", "blue"));
