#include "Config.h"
#include "DisplayManager.h"
#include "EventKeyboard.h"
#include "EventMouse.h"
#include "GameManager.h"
#include "InputManager.h"
#include "LogManager.h"
#include "test_input_support.h"

#include <SFML/Window/Event.hpp>

#include <X11/Xlib.h>
#include <algorithm>
#include <array>
#include <chrono>
#include <dlfcn.h>
#include <functional>
#include <iomanip>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

using sf::Keyboard;

namespace
{

// The keys typed: the held-key poll list in its order, then keys pressed and released but never
// reported as held (F11, F12 and keys the engine has no name for; Print has none in the window
// library either). Each as xdotool names it, by the window library's code, and as the engine's key.
const std::size_t POLLED = 71;
std::vector<std::tuple<std::string, int, int>> typedKeys()
{
    std::vector<std::tuple<std::string, int, int>> keys = {
        {"Up", 73, 6},         {"Down", 74, 7},         {"Left", 71, 4},        {"Right", 72, 5},
        {"space", 57, 0},      {"Return", 58, 1},       {"Tab", 60, 3},         {"Escape", 36, 2},
        {"Pause", 100, 8},     {"KP_Subtract", 68, 9},  {"KP_Add", 67, 10},     {"grave", 54, 11},
        {"period", 50, 12},    {"comma", 49, 13},       {"slash", 52, 14},      {"equal", 55, 15},
        {"backslash", 53, 16}, {"KP_Multiply", 69, 17}, {"apostrophe", 51, 18}, {"semicolon", 48, 19},
        {"Control_L", 37, 20}, {"Control_R", 41, 21},   {"Shift_L", 38, 22},    {"Shift_R", 42, 23}};
    for (int i = 0; i < 10; i++)
        keys.emplace_back("F" + std::to_string(i + 1), Keyboard::F1 + i, qv::Keyboard::F1 + i);
    for (int i = 0; i < 26; i++)
        keys.emplace_back(std::string(1, static_cast<char>('a' + i)), Keyboard::A + i, qv::Keyboard::A + i);
    // 1 to 9, then 0.
    for (int i = 1; i <= 10; i++)
        keys.emplace_back(std::to_string(i % 10), Keyboard::Num0 + i % 10, qv::Keyboard::NUM1 + i - 1);
    const std::tuple<std::string, int, int> rest[] = {
        {"BackSpace", 59, 72},  {"F11", 95, 34},    {"F12", 96, 35},          {"Prior", 61, 158}, {"Delete", 66, 163},
        {"KP_Divide", 70, 167}, {"Alt_L", 39, 136}, {"bracketleft", 46, 143}, {"Print", -1, 96}};
    keys.insert(keys.end(), std::begin(rest), std::end(rest));
    return keys;
}

using KeyLine = std::array<int, 3>; // pass, action, engine key

// Writes down the keyboard events and the mouse events ("pass action button (x,y)", in cells) it
// receives, stamped with the pass `p_pass` (not owned) counts.
struct InputRecorder : qv::Object
{
    explicit InputRecorder(const int *p_pass) : p_pass(p_pass)
    {
        registerInterest(qv::KEYBOARD_EVENT);
        registerInterest(qv::MOUSE_EVENT);
    }

    int eventHandler(const qv::Event *p_event) override
    {
        if (const auto *p_key = dynamic_cast<const qv::EventKeyboard *>(p_event))
        {
            keys.push_back({*p_pass, p_key->getKeyboardAction(), p_key->getKey()});
            if (on_key)
                on_key();
        }
        else if (const auto *p_mouse = dynamic_cast<const qv::EventMouse *>(p_event))
        {
            std::ostringstream line;
            line << *p_pass << " "
                 << std::vector<std::string>{"clicked", "pressed", "moved"}.at(p_mouse->getMouseAction()) << " "
                 << p_mouse->getMouseButton() << std::fixed << std::setprecision(2) << " ("
                 << p_mouse->getMousePosition().getX() << "," << p_mouse->getMousePosition().getY() << ")";
            mouse.push_back(line.str());
        }
        return 1;
    }

    const int *p_pass;
    std::vector<KeyLine> keys;
    std::vector<std::string> mouse;
    std::function<void()> on_key; // runs after a keyboard event is written down, when set
};

// Polls `done` for up to 20 s; fails the test if it never holds. The X server reports a key,
// button or pointer so once its window event has arrived for the next pass.
void waitUntil(const std::function<bool()> &done, const std::string &what)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_TRUE(done()) << what << " never happened";
}

// Waits until `pressed(which)`, the window library's look at the X server, says `held`.
template <typename Pressed, typename Which> void waitFor(Pressed pressed, Which which, bool held)
{
    waitUntil([&] { return pressed(which) == held; }, "key or button " + std::to_string(which));
}

