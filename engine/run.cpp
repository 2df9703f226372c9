// A run: its start and the passes of the loop that executes the program.
#include "engine/peripherals.h"

namespace corvel {

// The watchdog runs out after 18 ms (nominal) of its own oscillator,
// whatever the clock: that many instruction cycles of four oscillator
// periods each.
double watchdogPeriodCycles(int32_t crystalFreq)
{
    constexpr double kWatchdogSeconds = 0.018;
    return kWatchdogSeconds * (double(crystalFreq) / 4.0);
}

int64_t Engine::ReadTSC()
{
    return steadyRunClock().now();
}

// The reset address is the last program word; PC shows all ones there, which
// on a chip with fewer words than its counter can address is more than the
// last word.
void Engine::startRun()
{
    HoldRun hold(*this);
    stopwatchSeconds = 0;
    wrapAllowance_ = true;
    held_.twoCycle = false;
    held_.next = ROM_Size - 1;
    held_.pc = pcMask_;
    held_.instructions = 0;
    held_.cycles = 0;
    watchdog.count = 0.0;
    lazy_.cycles = 0;
    lazy_.timerCounted = 0;
    lazy_.watchdogCounted = 0;
    watchdog.period = watchdogPeriodCycles(crystalFrequency >= 4 ? crystalFrequency : lastRunCrystalFrequency_);
    timer0.count = 0;
    timer0.hold = 0;
    held_.pclJumped = false;
    // The count starts from 0 at the prescaler ratio OPTION holds now.
    timer0.prescale = timer0Ratio(RAM[reg::OPTION]);
    timer0.inputLevel = false;
    sleepState.active = false;
    rtexStep.store(1, std::memory_order_relaxed);
    for (int level = 0; level <= StackMax && level < int(StackAddr.size()); ++level)
        StackAddr[size_t(level)] = 0;
    StackCounter = 0;
    pacing.lastTick = clock_->now();
    pacingChangesSeen_ = pacingChanges_.load();
    passPrepared_ = false;
    runEnded_ = ROM.empty();
}

// Running past the last word wraps to 0 once after each reset; the second
// time ends the run.
bool Engine::beginPass()
{
    HoldRun hold(*this);
    if (runEnded_)
        return false;
    if (passPrepared_)
        return true;
    if (held_.next < 0 || held_.next > ROM_Size - 1) {
        if (wrapAllowance_) {
            wrapAllowance_ = false;
            held_.next = 0;
            held_.pc = 0;
        } else {
            held_.next = ROM_Size - 1;
            held_.pc = pcMask_;
            runEnded_ = true;
            // The stop routine sees where the run ended.
            publishRun();
            if (stopRoutine)
                stopRoutine();
            return false;
        }
    }
    if (ROM_BP[size_t(held_.next)])
        pauseAtBreakpoint();
    passPrepared_ = true;
    return true;
}

} // namespace corvel
