#include "test_input_support.h"

#include "DisplayManager.h"
#include "InputManager.h"

#include <cstdlib>

void InputWindowTest::SetUp()
{
    WindowTest::SetUp();
    if (IsSkipped())
        return;
    const int display = startDisplayServer();
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
