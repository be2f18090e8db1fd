#include "test_input_support.h"

#include "DisplayManager.h"
#include "InputManager.h"

#include <cstdio>
#include <cstdlib>
#include <signal.h>

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

} // namespace

// Without -noreset the server would reset whenever its last client leaves, as the window library's
// first look at the screen does, and refuse the window connecting meanwhile.
int startXServer()
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

void InputWindowTest::SetUp()
{
    WindowTest::SetUp();
    if (IsSkipped())
        return;
    const int display = startXServer();
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

void InputWindowTest::pass()
{
    pass_count++;
    qv::DisplayManager::getInstance().swapBuffers();
    qv::InputManager::getInstance().getInput();
}
