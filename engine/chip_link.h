// What the engine needs from the chip device on the workbench. The device
// implements it; the engine holds a pointer and works without one too.
#pragma once

namespace corvel {

class ChipLink {
public:
    virtual ~ChipLink() = default;

    // Level in volts of the node wired to the chip's port `port` (the device's
    // port numbering), NaN when nothing drives it or no node is wired.
    virtual float pinLevel(int port) const = 0;

    // False when port `port` reads undriven until the engine plans again: no
    // node is wired to it, nothing on its node can drive, or only the chip's
    // own pins drive the node while the registers that give those pins a
    // function leave them undriven (a program write to any of them makes the
    // engine plan again). The engine plans at least every few thousand
    // instructions; true (the default) has it read the port each time.
    virtual bool portWired(int port) const
    {
        (void)port;
        return true;
    }

    // The unknown-bit choice of the device's saved settings: '0', '1', or any
    // other character for a random bit.
    virtual char unknownBitChoice() const = 0;

    // Writes configuration bit `bit` ('0' or '1') into the saved settings.
    virtual void storeConfigBit(int bit, char value) = 0;
};

} // namespace corvel
