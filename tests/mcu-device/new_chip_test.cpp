// A chip device just placed is a chip that has run nothing, whatever the
// engine's previous chip did: the next project's views must not show the
// closed project's counters, stack or last instruction. Applying settings to
// a chip already placed keeps what its runs did.
#include <cstdint>

#include <gtest/gtest.h>

#include "chip_device_support.h"
#include "engine/catalogue.h"

using twtest::placeChip;

namespace new_chip_test {
namespace {

constexpr std::uint16_t kCall3 = 0x903;  // CALL 3
constexpr std::uint16_t kGoto1 = 0xA01;  // GOTO 1
constexpr std::uint16_t kMovlw5 = 0xC05; // MOVLW 5
constexpr std::uint16_t kNop = 0x000;

// Runs a program that calls a subroutine and stops inside it: the stack in
// use, counters past zero, the watchdog and the stopwatch moved on.
void runIntoTheSubroutine(corvel::Engine& engine)
{
    for (int word = 0; word < engine.ROM_Size; ++word)
        engine.ROM[size_t(word)] = kNop;
    engine.ROM[0] = kCall3;
    engine.ROM[1] = kGoto1;
    engine.ROM[3] = kMovlw5;
    engine.ROM[4] = kNop;
    engine.startRun();
    engine.runSynchronously(1000, 4);
    engine.stopwatchSeconds = 0.5;
    ASSERT_EQ(engine.I, 4);
    ASSERT_EQ(engine.StackCounter, 1);
    ASSERT_GT(engine.IC, 0);
    ASSERT_NE(engine.CurrentCommand, 0);
}

struct RunState {
    std::int32_t next;
    std::uint32_t pc;
    std::int64_t instructions;
    std::int64_t cycles;
    std::uint8_t stackLevels;
    std::uint16_t lastInstruction;
    double watchdog;
    long double stopwatch;
};

RunState runStateOf(const corvel::Engine& engine)
{
    return {engine.I, engine.PC, engine.IC, engine.MC, engine.StackCounter, engine.CurrentCommand,
            engine.watchdog.count, engine.stopwatchSeconds};
}

void expectUnrun(const corvel::Engine& engine)
{
    const RunState state = runStateOf(engine);
    EXPECT_EQ(state.next, engine.ROM_Size - 1) << "the reset address";
    EXPECT_EQ(state.pc, (1u << engine.PC_Len) - 1);
    EXPECT_EQ(state.instructions, 0);
    EXPECT_EQ(state.cycles, 0);
    EXPECT_EQ(state.stackLevels, 0);
    EXPECT_EQ(state.lastInstruction, 0);
    EXPECT_EQ(state.watchdog, 0.0);
    EXPECT_EQ(state.stopwatch, 0.0L);
}

TEST(NewChip, APlacedChipHasRunNothingOfTheEnginesPreviousChip)
{
    for (const int model : {corvel::kPic10F200, corvel::kPic12F508, corvel::kPic16F59}) {
        SCOPED_TRACE(model);
        corvel::Engine& engine = corvel::TheEngine();
        {
            twtest::DeviceHandle first = placeChip(corvel::kPic12F508);
            runIntoTheSubroutine(engine);
        }
        twtest::DeviceHandle second = placeChip(model);
        expectUnrun(engine);
    }
}

TEST(NewChip, SettingsAppliedToAPlacedChipKeepItsRunState)
{
    corvel::Engine& engine = corvel::TheEngine();
    twtest::DeviceHandle device = placeChip(corvel::kPic12F508);
    runIntoTheSubroutine(engine);
    const RunState before = runStateOf(engine);
    BackApplySaveData(device.get());
    const RunState after = runStateOf(engine);
    EXPECT_EQ(after.next, before.next);
    EXPECT_EQ(after.instructions, before.instructions);
    EXPECT_EQ(after.cycles, before.cycles);
    EXPECT_EQ(after.stackLevels, before.stackLevels);
    EXPECT_EQ(after.lastInstruction, before.lastInstruction);
    EXPECT_EQ(after.stopwatch, before.stopwatch);
}

} // namespace

} // namespace new_chip_test
