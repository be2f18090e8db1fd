#include "Config.h"
#include "Event.h"
#include "EventCollision.h"
#include "GameManager.h"
#include "Object.h"
#include "ObjectList.h"
#include "ObjectListIterator.h"
#include "SceneGraph.h"
#include "WorldManager.h"
#include "bench_support.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace
{

// Walks back and forth along its row, turning round at whatever it runs into or leaves through.
class Mover : public qv::Object
{
public:
    int eventHandler(const qv::Event *p_event) override
    {
        const std::string type = p_event->getType();
        if (type == qv::COLLISION_EVENT)
        {
            if (static_cast<const qv::EventCollision *>(p_event)->getObject1() == this)
                turn();
            return 1;
        }
        if (type == qv::OUT_EVENT)
        {
            turn();
            return 1;
        }
        return 0;
    }

private:
    void turn() { setDirection(qv::Vector(-getDirection().getX(), -getDirection().getY())); }
};

// A world of `count` objects on a square grid with two cells between neighbours: half of them
// HARD walls standing still, a quarter HARD movers and a quarter SOFT movers, all in view.
void buildWorld(int count)
{
    startEngine();
    const int side = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(count))));
    const float extent = static_cast<float>(side * 2 + 2);
    qv::WorldManager &world = qv::WorldManager::getInstance();
    world.setBoundary(qv::Box(qv::Vector(0, 0), extent, extent));
    world.setView(qv::Box(qv::Vector(0, 0), extent, extent));
    for (int i = 0; i < count; i++)
    {
        const qv::Vector cell(static_cast<float>(i % side * 2 + 1), static_cast<float>(i / side * 2 + 1));
        if (i % 2 == 0)
        {
            qv::Object *p_wall = new qv::Object;
            p_wall->setType("Wall");
            p_wall->setPosition(cell);
            continue;
        }
        Mover *p_mover = new Mover;
        p_mover->setType("Mover");
        p_mover->setPosition(cell);
        p_mover->setSolidness(i % 4 == 1 ? qv::HARD : qv::SOFT);
        p_mover->setVelocity(qv::Vector(i % 8 < 4 ? 0.5f : -0.5f, 0));
    }
}

// Passes over a world of state.range(0) objects; with `grid` off the collision queries scan every
// solid object, the reference the grid is measured against.
void runPasses(benchmark::State &state, bool grid)
{
    buildWorld(static_cast<int>(state.range(0)));
    qv::SceneGraph &scene_graph = qv::WorldManager::getInstance().getSceneGraph();
    const qv::Config &config = qv::Config::getInstance();
    scene_graph.setGrid(grid ? config.getGridWidth() : 0, grid ? config.getGridHeight() : 0);
    for (auto _ : state)
        qv::WorldManager::getInstance().update();
    state.SetItemsProcessed(state.iterations() * state.range(0));
    clearWorld();
    scene_graph.setGrid(config.getGridWidth(), config.getGridHeight());
}

void BM_WorldUpdate(benchmark::State &state)
{
    runPasses(state, true);
}
BENCHMARK(BM_WorldUpdate)->Arg(100)->Arg(1000)->Arg(5000)->Arg(20000)->Unit(benchmark::kMicrosecond);

void BM_WorldUpdateFlat(benchmark::State &state)
{
    runPasses(state, false);
}
BENCHMARK(BM_WorldUpdateFlat)->Arg(100)->Arg(1000)->Arg(5000)->Unit(benchmark::kMicrosecond);

void BM_WorldDraw(benchmark::State &state)
{
    buildWorld(static_cast<int>(state.range(0)));
    for (auto _ : state)
        qv::WorldManager::getInstance().draw();
    state.SetItemsProcessed(state.iterations() * state.range(0));
    clearWorld();
}
BENCHMARK(BM_WorldDraw)->Arg(100)->Arg(1000)->Arg(5000)->Arg(20000)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
