#include "Clock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace
{

using std::chrono::steady_clock;

long long microsecondsBetween(steady_clock::time_point from, steady_clock::time_point to)
{
    return std::chrono::duration_cast<std::chrono::microseconds>(to - from).count();
}

} // namespace

TEST(Clock, SplitIsTheTrueElapsedTimeAndLeavesTheClockRunning)
{
    const steady_clock::time_point outer_start = steady_clock::now();
    qv::Clock clock;
    const steady_clock::time_point inner_start = steady_clock::now();
    for (int round = 0; round < 3; round++)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(15));
        const steady_clock::time_point inner_end = steady_clock::now();
        const int split = clock.split();
        const steady_clock::time_point outer_end = steady_clock::now();
        // Bracketed by two readings of the monotonic clock, allowing a microsecond of rounding.
        EXPECT_GE(split, microsecondsBetween(inner_start, inner_end) - 1) << round;
        EXPECT_LE(split, microsecondsBetween(outer_start, outer_end) + 1) << round;
    }
}

TEST(Clock, DeltaIsTheTrueElapsedTimeAndRestartsTheClock)
{
    qv::Clock clock;
    for (int round = 0; round < 3; round++)
    {
        const steady_clock::time_point outer_start = steady_clock::now();
        clock.delta();
        const steady_clock::time_point inner_start = steady_clock::now();
        std::this_thread::sleep_for(std::chrono::milliseconds(10 + 5 * round));
        const steady_clock::time_point inner_end = steady_clock::now();
        const int delta = clock.delta();
        const steady_clock::time_point outer_end = steady_clock::now();
        EXPECT_GE(delta, microsecondsBetween(inner_start, inner_end) - 1) << round;
        EXPECT_LE(delta, microsecondsBetween(outer_start, outer_end) + 1) << round;
        // Right after a delta the clock starts again from zero.
        const int split = clock.split();
        EXPECT_GE(split, 0);
        EXPECT_LE(split, microsecondsBetween(inner_end, steady_clock::now()) + 1);
    }
}
