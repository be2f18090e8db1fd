#pragma once

#include "ViewObject.h"

/// The hunger bar at the top left of the screen: the hero's only life. It starts at 100.
class Hunger : public qv::ViewObject
{
public:
    /// "Hunger" at the top left, in white, at 100.
    Hunger();
};
