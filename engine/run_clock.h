// The time base of the simulation thread's pacing and its waits. The steady
// clock serves every run of the product; tests install a clock of their own
// so that the pacing logic runs without real time.
#pragma once

#include <cstdint>

#include "engine/run_signal.h"

namespace corvel {

inline constexpr int64_t kTicksPerSecond = 1'000'000'000; // a tick is one nanosecond

class RunClock {
public:
    virtual ~RunClock() = default;
    // A monotonic tick count.
    virtual int64_t now() = 0;
    // Returns after `ticks` ticks, or earlier once `signal` has been raised
    // since generation `seen`.
    virtual void wait(int64_t ticks, const RunSignal& signal, uint64_t seen) = 0;
};

// std::chrono::steady_clock in nanoseconds, with waits on the signal.
RunClock& steadyRunClock();

// Factor as the pacing uses it: a factor that is not a positive number runs
// at real time; others are kept within 1e-6 .. 1e6.
double pacingFactor(double factor);

// One machine cycle of real-time pacing at `factor` times real time:
// cycleTicks / factor, truncated, kept within what a tick count can hold.
int64_t pacingTicksPerCycle(int64_t cycleTicks, double factor);

} // namespace corvel
