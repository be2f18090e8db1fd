#include "ObjectList.h"

#include <cstdlib>
#include <cstring>

namespace qv
{

ObjectList::ObjectList()
{
    items = static_cast<Object **>(std::malloc(sizeof(Object *)));
    capacity = items ? 1 : 0;
}

ObjectList::ObjectList(const ObjectList &other)
{
    copyFrom(other);
}

ObjectList &ObjectList::operator=(const ObjectList &other)
{
    if (this == &other)
        return *this;
    std::free(items);
    items = nullptr;
    count = 0;
    capacity = 0;
    copyFrom(other);
    return *this;
}

void ObjectList::copyFrom(const ObjectList &other)
{
    if (other.capacity > 0)
        items = static_cast<Object **>(std::malloc(sizeof(Object *) * other.capacity));
    if (items)
    {
        std::memcpy(items, other.items, sizeof(Object *) * other.count);
        count = other.count;
        capacity = other.capacity;
    }
}

ObjectList::ObjectList(ObjectList &&other) noexcept : count(other.count), capacity(other.capacity), items(other.items)
{
    other.count = 0;
    other.capacity = 0;
    other.items = nullptr;
}

ObjectList &ObjectList::operator=(ObjectList &&other) noexcept
{
    if (this == &other)
        return *this;
    std::free(items);
    count = other.count;
    capacity = other.capacity;
    items = other.items;
    other.count = 0;
    other.capacity = 0;
    other.items = nullptr;
    return *this;
}

ObjectList::~ObjectList()
{
    std::free(items);
}

int ObjectList::insert(Object *p_o)
{
    if (!p_o)
        return -1;
    if (count == capacity)
    {
        // A list whose first allocation failed grows to one slot rather than doubling zero.
        const int new_capacity = capacity > 0 ? capacity * 2 : 1;
        Object **grown = static_cast<Object **>(std::realloc(items, sizeof(Object *) * new_capacity));
        if (!grown)
            return -1;
        items = grown;
        capacity = new_capacity;
    }
    items[count++] = p_o;
    return 0;
}

int ObjectList::remove(Object *p_o)
{
    for (int i = 0; i < count; i++)
    {
        if (items[i] != p_o)
            continue;
        std::memmove(items + i, items + i + 1, sizeof(Object *) * (count - i - 1));
        count--;
        return 0;
    }
    return -1;
}

void ObjectList::clear()
{
    count = 0;
}

int ObjectList::getCount() const
{
    return count;
}

bool ObjectList::isEmpty() const
{
    return count == 0;
}

ObjectList ObjectList::operator+(const ObjectList &other) const
{
    ObjectList sum(*this);
    for (int i = 0; i < other.count; i++)
        sum.insert(other.items[i]);
    return sum;
}

Object *ObjectList::itemAt(int index) const
{
    return index >= 0 && index < count ? items[index] : nullptr;
}

} // namespace qv
