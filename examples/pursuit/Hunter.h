#pragma once

#include "StateHunt.h"
#include "StateRoam.h"

#include <quorvex/Object.h>
#include <quorvex/StateMachine.h>

/// A creature that roams until the runner comes within range and then hunts it down along paths
/// the engine finds round the walls. Its state machine, updated every step, holds the two states;
/// touching the runner ends the game.
class Hunter : public qv::Object
{
public:
    /// A HARD "Hunter" chasing `p_runner` (owned by the world), roaming at first.
    explicit Hunter(qv::Object *p_runner);

    /// Updates the state machine on steps, reports paths, catches the runner; 1 if handled.
    int eventHandler(const qv::Event *p_event) override;

    /// The object hunted.
    qv::Object *getRunner() const;
    /// Switches the state machine to hunting.
    void hunt();
    /// Switches the state machine to roaming.
    void roam();

private:
    qv::Object *p_runner;     // the object hunted, owned by the world
    StateRoam roaming;        // wanders, watching for the runner
    StateHunt hunting;        // follows paths to the runner
    qv::StateMachine machine; // runs roam or hunt every step
};
