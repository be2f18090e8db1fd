#include "SceneGraph.h"
#include "world_support.h"

#include <algorithm>
#include <cstdio>

using qv::Box;
using qv::Vector;

class SceneGraphTest : public WorldTest
{
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        // An inactive object whose box covers the world: what it would collide with is exactly the
        // store of solid objects.
        p_probe = new qv::Object;
        p_probe->setBox(Box(Vector(-1000, -1000), 2000, 2000));
        p_probe->setActive(false);
    }

    static qv::SceneGraph &graph() { return world().getSceneGraph(); }

    qv::ObjectList solidObjects() const { return graph().getCollisions(p_probe, Vector(0, 0)); }

    // Every object in `live` is in exactly the stores its fields call for, and the stores hold
    // nothing else.
    void expectConsistent(const std::vector<qv::Object *> &live, const std::string &after)
    {
        std::vector<qv::Object *> all = live;
        all.push_back(p_probe);
        const qv::ObjectList active = graph().activeObjects();
        const qv::ObjectList inactive = graph().inactiveObjects();
        const qv::ObjectList solid = solidObjects();
        int expected_active = 0;
        int expected_solid = 0;
        int expected_visible[qv::MAX_ALTITUDE + 1] = {};
        for (qv::Object *p_o : all)
        {
            const bool on = p_o->isActive();
            expected_active += on;
            EXPECT_EQ(occurrences(active, p_o), on ? 1 : 0) << after << ": object " << p_o->getId();
            EXPECT_EQ(occurrences(inactive, p_o), on ? 0 : 1) << after << ": object " << p_o->getId();
            EXPECT_EQ(occurrences(graph().objectsOfType(p_o->getType()), p_o), on ? 1 : 0)
                << after << ": object " << p_o->getId() << " by type " << p_o->getType();
            if (p_o != p_probe)
            {
                expected_solid += on && p_o->isSolid();
                EXPECT_EQ(occurrences(solid, p_o), on && p_o->isSolid() ? 1 : 0)
                    << after << ": object " << p_o->getId();
            }
            for (int altitude = 0; altitude <= qv::MAX_ALTITUDE; altitude++)
            {
                const bool shown = on && p_o->isVisible() && p_o->getAltitude() == altitude;
                expected_visible[altitude] += shown;
                EXPECT_EQ(occurrences(graph().visibleObjects(altitude), p_o), shown ? 1 : 0)
                    << after << ": object " << p_o->getId() << " at altitude " << altitude;
            }
        }
        EXPECT_EQ(active.getCount() + inactive.getCount(), static_cast<int>(all.size())) << after;
        EXPECT_EQ(active.getCount(), expected_active) << after;
        EXPECT_EQ(solid.getCount(), expected_solid) << after;
        for (int altitude = 0; altitude <= qv::MAX_ALTITUDE; altitude++)
            EXPECT_EQ(graph().visibleObjects(altitude).getCount(), expected_visible[altitude]) << after;
        int typed = 0;
        for (const char *type : {"A", "B", "C", "(Undefined)"})
            typed += graph().objectsOfType(type).getCount();
        EXPECT_EQ(typed, expected_active) << after;
    }

    qv::Object *p_probe = nullptr;
};

