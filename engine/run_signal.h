// The run flags the user-interface thread and the simulation thread share,
// and the signal that lets a change of any of them end a wait at once.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace corvel {

// Raised on every change of a run flag. A waiter reads generation() before
// it looks at the flags and then waits for a generation past it, so a change
// made between its look and its wait is never lost.
class RunSignal {
public:
    uint64_t generation() const { return generation_.load(std::memory_order_acquire); }

    void raise()
    {
        {
            std::lock_guard lock(mutex_);
            generation_.fetch_add(1, std::memory_order_release);
        }
        changed_.notify_all();
    }

    // Returns when `timeout` has passed or the signal has been raised since
    // generation `seen`, whichever comes first.
    void waitFor(std::chrono::nanoseconds timeout, uint64_t seen) const
    {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, timeout, [&] { return generation_.load(std::memory_order_relaxed) != seen; });
    }

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::atomic<uint64_t> generation_{0};
};

// A one-byte run flag with the interface of std::atomic<uint8_t>; a store
// that changes the value raises the signal.
class RunFlag {
public:
    explicit RunFlag(RunSignal& signal)
        : signal_(signal)
    {
    }
    RunFlag(const RunFlag&) = delete;
    RunFlag& operator=(const RunFlag&) = delete;

    uint8_t load(std::memory_order order = std::memory_order_seq_cst) const { return value_.load(order); }
    void store(uint8_t value, std::memory_order order = std::memory_order_seq_cst)
    {
        if (value_.exchange(value, order) != value)
            signal_.raise();
    }
    RunFlag& operator=(uint8_t value)
    {
        store(value);
        return *this;
    }
    operator uint8_t() const { return load(); }

private:
    std::atomic<uint8_t> value_{0};
    RunSignal& signal_;
};

} // namespace corvel
