#pragma once

namespace qv
{

class Object;
class State;

/// A finite state machine embedded in a game object. The owner keeps the states (typically as
/// members), points the machine at one of them and calls `Update` once per step:
///
///     machine.setOwner(this);
///     machine.setState(&state_wander);
///     machine.changeState(&state_wander);  // runs Exit, then Enter
///     ...
///     machine.Update();                    // runs the current state's Execute(owner)
///
/// The machine owns neither the owner nor the states.
class StateMachine
{
public:
    /// A machine with no owner and no states.
    StateMachine() = default;

    /// Sets the object passed to every state call (not owned).
    void setOwner(Object *p_new_owner);
    /// The object passed to every state call.
    Object *getOwner() const;
    /// Makes `p_new_state` current without running its Enter or the old state's Exit.
    void setState(State *p_new_state);
    /// The current state, or null.
    State *getState() const;
    /// The state that was current before the last `changeState`.
    State *getPreviousState() const;
    /// Sets a state executed before the current one on every update; null for none (not owned).
    void setGlobalState(State *p_new_state);
    /// The state executed before the current one, or null.
    State *getGlobalState() const;

    /// Runs the current state's Exit, then the new state's Enter; a null state is refused.
    void changeState(State *p_new_state);
    /// Runs the global state's Execute, then the current state's.
    void Update();

private:
    Object *p_owner = nullptr;         // passed to every state call
    State *p_state = nullptr;          // current state
    State *p_previous_state = nullptr; // state before the last change
    State *p_global_state = nullptr;   // executed before the current state on every update
};

} // namespace qv
