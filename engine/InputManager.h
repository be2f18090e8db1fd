#pragma once

#include "Manager.h"

namespace qv
{

/// Turns the window's keyboard and mouse events into engine events for the objects registered
/// for "qv-keyboard" and "qv-mouse". The game manager calls `getInput` once per pass.
class InputManager : public Manager
{
public:
    static InputManager &getInstance();

    /// Accepts "qv-keyboard" and "qv-mouse".
    bool isValid(const std::string &event_name) const override;
    /// Needs the display manager started first; 0, or -1.
    int startUp() override;
    void shutDown() override;

    /// Delivers this pass's keyboard and mouse events.
    void getInput();

private:
    InputManager();
};

} // namespace qv
