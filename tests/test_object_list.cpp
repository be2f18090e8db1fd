#include "Box.h"
#include "ObjectList.h"
#include "ObjectListIterator.h"
#include "Vector.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

namespace
{

// Lists never look at the objects, so distinct fake addresses do.
qv::Object *fake(int n)
{
    return reinterpret_cast<qv::Object *>(static_cast<std::uintptr_t>(n) * 16);
}

std::vector<qv::Object *> contents(const qv::ObjectList &list)
{
    std::vector<qv::Object *> items;
    qv::ObjectListIterator it(&list);
    for (it.first(); !it.isDone(); it.next())
        items.push_back(it.currentObject());
    return items;
}

} // namespace

TEST(ObjectList, KeepsInsertionOrderThroughGrowthAndRemoval)
{
    qv::ObjectList list;
    EXPECT_TRUE(list.isEmpty());
    for (int i = 1; i <= 5; i++)
        ASSERT_EQ(list.insert(fake(i)), 0);
    EXPECT_EQ(list.getCount(), 5);
    EXPECT_EQ(list.remove(fake(3)), 0);
    EXPECT_EQ(contents(list), (std::vector<qv::Object *>{fake(1), fake(2), fake(4), fake(5)}));
    EXPECT_EQ(list.remove(fake(5)), 0);
    EXPECT_EQ(list.remove(fake(1)), 0);
    EXPECT_EQ(contents(list), (std::vector<qv::Object *>{fake(2), fake(4)}));
    for (int i = 6; i <= 100; i++)
        ASSERT_EQ(list.insert(fake(i)), 0);
    EXPECT_EQ(list.getCount(), 97);
    EXPECT_EQ(contents(list).back(), fake(100));
}

TEST(ObjectList, RefusesNullAndAbsentPointers)
{
    qv::ObjectList list;
    EXPECT_EQ(list.insert(nullptr), -1);
    EXPECT_TRUE(list.isEmpty());
    EXPECT_EQ(list.remove(fake(1)), -1);
    ASSERT_EQ(list.insert(fake(1)), 0);
    EXPECT_EQ(list.remove(fake(2)), -1);
    EXPECT_EQ(list.remove(nullptr), -1);
    EXPECT_EQ(list.getCount(), 1);
}

TEST(ObjectList, DuplicatesStayAndGoOneAtATime)
{
    qv::ObjectList list;
    for (int n : {1, 2, 1, 3})
        ASSERT_EQ(list.insert(fake(n)), 0);
    EXPECT_EQ(list.remove(fake(1)), 0);
    EXPECT_EQ(contents(list), (std::vector<qv::Object *>{fake(2), fake(1), fake(3)}));
}

TEST(ObjectList, ClearEmptiesAndTheListStaysUsable)
{
    qv::ObjectList list;
    for (int i = 1; i <= 9; i++)
        list.insert(fake(i));
    list.clear();
    EXPECT_TRUE(list.isEmpty());
    EXPECT_EQ(list.remove(fake(1)), -1);
    ASSERT_EQ(list.insert(fake(7)), 0);
    EXPECT_EQ(contents(list), std::vector<qv::Object *>{fake(7)});
}

TEST(ObjectList, CopiesAreIndependent)
{
    qv::ObjectList original;
    for (int i = 1; i <= 3; i++)
        original.insert(fake(i));
    qv::ObjectList copy(original);
    qv::ObjectList assigned;
    assigned.insert(fake(9));
    assigned = original;
    original.remove(fake(1));
    original.insert(fake(4));
    copy.insert(fake(5));
    EXPECT_EQ(contents(original), (std::vector<qv::Object *>{fake(2), fake(3), fake(4)}));
    EXPECT_EQ(contents(copy), (std::vector<qv::Object *>{fake(1), fake(2), fake(3), fake(5)}));
    EXPECT_EQ(contents(assigned), (std::vector<qv::Object *>{fake(1), fake(2), fake(3)}));

    qv::ObjectList &same = assigned;
    assigned = same;
    EXPECT_EQ(contents(assigned), (std::vector<qv::Object *>{fake(1), fake(2), fake(3)}));
}

