#include "EventPath.h"
#include "EventStep.h"
#include "InputManager.h"
#include "NetworkManager.h"
#include "PathFind.h"
#include "world_support.h"

#include <cmath>

using qv::Box;
using qv::Vector;

namespace
{

int jobs_destroyed = 0;

class CountedJob : public qv::PathFind
{
public:
    ~CountedJob() override { jobs_destroyed++; }
};

} // namespace

class ObjectTest : public WorldTest
{
};

TEST_F(ObjectTest, NewObjectsHaveTheDefaults)
{
    qv::Object *p_first = new qv::Object;
    qv::Object *p_second = new qv::Object;
    EXPECT_EQ(p_first->getId(), 1);
    EXPECT_EQ(p_second->getId(), 2);
    EXPECT_EQ(p_first->getType(), "(Undefined)");
    EXPECT_TRUE(p_first->isActive());
    EXPECT_TRUE(p_first->isVisible());
    EXPECT_EQ(p_first->getBox(), Box(Vector(-0.5f, -0.5f), 0.99f, 0.99f));
    EXPECT_EQ(p_first->getPosition(), Vector(1, 1));
    EXPECT_EQ(p_first->getVelocity(), Vector());
    EXPECT_EQ(p_first->getAltitude(), 2);
    EXPECT_EQ(p_first->getSolidness(), qv::HARD);
    EXPECT_FALSE(p_first->getNoSoft());
    EXPECT_FALSE(p_first->getAvoidCollisions());
    EXPECT_FALSE(p_first->getFollowPath());
    EXPECT_EQ(p_first->getShape().getType(), qv::UNDEFINED_SHAPE);
    EXPECT_EQ(p_first->getPathJob(), nullptr);
    for (int attribute = 0; attribute < qv::ATTRIBUTE_COUNT; attribute++)
        EXPECT_TRUE(p_first->isModified(static_cast<qv::Attribute>(attribute))) << attribute;
    EXPECT_EQ(occurrences(world().getSceneGraph().visibleObjects(2), p_first), 1);
}

TEST_F(ObjectTest, IsModifiedStopsAtTheFirstFlag)
{
    qv::LogManager::getInstance().setLogLevel(20);
    qv::Object *p_o = new qv::Object;
    EXPECT_TRUE(p_o->isModified());
    EXPECT_EQ(logCount("Object::isModified(): 0 is true"), 1);
    EXPECT_FALSE(logHas("Object::isModified(): 1 is true"));
}

TEST_F(ObjectTest, AltitudeOutOfRangeIsRefused)
{
    qv::Object *p_o = new qv::Object;
    for (int altitude : {5, -1})
    {
        EXPECT_EQ(p_o->setAltitude(altitude), -1);
        EXPECT_TRUE(
            logHas("Object::setAltitude(): Altitude " + std::to_string(altitude) + " not in range [0,4].  Ignored."));
    }
    EXPECT_EQ(p_o->getAltitude(), 2);
    EXPECT_EQ(p_o->setAltitude(2), 0);
    EXPECT_EQ(p_o->setAltitude(0), 0);
    EXPECT_EQ(p_o->getAltitude(), 0);
    EXPECT_EQ(occurrences(world().getSceneGraph().visibleObjects(0), p_o), 1);
    EXPECT_EQ(occurrences(world().getSceneGraph().visibleObjects(2), p_o), 0);
}

TEST_F(ObjectTest, VelocitySplitsIntoSpeedAndUnitDirection)
{
    struct Case
    {
        Vector velocity;
        float speed;
        Vector direction;
    };
    const Case cases[] = {
        {Vector(3, 4), 5, Vector(0.6f, 0.8f)},
        {Vector(0, 0), 0, Vector(0, 0)},
        {Vector(0, -2), 2, Vector(0, -1)},
    };
    qv::Object *p_o = new qv::Object;
    for (const Case &c : cases)
    {
        p_o->setVelocity(c.velocity);
        EXPECT_FLOAT_EQ(p_o->getSpeed(), c.speed);
        EXPECT_FLOAT_EQ(p_o->getDirection().getX(), c.direction.getX());
        EXPECT_FLOAT_EQ(p_o->getDirection().getY(), c.direction.getY());
    }
    p_o->setDirection(Vector(3, 0));
    p_o->setSpeed(2);
    EXPECT_EQ(p_o->getVelocity(), Vector(6, 0)) << "a direction is kept as given";
    EXPECT_EQ(p_o->predictPosition(), Vector(7, 1));
}

