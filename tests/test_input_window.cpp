#include "Config.h"
#include "DisplayManager.h"
#include "EventKeyboard.h"
#include "EventStep.h"
#include "GameManager.h"
#include "InputManager.h"
#include "LogManager.h"
#include "test_input_support.h"

#include <SFML/Window/Event.hpp>

#include <algorithm>
#include <chrono>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

using sf::Keyboard;

namespace
{

// The engine key a window key code translates to: the letters, digits and function keys are runs
// of codes, a few keys are named one by one, and the rest come out as the code plus 97.
int expectedKey(int code)
{
    const int runs[][3] = {{0, 25, qv::Keyboard::A}, {27, 35, qv::Keyboard::NUM1}, {85, 96, qv::Keyboard::F1}};
    const std::pair<int, int> named[] = {
        {26, qv::Keyboard::NUM0},       {36, qv::Keyboard::ESCAPE},        {37, qv::Keyboard::LEFT_CONTROL},
        {38, qv::Keyboard::LEFT_SHIFT}, {41, qv::Keyboard::RIGHT_CONTROL}, {42, qv::Keyboard::RIGHT_SHIFT},
        {48, qv::Keyboard::SEMICOLON},  {49, qv::Keyboard::COMMA},         {50, qv::Keyboard::PERIOD},
        {51, qv::Keyboard::QUOTE},      {52, qv::Keyboard::SLASH},         {53, qv::Keyboard::BACKSLASH},
        {54, qv::Keyboard::TILDE},      {55, qv::Keyboard::EQUAL},         {57, qv::Keyboard::SPACE},
        {58, qv::Keyboard::RETURN},     {59, qv::Keyboard::BACKSPACE},     {60, qv::Keyboard::TAB},
        {67, qv::Keyboard::ADD},        {68, qv::Keyboard::SUBTRACT},      {69, qv::Keyboard::MULTIPLY},
        {71, qv::Keyboard::LEFT_ARROW}, {72, qv::Keyboard::RIGHT_ARROW},   {73, qv::Keyboard::UP_ARROW},
        {74, qv::Keyboard::DOWN_ARROW}, {100, qv::Keyboard::PAUSE}};
    for (const auto &run : runs)
        if (code >= run[0] && code <= run[1])
            return run[2] + code - run[0];
    for (const auto &[named_code, key] : named)
        if (named_code == code)
            return key;
    return code + 97;
}

// The held-key poll list in its order, as xdotool names the keys and as the window library does.
const char POLLED_NAMES[] =
    "Up Down Left Right space Return Tab Escape Pause KP_Subtract KP_Add grave period comma "
    "slash equal backslash KP_Multiply apostrophe semicolon Control_L Control_R Shift_L "
    "Shift_R F1 F2 F3 F4 F5 F6 F7 F8 F9 F10 a b c d e f g h i j k l m n o p q r s t u v w x y z "
    "1 2 3 4 5 6 7 8 9 0 BackSpace";
std::vector<Keyboard::Key> polledKeys()
{
    std::vector<Keyboard::Key> keys = {Keyboard::Up,        Keyboard::Down,     Keyboard::Left,   Keyboard::Right,
                                       Keyboard::Space,     Keyboard::Enter,    Keyboard::Tab,    Keyboard::Escape,
                                       Keyboard::Pause,     Keyboard::Subtract, Keyboard::Add,    Keyboard::Tilde,
                                       Keyboard::Period,    Keyboard::Comma,    Keyboard::Slash,  Keyboard::Equal,
                                       Keyboard::Backslash, Keyboard::Multiply, Keyboard::Quote,  Keyboard::Semicolon,
                                       Keyboard::LControl,  Keyboard::RControl, Keyboard::LShift, Keyboard::RShift};
    for (int code = Keyboard::F1; code <= Keyboard::F10; code++)
        keys.push_back(static_cast<Keyboard::Key>(code));
    for (int code = Keyboard::A; code <= Keyboard::Z; code++)
        keys.push_back(static_cast<Keyboard::Key>(code));
    for (int code = Keyboard::Num1; code <= Keyboard::Num9; code++)
        keys.push_back(static_cast<Keyboard::Key>(code));
    keys.insert(keys.end(), {Keyboard::Num0, Keyboard::Backspace});
    return keys;
}

// Keys pressed and released but never reported as held: F11, F12 and keys the engine has no name
// for (Print has none in the window library either).
const char OTHER_NAMES[] = "F11 F12 Prior Delete KP_Divide Alt_L bracketleft Print";
const Keyboard::Key OTHER_KEYS[] = {Keyboard::F11,    Keyboard::F12,  Keyboard::PageUp,   Keyboard::Delete,
                                    Keyboard::Divide, Keyboard::LAlt, Keyboard::LBracket, Keyboard::Unknown};

} // namespace

