#include "engine/run_clock.h"

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

double pacingFactor(double factor)
{
    return factor > 0.0 && std::isfinite(factor) ? factor : 1.0;
}

int64_t pacingTicksPerCycle(int64_t cycleTicks, double factor)
{
    const double ticks = double(cycleTicks) / pacingFactor(factor);
    // 2^62: far beyond any pause a run could make, and safe to add to a tick count.
    constexpr double kLongest = 4.611686018427387904e18;
    return ticks < kLongest ? int64_t(ticks) : int64_t(kLongest);
}

} // namespace corvel
