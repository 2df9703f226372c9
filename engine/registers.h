// Register indices and the per-register descriptor of the engine.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "engine/shared_value.h"

namespace corvel {

// A register index names one row of the register file: 0..255 are the file
// registers with every bank counted (address 0x10 of bank 1 is index 0x30),
// then the registers that live outside the file.
inline constexpr int kRegisterCount = 265;
// The descriptor table has one entry more than the register file; the last
// one is never used.
inline constexpr int kDescriptorCount = 266;

namespace reg {
inline constexpr int INDF = 0;
inline constexpr int TMR0 = 1;
inline constexpr int PCL = 2;
inline constexpr int STATUS = 3;
inline constexpr int FSR = 4;
inline constexpr int OSCCAL = 5;
inline constexpr int GPIO = 6;
inline constexpr int W = 256;
inline constexpr int OPTION = 257;
inline constexpr int TRISGPIO = 258;
inline constexpr int TRISA = 259; // TRISB..TRISE follow
inline constexpr int TRISE = 263;
inline constexpr int Prescaler = 264; // shown as "TMR0 Prescaler"
} // namespace reg

// Bits of STATUS. Bits 6 and 7 are CWUF/GPWUF on the PIC10F/12F models and
// the page bits PA1/PA2 on the PIC16F5x.
namespace status {
inline constexpr uint8_t C = 0x01;
inline constexpr uint8_t DC = 0x02;
inline constexpr uint8_t Z = 0x04;
inline constexpr uint8_t PD = 0x08; // \PD, active low
inline constexpr uint8_t TO = 0x10; // \TO, active low
inline constexpr uint8_t PA0 = 0x20;
inline constexpr uint8_t PA1 = 0x40;
inline constexpr uint8_t CWUF = 0x40;
inline constexpr uint8_t GPWUF = 0x80;
} // namespace status

// One register's description for the register views, with the change marks
// and breakpoints the main program reads and sets. The marks and breakpoints
// come first: the register write touches them on every store, so they share
// one cache line.
// The marks, the breakpoints and usedbit (the prescaler row's changes with
// OPTION) are Shared: the main program reads and sets them while the
// simulation thread runs.
struct TMatrixRAM {
    bool Implemented = false;
    bool IsSFR = false;
    Shared<bool> delta = false;      // written since the main program last cleared it
    Shared<bool> greenDelta = false; // the last instruction that wrote it left it unchanged
    Shared<uint8_t> deltabit = 0;    // bit b: bit b written since the last clearing
    Shared<uint8_t> usedbit = 0;     // bit b: bit b exists in the selected model
    Edited<bool> BreakPoint = false;
    Shared<bool> GreenBP = false; // with BreakPoint: stop on writes that change nothing too
    Shared<bool> ToClearDelta = false;
    int32_t IDERow = 0;     // display row of this register, -1 when not shown
    uint16_t SIMadress = 0; // of entry k: the register index shown in display row k
    std::string IDEName;
    std::string IDEHexaddres;
    std::array<std::string, 8> bitname;
};

} // namespace corvel
