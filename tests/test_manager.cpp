#include "Config.h"
#include "DisplayManager.h"
#include "Event.h"
#include "EventCollision.h"
#include "EventKeyboard.h"
#include "EventMouse.h"
#include "EventNetwork.h"
#include "EventOut.h"
#include "EventStep.h"
#include "GameManager.h"
#include "InputManager.h"
#include "LogManager.h"
#include "Manager.h"
#include "NetworkManager.h"
#include "PathManager.h"
#include "ResourceManager.h"
#include "WorldManager.h"
#include "test_support.h"

#include <algorithm>
#include <string>
#include <vector>

namespace
{

// A manager that takes interest in any event name, so that slots can be filled freely.
class AnyNameManager : public qv::Manager
{
public:
    bool isValid(const std::string &) const override { return true; }
};

// The log alone, without the other managers: objects then stay out of the world, so a test may
// keep them on its stack.
void startLogOnly()
{
    qv::Config::getInstance().loadConfig("");
    ASSERT_EQ(qv::LogManager::getInstance().startUp(), 0);
}

std::vector<std::string> slotNames(const qv::Manager &manager)
{
    std::vector<std::string> names;
    for (int i = 0; i < manager.getEventCount(); i++)
        names.push_back(manager.getEventName(i));
    return names;
}

} // namespace

class ManagerTest : public EngineTest
{
};

TEST_F(ManagerTest, HoldsAtMostOneHundredEventNames)
{
    startLogOnly();
    qv::LogManager::getInstance().setLogLevel(100);
    AnyNameManager manager;
    RecordingObject first;
    RecordingObject second;
    for (int i = 0; i < qv::MAX_EVENTS; i++)
        ASSERT_EQ(manager.registerInterest(&first, "name-" + std::to_string(i)), 0) << i;
    EXPECT_EQ(manager.getEventCount(), 100);

    EXPECT_EQ(manager.registerInterest(&first, "one-too-many"), -1);
    EXPECT_EQ(manager.registerInterest(&second, "one-too-many"), -1);
    EXPECT_EQ(manager.getEventCount(), 100);
    EXPECT_EQ(manager.registerInterest(&second, "name-57"), 0);
    EXPECT_EQ(manager.getEventCount(), 100);

    qv::Event event;
    event.setType("name-57");
    EXPECT_EQ(manager.onEvent(&event), 2);
    event.setType("one-too-many");
    EXPECT_EQ(manager.onEvent(&event), 0);
    // The refusal of a 101st name is silent, whatever the level.
    for (const std::string &line : logMessages())
        EXPECT_EQ(line.find("registerInterest"), std::string::npos) << line;
}

TEST_F(ManagerTest, FreedSlotMovesLaterSlotsDownInOrder)
{
    AnyNameManager manager;
    RecordingObject a;
    RecordingObject b;
    RecordingObject c;
    ASSERT_EQ(manager.registerInterest(&a, "alpha"), 0);
    ASSERT_EQ(manager.registerInterest(&b, "beta"), 0);
    ASSERT_EQ(manager.registerInterest(&c, "gamma"), 0);
    ASSERT_EQ(manager.registerInterest(&b, "alpha"), 0);

    // A slot that still has an object keeps its place.
    EXPECT_EQ(manager.unregisterInterest(&a, "alpha"), 0);
    EXPECT_EQ(slotNames(manager), (std::vector<std::string>{"alpha", "beta", "gamma"}));

    EXPECT_EQ(manager.unregisterInterest(&b, "alpha"), 0);
    EXPECT_EQ(slotNames(manager), (std::vector<std::string>{"beta", "gamma"}));
    EXPECT_EQ(manager.getEventName(2), "");

    ASSERT_EQ(manager.registerInterest(&a, "delta"), 0);
    EXPECT_EQ(slotNames(manager), (std::vector<std::string>{"beta", "gamma", "delta"}));

    // The moved slots still reach their objects.
    qv::Event event;
    event.setType("gamma");
    EXPECT_EQ(manager.onEvent(&event), 1);
    EXPECT_EQ(c.received, std::vector<std::string>{"gamma"});
    event.setType("delta");
    EXPECT_EQ(manager.onEvent(&event), 1);
    EXPECT_EQ(a.received, std::vector<std::string>{"delta"});

    // Unknown names, other objects and other spellings are refused, silently.
    EXPECT_EQ(manager.unregisterInterest(&a, "alpha"), -1);
    EXPECT_EQ(manager.unregisterInterest(&b, "delta"), -1);
    EXPECT_EQ(manager.unregisterInterest(&a, "Delta"), -1);
    EXPECT_EQ(slotNames(manager), (std::vector<std::string>{"beta", "gamma", "delta"}));
}

