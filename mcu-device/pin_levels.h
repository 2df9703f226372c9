// What the simulated chip drives onto each of its pins: 5 V or 0 V where the
// program made the pin an output, NaN (not driven) where the pin is an input,
// an analogue input, an oscillator pin or the reset pin, so that the node's
// level comes from the other devices on it.
#pragma once

#include "devices/contract.h"
#include "engine/engine.h"

namespace corvel {

// The level on port `port` of the chip device of the selected model
// (`TypeMC`), from the register file and Config as they are now. Reads a
// few bits, allocates nothing; NaN for a port the model does not have and
// for PIC16F505/506/526, which the engine does not simulate.
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
