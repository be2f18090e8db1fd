#include "InputManager.h"

#include "Config.h"
#include "DisplayManager.h"
#include "EventKeyboard.h"
#include "EventMouse.h"
#include "GameManager.h"
#include "LogManager.h"
#include "Recording.h"
#include "Vector.h"

#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Window/Event.hpp>
#include <SFML/Window/Keyboard.hpp>
#include <SFML/Window/Mouse.hpp>

namespace qv
{

namespace
{

struct PolledKey
{
    sf::Keyboard::Key sfml; // the window library's key
    Keyboard::Key key;      // reported as
};

// The keys a held-key event is reported for, in the order they are reported. F11 and F12 are
// missing on purpose: they only ever produce presses and releases.
const PolledKey POLLED_KEYS[] = {
    {sf::Keyboard::Up, Keyboard::UP_ARROW},
    {sf::Keyboard::Down, Keyboard::DOWN_ARROW},
    {sf::Keyboard::Left, Keyboard::LEFT_ARROW},
    {sf::Keyboard::Right, Keyboard::RIGHT_ARROW},
    {sf::Keyboard::Space, Keyboard::SPACE},
    {sf::Keyboard::Enter, Keyboard::RETURN},
    {sf::Keyboard::Tab, Keyboard::TAB},
    {sf::Keyboard::Escape, Keyboard::ESCAPE},
    {sf::Keyboard::Pause, Keyboard::PAUSE},
    {sf::Keyboard::Subtract, Keyboard::SUBTRACT},
    {sf::Keyboard::Add, Keyboard::ADD},
    {sf::Keyboard::Tilde, Keyboard::TILDE},
    {sf::Keyboard::Period, Keyboard::PERIOD},
    {sf::Keyboard::Comma, Keyboard::COMMA},
    {sf::Keyboard::Slash, Keyboard::SLASH},
    {sf::Keyboard::Equal, Keyboard::EQUAL},
    {sf::Keyboard::Backslash, Keyboard::BACKSLASH},
    {sf::Keyboard::Multiply, Keyboard::MULTIPLY},
    {sf::Keyboard::Quote, Keyboard::QUOTE},
    {sf::Keyboard::Semicolon, Keyboard::SEMICOLON},
    {sf::Keyboard::LControl, Keyboard::LEFT_CONTROL},
    {sf::Keyboard::RControl, Keyboard::RIGHT_CONTROL},
    {sf::Keyboard::LShift, Keyboard::LEFT_SHIFT},
    {sf::Keyboard::RShift, Keyboard::RIGHT_SHIFT},
    {sf::Keyboard::F1, Keyboard::F1},
    {sf::Keyboard::F2, Keyboard::F2},
    {sf::Keyboard::F3, Keyboard::F3},
    {sf::Keyboard::F4, Keyboard::F4},
    {sf::Keyboard::F5, Keyboard::F5},
    {sf::Keyboard::F6, Keyboard::F6},
    {sf::Keyboard::F7, Keyboard::F7},
    {sf::Keyboard::F8, Keyboard::F8},
    {sf::Keyboard::F9, Keyboard::F9},
    {sf::Keyboard::F10, Keyboard::F10},
    {sf::Keyboard::A, Keyboard::A},
    {sf::Keyboard::B, Keyboard::B},
    {sf::Keyboard::C, Keyboard::C},
    {sf::Keyboard::D, Keyboard::D},
    {sf::Keyboard::E, Keyboard::E},
    {sf::Keyboard::F, Keyboard::F},
    {sf::Keyboard::G, Keyboard::G},
    {sf::Keyboard::H, Keyboard::H},
    {sf::Keyboard::I, Keyboard::I},
    {sf::Keyboard::J, Keyboard::J},
    {sf::Keyboard::K, Keyboard::K},
    {sf::Keyboard::L, Keyboard::L},
    {sf::Keyboard::M, Keyboard::M},
    {sf::Keyboard::N, Keyboard::N},
    {sf::Keyboard::O, Keyboard::O},
    {sf::Keyboard::P, Keyboard::P},
    {sf::Keyboard::Q, Keyboard::Q},
    {sf::Keyboard::R, Keyboard::R},
    {sf::Keyboard::S, Keyboard::S},
    {sf::Keyboard::T, Keyboard::T},
    {sf::Keyboard::U, Keyboard::U},
    {sf::Keyboard::V, Keyboard::V},
    {sf::Keyboard::W, Keyboard::W},
    {sf::Keyboard::X, Keyboard::X},
    {sf::Keyboard::Y, Keyboard::Y},
    {sf::Keyboard::Z, Keyboard::Z},
    {sf::Keyboard::Num1, Keyboard::NUM1},
    {sf::Keyboard::Num2, Keyboard::NUM2},
    {sf::Keyboard::Num3, Keyboard::NUM3},
    {sf::Keyboard::Num4, Keyboard::NUM4},
    {sf::Keyboard::Num5, Keyboard::NUM5},
    {sf::Keyboard::Num6, Keyboard::NUM6},
    {sf::Keyboard::Num7, Keyboard::NUM7},
    {sf::Keyboard::Num8, Keyboard::NUM8},
    {sf::Keyboard::Num9, Keyboard::NUM9},
    {sf::Keyboard::Num0, Keyboard::NUM0},
    {sf::Keyboard::Backspace, Keyboard::BACKSPACE},
};

// The engine key of a window key code. Keys the engine has no name for come out as the code plus
// 97, past the end of the engine's keys, so that a game can still tell them apart.
int engineKey(int code)
{
    if (code >= sf::Keyboard::A && code <= sf::Keyboard::Z)
        return Keyboard::A + (code - sf::Keyboard::A);
    if (code >= sf::Keyboard::Num1 && code <= sf::Keyboard::Num9)
        return Keyboard::NUM1 + (code - sf::Keyboard::Num1);
    if (code >= sf::Keyboard::F1 && code <= sf::Keyboard::F12)
        return Keyboard::F1 + (code - sf::Keyboard::F1);
    switch (code)
    {
    case sf::Keyboard::Num0:
        return Keyboard::NUM0;
    case sf::Keyboard::Escape:
        return Keyboard::ESCAPE;
    case sf::Keyboard::LControl:
        return Keyboard::LEFT_CONTROL;
    case sf::Keyboard::LShift:
        return Keyboard::LEFT_SHIFT;
    case sf::Keyboard::RControl:
        return Keyboard::RIGHT_CONTROL;
    case sf::Keyboard::RShift:
        return Keyboard::RIGHT_SHIFT;
    case sf::Keyboard::Semicolon:
        return Keyboard::SEMICOLON;
    case sf::Keyboard::Comma:
        return Keyboard::COMMA;
    case sf::Keyboard::Period:
        return Keyboard::PERIOD;
    case sf::Keyboard::Quote:
        return Keyboard::QUOTE;
    case sf::Keyboard::Slash:
        return Keyboard::SLASH;
    case sf::Keyboard::Backslash:
        return Keyboard::BACKSLASH;
    case sf::Keyboard::Tilde:
        return Keyboard::TILDE;
    case sf::Keyboard::Equal:
        return Keyboard::EQUAL;
    case sf::Keyboard::Space:
        return Keyboard::SPACE;
    case sf::Keyboard::Enter:
        return Keyboard::RETURN;
    case sf::Keyboard::Backspace:
        return Keyboard::BACKSPACE;
    case sf::Keyboard::Tab:
        return Keyboard::TAB;
    case sf::Keyboard::Add:
        return Keyboard::ADD;
    case sf::Keyboard::Subtract:
        return Keyboard::SUBTRACT;
    case sf::Keyboard::Multiply:
        return Keyboard::MULTIPLY;
    case sf::Keyboard::Left:
        return Keyboard::LEFT_ARROW;
    case sf::Keyboard::Right:
        return Keyboard::RIGHT_ARROW;
    case sf::Keyboard::Up:
        return Keyboard::UP_ARROW;
    case sf::Keyboard::Down:
        return Keyboard::DOWN_ARROW;
    case sf::Keyboard::Pause:
        return Keyboard::PAUSE;
    default:
        return code + 97;
    }
}

Vector cellsAt(int x, int y)
{
    return pixelsToSpaces(Vector(static_cast<float>(x), static_cast<float>(y)));
}

// An input event of this pass, as a recording keeps it.
RecordedInput inputOf(RecordedInput::Kind kind, int action, int code, int x = 0, int y = 0)
{
    RecordedInput input;
    input.kind = kind;
    input.pass = GameManager::getInstance().getStepCount();
    input.action = action;
    input.code = code;
    input.x = x;
    input.y = y;
    return input;
}

} // namespace

InputManager::InputManager()
{
    setType("InputManager");
}

InputManager &InputManager::getInstance()
{
    static InputManager input_manager;
    return input_manager;
}

bool InputManager::isValid(const std::string &event_name) const
{
    return event_name == KEYBOARD_EVENT || event_name == MOUSE_EVENT;
}

int InputManager::startUp()
{
    LogManager &log = LogManager::getInstance();
    if (Config::getInstance().getHeadless())
    {
        log.writeLog(1, "InputManager::startUp(): not doing input since in headless mode.");
    }
    else
    {
        if (isStarted())
        {
            log.writeLog("InputManager::startUp(): Already started.");
            return 0;
        }
        DisplayManager &display_manager = DisplayManager::getInstance();
        if (!display_manager.isStarted())
        {
            log.writeLog("InputManager::startUp(): Error starting InputManager. DisplayManager must be started first.");
            return -1;
        }
        sf::RenderWindow *p_window = display_manager.getWindow();
        if (p_window)
        {
            p_window->setKeyRepeatEnabled(false);
            log.writeLog(2, "InputManager::startUp(): Keyboard repeated disabled.");
        }
        else
        {
            log.writeLog("InputManager::startUp(): Warning - DisplayManager unexpectedly returned null window! "
                         "Cannot disable keyboard repeat.");
        }
    }
    Manager::startUp();
    log.writeLog(5, "InputManager::startUp(): successfully started.");
    return 0;
}

void InputManager::shutDown()
{
    LogManager &log = LogManager::getInstance();
    sf::RenderWindow *p_window = DisplayManager::getInstance().getWindow();
    if (p_window)
    {
        p_window->setKeyRepeatEnabled(true);
        log.writeLog(2, "InputManager::shutDown(): Keyboard repeat enabled.");
    }
    Manager::shutDown();
    log.writeLog(5, "InputManager::shutDown(): successfully stopped.");
}

void InputManager::getInput()
{
    if (Recording::getInstance().isReplaying())
    {
        replayInput();
        return;
    }
    if (Config::getInstance().getHeadless())
        return;
    const DisplayManager &display_manager = DisplayManager::getInstance();
    if (!display_manager.getWindow())
    {
        LogManager::getInstance().writeLog(
            "InputManager::getInput(): DisplayManager unexpectedly returned null window!");
        return;
    }

    // The window is asked for afresh after every delivery: a handler may have stopped the display,
    // which deletes it.
    sf::RenderWindow *p_window = nullptr;
    sf::Event event;
    while ((p_window = display_manager.getWindow()) != nullptr && p_window->pollEvent(event))
    {
        switch (event.type)
        {
        case sf::Event::Closed:
            deliver(inputOf(RecordedInput::CLOSE, 0, 0));
            return;
        case sf::Event::KeyPressed:
        case sf::Event::KeyReleased:
        {
            const EventKeyboard keyboard = toEventKeyboard(event);
            deliver(inputOf(RecordedInput::KEY, event.type == sf::Event::KeyPressed ? KEY_PRESSED : KEY_RELEASED,
                            keyboard.getKey()));
            break;
        }
        case sf::Event::MouseMoved:
            deliver(inputOf(RecordedInput::MOUSE, MOVED, Mouse::UNDEFINED_MOUSE_BUTTON, event.mouseMove.x,
                            event.mouseMove.y));
            break;
        case sf::Event::MouseButtonPressed:
        {
            // The button is read from the mouse as it is now, not from the event: a click whose
            // button is already up again reports no button.
            int button = Mouse::UNDEFINED_MOUSE_BUTTON;
            if (event.mouseButton.button == sf::Mouse::Right)
                button = Mouse::RIGHT;
            if (sf::Mouse::isButtonPressed(sf::Mouse::Left))
                button = Mouse::LEFT;
            if (sf::Mouse::isButtonPressed(sf::Mouse::Middle))
                button = Mouse::MIDDLE;
            deliver(inputOf(RecordedInput::MOUSE, CLICKED, button, event.mouseButton.x, event.mouseButton.y));
            break;
        }
        default:
            break;
        }
    }

    p_window = display_manager.getWindow();
    // Keys and buttons are polled from the whole desktop: held in another window, they are not this game's.
    if (!p_window || !p_window->hasFocus())
        return;
    const sf::Vector2i pointer = sf::Mouse::getPosition(*p_window);
    const sf::Mouse::Button buttons[] = {sf::Mouse::Left, sf::Mouse::Right, sf::Mouse::Middle};
    const Mouse::Button engine_buttons[] = {Mouse::LEFT, Mouse::RIGHT, Mouse::MIDDLE};
    for (int i = 0; i < 3; i++)
        if (sf::Mouse::isButtonPressed(buttons[i]))
            deliver(inputOf(RecordedInput::MOUSE, PRESSED, engine_buttons[i], pointer.x, pointer.y));

    for (const PolledKey &polled : POLLED_KEYS)
        if (sf::Keyboard::isKeyPressed(polled.sfml))
            deliver(inputOf(RecordedInput::KEY, KEY_DOWN, polled.key));
}

EventKeyboard InputManager::toEventKeyboard(const sf::Event &event) const
{
    EventKeyboard keyboard;
    keyboard.setKey(engineKey(event.key.code));
    LogManager::getInstance().writeLog(15, "InputManager::toEventKeyboard(): Keyboard event '%c' (%d)",
                                       keyboard.getKey(), static_cast<int>(event.key.code));
    return keyboard;
}

void InputManager::deliver(const RecordedInput &input)
{
    Recording::getInstance().noteInput(input);
    switch (input.kind)
    {
    case RecordedInput::KEY:
    {
        EventKeyboard keyboard;
        keyboard.setKeyboardAction(input.action);
        keyboard.setKey(input.code);
        onEvent(&keyboard);
        break;
    }
    case RecordedInput::MOUSE:
    {
        EventMouse mouse;
        mouse.setMouseAction(input.action);
        mouse.setMouseButton(input.code);
        mouse.setMousePosition(cellsAt(input.x, input.y));
        onEvent(&mouse);
        break;
    }
    case RecordedInput::CLOSE:
        LogManager::getInstance().writeLog(1, "InputManager::getInput(): Window close event. Setting game over.");
        GameManager::getInstance().setGameOver();
        break;
    }
}

void InputManager::replayInput()
{
    // The window still answers its own events, but only the viewer's Q or close ends the replay.
    sf::RenderWindow *p_window = nullptr;
    sf::Event event;
    while ((p_window = DisplayManager::getInstance().getWindow()) != nullptr && p_window->pollEvent(event))
    {
        if (event.type == sf::Event::Closed ||
            (event.type == sf::Event::KeyPressed && event.key.code == sf::Keyboard::Q))
            GameManager::getInstance().setGameOver();
    }
    for (const RecordedInput &input : Recording::getInstance().takeInputs(GameManager::getInstance().getStepCount()))
    {
        deliver(input);
        // As when it came live: nothing after a close request is handled.
        if (input.kind == RecordedInput::CLOSE)
            return;
    }
}

} // namespace qv
