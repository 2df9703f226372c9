// The peripheral steps between two instructions, in the chip's order: the
// reset pin, the converter, the comparator, the watchdog, then either the
// wake-up checks of sleep or timer 0. Each step counts the cycles of the
// previous instruction (2 after a two-cycle one). What runs every pass is
// inline here; the rarer work is in peripherals.cpp.
#pragma once

#include <algorithm>
#include <bit>
#include <limits>

#include "engine/register_file.h"

namespace corvel {

namespace option {
inline constexpr uint8_t PS = 0x07;
inline constexpr uint8_t PSA = 0x08; // the prescaler belongs to the watchdog
inline constexpr uint8_t T0SE = 0x10;
inline constexpr uint8_t T0CS = 0x20;
inline constexpr uint8_t GPWU = 0x80; // \GPWU, active low
} // namespace option

namespace cmcon0 {
inline constexpr uint8_t CWU = 0x01; // \CWU, active low
inline constexpr uint8_t CPREF = 0x02;
inline constexpr uint8_t CNREF = 0x04;
inline constexpr uint8_t CMPON = 0x08;
inline constexpr uint8_t CMPT0CS = 0x10; // \CMPT0CS, active low
inline constexpr uint8_t POL = 0x20;
inline constexpr uint8_t CMPOUT = 0x80;
} // namespace cmcon0

namespace adcon0 {
inline constexpr uint8_t ADON = 0x01;
inline constexpr uint8_t GO = 0x02; // GO/\DONE
inline constexpr uint8_t CHS0 = 0x04;
inline constexpr uint8_t CHS1 = 0x08;
} // namespace adcon0

inline constexpr uint8_t kOscCalFosc4 = 0x01;

// TMR0's prescaler ratio: 2^(PS+1), or 1 while the prescaler belongs to the
// watchdog.
constexpr int32_t timer0Ratio(uint8_t optionBits)
{
    return (optionBits & option::PSA) ? 1 : 2 << (optionBits & option::PS);
}

// A missing link or an unwired port is undriven.
inline float Engine::pinLevel(int port)
{
    if (!chipLink_ || (port >= 0 && port < 64 && !(wiredPorts_ >> port & 1)))
        return std::numeric_limits<float>::quiet_NaN();
    publishForCallback();
    const float level = chipLink_->pinLevel(port);
    noticeEdits();
    return level;
}

// A conversion takes 13 instruction cycles after GO is set.
inline void Engine::converterStep(int cycles)
{
    const uint8_t adcon = RAM[size_t(AdrADCON0)];
    if ((adcon & (adcon0::ADON | adcon0::GO)) != (adcon0::ADON | adcon0::GO))
        return;
    converter.cycles += cycles;
    if (converter.cycles >= 13)
        completeConversion();
}

// The prescaler divides the watchdog's cycles by 2^PS while it belongs to
// the watchdog; the quotient is kept as a fraction.
inline bool Engine::watchdogStep(int cycles)
{
    static constexpr double kShare[8] = {1.0, 1.0 / 2, 1.0 / 4, 1.0 / 8, 1.0 / 16, 1.0 / 32, 1.0 / 64, 1.0 / 128};
    const uint8_t optionBits = RAM[reg::OPTION];
    if (optionBits & option::PSA) {
        watchdog.divisor = uint8_t(1u << (optionBits & option::PS));
        watchdog.count += cycles * kShare[optionBits & option::PS];
    } else {
        watchdog.count += cycles;
    }
    if (watchdog.count > watchdog.period) [[unlikely]] {
        restartAfterReset(false, true, false, false);
        return true;
    }
    return false;
}

// An internal byte write of a register with no side effects, as an access
// of its own: what mark() does for a fresh access, without an access count
// (the next instruction starts a new access before it writes anything).
inline void Engine::storeTimerRow(int index, uint8_t value)
{
    const TMatrixRAM& descriptor = MatrixRAM[size_t(index)];
    const uint8_t changed = RAM[size_t(index)] ^ value;
    recordTimerRowMark(index, changed);
    if (descriptor.BreakPoint && (changed || descriptor.GreenBP)) [[unlikely]]
        pauseAtBreakpoint();
    RAM[size_t(index)] = value;
}

// TMR0 and the prescaler row as the count shows them, TMR0 first.
inline void Engine::tmr0Tick()
{
    uint32_t value = uint32_t(timer0.count) >> std::countr_zero(uint32_t(timer0.prescale));
    if (value > 255) {
        value -= 256;
        timer0.count -= 256 * timer0.prescale;
    }
    storeTimerRow(reg::TMR0, uint8_t(value));
    storeTimerRow(reg::Prescaler, uint8_t(timer0.count & (timer0.prescale - 1)));
}

// The cycles of the previous instruction that count after a program write
// to TMR0: the first two cycles after the write do not.
inline int Engine::heldTimerCycles(int cycles)
{
    const int held = std::min(cycles, int(timer0.hold));
    timer0.hold = uint8_t(timer0.hold - held);
    return cycles - held;
}

// `from` + `cycles`, where UINT64_MAX stands for "never".
constexpr uint64_t limitAfter(uint64_t from, uint64_t cycles)
{
    return cycles > UINT64_MAX - from ? UINT64_MAX : from + cycles;
}

// What the watchdog had yet to count is dropped with the count; the timer
// goes on counting its share when it next catches up.
inline void Engine::clearWatchdogCount()
{
    watchdog.count = 0.0;
    lazy_.watchdogCounted = lazy_.cycles;
    lazy_.watchdogLimit = lazy_.watchdog ? limitAfter(lazy_.cycles, lazy_.watchdogLimitFromZero) : UINT64_MAX;
}

// Through the register write, with change marks and breakpoints, as the one
// way besides the resets that reaches \TO and \PD.
inline void Engine::clearWatchdog(HeldRun& run)
{
    clearWatchdogCount();
    writeStatus(run, status::TO | status::PD, uint8_t(status::TO | (sleepState.active ? 0 : status::PD)), true);
}

// T0SE = 0 counts rising edges, T0SE = 1 falling ones; `held`: the edge
// comes while the timer holds a written value and does not count.
inline void Engine::countTimer0Edge(bool input, bool held)
{
    if (input == timer0.inputLevel) [[likely]]
        return;
    timer0.inputLevel = input;
    if (!held && input != bool(RAM[reg::OPTION] & option::T0SE)) {
        ++timer0.count;
        tmr0Tick();
    }
}

// Timer 0, the watchdog, the reset pin, the comparator and the converter
// step here, between two instructions, as far as the plan has them; each
// step that writes registers counts as one access of its own for the change
// marks. A reset or a sleeping chip ends the pass without an instruction.
// Counting the cycles lazily is all most passes do; everything else works
// on held_.
inline bool Engine::peripheralStep(HeldRun& run)
{
    if (peripheralWork_ == kLazyCycles) [[likely]]
        return countLazyPass(run);
    if (!peripheralWork_)
        return true;
    held_ = run;
    const bool instruction = peripheralStepOnHeld();
    run = held_;
    return instruction;
}

// The step when counting the cycles lazily is all there is to do.
inline bool Engine::countLazyPass(HeldRun& run)
{
    const uint8_t cycles = run.twoCycle ? 2 : 1;
    lazy_.cycles += cycles;
    if (lazy_.cycles <= lazy_.watchdogLimit) [[likely]] {
        lazy_.lastPassCycles = cycles;
        return true;
    }
    held_ = run;
    watchdogRunsOut(cycles);
    run = held_;
    return false;
}

inline bool Engine::peripheralStepOnHeld()
{
    if (peripheralWork_ & kReplan) [[unlikely]]
        planPeripherals();
    const uint16_t work = peripheralWork_;
    const int cycles = held_.twoCycle ? 2 : 1;
    if (work & (kResetPinStep | kConverterStep | kComparatorStep | kWatchdogStep | kSleepStep | kLazyCycles)) {
        if ((work & kResetPinStep) && resetPinLow()) [[unlikely]] {
            restartAfterReset(true, false, false, false);
            return false;
        }
        if (work & kConverterStep)
            converterStep(cycles);
        if (work & kComparatorStep)
            comparatorStep();
        if (work & kLazyCycles) {
            lazy_.cycles += uint64_t(cycles);
            if (lazy_.cycles > lazy_.watchdogLimit) [[unlikely]] {
                watchdogRunsOut(cycles);
                return false;
            }
            lazy_.lastPassCycles = uint8_t(cycles);
        }
        if ((work & kWatchdogStep) && watchdogStep(cycles))
            return false;
        if (work & kSleepStep) {
            sleepStep();
            return false;
        }
    }
    if (work & kTimerCycles) {
        timer0.count += timer0.hold ? heldTimerCycles(cycles) : cycles;
        tmr0Tick();
    } else if (work & kTimerEdges) {
        // An edge while the timer holds a written value is lost.
        const bool held = timer0.hold && heldTimerCycles(cycles) == 0;
        switch (timer0.source) {
        case TimerClock::Pin:
            // A pin reads 1 when undriven or above 1.0 V.
            countTimer0Edge(!(pinLevel(PinT0CKI) <= 1.0f), held);
            break;
        case TimerClock::Comparator:
            countTimer0Edge(RAM[size_t(AdrCMCON0)] & cmcon0::CMPOUT, held);
            break;
        case TimerClock::UnwiredPin:
            // Once the input has risen it stays: nothing more to count.
            countTimer0Edge(true, held);
            peripheralWork_ &= uint16_t(~kTimerEdges);
            break;
        }
    }
    return true;
}

} // namespace corvel
