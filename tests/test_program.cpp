#include "test_support.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace
{

const std::string STARS(52, '*');
const std::vector<std::string> BANNER = {STARS, "** Quorvex version 4.15 **", "** Game engine started **", STARS};

} // namespace

// Runs the real program, headless, in the test's folder.
class ProgramTest : public EngineTest
{
protected:
    void TearDown() override
    {
        if (pid > 0)
        {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        EngineTest::TearDown();
    }

    void start()
    {
        const std::string program = std::string(QV_BINARY_DIR) + "/dungeon";
        const std::string err_path = dir + "/stderr.txt";
        // A log left by an earlier run would be taken for this run's.
        std::remove(log_path.c_str());
        pid = fork();
        ASSERT_NE(pid, -1);
        if (pid == 0)
        {
            const int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (err < 0 || dup2(err, STDERR_FILENO) < 0 || chdir(dir.c_str()) != 0)
                _exit(127);
            execl(program.c_str(), program.c_str(), static_cast<char *>(nullptr));
            _exit(127);
        }
    }

    // Waits until the log holds `message`; false after 30 s.
    bool waitForLog(const std::string &message) const
    {
        for (int i = 0; i < 3000; i++)
        {
            if (logHas(message))
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    // Waits for the program to end and returns its wait status.
    int finish()
    {
        int status = 0;
        EXPECT_EQ(waitpid(pid, &status, 0), pid);
        pid = -1;
        return status;
    }

    std::string standardError() const { return readFile(dir + "/stderr.txt"); }

    pid_t pid = -1; // the running program, or -1
};

TEST_F(ProgramTest, InterruptOrTerminationStopsTheEngineInOrder)
{
    for (const int signal_number : {SIGINT, SIGTERM})
    {
        SCOPED_TRACE(signal_number);
        start();
        ASSERT_TRUE(waitForLog("About to run"));
        ASSERT_EQ(kill(pid, signal_number), 0);
        const int status = finish();
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
        const std::vector<std::string> messages = logMessages();
        ASSERT_GE(messages.size(), 7u);
        EXPECT_EQ(std::vector<std::string>(messages.begin(), messages.begin() + 4), BANNER);
        EXPECT_TRUE(containsInOrder(messages, {"About to run", STARS, "** Game engine stopped **"}));
        EXPECT_EQ(messages.back(), "** Game engine stopped **");
    }
}

TEST_F(ProgramTest, SignalCutsAVeryLongFrameShort)
{
    writeConfig("headless:true,\nframe_time:99999999999,\nrandom_seed:-1,\n");
    start();
    ASSERT_TRUE(waitForLog("About to run"));
    // Let the loop reach its sleep of about 24 days.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ASSERT_EQ(kill(pid, SIGINT), 0);
    const int status = finish();
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(logHas("** Game engine stopped **"));
}

TEST_F(ProgramTest, FlushedLogSurvivesAKill)
{
    start();
    ASSERT_TRUE(waitForLog("About to run"));
    ASSERT_EQ(kill(pid, SIGKILL), 0);
    const int status = finish();
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGKILL);
    // Lines written before flushing was switched on arrive with the first flushed one.
    const std::vector<std::string> messages = logMessages();
    ASSERT_GE(messages.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(messages.begin(), messages.begin() + 4), BANNER);
    EXPECT_TRUE(logHas("About to run"));
}

TEST_F(ProgramTest, FailedStartIsReportedAndEndsWithFailure)
{
    const std::string missing = dir + "/no-such-folder/quorvex.log";
    setenv("QUORVEX_LOG", missing.c_str(), 1);
    start();
    const int status = finish();
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    const std::string err = standardError();
    EXPECT_NE(err.find(" LogManager::startup(): Warning! Unable to open file '" + missing + "'.\n"), std::string::npos)
        << err;
    EXPECT_NE(err.find(" Error starting log manager!\n"), std::string::npos) << err;
    EXPECT_NE(err.find(" Error starting game manager!\n"), std::string::npos) << err;
    EXPECT_NE(err.find(" ** Game engine stopped **\n"), std::string::npos) << err;
}