TEST_F(SceneGraphTest, StoresFollowEverySequenceOfChanges)
{
    std::vector<qv::Object *> live;
    for (int i = 0; i < 12; i++)
        live.push_back(new qv::Object);
    expectConsistent(live, "creation");

    unsigned seed = 12345;
    auto next = [&seed](unsigned range)
    {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % range;
    };
    const char *types[] = {"A", "B", "C"};
    for (int step = 0; step < 400; step++)
    {
        qv::Object *p_o = live[next(static_cast<unsigned>(live.size()))];
        const unsigned what = next(9);
        std::string done;
        switch (what)
        {
        case 0:
            EXPECT_EQ(p_o->setActive(!p_o->isActive()), 0);
            done = "setActive";
            break;
        case 1:
            EXPECT_EQ(p_o->setSolidness(static_cast<qv::Solidness>(next(3))), 0);
            done = "setSolidness";
            break;
        case 2:
            EXPECT_EQ(p_o->setAltitude(static_cast<int>(next(5))), 0);
            done = "setAltitude";
            break;
        case 3:
        {
            const int altitude = p_o->getAltitude();
            EXPECT_EQ(p_o->setAltitude(next(2) == 0 ? -1 : 5), -1);
            EXPECT_EQ(p_o->getAltitude(), altitude);
            done = "setAltitude out of range";
            break;
        }
        case 4:
            EXPECT_EQ(p_o->setVisible(!p_o->isVisible()), 0);
            done = "setVisible";
            break;
        case 5:
            p_o->setType(types[next(3)]);
            done = "setType";
            break;
        case 6:
            p_o->setBox(Box(Vector(-1, -1), static_cast<float>(next(3) + 1), 2));
            done = "setBox";
            break;
        case 7:
        {
            world().markForDelete(p_o);
            if (next(2) == 0)
                world().markForDelete(p_o);
            world().update();
            live.erase(std::find(live.begin(), live.end(), p_o));
            live.push_back(new qv::Object);
            done = "deletion";
            break;
        }
        default:
            EXPECT_EQ(p_o->setSolidness(static_cast<qv::Solidness>(3)), -1);
            done = "setSolidness out of range";
            break;
        }
        expectConsistent(live, "step " + std::to_string(step) + " " + done);
        if (HasFailure())
            break;
    }
}

TEST_F(SceneGraphTest, InactiveObjectsLiveOnlyInTheInactiveStore)
{
    qv::Object *p_o = new qv::Object;
    p_o->setType("Wall");
    p_o->setActive(false);
    EXPECT_EQ(graph().removeObject(p_o), 0);
    EXPECT_EQ(graph().insertObject(p_o), 0);
    EXPECT_EQ(occurrences(graph().inactiveObjects(), p_o), 1);
    EXPECT_EQ(graph().objectsOfType("Wall").getCount(), 0);

    p_o->setAltitude(0);
    p_o->setSolidness(qv::SOFT);
    EXPECT_EQ(graph().visibleObjects(2).getCount(), 0);
    ASSERT_EQ(p_o->setActive(true), 0);
    EXPECT_EQ(occurrences(graph().objectsOfType("Wall"), p_o), 1);
    EXPECT_EQ(occurrences(graph().visibleObjects(0), p_o), 1);
    EXPECT_EQ(occurrences(solidObjects(), p_o), 1);
    EXPECT_EQ(occurrences(graph().inactiveObjects(), p_o), 0);
}

TEST_F(SceneGraphTest, RetypingAnInactiveObjectIsReportedButTakesEffectOnActivation)
{
    qv::Object *p_o = new qv::Object;
    p_o->setActive(false);
    p_o->setType("Monster");
    EXPECT_EQ(p_o->getType(), "Monster");
    char message[128];
    std::snprintf(message, sizeof message, "SceneGraph::updateType(): Error! Unable to remove Object (%d) type %s",
                  p_o->getId(), "(Undefined)");
    EXPECT_TRUE(logHas(message));
    p_o->setActive(true);
    EXPECT_EQ(occurrences(graph().objectsOfType("Monster"), p_o), 1);
    EXPECT_EQ(graph().objectsOfType("(Undefined)").getCount(), 0);
}

TEST_F(SceneGraphTest, VisibleObjectsOutsideTheAltitudesIsAnEmptyList)
{
    new qv::Object;
    EXPECT_TRUE(graph().visibleObjects(5).isEmpty());
    EXPECT_TRUE(graph().visibleObjects(-1).isEmpty());
    EXPECT_TRUE(logHas("SceneGraph::visibleObjects(): Warning! altitude 5 not in [0,4]."));
    EXPECT_TRUE(logHas("SceneGraph::visibleObjects(): Warning! altitude -1 not in [0,4]."));
    EXPECT_EQ(graph().visibleObjects(2).getCount(), 1);
}

