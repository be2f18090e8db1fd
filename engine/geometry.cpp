#include "geometry.h"

#include "Object.h"
#include "WorldManager.h"

namespace qv
{

namespace
{

bool rangesOverlap(float a, float a_extent, float b, float b_extent)
{
    return (b <= a && a <= b + b_extent) || (a <= b && b <= a + a_extent);
}

} // namespace

bool boxIntersectsBox(const Box &a, const Box &b)
{
    return rangesOverlap(a.getCorner().getX(), a.getHorizontal(), b.getCorner().getX(), b.getHorizontal()) &&
           rangesOverlap(a.getCorner().getY(), a.getVertical(), b.getCorner().getY(), b.getVertical());
}

bool boxContainsPosition(const Box &box, const Vector &position)
{
    return valueInRange(position.getX(), box.getCorner().getX(), box.getCorner().getX() + box.getHorizontal()) &&
           valueInRange(position.getY(), box.getCorner().getY(), box.getCorner().getY() + box.getVertical());
}

Box getWorldBox(const Object *p_o)
{
    return getWorldBox(p_o, p_o->getPosition());
}

Box getWorldBox(const Object *p_o, const Vector &where)
{
    Box box = p_o->getBox();
    box.setCorner(box.getCorner() + where);
    return box;
}

bool valueInRange(float value, float min, float max)
{
    return value >= min && value <= max;
}

Vector viewToWorld(const Vector &view_position)
{
    return view_position + WorldManager::getInstance().getView().getCorner();
}

Vector worldToView(const Vector &world_position)
{
    return world_position - WorldManager::getInstance().getView().getCorner();
}

Vector getNormal(const Object *, const Object *)
{
    return Vector();
}

} // namespace qv
