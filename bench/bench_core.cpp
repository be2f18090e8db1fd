#include "ObjectList.h"
#include "attribute_text.h"

#include <benchmark/benchmark.h>

#include <string>

static void BM_MatchParse(benchmark::State &state)
{
    std::string text;
    for (int i = 0; i < state.range(0); i++)
        text += "key" + std::to_string(i) + ":" + std::to_string(i * 7) + ",";
    for (auto _ : state)
        benchmark::DoNotOptimize(qv::match(text, "key0"));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_MatchParse)->Arg(20)->Arg(200)->Arg(2000);

static void BM_ObjectListCopy(benchmark::State &state)
{
    qv::ObjectList list;
    for (int i = 0; i < state.range(0); i++)
        list.insert(reinterpret_cast<qv::Object *>(static_cast<std::uintptr_t>(i + 1) * 8));
    for (auto _ : state)
    {
        qv::ObjectList copy = list;
        benchmark::DoNotOptimize(copy.getCount());
    }
}
BENCHMARK(BM_ObjectListCopy)->Arg(100)->Arg(1000)->Arg(5000);

BENCHMARK_MAIN();
