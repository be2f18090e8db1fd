#pragma once

#include "Object.h"

/// The way down to the next floor. It keeps the default HARD solidness, so the hero bumps into it,
/// and the hero's collision with it announces "event_stairs".
class Stairs : public qv::Object
{
public:
    /// Stairs of type "Stairs" showing the sprite "stairs".
    Stairs();
};
