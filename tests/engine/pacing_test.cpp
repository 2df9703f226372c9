// Pacing of the simulation thread: real time at a factor, fixed delays and
// the fastest rate, mostly in simulated time (a clock that moves only when
// the thread reads it or waits), and a few checks against real time with
// generous bounds.
#include <gtest/gtest.h>

#include <vector>

#include "engine_support.h"
#include "run_thread_support.h"

using namespace enginetest;
using std::chrono::milliseconds;

namespace pacing_test {
namespace {

std::atomic<int> stopCalls{0};
void countStop()
{
    ++stopCalls;
}

// A run on the PIC16F57 (2048 words, its reset pin read on every pass) at
// 4 MHz: a machine cycle is 1000 ticks. passTimes[n] is the time at which
// instruction n + 1 began, as the reset pin's read in its pass saw it. The
// real-time wait wakes for each instruction at its due time (no slices),
// so these times show the due-time arithmetic itself.
struct PacedRun : testing::Test {
    PacedRun()
    {
        stopCalls = 0;
        engine.SelectMC(corvel::kPic16F57);
        engine.setChipLink(&link);
        engine.setRunClock(&clock);
        engine.setPacingSlice(0);
        link.onRead = [this](int) {
            if (int64_t(passTimes.size()) == engine.IC)
                passTimes.push_back(clock.time.load());
            if (onPass)
                onPass(engine.IC);
        };
    }
    ~PacedRun() override { engine.Stop_and_wait(); }

    // Runs until the thread pauses at a line breakpoint on `word`, then ends
    // the run.
    void runToBreakpoint(int word)
    {
        engine.ROM_BP[size_t(word)] = 1;
        runUntilPaused();
    }

    // Runs until the thread pauses with `scriptDone` set, then ends the run.
    void runUntilPaused()
    {
        engine.Calculate_CuclPerCycMK(countStop);
        ASSERT_TRUE(eventually([&] { return scriptDone && engine.rtPause == 1; }, milliseconds(10000)));
        engine.Stop_and_wait();
    }

    // Every word jumps to the next; a GOTO reaches the first 512 words.
    void loadJumps()
    {
        for (int word = 0; word < 511; ++word)
            engine.ROM[size_t(word)] = op::GOTO(word + 1);
        engine.ROM[511] = op::GOTO(0);
        engine.ROM[2047] = op::GOTO(0);
    }

    int64_t ticksBetween(int64_t firstInstruction, int64_t lastInstruction) const
    {
        return passTimes.at(size_t(lastInstruction - 1)) - passTimes.at(size_t(firstInstruction - 1));
    }

