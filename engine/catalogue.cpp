#include "engine/catalogue.h"

#include <algorithm>

#include "engine/registers.h"

namespace corvel {
namespace {

// ---- Special-function rows, shared between the models that have them ----

constexpr SfrRow kW{reg::W, "W", 0xFF, {}};
constexpr SfrRow kIndf{reg::INDF, "INDF", 0xFF, {}};
constexpr SfrRow kTmr0{reg::TMR0, "TMR0", 0xFF, {}};
constexpr SfrRow kPcl{reg::PCL, "PCL", 0xFF, {}};
constexpr SfrRow kPrescaler{reg::Prescaler, "TMR0 Prescaler", 0xFF, {}};

constexpr SfrRow kStatusGpwuf{reg::STATUS, "STATUS", 0x9F,
    {"C", "DC", "Z", "\\PD", "\\TO", nullptr, nullptr, "GPWUF"}};
constexpr SfrRow kStatusCwuf{reg::STATUS, "STATUS", 0xDF,
    {"C", "DC", "Z", "\\PD", "\\TO", nullptr, "CWUF", "GPWUF"}};
constexpr SfrRow kStatusPa0{reg::STATUS, "STATUS", 0xBF,
    {"C", "DC", "Z", "\\PD", "\\TO", "PA0", nullptr, "GPWUF"}};
constexpr SfrRow kStatusPa0Cwuf{reg::STATUS, "STATUS", 0xFF,
    {"C", "DC", "Z", "\\PD", "\\TO", "PA0", "CWUF", "GPWUF"}};
constexpr SfrRow kStatusPages{reg::STATUS, "STATUS", 0xFF,
    {"C", "DC", "Z", "\\PD", "\\TO", "PA0", "PA1", "PA2"}};

// FSR holds as many bits as the model has banks of memory to address.
constexpr SfrRow kFsr5{reg::FSR, "FSR", 0x1F, {}};
constexpr SfrRow kFsr6{reg::FSR, "FSR", 0x3F, {}};
constexpr SfrRow kFsr7{reg::FSR, "FSR", 0x7F, {}};
constexpr SfrRow kFsr8{reg::FSR, "FSR", 0xFF, {}};

constexpr SfrRow kOscCal10F{reg::OSCCAL, "OSCCAL", 0xFF,
    {"FOSC4", "CAL0", "CAL1", "CAL2", "CAL3", "CAL4", "CAL5", "CAL6"}};
constexpr SfrRow kOscCal12F{reg::OSCCAL, "OSCCAL", 0xFE,
    {nullptr, "CAL0", "CAL1", "CAL2", "CAL3", "CAL4", "CAL5", "CAL6"}};
constexpr SfrRow kGpio10F{reg::GPIO, "GPIO", 0x0F, {"GP0", "GP1", "GP2", "GP3"}};
constexpr SfrRow kGpio12F{reg::GPIO, "GPIO", 0x3F, {"GP0", "GP1", "GP2", "GP3", "GP4", "GP5"}};

constexpr SfrRow kCmcon0{7, "CMCON0", 0xFF,
    {"\\CWU", "CPREF", "CNREF", "CMPON", "\\CMPT0CS", "POL", "\\COUTEN", "CMPOUT"}};
constexpr SfrRow kCm1con0{7, "CM1CON0", 0xFF,
    {"\\C1WU", "C1PREF", "C1NREF", "C1ON", "\\C1T0CS", "C1POL", "\\C1OUTEN", "C1OUT"}};
constexpr SfrRow kAdcon0At7{7, "ADCON0", 0xCF,
    {"ADON", "GO/\\DONE", "CHS0", "CHS1", nullptr, nullptr, "ANS0", "ANS1"}};
constexpr SfrRow kAdcon0At8{8, "ADCON0", 0xFF,
    {"ADON", "GO/\\DONE", "CHS0", "CHS1", "ADCS0", "ADCS1", "ANS0", "ANS1"}};
constexpr SfrRow kAdresAt8{8, "ADRES", 0xFF, {}};
constexpr SfrRow kAdresAt9{9, "ADRES", 0xFF, {}};
constexpr SfrRow kEecon{33, "EECON", 0x1F, {"RD", "WR", "WREN", "WRERR", "FREE"}};
constexpr SfrRow kEedata{37, "EEDATA", 0xFF,
    {"EEDATA0", "EEDATA1", "EEDATA2", "EEDATA3", "EEDATA4", "EEDATA5", "EEDATA6", "EEDATA7"}};
constexpr SfrRow kEeadr{38, "EEADR", 0x3F,
    {"EEADR0", "EEADR1", "EEADR2", "EEADR3", "EEADR4", "EEADR5"}};

constexpr SfrRow kPortA{5, "PORTA", 0x0F, {"PA0", "PA1", "PA2", "PA3"}};
constexpr SfrRow kPortB{6, "PORTB", 0xFF, {"PB0", "PB1", "PB2", "PB3", "PB4", "PB5", "PB6", "PB7"}};
constexpr SfrRow kPortC{7, "PORTC", 0xFF, {"PC0", "PC1", "PC2", "PC3", "PC4", "PC5", "PC6", "PC7"}};
constexpr SfrRow kPortD{8, "PORTD", 0xFF, {"PD0", "PD1", "PD2", "PD3", "PD4", "PD5", "PD6", "PD7"}};
constexpr SfrRow kPortE{9, "PORTE", 0xF0,
    {nullptr, nullptr, nullptr, nullptr, "PE4", "PE5", "PE6", "PE7"}};

constexpr SfrRow kOption10F12F{reg::OPTION, "OPTION", 0xFF,
    {"PS0", "PS1", "PS2", "PSA", "T0SE", "T0CS", "\\GPPU", "\\GPWU"}};
constexpr SfrRow kOption16F{reg::OPTION, "OPTION", 0x3F, {"PS0", "PS1", "PS2", "PSA", "T0SE", "T0CS"}};
// GP3 is input only: its direction bit is not offered.
constexpr SfrRow kTrisGpio10F{reg::TRISGPIO, "TRISGPIO", 0x07, {}};
constexpr SfrRow kTrisGpio12F{reg::TRISGPIO, "TRISGPIO", 0x37, {}};
constexpr SfrRow kTrisA{reg::TRISA, "TRISA", 0x0F, {}};
constexpr SfrRow kTrisB{reg::TRISA + 1, "TRISB", 0xFF, {}};
constexpr SfrRow kTrisC{reg::TRISA + 2, "TRISC", 0xFF, {}};
constexpr SfrRow kTrisD{reg::TRISA + 3, "TRISD", 0xFF, {}};
constexpr SfrRow kTrisE{reg::TRISE, "TRISE", 0xF0, {}};

// ---- Display order of the special-function rows per model ----

constexpr SfrRow kRows10F200[] = {kW, kIndf, kTmr0, kPcl, kStatusGpwuf, kFsr5, kOscCal10F, kGpio10F,
    kOption10F12F, kTrisGpio10F, kPrescaler};
constexpr SfrRow kRows10F204[] = {kW, kIndf, kTmr0, kPcl, kStatusCwuf, kFsr5, kOscCal10F, kGpio10F,
    kCmcon0, kOption10F12F, kTrisGpio10F, kPrescaler};
constexpr SfrRow kRows10F220[] = {kW, kIndf, kTmr0, kPcl, kStatusGpwuf, kFsr5, kOscCal10F, kGpio10F,
    kAdcon0At7, kAdresAt8, kOption10F12F, kTrisGpio10F, kPrescaler};
constexpr SfrRow kRows12F508[] = {kW, kIndf, kTmr0, kPcl, kStatusGpwuf, kFsr5, kOscCal12F, kGpio12F,
    kOption10F12F, kTrisGpio12F, kPrescaler};
constexpr SfrRow kRows12F509[] = {kW, kIndf, kTmr0, kPcl, kStatusPa0, kFsr6, kOscCal12F, kGpio12F,
    kOption10F12F, kTrisGpio12F, kPrescaler};
constexpr SfrRow kRows12F510[] = {kW, kIndf, kTmr0, kPcl, kStatusPa0Cwuf, kFsr6, kOscCal12F, kGpio12F,
    kCm1con0, kAdcon0At8, kAdresAt9, kOption10F12F, kTrisGpio12F, kPrescaler};
constexpr SfrRow kRows12F519[] = {kW, kIndf, kTmr0, kPcl, kStatusPa0, kFsr6, kOscCal12F, kGpio12F,
    kEecon, kEedata, kEeadr, kOption10F12F, kTrisGpio12F, kPrescaler};
constexpr SfrRow kRows16F54[] = {kW, kIndf, kTmr0, kPcl, kStatusPages, kFsr5, kPortA, kPortB,
    kOption16F, kTrisA, kTrisB, kPrescaler};
constexpr SfrRow kRows16F57[] = {kW, kIndf, kTmr0, kPcl, kStatusPages, kFsr7, kPortA, kPortB, kPortC,
    kOption16F, kTrisA, kTrisB, kTrisC, kPrescaler};
constexpr SfrRow kRows16F59[] = {kW, kIndf, kTmr0, kPcl, kStatusPages, kFsr8, kPortA, kPortB, kPortC,
    kPortD, kPortE, kOption16F, kTrisA, kTrisB, kTrisC, kTrisD, kTrisE, kPrescaler};

// ---- General-purpose registers ----

constexpr AddressRange kGpr10To1F[] = {{0x10, 0x1F}};
constexpr AddressRange kGpr08To1F[] = {{0x08, 0x1F}};
constexpr AddressRange kGpr09To1F[] = {{0x09, 0x1F}};
constexpr AddressRange kGpr07To1F[] = {{0x07, 0x1F}};
constexpr AddressRange kGpr12F509[] = {{0x07, 0x1F}, {0x30, 0x3F}};
constexpr AddressRange kGpr12F510[] = {{0x0A, 0x1F}, {0x30, 0x3F}};
constexpr AddressRange kGpr16F57[] = {{0x08, 0x1F}, {0x30, 0x3F}, {0x50, 0x5F}, {0x70, 0x7F}};
constexpr AddressRange kGpr16F59[] = {{0x0A, 0x1F}, {0x30, 0x3F}, {0x50, 0x5F}, {0x70, 0x7F},
    {0x90, 0x9F}, {0xB0, 0xBF}, {0xD0, 0xDF}, {0xF0, 0xFF}};

// ---- Configuration bits ----

constexpr ConfigBitEntry kWdte{"WDTE", 20, 2, 50, 53};
constexpr ConfigBitEntry kCp{"\\CP", 21, 3, 52, 51};
constexpr ConfigBitEntry kMclre{"MCLRE", 22, 4, 54, 55};
constexpr ConfigBitEntry kIoscfsBit0{"IOSCFS", 23, 0, 56, 57};
constexpr ConfigBitEntry kIoscfsBit5{"IOSCFS", 23, 5, 56, 57};
constexpr ConfigBitEntry kMcpu{"\\MCPU", 24, 1, 58, 59};
constexpr ConfigBitEntry kFosc0{"FOSC0", 25, 0, 60, 61};
constexpr ConfigBitEntry kFosc1{"FOSC1", 25, 1, 60, 61};
constexpr ConfigBitEntry kCpdf{"\\CPDF", 26, 6, 52, 51};

constexpr ConfigBitEntry kConfig10F20x[] = {kWdte, kCp, kMclre};
constexpr ConfigBitEntry kConfig10F22x[] = {kIoscfsBit0, kMcpu, kWdte, kCp, kMclre};
constexpr ConfigBitEntry kConfig12F508[] = {kFosc0, kFosc1, kWdte, kCp, kMclre};
constexpr ConfigBitEntry kConfig12F510[] = {kFosc0, kFosc1, kWdte, kCp, kMclre, kIoscfsBit5};
constexpr ConfigBitEntry kConfig12F519[] = {kFosc0, kFosc1, kWdte, kCp, kMclre, kIoscfsBit5, kCpdf};
constexpr ConfigBitEntry kConfig16F5x[] = {kFosc0, kFosc1, kWdte, kCp};

// ---- Model tables (what a row leaves out is absent: -1) ----

constexpr ModelTable kTable10F200{.AdrOSCCAL = 5, .AdrGPIO = 6, .LastBitGPIO = 3,
    .HasPinWake = true, .HasFOSC4 = true, .CfgNoWDTE = 2, .CfgNoMCLRE = 4, .PinT0CKI = 2, .PinMCLR = 3};
constexpr ModelTable kTable10F204{.AdrOSCCAL = 5, .AdrGPIO = 6, .AdrCMCON0 = 7, .LastBitGPIO = 3,
    .HasPinWake = true, .HasFOSC4 = true, .CfgNoWDTE = 2, .CfgNoMCLRE = 4, .PinT0CKI = 2, .PinMCLR = 3};
constexpr ModelTable kTable10F220{.AdrOSCCAL = 5, .AdrGPIO = 6, .AdrADCON0 = 7, .AdrADRES = 8, .LastBitGPIO = 3,
    .HasPinWake = true, .HasFOSC4 = true, .CfgNoWDTE = 2, .CfgNoMCLRE = 4, .PinT0CKI = 2, .PinMCLR = 3};
constexpr ModelTable kTable12F508{.AdrOSCCAL = 5, .AdrGPIO = 6, .LastBitGPIO = 5,
    .HasPinWake = true, .CfgNoWDTE = 2, .CfgNoMCLRE = 4, .PinT0CKI = 2, .PinMCLR = 3};
constexpr ModelTable kTable12F510{.AdrOSCCAL = 5, .AdrGPIO = 6, .AdrCMCON0 = 7, .AdrADCON0 = 8, .AdrADRES = 9,
    .LastBitGPIO = 5, .HasPinWake = true, .CfgNoWDTE = 2, .CfgNoMCLRE = 4, .PinT0CKI = 2, .PinMCLR = 3};
constexpr ModelTable kTable12F519{.AdrOSCCAL = 5, .AdrGPIO = 6, .AdrEECON = 33, .AdrEEDATA = 37, .AdrEEADR = 38,
    .LastBitGPIO = 5, .HasPinWake = true, .CfgNoWDTE = 2, .CfgNoMCLRE = 4, .PinT0CKI = 2, .PinMCLR = 3};
// The PIC16F5x reset pin is always active.
constexpr ModelTable kTable16F54{.AdrPORTA = 5, .AdrPORTB = 6, .LastBitPORTA = 3, .LastBitPORTB = 7,
    .CfgNoWDTE = 2, .PinT0CKI = 12, .PinMCLR = 13};
constexpr ModelTable kTable16F57{.AdrPORTA = 5, .AdrPORTB = 6, .AdrPORTC = 7,
    .LastBitPORTA = 3, .LastBitPORTB = 7, .LastBitPORTC = 7, .CfgNoWDTE = 2, .PinT0CKI = 20, .PinMCLR = 21};
constexpr ModelTable kTable16F59{.AdrPORTA = 5, .AdrPORTB = 6, .AdrPORTC = 7, .AdrPORTD = 8, .AdrPORTE = 9,
    .LastBitPORTA = 3, .LastBitPORTB = 7, .LastBitPORTC = 7, .LastBitPORTD = 7, .LastBitPORTE = 7,
    .CfgNoWDTE = 2, .PinT0CKI = 32, .PinMCLR = 33};

// ---- Pins of the chip device, in port order ----
// T0CKI and MCLR are ports 2 and 3 on the PIC10F and PIC12F, the last two
// ports on PIC16F54/57/59.

constexpr ChipPin kPins10F200[] = {
    {"GP0", false}, {"GP1", false}, {"GP2/T0CKI/Fosc4", false}, {"GP3/\\MCLR", true},
};
constexpr ChipPin kPins10F204[] = {
    {"GP0/CIN+", false}, {"GP1/CIN-", false}, {"GP2/T0CKI/COUT/Fosc4", false}, {"GP3/\\MCLR", true},
};
constexpr ChipPin kPins10F220[] = {
    {"GP0/AN0", false}, {"GP1/AN1", false}, {"GP2/T0CKI/Fosc4", false}, {"GP3/\\MCLR", true},
};
constexpr ChipPin kPins12F508[] = {
    {"GP0", false}, {"GP1", false}, {"GP2/T0CKI", false},
    {"GP3/\\MCLR", true}, {"GP4/OSC2", false}, {"GP5/OSC1/CLKIN", false},
};
constexpr ChipPin kPins12F510[] = {
    {"GP0/AN0/C1IN+", false}, {"GP1/AN1/C1IN-", false}, {"GP2/T0CKI", false},
    {"GP3/\\MCLR", true}, {"GP4/OSC2", false}, {"GP5/OSC1/CLKIN", false},
};
constexpr ChipPin kPins16F505[] = {
    {"RB0", false}, {"RB1", false}, {"RB2", false}, {"RB3/\\MCLR", true},
    {"RB4/OSC2/CLKOUT", false}, {"RB5/OSC1/CLKIN", false}, {"RC0", false}, {"RC1", false},
    {"RC2", false}, {"RC3", false}, {"RC4", false}, {"RC5/T0CKI", false},
};
constexpr ChipPin kPins16F506[] = {
    {"RB0/AN0/C1IN+", false}, {"RB1/AN1/C1IN-", false}, {"RB2/AN2/C1OUT", false}, {"RB3/\\MCLR", true},
    {"RB4/OSC2/CLKOUT", false}, {"RB5/OSC1/CLKIN", false}, {"RC0/C2IN+", false}, {"RC1/C2IN-", false},
    {"RC2/CVref", false}, {"RC3", false}, {"RC4/C2OUT", false}, {"RC5/T0CKI", false},
};
// The port pins of PIC16F59, which has every port; each PIC16F5x has the
// leading ones of these, then its T0CKI and MCLR pins.
constexpr ChipPin kPortPins16F5x[] = {
    {"RA0", false}, {"RA1", false}, {"RA2", false}, {"RA3", false},
    {"RB0", false}, {"RB1", false}, {"RB2", false}, {"RB3", false},
    {"RB4", false}, {"RB5", false}, {"RB6", false}, {"RB7", false},
    {"RC0", false}, {"RC1", false}, {"RC2", false}, {"RC3", false},
    {"RC4", false}, {"RC5", false}, {"RC6", false}, {"RC7", false},
    {"RD0", false}, {"RD1", false}, {"RD2", false}, {"RD3", false},
    {"RD4", false}, {"RD5", false}, {"RD6", false}, {"RD7", false},
    {"RE4", false}, {"RE5", false}, {"RE6", false}, {"RE7", false},
};

template <std::size_t PortPins>
constexpr std::array<ChipPin, PortPins + 2> pins16F5x()
{
    std::array<ChipPin, PortPins + 2> pins{};
    for (std::size_t pin = 0; pin < PortPins; ++pin)
        pins[pin] = kPortPins16F5x[pin];
    pins[PortPins] = {"T0CKI", true};
    pins[PortPins + 1] = {"MCLR", true};
    return pins;
}
constexpr auto kPins16F54 = pins16F5x<12>();
constexpr auto kPins16F57 = pins16F5x<20>();
constexpr auto kPins16F59 = pins16F5x<32>();

// ---- Power-on values (TMR0 and the general-purpose registers start unknown) ----

constexpr PowerOnValue kPcl1s{reg::PCL, 0xFF, 0x00};
constexpr PowerOnValue kStatusPowerOn{reg::STATUS, 0x18, 0x07}; // 0001 1xxx
constexpr PowerOnValue kTmr0Unknown{reg::TMR0, 0x00, 0xFF};
constexpr PowerOnValue kOscCalPowerOn{reg::OSCCAL, 0xFE, 0x00};
constexpr PowerOnValue kOption1s{reg::OPTION, 0xFF, 0x00};
constexpr PowerOnValue kOption3F{reg::OPTION, 0x3F, 0x00};

constexpr PowerOnValue kPowerOn10F200[] = {kPcl1s, kStatusPowerOn, kTmr0Unknown, kOscCalPowerOn, kOption1s,
    {reg::FSR, 0xE0, 0x1F}, {reg::GPIO, 0x00, 0x0F}, {reg::TRISGPIO, 0x0F, 0x00}};
constexpr PowerOnValue kPowerOn10F204[] = {kPcl1s, kStatusPowerOn, kTmr0Unknown, kOscCalPowerOn, kOption1s,
    {reg::FSR, 0xE0, 0x1F}, {reg::GPIO, 0x00, 0x0F}, {reg::TRISGPIO, 0x0F, 0x00}, {7, 0xFF, 0x00}};
constexpr PowerOnValue kPowerOn10F220[] = {kPcl1s, kStatusPowerOn, kTmr0Unknown, kOscCalPowerOn, kOption1s,
    {reg::FSR, 0xE0, 0x1F}, {reg::GPIO, 0x00, 0x0F}, {reg::TRISGPIO, 0x0F, 0x00}, {7, 0xCC, 0x00},
    {8, 0x00, 0xFF}};
constexpr PowerOnValue kPowerOn12F508[] = {kPcl1s, kStatusPowerOn, kTmr0Unknown, kOscCalPowerOn, kOption1s,
    {reg::FSR, 0xE0, 0x1F}, {reg::GPIO, 0x00, 0x3F}, {reg::TRISGPIO, 0x3F, 0x00}};
constexpr PowerOnValue kPowerOn12F509[] = {kPcl1s, kStatusPowerOn, kTmr0Unknown, kOscCalPowerOn, kOption1s,
    {reg::FSR, 0xC0, 0x1F}, {reg::GPIO, 0x00, 0x3F}, {reg::TRISGPIO, 0x3F, 0x00}};
constexpr PowerOnValue kPowerOn12F510[] = {kPcl1s, kStatusPowerOn, kTmr0Unknown, kOscCalPowerOn, kOption1s,
    {reg::FSR, 0xC0, 0x1F}, {reg::GPIO, 0x00, 0x3F}, {reg::TRISGPIO, 0x3F, 0x00}, {7, 0xFF, 0x00},
    {8, 0xFC, 0x00}, {9, 0x00, 0xFF}};
constexpr PowerOnValue kPowerOn12F519[] = {kPcl1s, kStatusPowerOn, kTmr0Unknown, kOscCalPowerOn, kOption1s,
    {reg::FSR, 0xC0, 0x1F}, {reg::GPIO, 0x00, 0x3F}, {reg::TRISGPIO, 0x3F, 0x00}, {33, 0x00, 0x08},
    {37, 0x00, 0xFF}};
constexpr PowerOnValue kPowerOn16F54[] = {kPcl1s, kStatusPowerOn, kTmr0Unknown, kOption3F,
    {reg::FSR, 0xE0, 0x1F}, {5, 0x00, 0x0F}, {6, 0x00, 0xFF}, {reg::TRISA, 0x0F, 0x00},
    {reg::TRISA + 1, 0xFF, 0x00}};
constexpr PowerOnValue kPowerOn16F57[] = {kPcl1s, kStatusPowerOn, kTmr0Unknown, kOption3F,
    {reg::FSR, 0x80, 0x7F}, {5, 0x00, 0x0F}, {6, 0x00, 0xFF}, {7, 0x00, 0xFF}, {reg::TRISA, 0x0F, 0x00},
    {reg::TRISA + 1, 0xFF, 0x00}, {reg::TRISA + 2, 0xFF, 0x00}};
constexpr PowerOnValue kPowerOn16F59[] = {kPcl1s, kStatusPowerOn, kTmr0Unknown, kOption3F,
    {reg::FSR, 0x00, 0xFF}, {5, 0x00, 0x0F}, {6, 0x00, 0xFF}, {7, 0x00, 0xFF}, {8, 0x00, 0xFF},
    {9, 0x00, 0xF0}, {reg::TRISA, 0x0F, 0x00}, {reg::TRISA + 1, 0xFF, 0x00}, {reg::TRISA + 2, 0xFF, 0x00},
    {reg::TRISA + 3, 0xFF, 0x00}, {reg::TRISE, 0xF0, 0x00}};

// ---- Run-time resets (STATUS, PCL and the prescaler row are common) ----

constexpr RunResetValue kOptionReset10F12F{reg::OPTION, 0x00, 0xFF};
constexpr RunResetValue kOptionReset16F{reg::OPTION, 0x00, 0x3F};
constexpr RunResetValue kTrisReset10F{reg::TRISGPIO, 0xF0, 0x0F};
constexpr RunResetValue kTrisReset12F{reg::TRISGPIO, 0xC0, 0x3F};
// The PIC16F5x reset sets the direction rows of all five ports, present or not.
constexpr RunResetValue kTrisA16F{reg::TRISA, 0xF0, 0x0F};
constexpr RunResetValue kTrisB16F{reg::TRISA + 1, 0x00, 0xFF};
constexpr RunResetValue kTrisC16F{reg::TRISA + 2, 0x00, 0xFF};
constexpr RunResetValue kTrisD16F{reg::TRISA + 3, 0x00, 0xFF};
constexpr RunResetValue kTrisE16F{reg::TRISE, 0x0F, 0xF0};

constexpr RunResetValue kRunReset10F20x[] = {{reg::FSR, 0x1F, 0xE0}, kOptionReset10F12F, kTrisReset10F};
constexpr RunResetValue kRunReset10F22x[] = {{reg::FSR, 0x1F, 0xE0}, kOptionReset10F12F, kTrisReset10F,
    {7, 0x00, 0xCC}};
constexpr RunResetValue kRunReset12F508[] = {{reg::FSR, 0x1F, 0xE0}, kOptionReset10F12F, kTrisReset12F};
constexpr RunResetValue kRunReset12F509[] = {{reg::FSR, 0x3F, 0xC0}, kOptionReset10F12F, kTrisReset12F};
constexpr RunResetValue kRunReset12F510[] = {{reg::FSR, 0x3F, 0xC0}, kOptionReset10F12F, kTrisReset12F,
    {8, 0xC0, 0x3C}};
constexpr RunResetValue kRunReset16F54[] = {{reg::FSR, 0x1F, 0xE0}, kOptionReset16F, kTrisA16F, kTrisB16F,
    kTrisC16F, kTrisD16F, kTrisE16F};
constexpr RunResetValue kRunReset16F57[] = {{reg::FSR, 0x7F, 0x80}, kOptionReset16F, kTrisA16F, kTrisB16F,
    kTrisC16F, kTrisD16F, kTrisE16F};
constexpr RunResetValue kRunReset16F59[] = {kOptionReset16F, kTrisA16F, kTrisB16F, kTrisC16F, kTrisD16F,
    kTrisE16F};

// ---- The catalogue ----

constexpr uint16_t kConfigCpOff = 1u << 3;
constexpr uint16_t kConfigXtCpOff = 1u << 1 | 1u << 3;

constexpr ModelEntry kModels[] = {
    {.index = kPic10F200, .name = "PIC10F200",
        .package = Package::Dip8, .pinout = Pinout::Pic10F200, .pins = kPins10F200, .configFamily = ConfigFamily::Pic10F20x,
        .romSize = 256, .pcLen = 9, .sfrCount = 11, .gprCount = 16,
        .sfrRows = kRows10F200, .gprRanges = kGpr10To1F, .defaultConfig = kConfigCpOff,
        .configBits = kConfig10F20x, .table = kTable10F200, .powerOn = kPowerOn10F200,
        .runReset = kRunReset10F20x, .wakeUpFlags = true},
    {.index = kPic10F202, .name = "PIC10F202",
        .package = Package::Dip8, .pinout = Pinout::Pic10F200, .pins = kPins10F200, .configFamily = ConfigFamily::Pic10F20x,
        .romSize = 512, .pcLen = 10, .sfrCount = 11, .gprCount = 24,
        .sfrRows = kRows10F200, .gprRanges = kGpr08To1F, .defaultConfig = kConfigCpOff,
        .configBits = kConfig10F20x, .table = kTable10F200, .powerOn = kPowerOn10F200,
        .runReset = kRunReset10F20x, .wakeUpFlags = true},
    {.index = kPic10F204, .name = "PIC10F204",
        .package = Package::Dip8, .pinout = Pinout::Pic10F204, .pins = kPins10F204, .configFamily = ConfigFamily::Pic10F20x,
        .romSize = 256, .pcLen = 9, .sfrCount = 12, .gprCount = 16,
        .sfrRows = kRows10F204, .gprRanges = kGpr10To1F, .defaultConfig = kConfigCpOff,
        .configBits = kConfig10F20x, .table = kTable10F204, .powerOn = kPowerOn10F204,
        .runReset = kRunReset10F20x, .wakeUpFlags = true},
    {.index = kPic10F206, .name = "PIC10F206",
        .package = Package::Dip8, .pinout = Pinout::Pic10F204, .pins = kPins10F204, .configFamily = ConfigFamily::Pic10F20x,
        .romSize = 512, .pcLen = 10, .sfrCount = 12, .gprCount = 24,
        .sfrRows = kRows10F204, .gprRanges = kGpr08To1F, .defaultConfig = kConfigCpOff,
        .configBits = kConfig10F20x, .table = kTable10F204, .powerOn = kPowerOn10F204,
        .runReset = kRunReset10F20x, .wakeUpFlags = true},
    {.index = kPic10F220, .name = "PIC10F220",
        .package = Package::Dip8, .pinout = Pinout::Pic10F220, .pins = kPins10F220, .configFamily = ConfigFamily::Pic10F22x,
        .romSize = 256, .pcLen = 9, .sfrCount = 13, .gprCount = 16,
        .sfrRows = kRows10F220, .gprRanges = kGpr10To1F, .defaultConfig = kConfigCpOff,
        .configBits = kConfig10F22x, .table = kTable10F220, .powerOn = kPowerOn10F220,
        .runReset = kRunReset10F22x, .wakeUpFlags = true},
    {.index = kPic10F222, .name = "PIC10F222",
        .package = Package::Dip8, .pinout = Pinout::Pic10F220, .pins = kPins10F220, .configFamily = ConfigFamily::Pic10F22x,
        .romSize = 512, .pcLen = 10, .sfrCount = 13, .gprCount = 23,
        .sfrRows = kRows10F220, .gprRanges = kGpr09To1F, .defaultConfig = kConfigCpOff,
        .configBits = kConfig10F22x, .table = kTable10F220, .powerOn = kPowerOn10F220,
        .runReset = kRunReset10F22x, .wakeUpFlags = true},
    {.index = kPic12F508, .name = "PIC12F508",
        .package = Package::Dip8, .pinout = Pinout::Pic12F508, .pins = kPins12F508, .configFamily = ConfigFamily::Pic12F,
        .romSize = 512, .pcLen = 10, .sfrCount = 11, .gprCount = 25,
        .sfrRows = kRows12F508, .gprRanges = kGpr07To1F, .defaultConfig = kConfigXtCpOff,
        .configBits = kConfig12F508, .table = kTable12F508, .powerOn = kPowerOn12F508,
        .runReset = kRunReset12F508, .wakeUpFlags = true},
    // The 1024-word PIC12F509 and PIC12F519 count their program counter in
    // eleven bits, the PIC12F510 in ten.
    {.index = kPic12F509, .name = "PIC12F509",
        .package = Package::Dip8, .pinout = Pinout::Pic12F508, .pins = kPins12F508, .configFamily = ConfigFamily::Pic12F,
        .romSize = 1024, .pcLen = 11, .sfrCount = 11, .gprCount = 41,
        .sfrRows = kRows12F509, .gprRanges = kGpr12F509, .defaultConfig = kConfigXtCpOff,
        .configBits = kConfig12F508, .table = kTable12F508, .powerOn = kPowerOn12F509,
        .runReset = kRunReset12F509, .wakeUpFlags = true},
    {.index = kPic12F510, .name = "PIC12F510",
        .package = Package::Dip8, .pinout = Pinout::Pic12F510, .pins = kPins12F510, .configFamily = ConfigFamily::Pic12F,
        .romSize = 1024, .pcLen = 10, .sfrCount = 14, .gprCount = 38,
        .sfrRows = kRows12F510, .gprRanges = kGpr12F510, .defaultConfig = kConfigXtCpOff,
        .configBits = kConfig12F510, .table = kTable12F510, .powerOn = kPowerOn12F510,
        .runReset = kRunReset12F510, .wakeUpFlags = true},
    {.index = kPic12F519, .name = "PIC12F519",
        .package = Package::Dip8, .pinout = Pinout::Pic12F508, .pins = kPins12F508, .configFamily = ConfigFamily::Pic12F,
        .romSize = 1024, .pcLen = 11, .sfrCount = 14, .gprCount = 41,
        .sfrRows = kRows12F519, .gprRanges = kGpr12F509, .defaultConfig = kConfigXtCpOff | 1u << 6,
        .configBits = kConfig12F519, .table = kTable12F519, .powerOn = kPowerOn12F519,
        .runReset = kRunReset12F509, .wakeUpFlags = true},
    {.index = kPic16F54, .name = "PIC16F54",
        .package = Package::Dip18, .pinout = Pinout::Pic16F54, .pins = kPins16F54, .configFamily = ConfigFamily::Pic16F5x,
        .romSize = 512, .pcLen = 9, .sfrCount = 12, .gprCount = 25,
        .sfrRows = kRows16F54, .gprRanges = kGpr07To1F, .defaultConfig = kConfigXtCpOff,
        .configBits = kConfig16F5x, .table = kTable16F54, .powerOn = kPowerOn16F54,
        .runReset = kRunReset16F54, .wakeUpFlags = false},
    {.index = kPic16F57, .name = "PIC16F57",
        .package = Package::Dip28, .pinout = Pinout::Pic16F57, .pins = kPins16F57, .configFamily = ConfigFamily::Pic16F5x,
        .romSize = 2048, .pcLen = 11, .sfrCount = 14, .gprCount = 72,
        .sfrRows = kRows16F57, .gprRanges = kGpr16F57, .defaultConfig = kConfigXtCpOff,
        .configBits = kConfig16F5x, .table = kTable16F57, .powerOn = kPowerOn16F57,
        .runReset = kRunReset16F57, .wakeUpFlags = false},
    {.index = kPic16F59, .name = "PIC16F59",
        .package = Package::Dip40, .pinout = Pinout::Pic16F59, .pins = kPins16F59, .configFamily = ConfigFamily::Pic16F5x,
        .romSize = 2048, .pcLen = 11, .sfrCount = 18, .gprCount = 134,
        .sfrRows = kRows16F59, .gprRanges = kGpr16F59, .defaultConfig = kConfigXtCpOff,
        .configBits = kConfig16F5x, .table = kTable16F59, .powerOn = kPowerOn16F59,
        .runReset = kRunReset16F59, .wakeUpFlags = false},
};

// Listed for the model selection and the workbench, but not simulated.
constexpr ModelEntry kListedOnly[] = {
    {.index = kPic16F505, .name = "PIC16F505",
        .package = Package::Dip14, .pinout = Pinout::Pic16F505, .pins = kPins16F505,
        .configFamily = ConfigFamily::None},
    {.index = kPic16F506, .name = "PIC16F506",
        .package = Package::Dip14, .pinout = Pinout::Pic16F506, .pins = kPins16F506,
        .configFamily = ConfigFamily::None},
    {.index = kPic16F526, .name = "PIC16F526",
        .package = Package::Dip14, .pinout = Pinout::Pic16F506, .pins = kPins16F506,
        .configFamily = ConfigFamily::None},
};

constexpr int registerCount(std::span<const AddressRange> ranges)
{
    int count = 0;
    for (const AddressRange& range : ranges)
        count += range.last - range.first + 1;
    return count;
}

constexpr bool countsAgree()
{
    for (const ModelEntry& model : kModels) {
        if (model.sfrRows.size() != model.sfrCount || registerCount(model.gprRanges) != model.gprCount)
            return false;
        if (model.romSize > (1 << model.pcLen))
            return false;
    }
    return true;
}
static_assert(countsAgree(), "row counts of a model disagree with its rows");

// Every listed index has exactly one row, a package has room for the
// device's pins, and the largest device has kMostChipPins.
constexpr bool rowsAgree()
{
    int rows[kModelIndexCount] = {};
    int mostPins = 0;
    const auto check = [&](const ModelEntry& model) {
        if (model.index >= kModelIndexCount || int(model.pins.size()) > packagePinCount(model.package))
            return false;
        ++rows[model.index];
        mostPins = std::max(mostPins, int(model.pins.size()));
        return true;
    };
    for (const ModelEntry& model : kModels)
        if (!check(model))
            return false;
    for (const ModelEntry& model : kListedOnly)
        if (!check(model))
            return false;
    for (const int count : rows)
        if (count != 1)
            return false;
    return mostPins == kMostChipPins;
}
static_assert(rowsAgree(), "a listed model has no row, two rows or more pins than its package");

} // namespace

const ModelEntry* findModel(int index)
{
    for (const ModelEntry& model : kModels) {
        if (model.index == index)
            return &model;
    }
    return nullptr;
}

std::span<const ModelEntry> catalogue()
{
    return kModels;
}

const ModelEntry* listedModel(int index)
{
    if (const ModelEntry* model = findModel(index))
        return model;
    for (const ModelEntry& model : kListedOnly) {
        if (model.index == index)
            return &model;
    }
    return nullptr;
}

int ioscfsConfigBit(const ModelEntry& model)
{
    for (const ConfigBitEntry& bit : model.configBits) {
        if (bit.descriptionId == kIoscfsBit0.descriptionId)
            return bit.no;
    }
    return -1;
}

} // namespace corvel
