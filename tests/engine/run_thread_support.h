// Test support for runs on the simulation thread: clocks that pace without
// real time or report each wait of the thread, a chip device whose pin reads
// run a script on the thread, and a bounded wait for a condition.
#pragma once

#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <limits>
#include <thread>

#include "engine/engine.h"

namespace enginetest {

// Polls `condition` until it holds or `limit` has passed; true when it held.
template <typename Condition>
bool eventually(Condition condition, std::chrono::milliseconds limit = std::chrono::milliseconds(3000))
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

// Time that moves only when the thread looks at it: each reading adds
// `stepPerRead` ticks and each wait adds the ticks waited, so a run paces
// through simulated time as fast as the host allows.
class FakeClock : public corvel::RunClock {
public:
    explicit FakeClock(int64_t stepPerRead = 1)
        : stepPerRead_(stepPerRead)
    {
    }
    int64_t now() override
    {
        reads.fetch_add(1);
        return time.fetch_add(stepPerRead_) + stepPerRead_;
    }
    void wait(int64_t ticks, const corvel::RunSignal&, uint64_t) override
    {
        if (onWait)
            onWait(ticks);
        time.fetch_add(ticks);
        waits.fetch_add(1);
        // Give the test thread its turn, as a real wait would.
        std::this_thread::yield();
    }

    std::atomic<int64_t> time{0};
    std::atomic<int64_t> waits{0};
    std::atomic<int64_t> reads{0};
    std::function<void(int64_t ticks)> onWait; // runs on the simulation thread

private:
    int64_t stepPerRead_;
};

// The steady clock, with a hook that runs on the simulation thread before
// each of its waits: the place to look at the engine while the thread stands
// still.
class ObservedClock : public corvel::RunClock {
public:
    int64_t now() override { return corvel::steadyRunClock().now(); }
    void wait(int64_t ticks, const corvel::RunSignal& signal, uint64_t seen) override
    {
        if (onWait)
            onWait(ticks);
        waits.fetch_add(1, std::memory_order_release);
        corvel::steadyRunClock().wait(ticks, signal, seen);
    }

    std::function<void(int64_t ticks)> onWait;
    std::atomic<int64_t> waits{0};
};

// A chip device whose every pin read first runs `onRead` on the reading
// thread; pins are undriven unless a level is set.
class ScriptedLink : public corvel::ChipLink {
public:
    ScriptedLink()
    {
        for (auto& level : levels)
            level.store(std::numeric_limits<float>::quiet_NaN());
    }
    float pinLevel(int port) const override
    {
        if (onRead)
            onRead(port);
        return levels[size_t(port)].load();
    }
    char unknownBitChoice() const override { return '0'; }
    void storeConfigBit(int, char) override {}

    std::array<std::atomic<float>, 40> levels;
    std::function<void(int port)> onRead;
};

} // namespace enginetest