    ScriptedLink link;
    FakeClock clock{10};
    std::vector<int64_t> passTimes;              // written on the thread, read after it ended
    std::function<void(int64_t instructions)> onPass; // runs on the thread at each pass
    std::atomic<bool> scriptDone{true}; // false while a pause belongs to the script
    corvel::Engine engine;
};

struct RateCase {
    const char* name;
    bool twoCycles; // GOTOs instead of NOPs
    double factor;
    int64_t ticks; // from the run start to the start of instruction 499
};

void PrintTo(const RateCase& c, std::ostream* os)
{
    *os << c.name;
}

class RealTimeRate : public PacedRun, public testing::WithParamInterface<RateCase> {};

// An instruction starts once pacing.cycleTicks x Factor ticks have passed since
// the due time, which each cycle moves on by pacing.cycleTicks / Factor.
TEST_P(RealTimeRate, RunsAtFactorTimesRealTime)
{
    const RateCase& c = GetParam();
    if (c.twoCycles)
        loadJumps();
    engine.Set_RT_parametrs(1, 0, 0, 0, c.factor);
    runToBreakpoint(498); // words 2047, 0..497: 499 instructions, then the pause before the 500th
    ASSERT_EQ(engine.IC, 499);
    ASSERT_EQ(passTimes.size(), 499u);
    EXPECT_NEAR(double(passTimes[498]), double(c.ticks), double(c.ticks) * 0.01) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Factors, RealTimeRate,
    testing::Values(RateCase{"OneCycleAtRealTime", false, 1.0, 1000 + 498 * 1000},
        // At a factor of 2 a cycle takes half its time, after twice the lag.
        RateCase{"OneCycleTwiceAsFast", false, 2.0, 2000 + 498 * 500},
        RateCase{"OneCycleAtHalfSpeed", false, 0.5, 500 + 498 * 2000},
        RateCase{"TwoCyclesAtRealTime", true, 1.0, 1000 + 498 * 2000},
        RateCase{"TwoCyclesTwiceAsFast", true, 2.0, 2000 + 498 * 1000},
        RateCase{"ZeroFactorAtRealTime", false, 0.0, 1000 + 498 * 1000},
        RateCase{"NegativeFactorAtRealTime", false, -3.0, 1000 + 498 * 1000}),
    [](const testing::TestParamInfo<RateCase>& info) { return std::string(info.param.name); });

TEST(Pacing, AFactorThatIsNotAPositiveNumberIsStoredAsOne)
{
    corvel::Engine engine;
    for (double factor : {0.0, -1.0, std::nan(""), std::numeric_limits<double>::infinity()}) {
        engine.Set_RT_parametrs(1, 0, 0, 5, factor);
        EXPECT_EQ(engine.Factor, 1.0) << factor;
    }
    engine.Set_RT_parametrs(1, 0, 0, 5, 0.25);
    EXPECT_EQ(engine.Factor, 0.25);
    engine.Set_RT_parametrs(1, 0, 0, 5, 1e-300);
    EXPECT_EQ(engine.Factor, 1e-6) << "a cycle of a million times its time at most";
    engine.Set_RT_parametrs(1, 0, 0, 5, 1e300);
    EXPECT_EQ(engine.Factor, 1e6);
}

// A factor stored past Set_RT_parametrs still never divides by zero: the
// two-cycle instructions run at real time.
TEST_F(PacedRun, AZeroFactorStoredDirectlyRunsAtRealTime)
{
    loadJumps();
    engine.Set_RT_parametrs(1, 0, 0, 0, 1.0);
    engine.Factor = 0.0;
    runToBreakpoint(99);
    EXPECT_NEAR(double(ticksBetween(50, 100)), 50 * 2000.0, 1000.0);
}

// Step mode for a while (the due time stands still), then real time again:
// the program goes on at real time from the present instead of catching up.
TEST_F(PacedRun, RealTimeAfterStepModeStartsFromThePresent)
{
    int64_t resumed = 0;
    int stepWaits = 0;
    onPass = [&](int64_t instructions) {
        if (instructions == 100)
            engine.Set_RT_parametrs(0, 1, 0, 0, 1.0);
    };
    clock.onWait = [&](int64_t ticks) {
        if (ticks == 10'000'000 && ++stepWaits == 100) { // a second of stepping that never comes
            resumed = clock.time + ticks;
            engine.Set_RT_parametrs(1, 0, 0, 0, 1.0);
        }
    };
    runToBreakpoint(299);
    ASSERT_GE(stepWaits, 100);
    EXPECT_GT(resumed, 1'000'000'000);
    const int64_t firstAfter = passTimes.at(101) - resumed;
    EXPECT_GE(firstAfter, 1000) << "the first instruction waits its cycle";
    EXPECT_LT(firstAfter, 3000);
    EXPECT_NEAR(double(ticksBetween(102, 300)), 198 * 1000.0, 2000.0) << "no burst to catch up";
}

// Two-cycle instructions at the fastest rate move the due time on without
// the clock: back at real time the program must not stall until the clock
// has caught up.
TEST_F(PacedRun, RealTimeAfterTheFastestRateStartsFromThePresent)
{
    loadJumps();
    onPass = [&](int64_t instructions) {
        if (instructions == 100)
            engine.Set_RT_parametrs(0, 0, 0, 0, 1.0);
        if (instructions == 1100)
            engine.Set_RT_parametrs(1, 0, 0, 0, 1.0);
        if (instructions == 1300)
            engine.rtPause = 1;
    };
    engine.Set_RT_parametrs(1, 0, 0, 0, 1.0);
    runUntilPaused();
    EXPECT_LT(ticksBetween(102, 1100), 1000 * 10) << "the fastest rate reads no clock";
    // Instruction 1101 had passed its wait; 1102 waits one cycle from the
    // present, then every GOTO two.
    EXPECT_NEAR(double(ticksBetween(1100, 1200)), 1000 + 98 * 2000.0, 2000.0) << "no stall";
}

// A change of factor takes effect at once, from the present.
TEST_F(PacedRun, AChangeOfFactorStartsFromThePresent)
{
    onPass = [&](int64_t instructions) {
        if (instructions == 200)
            engine.Set_RT_parametrs(1, 0, 0, 0, 2.0);
    };
    engine.Set_RT_parametrs(1, 0, 0, 0, 1.0);
    runToBreakpoint(599);
    EXPECT_NEAR(double(ticksBetween(100, 200)), 100 * 1000.0, 1000.0);
    EXPECT_NEAR(double(ticksBetween(300, 500)), 200 * 500.0, 1000.0);
}

// A pause moves the due time along with the clock, so no burst follows it.
TEST_F(PacedRun, RealTimeAfterAPauseStartsFromThePresent)
{
    int64_t resumed = 0;
    int pauseWaits = 0;
    scriptDone = false;
    onPass = [&](int64_t instructions) {
        if (instructions == 100)
            engine.rtPause = 1;
    };
    clock.onWait = [&](int64_t ticks) {
        if (ticks == 10'000'000 && ++pauseWaits == 50) { // half a second of pause
            resumed = clock.time + ticks;
            engine.rtPause = 0;
            scriptDone = true;
        }
    };
    engine.Set_RT_parametrs(1, 0, 0, 0, 1.0);
    runToBreakpoint(299);
    ASSERT_GE(pauseWaits, 50);
    const int64_t firstAfter = passTimes.at(101) - resumed;
    EXPECT_GE(firstAfter, 1000) << "the first instruction waits its cycle";
    EXPECT_LT(firstAfter, 3000);
    EXPECT_NEAR(double(ticksBetween(102, 300)), 198 * 1000.0, 2000.0);
}

// Each instruction waits the delay, then the refresh of the main program.
TEST_F(PacedRun, FixedDelayThenTheRefresh)
{
    int refreshWaits = 0;
    clock.onWait = [&](int64_t ticks) {
        if (ticks == 1'000'000 && ++refreshWaits % 2 == 0)
            engine.rtRefreshComplete = 1; // the main program has shown the state
    };
    engine.Set_RT_parametrs(0, 0, 1, 20, 1.0);
    runToBreakpoint(9);
    ASSERT_EQ(engine.IC, 10);
    EXPECT_EQ(engine.rtRefreshComplete, 0) << "each refresh is consumed";
    EXPECT_EQ(refreshWaits, 20);
    for (int instruction = 2; instruction <= 10; ++instruction)
        EXPECT_NEAR(double(ticksBetween(instruction - 1, instruction)), 22'000'000.0, 10'000.0) << instruction;
}

TEST_F(PacedRun, TheFastestRateNeitherReadsTheClockNorWaits)
{
    engine.Set_RT_parametrs(0, 0, 0, 0, 1.0);
    engine.Calculate_CuclPerCycMK(countStop);
    ASSERT_TRUE(eventually([&] { return stopCalls == 1; }));
    engine.Stop_and_wait();
    EXPECT_EQ(engine.IC, 2049);
    EXPECT_LE(clock.time, 100) << "only the run start reads the clock";
    EXPECT_EQ(clock.waits, 0);
}

// Real time in slices, as the product runs it: the thread sleeps a
// millisecond at a time and then runs every cycle due by then.
struct SliceCase {
    const char* name;
    bool twoCycles; // GOTOs instead of NOPs
    double factor;
};

void PrintTo(const SliceCase& c, std::ostream* os)
{
    *os << c.name;
}

class SlicedRealTime : public PacedRun, public testing::WithParamInterface<SliceCase> {};

// Over two simulated seconds the program runs Factor x 2 000 000 cycles
// within 0.1 % (at most a slice's cycles and the lag off), and the thread
// gets there by about one wait per slice, looking at the clock a few times
// per wait, not by spinning.
TEST_P(SlicedRealTime, KeepsTheRateAndSleepsBetweenSlices)
{
    const SliceCase& c = GetParam();
    if (c.twoCycles)
        loadJumps();
    else
        engine.ROM[2047] = op::GOTO(0); // NOPs from 0 up
    engine.ROM[2046] = op::GOTO(0);
    link.onRead = nullptr; // no pass times: a second has a million passes
    engine.setPacingSlice(1'000'000);
    constexpr int64_t kSecond = 1'000'000'000;
    int64_t cyclesAtOne = -1;
    int64_t waitsAtOne = 0;
    int64_t readsAtOne = 0;
    int64_t waits = 0;
    int64_t reads = 0;
    clock.onWait = [&](int64_t) {
        if (cyclesAtOne < 0 && clock.time >= kSecond) {
            cyclesAtOne = engine.MC;
            waitsAtOne = clock.waits;
            readsAtOne = clock.reads;
        }
        if (clock.time >= 3 * kSecond && !engine.rtPause) {
            waits = clock.waits - waitsAtOne;
            reads = clock.reads - readsAtOne;
            engine.rtPause = 1;
        }
    };
    engine.Set_RT_parametrs(1, 0, 0, 0, c.factor);
    runUntilPaused();
    const double cycles = 2'000'000.0 * c.factor;
    EXPECT_NEAR(double(engine.MC - cyclesAtOne), cycles, cycles * 0.001) << c.name;
    EXPECT_EQ(stopCalls, 0);
    // About one wait per millisecond: far fewer than the cycles run.
    EXPECT_GE(waits, 1900) << c.name;
    EXPECT_LE(waits, 2100) << c.name;
    EXPECT_LE(reads, 3 * waits) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Factors, SlicedRealTime,
    testing::Values(SliceCase{"OneCycleAtRealTime", false, 1.0}, SliceCase{"OneCycleTwiceAsFast", false, 2.0},
        SliceCase{"TwoCyclesAtRealTime", true, 1.0}, SliceCase{"TwoCyclesTwiceAsFast", true, 2.0},
        SliceCase{"OneCycleAtHalfSpeed", false, 0.5}),
    [](const testing::TestParamInfo<SliceCase>& info) { return std::string(info.param.name); });

// A slice runs many instructions in one go, yet a line breakpoint inside it
// stops the program before the word, exactly as without slices.
TEST_F(PacedRun, ASliceStopsAtALineBreakpoint)
{
    engine.setPacingSlice(1'000'000);
    engine.Set_RT_parametrs(1, 0, 0, 0, 1.0);
    runToBreakpoint(700); // words 2047, 0..699
    EXPECT_EQ(engine.IC, 701);
    EXPECT_EQ(engine.I, 700);
    EXPECT_EQ(engine.rtPause, 1);
}

// A register breakpoint stops at the instruction that wrote the register,
// whichever instruction of a slice it is.
TEST_F(PacedRun, ASliceStopsAtARegisterBreakpoint)
{
    for (int word = 0; word < 2046; ++word)
        engine.ROM[size_t(word)] = op::INCF(0x10, F);
    engine.ROM[2046] = op::GOTO(0);
    engine.ROM[2047] = op::GOTO(0);
    engine.setPacingSlice(1'000'000);
    onPass = [&](int64_t instructions) {
        if (instructions == 1500) // well inside a slice
            engine.MatrixRAM[0x10].BreakPoint = true;
    };
    engine.Set_RT_parametrs(1, 0, 0, 0, 1.0);
    runUntilPaused();
    EXPECT_EQ(engine.IC, 1501) << "the first write after the breakpoint was set";
    EXPECT_EQ(engine.I, 1500);
}

// A change of factor in the middle of a slice ends it; the new rate starts
// from the present.
TEST_F(PacedRun, AChangeOfFactorEndsTheSlice)
{
    link.onRead = nullptr;
    engine.ROM[2047] = op::GOTO(0);
    engine.ROM[2046] = op::GOTO(0);
    engine.setPacingSlice(1'000'000);
    int64_t changedAt = 0;
    int64_t cyclesAtChange = 0;
    clock.onWait = [&](int64_t) {
        if (changedAt == 0 && clock.time >= 100'000'000) {
            changedAt = clock.time;
            cyclesAtChange = engine.MC;
            engine.Set_RT_parametrs(1, 0, 0, 0, 4.0);
        } else if (changedAt && clock.time >= changedAt + 100'000'000) {
            engine.rtPause = 1;
        }
    };
    engine.Set_RT_parametrs(1, 0, 0, 0, 1.0);
    runUntilPaused();
    EXPECT_NEAR(double(cyclesAtChange), 100'000.0, 2000.0);
    EXPECT_NEAR(double(engine.MC - cyclesAtChange), 400'000.0, 8000.0) << "four times the rate, no catching up";
}

// Against the real clock, with bounds wide enough for a loaded machine.
struct RealClockCase {
    const char* name;
    uint8_t realTime;
    uint8_t delay;
    int32_t delayMs;
    double factor;
    milliseconds atLeast;
};

void PrintTo(const RealClockCase& c, std::ostream* os)
{
    *os << c.name;
}

class RealClockPacing : public testing::TestWithParam<RealClockCase> {};

TEST_P(RealClockPacing, HoldsTheProgramBack)
{
    const RealClockCase& c = GetParam();
    ObservedClock clock;
    corvel::Engine engine;
    engine.SelectMC(corvel::kPic10F200);
    engine.setRunClock(&clock);
    clock.onWait = [&](int64_t ticks) {
        if (ticks == 1'000'000)
            engine.rtRefreshComplete = 1;
    };
    engine.crystalFrequency = 4000; // a machine cycle lasts 1 ms
    engine.Set_RT_parametrs(c.realTime, 0, c.delay, c.delayMs, c.factor);
    engine.ROM_BP[39] = 1; // words 255, 0..38: 40 instructions
    const auto start = std::chrono::steady_clock::now();
    engine.Calculate_CuclPerCycMK(countStop);
    ASSERT_TRUE(eventually([&] { return engine.rtPause == 1; }, milliseconds(5000)));
    const auto elapsed = std::chrono::steady_clock::now() - start;
    engine.Stop_and_wait();
    EXPECT_EQ(engine.IC, 40);
    EXPECT_GE(elapsed, c.atLeast) << c.name;
    EXPECT_LT(elapsed, milliseconds(3000)) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Modes, RealClockPacing,
    testing::Values(RealClockCase{"RealTime", 1, 0, 0, 1.0, milliseconds(38)},
        RealClockCase{"TwiceRealTime", 1, 0, 0, 2.0, milliseconds(19)},
        RealClockCase{"FixedDelay", 0, 1, 5, 1.0, milliseconds(195)}),
    [](const testing::TestParamInfo<RealClockCase>& info) { return std::string(info.param.name); });

} // namespace

} // namespace pacing_test
