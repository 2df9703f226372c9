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

// The per-model constants the engine and the chip device read by name. A
// register, bit, configuration bit or pin the model does not have is -1, and
// so is every one a model's row leaves out: an address never defaults to 0,
// which is INDF.
struct ModelTable {
    int32_t AdrOSCCAL = -1;
    int32_t AdrGPIO = -1;
    int32_t AdrPORTA = -1;
    int32_t AdrPORTB = -1;
    int32_t AdrPORTC = -1;
    int32_t AdrPORTD = -1;
    int32_t AdrPORTE = -1;
    int32_t AdrCMCON0 = -1;
    int32_t AdrADCON0 = -1;
    int32_t AdrADRES = -1;
    int32_t AdrEECON = -1;
    int32_t AdrEEDATA = -1;
    int32_t AdrEEADR = -1;
    int32_t LastBitGPIO = -1;
    int32_t LastBitPORTA = -1;
    int32_t LastBitPORTB = -1;
    int32_t LastBitPORTC = -1;
    int32_t LastBitPORTD = -1;
    int32_t LastBitPORTE = -1;
    bool HasPinWake = false; // wake-up from sleep on a pin change
    bool HasFOSC4 = false;   // OSCCAL bit 0 routes the instruction clock to GP2
    int32_t CfgNoWDTE = -1;
    int32_t CfgNoMCLRE = -1; // -1: the reset pin is always active
    int32_t PinT0CKI = -1;   // port numbers of the chip device
    int32_t PinMCLR = -1;
};

// The package outline of a model: how many pins it has.
enum class Package : uint8_t {
    Dip8,
    Dip14,
    Dip18,
    Dip28,
    Dip40,
};

constexpr int packagePinCount(Package package)
{
    constexpr int kPins[] = {8, 14, 18, 28, 40};
    return kPins[static_cast<int>(package)];
}

// How a package's pins are assigned. Models of one pinout have the same chip
// device pins, the same package picture and the same overlays while a run
// goes; they differ only in memory or configuration.
enum class Pinout : uint8_t {
    Pic10F200, // PIC10F200, PIC10F202
    Pic10F204, // PIC10F204, PIC10F206: comparator
    Pic10F220, // PIC10F220, PIC10F222: converter
    Pic12F508, // PIC12F508, PIC12F509, PIC12F519
    Pic12F510, // comparator and converter
    Pic16F505,
    Pic16F506, // PIC16F506, PIC16F526
    Pic16F54,
    Pic16F57,
    Pic16F59,
};
inline constexpr int kPinoutCount = 10;

// A pin of the chip device, in port order: the port number is the engine's
// pin number.
struct ChipPin {
    const char* name; // a backslash marks an active-low function
    bool inputOnly;   // direction 1, default level NaN; the others drive (direction 3, 0.0 V)
};

// The most pins a listed model's chip device has (PIC16F59's 34).
inline constexpr int kMostChipPins = 34;

// Which page of the configuration dialog a model's bits are set on.
enum class ConfigFamily : uint8_t {
    None, // the model cannot be simulated: no bits to set
    Pic10F20x,
    Pic10F22x,
    Pic12F,
    Pic16F5x,
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
    // What the chip device, its pictures and its configuration dialog show.
    Package package;
    Pinout pinout;
    std::span<const ChipPin> pins;
    ConfigFamily configFamily;
    // The simulation; empty for a model that is only listed.
    int32_t romSize = 0; // words
    int32_t pcLen = 0;   // bits of the program counter
    uint16_t sfrCount = 0;
    uint16_t gprCount = 0;
    std::span<const SfrRow> sfrRows = {}; // in display order
    std::span<const AddressRange> gprRanges = {};
    uint16_t defaultConfig = 0; // bit i = Config bit i
    std::span<const ConfigBitEntry> configBits = {};
    ModelTable table = {};
    // Power-on values besides zero; every general-purpose register is
    // entirely unknown as well.
    std::span<const PowerOnValue> powerOn = {};
    std::span<const RunResetValue> runReset = {};
    // A run-time reset reports the wake-up source in STATUS bits 7 and 6;
    // without it those bits are cleared with PA0.
    bool wakeUpFlags = false;
};

// The catalogue entry of a model index, or nullptr for an index the engine
// cannot simulate (PIC16F505/506/526 and anything above 15).
const ModelEntry* findModel(int index);

// The models that have an entry, in index order.
std::span<const ModelEntry> catalogue();

// The row of any listed model index 0..15, also of PIC16F505/506/526, which
// have their name, package, pins and picture but nothing to simulate; nullptr
// for any other index.
const ModelEntry* listedModel(int index);

// The configuration bit of the model that switches its internal oscillator to
// 8 MHz (IOSCFS), or -1 when it has none.
int ioscfsConfigBit(const ModelEntry& model);

} // namespace corvel
