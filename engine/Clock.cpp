#include "Clock.h"

#include <climits>
#include <ctime>

namespace qv
{

namespace
{

long long now()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000LL + ts.tv_nsec / 1000;
}

int toMicroseconds(long long elapsed)
{
    // Past 35 minutes a difference no longer fits an int; saturate rather than wrap.
    return elapsed > INT_MAX ? INT_MAX : static_cast<int>(elapsed);
}

} // namespace

Clock::Clock() : previous_time(now()) {}

int Clock::delta()
{
    const long long current = now();
    const long long elapsed = current - previous_time;
    previous_time = current;
    return toMicroseconds(elapsed);
}

int Clock::split() const
{
    return toMicroseconds(now() - previous_time);
}

} // namespace qv
