#include "ObjectList.h"
#include "ObjectListIterator.h"
#include "Vector.h"

#include <gtest/gtest.h>

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

    list.clear();
    EXPECT_TRUE(list.isEmpty());
    ASSERT_EQ(list.insert(fake(7)), 0);
    EXPECT_EQ(contents(list), std::vector<qv::Object *>{fake(7)});
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

TEST(Vector, ZeroVectorStaysZeroWhenNormalized)
{
    qv::Vector zero;
    zero.normalize();
    EXPECT_EQ(zero, qv::Vector(0, 0));
    qv::Vector v(3, -4);
    v.normalize();
    EXPECT_FLOAT_EQ(v.getMagnitude(), 1);
    EXPECT_FLOAT_EQ(qv::distance(qv::Vector(1, 1), qv::Vector(4, -3)), 5);
}