// Asks the window to close as a window manager's close button does, over a connection of its own:
// closing that waits until the server has sent the message on. The X library comes with the window
// library, so its functions are looked up rather than linked.
void sendCloseRequest()
{
    const auto open_display = reinterpret_cast<decltype(&XOpenDisplay)>(dlsym(RTLD_DEFAULT, "XOpenDisplay"));
    const auto intern_atom = reinterpret_cast<decltype(&XInternAtom)>(dlsym(RTLD_DEFAULT, "XInternAtom"));
    const auto send_event = reinterpret_cast<decltype(&XSendEvent)>(dlsym(RTLD_DEFAULT, "XSendEvent"));
    const auto close_display = reinterpret_cast<decltype(&XCloseDisplay)>(dlsym(RTLD_DEFAULT, "XCloseDisplay"));
    ASSERT_TRUE(open_display && intern_atom && send_event && close_display);
    Display *p_display = open_display(nullptr);
    ASSERT_NE(p_display, nullptr);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = qv::DisplayManager::getInstance().getWindow()->getSystemHandle();
    event.xclient.message_type = intern_atom(p_display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(intern_atom(p_display, "WM_DELETE_WINDOW", False));
    EXPECT_NE(send_event(p_display, event.xclient.window, False, NoEventMask, &event), 0);
    close_display(p_display);
}

} // namespace

// Input starts only after the display; the key codes the typed-key test does not type, and -1 (a
// key the window library does not know), come out as the code plus 97.
TEST_F(EngineTest, InputNeedsTheDisplayAndUntypedKeyCodesComeOutAsTheCodePlus97)
{
    writeConfig("headless:false,\n");
    qv::Config::getInstance().loadConfig("");
    ASSERT_EQ(qv::LogManager::getInstance().startUp(), 0);
    EXPECT_EQ(qv::InputManager::getInstance().startUp(), -1);
    EXPECT_TRUE(logHas("InputManager::startUp(): Error starting InputManager. DisplayManager must be started first."));
    qv::LogManager::getInstance().setLogLevel(15);
    for (int code : {-1, 40, 43, 44, 45, 47, 56, 62, 63, 64, 65, 75, 76, 77, 78, 79, 80, 81, 82, 83, 84, 97, 98, 99})
    {
        sf::Event window_event;
        window_event.type = sf::Event::KeyPressed;
        window_event.key = sf::Event::KeyEvent{static_cast<Keyboard::Key>(code), false, false, false, false};
        const qv::EventKeyboard event = qv::InputManager::getInstance().toEventKeyboard(window_event);
        EXPECT_EQ(event.getKey(), code + 97) << "code " << code;
        EXPECT_EQ(event.getKeyboardAction(), qv::UNDEFINED_KEYBOARD_ACTION);
    }
    EXPECT_TRUE(logHas("InputManager::toEventKeyboard(): Keyboard event '`' (-1)"));
    qv::LogManager::getInstance().shutDown();
}

// Every key held across two passes, pressed in reverse poll order: one press each in the first
// pass, held reports in the poll list's order in both, one release each after. Held long enough
// for the server to repeat the last one, which must not come in again. Then a handler may stop the
// display, which deletes the window, while events are still queued.
TEST_F(InputWindowTest, TypedKeysArePressedReportedHeldAndReleasedAndAHandlerMayStopTheDisplay)
{
    InputRecorder *p_recorder = new InputRecorder(&pass_count);
    const std::vector<std::tuple<std::string, int, int>> keys = typedKeys();
    std::string typed;
    for (std::size_t i = 0; i < keys.size(); i++)
        typed = i < POLLED ? std::get<0>(keys[i]) + " " + typed : typed + " " + std::get<0>(keys[i]);
    for (const bool down : {true, false})
    {
        xdotool((down ? "keydown --delay 0 " : "keyup --delay 0 ") + typed);
        for (const auto &[name, code, key] : keys)
            if (code != Keyboard::Unknown)
                waitFor(Keyboard::isKeyPressed, static_cast<Keyboard::Key>(code), down);
        // The server starts repeating after 660 ms.
        std::this_thread::sleep_for(std::chrono::milliseconds(down ? 1000 : 0));
        settle();
        pass();
        if (down)
            pass();
    }

    // Presses and releases come in the order the server sends them (xdotool adds the left modifier
    // to a right one): only their pass and count matter, so they are compared sorted.
    std::vector<KeyLine> expected, received = p_recorder->keys;
    for (int pass = 1; pass <= 2; pass++)
        for (std::size_t i = 0; i < POLLED; i++)
            expected.push_back({pass, qv::KEY_DOWN, std::get<2>(keys[i])});
    for (const auto &[name, code, key] : keys)
        expected.insert(expected.end(), {{1, qv::KEY_PRESSED, key}, {3, qv::KEY_RELEASED, key}});
    const auto others = std::stable_partition(received.begin(), received.end(),
                                              [](const KeyLine &line) { return line[1] == qv::KEY_DOWN; });
    std::sort(others, received.end());
    std::sort(expected.begin() + 2 * POLLED, expected.end());
    EXPECT_EQ(received, expected);

    p_recorder->on_key = [] { qv::DisplayManager::getInstance().shutDown(); };
    xdotool("keydown a s");
    waitFor(Keyboard::isKeyPressed, Keyboard::A, true);
    waitFor(Keyboard::isKeyPressed, Keyboard::S, true);
    pass();
    qv::InputManager::getInstance().getInput();
    EXPECT_EQ(p_recorder->keys.size(), expected.size() + 1);
    EXPECT_EQ(p_recorder->keys.back(), (KeyLine{4, qv::KEY_PRESSED, qv::Keyboard::A}));
    EXPECT_EQ(logCount("InputManager::getInput(): DisplayManager unexpectedly returned null window!"), 1);
    xdotool("keyup a s");
}

