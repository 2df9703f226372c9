// The simulation thread: one per run, started by Calculate_CuclPerCycMK and
// always joined before another starts or the engine goes away.
#include <chrono>
#include <thread>

#include "engine/engine.h"

namespace corvel {

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(10);

} // namespace

Engine::~Engine()
{
    Stop_and_wait();
}

void Engine::Calculate_CuclPerCycMK(StopProc stopProc)
{
    Stop_and_wait();
    // The tick is the nanosecond; a machine cycle is four oscillator periods.
    const int64_t cyclesPerSecond = rtCrystalFreq / 4;
    CuclPerCycMK = cyclesPerSecond > 0 ? int64_t(1'000'000'000) / cyclesPerSecond : 0;
    LastTSC = 0;
    OnStopProc = stopProc;
    rtRunning.store(0);
    PowerOnReset();
    rtRunning.store(1);
    simThread_ = std::thread([this] { runThreadBody(); });
}

void Engine::Stop_and_wait()
{
    rtRunning.store(0);
    if (simThread_.joinable() && simThread_.get_id() != std::this_thread::get_id())
        simThread_.join();
}

void Engine::Set_RT_parametrs(uint8_t realTime, uint8_t stepByStep, uint8_t delay, int32_t delayMs, double factor)
{
    RealTime.store(realTime);
    StepByStep.store(stepByStep);
    Delay.store(delay);
    DelayMs.store(delayMs);
    Factor.store(factor);
    rtexStep.store(0);
}

void Engine::runThreadBody()
{
    startRun();
    while (beginPass()) {
        if (!waitForPass())
            return;
        finishPass();
    }
}

bool Engine::waitForPass()
{
    for (;;) {
        if (!rtRunning.load(std::memory_order_relaxed))
            return false;
        if (rtPause.load(std::memory_order_relaxed)) {
            std::this_thread::sleep_for(kPollInterval);
            LastTSC = ReadTSC();
            continue;
        }
        return true;
    }
}

} // namespace corvel
