#include "Config.h"
#include "EventKeyboard.h"
#include "EventStep.h"
#include "GameManager.h"
#include "InputManager.h"
#include "LogManager.h"
#include "presentation_support.h"
#include "test_support.h"

#include <SFML/Window/Event.hpp>

#include <map>
#include <string>

namespace
{

// The window library's key codes the engine names, and the engine key each becomes; the letters,
// the digits and F1 to F12 are runs of consecutive codes.
const std::map<int, int> NAMED_KEYS = {
    {26, qv::Keyboard::NUM0},       {36, qv::Keyboard::ESCAPE},        {37, qv::Keyboard::LEFT_CONTROL},
    {38, qv::Keyboard::LEFT_SHIFT}, {41, qv::Keyboard::RIGHT_CONTROL}, {42, qv::Keyboard::RIGHT_SHIFT},
    {48, qv::Keyboard::SEMICOLON},  {49, qv::Keyboard::COMMA},         {50, qv::Keyboard::PERIOD},
    {51, qv::Keyboard::QUOTE},      {52, qv::Keyboard::SLASH},         {53, qv::Keyboard::BACKSLASH},
    {54, qv::Keyboard::TILDE},      {55, qv::Keyboard::EQUAL},         {57, qv::Keyboard::SPACE},
    {58, qv::Keyboard::RETURN},     {59, qv::Keyboard::BACKSPACE},     {60, qv::Keyboard::TAB},
    {67, qv::Keyboard::ADD},        {68, qv::Keyboard::SUBTRACT},      {69, qv::Keyboard::MULTIPLY},
    {71, qv::Keyboard::LEFT_ARROW}, {72, qv::Keyboard::RIGHT_ARROW},   {73, qv::Keyboard::UP_ARROW},
    {74, qv::Keyboard::DOWN_ARROW}, {100, qv::Keyboard::PAUSE},
};

struct Run
{
    int first_code, last_code; // window library codes
    int first_key;             // engine key of first_code
};

const Run RUNS[] = {{0, 25, qv::Keyboard::A}, {27, 35, qv::Keyboard::NUM1}, {85, 96, qv::Keyboard::F1}};

int expectedKey(int code)
{
    for (const Run &run : RUNS)
        if (code >= run.first_code && code <= run.last_code)
            return run.first_key + code - run.first_code;
    const auto named = NAMED_KEYS.find(code);
    return named != NAMED_KEYS.end() ? named->second : code + 97;
}

} // namespace

// Every code the window library can report, from -1 (a key it does not know) to Pause.
TEST_F(EngineTest, EveryWindowKeyCodeTranslatesAsTheTableSays)
{
    ASSERT_EQ(qv::GameManager::getInstance().startUp(), 0);
    qv::LogManager::getInstance().setLogLevel(15);
    const qv::InputManager &input_manager = qv::InputManager::getInstance();
    int named = 0;
    for (int code = -1; code < sf::Keyboard::KeyCount; code++)
    {
        sf::Event window_event;
        window_event.type = sf::Event::KeyPressed;
        window_event.key = sf::Event::KeyEvent{static_cast<sf::Keyboard::Key>(code), false, false, false, false};
        const qv::EventKeyboard event = input_manager.toEventKeyboard(window_event);
        EXPECT_EQ(event.getKey(), expectedKey(code)) << "code " << code;
        EXPECT_EQ(event.getKeyboardAction(), qv::UNDEFINED_KEYBOARD_ACTION);
        EXPECT_EQ(event.getType(), "qv-keyboard");
        if (event.getKey() <= qv::Keyboard::BACKSPACE)
            named++;
    }
    // 26 letters, 10 digits, 12 function keys and 25 more: all of the engine's 73 keys.
    EXPECT_EQ(named, 73);
    EXPECT_EQ(expectedKey(-1), 96);
    EXPECT_EQ(expectedKey(sf::Keyboard::PageUp), 158);
    EXPECT_TRUE(logHas("InputManager::toEventKeyboard(): Keyboard event '$' (0)"));
    EXPECT_TRUE(logHas("InputManager::toEventKeyboard(): Keyboard event '`' (-1)"));
    EXPECT_TRUE(logHas("InputManager::toEventKeyboard(): Keyboard event '9' (21)"));
    qv::GameManager::getInstance().shutDown();
}

