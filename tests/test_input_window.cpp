#include "DisplayManager.h"
#include "EventKeyboard.h"
#include "EventMouse.h"
#include "GameManager.h"
#include "InputManager.h"
#include "LogManager.h"
#include "test_input_support.h"

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

using qv::KEY_DOWN;
using qv::KEY_PRESSED;
using qv::KEY_RELEASED;
namespace key = qv::Keyboard;

namespace
{

struct TypedKey
{
    std::string keysym;     // as xdotool names it
    sf::Keyboard::Key sfml; // as the window library reads its state; Unknown when it has no name for it
    int key;                // the engine key its events carry
};

// The held-key poll list, in its order.
std::vector<TypedKey> pollList()
{
    std::vector<TypedKey> keys = {{"Up", sf::Keyboard::Up, key::UP_ARROW},
                                  {"Down", sf::Keyboard::Down, key::DOWN_ARROW},
                                  {"Left", sf::Keyboard::Left, key::LEFT_ARROW},
                                  {"Right", sf::Keyboard::Right, key::RIGHT_ARROW},
                                  {"space", sf::Keyboard::Space, key::SPACE},
                                  {"Return", sf::Keyboard::Enter, key::RETURN},
                                  {"Tab", sf::Keyboard::Tab, key::TAB},
                                  {"Escape", sf::Keyboard::Escape, key::ESCAPE},
                                  {"Pause", sf::Keyboard::Pause, key::PAUSE},
                                  {"KP_Subtract", sf::Keyboard::Subtract, key::SUBTRACT},
                                  {"KP_Add", sf::Keyboard::Add, key::ADD},
                                  {"grave", sf::Keyboard::Tilde, key::TILDE},
                                  {"period", sf::Keyboard::Period, key::PERIOD},
                                  {"comma", sf::Keyboard::Comma, key::COMMA},
                                  {"slash", sf::Keyboard::Slash, key::SLASH},
                                  {"equal", sf::Keyboard::Equal, key::EQUAL},
                                  {"backslash", sf::Keyboard::Backslash, key::BACKSLASH},
                                  {"KP_Multiply", sf::Keyboard::Multiply, key::MULTIPLY},
                                  {"apostrophe", sf::Keyboard::Quote, key::QUOTE},
                                  {"semicolon", sf::Keyboard::Semicolon, key::SEMICOLON},
                                  {"Control_L", sf::Keyboard::LControl, key::LEFT_CONTROL},
                                  {"Control_R", sf::Keyboard::RControl, key::RIGHT_CONTROL},
                                  {"Shift_L", sf::Keyboard::LShift, key::LEFT_SHIFT},
                                  {"Shift_R", sf::Keyboard::RShift, key::RIGHT_SHIFT}};
    for (int i = 0; i < 10; i++)
        keys.push_back(
            {"F" + std::to_string(i + 1), static_cast<sf::Keyboard::Key>(sf::Keyboard::F1 + i), key::F1 + i});
    for (int i = 0; i < 26; i++)
        keys.push_back({std::string(1, static_cast<char>('a' + i)), static_cast<sf::Keyboard::Key>(sf::Keyboard::A + i),
                        key::A + i});
    for (int i = 1; i <= 9; i++)
        keys.push_back({std::to_string(i), static_cast<sf::Keyboard::Key>(sf::Keyboard::Num0 + i), key::NUM1 + i - 1});
    keys.push_back({"0", sf::Keyboard::Num0, key::NUM0});
    keys.push_back({"BackSpace", sf::Keyboard::Backspace, key::BACKSPACE});
    return keys;
}

// Keys pressed and released but never reported as held: F11 and F12, and keys the engine has no
// name for, which come out as the window library's code plus 97.
const TypedKey NOT_POLLED[] = {{"F11", sf::Keyboard::F11, key::F11},         {"F12", sf::Keyboard::F12, key::F12},
                               {"Prior", sf::Keyboard::PageUp, 158},         {"Delete", sf::Keyboard::Delete, 163},
                               {"KP_Divide", sf::Keyboard::Divide, 167},     {"Alt_L", sf::Keyboard::LAlt, 136},
                               {"bracketleft", sf::Keyboard::LBracket, 143}, {"Print", sf::Keyboard::Unknown, 96}};

} // namespace

// Every key held across two passes, pressed in reverse poll order: one press each in the first
// pass, held reports in the poll list's order in both, one release each after.
TEST_F(InputWindowTest, TypedKeysArePressedReportedHeldAndReleasedAsTheTablesSay)
{
    InputRecorder *p_recorder = new InputRecorder(&pass_count);
    std::vector<TypedKey> polled = pollList();
    std::vector<TypedKey> typed(polled.rbegin(), polled.rend());
    typed.insert(typed.end(), std::begin(NOT_POLLED), std::end(NOT_POLLED));
    std::string keysyms;
    for (const TypedKey &k : typed)
        keysyms += " " + k.keysym;
    for (const bool down : {true, false})
    {
        xdotool((down ? "keydown --delay 0" : "keyup --delay 0") + keysyms);
        settle();
        for (const TypedKey &k : typed)
            if (k.sfml != sf::Keyboard::Unknown)
                waitForKey(k.sfml, down);
        pass();
        if (down)
            pass();
    }

    std::vector<std::string> received = p_recorder->keys;
    // Presses and releases come in the order the server sends them (xdotool adds the left modifier
    // to a right one): only their pass and count matter.
    for (const TypedKey &k : typed)
        for (const std::string &line : {keyLine(1, KEY_PRESSED, k.key), keyLine(3, KEY_RELEASED, k.key)})
        {
            const auto found = std::find(received.begin(), received.end(), line);
            EXPECT_NE(found, received.end()) << line;
            if (found != received.end())
                received.erase(found);
        }
    std::vector<std::string> expected;
    for (int pass = 1; pass <= 2; pass++)
        for (const TypedKey &k : polled)
            expected.push_back(keyLine(pass, KEY_DOWN, k.key));
    EXPECT_EQ(received, expected);
}

