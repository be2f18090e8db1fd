#include "Config.h"
#include "EventKeyboard.h"
#include "EventStep.h"
#include "GameManager.h"
#include "InputManager.h"
#include "LogManager.h"
#include "presentation_support.h"

#include <SFML/Window/Event.hpp>

#include <string>

// Every code the window library can report, from -1 (a key it does not know) to Pause.
TEST_F(EngineTest, EveryWindowKeyCodeTranslatesAsTheTableSays)
{
    // Window code and engine key of the keys the engine names one by one, and the runs of codes
    // from their first code and key.
    const std::pair<int, int> named[] = {
        {26, qv::Keyboard::NUM0},          {36, qv::Keyboard::ESCAPE},      {37, qv::Keyboard::LEFT_CONTROL},
        {38, qv::Keyboard::LEFT_SHIFT},    {41, qv::Keyboard::RIGHT_CONTROL}, {42, qv::Keyboard::RIGHT_SHIFT},
        {48, qv::Keyboard::SEMICOLON},     {49, qv::Keyboard::COMMA},       {50, qv::Keyboard::PERIOD},
        {51, qv::Keyboard::QUOTE},         {52, qv::Keyboard::SLASH},       {53, qv::Keyboard::BACKSLASH},
        {54, qv::Keyboard::TILDE},         {55, qv::Keyboard::EQUAL},       {57, qv::Keyboard::SPACE},
        {58, qv::Keyboard::RETURN},        {59, qv::Keyboard::BACKSPACE},   {60, qv::Keyboard::TAB},
        {67, qv::Keyboard::ADD},           {68, qv::Keyboard::SUBTRACT},    {69, qv::Keyboard::MULTIPLY},
        {71, qv::Keyboard::LEFT_ARROW},    {72, qv::Keyboard::RIGHT_ARROW}, {73, qv::Keyboard::UP_ARROW},
        {74, qv::Keyboard::DOWN_ARROW},    {100, qv::Keyboard::PAUSE}};
    const int runs[][3] = {{0, 25, qv::Keyboard::A}, {27, 35, qv::Keyboard::NUM1}, {85, 96, qv::Keyboard::F1}};
    ASSERT_EQ(qv::GameManager::getInstance().startUp(), 0);
    qv::LogManager::getInstance().setLogLevel(15);
    for (int code = -1; code < sf::Keyboard::KeyCount; code++)
    {
        int expected = code + 97;
        for (const auto &run : runs)
            if (code >= run[0] && code <= run[1])
                expected = run[2] + code - run[0];
        for (const auto &[named_code, key] : named)
            if (named_code == code)
                expected = key;
        sf::Event window_event;
        window_event.type = sf::Event::KeyPressed;
        window_event.key = sf::Event::KeyEvent{static_cast<sf::Keyboard::Key>(code), false, false, false, false};
        const qv::EventKeyboard event = qv::InputManager::getInstance().toEventKeyboard(window_event);
        EXPECT_EQ(event.getKey(), expected) << "code " << code;
        EXPECT_EQ(event.getKeyboardAction(), qv::UNDEFINED_KEYBOARD_ACTION);
    }
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
    EXPECT_TRUE(containsInOrder(logMessages(), {"InputManager::startUp(): not doing input since in headless mode.",
                                                "InputManager::startUp(): successfully started."}));
    RecordingObject *p_o = new RecordingObject;
    ASSERT_EQ(p_o->registerInterest(qv::KEYBOARD_EVENT), 0);
    ASSERT_EQ(p_o->registerInterest(qv::MOUSE_EVENT), 0);
    EXPECT_EQ(input_manager.registerInterest(p_o, qv::STEP_EVENT), -1);
    EXPECT_TRUE(logHas("Manager(InputManager)::registerInterest(): Event 'qv-step' not valid for this Manager"));
    const std::size_t lines = logMessages().size();
    input_manager.getInput();
    input_manager.getInput();
    EXPECT_EQ(logMessages().size(), lines);
    EXPECT_TRUE(p_o->received.empty());
    input_manager.shutDown();
    EXPECT_TRUE(logHas("InputManager::shutDown(): successfully stopped."));
    EXPECT_FALSE(logHas("InputManager::shutDown(): Keyboard repeat enabled."));
    qv::GameManager::getInstance().shutDown();
}

TEST_F(EngineTest, InputRefusesToStartBeforeTheDisplay)
{
    writeConfig("headless:false,\n");
    qv::Config::getInstance().loadConfig("");
    ASSERT_EQ(qv::LogManager::getInstance().startUp(), 0);
    EXPECT_EQ(qv::InputManager::getInstance().startUp(), -1);
    EXPECT_FALSE(qv::InputManager::getInstance().isStarted());
    EXPECT_TRUE(logHas("InputManager::startUp(): Error starting InputManager. DisplayManager must be started first."));
    qv::LogManager::getInstance().shutDown();
}
