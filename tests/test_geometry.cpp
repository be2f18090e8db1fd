#include "geometry.h"
#include "world_support.h"

#include <cmath>

using qv::Box;
using qv::Vector;

TEST(Geometry, BoxesIntersectWhenTheyOverlapOrTouch)
{
    struct Case
    {
        const char *what;
        Box a;
        Box b;
        bool intersect;
    };
    const Box unit(Vector(0, 0), 1, 1);
    const Case cases[] = {
        {"overlap", unit, Box(Vector(0.5f, 0.5f), 1, 1), true},
        {"shared vertical edge", unit, Box(Vector(1, 0.5f), 1, 1), true},
        {"shared horizontal edge", unit, Box(Vector(-0.5f, 1), 1, 1), true},
        {"shared corner only", unit, Box(Vector(1, 1), 1, 1), true},
        {"one inside the other", Box(Vector(0, 0), 10, 10), Box(Vector(2, 3), 1, 1), true},
        {"apart in x", unit, Box(Vector(1.01f, 0), 1, 1), false},
        {"apart in y", unit, Box(Vector(0, -1.01f), 1, 1), false},
        {"overlap in x only", unit, Box(Vector(0.5f, 3), 1, 1), false},
    };
    for (const Case &c : cases)
    {
        EXPECT_EQ(qv::boxIntersectsBox(c.a, c.b), c.intersect) << c.what;
        EXPECT_EQ(qv::boxIntersectsBox(c.b, c.a), c.intersect) << c.what << " (reversed)";
    }
}

TEST(Geometry, BoxContainsPointsOnItsEdges)
{
    const Box box(Vector(1, 2), 3, 4);
    EXPECT_TRUE(qv::boxContainsPosition(box, Vector(2, 3)));
    EXPECT_TRUE(qv::boxContainsPosition(box, Vector(1, 2)));
    EXPECT_TRUE(qv::boxContainsPosition(box, Vector(4, 6)));
    EXPECT_FALSE(qv::boxContainsPosition(box, Vector(4.01f, 6)));
    EXPECT_FALSE(qv::boxContainsPosition(box, Vector(2, 1.99f)));
}

class GeometryWorldTest : public WorldTest
{
};

TEST_F(GeometryWorldTest, WorldBoxIsTheBoxMovedToThePosition)
{
    qv::Object *p_o = new qv::Object;
    p_o->setPosition(Vector(10, 20));
    EXPECT_EQ(qv::getWorldBox(p_o), Box(Vector(9.5f, 19.5f), 0.99f, 0.99f));
    EXPECT_EQ(qv::getWorldBox(p_o, Vector(3, 4)), Box(Vector(2.5f, 3.5f), 0.99f, 0.99f));
    EXPECT_EQ(qv::getWorldBox(nullptr), Box());
}

TEST_F(GeometryWorldTest, ViewAndWorldPositionsDifferByTheViewCorner)
{
    world().setView(Box(Vector(10, 5), 80, 24));
    EXPECT_EQ(qv::viewToWorld(Vector(1, 2)), Vector(11, 7));
    EXPECT_EQ(qv::worldToView(Vector(11, 7)), Vector(1, 2));
}

// Builds a mover and an obstacle and asks from which side the mover touches it.
struct NormalCase
{
    const char *what;
    Vector mover_at;
    Vector velocity;
    Vector other_at;
    Box box; // both objects'
    Vector normal;
};

TEST_F(GeometryWorldTest, NormalPointsFromTheObstacleToTheMover)
{
    const Box cell(Vector(-0.5f, -0.5f), 0.99f, 0.99f);
    const Box whole(Vector(-0.5f, -0.5f), 1, 1);
    const NormalCase cases[] = {
        {"moving right into the next cell", Vector(4, 1), Vector(1, 0), Vector(5, 1), cell, Vector(-1, 0)},
        {"moving left", Vector(6, 1), Vector(-1, 0), Vector(5, 1), cell, Vector(1, 0)},
        {"moving down", Vector(5, 4), Vector(0, 1), Vector(5, 5), cell, Vector(0, -1)},
        {"moving up", Vector(5, 6), Vector(0, -1), Vector(5, 5), cell, Vector(0, 1)},
        {"diagonal into a corner", Vector(4, 4), Vector(0.7071f, 0.7071f), Vector(5, 5), cell, Vector(-1, -1)},
        {"diagonal beside a wall below", Vector(4, 4), Vector(0.7071f, 0.7071f), Vector(4, 5), cell, Vector(0, -1)},
        // Touching corners also touch the probes above and beside; above comes first.
        {"corners touching", Vector(4, 4), Vector(1, 0), Vector(5, 5), whole, Vector(0, -1)},
    };
    for (const NormalCase &c : cases)
    {
        qv::Object *p_mover = new qv::Object;
        qv::Object *p_other = new qv::Object;
        p_mover->setBox(c.box);
        p_other->setBox(c.box);
        p_mover->setPosition(c.mover_at);
        p_mover->setVelocity(c.velocity);
        p_other->setPosition(c.other_at);
        EXPECT_EQ(qv::getNormal(p_mover, p_other), c.normal) << c.what;
        world().markForDelete(p_mover);
        world().markForDelete(p_other);
        world().update();
    }
    EXPECT_FALSE(logHas("getNormal(): collision not detected. Returning (0,0)."));
}

TEST_F(GeometryWorldTest, NormalOfObjectsFarApartIsZeroWithALogLine)
{
    qv::Object *p_mover = new qv::Object;
    qv::Object *p_other = new qv::Object;
    p_other->setPosition(Vector(20, 20));
    EXPECT_EQ(qv::getNormal(p_mover, p_other), Vector());
    EXPECT_EQ(logCount("getNormal(): collision not detected. Returning (0,0)."), 1);
    EXPECT_EQ(qv::getNormal(nullptr, p_other), Vector());
    EXPECT_TRUE(logHas("getNormal(): Error! Null object."));
}
