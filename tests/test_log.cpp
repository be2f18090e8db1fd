#include "Config.h"
#include "Event.h"
#include "EventStep.h"
#include "GameManager.h"
#include "LogManager.h"
#include "test_support.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <regex>
#include <string>
#include <vector>

namespace
{

void startLog()
{
    qv::Config::getInstance().loadConfig("");
    ASSERT_EQ(qv::LogManager::getInstance().startUp(), 0);
}

const char *const TIME = "[0-2][0-9]:[0-5][0-9]:[0-6][0-9]";

} // namespace

class LogTest : public EngineTest
{
};

TEST_F(LogTest, LineHoldsTimeStepCountInFourColumnsAndMessage)
{
    writeConfig("headless:true,\nframe_time:0,\nrandom_seed:-1,\n");
    qv::GameManager &game_manager = qv::GameManager::getInstance();
    ASSERT_EQ(game_manager.startUp(), 0);
    RecordingObject *p_counter = new RecordingObject;
    p_counter->on_event = [&](const qv::Event *p_event)
    {
        const int step = static_cast<const qv::EventStep *>(p_event)->getStepCount();
        if (step == 7 || step == 12345)
            qv::LogManager::getInstance().writeLog("marker at %d", step);
        if (step == 12345)
            game_manager.setGameOver(true);
    };
    ASSERT_EQ(p_counter->registerInterest(qv::STEP_EVENT), 0);
    game_manager.run();
    game_manager.shutDown();

    const std::vector<std::string> lines = logLines();
    ASSERT_GE(lines.size(), 8u);
    EXPECT_TRUE(std::regex_match(lines[0], std::regex(std::string(TIME) + "    0 \\*{52}"))) << lines[0];
    int found = 0;
    for (const std::string &line : lines)
    {
        if (line.find("marker") == std::string::npos)
            continue;
        found++;
        if (line.find("marker at 7") != std::string::npos)
            EXPECT_TRUE(std::regex_match(line, std::regex(std::string(TIME) + "    7 marker at 7"))) << line;
        else
            EXPECT_TRUE(std::regex_match(line, std::regex(std::string(TIME) + " 12345 marker at 12345"))) << line;
    }
    EXPECT_EQ(found, 2);
    EXPECT_TRUE(
        std::regex_match(lines.back(), std::regex(std::string(TIME) + " 12346 \\*\\* Game engine stopped \\*\\*")))
        << lines.back();
}

TEST_F(LogTest, WritesOnlyLinesWhoseLevelIsNotAboveTheLogLevel)
{
    startLog();
    qv::LogManager &log = qv::LogManager::getInstance();
    EXPECT_EQ(log.getLogLevel(), 0);
    struct Case
    {
        int log_level;
        int level; // -100: written without a level
        bool written;
    };
    const Case cases[] = {{0, -100, true}, {0, 0, true}, {0, -1, true}, {0, 1, false}, {0, 5, false},
                          {5, -100, true}, {5, 5, true}, {5, 4, true},  {5, 6, false}, {30, 30, true}};
    std::vector<std::string> expected;
    for (const Case &c : cases)
    {
        log.setLogLevel(c.log_level);
        const std::string message = "level " + std::to_string(c.level) + " at " + std::to_string(c.log_level);
        const int result =
            c.level == -100 ? log.writeLog("%s", message.c_str()) : log.writeLog(c.level, "%s", message.c_str());
        EXPECT_EQ(result, c.written ? static_cast<int>(message.size()) : 0) << message;
        if (c.written)
            expected.push_back(message);
    }
    EXPECT_EQ(logMessages(), expected);
}

TEST_F(LogTest, LinesBeforeStartAndAfterStopGoToStandardErrorWithPrefixes)
{
    qv::LogManager &log = qv::LogManager::getInstance();
    testing::internal::CaptureStderr();
    EXPECT_EQ(log.writeLog("early %d", 1), 7);
    EXPECT_EQ(log.writeLog(1, "filtered"), 0);
    const std::string early = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(std::regex_match(early, std::regex(std::string(TIME) + "    0 early 1\n"))) << early;

    startLog();
    log.writeLog("in the file");
    log.shutDown();
    EXPECT_FALSE(log.isStarted());

    testing::internal::CaptureStderr();
    log.writeLog("late");
    const std::string late = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(std::regex_match(late, std::regex(std::string(TIME) + "    0 late\n"))) << late;
    EXPECT_EQ(logMessages(), std::vector<std::string>{"in the file"});
}

