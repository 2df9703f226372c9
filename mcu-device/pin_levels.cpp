#include "mcu-device/pin_levels.h"

#include <array>
#include <limits>
#include <type_traits>

#include "engine/catalogue.h"
#include "engine/registers.h"
#include "mcu-device/chip_device.h"

namespace corvel {
namespace {

constexpr float kHigh = 5.0f;
constexpr float kLow = 0.0f;

bool isSet(const Engine& engine, int index, int bit)
{
    return (engine.RAM[size_t(index)] >> bit) & 1;
}

// A register bit the model may lack (address -1) counts as clear.
bool isSetIfPresent(const Engine& engine, int32_t address, int bit)
{
    return address >= 0 && isSet(engine, address, bit);
}

using PinSource = ChipPinSource;

constexpr PinSource kUndriven{};

// A digital port pin: its direction bit set makes it an input. A port the
// model lacks (address -1) drives nothing.
PinSource portBit(int tris, int32_t port, int bit)
{
    if (port < 0)
        return kUndriven;
    return {PinSource::PortBit, tris, port, bit};
}

// CMCON0 bit 3 (CMPON) gives GP0 and GP1 to the comparator; with bit 6
// (\COUTEN) clear its output, bit 7, drives GP2.
constexpr int kComparatorOn = 3;
constexpr int kComparatorOutputDisabled = 6;
constexpr int kComparatorOutput = 7;
// T0CS: timer 0 counts the GP2/T0CKI pin, which is then an input.
constexpr int kTimerClockInput = 5;

PinSource pic10fSource(const Engine& engine, int port)
{
    const bool comparatorOn = isSetIfPresent(engine, engine.AdrCMCON0, kComparatorOn);
    switch (port) {
    case 0:
    case 1:
        // ADCON0 bits 6 and 7 (ANS0, ANS1) make GP0 and GP1 analogue.
        if (isSetIfPresent(engine, engine.AdrADCON0, 6 + port) || comparatorOn)
            return kUndriven;
        return portBit(reg::TRISGPIO, engine.AdrGPIO, port);
    case 2:
        if (comparatorOn && !isSet(engine, engine.AdrCMCON0, kComparatorOutputDisabled))
            return {PinSource::ComparatorOutput};
        // FOSC4 puts the instruction clock on GP2; it is shown as a steady high.
        if (engine.HasFOSC4 && isSetIfPresent(engine, engine.AdrOSCCAL, 0))
            return {PinSource::High};
        if (isSet(engine, reg::OPTION, kTimerClockInput))
            return kUndriven;
        return portBit(reg::TRISGPIO, engine.AdrGPIO, 2);
    default:
        return kUndriven; // GP3 is input-only, whatever MCLRE says
    }
}

// The comparator and the converter are those of the PIC12F510, where the
// model has them. ADCON0 bits 7..6 (ANS1:ANS0) take AN2 for 01, AN2 and AN0
// for 10, all three for 11.
PinSource pic12fSource(const Engine& engine, int port)
{
    const auto adcon = [&](int bit) { return isSetIfPresent(engine, engine.AdrADCON0, bit); };
    const bool comparatorOn = isSetIfPresent(engine, engine.AdrCMCON0, kComparatorOn);
    switch (port) {
    case 0:
        if (comparatorOn || adcon(7))
            return kUndriven;
        return portBit(reg::TRISGPIO, engine.AdrGPIO, 0);
    case 1:
        if (comparatorOn || (adcon(7) && adcon(6)))
            return kUndriven;
        return portBit(reg::TRISGPIO, engine.AdrGPIO, 1);
    case 2:
        if (adcon(7) || adcon(6))
            return kUndriven;
        if (comparatorOn && !isSet(engine, engine.AdrCMCON0, kComparatorOutputDisabled))
            return {PinSource::ComparatorOutput};
        if (isSet(engine, reg::OPTION, kTimerClockInput))
            return kUndriven;
        return portBit(reg::TRISGPIO, engine.AdrGPIO, 2);
    case 4:
    case 5:
        // GP4 and GP5 are port pins only with the internal oscillator
        // (FOSC1:FOSC0 = 10); otherwise they belong to the oscillator.
        if (engine.Config[0] == 0 && engine.Config[1] != 0)
            return portBit(reg::TRISGPIO, engine.AdrGPIO, port);
        return kUndriven;
    default:
        return kUndriven;
    }
}

// The ports of PIC16F54/57/59 in pin order; a model without a port has its
// address at -1, and its T0CKI and MCLR pins follow its last port pin.
struct PortPins {
    int firstPin;
    int count;
    int tris;
    int32_t ModelTable::*address;
    int firstBit;
};
constexpr PortPins kPortPins16F5x[] = {
    {0, 4, reg::TRISA, &ModelTable::AdrPORTA, 0},
    {4, 8, reg::TRISA + 1, &ModelTable::AdrPORTB, 0},
    {12, 8, reg::TRISA + 2, &ModelTable::AdrPORTC, 0},
    {20, 8, reg::TRISA + 3, &ModelTable::AdrPORTD, 0},
    {28, 4, reg::TRISE, &ModelTable::AdrPORTE, 4},
};

PinSource pic16f5xSource(const Engine& engine, int port)
{
    if (port == engine.PinT0CKI || port == engine.PinMCLR)
        return kUndriven;
    for (const PortPins& pins : kPortPins16F5x) {
        if (port >= pins.firstPin && port < pins.firstPin + pins.count)
            return portBit(pins.tris, engine.*pins.address, pins.firstBit + port - pins.firstPin);
    }
    return kUndriven;
}

// The pinout of every model index the engine can hold, taken from the
// catalogue when the library is loaded, so that the level callback finds it
// by indexing; kNoPinout for an index without a row.
constexpr uint8_t kNoPinout = 0xFF;
using PinoutOfModel = std::array<uint8_t, 256>;
static_assert((std::tuple_size_v<PinoutOfModel>) > std::numeric_limits<decltype(Engine::TypeMC)>::max());
static_assert(kPinoutCount < kNoPinout);

PinoutOfModel pinoutsOfModels()
{
    PinoutOfModel pinouts;
    pinouts.fill(kNoPinout);
    for (int model = 0; model < int(pinouts.size()); ++model) {
        if (const ModelEntry* row = listedModel(model))
            pinouts[size_t(model)] = uint8_t(row->pinout);
    }
    return pinouts;
}

const PinoutOfModel kPinoutOfModel = pinoutsOfModels();

PinSource pinSource(const Engine& engine, int port)
{
    switch (Pinout(kPinoutOfModel[engine.TypeMC])) {
    case Pinout::Pic10F200:
    case Pinout::Pic10F204:
    case Pinout::Pic10F220:
        return pic10fSource(engine, port);
    case Pinout::Pic12F508:
    case Pinout::Pic12F510:
        return pic12fSource(engine, port);
    case Pinout::Pic16F54:
    case Pinout::Pic16F57:
    case Pinout::Pic16F59:
        return pic16f5xSource(engine, port);
    case Pinout::Pic16F505:
    case Pinout::Pic16F506:
        break; // listed only: the engine does not simulate them
    }
    return kUndriven;
}

float latch(const Engine& engine, int index, int bit)
{
    return isSet(engine, index, bit) ? kHigh : kLow;
}

} // namespace

float chipPinLevel(const Engine& engine, int port)
{
    const PinSource source = pinSource(engine, port);
    switch (source.kind) {
    case PinSource::High:
        return kHigh;
    case PinSource::PortBit:
        return isSet(engine, source.tris, source.bit) ? NotDrivenLevel : latch(engine, source.port, source.bit);
    case PinSource::ComparatorOutput:
        return latch(engine, engine.AdrCMCON0, kComparatorOutput);
    case PinSource::Undriven:
        break;
    }
    return NotDrivenLevel;
}

ChipPinSource chipPinSource(const Engine& engine, int port)
{
    return pinSource(engine, port);
}

bool chipPinUndrivenByFunction(const Engine& engine, int port)
{
    return pinSource(engine, port).kind == PinSource::Undriven;
}

} // namespace corvel

float GetPinLevelMC(TObject* pin)
{
    const corvel::ChipPinOf chipPin = corvel::asChipPin(pin);
    if (!chipPin.pin)
        return NotDrivenLevel;
    return corvel::chipPinLevel(chipPin.device->engine(), chipPin.pin->PortNo());
}
