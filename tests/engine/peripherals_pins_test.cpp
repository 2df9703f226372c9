// The peripherals that read pins: the reset pin, the comparator, the
// converter, and the wake-ups from sleep.
#include <gtest/gtest.h>

#include <cmath>

#include "engine_support.h"

using namespace enginetest;
namespace reg = corvel::reg;
namespace status = corvel::status;

namespace peripherals_pins_test {
namespace {

constexpr float kUndriven = std::numeric_limits<float>::quiet_NaN();
constexpr float kInfinity = std::numeric_limits<float>::infinity();
constexpr int kMclre = 4; // configuration bit of the PIC10F/12F reset pin

// ---- Reset pin ----

struct ResetPinCase {
    const char* name;
    int model;
    uint8_t mclre;
    float level;
    bool resets;
};

void PrintTo(const ResetPinCase& c, std::ostream* os)
{
    *os << c.name;
}

class ResetPin : public testing::TestWithParam<ResetPinCase> {};

// Held at 1.0 V or less, the pin resets the chip in every pass and no
// instruction runs; an undriven pin does not reset.
TEST_P(ResetPin, HeldLowKeepsTheChipInReset)
{
    const ResetPinCase& c = GetParam();
    Chip chip(c.model);
    chip.engine.Config[kMclre] = c.mclre;
    chip.link.levels[size_t(chip.engine.PinMCLR)] = c.level;
    chip.step(50);
    if (c.resets) {
        EXPECT_EQ(chip.engine.IC, 0);
        EXPECT_EQ(chip.engine.I, chip.engine.ROM_Size - 1);
        EXPECT_EQ(chip.engine.PC, (1u << chip.engine.PC_Len) - 1);
        // Released, the program starts at the reset address.
        chip.link.levels[size_t(chip.engine.PinMCLR)] = 5.0f;
        chip.step();
        EXPECT_EQ(chip.engine.IC, 1);
        EXPECT_EQ(chip.engine.I, 0);
    } else {
        EXPECT_EQ(chip.engine.IC, 50);
        EXPECT_EQ(chip.engine.I, 50);
    }
}

INSTANTIATE_TEST_SUITE_P(Models, ResetPin,
    testing::Values(ResetPinCase{"Pic10F200Low", corvel::kPic10F200, 1, 0.5f, true},
        ResetPinCase{"Pic10F200AtOneVolt", corvel::kPic10F200, 1, 1.0f, true},
        ResetPinCase{"Pic10F200AboveOneVolt", corvel::kPic10F200, 1, 1.01f, false},
        ResetPinCase{"Pic10F200Undriven", corvel::kPic10F200, 1, kUndriven, false},
        ResetPinCase{"Pic10F200PinOff", corvel::kPic10F200, 0, 0.5f, false},
        ResetPinCase{"Pic10F222Low", corvel::kPic10F222, 1, 0.0f, true},
        ResetPinCase{"Pic12F508Low", corvel::kPic12F508, 1, 0.5f, true},
        ResetPinCase{"Pic12F508PinOff", corvel::kPic12F508, 0, 0.5f, false},
        ResetPinCase{"Pic12F510Low", corvel::kPic12F510, 1, 0.5f, true},
        ResetPinCase{"Pic16F54AlwaysOn", corvel::kPic16F54, 0, 0.5f, true},
        ResetPinCase{"Pic16F57AlwaysOn", corvel::kPic16F57, 0, 0.5f, true},
        ResetPinCase{"Pic16F59AlwaysOn", corvel::kPic16F59, 0, 0.5f, true},
        ResetPinCase{"Pic16F59High", corvel::kPic16F59, 0, 5.0f, false}),
    [](const testing::TestParamInfo<ResetPinCase>& info) { return std::string(info.param.name); });

TEST(ResetPin, AwakeItKeepsTimeOutAndPowerDownAsleepItSetsThem)
{
    Chip chip;
    chip.engine.Config[kMclre] = 1;
    chip.link.levels[size_t(chip.engine.PinMCLR)] = 5.0f;
    chip.reg(reg::STATUS) = 0x18;
    chip.run({op::SLEEP()});
    EXPECT_EQ(chip.status() & (status::TO | status::PD), status::TO);
    chip.link.levels[size_t(chip.engine.PinMCLR)] = 0.0f;
    chip.step();
    EXPECT_FALSE(chip.engine.sleepState.active);
    EXPECT_EQ(chip.status() & (status::TO | status::PD), status::TO) << "\\TO = 1, \\PD = 0";
    EXPECT_EQ(chip.engine.I, 255);
}

// ---- Comparator (CMCON0 at 7) ----

constexpr uint8_t CWU = 0x01; // \CWU
constexpr uint8_t CPREF = 0x02;
constexpr uint8_t CNREF = 0x04;
constexpr uint8_t CMPON = 0x08;
constexpr uint8_t CMPT0CS = 0x10; // \CMPT0CS
constexpr uint8_t POL = 0x20;
constexpr uint8_t CMPOUT = 0x80;

struct ComparatorCase {
    uint8_t control; // CMCON0 without CMPOUT
    float level0;
    float level1;
    bool output;
};

void PrintTo(const ComparatorCase& c, std::ostream* os)
{
    *os << "CMCON0 " << int(c.control) << ", port 0 " << c.level0 << " V, port 1 " << c.level1 << " V";
}

class Comparator : public testing::TestWithParam<ComparatorCase> {};

// CMPOUT = (reference > input) xor POL: the reference is port 1 with CNREF,
// else 0.6 V; the input is port 0 with CPREF, else port 1.
TEST_P(Comparator, TruthTable)
{
    const ComparatorCase& c = GetParam();
    for (int model : {corvel::kPic10F204, corvel::kPic12F510}) {
        for (uint8_t before : {uint8_t(0), CMPOUT}) {
            Chip chip(model);
            chip.reg(7) = uint8_t(c.control | before);
            chip.link.levels[0] = c.level0;
            chip.link.levels[1] = c.level1;
            chip.clearMarks();
            chip.step();
            const bool expected = (c.control & CMPON) ? c.output : before != 0;
            EXPECT_EQ((chip.reg(7) & CMPOUT) != 0, expected) << model << " CMPOUT was " << int(before);
            EXPECT_EQ(chip.reg(7) & 0x7F, c.control);
            EXPECT_FALSE(chip.marks(7).delta) << "CMPOUT is stored without change marks";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Inputs, Comparator,
    testing::Values(ComparatorCase{CMPON, 0, 0.5f, true}, ComparatorCase{CMPON, 0, 0.7f, false},
        ComparatorCase{CMPON, 0, 0.6f, false}, ComparatorCase{CMPON | POL, 0, 0.5f, false},
        ComparatorCase{CMPON | POL, 0, 0.7f, true}, ComparatorCase{CMPON | CPREF, 0.5f, 0.9f, true},
        ComparatorCase{CMPON | CPREF, 0.9f, 0.5f, false}, ComparatorCase{CMPON | CNREF | CPREF, 1.0f, 2.0f, true},
        ComparatorCase{CMPON | CNREF | CPREF, 2.0f, 1.0f, false}, ComparatorCase{CMPON | CNREF, 0, 2.0f, false},
        ComparatorCase{CMPON | CNREF | POL, 0, 2.0f, true}, ComparatorCase{CMPON, 0, kUndriven, false},
        ComparatorCase{CMPON | POL, 0, kUndriven, true},
        ComparatorCase{CMPON | CNREF | CPREF, 1.0f, kUndriven, false},
        ComparatorCase{CMPON | CNREF | CPREF | POL, kUndriven, 1.0f, true},
        ComparatorCase{0, 0, 0.5f, false}, ComparatorCase{POL, 0, 0.7f, false}));

// ---- Converter ----

constexpr uint8_t ADON = 0x01;
constexpr uint8_t GO = 0x02;
constexpr uint8_t CHS0 = 0x04;
constexpr uint8_t CHS1 = 0x08;

struct ConversionCase {
    const char* name;
    uint8_t channel; // CHS1 and CHS0
    float level0;
    float level1;
    uint8_t result;
};

void PrintTo(const ConversionCase& c, std::ostream* os)
{
    *os << c.name;
}

class Converter : public testing::TestWithParam<ConversionCase> {};

// ADRES = level / (5 V / 255), truncated and kept within 0..255; channel
// 2 and up read the internal 0.6 V reference as 30.
TEST_P(Converter, Results)
{
    const ConversionCase& c = GetParam();
    struct Layout {
        int model, adcon0, adres;
    };
    for (const Layout& layout : {Layout{corvel::kPic10F220, 7, 8}, Layout{corvel::kPic12F510, 8, 9}}) {
        Chip chip(layout.model);
        chip.link.levels[0] = c.level0;
        chip.link.levels[1] = c.level1;
        chip.reg(layout.adres) = 0x5A;
        chip.reg(layout.adcon0) = uint8_t(c.channel | GO | ADON);
        chip.engine.converter.cycles = 0;
        chip.step(12);
        EXPECT_TRUE(chip.reg(layout.adcon0) & GO) << "busy for 13 cycles";
        EXPECT_EQ(chip.reg(layout.adres), 0x5A);
        chip.clearMarks();
        chip.step();
        EXPECT_FALSE(chip.reg(layout.adcon0) & GO) << layout.model;
        EXPECT_EQ(chip.reg(layout.adres), c.result) << layout.model;
        EXPECT_TRUE(chip.marks(layout.adres).delta) << "a program write";
        EXPECT_TRUE(chip.marks(layout.adcon0).delta);
        EXPECT_EQ(chip.engine.converter.cycles, 0);
        EXPECT_EQ(chip.engine.IC, 13) << "the conversion runs beside the program";
    }
}

INSTANTIATE_TEST_SUITE_P(Levels, Converter,
    testing::Values(ConversionCase{"HalfScale", 0, 2.5f, 0, 127}, ConversionCase{"OneVolt", 0, 1.0f, 0, 51},
        ConversionCase{"FullScale", 0, 5.0f, 0, 255}, ConversionCase{"AboveFullScale", 0, 6.0f, 0, 255},
        ConversionCase{"Zero", 0, 0.0f, 5.0f, 0}, ConversionCase{"Negative", 0, -1.0f, 0, 0},
        ConversionCase{"Undriven", 0, kUndriven, 5.0f, 0},
        ConversionCase{"PositiveInfinity", 0, kInfinity, 0, 255},
        ConversionCase{"NegativeInfinity", 0, -kInfinity, 0, 0},
        ConversionCase{"ChannelOne", CHS0, 5.0f, 3.3f, 168},
        ConversionCase{"ChannelOneUndriven", CHS0, 5.0f, kUndriven, 0},
        ConversionCase{"ReferenceChannel", CHS1, 5.0f, 5.0f, 30},
        ConversionCase{"ReferenceChannelOdd", CHS1 | CHS0, kUndriven, kUndriven, 30}),
    [](const testing::TestParamInfo<ConversionCase>& info) { return std::string(info.param.name); });

TEST(ConverterTiming, CountsCyclesOfTheProgramWhileOnAndStarted)
{
    Chip chip(corvel::kPic10F220);
    chip.link.levels[0] = 2.5f;
    chip.engine.converter.cycles = 0;
    // GO is set by the program's MOVWF; the GOTO loop counts two per pass.
    chip.load({op::MOVLW(0xC0 | GO | ADON), op::MOVWF(7), op::GOTO(2)});
    chip.step(2);
    ASSERT_TRUE(chip.reg(7) & GO);
    chip.step(6); // 1 + 2 x 5 = 11 counted cycles
    EXPECT_EQ(chip.engine.converter.cycles, 11);
    EXPECT_TRUE(chip.reg(7) & GO);
    chip.step(); // 13
    EXPECT_FALSE(chip.reg(7) & GO);
    EXPECT_EQ(chip.reg(8), 127);

    // Switched off, the converter neither counts nor converts.
    chip.reg(7) = 0xC0 | GO;
    chip.step(20);
    EXPECT_EQ(chip.engine.converter.cycles, 0);
    EXPECT_TRUE(chip.reg(7) & GO);
}

TEST(ConverterTiming, AStartedCountOutlastsTheRun)
{
    Chip chip(corvel::kPic10F220);
    chip.link.levels[0] = 5.0f;
    chip.reg(7) = GO | ADON;
    chip.engine.converter.cycles = 10;
    chip.engine.startRun();
    chip.step(2);
    EXPECT_TRUE(chip.reg(7) & GO);
    chip.step();
    EXPECT_FALSE(chip.reg(7) & GO);
    EXPECT_EQ(chip.reg(8), 255);
}

// ---- Sleep and its wake-ups ----

constexpr uint8_t kPinWake = 0x08;    // OPTION: \GPWU = 0, T0CS = 0, prescaler on the watchdog
constexpr uint8_t kNoPinWake = 0x88;  // \GPWU = 1

// A chip asleep with GP0..GP3 at 0 V.
struct SleepingChip {
    SleepingChip(uint8_t option, int model = corvel::kPic12F508, uint8_t comparator = 0)
        : chip(model)
    {
        for (int port = 0; port < 4; ++port)
            chip.link.levels[size_t(port)] = 0.0f;
        chip.reg(reg::OPTION) = option;
        if (chip.engine.AdrCMCON0 >= 0)
            chip.reg(chip.engine.AdrCMCON0) = comparator;
        chip.run({op::SLEEP()});
        chip.step(20);
    }
    bool asleep() const { return chip.engine.sleepState.active && chip.engine.IC == 1; }
    Chip chip;
};

TEST(Sleep, AChangeOfEachOfGp0ToGp3WakesTheChip)
{
    for (int pin = 0; pin < 4; ++pin) {
        SleepingChip sleeping(kPinWake);
        Chip& chip = sleeping.chip;
        ASSERT_TRUE(sleeping.asleep());
        chip.link.levels[size_t(pin)] = 5.0f;
        chip.step();
        EXPECT_FALSE(chip.engine.sleepState.active) << pin;
        EXPECT_EQ(chip.status() & (status::GPWUF | status::CWUF), status::GPWUF) << pin;
        EXPECT_EQ(chip.status() & (status::TO | status::PD), status::TO) << pin;
        EXPECT_EQ(chip.engine.I, 511);
        EXPECT_EQ(chip.engine.IC, 1);
        chip.step();
        EXPECT_EQ(chip.engine.IC, 2) << "the program runs again from the reset address";
    }
}

TEST(Sleep, WithoutPinWakeOnlyTheWatchdogOrTheResetPinWake)
{
    SleepingChip sleeping(kNoPinWake);
    Chip& chip = sleeping.chip;
    for (int port = 0; port < 4; ++port)
        chip.link.levels[size_t(port)] = 5.0f;
    chip.step(100);
    EXPECT_TRUE(sleeping.asleep());

    chip.engine.Config[2] = 1; // the watchdog
    chip.engine.watchdog.count = 17999.5;
    chip.step();
    EXPECT_FALSE(chip.engine.sleepState.active);
    EXPECT_EQ(chip.status() & (status::GPWUF | status::TO | status::PD), 0);
}

TEST(Sleep, APic16F5xHasNoWakeOnPinChange)
{
    SleepingChip sleeping(kPinWake, corvel::kPic16F54);
    Chip& chip = sleeping.chip;
    chip.link.levels[size_t(chip.engine.PinMCLR)] = 5.0f;
    for (int port = 0; port < 12; ++port)
        chip.link.levels[size_t(port)] = port == chip.engine.PinMCLR ? 5.0f : 2.5f;
    chip.step(100);
    EXPECT_TRUE(chip.engine.sleepState.active);
}

struct ComparatorWakeCase {
    const char* name;
    uint8_t control; // CMCON0
    bool wakes;
};

void PrintTo(const ComparatorWakeCase& c, std::ostream* os)
{
    *os << c.name;
}

class ComparatorWake : public testing::TestWithParam<ComparatorWakeCase> {};

// CMPOUT is 1 while port 1 is below 0.6 V (0 with POL); SLEEP remembers it.
TEST_P(ComparatorWake, AChangeOfTheOutputWakesTheChip)
{
    const ComparatorWakeCase& c = GetParam();
    for (int model : {corvel::kPic10F204, corvel::kPic12F510}) {
        SleepingChip sleeping(0xFF, model, c.control);
        Chip& chip = sleeping.chip;
        ASSERT_TRUE(sleeping.asleep());
        EXPECT_EQ(chip.engine.sleepState.comparatorOut, (c.control & CMPON) && !(c.control & POL));
        chip.link.levels[1] = 5.0f;
        chip.step();
        EXPECT_EQ(chip.engine.sleepState.active, !c.wakes) << model;
        if (c.wakes) {
            EXPECT_EQ(chip.status() & (status::GPWUF | status::CWUF), status::CWUF) << model;
            EXPECT_EQ(chip.engine.I, chip.engine.ROM_Size - 1);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Control, ComparatorWake,
    testing::Values(ComparatorWakeCase{"On", CMPON, true},
        ComparatorWakeCase{"WakeUpOff", CMPON | CWU, false},
        ComparatorWakeCase{"ComparatorOff", 0, false},
        ComparatorWakeCase{"TimerClockIsNoMatter", CMPON | CMPT0CS | POL, true}),
    [](const testing::TestParamInfo<ComparatorWakeCase>& info) { return std::string(info.param.name); });

} // namespace

namespace {

// ---- Unwired pins ----

// A chip device that tells which ports have a node and records the reads.
class PartlyWiredLink : public FakeChipLink {
public:
    bool portWired(int port) const override { return wired >> port & 1; }
    float pinLevel(int port) const override
    {
        readPorts.push_back(port);
        return FakeChipLink::pinLevel(port);
    }
    uint64_t wired = 0;
    mutable std::vector<int> readPorts;
};

// A port with nothing wired reads undriven without asking the device; the
// wiring is looked at again at the next batch of passes.
TEST(UnwiredPins, AreNotReadAndCountAsUndriven)
{
    PartlyWiredLink link;
    corvel::Engine engine;
    engine.SelectMC(corvel::kPic16F54); // its reset pin always acts
    engine.setChipLink(&link);
    engine.PowerOnReset();
    engine.RAM[reg::OPTION] = 0x28; // T0CS = 1, rising edges, no prescaler
    engine.startRun();
    link.levels[size_t(engine.PinMCLR)] = 0.0f;
    link.levels[size_t(engine.PinT0CKI)] = 0.0f;
    engine.runSynchronously(100);
    EXPECT_TRUE(link.readPorts.empty());
    EXPECT_EQ(engine.IC, 100) << "an unwired reset pin is undriven";
    EXPECT_EQ(engine.RAM[reg::TMR0], 1) << "an unwired timer pin reads 1: one rise from the run's start";

    link.wired = uint64_t(1) << engine.PinT0CKI;
    engine.runSynchronously(1);
    EXPECT_EQ(link.readPorts, std::vector<int>{engine.PinT0CKI});
    link.levels[size_t(engine.PinT0CKI)] = 5.0f;
    engine.runSynchronously(1);
    EXPECT_EQ(engine.RAM[reg::TMR0], 2);

    link.wired |= uint64_t(1) << engine.PinMCLR;
    engine.runSynchronously(1);
    EXPECT_EQ(engine.IC, 102) << "held in reset once the pin is wired";
    EXPECT_EQ(engine.I, engine.ROM_Size - 1);
}

} // namespace

} // namespace peripherals_pins_test
