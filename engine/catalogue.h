// The model catalogue: everything that differs between the baseline models,
// as data. One ModelEntry per model that can be simulated.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace corvel {

// Model indices in the order of the model selection.
enum ModelIndex : uint8_t {
    kPic10F200 = 0,
    kPic10F202 = 1,
    kPic10F204 = 2,
    kPic10F206 = 3,
    kPic10F220 = 4,
    kPic10F222 = 5,
    kPic12F508 = 6,
    kPic12F509 = 7,
    kPic12F510 = 8,
    kPic12F519 = 9,
    kPic16F505 = 10, // listed by the library, no catalogue entry
    kPic16F506 = 11,
    kPic16F526 = 12,
    kPic16F54 = 13,
    kPic16F57 = 14,
    kPic16F59 = 15,
};
inline constexpr int kModelIndexCount = 16;

// The per-model constants the engine and the chip device read by name; -1
// marks a register, bit or pin the model does not have.
struct ModelTable {
    int32_t AdrOSCCAL = 0;
    int32_t AdrGPIO = 0;
    int32_t AdrPORTA = 0;
    int32_t AdrPORTB = 0;
    int32_t AdrPORTC = 0;
    int32_t AdrPORTD = 0;
    int32_t AdrPORTE = 0;
    int32_t AdrCMCON0 = 0;
    int32_t AdrADCON0 = 0;
    int32_t AdrADRES = 0;
    int32_t AdrEECON = 0;
    int32_t AdrEEDATA = 0;
    int32_t AdrEEADR = 0;
    int32_t LastBitGPIO = 0;
    int32_t LastBitPORTA = 0;
    int32_t LastBitPORTB = 0;
    int32_t LastBitPORTC = 0;
    int32_t LastBitPORTD = 0;
    int32_t LastBitPORTE = 0;
    bool HasPinWake = false; // wake-up from sleep on a pin change
    bool HasFOSC4 = false;   // OSCCAL bit 0 routes the instruction clock to GP2
    int32_t CfgNoWDTE = 0;
    int32_t CfgNoMCLRE = 0; // -1: the reset pin is always active
    int32_t PinT0CKI = 0;   // port numbers of the chip device
    int32_t PinMCLR = 0;
};

// A special-function row of the register view.
struct SfrRow {
    uint16_t index;   // register index
    const char* name; // IDEName
    uint8_t usedBits; // bits that exist
    std::array<const char*, 8> bitNames; // bit 0 first; nullptr when unnamed
};

struct AddressRange {
    uint8_t first;
    uint8_t last; // inclusive
};

// A configuration bit offered by the configuration dialog; the identifiers
// are texts of corvel's text table.
struct ConfigBitEntry {
    const char* name;
    int32_t descriptionId;
    int32_t no; // bit of the configuration word
    int32_t value0Id;
    int32_t value1Id;
};

// A register value after a power-on reset; bits in unknownBits take the
// unknown-bit choice.
struct PowerOnValue {
    uint16_t index;
    uint8_t value;
    uint8_t unknownBits;
};

// Bits a run-time reset (reset pin, watchdog, wake-up) forces: the register
// becomes (value & keepBits) | setBits.
struct RunResetValue {
    uint16_t index;
    uint8_t keepBits;
    uint8_t setBits;
};

struct ModelEntry {
    uint8_t index;
    const char* name;
    int32_t romSize; // words
    int32_t pcLen;   // bits of the program counter
    uint16_t sfrCount;
    uint16_t gprCount;
    std::span<const SfrRow> sfrRows; // in display order
    std::span<const AddressRange> gprRanges;
    uint16_t defaultConfig; // bit i = Config bit i
    std::span<const ConfigBitEntry> configBits;
    ModelTable table;
    // Power-on values besides zero; every general-purpose register is
    // entirely unknown as well.
    std::span<const PowerOnValue> powerOn;
    std::span<const RunResetValue> runReset;
    // A run-time reset reports the wake-up source in STATUS bits 7 and 6;
    // without it those bits are cleared with PA0.
    bool wakeUpFlags;
};

// The catalogue entry of a model index, or nullptr for an index the engine
// cannot simulate (PIC16F505/506/526 and anything above 15).
const ModelEntry* findModel(int index);

// The models that have an entry, in index order.
std::span<const ModelEntry> catalogue();

} // namespace corvel