TEST_F(ManagerTest, DeliversInRegistrationOrderOncePerRegistration)
{
    AnyNameManager manager;
    std::vector<int> calls;
    RecordingObject objects[3];
    for (int i = 0; i < 3; i++)
    {
        objects[i].on_event = [&calls, i](const qv::Event *) { calls.push_back(i); };
        ASSERT_EQ(manager.registerInterest(&objects[i], "tick"), 0);
    }
    qv::Event tick;
    tick.setType("tick");

    EXPECT_EQ(manager.onEvent(&tick), 3);
    EXPECT_EQ(calls, (std::vector<int>{0, 1, 2}));

    // No duplicate check: a second registration means a second call.
    ASSERT_EQ(manager.registerInterest(&objects[0], "tick"), 0);
    calls.clear();
    EXPECT_EQ(manager.onEvent(&tick), 4);
    EXPECT_EQ(calls, (std::vector<int>{0, 1, 2, 0}));

    // Unregistering removes the first record only.
    ASSERT_EQ(manager.unregisterInterest(&objects[0], "tick"), 0);
    calls.clear();
    EXPECT_EQ(manager.onEvent(&tick), 3);
    EXPECT_EQ(calls, (std::vector<int>{1, 2, 0}));

    // Names are matched exactly.
    qv::Event other;
    other.setType("Tick");
    EXPECT_EQ(manager.onEvent(&other), 0);
}

TEST_F(ManagerTest, HandlersMayRegisterAndUnregisterDuringDelivery)
{
    AnyNameManager manager;
    RecordingObject first;
    RecordingObject removed;
    RecordingObject added;
    RecordingObject self_removing;
    ASSERT_EQ(manager.registerInterest(&first, "tick"), 0);
    ASSERT_EQ(manager.registerInterest(&self_removing, "tick"), 0);
    ASSERT_EQ(manager.registerInterest(&removed, "tick"), 0);
    first.on_event = [&](const qv::Event *)
    {
        if (first.received.size() == 1)
        {
            EXPECT_EQ(manager.unregisterInterest(&removed, "tick"), 0);
            EXPECT_EQ(manager.registerInterest(&added, "tick"), 0);
            EXPECT_EQ(manager.registerInterest(&added, "other"), 0);
        }
    };
    self_removing.on_event = [&](const qv::Event *)
    { EXPECT_EQ(manager.unregisterInterest(&self_removing, "tick"), 0); };
    qv::Event tick;
    tick.setType("tick");

    // Removed during the delivery: still gets this event. Added during it: not yet.
    EXPECT_EQ(manager.onEvent(&tick), 3);
    EXPECT_EQ(removed.received.size(), 1u);
    EXPECT_EQ(self_removing.received.size(), 1u);
    EXPECT_TRUE(added.received.empty());

    EXPECT_EQ(manager.onEvent(&tick), 2);
    EXPECT_EQ(first.received.size(), 2u);
    EXPECT_EQ(added.received, std::vector<std::string>{"tick"});
    EXPECT_EQ(removed.received.size(), 1u);
    EXPECT_EQ(self_removing.received.size(), 1u);
    EXPECT_EQ(slotNames(manager), (std::vector<std::string>{"tick", "other"}));
}

