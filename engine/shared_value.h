// A value that the simulation thread and the main program both reach while a
// run goes: registers, program words, counters, the program counter and
// stack, and the change marks of the register descriptors.
#pragma once

#include <atomic>
#include <cstdint>

namespace corvel {

// Counts every store into an Edited value anywhere in the process: program
// words, line breakpoints and register breakpoints. The engine keeps tables
// derived from them (the predecoded program, the registers a write has to
// check) and builds them again before a batch of passes whenever the count
// has moved since it last looked. A store made while a batch runs is seen by
// the next batch.
inline std::atomic<uint64_t>& editCount() noexcept
{
    static std::atomic<uint64_t> count{0};
    return count;
}

// What a store does besides storing: nothing, or move the edit count after
// the value is stored.
struct StoreOnly {
    static void stored() noexcept {}
};
struct StoreCountsEdit {
    static void stored() noexcept { editCount().fetch_add(1, std::memory_order_release); }
};

// Every load and store is a relaxed atomic access, which on x86-64 compiles
// to the plain move it replaces, so neither thread ever meets a data race in
// the C++ sense. No order between two values is promised: the run handshake
// (the run flags) says when the main program sees a consistent state. A
// compound assignment is a load and a store, not one atomic step; a store the
// other thread makes in between may be lost, as with plain variables.
template <typename T, typename OnStore>
class SharedValue {
public:
    constexpr SharedValue() noexcept = default;
    constexpr SharedValue(T value) noexcept
        : value_(value)
    {
    }
    SharedValue(const SharedValue& other) noexcept
        : value_(other.load())
    {
    }
    SharedValue& operator=(const SharedValue& other) noexcept
    {
        store(other.load());
        return *this;
    }
    SharedValue& operator=(T value) noexcept
    {
        store(value);
        return *this;
    }

    operator T() const noexcept { return load(); }
    T load() const noexcept { return value_.load(std::memory_order_relaxed); }
    void store(T value) noexcept
    {
        value_.store(value, std::memory_order_relaxed);
        OnStore::stored();
    }

    template <typename U>
    SharedValue& operator+=(U value) noexcept
    {
        store(T(load() + value));
        return *this;
    }
    template <typename U>
    SharedValue& operator-=(U value) noexcept
    {
        store(T(load() - value));
        return *this;
    }
    template <typename U>
    SharedValue& operator|=(U value) noexcept
    {
        store(T(load() | value));
        return *this;
    }
    template <typename U>
    SharedValue& operator&=(U value) noexcept
    {
        store(T(load() & value));
        return *this;
    }
    SharedValue& operator++() noexcept { return *this += 1; }
    SharedValue& operator--() noexcept { return *this -= 1; }
    T operator++(int) noexcept
    {
        const T before = load();
        store(T(before + 1));
        return before;
    }

private:
    std::atomic<T> value_{};
};

// A value the simulation thread and the main program share.
template <typename T>
using Shared = SharedValue<T, StoreOnly>;

// A shared value whose stores count as edits (editCount()). Reading costs
// what a Shared read costs.
template <typename T>
using Edited = SharedValue<T, StoreCountsEdit>;

} // namespace corvel
