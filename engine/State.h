#pragma once

#include <string>

namespace qv
{

class Object;

/// One state of a state machine. A game derives its states from it and defines `Execute`, which
/// the machine runs once per update with the object that owns the machine.
class State
{
public:
    /// A state with an empty type.
    State();
    /// Nothing to release; virtual for the game's states.
    virtual ~State();

    /// Runs when the machine switches to this state.
    virtual void Enter(Object *p_obj);
    /// Runs on every update while this state is current.
    virtual void Execute(Object *p_obj) = 0;
    /// Runs when the machine switches away from this state.
    virtual void Exit(Object *p_obj);

    /// The state's name, shown in log lines.
    std::string getType() const;
    /// Names the state for log lines.
    void setType(const std::string &new_type);

private:
    std::string type; // name shown in log lines
};

} // namespace qv