// Every code the window library can report, from -1 (a key it does not know) to Pause.
TEST_F(EngineTest, EveryWindowKeyCodeTranslatesAsTheTableSays)
{
    ASSERT_EQ(qv::GameManager::getInstance().startUp(), 0);
    qv::LogManager::getInstance().setLogLevel(15);
    for (int code = -1; code < Keyboard::KeyCount; code++)
    {
        sf::Event window_event;
        window_event.type = sf::Event::KeyPressed;
        window_event.key = sf::Event::KeyEvent{static_cast<Keyboard::Key>(code), false, false, false, false};
        const qv::EventKeyboard event = qv::InputManager::getInstance().toEventKeyboard(window_event);
        EXPECT_EQ(event.getKey(), expectedKey(code)) << "code " << code;
        EXPECT_EQ(event.getKeyboardAction(), qv::UNDEFINED_KEYBOARD_ACTION);
    }
    EXPECT_EQ(expectedKey(Keyboard::PageUp), 158);
    EXPECT_TRUE(logHas("InputManager::toEventKeyboard(): Keyboard event '$' (0)"));
    EXPECT_TRUE(logHas("InputManager::toEventKeyboard(): Keyboard event '`' (-1)"));
    qv::GameManager::getInstance().shutDown();
}

TEST_F(EngineTest, InputStartsHeadlessWithoutDeliveringButNotBeforeTheDisplay)
{
    writeConfig("headless:false,\n");
    qv::Config::getInstance().loadConfig("");
    ASSERT_EQ(qv::LogManager::getInstance().startUp(), 0);
    qv::InputManager &input_manager = qv::InputManager::getInstance();
    EXPECT_EQ(input_manager.startUp(), -1);
    EXPECT_TRUE(logHas("InputManager::startUp(): Error starting InputManager. DisplayManager must be started first."));
    qv::LogManager::getInstance().shutDown();

    writeConfig("headless:true,\n");
    qv::LogManager::getInstance().setLogLevel(30);
    ASSERT_EQ(qv::GameManager::getInstance().startUp(), 0);
    RecordingObject *p_o = new RecordingObject;
    ASSERT_EQ(p_o->registerInterest(qv::KEYBOARD_EVENT), 0);
    EXPECT_EQ(input_manager.registerInterest(p_o, qv::STEP_EVENT), -1);
    const std::size_t lines = logMessages().size();
    input_manager.getInput();
    EXPECT_EQ(logMessages().size(), lines);
    EXPECT_TRUE(p_o->received.empty());
    EXPECT_TRUE(logHas("InputManager::startUp(): not doing input since in headless mode."));
    qv::GameManager::getInstance().shutDown();
}

// Every key held across two passes, pressed in reverse poll order: one press each in the first
// pass, held reports in the poll list's order in both, one release each after. Held long enough
// for the server to repeat the last one, which must not come in again.
TEST_F(InputWindowTest, TypedKeysArePressedReportedHeldAndReleasedAsTheTablesSay)
{
    InputRecorder *p_recorder = new InputRecorder(&pass_count);
    std::vector<std::string> names;
    std::istringstream polled_names(POLLED_NAMES);
    for (std::string name; polled_names >> name;)
        names.insert(names.begin(), name);
    std::string typed;
    for (const std::string &name : names)
        typed += name + " ";
    typed += OTHER_NAMES;
    const std::vector<Keyboard::Key> polled = polledKeys();
    std::vector<Keyboard::Key> keys(polled);
    keys.insert(keys.end(), std::begin(OTHER_KEYS), std::end(OTHER_KEYS));

    xdotool("keydown --delay 0 " + typed);
    for (Keyboard::Key key : keys)
        if (key != Keyboard::Unknown)
            waitForKey(key, true);
    // The server starts repeating after 660 ms.
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    pass();
    pass();
    xdotool("keyup --delay 0 " + typed);
    for (Keyboard::Key key : keys)
        if (key != Keyboard::Unknown)
            waitForKey(key, false);
    settle();
    pass();

    // Presses and releases come in the order the server sends them (xdotool adds the left modifier
    // to a right one): only their pass and count matter.
    std::vector<std::string> received = p_recorder->keys;
    for (Keyboard::Key key : keys)
        for (const std::string &line :
             {keyLine(1, qv::KEY_PRESSED, expectedKey(key)), keyLine(3, qv::KEY_RELEASED, expectedKey(key))})
        {
            const auto found = std::find(received.begin(), received.end(), line);
            EXPECT_NE(found, received.end()) << line;
            if (found != received.end())
                received.erase(found);
        }
    std::vector<std::string> expected;
    for (int pass = 1; pass <= 2; pass++)
        for (Keyboard::Key key : polled)
            expected.push_back(keyLine(pass, qv::KEY_DOWN, expectedKey(key)));
    EXPECT_EQ(received, expected);
}