// A close request between other window events ends the game in that pass; the events behind it,
// and the held keys, wait for the next pass.
TEST_F(InputWindowTest, MouseMovesClicksAndHeldButtonsThenACloseRequestEndsTheGame)
{
    InputRecorder *p_recorder = new InputRecorder(&pass_count);
    const sf::RenderWindow &window = *qv::DisplayManager::getInstance().getWindow();
    xdotool("mousemove --window " + windowId() + " 123 456");
    waitUntil([&] { return sf::Mouse::getPosition(window) == sf::Vector2i(123, 456); }, "pointer move");
    pass();
    // A click whose button is up again when its event is handled names no button.
    xdotool("click 1");
    settle();
    pass();
    xdotool("mousedown 1");
    waitFor(sf::Mouse::isButtonPressed, sf::Mouse::Left, true);
    pass();
    // A right press while the left button is held reports the left one; both held are reported
    // every pass, left first.
    xdotool("mousedown 3");
    waitFor(sf::Mouse::isButtonPressed, sf::Mouse::Right, true);
    pass();
    xdotool("mouseup 1");
    waitFor(sf::Mouse::isButtonPressed, sf::Mouse::Left, false);
    pass();
    xdotool("mouseup 3 mousedown 2");
    waitFor(sf::Mouse::isButtonPressed, sf::Mouse::Middle, true);
    pass();
    xdotool("mouseup 2");
    // 123 x 456 pixels are 10.25 x 15.2 cells of 12 x 30.
    std::vector<std::string> expected = {"1 moved -1",  "2 clicked -1", "3 clicked 0", "3 pressed 0", "4 clicked 0",
                                         "4 pressed 0", "4 pressed 1",  "5 pressed 1", "6 clicked 2", "6 pressed 2"};
    for (std::string &line : expected)
        line += " (10.25,15.20)";
    EXPECT_EQ(p_recorder->mouse, expected);

    qv::LogManager::getInstance().setLogLevel(2);
    qv::GameManager &game_manager = qv::GameManager::getInstance();
    EXPECT_EQ(qv::InputManager::getInstance().registerInterest(p_recorder, qv::STEP_EVENT), -1);
    xdotool("mousemove --window " + windowId() + " 24 60");
    waitUntil([&] { return sf::Mouse::getPosition(window) == sf::Vector2i(24, 60); }, "pointer move");
    sendCloseRequest();
    settle();
    xdotool("keydown c");
    waitFor(Keyboard::isKeyPressed, Keyboard::C, true);
    pass();
    EXPECT_TRUE(game_manager.getGameOver());
    EXPECT_TRUE(logHas("InputManager::getInput(): Window close event. Setting game over."));
    expected.push_back("7 moved -1 (2.00,2.00)");
    EXPECT_EQ(p_recorder->mouse, expected);
    EXPECT_TRUE(p_recorder->keys.empty());
    pass();
    EXPECT_EQ(p_recorder->keys,
              (std::vector<KeyLine>{{8, qv::KEY_PRESSED, qv::Keyboard::C}, {8, qv::KEY_DOWN, qv::Keyboard::C}}));
    xdotool("keyup c");
    waitFor(Keyboard::isKeyPressed, Keyboard::C, false);
    game_manager.setGameOver(false);

    // In the game loop the request ends the game after the pass that saw it.
    sendCloseRequest();
    settle();
    game_manager.run();
    EXPECT_EQ(game_manager.getStepCount(), 1);
    qv::InputManager::getInstance().shutDown();
    EXPECT_TRUE(logHas("InputManager::shutDown(): Keyboard repeat enabled."));
}
