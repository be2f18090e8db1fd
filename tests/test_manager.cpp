#include "EventStep.h"
#include "GameManager.h"
#include "LogManager.h"
#include "test_support.h"

#include <string>
#include <vector>

namespace
{

// Takes interest in any name, so that slots can be filled freely.
class AnyNameManager : public qv::Manager
{
public:
    bool isValid(const std::string &) const override { return true; }

    int deliver(const std::string &type) const
    {
        qv::Event event;
        event.setType(type);
        return onEvent(&event);
    }
};

} // namespace

using ManagerTest = EngineTest;

TEST_F(ManagerTest, HoldsAtMostOneHundredEventNamesAndRefusesMoreSilently)
{
    AnyNameManager manager;
    RecordingObject first, second;
    ASSERT_EQ(qv::LogManager::getInstance().startUp(), 0);
    qv::LogManager::getInstance().setLogLevel(100);
    for (int i = 0; i < qv::MAX_EVENTS; i++)
        ASSERT_EQ(manager.registerInterest(&first, i == 0 ? qv::UNDEFINED_EVENT : "name-" + std::to_string(i)), 0);
    EXPECT_EQ(manager.registerInterest(&second, "one-too-many"), -1);
    EXPECT_EQ(manager.registerInterest(&second, "name-57"), 0);
    EXPECT_EQ(manager.deliver("name-57"), 2);
    EXPECT_EQ(manager.deliver("one-too-many"), 0);
    // However many take interest in it, an event whose type was never set goes to nobody.
    EXPECT_EQ(manager.deliver(qv::UNDEFINED_EVENT), 0);
    EXPECT_EQ(logMessages(),
              std::vector<std::string>{"Manager(Manager)::onEvent(): Warning! Event type qv-undefined is undefined."});
}

TEST_F(ManagerTest, EmptiedSlotMovesTheLaterOnesDownInOrder)
{
    AnyNameManager manager;
    RecordingObject a, b;
    for (const char *name : {"alpha", "beta", "gamma"})
        ASSERT_EQ(manager.registerInterest(&a, name), 0);
    ASSERT_EQ(manager.registerInterest(&b, "alpha"), 0);
    EXPECT_EQ(manager.unregisterInterest(&a, "alpha"), 0);
    EXPECT_EQ(manager.unregisterInterest(&b, "alpha"), 0);
    EXPECT_EQ(manager.unregisterInterest(&b, "alpha"), -1);
    EXPECT_EQ(manager.unregisterInterest(&b, "beta"), -1);
    ASSERT_EQ(manager.registerInterest(&b, "delta"), 0);
    EXPECT_EQ(manager.getEventName(0) + manager.getEventName(1) + manager.getEventName(2) + manager.getEventName(3),
              "betagammadelta");
    EXPECT_EQ(manager.deliver("gamma"), 1);
    EXPECT_EQ(a.received, std::vector<std::string>{"gamma"});
}

TEST_F(ManagerTest, DeliversInOrderToActiveObjectsWhileHandlersRegisterAndUnregister)
{
    qv::GameManager &game_manager = qv::GameManager::getInstance();
    ASSERT_EQ(game_manager.startUp(), 0);
    std::string calls;
    RecordingObject *p[5];
    for (int i = 0; i < 5; i++)
    {
        p[i] = new RecordingObject;
        // A drops C and adds D on its first call; B drops itself.
        p[i]->on_event = [&, i](const qv::Event *)
        {
            calls += static_cast<char>('A' + i);
            if (i == 0 && calls.size() == 1)
            {
                game_manager.unregisterInterest(p[2], qv::STEP_EVENT);
                game_manager.registerInterest(p[3], qv::STEP_EVENT);
            }
            if (i == 1)
                game_manager.unregisterInterest(p[1], qv::STEP_EVENT);
        };
    }
    // A second registration means a second call; the inactive E gets none.
    for (int i : {0, 1, 2, 0, 4})
        ASSERT_EQ(game_manager.registerInterest(p[i], qv::STEP_EVENT), 0);
    ASSERT_EQ(p[4]->setActive(false), 0);
    const qv::EventStep step(0);
    // Dropped during a delivery: still gets that event; added during it: only the next one.
    EXPECT_EQ(game_manager.onEvent(&step), 4);
    EXPECT_EQ(game_manager.onEvent(&step), 3);
    EXPECT_EQ(calls, "ABCAAAD");
    game_manager.shutDown();
}

// The file is read without flushing this process's streams: only what the log flushed is in it.
TEST_F(ManagerTest, LogLinesReachTheFileAtOnceFromStartUpAndWarningsEvenWhenFlushingIsOff)
{
    qv::LogManager &log = qv::LogManager::getInstance();
    ASSERT_EQ(log.startUp(), 0);
    log.setLogLevel(1);
    log.writeLog(1, "progress during start-up");
    EXPECT_NE(readFile(log_path).find("progress during start-up\n"), std::string::npos);
    log.setFlush(false);
    log.writeLog(1, "progress afterwards");
    EXPECT_EQ(readFile(log_path).find("progress afterwards\n"), std::string::npos);
    log.writeLog("Warning! something failed");
    EXPECT_NE(readFile(log_path).find("progress afterwards\n"), std::string::npos);
    EXPECT_NE(readFile(log_path).find("Warning! something failed\n"), std::string::npos);
    log.shutDown();
}
