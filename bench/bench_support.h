#pragma once

#include "GameManager.h"
#include "ObjectList.h"
#include "ObjectListIterator.h"
#include "SceneGraph.h"
#include "WorldManager.h"

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

/// Deletes every active object of the world.
inline void clearWorld()
{
    qv::WorldManager &world = qv::WorldManager::getInstance();
    const qv::ObjectList all = world.getSceneGraph().activeObjects();
    qv::ObjectListIterator it(&all);
    for (it.first(); !it.isDone(); it.next())
        world.markForDelete(it.currentObject());
    world.update();
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
