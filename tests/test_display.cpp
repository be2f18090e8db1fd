#include "Animation.h"
#include "Color.h"
#include "DisplayManager.h"
#include "GameManager.h"
#include "LogManager.h"
#include "ResourceManager.h"
#include "Shape.h"
#include "Vector.h"
#include "WorldManager.h"
#include "presentation_support.h"
#include "test_support.h"

#include <SFML/Graphics/Color.hpp>
#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Window/VideoMode.hpp>

#include <filesystem>
#include <string>
#include <vector>

namespace
{

struct ColorRow
{
    qv::Color color;
    unsigned char r, g, b;
};

const std::vector<ColorRow> COLOR_TABLE = {
    {qv::BLACK, 0, 0, 0},  {qv::RED, 255, 0, 0},       {qv::GREEN, 0, 255, 0},  {qv::YELLOW, 255, 255, 0},
    {qv::BLUE, 0, 0, 255}, {qv::MAGENTA, 255, 0, 255}, {qv::CYAN, 0, 255, 255}, {qv::WHITE, 255, 255, 255},
};

bool isRed(sf::Color c)
{
    return c.r > 128 && c.g < 80 && c.b < 80;
}

} // namespace

TEST_F(EngineTest, ColoursConvertToTheirComponents)
{
    ASSERT_EQ(qv::GameManager::getInstance().startUp(), 0);
    qv::LogManager::getInstance().setLogLevel(5);
    for (const ColorRow &row : COLOR_TABLE)
    {
        unsigned char r = 7, g = 7, b = 7;
        qv::colorToRGB(row.color, &r, &g, &b);
        EXPECT_EQ(sf::Color(r, g, b), sf::Color(row.r, row.g, row.b)) << row.color;
        const sf::Color sfml = qv::colorToSFML(row.color);
        EXPECT_EQ(sfml, sf::Color(row.r, row.g, row.b, 255)) << row.color;
    }
    EXPECT_EQ(qv::colorToSFML(qv::RED), sf::Color::Red);
    EXPECT_EQ(qv::colorToSFML(qv::CYAN), sf::Color::Cyan);

    unsigned char r = 1, g = 2, b = 3;
    qv::colorToRGB(qv::CUSTOM, &r, &g, &b);
    EXPECT_EQ(sf::Color(r, g, b), sf::Color(1, 2, 3));
    EXPECT_EQ(qv::colorToSFML(qv::CUSTOM), sf::Color::White);
    EXPECT_TRUE(logHas("colorToSFML(): Color is CUSTOM."));

    qv::colorToRGB(static_cast<qv::Color>(12), &r, &g, &b);
    EXPECT_EQ(sf::Color(r, g, b), sf::Color(1, 2, 3));
    EXPECT_TRUE(logHas("colorToRGB(): Color 12 not supported."));
    EXPECT_EQ(qv::colorToSFML(static_cast<qv::Color>(12)), sf::Color::White);
    EXPECT_TRUE(logHas("colorToSFML(): Color 12 not supported."));
    // CUSTOM is not an error for colorToRGB: the caller supplies the components.
    EXPECT_EQ(logCount("colorToRGB(): Color 8 not supported."), 0);
    qv::GameManager::getInstance().shutDown();
}

TEST_F(EngineTest, HeadlessDisplayStartsWithoutWindowAndRefusesToDraw)
{
    writeConfig("headless:true,\nwindow_horizontal_pixels:960,\nwindow_vertical_pixels:720,\n");
    qv::LogManager::getInstance().setLogLevel(5);
    ASSERT_EQ(qv::GameManager::getInstance().startUp(), 0);
    qv::DisplayManager &display_manager = qv::DisplayManager::getInstance();
    EXPECT_TRUE(logHas("DisplayManager::startUp(): not doing graphics since in headless mode."));
    EXPECT_TRUE(logHas("DisplayManager::startUp(): successfully started."));
    EXPECT_EQ(display_manager.getWindow(), nullptr);
    EXPECT_EQ(display_manager.getHorizontalChars(), 80);
    EXPECT_EQ(display_manager.getVerticalChars(), 24);
    EXPECT_FLOAT_EQ(qv::charWidth(), 12.0f);
    EXPECT_FLOAT_EQ(qv::charHeight(), 30.0f);

    EXPECT_EQ(display_manager.drawCharacter(qv::Vector(1, 1), 'x', qv::RED), -1);
    EXPECT_EQ(display_manager.drawCharacter(qv::Vector(1, 1), 'x', 1, 2, 3), -1);
    EXPECT_EQ(display_manager.drawString(qv::Vector(1, 1), "xyz", qv::JUSTIFY_LEFT, qv::RED), -1);
    EXPECT_EQ(display_manager.swapBuffers(), -1);
    EXPECT_EQ(logCount("DisplayManager not started!"), 0);

    // Stopped, the manager says so for every drawing call but the colour form, which is headless first.
    qv::GameManager::getInstance().shutDown();
    qv::LogManager::getInstance().startUp();
    EXPECT_EQ(display_manager.drawCharacter(qv::Vector(1, 1), 'x', 1, 2, 3), -1);
    EXPECT_EQ(display_manager.drawString(qv::Vector(1, 1), "xyz", qv::JUSTIFY_LEFT, qv::RED), -1);
    EXPECT_EQ(display_manager.swapBuffers(), -1);
    EXPECT_EQ(logCount("DisplayManager not started!"), 3);
    qv::LogManager::getInstance().shutDown();
}

