// A value that the simulation thread and the main program both reach while a
// run goes: registers, program words, counters, the program counter and
// stack, and the change marks of the register descriptors.
#pragma once

#include <atomic>

namespace corvel {

// Every load and store is a relaxed atomic access, which on x86-64 compiles
// to the plain move it replaces, so neither thread ever meets a data race in
// the C++ sense. No order between two values is promised: the run handshake
// (the run flags) says when the main program sees a consistent state. A
// compound assignment is a load and a store, not one atomic step; a store the
// other thread makes in between may be lost, as with plain variables.
template <typename T>
class Shared {
public:
    constexpr Shared() noexcept = default;
    constexpr Shared(T value) noexcept
        : value_(value)
    {
    }
    Shared(const Shared& other) noexcept
        : value_(other.load())
    {
    }
    Shared& operator=(const Shared& other) noexcept
    {
        store(other.load());
        return *this;
    }
    Shared& operator=(T value) noexcept
    {
        store(value);
        return *this;
    }

    operator T() const noexcept { return load(); }
    T load() const noexcept { return value_.load(std::memory_order_relaxed); }
    void store(T value) noexcept { value_.store(value, std::memory_order_relaxed); }

    template <typename U>
    Shared& operator+=(U value) noexcept
    {
        store(T(load() + value));
        return *this;
    }
    template <typename U>
    Shared& operator-=(U value) noexcept
    {
        store(T(load() - value));
        return *this;
    }
    template <typename U>
    Shared& operator|=(U value) noexcept
    {
        store(T(load() | value));
        return *this;
    }
    template <typename U>
    Shared& operator&=(U value) noexcept
    {
        store(T(load() & value));
        return *this;
    }
    Shared& operator++() noexcept { return *this += 1; }
    Shared& operator--() noexcept { return *this -= 1; }
    T operator++(int) noexcept
    {
        const T before = load();
        store(T(before + 1));
        return before;
    }

private:
    std::atomic<T> value_{};
};

} // namespace corvel
