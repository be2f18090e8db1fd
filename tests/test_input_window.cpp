#include "DisplayManager.h"
#include "EventKeyboard.h"
#include "EventMouse.h"
#include "GameManager.h"
#include "InputManager.h"
#include "LogManager.h"
#include "test_input_support.h"

#include <SFML/Graphics/RenderWindow.hpp>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

namespace
{

const int NO_PARTNER = -100;

struct RealKey
{
    const char *keysym;     // as xdotool names it
    sf::Keyboard::Key sfml; // as the window library reads its state; Unknown when it has no name for it
    int key;                // the engine key its events carry
    bool polled;            // reported as held every pass
    int partner;            // a key xdotool holds with it (the left one of a right-hand modifier)
};

// Every key of the held-key poll list, in its order, as the engine reports it.
const std::vector<RealKey> POLLED = {
    {"Up", sf::Keyboard::Up, 6, true, NO_PARTNER},
    {"Down", sf::Keyboard::Down, 7, true, NO_PARTNER},
    {"Left", sf::Keyboard::Left, 4, true, NO_PARTNER},
    {"Right", sf::Keyboard::Right, 5, true, NO_PARTNER},
    {"space", sf::Keyboard::Space, 0, true, NO_PARTNER},
    {"Return", sf::Keyboard::Enter, 1, true, NO_PARTNER},
    {"Tab", sf::Keyboard::Tab, 3, true, NO_PARTNER},
    {"Escape", sf::Keyboard::Escape, 2, true, NO_PARTNER},
    {"Pause", sf::Keyboard::Pause, 8, true, NO_PARTNER},
    {"KP_Subtract", sf::Keyboard::Subtract, 9, true, NO_PARTNER},
    {"KP_Add", sf::Keyboard::Add, 10, true, NO_PARTNER},
    {"grave", sf::Keyboard::Tilde, 11, true, NO_PARTNER},
    {"period", sf::Keyboard::Period, 12, true, NO_PARTNER},
    {"comma", sf::Keyboard::Comma, 13, true, NO_PARTNER},
    {"slash", sf::Keyboard::Slash, 14, true, NO_PARTNER},
    {"equal", sf::Keyboard::Equal, 15, true, NO_PARTNER},
    {"backslash", sf::Keyboard::Backslash, 16, true, NO_PARTNER},
    {"KP_Multiply", sf::Keyboard::Multiply, 17, true, NO_PARTNER},
    {"apostrophe", sf::Keyboard::Quote, 18, true, NO_PARTNER},
    {"semicolon", sf::Keyboard::Semicolon, 19, true, NO_PARTNER},
    {"Control_L", sf::Keyboard::LControl, 20, true, NO_PARTNER},
    {"Control_R", sf::Keyboard::RControl, 21, true, 20},
    {"Shift_L", sf::Keyboard::LShift, 22, true, NO_PARTNER},
    {"Shift_R", sf::Keyboard::RShift, 23, true, 22},
    {"F1", sf::Keyboard::F1, 24, true, NO_PARTNER},
    {"F2", sf::Keyboard::F2, 25, true, NO_PARTNER},
    {"F3", sf::Keyboard::F3, 26, true, NO_PARTNER},
    {"F4", sf::Keyboard::F4, 27, true, NO_PARTNER},
    {"F5", sf::Keyboard::F5, 28, true, NO_PARTNER},
    {"F6", sf::Keyboard::F6, 29, true, NO_PARTNER},
    {"F7", sf::Keyboard::F7, 30, true, NO_PARTNER},
    {"F8", sf::Keyboard::F8, 31, true, NO_PARTNER},
    {"F9", sf::Keyboard::F9, 32, true, NO_PARTNER},
    {"F10", sf::Keyboard::F10, 33, true, NO_PARTNER},
    {"a", sf::Keyboard::A, 36, true, NO_PARTNER},
    {"b", sf::Keyboard::B, 37, true, NO_PARTNER},
    {"c", sf::Keyboard::C, 38, true, NO_PARTNER},
    {"d", sf::Keyboard::D, 39, true, NO_PARTNER},
    {"e", sf::Keyboard::E, 40, true, NO_PARTNER},
    {"f", sf::Keyboard::F, 41, true, NO_PARTNER},
    {"g", sf::Keyboard::G, 42, true, NO_PARTNER},
    {"h", sf::Keyboard::H, 43, true, NO_PARTNER},
    {"i", sf::Keyboard::I, 44, true, NO_PARTNER},
    {"j", sf::Keyboard::J, 45, true, NO_PARTNER},
    {"k", sf::Keyboard::K, 46, true, NO_PARTNER},
    {"l", sf::Keyboard::L, 47, true, NO_PARTNER},
    {"m", sf::Keyboard::M, 48, true, NO_PARTNER},
    {"n", sf::Keyboard::N, 49, true, NO_PARTNER},
    {"o", sf::Keyboard::O, 50, true, NO_PARTNER},
    {"p", sf::Keyboard::P, 51, true, NO_PARTNER},
    {"q", sf::Keyboard::Q, 52, true, NO_PARTNER},
    {"r", sf::Keyboard::R, 53, true, NO_PARTNER},
    {"s", sf::Keyboard::S, 54, true, NO_PARTNER},
    {"t", sf::Keyboard::T, 55, true, NO_PARTNER},
    {"u", sf::Keyboard::U, 56, true, NO_PARTNER},
    {"v", sf::Keyboard::V, 57, true, NO_PARTNER},
    {"w", sf::Keyboard::W, 58, true, NO_PARTNER},
    {"x", sf::Keyboard::X, 59, true, NO_PARTNER},
    {"y", sf::Keyboard::Y, 60, true, NO_PARTNER},
    {"z", sf::Keyboard::Z, 61, true, NO_PARTNER},
    {"1", sf::Keyboard::Num1, 62, true, NO_PARTNER},
    {"2", sf::Keyboard::Num2, 63, true, NO_PARTNER},
    {"3", sf::Keyboard::Num3, 64, true, NO_PARTNER},
    {"4", sf::Keyboard::Num4, 65, true, NO_PARTNER},
    {"5", sf::Keyboard::Num5, 66, true, NO_PARTNER},
    {"6", sf::Keyboard::Num6, 67, true, NO_PARTNER},
    {"7", sf::Keyboard::Num7, 68, true, NO_PARTNER},
    {"8", sf::Keyboard::Num8, 69, true, NO_PARTNER},
    {"9", sf::Keyboard::Num9, 70, true, NO_PARTNER},
    {"0", sf::Keyboard::Num0, 71, true, NO_PARTNER},
    {"BackSpace", sf::Keyboard::Backspace, 72, true, NO_PARTNER},
};

// Keys that are pressed and released but never reported as held: F11 and F12, and keys the
// engine has no name for, which come out as the window library's code plus 97.
const std::vector<RealKey> NOT_POLLED = {
    {"F11", sf::Keyboard::F11, 34, false, NO_PARTNER},
    {"F12", sf::Keyboard::F12, 35, false, NO_PARTNER},
    {"Prior", sf::Keyboard::PageUp, 158, false, NO_PARTNER},
    {"Delete", sf::Keyboard::Delete, 163, false, NO_PARTNER},
    {"KP_Divide", sf::Keyboard::Divide, 167, false, NO_PARTNER},
    {"Alt_L", sf::Keyboard::LAlt, 136, false, NO_PARTNER},
    {"bracketleft", sf::Keyboard::LBracket, 143, false, NO_PARTNER},
    {"Print", sf::Keyboard::Unknown, 96, false, NO_PARTNER},
};

} // namespace

