#include "Config.h"
#include "Event.h"
#include "LogManager.h"
#include "Manager.h"
#include "Object.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace
{

class AnyNameManager : public qv::Manager
{
public:
    bool isValid(const std::string &) const override { return true; }
};

class CountingObject : public qv::Object
{
public:
    int eventHandler(const qv::Event *) override
    {
        calls++;
        return 1;
    }

    long calls = 0; // events handled
};

} // namespace

// One delivery to N registered objects, as the loop's step event does every pass.
static void BM_OnEvent(benchmark::State &state)
{
    AnyNameManager manager;
    std::vector<std::unique_ptr<CountingObject>> objects;
    for (int i = 0; i < state.range(0); i++)
    {
        objects.push_back(std::make_unique<CountingObject>());
        manager.registerInterest(objects.back().get(), "tick");
    }
    qv::Event tick;
    tick.setType("tick");
    for (auto _ : state)
        benchmark::DoNotOptimize(manager.onEvent(&tick));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_OnEvent)->Arg(1)->Arg(100)->Arg(2000);

// A leveled line that the default level drops, and a line that is written (to /dev/null).
static void BM_WriteLog(benchmark::State &state)
{
    setenv("QUORVEX_LOG", "/dev/null", 1);
    setenv("QUORVEX_CONFIG", "/dev/null", 1);
    qv::Config::getInstance().loadConfig("");
    qv::LogManager &log = qv::LogManager::getInstance();
    if (!log.isStarted())
        log.startUp();
    const bool written = state.range(0) != 0;
    for (auto _ : state)
    {
        if (written)
            benchmark::DoNotOptimize(log.writeLog("frame %d of %s", 42, "the benchmark"));
        else
            benchmark::DoNotOptimize(log.writeLog(15, "frame %d of %s", 42, "the benchmark"));
    }
}
BENCHMARK(BM_WriteLog)->Arg(0)->Arg(1);

BENCHMARK_MAIN();