TEST_F(SceneGraphTest, CollisionsAreActiveSolidOthersThatOverlap)
{
    qv::Object *p_mover = new qv::Object;
    qv::Object *p_hard = new qv::Object;
    qv::Object *p_soft = new qv::Object;
    qv::Object *p_ghost = new qv::Object;
    qv::Object *p_asleep = new qv::Object;
    qv::Object *p_far = new qv::Object;
    p_soft->setSolidness(qv::SOFT);
    p_ghost->setSolidness(qv::SPECTRAL);
    p_asleep->setActive(false);
    p_far->setPosition(Vector(3, 1));

    const qv::ObjectList collisions = graph().getCollisions(p_mover, Vector(1, 1));

    EXPECT_EQ(toVector(collisions), (std::vector<qv::Object *>{p_hard, p_soft}));
    EXPECT_EQ(toVector(graph().getCollisions(p_mover, Vector(2.5f, 1))), (std::vector<qv::Object *>{p_far}));
}

TEST_F(SceneGraphTest, SolidnessChangesMoveObjectsInAndOutOfTheSolidStore)
{
    qv::Object *p_o = new qv::Object;
    EXPECT_EQ(p_o->setSolidness(qv::SOFT), 0);
    EXPECT_EQ(occurrences(solidObjects(), p_o), 1);
    EXPECT_EQ(p_o->setSolidness(qv::SPECTRAL), 0);
    EXPECT_EQ(occurrences(solidObjects(), p_o), 0);
    EXPECT_EQ(p_o->setSolidness(qv::HARD), 0);
    EXPECT_EQ(occurrences(solidObjects(), p_o), 1);
    EXPECT_EQ(p_o->setSolidness(static_cast<qv::Solidness>(-1)), -1);
    EXPECT_TRUE(logHas("Object::setSolidness(): Solidness -1 not one of HARD, SOFT or SPECTRAL."));
    EXPECT_EQ(p_o->getSolidness(), qv::HARD);
}

TEST_F(SceneGraphTest, InvisibleObjectsChangeAltitudeWithoutTouchingTheStores)
{
    qv::Object *p_o = new qv::Object;
    p_o->setVisible(false);
    EXPECT_EQ(p_o->setAltitude(4), 0);
    EXPECT_EQ(p_o->getAltitude(), 4);
    for (int altitude = 0; altitude <= qv::MAX_ALTITUDE; altitude++)
        EXPECT_TRUE(graph().visibleObjects(altitude).isEmpty()) << altitude;
    p_o->setVisible(true);
    EXPECT_EQ(occurrences(graph().visibleObjects(4), p_o), 1);
}

TEST_F(SceneGraphTest, RemovingTwiceIsAnErrorUntilTheGameIsOver)
{
    qv::Object *p_o = new qv::Object;
    char message[128];
    std::snprintf(message, sizeof message, "SceneGraph::removeObject(): Error removing Object (id %d)! Pointer is %p.",
                  p_o->getId(), static_cast<void *>(p_o));
    EXPECT_EQ(graph().removeObject(p_o), 0);
    EXPECT_EQ(graph().removeObject(p_o), -1);
    EXPECT_EQ(logCount(message), 1);

    qv::GameManager::getInstance().setGameOver(true);
    EXPECT_EQ(graph().removeObject(p_o), 0);
    EXPECT_EQ(p_o->setVisible(false), 0) << "store failures are not counted once the game is over";
    EXPECT_EQ(logCount(message), 1);
    EXPECT_FALSE(logHas("SceneGraph::updateVisible(): unable to remove visible object ((Undefined))"));
    // It is in no store any more, so shutting down would not delete it.
    delete p_o;
}

TEST_F(SceneGraphTest, NullObjectsAreRefused)
{
    EXPECT_EQ(graph().insertObject(nullptr), -1);
    EXPECT_EQ(graph().removeObject(nullptr), -1);
    EXPECT_EQ(graph().updateActive(nullptr, false), -1);
    EXPECT_EQ(graph().updateAltitude(nullptr, 1), -1);
    EXPECT_EQ(graph().updateSolidness(nullptr, qv::SOFT), -1);
    EXPECT_EQ(graph().updateVisible(nullptr, false), -1);
    EXPECT_EQ(graph().updateType(nullptr, "A"), -1);
    EXPECT_TRUE(graph().getCollisions(nullptr, Vector()).isEmpty());
    for (const char *operation : {"insertObject", "removeObject", "updateActive", "updateAltitude", "updateSolidness",
                                  "updateVisible", "updateType", "getCollisions"})
        EXPECT_TRUE(logHas(std::string("SceneGraph::") + operation + "(): Error! Null object.")) << operation;
}
