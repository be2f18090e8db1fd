#include "EventKeyboard.h"
#include "EventStep.h"
#include "GameManager.h"
#include "GameStart.h"
#include "Hero.h"
#include "InputManager.h"
#include "Map.h"
#include "PathManager.h"
#include "WatchServer.h"
#include "WorldManager.h"
#include "bench_support.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <unistd.h>

namespace
{

// The project's root, where the game's sprites are: three folders above build/bench/bench_watch.
std::filesystem::path projectRoot()
{
    std::error_code ignored;
    return std::filesystem::canonical("/proc/self/exe", ignored).parent_path().parent_path().parent_path();
}

void holdKey(int key)
{
    qv::EventKeyboard event;
    event.setKey(key);
    event.setKeyboardAction(qv::KEY_DOWN);
    qv::InputManager::getInstance().onEvent(&event);
}

} // namespace

// Bytes sent to a watcher per pass while the hero walks a floor (right, down, left and up in
// turns) and its monsters wander, search and chase; one iteration is one pass of the game. The
// counters give the mean and largest change message and the whole world a joining watcher gets
// on the new floor, all with their 4-byte length field.
static void BM_WatchBusyFloor(benchmark::State &state)
{
    setenv("ALSOFT_DRIVERS", "null", 1);
    startEngine();
    if (chdir(projectRoot().c_str()) != 0 || !std::filesystem::exists("sprites"))
    {
        state.SkipWithError("the game's sprites were not found");
        return;
    }
    loadResources();
    qv::WorldManager &world_manager = qv::WorldManager::getInstance();
    world_manager.setBoundary(qv::Box(qv::Vector(0, 0), WORLD_WIDTH, WORLD_HEIGHT));
    WatchServer *p_server = new WatchServer;
    // Each pass's message is asked for below, where it can be measured.
    p_server->unregisterInterest(qv::STEP_EVENT);
    GameStart *p_start = new GameStart;
    qv::EventKeyboard start;
    start.setKey(qv::Keyboard::P);
    start.setKeyboardAction(qv::KEY_RELEASED);
    qv::InputManager::getInstance().onEvent(&start);
    p_server->changes();
    const double world_bytes = static_cast<double>(p_server->wholeWorld().size() + 4);
    const double monsters = static_cast<double>(p_start->getMap()->getMonsters().size());

    const int directions[] = {qv::Keyboard::RIGHT_ARROW, qv::Keyboard::DOWN_ARROW, qv::Keyboard::LEFT_ARROW,
                              qv::Keyboard::UP_ARROW};
    long long bytes = 0;
    int largest = 0;
    int pass = 0;
    for (auto _ : state)
    {
        holdKey(directions[(pass / 45) % 4]);
        qv::EventStep step(pass);
        qv::GameManager::getInstance().onEvent(&step);
        world_manager.update();
        world_manager.draw();
        qv::PathManager::getInstance().cycle(5);
        p_server->changes();
        bytes += p_server->getLastMessageBytes();
        largest = std::max(largest, p_server->getLastMessageBytes());
        pass++;
    }
    state.counters["bytes_per_pass"] = static_cast<double>(bytes) / pass;
    state.counters["largest_pass"] = largest;
    state.counters["world_bytes"] = world_bytes;
    state.counters["monsters"] = monsters;
    // Monsters that catch the hero too often end the game, which clears the floor.
    state.counters["hero_alive"] = p_start->getHero()->isDead() ? 0 : 1;
    stopEngine();
}
BENCHMARK(BM_WatchBusyFloor)->Iterations(240)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
