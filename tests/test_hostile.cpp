#include "presentation_support.h"

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace
{

// The slowest pass a run may have. Stalled, a pass took seconds to minutes; bounded, the slowest
// is a few tenths of a second on a loaded machine, drawing the most characters a frame allows.
const int WORST_PASS_MS = 2000;

// The resident memory a watcher may reach (under the address sanitizer too): a stalled one
// reached gigabytes.
const long PEAK_KB = 1024 * 1024;

// What `dungeon` does under a configuration or a watched game that no one should send it.
class HostileTest : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        if (std::getenv("DISPLAY") == nullptr)
            GTEST_SKIP() << "no X display";
    }

    // Starts the game in the source folder, where its sprites and font are, with `arguments`,
    // its output in out.txt and err.txt; the log and configuration are the test's.
    pid_t start(const std::vector<std::string> &arguments)
    {
        std::remove(log_path.c_str());
        const pid_t pid = fork();
        if (pid == 0)
        {
            const int out = open((dir + "/out.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int err = open((dir + "/err.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            std::vector<char *> argv = {const_cast<char *>(QV_BINARY_DIR "/dungeon")};
            for (const std::string &argument : arguments)
                argv.push_back(const_cast<char *>(argument.c_str()));
            argv.push_back(nullptr);
            // The OpenGL driver leaves memory behind at exit that no suppression can name.
            const char *asan = std::getenv("ASAN_OPTIONS");
            setenv("ASAN_OPTIONS", (std::string(asan ? asan : "") + ":detect_leaks=0").c_str(), 1);
            setenv("ALSOFT_DRIVERS", "null", 1);
            if (out >= 0 && err >= 0 && dup2(out, STDOUT_FILENO) >= 0 && dup2(err, STDERR_FILENO) >= 0 &&
                chdir(QV_SOURCE_DIR) == 0)
                execv(argv[0], argv.data());
            _exit(127);
        }
        return pid;
    }

    // Waits up to `seconds` for the game to end; a game still running then is killed and the
    // test fails. Returns the wait status and the game's peak resident memory in kB.
    int finish(pid_t pid, int seconds, long *p_peak_kb = nullptr)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        int status = 0;
        rusage usage{};
        while (wait4(pid, &status, WNOHANG, &usage) == 0)
        {
            if (std::chrono::steady_clock::now() > deadline)
            {
                kill(pid, SIGKILL);
                wait4(pid, &status, 0, &usage);
                ADD_FAILURE() << "still running after " << seconds << " s; killed\n" << readLog();
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (p_peak_kb != nullptr)
            *p_peak_kb = usage.ru_maxrss;
        return status;
    }

    // Waits up to `seconds` for a log line holding one of `texts`; false if none came.
    bool waitForLog(const std::vector<std::string> &texts, int seconds) const
    {
        for (int i = 0; i < seconds * 100; i++)
        {
            const std::string log = readLog();
            for (const std::string &text : texts)
                if (log.find(text) != std::string::npos)
                    return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    // The slowest pass of the run's frame-time summary, ms; -1 without a summary.
    int worstPass() const
    {
        const std::string log = readLog();
        const std::size_t at = log.find(", worst ");
        return at == std::string::npos ? -1 : std::atoi(log.c_str() + at + 8);
    }
};

// A socket listening on a free port of the loopback, which goes to `p_port`; -1 on failure.
int listenOnLoopback(int *p_port)
{
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    if (listener < 0 || bind(listener, reinterpret_cast<sockaddr *>(&address), length) != 0 ||
        listen(listener, 4) != 0 || getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        return -1;
    *p_port = ntohs(address.sin_port);
    return listener;
}

struct HostileValue
{
    const char *name;
    const char *config; // added to a windowed configuration
    int status;         // the game's exit status
    const char *line;   // a log line that says what became of the value
};

void PrintTo(const HostileValue &value, std::ostream *p_out)
{
    *p_out << value.name;
}

class HostileConfigurationTest : public HostileTest, public ::testing::WithParamInterface<HostileValue>
{
};

const char *const TOO_LARGE = "is larger than the display (1280 x 1024); it is made ";
const char *const NOT_DRAWABLE = "characters is not drawable.";
const char *const NO_GRID = "characters cannot be drawn in a window of";
const char *const NO_FONT = "; the font texture (";

} // namespace

// Each value either leaves a game that plays its frames in time, or a failed start (status 1)
// with its line; no value hangs the game, aborts it or loses the log.
TEST_P(HostileConfigurationTest, PlaysInTimeOrFailsToStartWithItsLine)
{
    const HostileValue &value = GetParam();
    writeConfig(std::string("headless:false,\nshow_frame_time:true,\nrandom_seed:1,\nfont_file:qv-font.ttf,\n") +
                value.config);
    const pid_t pid = start({});
    if (waitForLog({"About to run", "Error starting game manager!"}, 20))
    {
        // A few dozen passes.
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        kill(pid, SIGTERM);
    }
    const int status = finish(pid, 15);
    ASSERT_TRUE(WIFEXITED(status)) << status << "\n" << readLog() << readFile(dir + "/err.txt");
    EXPECT_EQ(WEXITSTATUS(status), value.status) << readLog();
    EXPECT_NE(readLog().find(value.line), std::string::npos) << value.line << "\n" << readLog();
    if (value.status == 0)
    {
        EXPECT_GE(worstPass(), 0) << readLog();
        EXPECT_LE(worstPass(), WORST_PASS_MS) << readLog();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Values, HostileConfigurationTest,
    ::testing::Values(
        HostileValue{"FontScale1000", "font_scale:1000,\n", 1, "A font scale of 1000 makes characters of 12800 pixels"},
        HostileValue{"FontScale0", "font_scale:0,\n", 1, NO_FONT},
        HostileValue{"FontScaleNegative", "font_scale:-2,\n", 1, NO_FONT},
        HostileValue{"FontScaleNaN", "font_scale:nan,\n", 1, "A font scale of nan makes characters of nan pixels"},
        HostileValue{"FontScaleIntMax", "font_scale:2147483647,\n", 1, NO_FONT},
        HostileValue{"Window100000", "window_horizontal_pixels:100000,\nwindow_vertical_pixels:100000,\n", 0,
                     TOO_LARGE},
        HostileValue{"WindowIntMax", "window_horizontal_pixels:2147483647,\nwindow_vertical_pixels:2147483647,\n", 0,
                     TOO_LARGE},
        HostileValue{"Window0", "window_horizontal_pixels:0,\n", 1, NOT_DRAWABLE},
        HostileValue{"WindowNegative", "window_vertical_pixels:-768,\n", 1, NOT_DRAWABLE},
        HostileValue{"WindowNaN", "window_horizontal_pixels:nan,\n", 1, NOT_DRAWABLE},
        HostileValue{"Grid100000", "window_horizontal_chars:100000,\nwindow_vertical_chars:100000,\n", 1, NO_GRID},
        HostileValue{"GridIntMax", "window_horizontal_chars:2147483647,\n", 1, NO_GRID},
        HostileValue{"Grid0", "window_vertical_chars:0,\n", 1, NOT_DRAWABLE},
        HostileValue{"GridNegative", "window_horizontal_chars:-80,\n", 1, NOT_DRAWABLE}),
    [](const ::testing::TestParamInfo<HostileValue> &info) { return info.param.name; });

// A start-up stuck on a display that never answers, then killed: what it logged is in the file.
TEST_F(HostileTest, AStartUpKilledBeforeItEndsLeavesItsLines)
{
    // An X server on the loopback that accepts a connection and says nothing.
    int port = 0;
    const int listener = listenOnLoopback(&port);
    ASSERT_GE(listener, 0);
    // Display n is port 6000 + n.
    const int display = port - 6000;
    ASSERT_GT(display, 0);
    writeConfig("headless:false,\n");
    setenv("DISPLAY", ("127.0.0.1:" + std::to_string(display)).c_str(), 1);
    const pid_t pid = start({});
    pollfd waiting = {listener, POLLIN, 0};
    EXPECT_EQ(poll(&waiting, 1, 20000), 1) << "the game never asked for its display";
    const int connection = accept(listener, nullptr, nullptr);
    kill(pid, SIGKILL);
    const int status = finish(pid, 10);
    close(connection);
    close(listener);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
    EXPECT_TRUE(containsInOrder(logMessages(), {"** Quorvex version 4.15 **", "** Game engine started **"}))
        << readLog() << readFile(dir + "/err.txt");
    EXPECT_FALSE(logHas("About to run"));
}

TEST_F(HostileTest, WatchPortsOutsideTheirRangeAreRefused)
{
    for (const auto &[target, text] :
         {std::pair("127.0.0.1:99999", "port '99999' is not a number from 1"),
          std::pair("127.0.0.1:0", "port '0' is not a number from 1"),
          std::pair("[::1]:-5", "port '-5' is not a number from 1"), std::pair("127.0.0.1:65536", "to 65535")})
    {
        const int status = finish(start({"--watch", target}), 10);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << target << ": " << status;
        EXPECT_NE(readFile(dir + "/err.txt").find(text), std::string::npos)
            << target << ": " << readFile(dir + "/err.txt");
    }
}

// A peer that sends as many walls as a watcher copies, each a billion cells a side, all in view,
// and keeps sending: the watcher's frames and memory stay bounded, and Q or SIGTERM still end it.
TEST_F(HostileTest, AWatcherOfAHostileGameStaysInItsBoundsAndLeaves)
{
    const int x_display = startDisplayServer();
    ASSERT_GE(x_display, 0) << "Xvfb did not start";
    setenv("DISPLAY", (":" + std::to_string(x_display)).c_str(), 1);
    writeConfig("headless:false,\nshow_frame_time:true,\nfont_file:qv-font.ttf,\nwindow_title:hostile-peer,\n");
    for (const bool by_key : {true, false})
    {
        int port = 0;
        const int listener = listenOnLoopback(&port);
        ASSERT_GE(listener, 0);
        const pid_t pid = start({"--watch", "127.0.0.1:" + std::to_string(port)});
        pollfd waiting = {listener, POLLIN, 0};
        ASSERT_EQ(poll(&waiting, 1, 20000), 1) << "the watcher never connected";
        const int connection = accept(listener, nullptr, nullptr);
        close(listener);
        const auto send_message = [&](const std::string &text)
        {
            const std::string payload = "qv-watch 1\n" + text;
            const std::int32_t size = static_cast<std::int32_t>(payload.size() + 4);
            const std::string message = std::string(reinterpret_cast<const char *>(&size), 4) + payload;
            return ::send(connection, message.data(), message.size(), MSG_NOSIGNAL) ==
                   static_cast<ssize_t>(message.size());
        };
        ASSERT_TRUE(waitForLog({"About to watch"}, 20)) << readLog();
        // In messages of 100 walls, 50 a second: the watcher reads a message once all of it is in the
        // socket's buffer, and a burst larger than the buffer would wait for the sender to probe it.
        for (int first = 1; first <= 10000; first += 100)
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            std::string walls;
            for (int id = first; id < first + 100; id++)
                walls += "N w " + std::to_string(id) +
                         " pos-x:40,pos-y:12,box-corner-x:-5e8,box-corner-y:-5e8,box-horizontal:1e9,"
                         "box-vertical:1e9,\n";
            ASSERT_TRUE(send_message(walls));
        }
        // Two seconds of a view that keeps moving by a cell, as from a game at 30 passes a second.
        for (int i = 0; i < 60; i++)
        {
            send_message("V " + std::to_string(i % 2) + " 0\n");
            std::this_thread::sleep_for(std::chrono::milliseconds(33));
        }
        if (by_key)
            EXPECT_EQ(std::system(("timeout 20 xdotool search --sync --name hostile-peer windowfocus --sync key q >" +
                                   dir + "/xdotool.txt 2>&1")
                                      .c_str()),
                      0)
                << readFile(dir + "/xdotool.txt");
        else
            kill(pid, SIGTERM);
        long peak_kb = 0;
        const int status = finish(pid, 15, &peak_kb);
        close(connection);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status << "\n" << readLog();
        EXPECT_EQ(logHas("WatchClient::eventHandler(): Leaving the game."), by_key);
        // Walls of 81 x 25 cells: the first message's 100 already draw more than 16 screens.
        EXPECT_TRUE(logHas("WatchClient::apply(): Warning! The copies would draw more than 30720 characters a frame, "
                           "which no game does; 85 of them are hidden."))
            << readLog();
        EXPECT_GE(worstPass(), 0) << readLog();
        EXPECT_LE(worstPass(), WORST_PASS_MS) << readLog();
        EXPECT_LE(peak_kb, PEAK_KB);
        std::printf("watcher left by %s after %d messages of walls: worst pass %d ms, peak %ld kB\n",
                    by_key ? "Q" : "SIGTERM",
                    logCount("WatchClient::apply(): Warning! 200 wall extent(s) larger than a floor's are drawn as "
                             "large as a floor allows."),
                    worstPass(), peak_kb);
    }
}
