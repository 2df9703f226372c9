// The configuration bits of the simulated chip. The main program writes them
// (Set_config, the chip device's saved settings, the configuration dialog)
// while a run may be going; the simulation thread reads them when it plans
// the peripherals, reads a port or reports a pin level. Each bit is one
// atomic byte, so a reader sees either the old or the new value of a bit and
// never a torn or stale-forever one.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <ostream>

namespace corvel {

class ConfigBitArray {
public:
    static constexpr std::size_t kBits = 12;
    using Values = std::array<std::uint8_t, kBits>;

    // One bit, assignable like an array element.
    class Bit {
    public:
        Bit& operator=(std::uint8_t value)
        {
            bit_.store(value, std::memory_order_relaxed);
            return *this;
        }
        Bit& operator=(const Bit& other) { return *this = std::uint8_t(other); }
        operator std::uint8_t() const { return bit_.load(std::memory_order_relaxed); }
        friend std::ostream& operator<<(std::ostream& out, const Bit& bit) { return out << int(std::uint8_t(bit)); }

    private:
        friend class ConfigBitArray;
        explicit Bit(std::atomic<std::uint8_t>& bit)
            : bit_(bit)
        {
        }
        std::atomic<std::uint8_t>& bit_;
    };

    // Reads the bits one by one, bit 0 first.
    class const_iterator {
    public:
        using value_type = std::uint8_t;
        using difference_type = std::ptrdiff_t;
        const_iterator() = default;
        std::uint8_t operator*() const { return (*bits_)[index_]; }
        const_iterator& operator++()
        {
            ++index_;
            return *this;
        }
        const_iterator operator++(int)
        {
            const const_iterator before = *this;
            ++index_;
            return before;
        }
        bool operator==(const const_iterator& other) const { return index_ == other.index_; }

    private:
        friend class ConfigBitArray;
        const_iterator(const ConfigBitArray* bits, std::size_t index)
            : bits_(bits)
            , index_(index)
        {
        }
        const ConfigBitArray* bits_ = nullptr;
        std::size_t index_ = 0;
    };

    ConfigBitArray() = default;
    ConfigBitArray(const Values& values) { *this = values; }
    ConfigBitArray(const ConfigBitArray& other) { *this = other.values(); }
    ConfigBitArray& operator=(const ConfigBitArray& other) { return *this = other.values(); }
    ConfigBitArray& operator=(const Values& values)
    {
        for (std::size_t bit = 0; bit < kBits; ++bit)
            bits_[bit].store(values[bit], std::memory_order_relaxed);
        return *this;
    }

    std::uint8_t operator[](std::size_t bit) const { return bits_[bit].load(std::memory_order_relaxed); }
    Bit operator[](std::size_t bit) { return Bit(bits_[bit]); }
    static constexpr std::size_t size() { return kBits; }
    const_iterator begin() const { return const_iterator(this, 0); }
    const_iterator end() const { return const_iterator(this, kBits); }

    // The bits as they are now, one by one.
    Values values() const
    {
        Values result;
        for (std::size_t bit = 0; bit < kBits; ++bit)
            result[bit] = (*this)[bit];
        return result;
    }
    operator Values() const { return values(); }
    void fill(std::uint8_t value)
    {
        for (std::atomic<std::uint8_t>& bit : bits_)
            bit.store(value, std::memory_order_relaxed);
    }

    friend bool operator==(const ConfigBitArray& a, const ConfigBitArray& b) { return a.values() == b.values(); }
    friend bool operator==(const ConfigBitArray& a, const Values& b) { return a.values() == b; }
    friend std::ostream& operator<<(std::ostream& out, const ConfigBitArray& bits)
    {
        for (std::size_t bit = 0; bit < kBits; ++bit)
            out << (bit ? " " : "") << int(bits[bit]);
        return out;
    }

private:
    std::array<std::atomic<std::uint8_t>, kBits> bits_{};
};

} // namespace corvel
