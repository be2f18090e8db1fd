#include "LogManager.h"
#include "State.h"
#include "StateMachine.h"
#include "test_support.h"

#include <string>
#include <vector>

namespace
{

// Records every call it receives, with the state's name and the object passed.
class RecordingState : public qv::State
{
public:
    RecordingState(const std::string &name, std::vector<std::string> &calls) : calls(calls) { setType(name); }
    void Enter(qv::Object *p_obj) override { record("Enter", p_obj); }
    void Execute(qv::Object *p_obj) override { record("Execute", p_obj); }
    void Exit(qv::Object *p_obj) override { record("Exit", p_obj); }

private:
    void record(const std::string &what, qv::Object *p_obj)
    {
        calls.push_back(getType() + "." + what + (p_obj ? "(owner)" : "(null)"));
    }
    std::vector<std::string> &calls;
};

// Any non-null address stands for the owner: the machine only passes it on.
qv::Object *const OWNER = reinterpret_cast<qv::Object *>(0x1000);

} // namespace

class StateMachineTest : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        ASSERT_EQ(qv::LogManager::getInstance().startUp(), 0);
        machine.setOwner(OWNER);
    }

    std::vector<std::string> calls;
    RecordingState a{"A", calls};
    RecordingState b{"B", calls};
    RecordingState c{"C", calls};
    qv::StateMachine machine;
};

TEST_F(StateMachineTest, FirstChangeRunsOnlyEnterAndLogsNullAsOldState)
{
    qv::LogManager::getInstance().setLogLevel(10);
    machine.changeState(&a);
    EXPECT_EQ(calls, std::vector<std::string>({"A.Enter(owner)"}));
    EXPECT_TRUE(logHas("StateMachine::changeState(): old null, new A"));
    EXPECT_EQ(machine.getState(), &a);
    EXPECT_EQ(machine.getPreviousState(), nullptr);
}

TEST_F(StateMachineTest, ChangesRunExitThenEnterAndRememberThePreviousState)
{
    machine.changeState(&a);
    machine.changeState(&b);
    machine.changeState(&c);
    EXPECT_EQ(calls, std::vector<std::string>(
                         {"A.Enter(owner)", "A.Exit(owner)", "B.Enter(owner)", "B.Exit(owner)", "C.Enter(owner)"}));
    EXPECT_EQ(machine.getPreviousState(), &b);
    EXPECT_EQ(machine.getState(), &c);
}

TEST_F(StateMachineTest, TheGameSetUpRunsTheInitialStatesExitBeforeItsFirstEnter)
{
    machine.setState(&a);
    EXPECT_TRUE(calls.empty());
    machine.changeState(&a);
    EXPECT_EQ(calls, std::vector<std::string>({"A.Exit(owner)", "A.Enter(owner)"}));
    EXPECT_EQ(machine.getPreviousState(), &a);
}

TEST_F(StateMachineTest, NullStateIsRefusedAndChangesNothing)
{
    machine.changeState(&a);
    machine.changeState(&b);
    calls.clear();
    machine.changeState(nullptr);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(machine.getState(), &b);
    EXPECT_EQ(machine.getPreviousState(), &a);
    EXPECT_TRUE(logHas("Warning! p_new_state is undefined. Ignoring."));
}

TEST_F(StateMachineTest, UpdateRunsGlobalStateBeforeCurrentState)
{
    machine.Update();
    EXPECT_TRUE(calls.empty());
    machine.setState(&a);
    machine.setGlobalState(&b);
    machine.Update();
    EXPECT_EQ(calls, std::vector<std::string>({"B.Execute(owner)", "A.Execute(owner)"}));
}