TEST_F(EngineTest, HeadlessInputStartsAndNeverDeliversOrLogs)
{
    qv::LogManager::getInstance().setLogLevel(30);
    ASSERT_EQ(qv::GameManager::getInstance().startUp(), 0);
    qv::InputManager &input_manager = qv::InputManager::getInstance();
    EXPECT_TRUE(input_manager.isStarted());
    EXPECT_TRUE(logHas("InputManager::startUp(): not doing input since in headless mode."));
    EXPECT_TRUE(logHas("InputManager::startUp(): successfully started."));
    EXPECT_FALSE(logHas("InputManager::startUp(): Keyboard repeated disabled."));

    RecordingObject *p_o = new RecordingObject;
    ASSERT_EQ(p_o->registerInterest(qv::KEYBOARD_EVENT), 0);
    ASSERT_EQ(p_o->registerInterest(qv::MOUSE_EVENT), 0);
    const std::size_t lines = logMessages().size();
    for (int i = 0; i < 3; i++)
        input_manager.getInput();
    EXPECT_EQ(logMessages().size(), lines);
    EXPECT_TRUE(p_o->received.empty());

    input_manager.shutDown();
    EXPECT_TRUE(logHas("InputManager::shutDown(): successfully stopped."));
    EXPECT_FALSE(logHas("InputManager::shutDown(): Keyboard repeat enabled."));
    qv::GameManager::getInstance().shutDown();
}

TEST_F(EngineTest, InputTakesOnlyKeyboardAndMouseInterests)
{
    ASSERT_EQ(qv::GameManager::getInstance().startUp(), 0);
    qv::InputManager &input_manager = qv::InputManager::getInstance();
    RecordingObject *p_o = new RecordingObject;
    EXPECT_EQ(input_manager.registerInterest(p_o, qv::KEYBOARD_EVENT), 0);
    EXPECT_EQ(input_manager.registerInterest(p_o, qv::MOUSE_EVENT), 0);
    for (const std::string &name : {qv::STEP_EVENT, qv::VIEW_EVENT, std::string("qv-keyboard-network")})
    {
        EXPECT_EQ(input_manager.registerInterest(p_o, name), -1);
        EXPECT_TRUE(
            logHas("Manager(InputManager)::registerInterest(): Event '" + name + "' not valid for this Manager"));
    }
    EXPECT_EQ(input_manager.getEventCount(), 2);

    qv::EventKeyboard key;
    key.setKey(qv::Keyboard::Q);
    EXPECT_EQ(input_manager.onEvent(&key), 1);
    const qv::EventStep step(0);
    EXPECT_EQ(input_manager.onEvent(&step), 0);
    EXPECT_EQ(p_o->received, std::vector<std::string>{"qv-keyboard"});
    qv::GameManager::getInstance().shutDown();
}

TEST_F(EngineTest, InputRefusesToStartBeforeTheDisplay)
{
    writeConfig("headless:false,\n");
    qv::Config::getInstance().loadConfig("");
    ASSERT_EQ(qv::LogManager::getInstance().startUp(), 0);
    qv::InputManager &input_manager = qv::InputManager::getInstance();
    EXPECT_EQ(input_manager.startUp(), -1);
    EXPECT_FALSE(input_manager.isStarted());
    EXPECT_TRUE(logHas("InputManager::startUp(): Error starting InputManager. DisplayManager must be started first."));
    qv::LogManager::getInstance().shutDown();
}

TEST_F(WindowTest, InputStartedTwiceSaysSoAndStaysStarted)
{
    startWindow();
    qv::InputManager &input_manager = qv::InputManager::getInstance();
    EXPECT_EQ(input_manager.startUp(), 0);
    EXPECT_TRUE(logHas("InputManager::startUp(): Already started."));
    EXPECT_TRUE(input_manager.isStarted());
}
