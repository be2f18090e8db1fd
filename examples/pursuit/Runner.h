#pragma once

#include <quorvex/Object.h>

/// The player's character: the arrows move it while they are held, Q quits.
class Runner : public qv::Object
{
public:
    /// A HARD "Runner"; `quit_after` passes end the game (0: never).
    explicit Runner(int quit_after);

    /// Moves on held arrows, quits on Q, counts passes; 1 if handled, 0 if not.
    int eventHandler(const qv::Event *p_event) override;

private:
    int quit_after; // passes before the game ends by itself, 0 for never
};