TEST_F(EngineTest, SpacesAndPixelsConvertByTheCellSize)
{
    writeConfig("headless:true,\nwindow_horizontal_pixels:960,\nwindow_vertical_pixels:720,\n");
    ASSERT_EQ(qv::GameManager::getInstance().startUp(), 0);
    qv::LogManager::getInstance().setLogLevel(30);
    const qv::Vector pixels = qv::spacesToPixels(qv::Vector(2, 3));
    EXPECT_EQ(pixels, qv::Vector(24, 90));
    EXPECT_TRUE(logHas("spacesToPixels(int): spaces (2.00,3.00) = pixels (24.00,90.00)"));
    const qv::Vector spaces = qv::pixelsToSpaces(qv::Vector(30, 45));
    EXPECT_EQ(spaces, qv::Vector(2.5f, 1.5f));
    EXPECT_TRUE(logHas("pixelsToSpaces(): pixels (30.00,45.00) = spaces (2.50,1.50)"));
    qv::LogManager::getInstance().setLogLevel(0);
    qv::GameManager::getInstance().shutDown();
}

TEST_F(WindowTest, StartUpOpensTheConfiguredWindowAndReportsTheDesktop)
{
    qv::LogManager::getInstance().setLogLevel(5);
    startWindow("window_title:Quorvex test,\n");
    const sf::VideoMode desktop = sf::VideoMode::getDesktopMode();
    EXPECT_TRUE(logHas("DisplayManager::startUp(): window resolution (" + std::to_string(desktop.width) + ", " +
                       std::to_string(desktop.height) + ") pixels."));
    EXPECT_TRUE(logHas("DisplayManager::startUp(): successfully started."));
    sf::RenderWindow *window = qv::DisplayManager::getInstance().getWindow();
    EXPECT_EQ(window->getSize(), sf::Vector2u(960, 720));
    EXPECT_TRUE(window->isOpen());

    qv::DisplayManager::getInstance().startUp();
    EXPECT_TRUE(logHas("DisplayManager::startUp(): Already started."));
    EXPECT_EQ(qv::DisplayManager::getInstance().getWindow(), window);

    qv::GameManager::getInstance().shutDown();
    started = false;
    EXPECT_EQ(qv::DisplayManager::getInstance().getWindow(), nullptr);
    EXPECT_TRUE(logHas("DisplayManager::shutDown(): successfully stopped."));
}

TEST_F(WindowTest, StartUpFailsWithoutFontOrWithAnEmptyGrid)
{
    writeConfig("headless:false,\nfont_file:" + dir + "/no-font.ttf,\n");
    EXPECT_EQ(qv::GameManager::getInstance().startUp(), -1);
    EXPECT_TRUE(logHas("DisplayManager::startUp(): Unable to load font from file '" + dir + "/no-font.ttf'."));
    EXPECT_TRUE(logHas("Error starting display manager!"));
    EXPECT_FALSE(qv::DisplayManager::getInstance().isStarted());
    // The failed start leaves the window; stopping releases it.
    qv::DisplayManager::getInstance().shutDown();
    EXPECT_EQ(qv::DisplayManager::getInstance().getWindow(), nullptr);
}

TEST_F(WindowTest, ZeroCharacterGridIsRefusedBeforeAnyWindowOpens)
{
    writeConfig("headless:false,\nwindow_horizontal_chars:0,\nfont_file:" QV_SOURCE_DIR "/qv-font.ttf,\n");
    EXPECT_EQ(qv::GameManager::getInstance().startUp(), -1);
    EXPECT_TRUE(logHas("DisplayManager::startUp(): Error! Window of 1024 x 768 pixels and 0 x 24 characters is not "
                       "drawable."));
    EXPECT_TRUE(logHas("DisplayManager::startUp(): Unable to allocate window!"));
    EXPECT_EQ(qv::DisplayManager::getInstance().getWindow(), nullptr);
}

