#include "geometry.h"
#include "world_support.h"

#include <cstdint>
#include <tuple>

using qv::Box;
using qv::Vector;

TEST(Geometry, BoxesMeetWhenTheyOverlapOrTouchAndHoldThePointsOfTheirEdges)
{
    const Box unit(Vector(0, 0), 1, 1);
    // A corner; does a unit box there meet `unit`; is the corner inside `unit`?
    const std::tuple<Vector, bool, bool> cases[] = {{Vector(0.5f, 0.5f), true, true}, {Vector(1, 0.5f), true, true},
                                                    {Vector(-0.5f, 1), true, false},  {Vector(1, 1), true, true},
                                                    {Vector(1.01f, 0), false, false}, {Vector(0, -1.01f), false, false},
                                                    {Vector(0.5f, 3), false, false}};
    for (const auto &[corner, meets, inside] : cases)
    {
        EXPECT_EQ(qv::boxIntersectsBox(unit, Box(corner, 1, 1)), meets) << corner.getX() << ", " << corner.getY();
        EXPECT_EQ(qv::boxIntersectsBox(Box(corner, 1, 1), unit), meets);
        EXPECT_EQ(qv::boxContainsPosition(unit, corner), inside);
    }
}

using GeometryWorldTest = WorldTest;

TEST_F(GeometryWorldTest, NormalPointsFromTheObstacleToTheMover)
{
    const Box cell(Vector(-0.5f, -0.5f), 0.99f, 0.99f);
    const Box whole(Vector(-0.5f, -0.5f), 1, 1);
    // Where the mover is and goes, where the obstacle is, the box of both, the normal.
    const std::tuple<Vector, Vector, Vector, Box, Vector> cases[] = {
        {Vector(4, 1), Vector(1, 0), Vector(5, 1), cell, Vector(-1, 0)},
        {Vector(5, 6), Vector(0, -1), Vector(5, 5), cell, Vector(0, 1)},
        {Vector(4, 4), Vector(0.7071f, 0.7071f), Vector(5, 5), cell, Vector(-1, -1)},
        {Vector(4, 4), Vector(0.7071f, 0.7071f), Vector(4, 5), cell, Vector(0, -1)},
        // Touching corners also touch the probes above and beside; above comes first.
        {Vector(4, 4), Vector(1, 0), Vector(5, 5), whole, Vector(0, -1)},
        {Vector(1, 1), Vector(0, 0), Vector(20, 20), cell, Vector(0, 0)}};
    for (const auto &[mover_at, velocity, other_at, box, normal] : cases)
    {
        qv::Object *p_mover = new qv::Object;
        qv::Object *p_other = new qv::Object;
        p_mover->setBox(box);
        p_other->setBox(box);
        p_mover->setPosition(mover_at);
        p_mover->setVelocity(velocity);
        p_other->setPosition(other_at);
        EXPECT_EQ(qv::getNormal(p_mover, p_other), normal) << other_at.getX() << ", " << other_at.getY();
        world().markForDelete(p_mover);
        world().markForDelete(p_other);
        world().update();
    }
    EXPECT_EQ(logCount("getNormal(): collision not detected. Returning (0,0)."), 1);
}

// Lists never look at the objects, so distinct fake addresses do.
static qv::Object *fake(std::uintptr_t n)
{
    return reinterpret_cast<qv::Object *>(n * 16);
}

// The numbers of the fake objects, in the order the list's iterator walks them.
static std::vector<std::uintptr_t> contents(const qv::ObjectList &list)
{
    std::vector<std::uintptr_t> numbers;
    for (qv::ObjectListIterator it(&list); !it.isDone(); it.next())
        numbers.push_back(reinterpret_cast<std::uintptr_t>(it.currentObject()) / 16);
    return numbers;
}

TEST(ObjectList, KeepsInsertionOrderThroughGrowthRemovalAndCopies)
{
    qv::ObjectList list;
    EXPECT_EQ(list.insert(nullptr), -1);
    for (std::uintptr_t n : {1, 2, 3, 2, 4, 5})
        ASSERT_EQ(list.insert(fake(n)), 0);
    // Only the first of two equal pointers goes.
    EXPECT_EQ(list.remove(fake(2)), 0);
    EXPECT_EQ(list.remove(fake(9)), -1);
    qv::ObjectList copy(list);
    EXPECT_EQ(list.remove(fake(1)), 0);
    EXPECT_EQ(contents(copy), (std::vector<std::uintptr_t>{1, 3, 2, 4, 5}));
    EXPECT_EQ(contents(list + copy), (std::vector<std::uintptr_t>{3, 2, 4, 5, 1, 3, 2, 4, 5}));
    copy = list;
    list.clear();
    EXPECT_EQ(contents(copy), (std::vector<std::uintptr_t>{3, 2, 4, 5}));
    EXPECT_EQ(list.remove(fake(3)), -1);
    // An iterator stays at the end of an empty list, and sees what is inserted later.
    qv::ObjectListIterator it(&list);
    it.next();
    EXPECT_EQ(it.currentObject(), nullptr);
    list.insert(fake(7));
    EXPECT_EQ(it.currentObject(), fake(7));
}
