#pragma once

#include <quorvex/Object.h>

/// A HARD rock drifting to the left. A bullet breaks it (one more point on "Score"), running into
/// the ship breaks it too (one less on "Shields"), and leaving the world deletes it quietly.
class Rock : public qv::Object
{
public:
    /// A rock at `where`, drifting left at a random speed.
    explicit Rock(qv::Vector where);

    /// Handles collisions and leaving the world; 1 if handled, 0 if not.
    int eventHandler(const qv::Event *p_event) override;

    /// Rocks that left the world so far.
    static int getEscaped();

private:
    bool broken = false; // already counted and marked for deletion
};
