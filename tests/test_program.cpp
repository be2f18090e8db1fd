#include "test_support.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

// Runs the real program, headless, in the test's folder.
class ProgramTest : public EngineTest
{
protected:
    // Starts the program and, once its log holds "About to run", sends it `signal_number` (0: none);
    // returns its wait status.
    int run(int signal_number)
    {
        // A log left by an earlier run would be taken for this run's.
        std::remove(log_path.c_str());
        const pid_t pid = fork();
        if (pid == 0)
        {
            const int err = open((dir + "/stderr.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (err >= 0 && dup2(err, STDERR_FILENO) >= 0 && chdir(dir.c_str()) == 0)
                execl(QV_BINARY_DIR "/dungeon", "dungeon", static_cast<char *>(nullptr));
            _exit(127);
        }
        for (int i = 0; signal_number != 0 && !logHas("About to run") && i < 3000; i++)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (signal_number != 0)
            kill(pid, signal_number);
        int status = 0;
        waitpid(pid, &status, 0);
        return status;
    }
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
