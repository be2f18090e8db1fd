#include "SceneGraph.h"
#include "world_support.h"

#include <algorithm>
#include <functional>
#include <random>

using qv::Box;
using qv::Vector;

namespace
{

// Every object of `live` is in exactly the stores its fields call for, and no store holds more.
void expectConsistent(const std::vector<qv::Object *> &live)
{
    qv::SceneGraph &graph = qv::WorldManager::getInstance().getSceneGraph();
    int counts[4 + qv::MAX_ALTITUDE + 1] = {}; // active, inactive, solid, typed, visible by altitude
    for (qv::Object *p_o : live)
    {
        const bool on = p_o->isActive();
        const bool in[] = {on, !on, on && p_o->isSolid(), on};
        const qv::ObjectList stores[] = {graph.activeObjects(), graph.inactiveObjects(), graph.solidObjects(),
                                         graph.objectsOfType(p_o->getType())};
        for (int s = 0; s < 4; s++)
        {
            counts[s] += in[s];
            EXPECT_EQ(occurrences(stores[s], p_o), in[s]) << "object " << p_o->getId() << " store " << s;
        }
        for (int altitude = 0; altitude <= qv::MAX_ALTITUDE; altitude++)
        {
            const int shown = on && p_o->isVisible() && p_o->getAltitude() == altitude;
            counts[4 + altitude] += shown;
            EXPECT_EQ(occurrences(graph.visibleObjects(altitude), p_o), shown) << p_o->getId() << " at " << altitude;
        }
    }
    const int typed = graph.objectsOfType("A").getCount() + graph.objectsOfType("B").getCount() +
                      graph.objectsOfType("(Undefined)").getCount();
    const int sizes[] = {graph.activeObjects().getCount(), graph.inactiveObjects().getCount(),
                         graph.solidObjects().getCount(), typed};
    for (int s = 0; s < 4; s++)
        EXPECT_EQ(sizes[s], counts[s]) << "store " << s;
    for (int altitude = 0; altitude <= qv::MAX_ALTITUDE; altitude++)
        EXPECT_EQ(graph.visibleObjects(altitude).getCount(), counts[4 + altitude]) << "altitude " << altitude;
}

} // namespace

using SceneGraphTest = WorldTest;

TEST_F(SceneGraphTest, StoresFollowEverySequenceOfChanges)
{
    std::vector<qv::Object *> live(12);
    std::generate(live.begin(), live.end(), [] { return new qv::Object; });
    const std::function<void(qv::Object *, int)> changes[] = {
        [](qv::Object *p_o, int) { EXPECT_EQ(p_o->setActive(!p_o->isActive()), 0); },
        [](qv::Object *p_o, int r) { EXPECT_EQ(p_o->setSolidness(static_cast<qv::Solidness>(r % 3)), 0); },
        [](qv::Object *p_o, int r) { EXPECT_EQ(p_o->setAltitude(r % 5), 0); },
        [](qv::Object *p_o, int) { EXPECT_EQ(p_o->setVisible(!p_o->isVisible()), 0); },
        [](qv::Object *p_o, int r) { p_o->setType(r % 2 ? "A" : "B"); },
        [](qv::Object *p_o, int r) { p_o->setBox(Box(Vector(-1, -1), static_cast<float>(r % 3 + 1), 2)); },
        [](qv::Object *p_o, int r)
        {
            const int altitude = p_o->getAltitude();
            const qv::Solidness solidness = p_o->getSolidness();
            EXPECT_EQ(p_o->setAltitude(r % 2 ? -1 : 5), -1);
            EXPECT_EQ(p_o->setSolidness(static_cast<qv::Solidness>(r % 2 ? -1 : 3)), -1);
            EXPECT_EQ(p_o->getAltitude(), altitude);
            EXPECT_EQ(p_o->getSolidness(), solidness);
        },
        [&live](qv::Object *p_o, int)
        {
            world().markForDelete(p_o);
            world().markForDelete(p_o);
            world().update();
            *std::find(live.begin(), live.end(), p_o) = new qv::Object;
        },
    };
    std::mt19937 next(12345);
    for (int step = 0; step < 400 && !HasFailure(); step++)
    {
        qv::Object *p_o = live[next() % live.size()];
        const unsigned what = next() % 8;
        SCOPED_TRACE(testing::Message() << "step " << step << ", change " << what << ", object " << p_o->getId());
        changes[what](p_o, static_cast<int>(next() % 1000));
        expectConsistent(live);
    }
}
