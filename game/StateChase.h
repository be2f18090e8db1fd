#pragma once

#include "State.h"

/// A monster's hunting state: walks straight at the hero while it sees it, back to searching
/// when it loses sight.
class StateChase : public qv::State
{
public:
    /// Shows "monster-chase".
    void Enter(qv::Object *p_obj) override;
    /// Heads for the hero at monster speed, or gives up the chase.
    void Execute(qv::Object *p_obj) override;
};
