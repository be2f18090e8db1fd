#pragma once

#include "Box.h"
#include "Vector.h"

namespace qv
{

class Object;

/// Do the boxes overlap? Touching edges and corners count.
bool boxIntersectsBox(const Box &a, const Box &b);
/// Is the point inside the box or on its edge?
bool boxContainsPosition(const Box &box, const Vector &position);
/// The object's box placed at its position, in world cells; an empty box for a null object.
Box getWorldBox(const Object *p_o);
/// The object's box placed at `where` instead; an empty box for a null object.
Box getWorldBox(const Object *p_o, const Vector &where);
/// Is `value` within [min, max]?
bool valueInRange(float value, float min, float max);
/// A position in the view turned into a world position.
Vector viewToWorld(const Vector &view_position);
/// A world position turned into a position in the view.
Vector worldToView(const Vector &world_position);
/// The side from which `p_o`, about to move by its velocity, touches `p_other`: each component
/// -1, 0 or 1, pointing from `p_other` towards `p_o`; (0, 0) when they do not touch.
Vector getNormal(const Object *p_o, const Object *p_other);

} // namespace qv
