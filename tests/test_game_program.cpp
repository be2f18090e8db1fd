#include "test_support.h"

#include <SFML/Graphics/Image.hpp>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace
{

const std::string STARS(52, '*');

struct Colours
{
    int yellow = 0; // the title
    int white = 0;  // walls, and the two displays
    int cyan = 0;   // the hero
    int cyan_x0 = 1 << 30;
    int cyan_x1 = -1;
};

// Counts the pure colours of the game's art in a screenshot.
Colours colours(const sf::Image &image)
{
    Colours found;
    for (unsigned y = 0; y < image.getSize().y; y++)
    {
        for (unsigned x = 0; x < image.getSize().x; x++)
        {
            const sf::Color c = image.getPixel(x, y);
            const bool r = c.r > 160, g = c.g > 160, b = c.b > 160;
            const bool r0 = c.r < 80, b0 = c.b < 80;
            if (r && g && b0)
                found.yellow++;
            else if (r && g && b)
                found.white++;
            else if (r0 && g && b)
            {
                found.cyan++;
                found.cyan_x0 = std::min(found.cyan_x0, static_cast<int>(x));
                found.cyan_x1 = std::max(found.cyan_x1, static_cast<int>(x));
            }
        }
    }
    return found;
}

// Starts Xvfb on `display` and returns once it accepts clients: true, with its process id in
// `p_server`, or false when it could not start there (the number may be taken).
bool startServerOn(int display, pid_t *p_server)
{
    int fds[2];
    if (pipe(fds) != 0)
        return false;
    const std::string name = ":" + std::to_string(display);
    const std::string fd_text = std::to_string(fds[1]);
    const pid_t pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0)
    {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        close(fds[0]);
        const int null_fd = open("/dev/null", O_WRONLY);
        dup2(null_fd, STDOUT_FILENO);
        dup2(null_fd, STDERR_FILENO);
        execlp("Xvfb", "Xvfb", name.c_str(), "-displayfd", fd_text.c_str(), "-screen", "0", "1280x1024x24", "-nolisten",
               "tcp", "-noreset", static_cast<char *>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    // The server writes its number once it is ready, and nothing if it gives up.
    std::string number;
    pollfd ready{fds[0], POLLIN, 0};
    char c = 0;
    while (poll(&ready, 1, 30000) == 1 && read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(fds[0]);
    if (number.empty())
    {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        return false;
    }
    *p_server = pid;
    return true;
}

// Starts Xvfb on a display of its own and returns its number, or -1. The numbers are far above
// those that other tests' servers and xvfb-run pick, so that no server of theirs can come and go
// on the same number while the session runs.
int startServer(pid_t *p_server)
{
    const int first = 600 + static_cast<int>(getpid() % 300);
    for (int display = first; display < first + 20; display++)
        if (startServerOn(display, p_server))
            return display;
    return -1;
}

} // namespace

// The real game in a window on a virtual display of its own, played by the scripted session that
// ./play.sh runs on machines without a display. The screenshots stay in the build folder.
class GameProgramTest : public EngineTest
{
protected:
    void TearDown() override
    {
        if (pid > 0)
        {
            kill(-pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        if (server > 0)
        {
            kill(server, SIGTERM);
            waitpid(server, nullptr, 0);
        }
        EngineTest::TearDown();
    }

    pid_t pid = -1;    // the session's process group, or -1
    pid_t server = -1; // the session's X server, or -1
};

TEST_F(GameProgramTest, TitleThenAFloorThenTheHeroWalksThenQQuits)
{
    // On this seed's floor no monster comes near the start room during the walk: a touch would
    // paint the hero in its red hurt sprite.
    writeConfig("headless:false,\nrandom_seed:3,\nframe_time:33,\nwindow_horizontal_pixels:1200,\n"
                "window_vertical_pixels:720,\nwindow_horizontal_chars:80,\nwindow_vertical_chars:24,\n"
                "font_scale:1.5,\nfont_file:qv-font.ttf,\nwindow_title:Quorvex,\n");
    const std::string shots = std::string(QV_BINARY_DIR) + "/screenshots/session";
    std::filesystem::remove_all(shots);
    const std::string script = std::string(QV_SOURCE_DIR) + "/tools/play_session.sh";
    const std::string dungeon = std::string(QV_BINARY_DIR) + "/dungeon";
    const std::string output = dir + "/session.txt";

    // A display of its own keeps the held arrow away from other tests' windows.
    const int display = startServer(&server);
    ASSERT_GE(display, 0) << "Xvfb did not start";
    const std::string display_name = ":" + std::to_string(display);

    pid = fork();
    ASSERT_NE(pid, -1);
    if (pid == 0)
    {
        // A group of its own, so that the game goes with the session.
        setpgid(0, 0);
        setenv("ALSOFT_DRIVERS", "null", 1);
        setenv("DISPLAY", display_name.c_str(), 1);
        // In the sanitizer build the game would report what the OpenGL driver, unloaded at exit,
        // leaves behind, from code no suppression can name, and fail with it; the engine's own
        // leaks are looked for by the in-process tests.
        const char *asan = std::getenv("ASAN_OPTIONS");
        setenv("ASAN_OPTIONS", (std::string(asan ? asan : "") + ":detect_leaks=0").c_str(), 1);
        const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || dup2(out, STDOUT_FILENO) < 0 || dup2(out, STDERR_FILENO) < 0)
            _exit(127);
        execl(script.c_str(), script.c_str(), dungeon.c_str(), shots.c_str(), static_cast<char *>(nullptr));
        _exit(127);
    }
    int status = 0;
    pid_t done = 0;
    for (int i = 0; i < 1200 && done == 0; i++)
    {
        done = waitpid(pid, &status, WNOHANG);
        if (done == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_EQ(done, pid) << "the session did not end within two minutes\n" << readFile(output);
    pid = -1;
    ASSERT_TRUE(WIFEXITED(status)) << readFile(output);
    EXPECT_EQ(WEXITSTATUS(status), 0) << readFile(output) << readLog();

    const std::vector<std::string> messages = logMessages();
    EXPECT_TRUE(containsInOrder(messages, {"About to run", "===GENERATING MAP===", "DONE CREATING LEVEL GEOMETRY"}));
    ASSERT_GE(messages.size(), 2u);
    EXPECT_EQ(messages[messages.size() - 2], STARS);
    EXPECT_EQ(messages.back(), "** Game engine stopped **");

    sf::Image title, floor, walked;
    ASSERT_TRUE(title.loadFromFile(shots + "/title.png"));
    ASSERT_TRUE(floor.loadFromFile(shots + "/floor.png"));
    ASSERT_TRUE(walked.loadFromFile(shots + "/walked.png"));
    const Colours on_title = colours(title);
    const Colours on_floor = colours(floor);
    const Colours after_walk = colours(walked);

    // The yellow title fills the first screen and is gone from the floor, where white walls are drawn.
    EXPECT_GT(on_title.yellow, 20000);
    EXPECT_EQ(on_title.cyan, 0) << "the hero shows on the title";
    EXPECT_LT(on_floor.yellow, on_title.yellow / 10);
    EXPECT_GT(on_floor.white, 5000);
    // The hero is on the floor, and holding the right arrow takes it a few cells (15 pixels each)
    // to the right; how many depends on how fast the machine runs the game.
    ASSERT_GT(on_floor.cyan, 50);
    ASSERT_GT(after_walk.cyan, 50);
    EXPECT_GT(after_walk.cyan_x0, on_floor.cyan_x0 + 2 * 15);
    EXPECT_GT(after_walk.cyan_x1, on_floor.cyan_x1 + 2 * 15);
}
