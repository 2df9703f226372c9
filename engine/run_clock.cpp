#include "engine/run_clock.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace corvel {
namespace {

class SteadyRunClock final : public RunClock {
public:
    int64_t now() override
    {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
            std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }

    void wait(int64_t ticks, const RunSignal& signal, uint64_t seen) override
    {
        if (ticks > 0)
            signal.waitFor(std::chrono::nanoseconds(ticks), seen);
    }
};

} // namespace

RunClock& steadyRunClock()
{
    static SteadyRunClock clock;
    return clock;
}

// Beyond a millionth or a million times real time a factor means nothing
// more; within those bounds every tick count stays far from overflow.
double pacingFactor(double factor)
{
    if (!(factor > 0.0) || !std::isfinite(factor))
        return 1.0;
    return std::clamp(factor, 1e-6, 1e6);
}

int64_t pacingTicksPerCycle(int64_t cycleTicks, double factor)
{
    const double ticks = double(cycleTicks) / pacingFactor(factor);
    // 2^62: far beyond any pause a run could make, and safe to add to a tick count.
    constexpr double kLongest = 4.611686018427387904e18;
    return ticks < kLongest ? int64_t(ticks) : int64_t(kLongest);
}

} // namespace corvel
