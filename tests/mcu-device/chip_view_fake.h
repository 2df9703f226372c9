#pragma once

// A chip state held in plain arrays, for drawing the chip picture without the
// engine: the register file as bytes, the configuration bits, one node level
// per port and the model table's addresses per model.
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>

#include "mcu-device/chip_view.h"

namespace twtest {

inline corvel::ChipAddresses chipAddressesOf(int typeMC)
{
    corvel::ChipAddresses a;
    if (typeMC <= 9) {
        a.osccal = 5;
        a.gpio = 6;
        a.hasFosc4 = typeMC <= 5;
        if (typeMC == 2 || typeMC == 3)
            a.cmcon0 = 7;
        if (typeMC == 4 || typeMC == 5)
            a.adcon0 = 7;
        if (typeMC == 8) {
            a.cmcon0 = 7;
            a.adcon0 = 8;
        }
    } else if (typeMC >= 13) {
        a.port[0] = 5;
        a.port[1] = 6;
        if (typeMC >= 14)
            a.port[2] = 7;
        if (typeMC == 15) {
            a.port[3] = 8;
            a.port[4] = 9;
        }
    }
    return a;
}

class FakeChip : public corvel::ChipView {
public:
    static constexpr float kUndriven = std::numeric_limits<float>::quiet_NaN();

    explicit FakeChip(int typeMC) : type(typeMC), addressTable(chipAddressesOf(typeMC))
    {
        levels.fill(kUndriven);
    }

    int typeMC() const override { return type; }
    uint8_t reg(int registerIndex) const override { return ram.at(size_t(registerIndex)); }
    bool config(int bit) const override { return configBits.at(size_t(bit)); }
    float nodeLevel(int port) const override { return levels.at(size_t(port)); }
    corvel::ChipAddresses addresses() const override { return addressTable; }

    void setBit(int registerIndex, int bit, bool value)
    {
        uint8_t& byte = ram.at(size_t(registerIndex));
        byte = uint8_t(value ? byte | 1u << bit : byte & ~(1u << bit));
    }

    int type;
    corvel::ChipAddresses addressTable;
    std::array<uint8_t, 265> ram{};
    std::array<bool, 12> configBits{};
    std::array<float, 34> levels{};
};

} // namespace twtest
