#include "ResourceManager.h"
#include "presentation_support.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

// Runs the real program, headless, in the test's folder.
class ProgramTest : public EngineTest
{
protected:
    // Starts the program and, `delay_ms` after its log holds "About to run", sends it
    // `signal_number` (0: none); returns its wait status.
    int run(int signal_number, int delay_ms = 0)
    {
        // A log left by an earlier run would be taken for this run's.
        std::remove(log_path.c_str());
        const pid_t pid = fork();
        if (pid == 0)
        {
            const int err = open((dir + "/stderr.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (err >= 0 && dup2(err, STDERR_FILENO) >= 0 &&
                chdir((working_dir.empty() ? dir : working_dir).c_str()) == 0)
                execl(QV_BINARY_DIR "/dungeon", "dungeon", static_cast<char *>(nullptr));
            _exit(127);
        }
        int status = 0;
        for (int i = 0; signal_number != 0 && !logHas("About to run") && i < 3000; i++)
        {
            if (waitpid(pid, &status, WNOHANG) == pid)
                return status;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(delay_ms));
        if (signal_number != 0)
            kill(pid, signal_number);
        waitpid(pid, &status, 0);
        return status;
    }

    std::string working_dir; // where the program runs; the test's folder when empty
};

TEST_F(ProgramTest, InterruptOrTerminationCutsEvenALongFrameShortAndAKillLeavesAFlushedLog)
{
    // A frame of about 24 days: only the signal can end its sleep.
    writeConfig("headless:true,\nframe_time:99999999999,\nrandom_seed:-1,\n");
    for (const int signal_number : {SIGINT, SIGTERM, SIGKILL})
    {
        const int status = run(signal_number);
        const bool killed = signal_number == SIGKILL;
        EXPECT_TRUE(killed ? WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL
                           : WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << status;
        // Lines written before flushing was switched on arrive with the first flushed one.
        const std::vector<std::string> messages = logMessages();
        EXPECT_TRUE(containsInOrder(messages, {"** Game engine started **", "About to run"}));
        EXPECT_EQ(!messages.empty() && messages.back() == "** Game engine stopped **", !killed);
    }
}

TEST_F(ProgramTest, FailedStartIsReportedOnStandardErrorAndEndsWithFailure)
{
    const std::string missing = dir + "/no-such-folder/quorvex.log";
    setenv("QUORVEX_LOG", missing.c_str(), 1);
    const int status = run(0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    const std::string err = readFile(dir + "/stderr.txt");
    for (const std::string &line :
         {"LogManager::startup(): Warning! Unable to open file '" + missing + "'.",
          std::string("Error starting log manager!"), std::string("Error starting game manager!"),
          std::string("** Game engine stopped **")})
        EXPECT_NE(err.find("    0 " + line + "\n"), std::string::npos) << err;
}

// The game in a window of the default configuration, on a display server of the test's own that
// resets whenever its last client leaves (as servers started with their defaults do).
class WindowProgramTest : public ProgramTest
{
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        // Where the game finds its sprites and music.
        working_dir = QV_SOURCE_DIR;
        const int display = startDisplayServer();
        ASSERT_GE(display, 0) << "Xvfb did not start";
        setenv("DISPLAY", (":" + std::to_string(display)).c_str(), 1);
        setenv("ALSOFT_DRIVERS", "null", 0);
        // The game's own leaks are looked for in-process; at exit the OpenGL driver leaves some
        // behind that no suppression can name.
        const char *asan = std::getenv("ASAN_OPTIONS");
        setenv("ASAN_OPTIONS", (std::string(asan ? asan : "") + ":detect_leaks=0").c_str(), 1);
        writeConfig("headless:false,\nrandom_seed:-1,\nfont_file:" QV_SOURCE_DIR "/qv-font.ttf,\n");
    }

    // Did the program reach its loop and end well on the signal?
    void expectRanAndEnded(int status)
    {
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status << "\n" << readFile(dir + "/stderr.txt");
        EXPECT_TRUE(logHas("About to run")) << readLog();
    }
};

// The program's first look at the screen once closed the only connection, the server reset, and
// the window connecting meanwhile aborted the program. Busy processes beside it widen the window.
TEST_F(WindowProgramTest, EveryStartReachesTheLoopThoughTheServerResetsBetweenClients)
{
    std::vector<pid_t> busy;
    for (int i = 0; i < 3; i++)
    {
        const pid_t pid = fork();
        if (pid == 0)
            for (volatile unsigned spin = 0;; spin++)
                ;
        busy.push_back(pid);
    }
    for (int start = 0; start < 5; start++)
    {
        SCOPED_TRACE(start);
        expectRanAndEnded(run(SIGTERM));
    }
    for (const pid_t pid : busy)
    {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
}

TEST_F(ProgramTest, UnreachableDisplayFailsTheStartWithALogLineNamingIt)
{
    // A display number no server here listens on.
    int number = 77;
    while (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(number)))
        number++;
    const std::string display = ":" + std::to_string(number);
    setenv("DISPLAY", display.c_str(), 1);
    writeConfig("headless:false,\nfont_file:" QV_SOURCE_DIR "/qv-font.ttf,\n");
    const int status = run(0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    EXPECT_TRUE(
        containsInOrder(logMessages(), {"DisplayManager::startUp(): Error! Cannot open display '" + display + "'.",
                                        "Error starting game manager!", "** Game engine stopped **"}))
        << readLog();
}

// Without a sound device the audio library reported every failed call on standard error.
TEST_F(WindowProgramTest, WithoutASoundDeviceTheGamePlaysSilentlyAndSaysSo)
{
    unsetenv("ALSOFT_DRIVERS");
    if (qv::ResourceManager::getInstance().hasAudioDevice())
        GTEST_SKIP() << "this machine has a sound device";
    // The title screen plays its music: the game runs a while before it is stopped.
    const int status = run(SIGTERM, 2000);
    expectRanAndEnded(status);
    EXPECT_TRUE(logHas("ResourceManager::startUp(): No audio device can be opened: the game plays without sound."));
    const std::string err = readFile(dir + "/stderr.txt");
    EXPECT_LE(std::count(err.begin(), err.end(), '\n'), 3) << err.substr(0, 1000);
}
