#include "Event.h"
#include "EventCollision.h"
#include "GameManager.h"
#include "Object.h"
#include "ObjectList.h"
#include "ObjectListIterator.h"
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

void BM_WorldUpdate(benchmark::State &state)
{
    buildWorld(static_cast<int>(state.range(0)));
    for (auto _ : state)
        qv::WorldManager::getInstance().update();
    state.SetItemsProcessed(state.iterations() * state.range(0));
    clearWorld();
}
BENCHMARK(BM_WorldUpdate)->Arg(100)->Arg(1000)->Arg(5000)->Unit(benchmark::kMicrosecond);

void BM_WorldDraw(benchmark::State &state)
{
    buildWorld(static_cast<int>(state.range(0)));
    for (auto _ : state)
        qv::WorldManager::getInstance().draw();
    state.SetItemsProcessed(state.iterations() * state.range(0));
    clearWorld();
}
BENCHMARK(BM_WorldDraw)->Arg(100)->Arg(1000)->Arg(5000)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
