#pragma once

#include "Event.h"

namespace qv
{

/// Sent to every object registered for "qv-step" once per pass of the game loop.
class EventStep : public Event
{
public:
    /// A "qv-step" event for the pass `init_step_count`.
    explicit EventStep(int init_step_count = 0);

    /// The loop's pass counter when the event was made.
    int getStepCount() const;
    /// Changes the pass counter carried.
    void setStepCount(int new_step_count);

private:
    int step_count; // passes of the game loop completed before this one
};

} // namespace qv
