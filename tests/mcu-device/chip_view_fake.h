#pragma once

// A chip state held in plain arrays, for drawing the chip picture without the
// engine: the register file as bytes, the configuration bits, one node level
// per port and the addresses of the model's catalogue row.
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>

#include "engine/catalogue.h"
#include "mcu-device/chip_view.h"

namespace twtest {

// The addresses the chip device reads from the model's catalogue row; none
// for a model without one.
inline corvel::ChipAddresses chipAddressesOf(int typeMC)
{
    corvel::ChipAddresses a;
    const corvel::ModelEntry* model = corvel::findModel(typeMC);
    if (!model)
        return a;
    const corvel::ModelTable& t = model->table;
    a.gpio = t.AdrGPIO;
    a.osccal = t.AdrOSCCAL;
    a.cmcon0 = t.AdrCMCON0;
    a.adcon0 = t.AdrADCON0;
    a.port[0] = t.AdrPORTA;
    a.port[1] = t.AdrPORTB;
    a.port[2] = t.AdrPORTC;
    a.port[3] = t.AdrPORTD;
    a.port[4] = t.AdrPORTE;
    a.hasFosc4 = t.HasFOSC4;
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
