#include "test_support.h"

#include "Event.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

void EngineTest::SetUp()
{
    char pattern[] = "/tmp/quorvex-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
    config_path = dir + "/qv-config.txt";
    log_path = dir + "/quorvex.log";
    setenv("QUORVEX_CONFIG", config_path.c_str(), 1);
    setenv("QUORVEX_LOG", log_path.c_str(), 1);
    writeConfig("headless:true,\nframe_time:5,\nrandom_seed:-1,\n");
}

void EngineTest::TearDown()
{
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}

void EngineTest::writeConfig(const std::string &text) const
{
    writeFile("qv-config.txt", text);
}

std::string EngineTest::writeFile(const std::string &name, const std::string &text) const
{
    const std::string path = dir + "/" + name;
    std::ofstream out(path, std::ios::binary);
    out << text;
    return path;
}

std::string EngineTest::readLog() const
{
    std::fflush(nullptr);
    return readFile(log_path);
}

std::vector<std::string> EngineTest::logLines() const
{
    std::vector<std::string> lines;
    std::istringstream in(readLog());
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

std::vector<std::string> EngineTest::logMessages() const
{
    std::vector<std::string> messages;
    for (const std::string &line : logLines())
        messages.push_back(stripPrefix(line));
    return messages;
}

bool EngineTest::logHas(const std::string &message) const
{
    return logCount(message) > 0;
}

int EngineTest::logCount(const std::string &message) const
{
    int count = 0;
    for (const std::string &line : logMessages())
        if (line == message)
            count++;
    return count;
}

std::string readFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

std::string stripPrefix(const std::string &line)
{
    // "hh:mm:ss ", then the step count right-aligned in at least four columns, then one space.
    std::size_t at = 9;
    while (at < line.size() && line[at] == ' ')
        at++;
    while (at < line.size() && line[at] != ' ')
        at++;
    return at < line.size() ? line.substr(at + 1) : std::string();
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
