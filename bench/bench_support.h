#pragma once

#include "GameManager.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

// A headless engine for the benchmarks of one program, with its configuration and log in a
// temporary folder that stopEngine removes.
inline std::string &engineDir()
{
    static std::string dir;
    return dir;
}

/// Starts the headless engine once; later calls do nothing.
inline void startEngine()
{
    std::string &dir = engineDir();
    if (!dir.empty())
        return;
    char pattern[] = "/tmp/quorvex-bench-XXXXXX";
    dir = mkdtemp(pattern);
    std::ofstream(dir + "/qv-config.txt") << "headless:true,\nrandom_seed:-1,\n";
    setenv("QUORVEX_CONFIG", (dir + "/qv-config.txt").c_str(), 1);
    setenv("QUORVEX_LOG", (dir + "/quorvex.log").c_str(), 1);
    qv::GameManager::getInstance().startUp();
}

/// Stops the engine and removes its folder.
inline void stopEngine()
{
    std::string &dir = engineDir();
    if (dir.empty())
        return;
    qv::GameManager::getInstance().shutDown();
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
    dir.clear();
}

/// The main of a benchmark program whose benchmarks share one engine: runs them, then stops it.
inline int runBenchmarks(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    stopEngine();
    return 0;
}
