#pragma once

#include "State.h"

/// A monster's alert state: short slow walks in random directions with short pauses. Goes to
/// chasing when it sees the hero, back to wandering when the hero leaves its range.
class StateSearch : public qv::State
{
public:
    /// Slows the monster to 0.15 in its last direction.
    void Enter(qv::Object *p_obj) override;
    /// Counts down the pause or the walk, turns, and looks for the hero.
    void Execute(qv::Object *p_obj) override;

    /// Is the monster standing?
    bool isPaused() const;

private:
    bool paused = false; // standing rather than walking
};
