// The peripheral work that does not run on every pass: resets and their
// restart, conversions, the comparator, the wake-up checks of sleep and a
// change of the timer's prescaler.
#include "engine/peripherals.h"

#include <cmath>

namespace corvel {
namespace {

// Volts per step of the converter: 5 V over 255 steps.
constexpr double kVoltsPerStep = 0.0196078431372549;
// The internal 0.6 V reference, as the comparator and channel 2 see it.
constexpr float kReferenceVolts = 0.6f;
constexpr uint8_t kReferenceConversion = 30;

// An undriven channel (NaN) converts to 0; no level reaches the integer
// conversion outside 0..255.
uint8_t conversionOf(float level)
{
    const double steps = double(level) / kVoltsPerStep;
    if (!(steps > 0.0))
        return 0;
    if (steps >= 255.0)
        return 255;
    return uint8_t(steps);
}

} // namespace

// Undriven (NaN) is not low.
bool Engine::resetPinLow()
{
    return pinLevel(PinMCLR) <= 1.0f;
}

// The program starts again from the reset address, with a fresh wrap
// allowance and a cleared watchdog.
void Engine::restartAfterReset(bool byResetPin, bool byWatchdog, bool byPinChange, bool byComparatorChange)
{
    flushLazyCycles();
    ResetMC(byResetPin, byWatchdog, byPinChange, byComparatorChange);
    replanPeripherals();
    wrapAllowance_ = true;
    held_.next = ROM_Size - 1;
    held_.pc = pcMask_;
    timer0.hold = 0;
    clearWatchdogCount();
}

// ---- Timer 0 and the watchdog counted lazily ----
// While nothing watches them pass by pass (no register breakpoint on the
// timer rows, the chip awake), timer 0 on the instruction clock and the
// watchdog only add up the cycles of each pass; the registers, change marks
// and watchdog.count are brought to what counting each pass would have left
// whenever the program or the main program could look.

void Engine::flushLazyCycles()
{
    const uint64_t cycles = lazy_.cycles;
    if (!cycles)
        return;
    flushLazyWatchdog();
    flushLazyTimer();
    // Both have counted everything: start from 0 again.
    lazy_.cycles = 0;
    lazy_.timerCounted = 0;
    lazy_.watchdogCounted = 0;
    if (lazy_.watchdogLimit != UINT64_MAX)
        lazy_.watchdogLimit -= cycles;
}

void Engine::flushLazyTimer()
{
    const uint64_t pending = lazy_.cycles - lazy_.timerCounted;
    if (!pending)
        return;
    lazy_.timerCounted = lazy_.cycles;
    if (lazy_.timer0)
        countLazyTimerCycles(pending, std::min<uint64_t>(lazy_.lastPassCycles, pending));
}

// Sums of cycles times a power of two: exact, as the pass-by-pass sum is.
void Engine::flushLazyWatchdog()
{
    const uint64_t pending = lazy_.cycles - lazy_.watchdogCounted;
    if (!pending)
        return;
    lazy_.watchdogCounted = lazy_.cycles;
    if (!lazy_.watchdog)
        return;
    watchdog.count += double(pending) * lazy_.watchdogShare;
    armWatchdogLimit();
}

// A program that clears the watchdog and reads TMR0 in a loop arms the
// limit from the same count again and again: the last one is kept.
void Engine::armWatchdogLimit()
{
    if (!lazy_.watchdog) {
        lazy_.watchdogLimit = UINT64_MAX;
        return;
    }
    const double count = watchdog.count;
    if (count != lastLimit_.count || lazy_.watchdogShare != lastLimit_.share || watchdog.period != lastLimit_.period)
        lastLimit_ = {count, lazy_.watchdogShare, watchdog.period, watchdogLimitFrom(count)};
    lazy_.watchdogLimit = limitAfter(lazy_.watchdogCounted, lastLimit_.limit);
}

// The largest count of further cycles that leaves a watchdog count of
// `count` at or below watchdog.period, as the pass-by-pass comparison sees it.
uint64_t Engine::watchdogLimitFrom(double count) const
{
    const double period = watchdog.period;
    const auto within = [&](double cycles) { return count + cycles * lazy_.watchdogShare <= period; };
    if (!within(0.0))
        return 0;
    double limit = std::floor((period - count) / lazy_.watchdogShare);
    while (limit > 0 && !within(limit))
        limit -= 1;
    while (within(limit + 1))
        limit += 1;
    return uint64_t(limit);
}

// This pass's cycles run the watchdog out; the timer does not count them,
// as the reset comes before its step.
void Engine::watchdogRunsOut(int cycles)
{
    lazy_.cycles -= uint64_t(cycles);
    flushLazyTimer();
    // watchdog.count starts again from 0 anyway.
    lazy_.watchdogCounted = lazy_.cycles;
    restartAfterReset(false, true, false, false);
}

// storeTimerRow() without the breakpoint, which the lazy count excludes.
inline void Engine::storeLazyTimerRow(int index, uint8_t before, uint8_t after)
{
    recordTimerRowMark(index, before != after);
    RAM[size_t(index)] = after;
}

// What `cycles` passes of tmr0Tick() would have left: the count, TMR0 and
// the prescaler row, and their marks as the last pass's tick set them.
// The first cycles after a program write to TMR0 do not count.
void Engine::countLazyTimerCycles(uint64_t cycles, uint64_t lastCycles)
{
    const uint64_t hold = timer0.hold;
    const uint64_t heldInAll = std::min(cycles, hold);
    const uint64_t heldBeforeLast = std::min(cycles - lastCycles, hold);
    timer0.hold = uint8_t(hold - heldInAll);
    const uint64_t counted = cycles - heldInAll;
    const uint64_t countedInLast = lastCycles - (heldInAll - heldBeforeLast);
    const uint64_t ratio = uint64_t(timer0.prescale);
    // The count wraps at 256 x ratio, a power of two.
    const uint64_t wrapMask = 256 * ratio - 1;
    const uint64_t after = (uint64_t(timer0.count) + counted) & wrapMask;
    const uint64_t before = (uint64_t(timer0.count) + counted - countedInLast) & wrapMask;
    timer0.count = int32_t(after);
    const int shift = std::countr_zero(uint32_t(ratio));
    // With one pass counted, the last tick compared with the rows as they
    // stand; with more, with what the tick before it stored.
    const bool onePass = cycles == lastCycles;
    storeLazyTimerRow(reg::TMR0, onePass ? RAM[reg::TMR0].load() : uint8_t(before >> shift), uint8_t(after >> shift));
    storeLazyTimerRow(reg::Prescaler, onePass ? RAM[reg::Prescaler].load() : uint8_t(before & (ratio - 1)),
        uint8_t(after & (ratio - 1)));
}


// Channel 2 and up (CHS1 = 1) read the internal reference.
void Engine::completeConversion()
{
    const uint8_t adcon = RAM[size_t(AdrADCON0)];
    const uint8_t result
        = (adcon & adcon0::CHS1) ? kReferenceConversion : conversionOf(pinLevel((adcon & adcon0::CHS0) ? 1 : 0));
    WriteRegByte(AdrADRES, result);
    WriteRegBit(AdrADCON0, 1, false);
    converter.cycles = 0;
}

// CMPOUT is stored without change marks. A comparison with an undriven
// (NaN) input is false.
void Engine::comparatorStep()
{
    auto& comparator = RAM[size_t(AdrCMCON0)];
    const float reference = (comparator & cmcon0::CNREF) ? pinLevel(1) : kReferenceVolts;
    const float input = pinLevel((comparator & cmcon0::CPREF) ? 0 : 1);
    const bool output = (reference > input) != bool(comparator & cmcon0::POL);
    comparator = output ? uint8_t(comparator | cmcon0::CMPOUT) : uint8_t(comparator & ~cmcon0::CMPOUT);
}

// A sleeping chip wakes on a change of the comparator output or of GP0..GP3
// against what SLEEP saw, each where the model has it and it is enabled.
void Engine::sleepStep()
{
    if (AdrCMCON0 >= 0) {
        const uint8_t comparator = RAM[size_t(AdrCMCON0)];
        if ((comparator & cmcon0::CMPON) && !(comparator & cmcon0::CWU)
            && ReadRegBit(AdrCMCON0, 7) != sleepState.comparatorOut) {
            restartAfterReset(false, false, false, true);
            return;
        }
    }
    if (HasPinWake && !(RAM[reg::OPTION] & option::GPWU)) {
        for (int bit = 0; bit < int(sleepState.pinLevels.size()); ++bit) {
            if (ReadRegBit(reg::GPIO, bit) != sleepState.pinLevels[size_t(bit)]) {
                restartAfterReset(false, false, true, false);
                return;
            }
        }
    }
}

// Each step a pass takes depends on registers that change seldom: the plan
// is made again after a program write to OPTION, OSCCAL, CMCON0 or ADCON0,
// after SLEEP and every reset, and at the start of every batch of passes
// (which covers the main program's changes of registers, configuration and
// wiring). A pin with nothing wired to it is not read; it is undriven.
void Engine::planPeripherals()
{
    flushLazyCycles();
    wiredPorts_ = 0;
    if (chipLink_) {
        for (const int32_t port : {PinMCLR, PinT0CKI, int32_t(0), int32_t(1)}) {
            if (port >= 0 && port < 64 && chipLink_->portWired(port))
                wiredPorts_ |= uint64_t(1) << port;
        }
    }
    const auto wired = [&](int32_t port) { return chipLink_ && (port < 0 || port >= 64 || (wiredPorts_ >> port & 1)); };

    uint16_t work = 0;
    if ((CfgNoMCLRE < 0 || Config[size_t(CfgNoMCLRE)] == 1) && wired(PinMCLR))
        work |= kResetPinStep;
    if (AdrADCON0 >= 0)
        work |= kConverterStep;
    const uint8_t comparator = AdrCMCON0 >= 0 ? RAM[size_t(AdrCMCON0)].load() : 0;
    if (comparator & cmcon0::CMPON)
        work |= kComparatorStep;
    // A sleeping chip counts pass by pass: its timer stands while the
    // watchdog runs.
    lazy_.watchdog = false;
    lazy_.timer0 = false;
    const uint8_t optionBits = RAM[reg::OPTION];
    if (CfgNoWDTE >= 0 && Config[size_t(CfgNoWDTE)] == 1) {
        if (sleepState.active) {
            work |= kWatchdogStep;
        } else {
            lazy_.watchdog = true;
            work |= kLazyCycles;
            lazy_.watchdogShare = 1.0;
            if (optionBits & option::PSA) {
                watchdog.divisor = uint8_t(1u << (optionBits & option::PS));
                lazy_.watchdogShare = 1.0 / double(watchdog.divisor);
            }
        }
    }
    if (sleepState.active)
        work |= kSleepStep;

    // The clock is the comparator output while the comparator drives the
    // timer, else the instruction clock (T0CS = 0, or FOSC4 routing it out
    // to the timer's own pin), else the T0CKI pin.
    if (const int32_t ratio = timer0Ratio(optionBits); ratio != timer0.prescale)
        retuneTimer0(ratio);
    if ((comparator & (cmcon0::CMPON | cmcon0::CMPT0CS)) == cmcon0::CMPON) {
        work |= kTimerEdges;
        timer0.source = TimerClock::Comparator;
    } else if (!(optionBits & option::T0CS) || (HasFOSC4 && (RAM[reg::OSCCAL] & kOscCalFosc4))) {
        // A breakpoint on the timer's rows is checked at every tick.
        if (sleepState.active || MatrixRAM[reg::TMR0].BreakPoint || MatrixRAM[reg::Prescaler].BreakPoint) {
            work |= kTimerCycles;
        } else {
            lazy_.timer0 = true;
            work |= kLazyCycles;
        }
    } else if (wired(PinT0CKI)) {
        work |= kTimerEdges;
        timer0.source = TimerClock::Pin;
    } else if (!timer0.inputLevel) {
        work |= kTimerEdges;
        timer0.source = TimerClock::UnwiredPin;
    }
    peripheralWork_ = work;
    if (lazy_.watchdog)
        lazy_.watchdogLimitFromZero = watchdogLimitFrom(0.0);
    armWatchdogLimit();
}

// A new prescaler ratio or assignment leaves TMR0 as it is, as on the chip;
// only the prescaler's own count starts again.
void Engine::retuneTimer0(int32_t ratio)
{
    timer0.count = RAM[reg::TMR0] * ratio;
    timer0.prescale = ratio;
}

} // namespace corvel