TEST_F(WindowTest, CharacterSitsAtItsCellOverTheBackgroundRectangle)
{
    startWindow("window_background_color:blue,\n");
    qv::DisplayManager &display_manager = qv::DisplayManager::getInstance();
    sf::RenderWindow *window = display_manager.getWindow();
    window->clear(sf::Color::White);

    // A blank drawn over white shows only its background rectangle: 12 x 30 at (22.8, 96).
    ASSERT_EQ(display_manager.drawCharacter(qv::Vector(2, 3), ' ', qv::RED), 0);
    sf::Image image = capture();
    const PixelBox rectangle = boundingBox(image, [](sf::Color c) { return near(c, sf::Color::Blue, 0); });
    EXPECT_EQ(rectangle.x0, 23);
    EXPECT_EQ(rectangle.x1, 34);
    EXPECT_EQ(rectangle.y0, 96);
    EXPECT_EQ(rectangle.y1, 125);

    // A glyph starts at its cell's corner (24, 90) and stands on the baseline a character size
    // (24 pixels) below it.
    window->clear(sf::Color::Black);
    ASSERT_EQ(display_manager.drawCharacter(qv::Vector(2, 3), 'M', qv::RED), 0);
    image = capture();
    const PixelBox glyph = boundingBox(image, isRed);
    EXPECT_GE(glyph.x0, 24);
    EXPECT_LE(glyph.x1, 24 + 15);
    EXPECT_GE(glyph.y0, 90);
    EXPECT_GE(glyph.y1, 90 + 24 - 3);
    EXPECT_LE(glyph.y1, 90 + 24);
    // The glyph is drawn over its rectangle, which still spans the same pixels.
    const PixelBox under = boundingBox(image, [](sf::Color c) { return near(c, sf::Color::Blue, 0); });
    EXPECT_EQ(under.x0, rectangle.x0);
    EXPECT_EQ(under.x1, rectangle.x1);
    EXPECT_EQ(under.y0, rectangle.y0);
    EXPECT_EQ(under.y1, rectangle.y1);
    EXPECT_EQ(countPixels(image, 0, 0, 960, 720, [](sf::Color c) { return c.g > 100; }), 0);
}

TEST_F(WindowTest, CharacterFollowsTheView)
{
    startWindow();
    qv::WorldManager::getInstance().setView(qv::Box(qv::Vector(10, 5), 80, 24));
    qv::DisplayManager &display_manager = qv::DisplayManager::getInstance();
    const std::vector<std::string> cells =
        drawnCells([&] { display_manager.drawCharacter(qv::Vector(12, 8), 'M', 255, 0, 0); });
    EXPECT_EQ(cells, std::vector<std::string>{"(2.00,3.00)"});
    const PixelBox glyph = boundingBox(capture(), isRed);
    EXPECT_GE(glyph.x0, 24);
    EXPECT_LE(glyph.x1, 24 + 15);
    EXPECT_GE(glyph.y0, 90);
    EXPECT_LE(glyph.y1, 90 + 24);
}

class CharacterSizeTest : public WindowTest, public ::testing::WithParamInterface<float>
{
};

// The character size is trunc(font_scale x the smaller cell side); 'M' stands about 0.73 of it tall.
TEST_P(CharacterSizeTest, CapitalHeightFollowsTheSmallerCellSide)
{
    const float scale = GetParam();
    startWindow("font_scale:" + std::to_string(scale) + ",\n");
    ASSERT_EQ(qv::DisplayManager::getInstance().drawCharacter(qv::Vector(2, 3), 'M', qv::RED), 0);
    const PixelBox glyph = boundingBox(capture(), isRed);
    const unsigned int size = static_cast<unsigned int>(scale * 12.0f);
    const float cap_height = static_cast<float>(glyph.y1 - glyph.y0 + 1);
    EXPECT_NEAR(cap_height, 0.73f * static_cast<float>(size), 1.5f) << "character size " << size;
}

INSTANTIATE_TEST_SUITE_P(FontScales, CharacterSizeTest, ::testing::Values(1.0f, 1.5f, 2.0f, 3.0f));