TEST_F(InputWindowTest, MouseMovesClicksAndHeldButtons)
{
    InputRecorder *p_recorder = new InputRecorder(&pass_count);
    xdotool("mousemove --window " + windowId() + " 123 456");
    waitForPointer(123, 456);
    pass();
    // A click whose button is up again when its event is handled names no button.
    xdotool("click 1");
    settle();
    pass();
    xdotool("mousedown 1");
    waitForButton(sf::Mouse::Left, true);
    pass();
    // A right press while the left button is held reports the left one; both held are reported
    // every pass, left first.
    xdotool("mousedown 3");
    waitForButton(sf::Mouse::Right, true);
    pass();
    xdotool("mouseup 1");
    waitForButton(sf::Mouse::Left, false);
    pass();
    xdotool("mouseup 3");
    xdotool("mousedown 2");
    waitForButton(sf::Mouse::Middle, true);
    pass();
    xdotool("mouseup 2");
    waitForButton(sf::Mouse::Middle, false);
    pass();
    // 123 x 456 pixels are 10.25 x 15.2 cells of 12 x 30.
    std::vector<std::string> expected = {"1 moved -1",  "2 clicked -1", "3 clicked 0", "3 pressed 0", "4 clicked 0",
                                         "4 pressed 0", "4 pressed 1",  "5 pressed 1", "6 clicked 2", "6 pressed 2"};
    for (std::string &line : expected)
        line += " (10.25,15.20)";
    EXPECT_EQ(p_recorder->mouse, expected);
}

// A close request between other window events ends the game in that pass; the events behind it,
// and the held keys, wait for the next pass.
TEST_F(InputWindowTest, CloseRequestEndsTheGameAndLeavesTheRestForTheNextPass)
{
    qv::LogManager::getInstance().setLogLevel(2);
    qv::GameManager &game_manager = qv::GameManager::getInstance();
    InputRecorder *p_recorder = new InputRecorder(&pass_count);
    xdotool("mousemove --window " + windowId() + " 24 60");
    waitForPointer(24, 60);
    sendCloseRequest();
    settle();
    xdotool("keydown c");
    waitForKey(Keyboard::C, true);
    pass();
    EXPECT_TRUE(game_manager.getGameOver());
    EXPECT_TRUE(logHas("InputManager::getInput(): Window close event. Setting game over."));
    EXPECT_EQ(p_recorder->mouse, std::vector<std::string>{"1 moved -1 (2.00,2.00)"});
    EXPECT_TRUE(p_recorder->keys.empty());
    pass();
    EXPECT_EQ(p_recorder->keys, (std::vector<std::string>{keyLine(2, qv::KEY_PRESSED, qv::Keyboard::C),
                                                          keyLine(2, qv::KEY_DOWN, qv::Keyboard::C)}));
    xdotool("keyup c");
    waitForKey(Keyboard::C, false);
    game_manager.setGameOver(false);

    // In the game loop the request ends the game after the pass that saw it.
    sendCloseRequest();
    settle();
    game_manager.run();
    EXPECT_EQ(game_manager.getStepCount(), 1);
    EXPECT_EQ(qv::InputManager::getInstance().startUp(), 0);
    EXPECT_TRUE(logHas("InputManager::startUp(): Already started."));
    qv::InputManager::getInstance().shutDown();
    EXPECT_TRUE(logHas("InputManager::shutDown(): Keyboard repeat enabled."));
}

// A handler may stop the display, which deletes the window, while events are still queued.
TEST_F(InputWindowTest, HandlerThatStopsTheDisplayEndsThePassSafely)
{
    InputRecorder *p_recorder = new InputRecorder(&pass_count);
    p_recorder->on_key = [] { qv::DisplayManager::getInstance().shutDown(); };
    xdotool("keydown a s");
    waitForKey(Keyboard::A, true);
    waitForKey(Keyboard::S, true);
    pass();
    qv::InputManager::getInstance().getInput();
    EXPECT_EQ(p_recorder->keys, std::vector<std::string>{keyLine(1, qv::KEY_PRESSED, qv::Keyboard::A)});
    EXPECT_EQ(logCount("InputManager::getInput(): DisplayManager unexpectedly returned null window!"), 1);
    xdotool("keyup a s");
}