// Every key of both tables held across three passes: one press in the first, a held report in
// each while it is held (polled keys only), one release in the pass after it is let go.
TEST_F(InputWindowTest, EveryKeyIsPressedReportedHeldAndReleasedAsTheTablesSay)
{
    InputRecorder *p_recorder = new InputRecorder(&pass_count);
    std::vector<RealKey> rows = POLLED;
    rows.insert(rows.end(), NOT_POLLED.begin(), NOT_POLLED.end());
    for (const RealKey &row : rows)
    {
        SCOPED_TRACE(row.keysym);
        p_recorder->received.clear();
        pass_count = 0;
        xdotool(std::string("keydown ") + row.keysym);
        if (row.sfml == sf::Keyboard::Unknown)
            settle();
        else
            waitForKey(row.sfml, true);
        pass();
        pass();
        pass();
        xdotool(std::string("keyup ") + row.keysym);
        if (row.sfml == sf::Keyboard::Unknown)
            settle();
        else
            waitForKey(row.sfml, false);
        pass();

        std::vector<std::string> expected = {keyLine(1, "pressed", row.key)};
        for (int pass = 1; row.polled && pass <= 3; pass++)
            expected.push_back(keyLine(pass, "down", row.key));
        expected.push_back(keyLine(4, "released", row.key));
        EXPECT_EQ(p_recorder->keysOf(row.key), expected);
        for (const Received &r : p_recorder->received)
            EXPECT_TRUE(r.code == row.key || r.code == row.partner) << "key " << r.code << " was not typed";
    }
}

