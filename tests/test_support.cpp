#include "test_support.h"

#include "Event.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

void EngineTest::SetUp()
{
    char pattern[] = "/tmp/quorvex-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
    log_path = dir + "/quorvex.log";
    setenv("QUORVEX_CONFIG", (dir + "/qv-config.txt").c_str(), 1);
    setenv("QUORVEX_LOG", log_path.c_str(), 1);
    writeConfig("headless:true,\nframe_time:5,\nrandom_seed:-1,\n");
}

std::string EngineTest::writeFile(const std::string &name, const std::string &text) const
{
    const std::string path = dir + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

std::string EngineTest::readLog() const
{
    std::fflush(nullptr);
    return readFile(log_path);
}

std::vector<std::string> EngineTest::logMessages() const
{
    std::vector<std::string> messages;
    std::istringstream in(readLog());
    for (std::string line; std::getline(in, line);)
    {
        // "hh:mm:ss ", the step count right-aligned in at least four columns, one space.
        const std::size_t end_of_count = line.find(' ', line.find_first_not_of(' ', 9));
        messages.push_back(end_of_count == std::string::npos ? "" : line.substr(end_of_count + 1));
    }
    return messages;
}

int EngineTest::logCount(const std::string &message) const
{
    const std::vector<std::string> messages = logMessages();
    return static_cast<int>(std::count(messages.begin(), messages.end(), message));
}

std::string readFile(const std::string &path)
{
    std::stringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

bool containsInOrder(const std::vector<std::string> &lines, const std::vector<std::string> &wanted)
{
    std::size_t next = 0;
    for (const std::string &line : lines)
        if (next < wanted.size() && line == wanted[next])
            next++;
    return next == wanted.size();
}

int RecordingObject::eventHandler(const qv::Event *p_event)
{
    received.push_back(p_event->getType());
    if (on_event)
        on_event(p_event);
    return 1;
}
