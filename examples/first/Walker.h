#pragma once

#include <quorvex/Object.h>

/// The player's character: each press of an arrow key walks it one cell, unless a wall is in the
/// way, and adds one to the "Steps" display item. Q ends the game.
class Walker : public qv::Object
{
public:
    /// A HARD walker showing the sprite "walker".
    Walker();

    /// Takes keyboard events; 1 if handled, 0 if not.
    int eventHandler(const qv::Event *p_event) override;
};
