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
    /// A "qv-collision" event between no objects, at (0, 0).
    EventCollision();
    /// A "qv-collision" event: `p_o1` moving to `where` ran into `p_o2`.
    EventCollision(Object *p_o1, Object *p_o2, const Vector &where);

    /// The object that was moving.
    Object *getObject1() const;
    /// Changes the moving object (not owned).
    void setObject1(Object *p_new_o1);
    /// The object it ran into.
    Object *getObject2() const;
    /// Changes the object run into (not owned).
    void setObject2(Object *p_new_o2);
    /// The position the moving object was trying to reach.
    Vector getPosition() const;
    /// Changes the position the moving object was trying to reach.
    void setPosition(const Vector &new_pos);

private:
    Vector pos;               // where the moving object tried to go, in cells
    Object *p_obj1 = nullptr; // the moving object
    Object *p_obj2 = nullptr; // the object it ran into
};

} // namespace qv
