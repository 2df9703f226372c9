#pragma once

// What the chip picture reads of the simulated chip, and nothing more. The
// chip device binds it to the engine; tests and the screenshot renderer bind
// it to a fake. Every member only reads: the picture is painted on the main
// thread while the simulation thread keeps writing registers, so a picture may
// mix the states of consecutive instructions, one element at a time.
#include <cstdint>

namespace corvel {

// File addresses of the registers the picture reads, from the model table;
// -1 where the selected model lacks the register.
struct ChipAddresses {
    int gpio = -1;   // GPIO of the PIC10F/12F models
    int osccal = -1; // OSCCAL: bit 0 (FOSC4) puts the instruction clock on GP2
    int cmcon0 = -1; // CMCON0, CM1CON0 on PIC12F510
    int adcon0 = -1;
    int port[5] = {-1, -1, -1, -1, -1}; // PORTA..PORTE of the PIC16F54/57/59
    bool hasFosc4 = false;              // OSCCAL bit 0 exists as FOSC4
};

class ChipView {
public:
    // Register indices outside the file registers.
    static constexpr int kOption = 257;
    static constexpr int kTrisGpio = 258;
    static constexpr int kTrisA = 259; // TRISB..TRISE follow: kTrisA + port

    virtual ~ChipView() = default;

    // The selected model, 0..15 in catalogue order; any other value draws
    // nothing.
    virtual int typeMC() const = 0;
    // Register row registerIndex (0..264) of the register file as one byte:
    // bit b is bit b of the row. Bit 1 of a TRIS row makes the pin an input.
    virtual uint8_t reg(int registerIndex) const = 0;
    // Configuration bit 0..11 (FOSC0 0, FOSC1 1, MCLRE 4).
    virtual bool config(int bit) const = 0;
    // The level of the node wired to chip port `port`, in volts: NaN when
    // nothing drives it. Asks the node, which may call other devices' level
    // callbacks.
    virtual float nodeLevel(int port) const = 0;
    // The model table's addresses for the selected model.
    virtual ChipAddresses addresses() const = 0;

    bool bit(int registerIndex, int bitNumber) const
    {
        return registerIndex >= 0 && (reg(registerIndex) >> bitNumber & 1) != 0;
    }
};

} // namespace corvel