TEST_F(ManagerTest, RefusesUndefinedAndInvalidEventsWithoutCallingHandlers)
{
    startLogOnly();
    qv::GameManager &game_manager = qv::GameManager::getInstance();
    RecordingObject object;
    ASSERT_EQ(game_manager.registerInterest(&object, qv::STEP_EVENT), 0);
    const qv::Event undefined;
    const qv::EventKeyboard keyboard;
    qv::Event step;
    step.setType(qv::STEP_EVENT);

    // The warnings are leveled: nothing at the default level, both at level 1.
    for (const int level : {0, 1})
    {
        qv::LogManager::getInstance().setLogLevel(level);
        EXPECT_EQ(game_manager.onEvent(&undefined), 0);
        EXPECT_EQ(game_manager.onEvent(&keyboard), 0);
        EXPECT_EQ(game_manager.onEvent(&step), 1);
    }
    EXPECT_EQ(object.received, (std::vector<std::string>{"qv-step", "qv-step"}));
    EXPECT_EQ(logMessages(), (std::vector<std::string>{
                                 "Manager(GameManager)::onEvent(): Warning! Event type qv-undefined is undefined.",
                                 "Manager(GameManager)::onEvent(): Error! Event type qv-keyboard not valid."}));
    game_manager.unregisterInterest(&object, qv::STEP_EVENT);
}

TEST_F(ManagerTest, RegistrationRefusedByIsValidIsLogged)
{
    startLogOnly();
    RecordingObject object;
    qv::Manager base;
    qv::GameManager &game_manager = qv::GameManager::getInstance();

    EXPECT_EQ(base.registerInterest(&object, "anything"), -1);
    EXPECT_EQ(game_manager.registerInterest(&object, qv::KEYBOARD_EVENT), -1);
    EXPECT_EQ(game_manager.registerInterest(&object, "qv-Step"), -1);
    EXPECT_EQ(base.getEventCount(), 0);
    EXPECT_EQ(game_manager.getEventCount(), 0);
    EXPECT_EQ(logMessages(),
              (std::vector<std::string>{
                  "Manager(Manager)::registerInterest(): Event 'anything' not valid for this Manager",
                  "Manager(GameManager)::registerInterest(): Event 'qv-keyboard' not valid for this Manager",
                  "Manager(GameManager)::registerInterest(): Event 'qv-Step' not valid for this Manager"}));
}

TEST_F(ManagerTest, RepeatedStartAndStopOnlyWarn)
{
    startLogOnly();
    qv::LogManager::getInstance().setLogLevel(1);
    AnyNameManager manager;
    manager.setType("TestManager");
    RecordingObject object;
    ASSERT_EQ(manager.registerInterest(&object, "tick"), 0);

    EXPECT_FALSE(manager.isStarted());
    EXPECT_EQ(manager.startUp(), 0);
    EXPECT_EQ(manager.startUp(), 0);
    EXPECT_TRUE(manager.isStarted());
    manager.shutDown();
    EXPECT_FALSE(manager.isStarted());
    manager.shutDown();
    EXPECT_FALSE(manager.isStarted());

    EXPECT_EQ(logCount("Manager::startUp(): Warning! TestManager already started."), 1);
    EXPECT_EQ(logCount("Manager::shutDown(): Warning! TestManager not started."), 1);
    // Interests outlive a shut-down.
    qv::Event tick;
    tick.setType("tick");
    EXPECT_EQ(manager.onEvent(&tick), 1);
}

TEST(ManagerTypes, EveryManagerNamesItsClassAndAcceptsItsOwnEvents)
{
    const std::vector<std::string> names = {
        qv::STEP_EVENT,           qv::KEYBOARD_EVENT,         qv::MOUSE_EVENT,         qv::NETWORK_EVENT,
        qv::CUSTOM_NETWORK_EVENT, qv::KEYBOARD_NETWORK_EVENT, qv::MOUSE_NETWORK_EVENT, "game-event"};
    struct Case
    {
        const qv::Manager &manager;
        const char *type;
        std::vector<std::string> accepted;
    };
    const Case cases[] = {
        {qv::GameManager::getInstance(), "GameManager", {qv::STEP_EVENT}},
        {qv::LogManager::getInstance(), "LogManager", {}},
        {qv::DisplayManager::getInstance(), "DisplayManager", {}},
        {qv::InputManager::getInstance(), "InputManager", {qv::KEYBOARD_EVENT, qv::MOUSE_EVENT}},
        {qv::NetworkManager::getInstance(),
         "NetworkManager",
         {qv::NETWORK_EVENT, qv::CUSTOM_NETWORK_EVENT, qv::KEYBOARD_NETWORK_EVENT, qv::MOUSE_NETWORK_EVENT}},
        {qv::ResourceManager::getInstance(), "ResourceManager", {}},
        {qv::PathManager::getInstance(), "PathManager", {}}};
    for (const Case &c : cases)
    {
        EXPECT_EQ(c.manager.getType(), c.type);
        EXPECT_FALSE(c.manager.isStarted()) << c.type;
        for (const std::string &name : names)
        {
            const bool accepted = std::find(c.accepted.begin(), c.accepted.end(), name) != c.accepted.end();
            EXPECT_EQ(c.manager.isValid(name), accepted) << c.type << " " << name;
        }
    }
    EXPECT_EQ(qv::WorldManager::getInstance().getType(), "WorldManager");
    EXPECT_EQ(qv::Manager().getType(), "Manager");
}

