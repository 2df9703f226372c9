// The 33 instructions: results, flags, skips, cycles, jumps and the stack.
#include <gtest/gtest.h>

#include "engine/instruction_set.h"
#include "engine_support.h"

using namespace enginetest;
using corvel::kPic10F200;
namespace reg = corvel::reg;
namespace status = corvel::status;

namespace instructions_test {
namespace {

constexpr int kFile = 0x10; // a general-purpose register on every model
constexpr uint8_t kFlags = status::C | status::DC | status::Z;

// One instruction on W, register 0x10 and the flags.
struct AluCase {
    const char* what;
    uint16_t word;
    uint8_t w, file, flags;           // before
    uint8_t wAfter, fileAfter, flagsAfter; // after
};

const AluCase kAluCases[] = {
    {"XORLW equal gives zero", op::XORLW(0x5A), 0x5A, 0, 0, 0x00, 0, status::Z},
    {"XORLW to 0x80 clears Z", op::XORLW(0x7F), 0xFF, 0, status::Z, 0x80, 0, 0},
    {"ANDLW", op::ANDLW(0x0F), 0x3C, 0, status::C, 0x0C, 0, status::C},
    {"ANDLW to zero", op::ANDLW(0xC3), 0x3C, 0, 0, 0x00, 0, status::Z},
    {"IORLW", op::IORLW(0x81), 0x18, 0, status::Z, 0x99, 0, 0},
    {"MOVLW keeps Z", op::MOVLW(0x00), 0x44, 0, 0, 0x00, 0, 0},
    {"CLRF sets Z", op::CLRF(kFile), 0x01, 0x77, status::C, 0x01, 0x00, status::C | status::Z},
    {"CLRW sets Z", op::CLRW(), 0x99, 0x77, 0, 0x00, 0x77, status::Z},
    {"MOVWF keeps flags", op::MOVWF(kFile), 0x00, 0x55, 0, 0x00, 0x00, 0},
    {"ADDWF 80+80", op::ADDWF(kFile, F), 0x80, 0x80, 0, 0x80, 0x00, status::Z | status::C},
    {"ADDWF 0F+01", op::ADDWF(kFile, W), 0x01, 0x0F, status::C | status::Z, 0x10, 0x0F, status::DC},
    {"ADDWF FF+FF", op::ADDWF(kFile, F), 0xFF, 0xFF, 0, 0xFF, 0xFE, status::C | status::DC},
    {"SUBWF f = W", op::SUBWF(kFile, F), 0x42, 0x42, 0, 0x42, 0x00, status::Z | status::C | status::DC},
    {"SUBWF 0 - 1", op::SUBWF(kFile, F), 0x01, 0x00, kFlags, 0x01, 0xFF, 0},
    {"SUBWF 10 - 01 borrows from bit 4", op::SUBWF(kFile, W), 0x01, 0x10, 0, 0x0F, 0x10, status::C},
    {"RLF 80 with C = 0", op::RLF(kFile, F), 0, 0x80, status::Z, 0, 0x00, status::C | status::Z},
    {"RLF shifts C in", op::RLF(kFile, W), 0, 0x41, status::C, 0x83, 0x41, 0},
    {"RRF 01 with C = 1", op::RRF(kFile, F), 0, 0x01, status::C, 0, 0x80, status::C},
    {"RRF keeps Z", op::RRF(kFile, F), 0, 0x02, status::Z, 0, 0x01, status::Z},
    {"INCF FF wraps", op::INCF(kFile, F), 0, 0xFF, status::C, 0, 0x00, status::C | status::Z},
    {"INCF to W", op::INCF(kFile, W), 0, 0x41, status::Z | status::DC, 0x42, 0x41, status::DC},
    {"DECF 00 wraps", op::DECF(kFile, F), 0, 0x00, status::Z, 0, 0xFF, 0},
    {"DECF 01 to zero", op::DECF(kFile, F), 0, 0x01, 0, 0, 0x00, status::Z},
    {"COMF", op::COMF(kFile, F), 0, 0xFF, 0, 0, 0x00, status::Z},
    {"COMF to W", op::COMF(kFile, W), 0, 0x0F, status::Z, 0xF0, 0x0F, 0},
    {"SWAPF keeps flags", op::SWAPF(kFile, F), 0, 0x3C, status::Z, 0, 0xC3, status::Z},
    {"MOVF to W", op::MOVF(kFile, W), 0x11, 0x00, 0, 0x00, 0x00, status::Z},
    {"MOVF to itself", op::MOVF(kFile, F), 0x11, 0x80, status::Z, 0x11, 0x80, 0},
    {"XORWF", op::XORWF(kFile, F), 0xFF, 0x0F, 0, 0xFF, 0xF0, 0},
    {"ANDWF to W", op::ANDWF(kFile, W), 0xF0, 0x0F, 0, 0x00, 0x0F, status::Z},
    {"IORWF", op::IORWF(kFile, F), 0x01, 0x80, status::Z, 0x01, 0x81, 0},
    {"BSF", op::BSF(kFile, 3), 0, 0x00, 0, 0, 0x08, 0},
    {"BCF", op::BCF(kFile, 7), 0, 0xFF, status::Z, 0, 0x7F, status::Z},
};

class AluInstruction : public testing::TestWithParam<AluCase> {};

TEST_P(AluInstruction, ResultFlagsAndOneCycle)
{
    const AluCase& c = GetParam();
    Chip chip;
    chip.reg(reg::W) = c.w;
    chip.reg(kFile) = c.file;
    chip.reg(reg::STATUS) = uint8_t(0x18 | c.flags);
    const corvel::RunResult result = chip.run({c.word});
    EXPECT_EQ(result.passes, 1u);
    EXPECT_EQ(chip.w(), c.wAfter);
    EXPECT_EQ(chip.reg(kFile), c.fileAfter);
    EXPECT_EQ(chip.status() & kFlags, c.flagsAfter);
    EXPECT_EQ(chip.status() & ~kFlags, 0x18) << "other STATUS bits";
    EXPECT_EQ(chip.engine.I, 1);
    EXPECT_EQ(chip.engine.PC, 1u);
    EXPECT_EQ(chip.reg(reg::PCL), 1);
    EXPECT_EQ(chip.engine.IC, 1);
    EXPECT_EQ(chip.engine.MC, 1);
    EXPECT_EQ(chip.engine.CurrentCommand, c.word);
}

INSTANTIATE_TEST_SUITE_P(Table, AluInstruction, testing::ValuesIn(kAluCases),
    [](const testing::TestParamInfo<AluCase>& info) {
        return testNameOf(info.param.what) + "_" + std::to_string(info.index);
    });

// When the destination is STATUS the flags are written after the result.
TEST(Instruction, FlagsWinOverAResultStoredInStatus)
{
    Chip chip;
    chip.reg(reg::W) = 0x01;
    chip.reg(reg::STATUS) = 0x1F; // C DC Z all set
    chip.run({op::ADDWF(reg::STATUS, F)});
    // 0x1F + 1 = 0x20 is stored except \TO and \PD, which keep their 1s;
    // then Z = 0, C = 0, DC = 1 are written.
    EXPECT_EQ(chip.status(), 0x3A);
}

// \TO and \PD are read-only to instructions: a byte, a bit and an ALU result
// written to STATUS leave them; the other bits take the write, reserved ones
// included. CLRWDT and SLEEP still set them.
TEST(Instruction, StatusTimeOutAndPowerDownAreReadOnly)
{
    struct Case {
        const char* what;
        int model;
        uint8_t before;
        uint16_t word;
        uint8_t w;
        uint8_t after;
    };
    const Case cases[] = {
        {"CLRF keeps \\TO \\PD set", corvel::kPic10F200, 0x1F, op::CLRF(reg::STATUS), 0, 0x1C},
        {"CLRF keeps \\TO \\PD clear", corvel::kPic10F200, 0x07, op::CLRF(reg::STATUS), 0, 0x04},
        {"MOVWF writes every other bit", corvel::kPic10F200, 0x00, op::MOVWF(reg::STATUS), 0xFF, 0xE7},
        {"MOVWF on the PIC16F54", corvel::kPic16F54, 0x18, op::MOVWF(reg::STATUS), 0x00, 0x18},
        {"BCF \\TO", corvel::kPic12F508, 0x18, op::BCF(reg::STATUS, 4), 0, 0x18},
        {"BSF \\PD", corvel::kPic12F508, 0x00, op::BSF(reg::STATUS, 3), 0, 0x00},
        {"COMF through the ALU", corvel::kPic12F509, 0x18, op::COMF(reg::STATUS, F), 0, 0xFB},
        {"CLRWDT sets both", corvel::kPic10F200, 0x00, op::CLRWDT(), 0, 0x18},
        {"SLEEP: \\TO 1, \\PD 0", corvel::kPic10F200, 0x08, op::SLEEP(), 0, 0x10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Chip chip(c.model);
        chip.reg(reg::STATUS) = c.before;
        chip.reg(reg::W) = c.w;
        chip.run({c.word});
        EXPECT_EQ(int(chip.status()), int(c.after));
    }
}

struct SkipCase {
    const char* what;
    uint16_t word;
    uint8_t file;
    bool skips;
    uint8_t fileAfter;
};

const SkipCase kSkipCases[] = {
    {"BTFSS set", op::BTFSS(kFile, 2), 0x04, true, 0x04},
    {"BTFSS clear", op::BTFSS(kFile, 2), 0xFB, false, 0xFB},
    {"BTFSC clear", op::BTFSC(kFile, 7), 0x7F, true, 0x7F},
    {"BTFSC set", op::BTFSC(kFile, 7), 0x80, false, 0x80},
    {"INCFSZ FF", op::INCFSZ(kFile, F), 0xFF, true, 0x00},
    {"INCFSZ 00", op::INCFSZ(kFile, F), 0x00, false, 0x01},
    {"DECFSZ 01", op::DECFSZ(kFile, F), 0x01, true, 0x00},
    {"DECFSZ 00", op::DECFSZ(kFile, F), 0x00, false, 0xFF},
};

TEST(Instruction, SkipsTakeTwoCyclesAndMoveByTwo)
{
    for (const SkipCase& c : kSkipCases) {
        SCOPED_TRACE(c.what);
        Chip chip;
        chip.reg(kFile) = c.file;
        chip.reg(reg::STATUS) = 0x18;
        chip.run({c.word});
        EXPECT_EQ(chip.reg(kFile), c.fileAfter);
        EXPECT_EQ(chip.engine.I, c.skips ? 2 : 1);
        EXPECT_EQ(chip.engine.PC, c.skips ? 2u : 1u);
        EXPECT_EQ(chip.engine.IC, 1);
        EXPECT_EQ(chip.engine.MC, c.skips ? 2 : 1);
        EXPECT_EQ(chip.status(), 0x18) << "skips touch no flag";
    }
}

TEST(Instruction, UnlistedWordsExecuteAsNop)
{
    for (uint16_t word : {0x000, 0x001, 0x00A, 0x010, 0x01F}) {
        Chip chip;
        const auto before = chip.engine.RAM;
        chip.run({word});
        EXPECT_EQ(corvel::kInstructionSet[size_t(corvel::decodeRow(word))].mnemonic, std::string("NOP")) << word;
        EXPECT_EQ(chip.engine.I, 1) << word;
        EXPECT_EQ(chip.engine.MC, 1) << word;
        auto after = chip.engine.RAM;
        after[reg::PCL] = before[reg::PCL];
        EXPECT_EQ(after, before) << word;
    }
}

// Every word decodes to exactly the row its bit pattern names.
TEST(Instruction, DecodingOfAllWords)
{
    int counts[corvel::kInstructionCount] = {};
    for (int word = 0; word < 4096; ++word)
        ++counts[corvel::decodeRow(uint16_t(word))];
    const int expected[] = {256, 256, 256, 256, 512, 256, 256, 256, 256, 256, 256, 64, 64, 64, 64, 64, 64,
        64, 64, 64, 64, 64, 64, 64, 64, 32, 32, 32, 5, 1, 1, 1, 24};
    for (int row = 0; row < corvel::kInstructionCount; ++row)
        EXPECT_EQ(counts[row], expected[row]) << corvel::kInstructionSet[size_t(row)].mnemonic;
}

TEST(Instruction, GotoTakesTwoCyclesAndLoadsPcl)
{
    Chip chip(corvel::kPic10F202);
    chip.run({op::GOTO(0x1A5)});
    EXPECT_EQ(chip.engine.I, 0x1A5);
    EXPECT_EQ(chip.engine.PC, 0x1A5u);
    EXPECT_EQ(chip.reg(reg::PCL), 0xA5);
    EXPECT_EQ(chip.engine.IC, 1);
    EXPECT_EQ(chip.engine.MC, 2);
    EXPECT_TRUE(chip.marks(reg::PCL).delta);
}

struct JumpCase {
    const char* what;
    int model;
    uint8_t statusBits;
    uint16_t word;
    int32_t target;
    uint32_t pc;
};

// Page bits count only where the model has them; the pointer never leaves
// program memory.
const JumpCase kJumpCases[] = {
    {"PIC16F57 GOTO with PA1", corvel::kPic16F57, status::PA1, op::GOTO(0x1FF), 0x5FF, 0x5FF},
    {"PIC16F57 GOTO with PA0 PA1", corvel::kPic16F57, status::PA0 | status::PA1, op::GOTO(0x010), 0x610, 0x610},
    {"PIC16F57 CALL clears bit 8", corvel::kPic16F57, status::PA0, op::CALL(0xFF), 0x2FF, 0x2FF},
    {"PIC12F509 GOTO with PA0", corvel::kPic12F509, status::PA0, op::GOTO(0x010), 0x210, 0x210},
    {"PIC12F509 has no PA1", corvel::kPic12F509, status::PA1, op::GOTO(0x010), 0x010, 0x010},
    {"PIC12F510 GOTO with PA0", corvel::kPic12F510, status::PA0, op::GOTO(0x123), 0x323, 0x323},
    {"PIC10F202 has no PA0", corvel::kPic10F202, status::PA0, op::GOTO(0x010), 0x010, 0x010},
    {"PIC12F508 has no PA0", corvel::kPic12F508, status::PA0, op::CALL(0x20), 0x020, 0x020},
    {"PIC16F54 has PA0 but one page", corvel::kPic16F54, status::PA0, op::GOTO(0x010), 0x010, 0x010},
    {"PIC10F200 wraps within 256 words", kPic10F200, 0, op::GOTO(0x1FF), 0x0FF, 0x1FF},
};

TEST(Instruction, JumpTargetsWithPageBits)
{
    for (const JumpCase& c : kJumpCases) {
        SCOPED_TRACE(c.what);
        Chip chip(c.model);
        chip.reg(reg::STATUS) = uint8_t(0x18 | c.statusBits);
        chip.run({c.word});
        EXPECT_EQ(chip.engine.I, c.target);
        EXPECT_EQ(chip.engine.PC, c.pc);
        EXPECT_GE(chip.engine.I, 0);
        EXPECT_LT(chip.engine.I, chip.engine.ROM_Size);
    }
}

TEST(Instruction, CallPushesAndRetlwReturns)
{
    Chip chip(corvel::kPic10F202);
    chip.load({op::CALL(0x40)}, 0);
    chip.load({op::RETLW(0x55)}, 0x40);
    chip.reg(reg::W) = 0x11;
    chip.step();
    EXPECT_EQ(chip.engine.I, 0x40);
    EXPECT_EQ(chip.engine.StackCounter, 1);
    EXPECT_EQ(chip.engine.StackAddr[0], 1);
    EXPECT_EQ(chip.engine.StackBits[0], 1u);
    EXPECT_EQ(chip.engine.MC, 2);
    chip.step();
    EXPECT_EQ(chip.engine.I, 1);
    EXPECT_EQ(chip.engine.PC, 1u);
    EXPECT_EQ(chip.reg(reg::PCL), 1);
    EXPECT_EQ(chip.w(), 0x55);
    EXPECT_EQ(chip.engine.StackCounter, 0);
    EXPECT_EQ(chip.engine.MC, 4);
}

TEST(Instruction, ThirdCallLosesTheOldestReturnAddress)
{
    Chip chip(corvel::kPic10F202);
    chip.load({op::CALL(0x10)}, 0);
    chip.load({op::CALL(0x20)}, 0x10);
    chip.load({op::CALL(0x30)}, 0x20);
    chip.load({op::RETLW(1)}, 0x30);
    chip.load({op::RETLW(2)}, 0x21);
    chip.load({op::RETLW(3)}, 0x11);
    chip.step(3);
    EXPECT_EQ(chip.engine.StackCounter, 2);
    EXPECT_EQ(chip.engine.StackAddr[0], 0x21);
    EXPECT_EQ(chip.engine.StackAddr[1], 0x11);
    chip.step(); // returns to 0x21
    EXPECT_EQ(chip.engine.I, 0x21);
    chip.step(); // returns to 0x11
    EXPECT_EQ(chip.engine.I, 0x11);
    EXPECT_EQ(chip.engine.StackCounter, 0);
    // The bottom level was copied up: a further return reaches 0x11 again.
    chip.step();
    EXPECT_EQ(chip.engine.I, 0x11);
    EXPECT_EQ(chip.w(), 3);
    EXPECT_EQ(chip.engine.StackCounter, 0);
}

// A CALL in the last word pushes the address after it, which wraps to 0.
TEST(Instruction, ReturnFromACallInTheLastWordLandsAtZero)
{
    Chip chip;
    chip.load({op::CALL(0x10)}, 0xFF);
    chip.load({op::RETLW(0)}, 0x10);
    chip.jump(0xFF);
    chip.engine.PC = 0x1FF;
    chip.step(2);
    EXPECT_EQ(chip.engine.I, 0);
    EXPECT_EQ(chip.engine.PC, 0u);
}

// A computed goto continues at the written address, in two cycles.
TEST(Instruction, MovwfPclContinuesAtTheWrittenAddress)
{
    Chip chip;
    chip.jump(5);
    chip.reg(reg::W) = 0x10;
    chip.run({op::MOVWF(reg::PCL)});
    EXPECT_EQ(chip.engine.I, 0x10);
    EXPECT_EQ(chip.engine.PC, 0x10u);
    EXPECT_EQ(chip.reg(reg::PCL), 0x10);
    EXPECT_EQ(chip.engine.MC, 2);
    EXPECT_EQ(chip.engine.IC, 1);
}

// An instruction reads PCL as the low byte of the next instruction's
// address, directly and through INDF.
TEST(Instruction, ReadingPclGivesTheNextAddress)
{
    Chip chip(corvel::kPic12F509);
    chip.jump(0x2FF);
    chip.run({op::MOVF(reg::PCL, W)});
    EXPECT_EQ(chip.w(), 0x00);
    chip.jump(0x233);
    chip.reg(reg::FSR) = reg::PCL;
    chip.run({op::MOVF(reg::INDF, W)});
    EXPECT_EQ(chip.w(), 0x34);
    // A table: ADDWF PCL,F with W = 2 lands on the third RETLW after it.
    chip.jump(0x10);
    chip.reg(reg::W) = 2;
    chip.reg(reg::STATUS) = 0x18;
    chip.load({op::ADDWF(reg::PCL, F), op::RETLW(0x11), op::RETLW(0x22), op::RETLW(0x33)}, 0x10);
    const int64_t cycles = chip.engine.MC;
    chip.step();
    EXPECT_EQ(chip.engine.I, 0x13);
    EXPECT_EQ(chip.engine.MC - cycles, 2);
}

struct PclCase {
    const char* what;
    int model;
    int at;
    uint8_t statusBits;
    uint8_t staleLowByte; // PCL as the main program left it (Set_RAM)
    uint16_t word;
    uint8_t w;
    int32_t next;
};

// A write to PCL jumps to the address written; bit 8 is cleared and the page
// bits come from STATUS, as on the chip; a bit instruction starts from PCL
// as it reads (the next address), not from a PCL that the main program
// changed behind the counter's back.
const PclCase kPclCases[] = {
    {"ADDWF PCL reads the next address", corvel::kPic10F200, 0x20, 0, 0x20, op::ADDWF(reg::PCL, F), 3, 0x24},
    {"upper half of a 512-word page", corvel::kPic10F202, 0x150, 0, 0x50, op::MOVWF(reg::PCL), 0x10, 0x010},
    {"page bit on a 1024-word chip", corvel::kPic12F509, 0x050, status::PA0, 0x50, op::MOVWF(reg::PCL), 0x10,
        0x210},
    {"stale PCL, clearing bit 7", kPic10F200, 0x00, 0, 0xFF, op::BCF(reg::PCL, 7), 0, 0x01},
    {"stale PCL, setting bit 0", kPic10F200, 0x05, 0, 0xF0, op::BSF(reg::PCL, 0), 0, 0x07},
    {"BSF PCL on the next address", kPic10F200, 0x40, 0, 0x40, op::BSF(reg::PCL, 3), 0, 0x49},
    {"PIC16F57 computed goto in page 3", corvel::kPic16F57, 0x640, status::PA0 | status::PA1, 0x40,
        op::ADDWF(reg::PCL, F), 5, 0x646},
};

TEST(Instruction, WritesToPcl)
{
    for (const PclCase& c : kPclCases) {
        SCOPED_TRACE(c.what);
        Chip chip(c.model);
        chip.jump(c.at);
        chip.reg(reg::PCL) = c.staleLowByte;
        chip.reg(reg::STATUS) = uint8_t(0x18 | c.statusBits);
        chip.reg(reg::W) = c.w;
        chip.run({c.word});
        EXPECT_EQ(chip.engine.I, c.next);
        EXPECT_EQ(chip.engine.PC, uint32_t(c.next));
        EXPECT_EQ(chip.reg(reg::PCL), uint8_t(c.next));
    }
}

struct TrisCase {
    const char* what;
    int model;
    int port;
    int row;
    uint8_t before, after;
};

const TrisCase kTrisCases[] = {
    {"PIC10F200 GPIO keeps bit 3", kPic10F200, 6, reg::TRISGPIO, 0x0F, 0x08},
    {"PIC10F200 TRIS 5 does nothing", kPic10F200, 5, reg::TRISGPIO, 0x0F, 0x0F},
    {"PIC12F508 GPIO bits 0-2 4-5", corvel::kPic12F508, 6, reg::TRISGPIO, 0x3F, 0x08},
    {"PIC16F54 TRISA bits 0-3", corvel::kPic16F54, 5, reg::TRISA, 0x0F, 0x00},
    {"PIC16F54 TRISB", corvel::kPic16F54, 6, reg::TRISA + 1, 0xFF, 0x00},
    {"PIC16F54 has no PORTC", corvel::kPic16F54, 7, reg::TRISA + 2, 0x00, 0x00},
    {"PIC16F57 TRISC", corvel::kPic16F57, 7, reg::TRISA + 2, 0xFF, 0x00},
    {"PIC16F59 TRISE", corvel::kPic16F59, 9, reg::TRISE, 0xF0, 0x00},
};

TEST(Instruction, TrisWritesTheDirectionBitsThePortHas)
{
    for (const TrisCase& c : kTrisCases) {
        SCOPED_TRACE(c.what);
        Chip chip(c.model);
        ASSERT_EQ(chip.reg(c.row), c.before);
        chip.clearMarks();
        chip.reg(reg::W) = 0x00;
        chip.run({op::TRIS(c.port)});
        EXPECT_EQ(chip.reg(c.row), c.after);
        EXPECT_EQ(chip.marks(c.row).delta, c.before != c.after);
        EXPECT_EQ(chip.engine.I, 1);
    }
}

TEST(Instruction, OptionDescribesThePrescalerRow)
{
    Chip chip;
    EXPECT_EQ(chip.marks(reg::Prescaler).usedbit, 0x00);
    chip.reg(reg::Prescaler) = 0x33;
    chip.reg(reg::W) = 0x05; // PSA 0, PS 5: ratio 64
    chip.run({op::OPTION()});
    EXPECT_EQ(chip.reg(reg::OPTION), 0x05);
    EXPECT_EQ(chip.marks(reg::Prescaler).usedbit, 0x3F);
    EXPECT_EQ(chip.reg(reg::Prescaler), 0);
    chip.reg(reg::W) = 0x0F; // PSA 1
    chip.run({op::OPTION()});
    EXPECT_EQ(chip.marks(reg::Prescaler).usedbit, 0x00);
    chip.reg(reg::W) = 0x07;
    chip.run({op::OPTION()});
    EXPECT_EQ(chip.marks(reg::Prescaler).usedbit, 0xFF);
}

TEST(Instruction, ClrwdtAndSleep)
{
    Chip chip;
    chip.reg(reg::STATUS) = 0x00;
    chip.engine.watchdog.count = 500.0;
    chip.run({op::CLRWDT()});
    EXPECT_EQ(chip.status() & (status::TO | status::PD), status::TO | status::PD);
    EXPECT_EQ(chip.engine.watchdog.count, 0.0);
    EXPECT_FALSE(chip.engine.sleepState.active);

    chip.engine.watchdog.count = 500.0;
    chip.link.levels[1] = 0.0f; // GP1 low, the other pins undriven
    chip.reg(reg::TRISGPIO) = 0x0F;
    chip.run({op::SLEEP()});
    EXPECT_EQ(chip.status() & (status::TO | status::PD), status::TO);
    EXPECT_EQ(chip.engine.watchdog.count, 0.0);
    EXPECT_TRUE(chip.engine.sleepState.active);
    // GP0 and GP3 undriven, GP1 low, GP2 read as 0 while T0CS is set.
    EXPECT_EQ(chip.engine.sleepState.pinLevels, (std::array<bool, 4>{true, false, false, true}));
    EXPECT_EQ(chip.engine.I, 2);

    // A sleeping chip executes nothing.
    chip.load({op::MOVLW(0x77)}, 2);
    const corvel::RunResult result = chip.step(3);
    EXPECT_EQ(result.passes, 3u);
    EXPECT_EQ(chip.engine.IC, 2);
    EXPECT_EQ(chip.engine.I, 2);
    EXPECT_NE(chip.w(), 0x77);
}

TEST(Instruction, SleepRemembersTheComparatorOutput)
{
    Chip chip(corvel::kPic10F204);
    chip.reg(7) = 0x88; // CMPON, CMPOUT
    chip.link.levels[1] = 0.2f; // below the 0.6 V reference: the comparator keeps CMPOUT at 1
    chip.run({op::SLEEP()});
    EXPECT_TRUE(chip.engine.sleepState.comparatorOut);
}

TEST(Instruction, TwoCycleInstructionsMoveTheRealTimeDueTick)
{
    Chip chip;
    chip.engine.pacing.cycleTicks = 1000;
    chip.engine.Factor = 2.0;
    chip.engine.pacing.lastTick = 0;
    chip.run({op::GOTO(1)});
    EXPECT_EQ(chip.engine.pacing.lastTick, 500);
    chip.engine.Factor = 4.0;
    chip.run({op::GOTO(2)});
    EXPECT_EQ(chip.engine.pacing.lastTick, 750);
    chip.run({op::NOP()});
    EXPECT_EQ(chip.engine.pacing.lastTick, 750);
}

} // namespace

} // namespace instructions_test
