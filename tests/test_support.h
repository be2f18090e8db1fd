#pragma once

#include "Object.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

// Every test gets a folder of its own, with QUORVEX_CONFIG and QUORVEX_LOG pointing into it, so
// the engine's singletons (fresh in each test process) read and write only there.
class EngineTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override { std::filesystem::remove_all(dir); }

    void writeConfig(const std::string &text) const { writeFile("qv-config.txt", text); }
    /// Writes `text` to `name` in the test's folder; returns its path.
    std::string writeFile(const std::string &name, const std::string &text) const;
    std::string readLog() const;
    /// The log's lines without their time and step count.
    std::vector<std::string> logMessages() const;
    bool logHas(const std::string &message) const { return logCount(message) > 0; }
    int logCount(const std::string &message) const;

    std::string dir;      // the test's own folder
    std::string log_path; // QUORVEX_LOG
};

/// A whole file; empty if it cannot be read.
std::string readFile(const std::string &path);
/// Are all of `wanted` found in `lines`, in this order (other lines may come between)?
bool containsInOrder(const std::vector<std::string> &lines, const std::vector<std::string> &wanted);

/// Records the types of the events it is handed, and runs `on_event` (when set) on each.
class RecordingObject : public qv::Object
{
public:
    int eventHandler(const qv::Event *p_event) override;

    std::vector<std::string> received;
    std::function<void(const qv::Event *)> on_event;
};
