#pragma once

#include "Object.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

// Every test gets a folder of its own, with QUORVEX_CONFIG and QUORVEX_LOG pointing into it, so
// the engine's singletons (fresh in each test process) read and write only there.
class EngineTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    /// Writes the configuration file the engine will read.
    void writeConfig(const std::string &text) const;
    /// Writes `text` to `name` inside the test's folder and returns its path.
    std::string writeFile(const std::string &name, const std::string &text) const;
    /// The whole log file.
    std::string readLog() const;
    /// The log's lines with the time and step prefixes removed.
    std::vector<std::string> logMessages() const;
    /// Does some line of the log carry exactly this message?
    bool logHas(const std::string &message) const;
    /// How many lines of the log carry exactly this message.
    int logCount(const std::string &message) const;
    /// The log's lines as written, prefixes included.
    std::vector<std::string> logLines() const;

    std::string dir;         // the test's own folder
    std::string config_path; // QUORVEX_CONFIG
    std::string log_path;    // QUORVEX_LOG
};

/// Reads a whole file; empty if it cannot be read.
std::string readFile(const std::string &path);
/// Removes the "hh:mm:ss nnnn " prefix of a log line.
std::string stripPrefix(const std::string &line);

/// Are all of `wanted` found in `lines`, in this order (other lines may come between)?
bool containsInOrder(const std::vector<std::string> &lines, const std::vector<std::string> &wanted);

/// An object that records the events it is handed and can run a test's code on each.
class RecordingObject : public qv::Object
{
public:
    int eventHandler(const qv::Event *p_event) override;

    std::vector<std::string> received;               // types of the events handled, in order
    std::function<void(const qv::Event *)> on_event; // runs after recording, when set
};
