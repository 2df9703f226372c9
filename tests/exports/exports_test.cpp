// The simulator's entry points called in this process: each reaches the
// engine state it names, indices outside the selected model's tables change
// nothing, and a caller written in C gets the same results.
#include <cstdint>
#include <functional>
#include <memory>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "engine/corvel_api.h"
#include "engine/disassembler.h"
#include "mcu-device/corvel_library.h"
#include "mcu-device/library_face.h"

extern "C" {
struct ExportsFromC {
    char instruction[256];
    std::int32_t jumpTarget;
    std::int32_t pcLength;
    std::int32_t pcRefCount;
    std::uint32_t pcValue;
    std::int32_t mnemonicCount;
    char lastMnemonic[256];
};
void exportsFromC(std::uint8_t model, std::uint16_t word, ExportsFromC* result);
}

namespace exports_test {
namespace {

using corvel::Engine;
using corvel::TheEngine;
using corvel::TMatrixRAM;
namespace reg = corvel::reg;

class Exports : public testing::Test {
protected:
    void SetUp() override
    {
        Stop_and_wait();
        SelectMC(corvel::kPic12F508);
        ASSERT_EQ(Get_ROM_Size(), 512);
    }
    void TearDown() override { Stop_and_wait(); }

    Engine& engine = TheEngine();
};

TEST_F(Exports, ACallerInCGetsTheTextsAndBitVectorsOfCpp)
{
    for (const std::uint16_t word : {0xC0F, 0xBA5, 0x943, 0x006, 0x001}) {
        ExportsFromC result{};
        exportsFromC(corvel::kPic10F200, word, &result);
        const corvel::Disassembly expected = corvel::disassemble(word);
        EXPECT_EQ(result.instruction, expected.text);
        if (expected.jumpTarget) {
            EXPECT_EQ(result.jumpTarget, *expected.jumpTarget);
        }
        EXPECT_EQ(result.pcLength, 9);
        EXPECT_EQ(result.pcRefCount, 1) << "the caller holds the only reference";
        EXPECT_EQ(result.pcValue, engine.PC);
        EXPECT_EQ(result.mnemonicCount, 33);
        EXPECT_STREQ(result.lastMnemonic, "NOP");
    }
}

// Thin wrappers are easily wired to the wrong field: each writer must reach
// its own field and the reader must read it back, with nothing else changed.
TEST_F(Exports, EachDescriptorEntryPointReachesItsOwnField)
{
    struct Case {
        const char* name;
        std::function<void()> write;
        std::function<int()> read;
        std::function<int(const TMatrixRAM&)> field;
        int fieldAfter;
        int readAfter;
    };
    const int index = 0x10;
    const Case cases[] = {
        {"ToClearDelta", [&] { Set_MatrixRAM_ToClearDelta(index, 1); }, [&] { return Get_MatrixRAM_ToClearDelta(index); },
         [](const TMatrixRAM& d) { return int(d.ToClearDelta); }, 1, 1},
        {"SIMadress", [&] { Set_MatrixRAM_SIMadress(index, 0x1234); }, [&] { return Get_MatrixRAM_SIMadress(index); },
         [](const TMatrixRAM& d) { return int(d.SIMadress); }, 0x1234, 0x1234},
        {"BreakPoint", [&] { Set_MatrixRAM_BreakPoint(index, 1); }, [&] { return Get_MatrixRAM_BreakPoint(index); },
         [](const TMatrixRAM& d) { return int(d.BreakPoint); }, 1, 1},
        {"GreenBP", [&] { Set_MatrixRAM_GreenBP(index, 1); }, [&] { return Get_MatrixRAM_GreenBP(index); },
         [](const TMatrixRAM& d) { return int(d.GreenBP); }, 1, 1},
        {"delta", [&] { Set_MatrixRAM_delta(index, 1); }, [&] { return Get_MatrixRAM_delta(index); },
         [](const TMatrixRAM& d) { return int(d.delta); }, 1, 1},
        {"greenDelta", [&] { Set_MatrixRAM_greenDelta(index, 1); }, [&] { return Get_MatrixRAM_greenDelta(index); },
         [](const TMatrixRAM& d) { return int(d.greenDelta); }, 1, 1},
        {"deltabit", [&] { Set_MatrixRAM_deltabit(index, 6, 1); }, [&] { return Get_MatrixRAM_deltabit(index, 6); },
         [](const TMatrixRAM& d) { return int(d.deltabit); }, 0x40, 1},
        {"usedbit", [&] { Set_MatrixRAM_usedbit(index, 6, 0); }, [&] { return Get_MatrixRAM_usedbit(index, 6); },
         [](const TMatrixRAM& d) { return int(d.usedbit); }, 0xBF, 0},
    };
    for (const Case& c : cases) {
        SelectMC(corvel::kPic12F508);
        TMatrixRAM& descriptor = engine.MatrixRAM[index];
        descriptor.ToClearDelta = descriptor.BreakPoint = descriptor.GreenBP = false;
        descriptor.delta = descriptor.greenDelta = false;
        descriptor.deltabit = 0;
        descriptor.usedbit = 0xFF;
        descriptor.SIMadress = 0;
        const TMatrixRAM before = descriptor;
        c.write();
        EXPECT_EQ(c.field(descriptor), c.fieldAfter) << c.name;
        EXPECT_EQ(c.read(), c.readAfter) << c.name;
        int changedFields = 0;
        for (const Case& other : cases)
            changedFields += other.field(descriptor) != other.field(before);
        EXPECT_EQ(changedFields, 1) << c.name;
    }
}

TEST_F(Exports, LineMapsAndBreakpointsReachTheirOwnTables)
{
    Set_ROM_Str_No(5, 11);
    Set_ROM_Str_No_from(5, 22);
    Set_ROM_Str_No_to(5, 33);
    Set_ROM_BP(512, 1); // the one entry past the last word
    EXPECT_EQ(engine.sourcePositions.line[5], 11);
    EXPECT_EQ(engine.sourcePositions.firstItem[5], 22);
    EXPECT_EQ(engine.sourcePositions.lastItem[5], 33);
    EXPECT_EQ(Get_ROM_Str_No(5), 11);
    EXPECT_EQ(Get_ROM_Str_No_from(5), 22);
    EXPECT_EQ(Get_ROM_Str_No_to(5), 33);
    EXPECT_EQ(engine.ROM_BP[512], 1);
}

TEST_F(Exports, ARateChangeDropsAPendingStepRequest)
{
    Set_rtexStep(1);
    Set_RT_parametrs(0, 1, 1, 250, 2.5);
    EXPECT_EQ(engine.rtexStep.load(), 0);
    std::uint8_t realTime = 9, stepByStep = 9, delay = 9;
    std::int32_t delayMs = 0;
    double factor = 0;
    Get_RT_parametrs(&realTime, &stepByStep, &delay, &delayMs, &factor);
    EXPECT_EQ(realTime, 0);
    EXPECT_EQ(stepByStep, 1);
    EXPECT_EQ(delay, 1);
    EXPECT_EQ(delayMs, 250);
    EXPECT_EQ(factor, 2.5);
}

TEST_F(Exports, SetConfigAlsoWritesTheChipDevicesSavedSettings)
{
    const std::unique_ptr<TDevice> device(Get_Device_class(nullptr));
    ASSERT_NE(device, nullptr);
    struct Case {
        std::uint8_t value;
        char saved;
    };
    for (const Case c : {Case{1, '1'}, Case{2, '0'}, Case{0, '0'}}) {
        Set_config(3, c.value);
        EXPECT_EQ(Get_config(3), c.value);
        EXPECT_EQ(device->SaveData()[3], c.saved) << "value " << int(c.value);
    }
}

TEST_F(Exports, BitNamesKeepAtMostEightBytesOfWholeCharacters)
{
    struct Case {
        const char* name;
        const char* stored;
    };
    for (const Case c : {Case{"GP0", "GP0"}, Case{"ABCDEFGHIJKL", "ABCDEFGH"}, Case{"abcdefg\xC3\x84", "abcdefg"}}) {
        const TShortString name = TShortString::from(c.name);
        Set_MatrixRAM_bitname(reg::STATUS, 2, &name);
        TShortString text;
        Get_MatrixRAM_bitname(&text, reg::STATUS, 2);
        EXPECT_EQ(text.view(), c.stored);
    }
}

TEST_F(Exports, BitVectorsReplaceTheCallersArray)
{
    // A second holder of the caller's old array keeps it; the caller gets a
    // new one of the counter's width, even for an empty stack level.
    TResStack bits = TResStack::make(3);
    TResStack other;
    other.assign(bits);
    engine.StackCounter = 0;
    engine.StackBits[1] = 0x2A5;
    Get_stack(&bits, 1);
    ASSERT_EQ(bits.length(), 10);
    EXPECT_NE(bits.ref, other.ref);
    EXPECT_EQ(other.length(), 3);
    for (int bit = 0; bit < 10; ++bit)
        EXPECT_EQ(bits[bit], (0x2A5 >> bit) & 1) << "bit " << bit;
    other.release();
    bits.release();
}

TEST_F(Exports, SetRamIsAPlainStore)
{
    engine.I = 0x44;
    engine.PC = 0x44;
    engine.RAM[reg::PCL] = 0x44;
    engine.MatrixRAM[reg::PCL].delta = false;
    Set_RAM(reg::PCL, 0, 1);
    EXPECT_EQ(engine.RAM[reg::PCL], 0x45);
    EXPECT_EQ(engine.I, 0x44);
    EXPECT_EQ(engine.PC, 0x44u);
    EXPECT_FALSE(engine.MatrixRAM[reg::PCL].delta);
}

// Everything an entry point can write, as text, so that two states compare.
std::string StateOf(const Engine& engine)
{
    std::ostringstream state;
    for (const std::uint8_t value : engine.RAM)
        state << int(value) << ' ';
    for (const std::uint16_t word : engine.ROM)
        state << word << ' ';
    for (const std::uint8_t mark : engine.ROM_BP)
        state << int(mark);
    const Engine::SourcePositions& positions = engine.sourcePositions;
    for (const auto* map : {&positions.line, &positions.firstItem, &positions.lastItem})
        for (const std::int32_t entry : *map)
            state << entry << ' ';
    for (const std::uint8_t bit : engine.Config)
        state << int(bit);
    state << '|' << engine.I << ' ' << engine.PC << ' ' << engine.StackBits[0] << ' ' << engine.StackBits[1] << ' '
          << engine.disassembly.word << ' ' << engine.disassembly.jumpTarget << '|';
    for (const TMatrixRAM& d : engine.MatrixRAM) {
        state << d.ToClearDelta << d.BreakPoint << d.GreenBP << d.delta << d.greenDelta << int(d.deltabit) << ' '
              << int(d.usedbit) << ' ' << d.SIMadress << d.IDEName << d.IDEHexaddres;
        for (const std::string& name : d.bitname)
            state << name << ',';
    }
    return state.str();
}

// A wrong index from a caller must not reach memory outside the tables:
// readers give 0, writers do nothing, texts and bit vectors stay as they are.
TEST_F(Exports, IndicesOutsideTheTablesChangeNothing)
{
    for (int address = 0; address < 512; ++address)
        engine.ROM[size_t(address)] = 0xFFF;
    engine.RAM.fill(0xFF);
    engine.disassembly.word = 0x123;
    const TShortString name = TShortString::from("NAME");

    const auto textKept = [](const std::function<void(TShortString*)>& call) {
        TShortString text = TShortString::from("kept");
        call(&text);
        return text.view() != "kept";
    };
    struct Case {
        const char* call;
        std::function<int()> run; // the result, 0 when right
    };
    const Case cases[] = {
        {"Get_RAM(265, 0)", [] { return Get_RAM(265, 0); }},
        {"Get_RAM(-1, 0)", [] { return Get_RAM(-1, 0); }},
        {"Get_RAM(16, 8)", [] { return Get_RAM(16, 8); }},
        {"Set_RAM(265, 0, 1)", [] { Set_RAM(265, 0, 1); return 0; }},
        {"Set_RAM(-1, 7, 0)", [] { Set_RAM(-1, 7, 0); return 0; }},
        {"Set_RAM(16, -1, 0)", [] { Set_RAM(16, -1, 0); return 0; }},
        {"Get_ROM(512, 0)", [] { return Get_ROM(512, 0); }},
        {"Get_ROM(-1, 0)", [] { return Get_ROM(-1, 0); }},
        {"Get_ROM(0, 12)", [] { return Get_ROM(0, 12); }},
        {"Set_ROM(512, 0, 0)", [] { Set_ROM(512, 0, 0); return 0; }},
        {"Set_ROM(0, 12, 1)", [] { Set_ROM(0, 12, 1); return 0; }},
        {"Set_ROM(0, -1, 0)", [] { Set_ROM(0, -1, 0); return 0; }},
        {"Set_ROM_BP(513, 1)", [] { Set_ROM_BP(513, 1); return 0; }},
        {"Set_ROM_BP(-1, 1)", [] { Set_ROM_BP(-1, 1); return 0; }},
        {"Get_ROM_Str_No(512)", [] { return Get_ROM_Str_No(512); }},
        {"Get_ROM_Str_No_from(-1)", [] { return Get_ROM_Str_No_from(-1); }},
        {"Get_ROM_Str_No_to(100000)", [] { return Get_ROM_Str_No_to(100000); }},
        {"Set_ROM_Str_No(512, 7)", [] { Set_ROM_Str_No(512, 7); return 0; }},
        {"Set_ROM_Str_No_from(-1, 7)", [] { Set_ROM_Str_No_from(-1, 7); return 0; }},
        {"Set_ROM_Str_No_to(512, 7)", [] { Set_ROM_Str_No_to(512, 7); return 0; }},
        {"RomToParCommand(512)", [] { RomToParCommand(512); return 0; }},
        {"RomToParCommand(-1)", [] { RomToParCommand(-1); return 0; }},
        {"Get_config(12)", [] { return Get_config(12); }},
        {"Set_config(12, 1)", [] { Set_config(12, 1); return 0; }},
        {"Set_config(-1, 1)", [] { Set_config(-1, 1); return 0; }},
        {"Get_SystemCommand_CommandName(33)", [&] { return textKept([](TShortString* t) { Get_SystemCommand_CommandName(t, 33); }); }},
        {"Get_SystemCommand_CommandName(-1)", [&] { return textKept([](TShortString* t) { Get_SystemCommand_CommandName(t, -1); }); }},
        {"Get_stack(2)",
         [] {
             TResStack bits = TResStack::make(3);
             const bool* before = bits.ref;
             Get_stack(&bits, 2);
             const bool replaced = bits.ref != before;
             bits.release();
             return int(replaced);
         }},
        {"Get_MatrixRAM_ToClearDelta(265)", [] { return Get_MatrixRAM_ToClearDelta(265); }},
        {"Set_MatrixRAM_ToClearDelta(265, 1)", [] { Set_MatrixRAM_ToClearDelta(265, 1); return 0; }},
        {"Get_MatrixRAM_SIMadress(-1)", [] { return int(Get_MatrixRAM_SIMadress(-1)); }},
        {"Set_MatrixRAM_SIMadress(266, 5)", [] { Set_MatrixRAM_SIMadress(266, 5); return 0; }},
        {"Get_MatrixRAM_BreakPoint(100000)", [] { return Get_MatrixRAM_BreakPoint(100000); }},
        {"Set_MatrixRAM_BreakPoint(-1, 1)", [] { Set_MatrixRAM_BreakPoint(-1, 1); return 0; }},
        {"Get_MatrixRAM_GreenBP(265)", [] { return Get_MatrixRAM_GreenBP(265); }},
        {"Set_MatrixRAM_GreenBP(265, 1)", [] { Set_MatrixRAM_GreenBP(265, 1); return 0; }},
        {"Get_MatrixRAM_delta(-5)", [] { return Get_MatrixRAM_delta(-5); }},
        {"Set_MatrixRAM_delta(265, 1)", [] { Set_MatrixRAM_delta(265, 1); return 0; }},
        {"Get_MatrixRAM_greenDelta(265)", [] { return Get_MatrixRAM_greenDelta(265); }},
        {"Set_MatrixRAM_greenDelta(-1, 1)", [] { Set_MatrixRAM_greenDelta(-1, 1); return 0; }},
        {"Get_MatrixRAM_deltabit(16, 8)", [] { return Get_MatrixRAM_deltabit(16, 8); }},
        {"Set_MatrixRAM_deltabit(16, 8, 1)", [] { Set_MatrixRAM_deltabit(16, 8, 1); return 0; }},
        {"Set_MatrixRAM_deltabit(265, 0, 1)", [] { Set_MatrixRAM_deltabit(265, 0, 1); return 0; }},
        {"Get_MatrixRAM_usedbit(-1, 0)", [] { return Get_MatrixRAM_usedbit(-1, 0); }},
        {"Set_MatrixRAM_usedbit(16, 200, 0)", [] { Set_MatrixRAM_usedbit(16, 200, 0); return 0; }},
        {"Get_MatrixRAM_bitname(16, 8)", [&] { return textKept([](TShortString* t) { Get_MatrixRAM_bitname(t, 16, 8); }); }},
        {"Get_MatrixRAM_bitname(265, 0)", [&] { return textKept([](TShortString* t) { Get_MatrixRAM_bitname(t, 265, 0); }); }},
        {"Set_MatrixRAM_bitname(16, 8)", [&] { Set_MatrixRAM_bitname(16, 8, &name); return 0; }},
        {"Set_MatrixRAM_bitname(-1, 0)", [&] { Set_MatrixRAM_bitname(-1, 0, &name); return 0; }},
        {"Get_MatrixRAM_IDEName(265)", [&] { return textKept([](TShortString* t) { Get_MatrixRAM_IDEName(t, 265); }); }},
        {"Get_MatrixRAM_IDEHexaddres(-1)", [&] { return textKept([](TShortString* t) { Get_MatrixRAM_IDEHexaddres(t, -1); }); }},
        // No text or variable to write into.
        {"GetInstruction(null)", [] { GetInstruction(nullptr); return 0; }},
        {"Get_PC(null)", [] { Get_PC(nullptr); return 0; }},
        {"Get_stack(null, 0)", [] { Get_stack(nullptr, 0); return 0; }},
        {"Get_TaktsWDT(null, null)", [] { Get_TaktsWDT(nullptr, nullptr); return 0; }},
        {"Get_RT_parametrs(null...)", [] { Get_RT_parametrs(nullptr, nullptr, nullptr, nullptr, nullptr); return 0; }},
        {"Set_MatrixRAM_bitname(16, 0, null)", [] { Set_MatrixRAM_bitname(16, 0, nullptr); return 0; }},
        {"Get_MatrixRAM_IDEName(null, 16)", [] { Get_MatrixRAM_IDEName(nullptr, 16); return 0; }},
        {"SelectMC(16)", [] { SelectMC(16); return 0; }},
    };
    for (const Case& c : cases) {
        const std::string before = StateOf(engine);
        EXPECT_EQ(c.run(), 0) << c.call;
        EXPECT_TRUE(StateOf(engine) == before) << c.call << " changed the engine";
    }
}

} // namespace

} // namespace exports_test
