#pragma once

#include "ViewObject.h"

/// The floor counter at the top right of the screen, starting at floor 1.
class FloorNum : public qv::ViewObject
{
public:
    /// "FLOOR" at the top right, in white, at 1.
    FloorNum();
};
