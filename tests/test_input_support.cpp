#include "test_input_support.h"

#include "DisplayManager.h"
#include "EventKeyboard.h"
#include "EventMouse.h"
#include "InputManager.h"

#include <SFML/Graphics/RenderWindow.hpp>

#include <X11/Xlib.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <signal.h>
#include <thread>

namespace
{

FILE *p_server = nullptr; // the test's own X server: prints its process id, then its display number
pid_t server_pid = -1;

// Runs at exit after every static that was made after the server started, the window's among
// them: the window library talks to the server until its last static is gone.
void stopServer()
{
    kill(server_pid, SIGTERM);
    pclose(p_server);
}

// Starts Xvfb on a display number it picks itself and returns the number, or -1. The server dies
// with the test process, however that ends. Without -noreset it would reset whenever its last
// client leaves, as the window library's first look at the screen does, and refuse the window
// connecting meanwhile.
int startServer()
{
    p_server = popen("echo $$; exec setpriv --pdeathsig TERM Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp "
                     "-noreset 2>/dev/null",
                     "r");
    int display = -1;
    if (p_server == nullptr || std::fscanf(p_server, "%d %d", &server_pid, &display) < 1)
        return -1;
    std::atexit(stopServer);
    return display;
}

// Polls `done` for up to 20 s; fails the test if it never holds.
template <typename Done> void waitUntil(Done done, const std::string &what)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_TRUE(done()) << what << " never happened";
}

// The name of an action from its value, counting from 0.
std::string actionName(int action, const std::vector<std::string> &names)
{
    return action >= 0 && action < static_cast<int>(names.size()) ? names[static_cast<std::size_t>(action)]
                                                                  : "undefined";
}

} // namespace

void InputWindowTest::SetUp()
{
    WindowTest::SetUp();
    if (IsSkipped())
        return;
    const int display = startServer();
    ASSERT_GE(display, 0) << "Xvfb did not start";
    setenv("DISPLAY", (":" + std::to_string(display)).c_str(), 1);
    startWindow("window_title:Quorvex input test,\n");
    xdotool("windowfocus --sync " + windowId());
}

void InputWindowTest::xdotool(const std::string &arguments) const
{
    const std::string command = "timeout 30 xdotool " + arguments + " 2>" + dir + "/xdotool.err";
    ASSERT_EQ(std::system(command.c_str()), 0) << command << ": " << readFile(dir + "/xdotool.err");
}

std::string InputWindowTest::windowId() const
{
    return std::to_string(qv::DisplayManager::getInstance().getWindow()->getSystemHandle());
}

void InputWindowTest::pass()
{
    pass_count++;
    qv::DisplayManager::getInstance().swapBuffers();
    qv::InputManager::getInstance().getInput();
}

void InputWindowTest::waitForKey(sf::Keyboard::Key key, bool held) const
{
    waitUntil([&] { return sf::Keyboard::isKeyPressed(key) == held; },
              "key " + std::to_string(key) + " held " + std::to_string(held));
}

void InputWindowTest::waitForButton(sf::Mouse::Button button, bool held) const
{
    waitUntil([&] { return sf::Mouse::isButtonPressed(button) == held; },
              "button " + std::to_string(button) + " held " + std::to_string(held));
}

void InputWindowTest::waitForPointer(int x, int y) const
{
    const sf::RenderWindow &window = *qv::DisplayManager::getInstance().getWindow();
    waitUntil([&] { return sf::Mouse::getPosition(window) == sf::Vector2i(x, y); },
              "pointer at " + std::to_string(x) + "," + std::to_string(y));
}

void InputWindowTest::settle() const
{
    sf::Mouse::getPosition(*qv::DisplayManager::getInstance().getWindow());
}

void InputWindowTest::sendCloseRequest() const
{
    void *xlib = dlopen("libX11.so.6", RTLD_NOW);
    ASSERT_NE(xlib, nullptr) << dlerror();
    auto open_display = reinterpret_cast<decltype(&XOpenDisplay)>(dlsym(xlib, "XOpenDisplay"));
    auto intern_atom = reinterpret_cast<decltype(&XInternAtom)>(dlsym(xlib, "XInternAtom"));
    auto send_event = reinterpret_cast<decltype(&XSendEvent)>(dlsym(xlib, "XSendEvent"));
    auto close_display = reinterpret_cast<decltype(&XCloseDisplay)>(dlsym(xlib, "XCloseDisplay"));
    ASSERT_TRUE(open_display && intern_atom && send_event && close_display);

    // Its own connection, as a window manager has; closing it waits until the server has sent
    // the message on.
    Display *p_display = open_display(nullptr);
    ASSERT_NE(p_display, nullptr);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = qv::DisplayManager::getInstance().getWindow()->getSystemHandle();
    event.xclient.message_type = intern_atom(p_display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(intern_atom(p_display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    EXPECT_NE(send_event(p_display, event.xclient.window, False, NoEventMask, &event), 0);
    close_display(p_display);
    dlclose(xlib);
}

InputRecorder::InputRecorder(const int *p_pass) : p_pass(p_pass)
{
    registerInterest(qv::KEYBOARD_EVENT);
    registerInterest(qv::MOUSE_EVENT);
}

int InputRecorder::eventHandler(const qv::Event *p_event)
{
    if (const auto *p_key = dynamic_cast<const qv::EventKeyboard *>(p_event))
    {
        keys.push_back(keyLine(*p_pass, p_key->getKeyboardAction(), p_key->getKey()));
        if (on_key)
            on_key();
    }
    else if (const auto *p_mouse = dynamic_cast<const qv::EventMouse *>(p_event))
    {
        char line[100];
        std::snprintf(line, sizeof(line), "%d %s %d (%.2f,%.2f)", *p_pass,
                      actionName(p_mouse->getMouseAction(), {"clicked", "pressed", "moved"}).c_str(),
                      p_mouse->getMouseButton(), static_cast<double>(p_mouse->getMousePosition().getX()),
                      static_cast<double>(p_mouse->getMousePosition().getY()));
        mouse.push_back(line);
    }
    return 1;
}

std::string keyLine(int pass, int action, int key)
{
    return std::to_string(pass) + " " + actionName(action, {"pressed", "released", "down"}) + " " + std::to_string(key);
}
