// The simulation thread: one per run, started by Calculate_CuclPerCycMK and
// always joined before another starts or the engine goes away. Between the
// end-of-memory check and the instruction of each pass it waits as the
// pacing demands; every wait ends at once when a run flag changes.
#include <algorithm>
#include <cmath>

#include "engine/engine.h"

namespace corvel {

namespace {

constexpr int64_t kPollTicks = 10'000'000;     // pause and step requests: 10 ms
constexpr int64_t kRefreshPollTicks = 1'000'000; // the refresh after a fixed delay: 1 ms
constexpr int32_t kLowestCrystalFreq = 4; // one machine cycle is four oscillator periods
// Passes per batch at the fastest rate, and at most per batch of a
// real-time slice; any flag change ends a batch early.
constexpr uint64_t kFastestBatchPasses = 4096;

// The engine whose run the calling thread is.
thread_local const Engine* threadEngine = nullptr;

} // namespace

Engine::~Engine()
{
    Stop_and_wait();
}

bool Engine::onSimulationThread() const
{
    return threadEngine == this;
}

void Engine::Calculate_CuclPerCycMK(StopProc stopProc)
{
    // The stop routine runs on the thread that would have to be joined.
    if (onSimulationThread())
        return;
    Stop_and_wait();
    if (crystalFrequency < kLowestCrystalFreq)
        crystalFrequency = lastRunCrystalFrequency_;
    lastRunCrystalFrequency_ = crystalFrequency;
    pacing.cycleTicks = kTicksPerSecond / (crystalFrequency / 4);
    pacing.lastTick = 0;
    stopRoutine = stopProc;
    rtRunning.store(0);
    PowerOnReset();
    // The run-start values are in place before the thread exists, so the
    // main program never meets them half written.
    startRun();
    rtRunning.store(1);
    simThread_ = std::thread([this] { runThreadBody(); });
}

void Engine::Stop_and_wait()
{
    rtRunning.store(0);
    // On its own thread the run only learns to stop: the thread object
    // belongs to the main program.
    if (onSimulationThread())
        return;
    if (simThread_.joinable())
        simThread_.join();
}

void Engine::Set_RT_parametrs(uint8_t realTime, uint8_t stepByStep, uint8_t delay, int32_t delayMs, double factor)
{
    RealTime.store(realTime);
    StepByStep.store(stepByStep);
    Delay.store(delay);
    DelayMs.store(delayMs);
    Factor.store(pacingFactor(factor));
    pacingChanges_.fetch_add(1);
    rtexStep.store(0);
    flagSignal_.raise();
}

// Nothing thrown inside the run leaves the thread: the run ends as if it
// had been stopped, and the stop routine tells the main program so.
void Engine::runThreadBody()
{
    threadEngine = this;
    try {
        runPassesOnThread();
    } catch (...) {
        rtRunning.store(0);
        if (!runEnded_) {
            runEnded_ = true;
            try {
                if (stopRoutine)
                    stopRoutine();
            } catch (...) {
            }
        }
    }
}

// At the fastest rate nothing is waited for between passes, so after one
// wait the passes run in a batch through the inlined pass loop. Real time
// alone runs the same way in slices: after a wait, every instruction that
// is due by then. A batch ends before a pass that a run flag or a pacing
// change since its start concerns, and the wait takes over there as it
// would have after every pass.
void Engine::runPassesOnThread()
{
    const auto relaxed = std::memory_order_relaxed;
    while (beginPass()) {
        if (!waitForPass())
            return;
        if (StepByStep.load(relaxed) || Delay.load(relaxed))
            finishPass();
        else if (RealTime.load(relaxed))
            runPacedSlice(kFastestBatchPasses);
        else
            runFastestBatch(kFastestBatchPasses);
    }
}

// Waits `ticks` unless `interrupted()` holds first; false when it did.
template <typename Interrupted>
bool Engine::sleepUnless(int64_t ticks, Interrupted interrupted)
{
    const int64_t deadline = clock_->now() + ticks;
    for (;;) {
        const uint64_t seen = flagSignal_.generation();
        if (interrupted())
            return false;
        const int64_t left = deadline - clock_->now();
        if (left <= 0)
            return true;
        clock_->wait(left, flagSignal_, seen);
    }
}

// The pacing modes are checked in turn (the main program sets one of them);
// a wait that has to start again goes back to the stop check, not to the
// start of the pass.
bool Engine::waitForPass()
{
    const auto relaxed = std::memory_order_relaxed;
    for (;;) {
        const uint64_t seen = flagSignal_.generation();
        if (!rtRunning.load(relaxed))
            return false;
        if (rtPause.load(relaxed)) {
            clock_->wait(kPollTicks, flagSignal_, seen);
            pacing.lastTick = clock_->now();
            continue;
        }
        if (StepByStep.load(relaxed) && !stepGranted(seen))
            continue;
        if (Delay.load(relaxed) && !delayPassed())
            continue;
        if (RealTime.load(relaxed) && !cycleDue(seen))
            continue;
        return true;
    }
}

// Each instruction needs a step request and a finished refresh.
bool Engine::stepGranted(uint64_t seen)
{
    const auto relaxed = std::memory_order_relaxed;
    if (!rtexStep.load(relaxed) || !rtRefreshComplete.load(relaxed)) {
        clock_->wait(kPollTicks, flagSignal_, seen);
        return false;
    }
    rtRefreshComplete.store(0, relaxed);
    rtexStep.store(0, relaxed);
    return true;
}

// The fixed delay, then the state stays for the main program to show until
// it reports the refresh finished. A stop, a pause or the end of delay mode
// interrupts either wait.
bool Engine::delayPassed()
{
    const auto relaxed = std::memory_order_relaxed;
    const auto interrupted = [&] { return !rtRunning.load(relaxed) || rtPause.load(relaxed) || !Delay.load(relaxed); };
    if (!sleepUnless(int64_t(std::max(DelayMs.load(relaxed), 0)) * 1'000'000, interrupted))
        return false;
    for (;;) {
        const uint64_t seen = flagSignal_.generation();
        if (interrupted())
            return false;
        if (rtRefreshComplete.load(relaxed))
            break;
        clock_->wait(kRefreshPollTicks, flagSignal_, seen);
    }
    rtRefreshComplete.store(0, relaxed);
    return true;
}

// An instruction may start once pacing.cycleTicks x Factor ticks have passed
// since pacing.lastTick; each cycle moves pacing.lastTick on by pacing.cycleTicks / Factor, so
// the program runs at Factor times real time. The thread never spins: it
// sleeps until the instruction is due, and at least one slice, so that a
// wake-up runs all the instructions due by then (the slice's batch checks
// each against the time read here). The long-run rate stays exact; an
// instruction runs late by up to a slice, with the others due in it.
bool Engine::cycleDue(uint64_t seen)
{
    const auto relaxed = std::memory_order_relaxed;
    const double factor = pacingFactor(Factor.load(relaxed));
    const int64_t now = clock_->now();
    // A new rate starts from the present: no burst to catch up with the old
    // one, no stall to wait for it.
    const uint64_t changes = pacingChanges_.load(relaxed);
    if (changes != pacingChangesSeen_) {
        pacingChangesSeen_ = changes;
        pacing.lastTick = now;
    }
    const double due = double(pacing.cycleTicks) * factor;
    const double elapsed = double(now - pacing.lastTick);
    if (elapsed < due) {
        const double sleep = std::min(std::max(std::ceil(due - elapsed), double(sliceTicks_)), double(kPollTicks));
        clock_->wait(int64_t(sleep), flagSignal_, seen);
        return false;
    }
    sliceNow_ = now;
    pacing.lastTick += pacingCycleTicks();
    return true;
}

} // namespace corvel
