#include "geometry.h"

#include "LogManager.h"
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

// A box of the obstacle's size beside it, and the normal that touching it means.
struct Probe
{
    Vector corner; // cells
    Vector normal; // unit components
};

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
    if (p_o == nullptr)
        return Box();
    return getWorldBox(p_o, p_o->getPosition());
}

Box getWorldBox(const Object *p_o, const Vector &where)
{
    if (p_o == nullptr)
        return Box();
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

Vector getNormal(const Object *p_o, const Object *p_other)
{
    LogManager &log = LogManager::getInstance();
    if (p_o == nullptr || p_other == nullptr)
    {
        log.writeLog("getNormal(): Error! Null object.");
        return Vector();
    }
    const Box w = getWorldBox(p_other);
    const Vector p = p_o->getPosition();
    Vector step = p_o->getVelocity();
    float f = 0.5f;
    float fraction = 1;
    Vector safe = p;
    // Halving search for the last position along the step where the boxes are still apart. The
    // step is rescaled from its previous value each pass, not from the velocity.
    for (int k = 1; k <= 7; k++)
    {
        step.scale(f);
        fraction *= 0.5f;
        const Vector candidate = p + step;
        if (boxIntersectsBox(getWorldBox(p_o, candidate), w))
        {
            f -= fraction;
        }
        else
        {
            safe = candidate;
            f += fraction;
        }
    }
    const Box a = getWorldBox(p_o, safe);

    const float x = w.getCorner().getX();
    const float y = w.getCorner().getY();
    const float h = w.getHorizontal();
    const float v = w.getVertical();
    // The safe box touches the obstacle's neighbourhood on one or more sides; sides are tried
    // before corners, and in a fixed order, so that the answer is the same every time.
    const Probe probes[] = {
        {Vector(x, y - v), Vector(0, -1)},      {Vector(x, y + v), Vector(0, 1)},
        {Vector(x - h, y), Vector(-1, 0)},      {Vector(x + h, y), Vector(1, 0)},
        {Vector(x - h, y - v), Vector(-1, -1)}, {Vector(x + h, y - v), Vector(1, -1)},
        {Vector(x - h, y + v), Vector(-1, 1)},  {Vector(x + h, y + v), Vector(1, 1)},
    };
    for (const Probe &probe : probes)
        if (boxIntersectsBox(a, Box(probe.corner, h, v)))
            return probe.normal;
    log.writeLog("getNormal(): collision not detected. Returning (0,0).");
    return Vector();
}

} // namespace qv
