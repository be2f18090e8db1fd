#include "ObjectListIterator.h"

#include "ObjectList.h"

#include <algorithm>

namespace qv
{

ObjectListIterator::ObjectListIterator(const ObjectList *p_list) : list(p_list) {}

void ObjectListIterator::first()
{
    index = 0;
}

void ObjectListIterator::next()
{
    index = std::min(index + 1, list->getCount());
}

bool ObjectListIterator::isDone() const
{
    return index >= list->getCount();
}

Object *ObjectListIterator::currentObject() const
{
    return list->itemAt(index);
}

} // namespace qv
