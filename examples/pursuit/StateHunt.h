#pragma once

#include <quorvex/State.h>

/// Asks the path finder for a way to the runner, again every so often as the runner moves, and
/// makes straight for it when close. Gives up when the runner gets far enough away.
class StateHunt : public qv::State
{
public:
    StateHunt();

    /// Shows the hunting sprite and asks for a first path.
    void Enter(qv::Object *p_obj) override;
    /// Renews the path now and then; closes in or gives up by distance.
    void Execute(qv::Object *p_obj) override;
};