// All polled keys held at once, pressed in reverse order: the presses arrive as typed, the held
// reports follow the poll list's order in every pass.
TEST_F(InputWindowTest, HeldKeysAreReportedInThePollOrder)
{
    InputRecorder *p_recorder = new InputRecorder(&pass_count);
    std::string keysyms;
    for (auto row = POLLED.rbegin(); row != POLLED.rend(); ++row)
        keysyms += std::string(" ") + row->keysym;
    xdotool("keydown --delay 0" + keysyms);
    for (const RealKey &row : POLLED)
        waitForKey(row.sfml, true);
    pass();
    pass();
    xdotool("keyup --delay 0" + keysyms);
    for (const RealKey &row : POLLED)
        waitForKey(row.sfml, false);
    pass();

    std::vector<std::string> downs;
    for (int pass = 1; pass <= 2; pass++)
        for (const RealKey &row : POLLED)
            downs.push_back(keyLine(pass, "down", row.key));
    std::vector<std::string> held;
    for (const std::string &line : p_recorder->keys())
        if (line.find(" down ") != std::string::npos)
            held.push_back(line);
    EXPECT_EQ(held, downs);
    const std::vector<std::string> lines = p_recorder->keys();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), keyLine(1, "pressed", qv::Keyboard::BACKSPACE));
    for (const RealKey &row : POLLED)
    {
        EXPECT_EQ(std::count(lines.begin(), lines.end(), keyLine(1, "pressed", row.key)), 1) << row.keysym;
        EXPECT_EQ(std::count(lines.begin(), lines.end(), keyLine(3, "released", row.key)), 1) << row.keysym;
    }
}

// Held long enough for the X server to repeat it, a key still arrives as a single press while the
// manager runs; stopped, the manager hands the window back with its repeat on.
TEST_F(InputWindowTest, KeyRepeatIsOffWhileStartedAndOnAfterShutDown)
{
    qv::LogManager::getInstance().setLogLevel(2);
    InputRecorder *p_recorder = new InputRecorder(&pass_count);
    qv::InputManager &input_manager = qv::InputManager::getInstance();
    // Returns the presses that do not follow a release. The server repeats a key as a release and
    // a press at the same moment, which the window library drops in pairs; on a loaded machine the
    // two can reach it in different passes, and then it reports both.
    auto holdB = [&]
    {
        p_recorder->received.clear();
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
        int last = qv::UNDEFINED_KEYBOARD_ACTION;
        for (const Received &r : p_recorder->received)
        {
            EXPECT_EQ(r.code, qv::Keyboard::B);
            if (r.action == qv::KEY_DOWN)
                continue;
            if (r.action == qv::KEY_PRESSED && last != qv::KEY_RELEASED)
                presses++;
            last = r.action;
        }
        EXPECT_EQ(p_recorder->keys().back(), keyLine(pass_count, "released", qv::Keyboard::B));
        return presses;
    };

    EXPECT_EQ(holdB(), 1);
    input_manager.shutDown();
    EXPECT_TRUE(logHas("InputManager::shutDown(): Keyboard repeat enabled."));
    EXPECT_GT(holdB(), 3);
    ASSERT_EQ(input_manager.startUp(), 0);
    EXPECT_TRUE(logHas("InputManager::startUp(): Keyboard repeated disabled."));
    EXPECT_EQ(holdB(), 1);
}

