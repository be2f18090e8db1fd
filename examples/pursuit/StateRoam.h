#pragma once

#include <quorvex/State.h>

/// Wanders in a random direction, changed now and then, until the runner comes within range.
class StateRoam : public qv::State
{
public:
    StateRoam();

    /// Shows the roaming sprite and stops walking any path.
    void Enter(qv::Object *p_obj) override;
    /// Turns now and then; switches to hunting when the runner is near.
    void Execute(qv::Object *p_obj) override;
};
