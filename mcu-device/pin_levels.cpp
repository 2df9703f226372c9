#include "mcu-device/pin_levels.h"

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

float latch(const Engine& engine, int index, int bit)
{
    return isSet(engine, index, bit) ? kHigh : kLow;
}

// A digital port pin: its direction bit set makes it an input.
float portPin(const Engine& engine, int tris, int32_t port, int bit)
{
    if (port < 0 || isSet(engine, tris, bit))
        return NotDrivenLevel;
    return latch(engine, port, bit);
}

// CMCON0 bit 3 (CMPON) gives GP0 and GP1 to the comparator; with bit 6
// (\COUTEN) clear its output, bit 7, drives GP2.
constexpr int kComparatorOn = 3;
constexpr int kComparatorOutputDisabled = 6;
constexpr int kComparatorOutput = 7;
// T0CS: timer 0 counts the GP2/T0CKI pin, which is then an input.
constexpr int kTimerClockInput = 5;

float pic10fLevel(const Engine& engine, int port)
{
    const bool comparatorOn = isSetIfPresent(engine, engine.AdrCMCON0, kComparatorOn);
    switch (port) {
    case 0:
    case 1:
        // ADCON0 bits 6 and 7 (ANS0, ANS1) make GP0 and GP1 analogue.
        if (isSetIfPresent(engine, engine.AdrADCON0, 6 + port) || comparatorOn)
            return NotDrivenLevel;
        return portPin(engine, reg::TRISGPIO, engine.AdrGPIO, port);
    case 2:
        if (comparatorOn && !isSet(engine, engine.AdrCMCON0, kComparatorOutputDisabled))
            return latch(engine, engine.AdrCMCON0, kComparatorOutput);
        // FOSC4 puts the instruction clock on GP2; it is shown as a steady high.
        if (engine.HasFOSC4 && isSetIfPresent(engine, engine.AdrOSCCAL, 0))
            return kHigh;
        if (isSet(engine, reg::OPTION, kTimerClockInput))
            return NotDrivenLevel;
        return portPin(engine, reg::TRISGPIO, engine.AdrGPIO, 2);
    default:
        return NotDrivenLevel; // GP3 is input-only, whatever MCLRE says
    }
}

float pic12fLevel(const Engine& engine, int port)
{
    // Only the PIC12F510 has the comparator and the converter. Its ADCON0
    // bits 7..6 (ANS1:ANS0) take AN2 for 01, AN2 and AN0 for 10, all three for 11.
    const bool analogue = engine.TypeMC == kPic12F510;
    const auto adcon = [&](int bit) { return analogue && isSet(engine, engine.AdrADCON0, bit); };
    const bool comparatorOn = analogue && isSet(engine, engine.AdrCMCON0, kComparatorOn);
    switch (port) {
    case 0:
        if (comparatorOn || adcon(7))
            return NotDrivenLevel;
        return portPin(engine, reg::TRISGPIO, engine.AdrGPIO, 0);
    case 1:
        if (comparatorOn || (adcon(7) && adcon(6)))
            return NotDrivenLevel;
        return portPin(engine, reg::TRISGPIO, engine.AdrGPIO, 1);
    case 2:
        if (adcon(7) || adcon(6))
            return NotDrivenLevel;
        if (comparatorOn && !isSet(engine, engine.AdrCMCON0, kComparatorOutputDisabled))
            return latch(engine, engine.AdrCMCON0, kComparatorOutput);
        if (isSet(engine, reg::OPTION, kTimerClockInput))
            return NotDrivenLevel;
        return portPin(engine, reg::TRISGPIO, engine.AdrGPIO, 2);
    case 4:
    case 5:
        // GP4 and GP5 are port pins only with the internal oscillator
        // (FOSC1:FOSC0 = 10); otherwise they belong to the oscillator.
        if (engine.Config[0] == 0 && engine.Config[1] != 0)
            return portPin(engine, reg::TRISGPIO, engine.AdrGPIO, port);
        return NotDrivenLevel;
    default:
        return NotDrivenLevel;
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

float pic16f5xLevel(const Engine& engine, int port)
{
    if (port == engine.PinT0CKI || port == engine.PinMCLR)
        return NotDrivenLevel;
    for (const PortPins& pins : kPortPins16F5x) {
        if (port >= pins.firstPin && port < pins.firstPin + pins.count)
            return portPin(engine, pins.tris, engine.*pins.address, pins.firstBit + port - pins.firstPin);
    }
    return NotDrivenLevel;
}

} // namespace

float chipPinLevel(const Engine& engine, int port)
{
    switch (engine.TypeMC) {
    case kPic10F200:
    case kPic10F202:
    case kPic10F204:
    case kPic10F206:
    case kPic10F220:
    case kPic10F222:
        return pic10fLevel(engine, port);
    case kPic12F508:
    case kPic12F509:
    case kPic12F510:
    case kPic12F519:
        return pic12fLevel(engine, port);
    case kPic16F54:
    case kPic16F57:
    case kPic16F59:
        return pic16f5xLevel(engine, port);
    default:
        return NotDrivenLevel;
    }
}

} // namespace corvel

float GetPinLevelMC(TObject* pin)
{
    const corvel::ChipPinOf chipPin = corvel::asChipPin(pin);
    if (!chipPin.pin)
        return NotDrivenLevel;
    return corvel::chipPinLevel(chipPin.device->engine(), chipPin.pin->PortNo());
}
