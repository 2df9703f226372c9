// The instruction loop works from tables built from program memory, the
// breakpoints and the model: every edit the main program makes while the run
// stands, and every edit while the simulation thread runs, reaches the next
// pass that can see it. Change marks reach the descriptors as each write
// would have set them.
#include <gtest/gtest.h>

#include <functional>

#include "engine_support.h"
#include "run_thread_support.h"

using namespace enginetest;
namespace reg = corvel::reg;
using corvel::RunStop;

namespace {

// An edit between two stretches of passes, and what the second stretch must
// then show. The program: 0: MOVLW 1, 1: MOVWF 0x10, 2: INCF 0x11, 3: GOTO 0.
struct EditCase {
    const char* name;
    std::function<void(corvel::Engine&)> edit;
    RunStop stop;      // of the stretch after the edit
    int next;          // I where it stopped
    uint8_t register10;
};

const EditCase kEdits[] = {
    {"word rewritten", [](corvel::Engine& e) { e.ROM[0] = op::MOVLW(7); }, RunStop::PassLimit, 0, 7},
    {"word rewritten bit by bit",
        [](corvel::Engine& e) {
            for (int bit = 0; bit < 12; ++bit)
                e.setRomBit(0, bit, (op::MOVLW(9) >> bit) & 1);
        },
        RunStop::PassLimit, 0, 9},
    {"line breakpoint set", [](corvel::Engine& e) { e.ROM_BP[1] = 1; }, RunStop::Paused, 1, 0},
    {"line breakpoint set and cleared",
        [](corvel::Engine& e) {
            e.ROM_BP[1] = 1;
            e.ROM_BP[1] = 0;
        },
        RunStop::PassLimit, 0, 1},
    {"register breakpoint set", [](corvel::Engine& e) { e.MatrixRAM[0x10].BreakPoint = true; }, RunStop::Paused, 2, 1},
    {"register breakpoint on an unchanged write",
        [](corvel::Engine& e) {
            e.RAM[0x10] = 1;
            e.MatrixRAM[0x10].BreakPoint = true;
            e.MatrixRAM[0x10].GreenBP = true;
        },
        RunStop::Paused, 2, 1},
    {"register breakpoint that a write leaving the value misses",
        [](corvel::Engine& e) {
            e.RAM[0x10] = 1;
            e.MatrixRAM[0x10].BreakPoint = true;
        },
        RunStop::PassLimit, 0, 1},
    {"register breakpoint set and cleared",
        [](corvel::Engine& e) {
            e.MatrixRAM[0x10].BreakPoint = true;
            e.MatrixRAM[0x10].BreakPoint = false;
        },
        RunStop::PassLimit, 0, 1},
    {"breakpoint on PCL", [](corvel::Engine& e) { e.MatrixRAM[reg::PCL].BreakPoint = true; }, RunStop::Paused, 1, 0},
    {"breakpoint on W",
        [](corvel::Engine& e) {
            e.RAM[reg::W] = 0;
            e.MatrixRAM[reg::W].BreakPoint = true;
        },
        RunStop::Paused, 1, 0},
    {"breakpoint on STATUS that an unchanged flag write hits",
        [](corvel::Engine& e) {
            e.MatrixRAM[reg::STATUS].BreakPoint = true;
            e.MatrixRAM[reg::STATUS].GreenBP = true;
        },
        RunStop::Paused, 3, 1},
};

class EditWhileStanding : public testing::TestWithParam<EditCase> {};

TEST_P(EditWhileStanding, ReachesTheNextStretch)
{
    Chip chip;
    chip.load({op::MOVLW(1), op::MOVWF(0x10), op::INCF(0x11, F), op::GOTO(0)});
    // A first round builds the tables for the program as it stands.
    ASSERT_EQ(chip.step(4).stop, RunStop::PassLimit);
    ASSERT_EQ(chip.engine.I, 0);
    chip.reg(0x10) = 0;
    GetParam().edit(chip.engine);
    const corvel::RunResult run = chip.step(4);
    EXPECT_EQ(run.stop, GetParam().stop);
    EXPECT_EQ(chip.engine.I, GetParam().next);
    EXPECT_EQ(chip.reg(0x10), GetParam().register10);
}

INSTANTIATE_TEST_SUITE_P(Edits, EditWhileStanding, testing::ValuesIn(kEdits),
    [](const testing::TestParamInfo<EditCase>& info) { return testNameOf(info.param.name); });

// A model with more program memory: the end of memory moves with it.
TEST(LoopTables, FollowAChangeOfModel)
{
    Chip chip(corvel::kPic10F200);
    chip.load({op::GOTO(0)});
    chip.step(3);
    ASSERT_TRUE(chip.engine.SelectMC(corvel::kPic16F57));
    chip.engine.PowerOnReset();
    chip.engine.startRun();
    for (int word = 0; word < chip.engine.ROM_Size; ++word)
        chip.engine.ROM[size_t(word)] = 0; // NOP
    // From the reset word 2047 past the end, wrapped to 0, then 2048 words
    // to the end again, which ends the run.
    const corvel::RunResult run = chip.step(5000);
    EXPECT_EQ(run.stop, RunStop::EndOfMemory);
    EXPECT_EQ(run.passes, 2049u);
    EXPECT_EQ(chip.engine.IC, 2049);
}

// Writes outside any run (the clear of the watchdog called on its own) show
// their marks at once.
TEST(LoopTables, MarksOfAWriteOutsideARunShowAtOnce)
{
    Chip chip;
    chip.clearMarks();
    chip.engine.ClrWdtStatus();
    EXPECT_TRUE(chip.marks(reg::STATUS).delta);
    EXPECT_EQ(chip.marks(reg::STATUS).deltabit, corvel::status::TO | corvel::status::PD);
}

// The power-on reset forgets the marks, also those not yet handed over.
TEST(LoopTables, PowerOnResetForgetsEveryMark)
{
    Chip chip;
    chip.load({op::MOVLW(5), op::MOVWF(0x10)});
    chip.step(2);
    ASSERT_TRUE(chip.marks(0x10).delta);
    chip.engine.PowerOnReset();
    EXPECT_FALSE(chip.marks(0x10).delta);
    EXPECT_EQ(chip.marks(0x10).deltabit, 0);
}

// greenDelta over several stretches: a write that leaves the value shows
// green, a later changing write clears it, each hand-over as it stood.
TEST(LoopTables, GreenMarksFollowTheLastWritingInstruction)
{
    Chip chip;
    chip.load({op::MOVLW(0), op::MOVWF(0x10), op::MOVLW(3), op::MOVWF(0x10), op::MOVWF(0x10)});
    chip.reg(0x10) = 0;
    chip.clearMarks();
    chip.step(2);
    EXPECT_TRUE(chip.marks(0x10).delta);
    EXPECT_TRUE(chip.marks(0x10).greenDelta) << "0 written over 0";
    chip.step(2);
    EXPECT_FALSE(chip.marks(0x10).greenDelta) << "3 written over 0";
    EXPECT_EQ(chip.marks(0x10).deltabit, 0xFF);
    chip.clearMarks();
    chip.step(1);
    EXPECT_TRUE(chip.marks(0x10).delta);
    EXPECT_TRUE(chip.marks(0x10).greenDelta) << "3 written over 3";
    EXPECT_EQ(chip.marks(0x10).deltabit, 0xFF);
}

// A breakpoint on TMR0 is hit in the timer's step between two instructions:
// the instruction of that pass still executes, whatever kind of handler it
// has, and the run stops before the next one. The program's instructions
// read and write plain registers only, so they take the direct handlers;
// with a breakpoint on 0x11 too (a write that changes it stops at once) the
// INCF takes the other handler.
TEST(LoopTables, ATimerBreakpointStopsAfterTheInstructionOfItsPass)
{
    for (const bool watched11 : {false, true}) {
        SCOPED_TRACE(watched11 ? "0x11 watched" : "plain registers only");
        Chip chip;
        chip.reg(reg::OPTION) = 0x08; // T0CS = 0: the instruction clock, 1:1
        chip.load({op::INCF(0x10, true), op::MOVWF(0x12), op::INCF(0x11, true), op::GOTO(0)});
        chip.engine.MatrixRAM[reg::TMR0].BreakPoint = true;
        chip.engine.MatrixRAM[0x11].BreakPoint = watched11;
        chip.step(); // the timer's first step counts no previous instruction
        chip.engine.rtPause = 0;
        const corvel::RunResult run = chip.step(100);
        EXPECT_EQ(run.stop, RunStop::Paused);
        EXPECT_EQ(run.passes, 1u) << "the pass's own instruction, then the stop";
        EXPECT_EQ(chip.engine.I, 2);
        EXPECT_EQ(chip.engine.IC, 2);
    }
}

// On the simulation thread at the fastest rate: a line breakpoint and a
// register breakpoint set by the main program while the loop runs stop it,
// and a word rewritten while it runs is executed.
TEST(LoopTables, EditsWhileTheThreadRunsTakeEffect)
{
    corvel::Engine engine;
    FakeChipLink link;
    engine.SelectMC(corvel::kPic12F508);
    engine.setChipLink(&link);
    // 0: MOVLW 1, 1: MOVWF 0x10, 2: INCF 0x11, 3: GOTO 0
    engine.ROM[0] = op::MOVLW(1);
    engine.ROM[1] = op::MOVWF(0x10);
    engine.ROM[2] = op::INCF(0x11, F);
    engine.ROM[3] = op::GOTO(0);
    engine.ROM[511] = op::GOTO(0);
    engine.Set_RT_parametrs(0, 0, 0, 0, 1.0);
    engine.Calculate_CuclPerCycMK(nullptr);
    ASSERT_TRUE(eventually([&] { return engine.IC > 100000; }));

    engine.ROM[0] = op::MOVLW(0x5A);
    ASSERT_TRUE(eventually([&] { return engine.RAM[0x10] == 0x5A; })) << "the rewritten word runs";

    engine.ROM_BP[2] = 1;
    ASSERT_TRUE(eventually([&] { return engine.rtPause == 1; }));
    ASSERT_TRUE(eventually([&] { return engine.I == 2; })) << "paused before the marked word";
    engine.ROM_BP[2] = 0;

    engine.MatrixRAM[0x11].BreakPoint = true;
    engine.rtPause = 0;
    ASSERT_TRUE(eventually([&] { return engine.rtPause == 1 && engine.I == 3; }))
        << "paused after the write of the watched register";
    engine.Stop_and_wait();
}

} // namespace