TEST_F(WindowTest, StringsAreJustifiedAroundTheirPosition)
{
    startWindow();
    qv::DisplayManager &display_manager = qv::DisplayManager::getInstance();
    struct Case
    {
        std::string text;
        int justification;
        std::vector<std::string> cells;
    };
    const std::vector<Case> cases = {
        {"abc", qv::JUSTIFY_LEFT, {"(10.00,4.00)", "(11.00,4.00)", "(12.00,4.00)"}},
        {"abc", qv::JUSTIFY_CENTER, {"(9.00,4.00)", "(10.00,4.00)", "(11.00,4.00)"}},
        {"abcd", qv::JUSTIFY_CENTER, {"(8.00,4.00)", "(9.00,4.00)", "(10.00,4.00)", "(11.00,4.00)"}},
        {"abc", qv::JUSTIFY_RIGHT, {"(7.00,4.00)", "(8.00,4.00)", "(9.00,4.00)"}},
        {"abc", 5, {"(10.00,4.00)", "(11.00,4.00)", "(12.00,4.00)"}},
        {"", qv::JUSTIFY_CENTER, {}},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.text + " justified " + std::to_string(c.justification));
        int result = -1;
        const std::vector<std::string> cells = drawnCells(
            [&]
            {
                result = display_manager.drawString(qv::Vector(10, 4), c.text,
                                                    static_cast<qv::Justification>(c.justification), qv::GREEN);
            });
        EXPECT_EQ(result, 0);
        EXPECT_EQ(cells, c.cells);
    }

    // On screen: right-justified bars at x = 10 light cells 7, 8 and 9, and nothing from cell 10 on.
    display_manager.swapBuffers();
    display_manager.drawString(qv::Vector(10, 4), "|||", qv::JUSTIFY_RIGHT, qv::GREEN);
    const sf::Image image = capture();
    auto green = [](sf::Color c) { return c.g > 128 && c.r < 80; };
    for (int cell = 7; cell <= 9; cell++)
        EXPECT_GT(countPixels(image, cell * 12, 120, cell * 12 + 12, 150, green), 0) << cell;
    EXPECT_EQ(countPixels(image, 0, 0, 7 * 12 - 2, 720, green), 0);
    EXPECT_EQ(countPixels(image, 10 * 12 + 2, 0, 960, 720, green), 0);
}

TEST_F(WindowTest, SwapBuffersClearsToTheBackgroundColour)
{
    startWindow("window_background_color:magenta,\n");
    qv::DisplayManager &display_manager = qv::DisplayManager::getInstance();
    display_manager.drawString(qv::Vector(40, 12), "drawn", qv::JUSTIFY_CENTER, qv::WHITE);
    EXPECT_GT(countPixels(capture(), 0, 0, 960, 720, [](sf::Color c) { return c.g > 128; }), 0);
    ASSERT_EQ(display_manager.swapBuffers(), 0);
    const sf::Image image = capture();
    EXPECT_EQ(countPixels(image, 0, 0, 960, 720, [](sf::Color c) { return c != sf::Color::Magenta; }), 0);
}