TEST_F(ObjectTest, InterestGoesToTheManagerThatKeepsTheName)
{
    struct Case
    {
        const char *name;
        qv::Manager *p_manager;
    };
    const Case cases[] = {
        {"qv-step", &qv::GameManager::getInstance()},
        {"qv-keyboard", &qv::InputManager::getInstance()},
        {"qv-mouse", &qv::InputManager::getInstance()},
        {"qv-network", &qv::NetworkManager::getInstance()},
        {"qv-custom-network", &qv::NetworkManager::getInstance()},
        {"qv-keyboard-network", &qv::NetworkManager::getInstance()},
        {"qv-mouse-network", &qv::NetworkManager::getInstance()},
        {"hero_moved", &qv::WorldManager::getInstance()},
    };
    Recorder *p_o = new Recorder("listener");
    for (const Case &c : cases)
    {
        ASSERT_EQ(p_o->registerInterest(c.name), 0) << c.name;
        qv::Event event;
        event.setType(c.name);
        EXPECT_EQ(c.p_manager->onEvent(&event), 1) << c.name;
        ASSERT_EQ(p_o->unregisterInterest(c.name), 0) << c.name;
        EXPECT_EQ(c.p_manager->onEvent(&event), 0) << c.name;
    }
}

TEST_F(ObjectTest, UnregisteringTwiceIsReported)
{
    qv::Object *p_o = new qv::Object;
    ASSERT_EQ(p_o->registerInterest("qv-custom-network"), 0);
    EXPECT_EQ(p_o->unregisterInterest("qv-custom-network"), 0);
    EXPECT_EQ(p_o->unregisterInterest("qv-custom-network"), -1);
    EXPECT_TRUE(logHas("Object::unregisterInterest(): event 'qv-custom-network' not previously registered"));
}

TEST_F(ObjectTest, AnObjectHoldsAtMostAHundredInterests)
{
    qv::Object *p_o = new qv::Object;
    for (int i = 0; i < qv::MAX_OBJ_EVENTS; i++)
        ASSERT_EQ(p_o->registerInterest("event" + std::to_string(i)), 0) << i;
    EXPECT_EQ(p_o->registerInterest("one too many"), -1);
    EXPECT_TRUE(logHas("Object::registerInterest(): maximum (100) reached, cannot register for event 'one too many'"));
    // Freed slots can be used again, and the names after a freed one keep working.
    EXPECT_EQ(p_o->unregisterInterest("event50"), 0);
    EXPECT_EQ(p_o->registerInterest("one too many"), 0);
    qv::Event event;
    event.setType("event99");
    EXPECT_EQ(world().onEvent(&event), 1);
}

TEST_F(ObjectTest, DeletedObjectsHearNothingMore)
{
    Recorder *p_o = new Recorder("listener");
    p_o->registerInterest("qv-step");
    p_o->registerInterest("hero_moved");
    p_o->registerInterest("qv-keyboard");
    world().markForDelete(p_o);
    world().update();

    const qv::EventStep step(3);
    qv::Event moved;
    moved.setType("hero_moved");
    EXPECT_EQ(qv::GameManager::getInstance().onEvent(&step), 0);
    EXPECT_EQ(world().onEvent(&moved), 0);
    EXPECT_EQ(journal(), (std::vector<std::string>{"listener deleted"}));
}

