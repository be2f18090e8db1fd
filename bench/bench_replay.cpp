#include "Box.h"
#include "GameManager.h"
#include "GameStart.h"
#include "Recording.h"
#include "Vector.h"
#include "WorldManager.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace
{

// The project's root, where the game's sprites and the kept session are: three folders above
// build/bench/bench_replay.
std::filesystem::path projectRoot()
{
    std::error_code ignored;
    return std::filesystem::canonical("/proc/self/exe", ignored).parent_path().parent_path().parent_path();
}

// Plays `file` back headless from start-up to shut-down, as `dungeon --replay` does; the passes run.
int replay(const std::string &file)
{
    std::string error;
    if (qv::Recording::getInstance().loadReplay(file, &error) != 0)
        return -1;
    qv::GameManager &game_manager = qv::GameManager::getInstance();
    if (game_manager.startUp() != 0)
        return -1;
    loadResources();
    qv::WorldManager::getInstance().setBoundary(qv::Box(qv::Vector(0, 0), WORLD_WIDTH, WORLD_HEIGHT));
    new GameStart;
    game_manager.run();
    const int passes = game_manager.getStepCount();
    game_manager.shutDown();
    return passes;
}

} // namespace

// One iteration replays the dungeon session the tests keep (a fight, the walk to the stairs and
// a new floor), start-up and shut-down included; with argument 0, a session of the same start that
// ends in its first pass, which is the fixed cost. The counter gives the passes replayed a second.
static void BM_ReplayKeptSession(benchmark::State &state)
{
    setenv("ALSOFT_DRIVERS", "null", 1);
    if (chdir(projectRoot().c_str()) != 0 || !std::filesystem::exists("tests/data/dungeon-session.txt"))
    {
        state.SkipWithError("the kept session was not found");
        return;
    }
    char pattern[] = "/tmp/quorvex-bench-XXXXXX";
    const std::string dir = mkdtemp(pattern);
    std::ofstream(dir + "/qv-config.txt") << "headless:true,\n";
    setenv("QUORVEX_CONFIG", (dir + "/qv-config.txt").c_str(), 1);
    setenv("QUORVEX_LOG", (dir + "/quorvex.log").c_str(), 1);
    std::string file = "tests/data/dungeon-session.txt";
    if (state.range(0) == 0)
    {
        std::ifstream kept(file);
        std::ostringstream start;
        std::string line;
        for (int i = 0; i < 3 && std::getline(kept, line); i++)
            start << line << "\n";
        file = dir + "/empty-session.txt";
        std::ofstream(file) << start.str() << "end 0\n";
    }
    long long passes = 0;
    for (auto _ : state)
    {
        const int run = replay(file);
        if (run < 0)
        {
            state.SkipWithError("the session could not be replayed");
            break;
        }
        passes += run;
    }
    state.counters["passes"] = benchmark::Counter(static_cast<double>(passes), benchmark::Counter::kIsRate);
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}
BENCHMARK(BM_ReplayKeptSession)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