TEST(EventClasses, CarryTheirNamesAndStartUndefined)
{
    const std::pair<qv::Event, const char *> names[] = {{qv::Event(), "qv-undefined"},
                                                        {qv::EventStep(42), "qv-step"},
                                                        {qv::EventOut(), "qv-out"},
                                                        {qv::EventCollision(), "qv-collision"},
                                                        {qv::EventKeyboard(), "qv-keyboard"},
                                                        {qv::EventMouse(), "qv-mouse"},
                                                        {qv::EventNetwork(qv::DATA), "qv-network"}};
    for (const auto &[event, name] : names)
        EXPECT_EQ(event.getType(), name);

    EXPECT_EQ(qv::EventStep(42).getStepCount(), 42);
    const qv::EventKeyboard keyboard;
    EXPECT_EQ(keyboard.getKey(), -1);
    EXPECT_EQ(keyboard.getKeyboardAction(), -1);
    const qv::EventMouse mouse;
    EXPECT_EQ(mouse.getMouseAction(), -1);
    EXPECT_EQ(mouse.getMouseButton(), -1);
    const qv::EventNetwork network(qv::DATA);
    EXPECT_EQ(network.getSocketIndex(), -1);
    EXPECT_EQ(network.getBytes(), 0);
}

TEST_F(ManagerTest, NetworkEventRefusesUnknownLabels)
{
    startLogOnly();
    for (const int label : {-1, 0, 1, 2, 3})
        EXPECT_EQ(qv::EventNetwork(label).getLabel(), label);
    EXPECT_TRUE(logMessages().empty());

    for (const int label : {7, 4, -2})
        EXPECT_EQ(qv::EventNetwork(label).getLabel(), -1) << label;
    qv::EventNetwork later(qv::CLOSE);
    later.setLabel(99);
    EXPECT_EQ(later.getLabel(), -1);
    EXPECT_EQ(logMessages(), (std::vector<std::string>{"EventNetwork::setLabel(): Undefined type (7).",
                                                       "EventNetwork::setLabel(): Undefined type (4).",
                                                       "EventNetwork::setLabel(): Undefined type (-2).",
                                                       "EventNetwork::setLabel(): Undefined type (99)."}));
}

TEST_F(ManagerTest, InactiveObjectsAreSkippedAndNotCounted)
{
    qv::GameManager &game_manager = qv::GameManager::getInstance();
    ASSERT_EQ(game_manager.startUp(), 0);
    auto *p_awake = new RecordingObject;
    auto *p_asleep = new RecordingObject;
    ASSERT_EQ(p_awake->registerInterest(qv::STEP_EVENT), 0);
    ASSERT_EQ(p_asleep->registerInterest(qv::STEP_EVENT), 0);
    ASSERT_EQ(p_asleep->setActive(false), 0);

    const qv::EventStep step(3);
    EXPECT_EQ(game_manager.onEvent(&step), 1);
    EXPECT_EQ(p_awake->received, std::vector<std::string>{qv::STEP_EVENT});
    EXPECT_TRUE(p_asleep->received.empty());

    // Waking it up again brings it back into delivery with its registration intact.
    ASSERT_EQ(p_asleep->setActive(true), 0);
    EXPECT_EQ(game_manager.onEvent(&step), 2);
    EXPECT_EQ(p_asleep->received, std::vector<std::string>{qv::STEP_EVENT});
    game_manager.shutDown();
}
