#include "presentation_support.h"

#include "DisplayManager.h"
#include "GameManager.h"
#include "LogManager.h"

#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Graphics/Texture.hpp>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <signal.h>

namespace
{

FILE *p_server = nullptr; // the test's own X server: prints its process id, then its display number
pid_t server_pid = -1;

// Runs at exit after every static that was made after the server started, the window's among
// them: the window library talks to the server until its last static is gone.
void stopServer()
{
    kill(server_pid, SIGTERM);
    pclose(p_server);
}

} // namespace

int startDisplayServer()
{
    p_server = popen("echo $$; exec setpriv --pdeathsig TERM Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp "
                     "2>/dev/null",
                     "r");
    int display = -1;
    if (p_server == nullptr || std::fscanf(p_server, "%d %d", &server_pid, &display) < 1)
        return -1;
    std::atexit(stopServer);
    return display;
}

void WindowTest::SetUp()
{
    setenv("ALSOFT_DRIVERS", "null", 0);
    EngineTest::SetUp();
    const char *display = std::getenv("DISPLAY");
    if (!display || !*display)
        GTEST_SKIP() << "no X display to open a window on (run under xvfb-run, as ./test.sh does)";
    // Unloaded when the window closes, the OpenGL drivers' leaks would be reported from unknown code,
    // which no suppression can name; kept loaded, they are suppressed (tests/lsan.supp) by name.
    for (const char *library : {"libGLX_mesa.so.0", "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so", "libXcursor.so.1"})
        dlopen(library, RTLD_NOW | RTLD_NODELETE);
}

void WindowTest::TearDown()
{
    if (started)
        qv::GameManager::getInstance().shutDown();
    EngineTest::TearDown();
}

void WindowTest::startWindow(const std::string &extra)
{
    writeConfig("headless:false,\nframe_time:5,\nrandom_seed:-1,\nwindow_horizontal_pixels:960,\n"
                "window_vertical_pixels:720,\nwindow_horizontal_chars:80,\nwindow_vertical_chars:24,\n"
                "font_file:" QV_SOURCE_DIR "/qv-font.ttf,\n" +
                extra);
    ASSERT_EQ(qv::GameManager::getInstance().startUp(), 0) << readLog();
    started = true;
    ASSERT_NE(qv::DisplayManager::getInstance().getWindow(), nullptr);
}

sf::Image WindowTest::capture() const
{
    // Characters still queued belong to the picture.
    qv::DisplayManager::getInstance().flush();
    sf::RenderWindow *window = qv::DisplayManager::getInstance().getWindow();
    sf::Texture texture;
    texture.create(window->getSize().x, window->getSize().y);
    texture.update(*window);
    return texture.copyToImage();
}

std::vector<std::string> WindowTest::drawnCells(const std::function<void()> &draw) const
{
    const std::size_t before = logMessages().size();
    qv::LogManager::getInstance().setLogLevel(30);
    draw();
    qv::LogManager::getInstance().setLogLevel(0);
    const std::vector<std::string> messages = logMessages();
    const std::string prefix = "spacesToPixels(int): spaces ";
    std::vector<std::string> cells;
    for (std::size_t i = before; i < messages.size(); i++)
        if (messages[i].rfind(prefix, 0) == 0)
            cells.push_back(messages[i].substr(prefix.size(), messages[i].find(' ', prefix.size()) - prefix.size()));
    return cells;
}

bool near(sf::Color actual, sf::Color expected, int tolerance)
{
    return std::abs(actual.r - expected.r) <= tolerance && std::abs(actual.g - expected.g) <= tolerance &&
           std::abs(actual.b - expected.b) <= tolerance;
}

bool isMostly(sf::Color actual, sf::Color expected)
{
    auto channel = [](int have, int want) { return want == 255 ? have > 128 : have < 100; };
    return channel(actual.r, expected.r) && channel(actual.g, expected.g) && channel(actual.b, expected.b);
}

int countPixels(const sf::Image &image, int x0, int y0, int x1, int y1, const std::function<bool(sf::Color)> &test)
{
    int count = 0;
    for (int y = y0; y < y1; y++)
        for (int x = x0; x < x1; x++)
            count += test(image.getPixel(x, y));
    return count;
}

PixelBox boundingBox(const sf::Image &image, const std::function<bool(sf::Color)> &test)
{
    PixelBox box{1 << 30, 1 << 30, -1, -1};
    for (int y = 0; y < static_cast<int>(image.getSize().y); y++)
        for (int x = 0; x < static_cast<int>(image.getSize().x); x++)
            if (test(image.getPixel(x, y)))
                box = {std::min(box.x0, x), std::min(box.y0, y), std::max(box.x1, x), std::max(box.y1, y)};
    return box;
}

std::string wavFile(int samples)
{
    auto bytes = [](std::uint32_t v, int size)
    {
        std::string out;
        for (int i = 0; i < size; i++)
            out += static_cast<char>((v >> (8 * i)) & 0xff);
        return out;
    };
    const std::uint32_t data_size = static_cast<std::uint32_t>(samples) * 2;
    std::string wav = "RIFF" + bytes(36 + data_size, 4) + "WAVE" + "fmt " + bytes(16, 4) + bytes(1, 2) + bytes(1, 2);
    wav += bytes(8000, 4) + bytes(16000, 4) + bytes(2, 2) + bytes(16, 2) + "data" + bytes(data_size, 4);
    for (int i = 0; i < samples; i++)
        wav += bytes(static_cast<std::uint16_t>((i % 40) < 20 ? 3000 : -3000), 2);
    return wav;
}
