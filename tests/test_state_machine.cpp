#include "LogManager.h"
#include "State.h"
#include "StateMachine.h"
#include "test_support.h"

namespace
{

std::vector<std::string> calls; // "<state>.<call>" in order, "!" marking a call without the owner

class RecordingState : public qv::State
{
public:
    explicit RecordingState(const std::string &name) { setType(name); }
    void Enter(qv::Object *p_obj) override { record("Enter", p_obj); }
    void Execute(qv::Object *p_obj) override { record("Execute", p_obj); }
    void Exit(qv::Object *p_obj) override { record("Exit", p_obj); }

private:
    void record(const std::string &what, qv::Object *p_obj)
    {
        calls.push_back(getType() + "." + what + (p_obj ? "" : "!"));
    }
};

} // namespace

// Last, the machine is set up as the game does it: setState, then changeState to the same state.
TEST_F(EngineTest, StateMachineRunsExitThenEnterRemembersThePreviousRefusesNullAndUpdatesGlobalFirst)
{
    ASSERT_EQ(qv::LogManager::getInstance().startUp(), 0);
    qv::LogManager::getInstance().setLogLevel(10);
    RecordingState a("A"), b("B"), c("C");
    qv::StateMachine machine;
    // The machine only passes its owner on, so any address stands for one.
    machine.setOwner(reinterpret_cast<qv::Object *>(0x1000));
    machine.Update();
    machine.changeState(&a);
    EXPECT_TRUE(logHas("StateMachine::changeState(): old null, new A"));
    machine.changeState(&b);
    machine.changeState(&c);
    machine.changeState(nullptr);
    EXPECT_TRUE(logHas("Warning! p_new_state is undefined. Ignoring."));
    EXPECT_EQ(machine.getState(), &c);
    EXPECT_EQ(machine.getPreviousState(), &b);
    machine.setState(&a);
    machine.changeState(&a);
    machine.setGlobalState(&b);
    machine.Update();
    EXPECT_EQ(calls, std::vector<std::string>({"A.Enter", "A.Exit", "B.Enter", "B.Exit", "C.Enter", "A.Exit", "A.Enter",
                                               "B.Execute", "A.Execute"}));
}