// Held long enough for the X server to repeat it, a key still arrives as a single press while the
// manager runs; stopped, the manager hands the window back with its repeat on.
TEST_F(InputWindowTest, KeyRepeatIsOffWhileStartedAndOnAfterShutDown)
{
    qv::LogManager::getInstance().setLogLevel(2);
    InputRecorder *p_recorder = new InputRecorder(&pass_count);
    qv::InputManager &input_manager = qv::InputManager::getInstance();
    // Counts the presses that do not follow a release. The server repeats a key as a release and
    // a press at the same moment, which the window library drops in pairs; on a loaded machine the
    // two can reach it in different passes, and then it reports both.
    auto holdB = [&]
    {
        p_recorder->keys.clear();
        pass_count = 0;
        xdotool("keydown b");
        waitForKey(sf::Keyboard::B, true);
        // The server starts repeating after 660 ms.
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(1200);
        while (std::chrono::steady_clock::now() < end)
            pass();
        xdotool("keyup b");
        waitForKey(sf::Keyboard::B, false);
        pass();
        int presses = 0;
        std::string last;
        for (const std::string &line : p_recorder->keys)
        {
            const std::string action = line.substr(line.find(' ') + 1);
            if (action == keyLine(0, KEY_PRESSED, key::B).substr(2) &&
                last != keyLine(0, KEY_RELEASED, key::B).substr(2))
                presses++;
            if (action != keyLine(0, KEY_DOWN, key::B).substr(2))
                last = action;
        }
        EXPECT_EQ(p_recorder->keys.back(), keyLine(pass_count, KEY_RELEASED, key::B));
        return presses;
    };

    EXPECT_EQ(holdB(), 1);
    input_manager.shutDown();
    EXPECT_TRUE(logHas("InputManager::shutDown(): Keyboard repeat enabled."));
    EXPECT_GT(holdB(), 3);
    ASSERT_EQ(input_manager.startUp(), 0);
    EXPECT_TRUE(logHas("InputManager::startUp(): Keyboard repeated disabled."));
    EXPECT_EQ(holdB(), 1);
    EXPECT_EQ(input_manager.startUp(), 0);
    EXPECT_TRUE(logHas("InputManager::startUp(): Already started."));
}

TEST_F(InputWindowTest, MouseMovesClicksAndHeldButtons)
{
    InputRecorder *p_recorder = new InputRecorder(&pass_count);
    // 123 x 456 pixels are 10.25 x 15.2 cells of 12 x 30.
    const std::string at = " (10.25,15.20)";
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
    EXPECT_EQ(p_recorder->mouse,
              (std::vector<std::string>{"1 moved -1" + at, "2 clicked -1" + at, "3 clicked 0" + at, "3 pressed 0" + at,
                                        "4 clicked 0" + at, "4 pressed 0" + at, "4 pressed 1" + at, "5 pressed 1" + at,
                                        "6 clicked 2" + at, "6 pressed 2" + at}));
}

// A close request between other window events ends the game in that pass; the events behind it,
// and the held keys, wait for the next pass.
TEST_F(InputWindowTest, CloseRequestEndsTheGameAndLeavesTheRestForTheNextPass)
{
    qv::LogManager::getInstance().setLogLevel(1);
    qv::GameManager &game_manager = qv::GameManager::getInstance();
    InputRecorder *p_recorder = new InputRecorder(&pass_count);
    xdotool("mousemove --window " + windowId() + " 24 60");
    waitForPointer(24, 60);
    sendCloseRequest();
    settle();
    xdotool("keydown c");
    waitForKey(sf::Keyboard::C, true);
    pass();
    EXPECT_TRUE(game_manager.getGameOver());
    EXPECT_TRUE(logHas("InputManager::getInput(): Window close event. Setting game over."));
    EXPECT_EQ(p_recorder->mouse, std::vector<std::string>{"1 moved -1 (2.00,2.00)"});
    EXPECT_TRUE(p_recorder->keys.empty());
    pass();
    EXPECT_EQ(p_recorder->keys,
              (std::vector<std::string>{keyLine(2, KEY_PRESSED, key::C), keyLine(2, KEY_DOWN, key::C)}));
    xdotool("keyup c");
    waitForKey(sf::Keyboard::C, false);
    game_manager.setGameOver(false);

    // In the game loop the request ends the game after the pass that saw it.
    sendCloseRequest();
    settle();
    game_manager.run();
    EXPECT_EQ(game_manager.getStepCount(), 1);
}

// A handler may stop the display, which deletes the window, while events are still queued.
TEST_F(InputWindowTest, HandlerThatStopsTheDisplayEndsThePassSafely)
{
    InputRecorder *p_recorder = new InputRecorder(&pass_count);
    p_recorder->on_key = [] { qv::DisplayManager::getInstance().shutDown(); };
    xdotool("keydown a s");
    waitForKey(sf::Keyboard::A, true);
    waitForKey(sf::Keyboard::S, true);
    pass();
    qv::InputManager::getInstance().getInput();
    EXPECT_EQ(p_recorder->keys, std::vector<std::string>{keyLine(1, KEY_PRESSED, key::A)});
    EXPECT_EQ(logCount("InputManager::getInput(): DisplayManager unexpectedly returned null window!"), 1);
    xdotool("keyup a s");
}
