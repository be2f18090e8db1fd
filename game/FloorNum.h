#pragma once

#include "ViewObject.h"

/// The floor counter at the top right of the screen, starting at floor 1. It counts up on
/// "event_stairs" and removes itself at "game-over".
class FloorNum : public qv::ViewObject
{
public:
    /// "FLOOR" at the top right, in white, at 1.
    FloorNum();

    /// Counts floors and leaves at game over; 1 if handled, 0 if not.
    int eventHandler(const qv::Event *p_event) override;
};
