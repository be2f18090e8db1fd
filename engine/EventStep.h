#pragma once

#include "Event.h"

namespace qv
{

/// Sent to every object registered for "qv-step" once per pass of the game loop.
class EventStep : public Event
{
public:
    explicit EventStep(int init_step_count = 0);

    /// The loop's pass counter when the event was made.
    int getStepCount() const;
    void setStepCount(int new_step_count);

private:
    int step_count; // passes of the game loop completed before this one
};

} // namespace qv