TEST_F(InputWindowTest, MouseMovesClicksAndHeldButtons)
{
    InputRecorder *p_recorder = new InputRecorder(&pass_count);
    // 123 x 456 pixels are 10.25 x 15.2 cells of 12 x 30.
    const std::string at = " (10.25,15.20)";
    xdotool("mousemove --window " + windowId() + " 123 456");
    waitForPointer(123, 456);
    pass();
    EXPECT_EQ(p_recorder->mouse(), std::vector<std::string>{"1 moved -1" + at});

    // A click whose button is up again when its event is handled names no button.
    p_recorder->received.clear();
    xdotool("click 1");
    settle();
    pass();
    EXPECT_EQ(p_recorder->mouse(), std::vector<std::string>{"2 clicked -1" + at});

    p_recorder->received.clear();
    xdotool("mousedown 1");
    waitForButton(sf::Mouse::Left, true);
    pass();
    pass();
    // A right press while the left button is held reports the left one; both held are reported
    // every pass, left first.
    xdotool("mousedown 3");
    waitForButton(sf::Mouse::Right, true);
    pass();
    pass();
    xdotool("mouseup 1");
    xdotool("mouseup 3");
    waitForButton(sf::Mouse::Left, false);
    waitForButton(sf::Mouse::Right, false);
    pass();
    EXPECT_EQ(p_recorder->mouse(), (std::vector<std::string>{"3 clicked 0" + at, "3 pressed 0" + at, "4 pressed 0" + at,
                                                             "5 clicked 0" + at, "5 pressed 0" + at, "5 pressed 1" + at,
                                                             "6 pressed 0" + at, "6 pressed 1" + at}));

    struct Alone
    {
        const char *button;     // as xdotool numbers it
        sf::Mouse::Button sfml; // as the window library names it
        int reported;           // Mouse::Button
    };
    const Alone alone[] = {{"2", sf::Mouse::Middle, qv::Mouse::MIDDLE}, {"3", sf::Mouse::Right, qv::Mouse::RIGHT}};
    for (const Alone &a : alone)
    {
        p_recorder->received.clear();
        pass_count = 0;
        xdotool(std::string("mousedown ") + a.button);
        waitForButton(a.sfml, true);
        pass();
        xdotool(std::string("mouseup ") + a.button);
        waitForButton(a.sfml, false);
        pass();
        const std::string code = std::to_string(a.reported);
        EXPECT_EQ(p_recorder->mouse(), (std::vector<std::string>{"1 clicked " + code + at, "1 pressed " + code + at}))
            << "button " << a.button;
    }
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
    EXPECT_EQ(p_recorder->mouse(), std::vector<std::string>{"1 moved -1 (2.00,2.00)"});
    EXPECT_TRUE(p_recorder->keys().empty());

    p_recorder->received.clear();
    pass();
    EXPECT_EQ(p_recorder->keys(),
              (std::vector<std::string>{keyLine(2, "pressed", qv::Keyboard::C), keyLine(2, "down", qv::Keyboard::C)}));
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
    p_recorder->on_key = [](int) { qv::DisplayManager::getInstance().shutDown(); };
    xdotool("keydown a s");
    waitForKey(sf::Keyboard::A, true);
    waitForKey(sf::Keyboard::S, true);
    pass();
    EXPECT_EQ(p_recorder->keys(), std::vector<std::string>{keyLine(1, "pressed", qv::Keyboard::A)});
    EXPECT_EQ(qv::DisplayManager::getInstance().getWindow(), nullptr);

    qv::InputManager::getInstance().getInput();
    EXPECT_EQ(logCount("InputManager::getInput(): DisplayManager unexpectedly returned null window!"), 1);
    EXPECT_EQ(p_recorder->keys().size(), 1u);
    xdotool("keyup a s");
}
