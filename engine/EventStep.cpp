#include "EventStep.h"

namespace qv
{

EventStep::EventStep(int init_step_count) : step_count(init_step_count)
{
    setType(STEP_EVENT);
}

int EventStep::getStepCount() const
{
    return step_count;
}

void EventStep::setStepCount(int new_step_count)
{
    step_count = new_step_count;
}

} // namespace qv