TEST_F(LogTest, SecondStartUpFailsAndWarnsInTheOpenFile)
{
    startLog();
    qv::LogManager &log = qv::LogManager::getInstance();
    EXPECT_EQ(log.startUp(), -1);
    EXPECT_TRUE(log.isStarted());
    log.writeLog("still open");
    EXPECT_EQ(logMessages(),
              (std::vector<std::string>{"LogManager::startup(): Warning! LogManager already started.", "still open"}));
}

TEST_F(LogTest, UnopenableFileFailsStartUpWithAWarningOnStandardError)
{
    const std::string paths[] = {dir + "/no-such-folder/quorvex.log", dir, ""};
    for (const std::string &path : paths)
    {
        setenv("QUORVEX_LOG", path.c_str(), 1);
        qv::LogManager &log = qv::LogManager::getInstance();
        testing::internal::CaptureStderr();
        EXPECT_EQ(log.startUp(), -1) << path;
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_FALSE(log.isStarted());
        EXPECT_NE(err.find(" LogManager::startup(): Warning! Unable to open file '" + path + "'.\n"), std::string::npos)
            << err;
    }
}

TEST_F(LogTest, FileNameComesFromTheConfigurationWhenTheVariableIsUnset)
{
    const std::string custom = dir + "/custom.log";
    writeConfig("logfile:" + custom + ",\n");
    unsetenv("QUORVEX_LOG");
    startLog();
    qv::LogManager::getInstance().writeLog("hello");
    qv::LogManager::getInstance().shutDown();
    EXPECT_NE(readFile(custom).find(" hello\n"), std::string::npos);
    EXPECT_EQ(readFile(log_path), "");
}

TEST_F(LogTest, VariableWinsOverTheConfiguration)
{
    writeConfig("logfile:" + dir + "/custom.log,\n");
    startLog();
    qv::LogManager::getInstance().writeLog("hello");
    EXPECT_TRUE(logHas("hello"));
}

TEST_F(LogTest, StartUpTruncatesAndShutDownWritesItsLineBeforeClosing)
{
    writeFile("quorvex.log", "left from an earlier run\n");
    qv::LogManager &log = qv::LogManager::getInstance();
    log.setLogLevel(5);
    startLog();
    log.shutDown();
    EXPECT_EQ(logMessages(), (std::vector<std::string>{"LogManager::startUp(): successfully started.",
                                                       "LogManager::shutDown(): successfully stopped."}));
}

TEST_F(LogTest, FlushedLinesReachTheFileAtOnce)
{
    startLog();
    qv::LogManager &log = qv::LogManager::getInstance();
    log.setFlush(true);
    log.writeLog("first");
    log.writeLog(3, "filtered");
    log.writeLog("second");
    // Read without flushing the process's streams: the file itself must hold the lines.
    const std::string text = readFile(log_path);
    EXPECT_NE(text.find(" first\n"), std::string::npos) << text;
    EXPECT_NE(text.find(" second\n"), std::string::npos) << text;
}

TEST_F(LogTest, FailedWriteIsReported)
{
    setenv("QUORVEX_LOG", "/dev/full", 1);
    startLog();
    qv::LogManager &log = qv::LogManager::getInstance();
    log.setFlush(true);
    EXPECT_EQ(log.writeLog("nowhere to go"), -1);
}

TEST(LogTime, TimeStringIsTheLocalTimeOfDay)
{
    const std::string text = qv::getTimeString();
    ASSERT_TRUE(std::regex_match(text, std::regex(TIME))) << text;
    const std::time_t now = std::time(nullptr);
    std::tm local;
    ASSERT_NE(localtime_r(&now, &local), nullptr);
    const int seconds = local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
    const int reported =
        std::stoi(text.substr(0, 2)) * 3600 + std::stoi(text.substr(3, 2)) * 60 + std::stoi(text.substr(6, 2));
    const int apart = std::abs(seconds - reported);
    EXPECT_LE(std::min(apart, 24 * 3600 - apart), 2);
}
