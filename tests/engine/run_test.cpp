// A run driven synchronously: the reset address, running past the end of
// memory, line and register breakpoints, stop addresses.
#include <gtest/gtest.h>

#include "engine_support.h"

using namespace enginetest;
namespace reg = corvel::reg;
using corvel::RunStop;

namespace run_test {
namespace {

int stopCalls = 0;
void countStop()
{
    ++stopCalls;
}

// An engine at the start of a run, as the simulation thread begins it.
struct RunningChip {
    explicit RunningChip(int model = corvel::kPic10F200)
    {
        engine.SelectMC(model);
        engine.setChipLink(&link);
        engine.PowerOnReset();
        engine.startRun();
    }
    corvel::Engine engine;
    FakeChipLink link;
};

TEST(Run, StartsAtTheLastWordWithAllOnesInPc)
{
    RunningChip run;
    EXPECT_EQ(run.engine.I, 255);
    EXPECT_EQ(run.engine.PC, 0x1FFu);
    EXPECT_EQ(run.engine.IC, 0);
    EXPECT_EQ(run.engine.rtexStep, 1);
    run.engine.ROM[255] = op::MOVLW(0x42);
    run.engine.ROM[0] = op::MOVWF(0x10);
    EXPECT_EQ(run.engine.runSynchronously(1).passes, 1u);
    EXPECT_EQ(run.engine.RAM[reg::W], 0x42);
    // The run stops where the thread waits: the next pass has already found
    // the counter past the last word and wrapped it to 0.
    EXPECT_EQ(run.engine.PC, 0u);
    EXPECT_EQ(run.engine.I, 0);
    run.engine.runSynchronously(1);
    EXPECT_EQ(run.engine.RAM[0x10], 0x42) << "running past the reset word wraps to 0";
    EXPECT_EQ(run.engine.I, 1);
}

// The stop routine runs on the thread in the middle of a batch; the counters
// and the program counter it finds are those of the ended run, not of the
// batch's start.
struct StopView {
    corvel::Engine* engine = nullptr;
    int32_t next = -1;
    uint32_t pc = 0;
    int64_t instructions = -1;
    int64_t cycles = -1;
};
StopView stopView;
void recordStopView()
{
    stopView.next = stopView.engine->I;
    stopView.pc = stopView.engine->PC;
    stopView.instructions = stopView.engine->IC;
    stopView.cycles = stopView.engine->MC;
}

TEST(Run, TheStopRoutineSeesWhereTheRunEnded)
{
    RunningChip run;
    stopView = StopView{&run.engine};
    run.engine.stopRoutine = recordStopView;
    run.engine.ROM[3] = op::GOTO(5); // two cycles
    // Word 255, then 0..255 (with 4 skipped), then the end.
    EXPECT_EQ(run.engine.runSynchronously(10000).stop, RunStop::EndOfMemory);
    EXPECT_EQ(stopView.next, 255);
    EXPECT_EQ(stopView.pc, 0x1FFu);
    EXPECT_EQ(stopView.instructions, 256);
    EXPECT_EQ(stopView.cycles, 257);
    EXPECT_EQ(run.engine.IC, 256);
    EXPECT_EQ(run.engine.MC, 257);
}

TEST(Run, SecondRunPastTheEndEndsTheRun)
{
    RunningChip run;
    stopCalls = 0;
    run.engine.stopRoutine = countStop;
    // All NOPs: word 255, then 0..255, then the end.
    const corvel::RunResult result = run.engine.runSynchronously(10000);
    EXPECT_EQ(result.stop, RunStop::EndOfMemory);
    EXPECT_EQ(result.passes, 257u);
    EXPECT_EQ(stopCalls, 1);
    EXPECT_EQ(run.engine.I, 255);
    EXPECT_EQ(run.engine.PC, 0x1FFu);
    EXPECT_EQ(run.engine.runSynchronously(10).stop, RunStop::EndOfMemory);
    EXPECT_EQ(stopCalls, 1) << "the stop routine is called once";
    EXPECT_FALSE(run.engine.beginPass());

    // A new run starts afresh.
    run.engine.startRun();
    EXPECT_EQ(run.engine.runSynchronously(3).stop, RunStop::PassLimit);
}

TEST(Run, LineBreakpointPausesBeforeTheWordAndResumes)
{
    RunningChip run;
    run.engine.ROM[3] = op::MOVLW(0x33);
    run.engine.ROM_BP[3] = 1;
    corvel::RunResult result = run.engine.runSynchronously(100);
    EXPECT_EQ(result.stop, RunStop::Paused);
    EXPECT_EQ(result.passes, 4u); // word 255, then 0, 1, 2
    EXPECT_EQ(run.engine.I, 3);
    EXPECT_EQ(run.engine.rtPause, 1);
    EXPECT_EQ(run.engine.RAM[reg::W], 0);
    // Still paused: nothing runs.
    EXPECT_EQ(run.engine.runSynchronously(100).passes, 0u);
    run.engine.rtPause = 0;
    result = run.engine.runSynchronously(1);
    EXPECT_EQ(result.passes, 1u);
    EXPECT_EQ(run.engine.RAM[reg::W], 0x33) << "the marked word runs without stopping again";
    EXPECT_EQ(run.engine.runSynchronously(5).stop, RunStop::PassLimit);
}

TEST(Run, RegisterBreakpointPausesAfterTheWrite)
{
    RunningChip run;
    run.engine.ROM[0] = op::INCF(0x12, F);
    run.engine.ROM[1] = op::MOVWF(0x12);
    run.engine.ROM[2] = op::NOP();
    run.engine.RAM[0x12] = 0;
    run.engine.MatrixRAM[0x12].BreakPoint = true;
    const corvel::RunResult result = run.engine.runSynchronously(100);
    EXPECT_EQ(result.stop, RunStop::Paused);
    EXPECT_EQ(result.passes, 2u);
    EXPECT_EQ(run.engine.RAM[0x12], 1);
    EXPECT_EQ(run.engine.I, 1);
    run.engine.rtPause = 0;
    // MOVWF 0x12 writes W = 0 over 1: a change, so it pauses again.
    EXPECT_EQ(run.engine.runSynchronously(100).passes, 1u);
    EXPECT_EQ(run.engine.I, 2);
}

TEST(Run, StopAddressAndPassLimit)
{
    RunningChip run;
    run.engine.ROM[255] = op::GOTO(0x20);
    corvel::RunResult result = run.engine.runSynchronously(1000, 0x25);
    EXPECT_EQ(result.stop, RunStop::Address);
    EXPECT_EQ(result.passes, 6u);
    EXPECT_EQ(run.engine.I, 0x25);
    EXPECT_EQ(run.engine.MC, 7);
    result = run.engine.runSynchronously(1000, 0x25);
    EXPECT_EQ(result.stop, RunStop::Address);
    EXPECT_EQ(result.passes, 0u) << "already there";
    result = run.engine.runSynchronously(4);
    EXPECT_EQ(result.stop, RunStop::PassLimit);
    EXPECT_EQ(run.engine.I, 0x29);
    EXPECT_EQ(run.engine.IC, 10);
}

TEST(Run, PassesByHandAsTheThreadRunsThem)
{
    RunningChip run;
    run.engine.ROM[255] = op::MOVLW(7);
    ASSERT_TRUE(run.engine.beginPass());
    EXPECT_TRUE(run.engine.beginPass()) << "a prepared pass is not prepared twice";
    run.engine.finishPass();
    EXPECT_EQ(run.engine.RAM[reg::W], 7);
    EXPECT_EQ(run.engine.IC, 1);
}

TEST(Run, TwoEnginesRunSideBySide)
{
    RunningChip first;
    RunningChip second(corvel::kPic16F57);
    first.engine.ROM[255] = op::MOVLW(1);
    second.engine.ROM[2047] = op::MOVLW(2);
    first.engine.runSynchronously(1);
    second.engine.runSynchronously(1);
    EXPECT_EQ(first.engine.RAM[reg::W], 1);
    EXPECT_EQ(second.engine.RAM[reg::W], 2);
    EXPECT_EQ(second.engine.PC, 0u);
}

TEST(Run, NoModelNoRun)
{
    corvel::Engine engine;
    engine.startRun();
    EXPECT_EQ(engine.runSynchronously(10).stop, RunStop::EndOfMemory);
}

} // namespace

} // namespace run_test
