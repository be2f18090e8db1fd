#pragma once

#include "Object.h"

namespace qv
{

/// A heads-up display item. Its position is held in view coordinates, so the world manager draws
/// it wherever the view is, instead of testing its box against the view.
class ViewObject : public Object
{
public:
    /// A new view object, inserted into the world manager as every object is.
    ViewObject();
};

} // namespace qv
