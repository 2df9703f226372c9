// Timer 0 and the watchdog, stepped pass by pass: clock sources, edges,
// prescaler ratios and their changes, the watchdog's thresholds with and
// without the prescaler, and the watchdog during sleep.
#include <gtest/gtest.h>

#include <cmath>

#include "engine_support.h"

using namespace enginetest;
namespace reg = corvel::reg;
namespace status = corvel::status;

namespace peripherals_timer_test {
namespace {

constexpr float kUndriven = std::numeric_limits<float>::quiet_NaN();
constexpr int kWdte = 2; // configuration bit of the watchdog

// OPTION bits.
constexpr uint8_t PSA = 0x08;
constexpr uint8_t T0SE = 0x10;
constexpr uint8_t T0CS = 0x20;

struct InstructionClockCase {
    uint8_t option;
    int passes;
    uint8_t tmr0;
    uint8_t prescaler; // the prescaler row
};

void PrintTo(const InstructionClockCase& c, std::ostream* os)
{
    *os << "OPTION " << int(c.option) << ", " << c.passes << " passes";
}

class Timer0InstructionClock : public testing::TestWithParam<InstructionClockCase> {};

// One count per cycle, divided by 2^(PS+1) while the prescaler belongs to
// the timer.
TEST_P(Timer0InstructionClock, CountsCyclesThroughThePrescaler)
{
    const InstructionClockCase& c = GetParam();
    Chip chip;
    chip.reg(reg::OPTION) = c.option;
    // NOPs from address 0, never running past the end of memory.
    for (int left = c.passes; left > 0; left -= 200) {
        chip.jump(0);
        chip.step(uint64_t(std::min(left, 200)));
    }
    EXPECT_EQ(chip.reg(reg::TMR0), c.tmr0);
    EXPECT_EQ(chip.reg(reg::Prescaler), c.prescaler);
}

INSTANTIATE_TEST_SUITE_P(Ratios, Timer0InstructionClock,
    testing::Values(InstructionClockCase{PSA, 5, 5, 0}, InstructionClockCase{PSA, 300, 300 - 256, 0},
        InstructionClockCase{0, 5, 2, 1}, // a ratio of 2: one count every two cycles
        InstructionClockCase{1, 3 * 4 + 1, 3, 1}, InstructionClockCase{2, 3 * 8 + 1, 3, 1},
        InstructionClockCase{3, 3 * 16 + 1, 3, 1}, InstructionClockCase{4, 3 * 32 + 1, 3, 1},
        InstructionClockCase{5, 3 * 64 + 1, 3, 1}, InstructionClockCase{6, 3 * 128 + 1, 3, 1},
        InstructionClockCase{7, 3 * 256 + 7, 3, 7}, InstructionClockCase{7, 256 * 256 + 3, 0, 3}));

TEST(Timer0, ATwoCycleInstructionCountsTwiceInTheNextPass)
{
    Chip chip;
    chip.reg(reg::OPTION) = PSA;
    chip.load({op::GOTO(1), op::NOP(), op::NOP()});
    chip.step();
    EXPECT_EQ(chip.engine.timer0.count, 1) << "the first pass of a run counts one";
    chip.step();
    EXPECT_EQ(chip.engine.timer0.count, 3);
    chip.step();
    EXPECT_EQ(chip.engine.timer0.count, 4);
}

// A program write holds the timer for the next two instruction cycles.
TEST(Timer0, WrapsFrom255To0)
{
    Chip chip;
    chip.reg(reg::OPTION) = PSA;
    chip.run({op::MOVLW(0xFF), op::MOVWF(reg::TMR0)});
    EXPECT_EQ(chip.reg(reg::TMR0), 0xFF);
    chip.step(2);
    EXPECT_EQ(chip.reg(reg::TMR0), 0xFF);
    chip.step();
    EXPECT_EQ(chip.reg(reg::TMR0), 0);
    EXPECT_EQ(chip.engine.timer0.count, 0);
}

// The two held cycles count from the write: a two-cycle instruction right
// after it uses both; edges on the timer pin are lost meanwhile.
TEST(Timer0, AProgramWriteHoldsTheCountForTwoCycles)
{
    Chip chip;
    chip.reg(reg::OPTION) = PSA;
    chip.load({op::MOVLW(0x10), op::MOVWF(reg::TMR0), op::GOTO(3), op::MOVF(reg::TMR0, W), op::MOVF(reg::TMR0, W)});
    chip.step(4);
    EXPECT_EQ(chip.w(), 0x11) << "MOVWF and GOTO held, GOTO's second cycle counted";
    chip.step();
    EXPECT_EQ(chip.w(), 0x12);

    Chip edges;
    edges.reg(reg::OPTION) = 0x20 | PSA; // T0CS: rising edges of T0CKI, 1:1
    edges.link.levels[size_t(edges.engine.PinT0CKI)] = 0.0f;
    edges.engine.setChipLink(&edges.link);
    edges.load({op::MOVLW(0x20), op::MOVWF(reg::TMR0), op::NOP(), op::NOP(), op::NOP(), op::NOP()});
    edges.step(2);
    edges.link.levels[size_t(edges.engine.PinT0CKI)] = 5.0f; // a rise in the first held cycle
    edges.step(2);
    EXPECT_EQ(edges.reg(reg::TMR0), 0x20);
    edges.link.levels[size_t(edges.engine.PinT0CKI)] = 0.0f;
    edges.step();
    edges.link.levels[size_t(edges.engine.PinT0CKI)] = 5.0f;
    edges.step();
    EXPECT_EQ(edges.reg(reg::TMR0), 0x21);
}

TEST(Timer0, ItsUpdateMarksTmr0AndThePrescalerRow)
{
    Chip chip;
    chip.reg(reg::OPTION) = 0x00;
    chip.step();
    chip.clearMarks();
    chip.step(); // 1 -> 2: TMR0 0 -> 1, prescaler 1 -> 0
    EXPECT_TRUE(chip.marks(reg::TMR0).delta);
    EXPECT_EQ(chip.marks(reg::TMR0).deltabit, 0xFF);
    EXPECT_TRUE(chip.marks(reg::Prescaler).delta);
    chip.engine.MatrixRAM[reg::TMR0].BreakPoint = true;
    chip.step(); // TMR0 stays 1: no pause
    EXPECT_EQ(chip.engine.rtPause, 0);
    chip.step(); // TMR0 1 -> 2
    EXPECT_EQ(chip.engine.rtPause, 1) << "a TMR0 breakpoint stops where the timer changes it";
}

// On the chip a new prescaler ratio or assignment leaves TMR0 as it is;
// only the prescaler's own count starts again.
TEST(Timer0, KeepsItsCountWhenThePrescalerChanges)
{
    Chip chip;
    chip.reg(reg::OPTION) = 0x00; // ratio 2
    chip.step(21);
    ASSERT_EQ(chip.reg(reg::TMR0), 10);
    ASSERT_EQ(chip.reg(reg::Prescaler), 1);
    chip.run({op::MOVLW(0x03), op::OPTION()}); // ratio 16
    EXPECT_EQ(chip.reg(reg::TMR0), 11);
    EXPECT_EQ(chip.reg(reg::Prescaler), 0) << "OPTION clears the prescaler row";
    chip.step();
    EXPECT_EQ(chip.reg(reg::TMR0), 11);
    EXPECT_EQ(chip.reg(reg::Prescaler), 1);
    chip.step(15);
    EXPECT_EQ(chip.reg(reg::TMR0), 12);
    EXPECT_EQ(chip.reg(reg::Prescaler), 0);

    chip.run({op::MOVLW(PSA), op::OPTION()}); // the prescaler goes to the watchdog
    EXPECT_EQ(chip.reg(reg::TMR0), 12);
    chip.step();
    EXPECT_EQ(chip.reg(reg::TMR0), 13);
    chip.step(2);
    EXPECT_EQ(chip.reg(reg::TMR0), 15);

    chip.run({op::MOVLW(0x00), op::OPTION()}); // back to the timer at a ratio of 2
    const uint8_t before = chip.reg(reg::TMR0);
    chip.step(4);
    EXPECT_EQ(chip.reg(reg::TMR0), before + 2);
}

TEST(Timer0, AProgramWriteRestartsThePrescalerAtTheNewRatio)
{
    Chip chip;
    chip.reg(reg::OPTION) = 0x01; // ratio 4
    chip.step(6);
    chip.run({op::MOVLW(0x40), op::MOVWF(reg::TMR0)});
    EXPECT_EQ(chip.engine.timer0.count, 0x40 * 4);
    chip.step(5); // two cycles held, three counted
    EXPECT_EQ(chip.reg(reg::TMR0), 0x40);
    chip.step();
    EXPECT_EQ(chip.reg(reg::TMR0), 0x41);
}

struct EdgeCase {
    const char* name;
    uint8_t option;
    std::vector<float> levels; // of the T0CKI pin, one per pass
    uint8_t tmr0;
};

void PrintTo(const EdgeCase& c, std::ostream* os)
{
    *os << c.name;
}

class Timer0PinClock : public testing::TestWithParam<EdgeCase> {};

TEST_P(Timer0PinClock, CountsTheSelectedEdges)
{
    const EdgeCase& c = GetParam();
    Chip chip;
    chip.reg(reg::OPTION) = c.option;
    for (float level : c.levels) {
        chip.link.levels[size_t(chip.engine.PinT0CKI)] = level;
        chip.step();
    }
    EXPECT_EQ(chip.reg(reg::TMR0), c.tmr0);
}

INSTANTIATE_TEST_SUITE_P(Edges, Timer0PinClock,
    testing::Values(EdgeCase{"Rising", T0CS | PSA, {5, 0, 5, 0, 5}, 3},
        EdgeCase{"Falling", T0CS | T0SE | PSA, {5, 0, 5, 0, 5}, 2},
        EdgeCase{"OneVoltIsLow", T0CS | PSA, {1.0f, 0, 1.0f}, 0},
        EdgeCase{"AboveOneVoltIsHigh", T0CS | PSA, {1.0f, 1.01f, 1.0f, 1.01f}, 2},
        EdgeCase{"UndrivenIsHigh", T0CS | PSA, {0, kUndriven, 0, kUndriven}, 2},
        EdgeCase{"ThroughThePrescaler", T0CS, {5, 0, 5, 0, 5, 0, 5, 0, 5}, 2}),
    [](const testing::TestParamInfo<EdgeCase>& info) { return std::string(info.param.name); });

// OSCCAL's FOSC4 puts the instruction clock on the timer's pin, so the
// timer counts cycles even with T0CS = 1; a model without FOSC4 counts the
// pin.
TEST(Timer0, Fosc4RoutesTheInstructionClock)
{
    for (int model : {corvel::kPic10F200, corvel::kPic12F508}) {
        Chip chip(model);
        chip.reg(reg::OPTION) = T0CS | PSA;
        chip.reg(reg::OSCCAL) = 0x01;
        chip.link.levels[size_t(chip.engine.PinT0CKI)] = 0;
        chip.step(5);
        EXPECT_EQ(chip.reg(reg::TMR0), model == corvel::kPic10F200 ? 5 : 0) << model;
    }
}

// With the comparator on and \CMPT0CS = 0 the timer counts rises of CMPOUT,
// whatever T0CS says.
TEST(Timer0, TheComparatorOutputClocksIt)
{
    Chip chip(corvel::kPic10F204);
    chip.reg(reg::OPTION) = PSA;      // T0CS = 0 would be the instruction clock
    chip.reg(7) = 0x08 | 0x20;        // CMPON, POL: CMPOUT is 1 while CIN- is at or above 0.6 V
    for (float level : {0.0f, 5.0f, 0.0f, 5.0f, 0.0f, 5.0f, 5.0f}) {
        chip.link.levels[1] = level;
        chip.step();
    }
    EXPECT_EQ(chip.reg(reg::TMR0), 3);
    chip.reg(7) = 0x08 | 0x20 | 0x10; // \CMPT0CS = 1: back to the instruction clock
    chip.step(4);
    EXPECT_EQ(chip.reg(reg::TMR0), 7);
}

TEST(Timer0, SleepStopsIt)
{
    Chip chip;
    chip.reg(reg::OPTION) = PSA;
    chip.run({op::SLEEP()});
    const uint8_t asleep = chip.reg(reg::TMR0);
    chip.step(100);
    EXPECT_EQ(chip.reg(reg::TMR0), asleep);
    EXPECT_EQ(chip.engine.IC, 1);
    EXPECT_EQ(chip.engine.MC, 1);
}

// ---- Watchdog ----

struct WatchdogCase {
    const char* name;
    uint8_t option;
    double counted; // watchdog.count before the first pass
    int passes;     // the pass that resets
};

void PrintTo(const WatchdogCase& c, std::ostream* os)
{
    *os << c.name;
}

class WatchdogThreshold : public testing::TestWithParam<WatchdogCase> {};

// The reset comes in the pass whose count first exceeds 18000; no
// instruction runs in it.
TEST_P(WatchdogThreshold, ResetsWhenTheCountExceedsThePeriod)
{
    const WatchdogCase& c = GetParam();
    Chip chip;
    chip.engine.Config[kWdte] = 1;
    chip.reg(reg::OPTION) = c.option;
    chip.engine.watchdog.count = c.counted;
    chip.step(uint64_t(c.passes - 1));
    EXPECT_EQ(chip.engine.I, c.passes - 1) << "no reset yet";
    EXPECT_TRUE(chip.status() & status::TO);
    chip.step();
    EXPECT_EQ(chip.engine.I, 255);
    EXPECT_EQ(chip.engine.PC, 0x1FFu);
    EXPECT_EQ(chip.engine.IC, c.passes - 1);
    EXPECT_FALSE(chip.status() & status::TO);
    EXPECT_TRUE(chip.status() & status::PD) << "awake";
    EXPECT_EQ(chip.engine.watchdog.count, 0.0);
}

INSTANTIATE_TEST_SUITE_P(Prescaler, WatchdogThreshold,
    testing::Values(WatchdogCase{"WithoutPrescaler", 0x00, 17995.0, 6},
        WatchdogCase{"PrescalerOne", PSA, 17995.0, 6},
        WatchdogCase{"PrescalerEight", PSA | 3, 18000.0 - 5.0 / 8, 6},
        WatchdogCase{"Prescaler128", PSA | 7, 18000.0 - 5.0 / 128, 6},
        WatchdogCase{"ExactlyThePeriodIsNoTimeOut", 0x00, 17999.0, 2}),
    [](const testing::TestParamInfo<WatchdogCase>& info) { return std::string(info.param.name); });

// A loop of 254 NOPs and a GOTO from the reset word on: 256 cycles a round.
TEST(Watchdog, TimesOutAfter18000CyclesFromAFreshCount)
{
    struct Case {
        uint8_t option;
        int64_t cycles; // MC at the reset
    };
    for (const Case& c : {Case{0x00, 18000}, Case{PSA | 7, 18000 * 128 + 1}}) {
        Chip chip;
        chip.engine.Config[kWdte] = 1;
        chip.reg(reg::OPTION) = c.option;
        chip.engine.startRun();
        chip.engine.ROM[254] = op::GOTO(0);
        while (chip.status() & status::TO)
            chip.step();
        EXPECT_EQ(chip.engine.MC, c.cycles) << int(c.option);
        EXPECT_EQ(chip.engine.watchdog.divisor, (c.option & PSA) ? 128 : 0);
    }
}

// The time-out is 18 ms of the watchdog's own oscillator: its length in
// instruction cycles follows the clock the run starts with.
TEST(Watchdog, TimeOutFollowsTheClock)
{
    struct Case {
        int32_t frequency;
        double period;
        uint8_t option;
        int64_t cycles; // MC at the reset
    };
    for (const Case& c : {Case{4'000'000, 18000, 0x00, 18000}, Case{8'000'000, 36000, 0x00, 36000},
             Case{20'000'000, 90000, 0x00, 90000}, Case{32'768, 147.456, 0x00, 147},
             Case{8'000'000, 36000, PSA | 1, 36000 * 2}}) {
        SCOPED_TRACE(c.frequency);
        Chip chip;
        chip.engine.Config[kWdte] = 1;
        chip.engine.crystalFrequency = c.frequency;
        chip.reg(reg::OPTION) = c.option;
        chip.engine.startRun();
        EXPECT_DOUBLE_EQ(chip.engine.watchdog.period, c.period);
        chip.engine.ROM[254] = op::GOTO(0);
        while (chip.status() & status::TO)
            chip.step();
        EXPECT_EQ(chip.engine.MC, c.cycles);
    }
}

TEST(Watchdog, OffWhenItsConfigurationBitIsClear)
{
    Chip chip;
    chip.engine.Config[kWdte] = 0;
    chip.engine.watchdog.count = 17999.0;
    chip.step(100);
    EXPECT_EQ(chip.engine.watchdog.count, 17999.0);
    EXPECT_EQ(chip.engine.IC, 100);
}

TEST(Watchdog, CountsDuringSleepAndWakesTheChip)
{
    Chip chip;
    chip.engine.Config[kWdte] = 1;
    chip.reg(reg::OPTION) = 0x00;
    chip.run({op::SLEEP()});
    chip.step(18000);
    EXPECT_TRUE(chip.engine.sleepState.active);
    EXPECT_EQ(chip.engine.watchdog.count, 18000.0);
    chip.step();
    EXPECT_FALSE(chip.engine.sleepState.active);
    EXPECT_EQ(chip.status() & (status::TO | status::PD), 0) << "a time-out during sleep";
    EXPECT_EQ(chip.engine.I, 255);
    EXPECT_EQ(chip.engine.IC, 1);
    chip.step();
    EXPECT_EQ(chip.engine.IC, 2) << "the program runs again from the reset address";
}

TEST(Watchdog, ClrwdtHoldsItOff)
{
    Chip chip;
    chip.engine.Config[kWdte] = 1;
    chip.reg(reg::OPTION) = 0x00;
    chip.load({op::CLRWDT(), op::GOTO(0)});
    chip.step(100'000);
    EXPECT_TRUE(chip.status() & status::TO);
    EXPECT_EQ(chip.engine.IC, 100'000);
}

} // namespace

namespace {

// Timer 0 on the instruction clock and the watchdog count between looks:
// a run of many passes in one go must leave the timer rows, their change
// marks, the watchdog count and the program where pass-by-pass runs leave
// them, whatever the program reads, writes or clears on the way.
struct BatchCase {
    const char* name;
    uint8_t option; // loaded by the program's OPTION instruction
    bool watchdog;
};

void PrintTo(const BatchCase& c, std::ostream* os)
{
    *os << c.name;
}

class TimerBetweenLooks : public testing::TestWithParam<BatchCase> {};

TEST_P(TimerBetweenLooks, ABatchEndsWhereSinglePassesEnd)
{
    const BatchCase& c = GetParam();
    struct Seen {
        uint8_t tmr0, prescaler, w, status, marks;
        double watchdog;
        int32_t at;
        int64_t cycles;
        bool operator==(const Seen&) const = default;
    };
    const auto run = [&](uint64_t passesPerBatch) {
        Chip chip(corvel::kPic12F508);
        chip.engine.Config[kWdte] = c.watchdog;
        chip.engine.crystalFrequency = 40'000; // a time-out after 180 cycles
        chip.engine.startRun();
        chip.jump(0);
        chip.load({op::MOVLW(c.option), op::OPTION(), op::NOP(), op::MOVF(reg::TMR0, W), op::MOVWF(0x10),
            op::INCF(reg::TMR0, F), op::NOP(), op::GOTO(7), op::NOP(), op::CLRWDT(), op::BTFSS(0x10, 0),
            op::GOTO(2), op::MOVLW(0xFD), op::MOVWF(reg::TMR0), op::GOTO(2)});
        for (uint64_t done = 0; done < 2000; done += passesPerBatch)
            chip.step(passesPerBatch);
        const auto& tmr0 = chip.marks(reg::TMR0);
        const auto& prescaler = chip.marks(reg::Prescaler);
        const uint8_t marks = uint8_t(tmr0.delta << 0 | tmr0.greenDelta << 1 | prescaler.delta << 2
            | prescaler.greenDelta << 3);
        return Seen{chip.reg(reg::TMR0), chip.reg(reg::Prescaler), chip.w(), chip.status(), marks,
            chip.engine.watchdog.count, chip.engine.I, chip.engine.MC};
    };
    const Seen single = run(1);
    for (uint64_t batch : {8u, 125u, 2000u}) {
        const Seen batched = run(batch);
        EXPECT_EQ(batched.tmr0, single.tmr0) << batch;
        EXPECT_EQ(batched.prescaler, single.prescaler) << batch;
        EXPECT_EQ(batched.w, single.w) << batch;
        EXPECT_EQ(batched.status, single.status) << batch;
        EXPECT_EQ(batched.marks, single.marks) << batch;
        EXPECT_EQ(batched.watchdog, single.watchdog) << batch;
        EXPECT_EQ(batched.at, single.at) << batch;
        EXPECT_EQ(batched.cycles, single.cycles) << batch;
    }
}

INSTANTIATE_TEST_SUITE_P(Settings, TimerBetweenLooks,
    testing::Values(BatchCase{"NoPrescaler", PSA, false}, BatchCase{"RatioTwo", 0x00, false},
        BatchCase{"Ratio256", 0x07, false}, BatchCase{"WatchdogAlone", PSA | T0CS, true},
        BatchCase{"WatchdogWithItsPrescaler", PSA | T0CS | 2, true}, BatchCase{"TimerAndWatchdog", 0x01, true}),
    [](const testing::TestParamInfo<BatchCase>& info) { return std::string(info.param.name); });

} // namespace

} // namespace peripherals_timer_test
