#pragma once

namespace qv
{

/// Measures elapsed time in microseconds on the system's monotonic clock, so that no change of
/// the wall clock (an hour turning, a time adjustment) ever disturbs a difference.
class Clock
{
public:
    /// A clock that starts now.
    Clock();

    /// Microseconds since the clock last started; restarts it.
    int delta();
    /// Microseconds since the clock last started; leaves it running.
    int split() const;

private:
    long long previous_time; // monotonic time of the last start, µs
};

} // namespace qv
