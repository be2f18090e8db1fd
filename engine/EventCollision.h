#pragma once

#include "Event.h"
#include "Vector.h"

namespace qv
{

class Object;

/// Handed by the world manager to both objects of a collision: the one that moved and the one it
/// ran into. The pointers are not owned.
class EventCollision : public Event
{
public:
    EventCollision();
    EventCollision(Object *p_o1, Object *p_o2, const Vector &where);

    /// The object that was moving.
    Object *getObject1() const;
    void setObject1(Object *p_new_o1);
    /// The object it ran into.
    Object *getObject2() const;
    void setObject2(Object *p_new_o2);
    /// The position the moving object was trying to reach.
    Vector getPosition() const;
    void setPosition(const Vector &new_pos);

private:
    Vector pos;               // where the moving object tried to go, in cells
    Object *p_obj1 = nullptr; // the moving object
    Object *p_obj2 = nullptr; // the object it ran into
};

} // namespace qv