TEST_F(ObjectTest, FollowingAPathSnapsOntoNearNodes)
{
    qv::Object *p_o = new qv::Object;
    p_o->setSpeed(1);
    p_o->setPath(qv::Path({Vector(1.7f, 1), Vector(1.7f, 5)}));
    p_o->setFollowPath(true);
    EXPECT_EQ(p_o->getDirection(), Vector(1, 0));

    p_o->followPathStep();
    EXPECT_EQ(p_o->getPosition(), Vector(1.7f, 1));
    EXPECT_EQ(p_o->getPath().getIndex(), 1);
    EXPECT_EQ(p_o->getDirection(), Vector(0, 1));

    p_o->setPosition(Vector(1.7f, 4.5f));
    p_o->followPathStep();
    EXPECT_EQ(p_o->getPosition(), Vector(1.7f, 5));
    EXPECT_FALSE(p_o->getFollowPath());
    EXPECT_EQ(p_o->getDirection(), Vector());
}

TEST_F(ObjectTest, PathEventsStartTheWalkAndEndTheJob)
{
    struct Case
    {
        int result;
        bool follows;
    };
    const Case cases[] = {{2, true}, {0, false}};
    for (const Case &c : cases)
    {
        jobs_destroyed = 0;
        qv::Object *p_o = new qv::Object;
        p_o->setPathJob(new CountedJob);
        const qv::Path found({Vector(4, 1), Vector(4, 4)});

        const qv::EventPath event(c.result, found);
        EXPECT_EQ(p_o->eventHandler(&event), 1);

        EXPECT_EQ(p_o->getFollowPath(), c.follows) << c.result;
        EXPECT_EQ(p_o->getPath().getNodes().size(), c.follows ? 2u : 0u) << c.result;
        EXPECT_EQ(p_o->getDirection(), c.follows ? Vector(1, 0) : Vector()) << c.result;
        EXPECT_EQ(p_o->getPathJob(), nullptr);
        EXPECT_EQ(jobs_destroyed, 1);
        world().markForDelete(p_o);
        world().update();
    }
}

TEST_F(ObjectTest, DefaultHandlerIgnoresOtherEvents)
{
    qv::Object *p_o = new qv::Object;
    const qv::EventStep step(1);
    EXPECT_EQ(p_o->eventHandler(&step), 0);
    EXPECT_EQ(p_o->eventHandler(nullptr), 0);
    qv::Event impostor;
    impostor.setType("qv-path");
    EXPECT_EQ(p_o->eventHandler(&impostor), 0);
    EXPECT_TRUE(logHas("Object::eventHandler(): Error! Dynamic cast to EventPath failed."));
}

TEST_F(ObjectTest, DeletingAnObjectDestroysItsJob)
{
    jobs_destroyed = 0;
    qv::Object *p_o = new qv::Object;
    p_o->setPathJob(new CountedJob);
    p_o->setPathJob(new CountedJob);
    EXPECT_EQ(jobs_destroyed, 1) << "a replaced job is destroyed";
    world().markForDelete(p_o);
    world().update();
    EXPECT_EQ(jobs_destroyed, 2);
}

TEST_F(ObjectTest, MissingSpriteLeavesTheObjectAsItWas)
{
    qv::Object *p_o = new qv::Object;
    EXPECT_EQ(p_o->setSprite("no-such-sprite"), -1);
    EXPECT_TRUE(logHas("Object::setSprite(): Warning! Sprite 'no-such-sprite' not found"));
    EXPECT_EQ(p_o->getBox(), Box(Vector(-0.5f, -0.5f), 0.99f, 0.99f));
    EXPECT_EQ(p_o->getAnimation().getSprite(), nullptr);
}

TEST_F(ObjectTest, AnimationCanBringItsBox)
{
    qv::Object *p_o = new qv::Object;
    p_o->setBox(Box(Vector(-2, -2), 4, 4));
    qv::Animation animation;
    animation.setSlowdownCount(-1);
    p_o->setAnimation(animation, false);
    EXPECT_EQ(p_o->getAnimation().getSlowdownCount(), -1);
    EXPECT_EQ(p_o->getBox(), Box(Vector(-2, -2), 4, 4));
    p_o->setAnimation(animation, true);
    EXPECT_EQ(p_o->getBox(), animation.getBox());
}
