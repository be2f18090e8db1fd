#pragma once

#include "State.h"

/// A monster's idle state: stands about 90 steps, then walks one random way for about 60 steps.
/// Goes to searching when the hero comes within range.
class StateWander : public qv::State
{
public:
    /// Stops the monster, frozen on "monster-walk", at the start of a pause.
    void Enter(qv::Object *p_obj) override;
    /// Counts down the pause or the walk, turns, and watches for the hero.
    void Execute(qv::Object *p_obj) override;

    /// Is the monster standing?
    bool isPaused() const;

private:
    bool paused = true; // standing rather than walking
};
