// What the simulated chip drives onto each of its pins: 5 V or 0 V where the
// program made the pin an output, NaN (not driven) where the pin is an input,
// an analogue input, an oscillator pin or the reset pin, so that the node's
// level comes from the other devices on it.
#pragma once

#include "devices/contract.h"
#include "engine/engine.h"

namespace corvel {

// What drives a pin, decided by the registers that give the pin a function
// (OPTION, OSCCAL, CMCON0's enables, ADCON0) and the configuration. Which
// level that source puts on the pin then depends on the direction and latch
// bits or the comparator output, which a program changes freely.
struct ChipPinSource {
    enum Kind : uint8_t {
        Undriven,         // an input of some function, the reset or an oscillator pin
        High,             // the instruction clock, shown as a steady high
        PortBit,          // the port's latch bit while its direction bit is clear
        ComparatorOutput, // CMCON0 bit 7
    };
    Kind kind = Undriven;
    int tris = 0;      // PortBit: the register index of the direction bits
    int32_t port = -1; // PortBit: the register index of the latch
    int bit = 0;       // PortBit: the bit in both
};

// The source of port `port` of the chip device of the selected model.
ChipPinSource chipPinSource(const Engine& engine, int port);

// The level on port `port` of the chip device of the selected model
// (`TypeMC`), by the rules of its catalogue row's pinout, from the register
// file and Config as they are now. Reads a few bits, allocates nothing, takes
// no lock; NaN for a port the model does not have and for PIC16F505/506/526,
// which the engine does not simulate.
float chipPinLevel(const Engine& engine, int port);

// True when port `port` drives nothing because of what the registers that
// give the pin a function (OPTION, OSCCAL, CMCON0's enables, ADCON0) and the
// configuration make of it, whatever the direction bits, the latches and the
// comparator output hold: the pin stays undriven until one of those changes.
bool chipPinUndrivenByFunction(const Engine& engine, int port);

} // namespace corvel

// The level callback of every chip pin; NaN for anything that is not a live
// pin of a chip device corvel created. Runs on the simulation thread and on
// the main thread.
extern "C" float GetPinLevelMC(TObject* pin);