// Everything the display shows at once: the eight colours, the three justifications, an animated
// sprite with a transparent character over other text, and the three shapes. The picture is kept
// in the build folder for a person to look at.
TEST_F(WindowTest, ShowcaseOfEverythingOnScreen)
{
    startWindow();
    const std::string file = writeFile("ship.txt", "<HEADER>\nframes 2\nwidth 5\nheight 3\ncolor cyan\n"
                                                   "transparency .\nslowdown 1\n</HEADER>\n<BODY>\n"
                                                   "..^..\n<[O]>\n.v.v.\nend\n..^..\n<[o]>\nv...v\nend\n</BODY>\n"
                                                   "<FOOTER>\nversion 1\n</FOOTER>\n");
    ASSERT_EQ(qv::ResourceManager::getInstance().loadSprite(file, "ship"), 0);
    qv::Animation animation;
    animation.setSprite(qv::ResourceManager::getInstance().getSprite("ship"));
    qv::DisplayManager &display_manager = qv::DisplayManager::getInstance();

    sf::Image image;
    for (int step = 0; step < 2; step++)
    {
        display_manager.swapBuffers();
        for (int i = 0; i < 8; i++)
            display_manager.drawCharacter(qv::Vector(static_cast<float>(2 + 3 * i), 1), static_cast<char>('A' + i),
                                          static_cast<qv::Color>(i));
        display_manager.drawString(qv::Vector(40, 4), "left", qv::JUSTIFY_LEFT, qv::YELLOW);
        display_manager.drawString(qv::Vector(40, 6), "centre", qv::JUSTIFY_CENTER, qv::GREEN);
        display_manager.drawString(qv::Vector(40, 8), "right", qv::JUSTIFY_RIGHT, qv::MAGENTA);
        // Behind the ship: a row of red bars that its transparent corners leave visible.
        display_manager.drawString(qv::Vector(18, 13), "|||||", qv::JUSTIFY_LEFT, qv::RED);
        animation.draw(qv::Vector(20, 14));
        qv::Shape circle, square, triangle;
        circle.setColor(qv::YELLOW);
        square.setType(qv::SQUARE);
        square.setColor(qv::MAGENTA);
        triangle.setType(qv::TRIANGLE);
        triangle.setColor(qv::GREEN);
        circle.draw(qv::Vector(50, 19));
        square.draw(qv::Vector(60, 19));
        triangle.draw(qv::Vector(70, 19));
        image = capture();
    }

    // Each colour in its own cell (black on black cannot be seen).
    const sf::Color colors[] = {sf::Color::Black, sf::Color::Red,     sf::Color::Green, sf::Color::Yellow,
                                sf::Color::Blue,  sf::Color::Magenta, sf::Color::Cyan,  sf::Color::White};
    for (int i = 1; i < 8; i++)
    {
        const int x = (2 + 3 * i) * 12;
        EXPECT_GT(countPixels(image, x, 30, x + 16, 60, [&](sf::Color c) { return near(c, colors[i], 10); }), 5)
            << "colour " << i;
    }
    // Left starts at x = 40, right ends there, centre straddles it.
    auto yellow = [](sf::Color c) { return isMostly(c, sf::Color::Yellow); };
    auto green = [](sf::Color c) { return isMostly(c, sf::Color::Green); };
    auto magenta = [](sf::Color c) { return isMostly(c, sf::Color::Magenta); };
    EXPECT_EQ(countPixels(image, 0, 120, 478, 150, yellow), 0);
    EXPECT_GT(countPixels(image, 480, 120, 480 + 4 * 12, 150, yellow), 0);
    EXPECT_EQ(countPixels(image, 483, 240, 960, 270, magenta), 0);
    EXPECT_GT(countPixels(image, 480 - 5 * 12, 240, 480, 270, magenta), 0);
    EXPECT_GT(countPixels(image, 480 - 36, 180, 480, 210, green), 0);
    EXPECT_GT(countPixels(image, 480, 180, 480 + 36, 210, green), 0);

    // Frame 1 of the ship: "<[o]>" across the middle, its top-left corner '.' shows the red bar.
    auto cyan = [](sf::Color c) { return isMostly(c, sf::Color::Cyan); };
    auto red = [](sf::Color c) { return isMostly(c, sf::Color::Red); };
    EXPECT_GT(countPixels(image, 18 * 12, 14 * 30, 23 * 12, 15 * 30, cyan), 50);
    EXPECT_GT(countPixels(image, 18 * 12, 13 * 30 + 10, 18 * 12 + 12, 13 * 30 + 20, red), 0);
    EXPECT_EQ(countPixels(image, 20 * 12, 13 * 30 + 10, 20 * 12 + 12, 13 * 30 + 20, red), 0) << "the '^' hides it";
    EXPECT_EQ(animation.getIndex(), 0) << "two steps of slowdown 1 bring the ship back to frame 0";

    // The shapes: circle centred half a size right and down of its point, the others around theirs.
    EXPECT_TRUE(isMostly(image.getPixel(50 * 12 + 12, 19 * 30 + 12), sf::Color::Yellow));
    EXPECT_TRUE(isMostly(image.getPixel(60 * 12 + 12, 19 * 30 + 3), sf::Color::Magenta));
    EXPECT_TRUE(isMostly(image.getPixel(70 * 12, 19 * 30 + 2), sf::Color::Green));

    const std::string folder = QV_BINARY_DIR "/screenshots";
    std::filesystem::create_directories(folder);
    const std::string png = folder + "/presentation.png";
    ASSERT_TRUE(image.saveToFile(png));
    sf::Image saved;
    ASSERT_TRUE(saved.loadFromFile(png));
    EXPECT_EQ(saved.getSize(), sf::Vector2u(960, 720));
}

// Without a display the window library would abort the process; the start fails instead.
TEST_F(EngineTest, WindowWithoutDisplayFailsTheStart)
{
    unsetenv("DISPLAY");
    writeConfig("headless:false,\n");
    EXPECT_EQ(qv::GameManager::getInstance().startUp(), -1);
    EXPECT_TRUE(logHas("DisplayManager::startUp(): Error! No display to open a window on (DISPLAY is not set)."));
    EXPECT_TRUE(logHas("DisplayManager::startUp(): Unable to allocate window!"));
    EXPECT_TRUE(logHas("Error starting display manager!"));
    EXPECT_FALSE(qv::DisplayManager::getInstance().isStarted());
}
