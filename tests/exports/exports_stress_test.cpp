// One thread runs programs while another reads and writes the engine through
// corvel's entry points, as the main program does while a run goes. Built
// with -fsanitize=thread, this is where a data race between the two shows;
// in the normal build it checks that the run and the entry points stay
// sound under that traffic.
#include <cstdint>
#include <initializer_list>
#include <memory>

#include <gtest/gtest.h>

#include "engine/corvel_api.h"
#include "engine_support.h"
#include "mcu-device/corvel_library.h"
#include "mcu-device/library_face.h"
#include "run_thread_support.h"

namespace exports_stress_test {
namespace {

namespace reg = corvel::reg;
namespace op = enginetest::op;
using enginetest::F;
using enginetest::W;

void stopRun()
{
    Set_rtRunning(0);
}

// A loop through the registers the entry points also reach: GPRs, TMR0,
// INDF, GPIO, STATUS, a RETLW table and CLRWDT; 0x1F is the main program's.
constexpr int kMainProgramsRegister = 0x1F;
constexpr int kUnusedWord = 100;
constexpr std::initializer_list<uint16_t> kProgram = {
    op::MOVLW(0x07), op::OPTION(), op::MOVLW(0x08), op::TRIS(6),
    // loop (4)
    op::INCF(0x10, F), op::MOVF(0x10, W), op::MOVWF(0x11), op::MOVLW(0x12), op::MOVWF(reg::FSR),
    op::MOVF(reg::TMR0, W), op::MOVWF(reg::INDF), op::CALL(20), op::MOVWF(reg::GPIO), op::BSF(reg::GPIO, 1),
    op::XORWF(0x13, F), op::CLRWDT(), op::GOTO(4), op::NOP(), op::NOP(), op::NOP(),
    // table (20)
    op::ANDLW(3), op::ADDWF(reg::PCL, F), op::RETLW(1), op::RETLW(2), op::RETLW(3), op::RETLW(4)};

void loadProgram()
{
    int address = 0;
    for (const uint16_t word : kProgram) {
        for (int bit = 0; bit < 12; ++bit)
            Set_ROM(address, bit, word >> bit & 1);
        ++address;
    }
}

// What the main program's refresh does: every register bit, the counters,
// the program counter and stack, the descriptors' marks.
void readEverything()
{
    volatile int sink = 0;
    for (int index = 0; index < corvel::kRegisterCount; ++index) {
        for (int bit = 0; bit < 8; ++bit)
            sink = sink + Get_RAM(index, bit);
        sink = sink + Get_MatrixRAM_delta(index) + Get_MatrixRAM_greenDelta(index) + Get_MatrixRAM_deltabit(index, 3)
            + Get_MatrixRAM_usedbit(index, 0) + Get_MatrixRAM_BreakPoint(index);
    }
    sink = sink + int(Get_IC()) + int(Get_MC()) + Get_I() + Get_StackCounter();
    double count = 0, period = 0;
    Get_TaktsWDT(&count, &period);
    TResStack bits;
    Get_PC(&bits);
    Get_stack(&bits, 0);
    Get_stack(&bits, 1);
    bits.release();
    CurrentToParCommand();
    TShortString text;
    GetInstruction(&text);
}

// The refresh's writes: change marks cleared, breakpoints and bits set by
// the user, line breakpoints toggled, a program word rewritten as it is.
void writeSome(int round)
{
    for (int index = 0; index < corvel::kRegisterCount; index += 7) {
        Set_MatrixRAM_delta(index, 0);
        Set_MatrixRAM_greenDelta(index, 1);
        Set_MatrixRAM_deltabit(index, uint8_t(round & 7), 0);
        Set_MatrixRAM_ToClearDelta(index, uint8_t(round & 1));
    }
    Set_MatrixRAM_BreakPoint(kMainProgramsRegister, uint8_t(round & 1));
    Set_MatrixRAM_GreenBP(kMainProgramsRegister, uint8_t(round >> 1 & 1));
    Set_MatrixRAM_usedbit(reg::Prescaler, uint8_t(round & 7), 1);
    for (int bit = 0; bit < 8; ++bit)
        Set_RAM(kMainProgramsRegister, bit, round >> bit & 1);
    Set_RAM(0x13, round & 7, 1); // a register the program works on too
    Set_ROM_BP(kUnusedWord, uint8_t(round & 1));
    Set_ROM(5, 0, Get_ROM(5, 0));
    Set_UserTimer(Get_UserTimer() + 1);
}

TEST(ExportsStress, MainThreadReadsAndWritesWhileProgramsRun)
{
    Stop_and_wait();
    SelectMC(corvel::kPic12F508);
    const std::unique_ptr<TDevice> device(Get_Device_class(nullptr));
    ASSERT_NE(device, nullptr);
    loadProgram();
    Set_RT_parametrs(0, 0, 0, 0, 1.0);

    constexpr int kRuns = 4;
    constexpr int kRounds = 300;
    for (int run = 0; run < kRuns; ++run) {
        SCOPED_TRACE(run);
        Calculate_CuclPerCycMK(stopRun);
        ASSERT_EQ(Get_rtRunning(), 1);
        for (int round = 0; round < kRounds; ++round) {
            readEverything();
            writeSome(round);
            // Now and then the pacing changes, a pause comes and goes, and a
            // step is granted, as the user's commands make them.
            switch (round % 50) {
            case 10:
                Set_RT_parametrs(1, 0, 0, 0, 1000.0);
                break;
            case 20:
                Set_rtPause(1);
                break;
            case 25:
                Set_rtPause(0);
                break;
            case 30:
                Set_RT_parametrs(0, 1, 0, 0, 1.0);
                Set_rtexStep(1);
                Set_rtRefreshComplete(1);
                break;
            case 40:
                Set_RT_parametrs(0, 0, 0, 0, 1.0);
                break;
            }
        }
        Set_RT_parametrs(0, 0, 0, 0, 1.0);
        Set_rtPause(0);
        const int64_t seen = Get_IC();
        EXPECT_TRUE(enginetest::eventually([&] { return Get_IC() > seen + 1000; })) << "the run goes on";
        EXPECT_EQ(Get_rtRunning(), 1) << "the program never ran away";
        Stop_and_wait();
        EXPECT_EQ(Get_rtRunning(), 0);
        // The main program's register holds what it wrote last.
        uint8_t value = 0;
        for (int bit = 0; bit < 8; ++bit)
            value = uint8_t(value | Get_RAM(kMainProgramsRegister, bit) << bit);
        EXPECT_EQ(value, uint8_t(kRounds - 1));
    }
    Set_MatrixRAM_BreakPoint(kMainProgramsRegister, 0);
    Set_ROM_BP(kUnusedWord, 0);
}

} // namespace

} // namespace exports_stress_test