TEST(ObjectList, MovedFromListIsEmptyAndStillUsable)
{
    qv::ObjectList source;
    source.insert(fake(1));
    source.insert(fake(2));
    qv::ObjectList target(std::move(source));
    EXPECT_EQ(contents(target), (std::vector<qv::Object *>{fake(1), fake(2)}));
    EXPECT_TRUE(source.isEmpty());
    ASSERT_EQ(source.insert(fake(3)), 0);
    ASSERT_EQ(source.insert(fake(4)), 0);
    target = std::move(source);
    EXPECT_EQ(contents(target), (std::vector<qv::Object *>{fake(3), fake(4)}));
    EXPECT_TRUE(source.isEmpty());
}

TEST(ObjectList, SumHoldsBothListsInOrder)
{
    qv::ObjectList left;
    qv::ObjectList right;
    left.insert(fake(1));
    left.insert(fake(2));
    for (int n : {2, 3, 4})
        right.insert(fake(n));
    const qv::ObjectList sum = left + right;
    EXPECT_EQ(contents(sum), (std::vector<qv::Object *>{fake(1), fake(2), fake(2), fake(3), fake(4)}));
    EXPECT_EQ(left.getCount(), 2);
    EXPECT_EQ(right.getCount(), 3);
    EXPECT_EQ(contents(qv::ObjectList() + right), contents(right));
}

TEST(ObjectListIterator, StopsAtTheEndAndFollowsTheListsCount)
{
    qv::ObjectList list;
    qv::ObjectListIterator it(&list);
    EXPECT_TRUE(it.isDone());
    EXPECT_EQ(it.currentObject(), nullptr);
    it.next();
    EXPECT_TRUE(it.isDone());

    list.insert(fake(1));
    list.insert(fake(2));
    // The iterator holds no copy: it sees items added after it was made.
    EXPECT_FALSE(it.isDone());
    it.first();
    EXPECT_EQ(it.currentObject(), fake(1));
    it.next();
    it.next();
    it.next();
    EXPECT_TRUE(it.isDone());
    EXPECT_EQ(it.currentObject(), nullptr);
    list.insert(fake(3));
    EXPECT_EQ(it.currentObject(), fake(3));
}

TEST(Vector, ArithmeticAndLength)
{
    qv::Vector v(3, 4);
    EXPECT_FLOAT_EQ(v.getMagnitude(), 5);
    v.normalize();
    EXPECT_FLOAT_EQ(v.getX(), 0.6f);
    EXPECT_FLOAT_EQ(v.getY(), 0.8f);
    qv::Vector zero;
    zero.normalize();
    EXPECT_EQ(zero, qv::Vector(0, 0));
    EXPECT_FALSE(std::isnan(zero.getX()));

    qv::Vector w(1, -2);
    w.scale(-2);
    EXPECT_EQ(w, qv::Vector(-2, 4));
    EXPECT_EQ(w + qv::Vector(1, 1), qv::Vector(-1, 5));
    EXPECT_EQ(w - qv::Vector(1, 1), qv::Vector(-3, 3));
    w += qv::Vector(2, -4);
    EXPECT_EQ(w, qv::Vector(0, 0));
    EXPECT_TRUE(w != qv::Vector(0, 1));
    w.setXY(7, 8);
    EXPECT_EQ(w, qv::Vector(7, 8));
    EXPECT_FLOAT_EQ(qv::distance(qv::Vector(1, 1), qv::Vector(4, -3)), 5);
}

TEST(Box, DefaultsAndEquality)
{
    EXPECT_EQ(qv::Box(), qv::Box(qv::Vector(0, 0), 0, 0));
    qv::Box box(qv::Vector(1, 2), 3, 4);
    EXPECT_EQ(box.getCorner(), qv::Vector(1, 2));
    EXPECT_FLOAT_EQ(box.getHorizontal(), 3);
    EXPECT_FLOAT_EQ(box.getVertical(), 4);
    EXPECT_NE(box, qv::Box(qv::Vector(1, 2), 3, 5));
    EXPECT_NE(box, qv::Box(qv::Vector(1, 3), 3, 4));
    box.setVertical(5);
    EXPECT_EQ(box, qv::Box(qv::Vector(1, 2), 3, 5));
}
