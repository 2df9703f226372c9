// Register file access: banks, INDF/FSR, pins, change marks, breakpoints and
// the side effects of PCL, TMR0, GPIO and ADCON0.
#include <gtest/gtest.h>

#include <random>

#include "engine/register_file.h" // IncPC is defined inline there
#include "engine_support.h"

using namespace enginetest;
namespace reg = corvel::reg;
namespace status = corvel::status;

namespace register_file_test {
namespace {

TEST(RegisterFile, UnimplementedRegistersIgnoreWrites)
{
    Chip chip;
    chip.clearMarks();
    chip.engine.MatrixRAM[8].BreakPoint = true;
    chip.engine.MatrixRAM[8].GreenBP = true;
    chip.engine.WriteRegByte(8, 0x5A);
    chip.engine.WriteRegBit(8, 3, true);
    EXPECT_EQ(chip.reg(8), 0);
    EXPECT_FALSE(chip.marks(8).delta);
    EXPECT_EQ(chip.marks(8).deltabit, 0);
    EXPECT_EQ(chip.engine.rtPause, 0);
}

TEST(RegisterFile, IndirectAccessWithFsrZero)
{
    Chip chip;
    chip.reg(reg::FSR) = 0xE0; // bits 5..7 read as 1 on the PIC10F200
    chip.reg(reg::INDF) = 0x00;
    chip.clearMarks();
    EXPECT_FALSE(chip.engine.ReadRegBit(reg::INDF, 0));
    chip.reg(reg::W) = 0xFF;
    chip.run({op::MOVWF(reg::INDF), op::MOVF(reg::INDF, W)});
    EXPECT_EQ(chip.w(), 0);
    EXPECT_EQ(chip.reg(reg::INDF), 0);
    EXPECT_TRUE(chip.marks(reg::INDF).delta) << "the INDF row counts the write";
    for (int index = 1; index < 32; ++index)
        EXPECT_FALSE(chip.marks(index).delta && index != reg::PCL && index != reg::STATUS) << index;
}

TEST(RegisterFile, IndirectAccessReachesAndMirrorsTheTarget)
{
    Chip chip;
    chip.reg(reg::W) = 0x12;
    chip.run({op::MOVWF(reg::FSR)});
    EXPECT_EQ(chip.reg(reg::FSR), 0xF2) << "bits 5..7 read as 1 on the PIC10F200";
    chip.reg(0x12) = 0x34;
    chip.run({op::MOVF(reg::INDF, W), op::INCF(reg::INDF, F)});
    EXPECT_EQ(chip.w(), 0x34);
    EXPECT_EQ(chip.reg(0x12), 0x35);
    EXPECT_EQ(chip.reg(reg::INDF), 0x35) << "the INDF row mirrors the target";
    EXPECT_TRUE(chip.marks(0x12).delta);
}

TEST(RegisterFile, BankSelectionOnPic12F509)
{
    Chip chip(corvel::kPic12F509);
    chip.reg(reg::FSR) = 0x20;
    chip.reg(0x30) = 0xA5;
    chip.reg(0x10) = 0x00;
    EXPECT_TRUE(chip.engine.ReadRegBit(0x10, 0));
    chip.reg(reg::W) = 0x3C;
    chip.run({op::MOVWF(0x10), op::MOVWF(0x05 + 0x0A)});
    EXPECT_EQ(chip.reg(0x30), 0x3C);
    EXPECT_EQ(chip.reg(0x10), 0x00);
    EXPECT_EQ(chip.reg(0x0F), 0x3C) << "indices below 16 are never banked";
    EXPECT_EQ(chip.reg(0x2F), 0x00);
}

TEST(RegisterFile, BankSelectionOnPic16F59UsesThreeBits)
{
    Chip chip(corvel::kPic16F59);
    chip.reg(reg::FSR) = 0xE0;
    chip.reg(reg::W) = 0x99;
    chip.run({op::MOVWF(0x1F)});
    EXPECT_EQ(chip.reg(0xFF), 0x99);
    chip.reg(reg::FSR) = 0x40; // bank 2
    chip.run({op::MOVWF(0x15)});
    EXPECT_EQ(chip.reg(0x55), 0x99);
}

// FSR keeps only the bits the model has, but the write still counts.
TEST(RegisterFile, FsrBitsTheModelLacks)
{
    Chip chip;
    chip.reg(reg::FSR) = 0x00;
    chip.clearMarks();
    chip.engine.WriteRegBit(reg::FSR, 6, true);
    EXPECT_EQ(chip.reg(reg::FSR), 0x00);
    EXPECT_TRUE(chip.marks(reg::FSR).delta);
    EXPECT_EQ(chip.marks(reg::FSR).deltabit, 0x40);
    EXPECT_FALSE(chip.marks(reg::FSR).greenDelta) << "the written bit differed from the stored one";
}

// The INDF row shows the register FSR points at after every FSR write.
TEST(RegisterFile, FsrWriteRefreshesTheIndfRow)
{
    Chip chip(corvel::kPic12F509);
    chip.reg(0x31) = 0x77;
    chip.engine.WriteRegByte(reg::FSR, 0x31);
    EXPECT_EQ(chip.reg(reg::INDF), 0x77);
}

// A byte written through INDF into FSR itself moves the pointer bit by bit:
// once bit 2 of FSR = 4 is cleared, FSR points at INDF and the rest is lost.
TEST(RegisterFile, IndirectWriteIntoFsrGoesBitByBit)
{
    Chip chip;
    chip.reg(reg::FSR) = 0xE4;
    chip.reg(reg::W) = 0x10;
    chip.run({op::MOVWF(reg::INDF)});
    EXPECT_EQ(chip.reg(reg::FSR), 0xE0);
}

struct PinCase {
    const char* what;
    float level;
    bool bit;
};

TEST(RegisterFile, InputPinLevels)
{
    const PinCase cases[] = {
        {"undriven", std::numeric_limits<float>::quiet_NaN(), true},
        {"exactly 1.0 V", 1.0f, false},
        {"just above 1.0 V", 1.01f, true},
        {"ground", 0.0f, false},
        {"5 V", 5.0f, true},
    };
    for (const PinCase& c : cases) {
        Chip chip;
        chip.reg(reg::TRISGPIO) = 0x0F;
        chip.reg(reg::GPIO) = 0x00;
        chip.link.levels[0] = c.level;
        EXPECT_EQ(chip.engine.ReadRegBit(reg::GPIO, 0), c.bit) << c.what;
    }
}

TEST(RegisterFile, OutputPinsReadBackTheStoredBit)
{
    Chip chip;
    chip.reg(reg::TRISGPIO) = 0x0E; // GP0 output
    chip.reg(reg::GPIO) = 0x01;
    chip.link.levels[0] = 0.0f;
    EXPECT_TRUE(chip.engine.ReadRegBit(reg::GPIO, 0));
}

TEST(RegisterFile, WithoutAChipDeviceEveryPinIsUndriven)
{
    corvel::Engine engine;
    ASSERT_TRUE(engine.SelectMC(corvel::kPic16F59));
    engine.PowerOnReset();
    EXPECT_EQ(engine.chipLink(), nullptr);
    engine.RAM[reg::TRISA + 1] = 0xFF;
    engine.RAM[6] = 0x00;
    for (int bit = 0; bit < 8; ++bit)
        EXPECT_TRUE(engine.ReadRegBit(6, bit)) << bit;
    engine.RAM[reg::TRISE] = 0xFF;
    engine.RAM[9] = 0x00;
    EXPECT_TRUE(engine.ReadRegBit(9, 7));
    EXPECT_FALSE(engine.ReadRegBit(9, 3)) << "PORTE has no pin on bit 3";
}

// Which GPIO inputs read 0 whatever their pin, per model and setting.
struct SharedPinCase {
    const char* what;
    int model;
    int index;
    uint8_t value;
    uint8_t expected; // GPIO as read with every pin at 5 V and all inputs
};

TEST(RegisterFile, GpioInputsTakenByOtherFunctionsReadZero)
{
    const SharedPinCase cases[] = {
        {"plain inputs", corvel::kPic10F200, reg::OPTION, 0xDF, 0x0F},
        {"T0CS takes GP2", corvel::kPic10F200, reg::OPTION, 0xFF, 0x0B},
        {"FOSC4 takes GP2", corvel::kPic10F200, reg::OSCCAL, 0x01, 0x0B},
        {"ANS0 takes GP0", corvel::kPic10F220, 7, 0x40, 0x0E},
        {"ANS1 takes GP1", corvel::kPic10F220, 7, 0x80, 0x0D},
        {"PIC12F510 ANS1 takes GP0-GP2", corvel::kPic12F510, 8, 0x80, 0x38},
        {"PIC12F510 ANS0 takes GP0 and GP2", corvel::kPic12F510, 8, 0x40, 0x3A},
        {"comparator on with output", corvel::kPic10F204, 7, 0x08, 0x08},
        {"comparator on, output disabled", corvel::kPic10F204, 7, 0x48, 0x0C},
        {"PIC12F508 has six inputs", corvel::kPic12F508, reg::OPTION, 0xDF, 0x3F},
    };
    for (const SharedPinCase& c : cases) {
        SCOPED_TRACE(c.what);
        Chip chip(c.model);
        chip.link.levels.fill(5.0f);
        chip.reg(reg::TRISGPIO) = 0xFF;
        chip.reg(reg::OPTION) = 0xDF;
        if (chip.engine.AdrADCON0 >= 0)
            chip.reg(chip.engine.AdrADCON0) = 0;
        if (chip.engine.AdrCMCON0 >= 0)
            chip.reg(chip.engine.AdrCMCON0) = 0;
        chip.reg(c.index) = c.value;
        chip.reg(reg::GPIO) = 0;
        chip.run({op::MOVF(reg::GPIO, W)});
        EXPECT_EQ(chip.w(), c.expected);
    }
}

TEST(RegisterFile, Gp3ReadsZeroWhileMclreIsSet)
{
    Chip chip(corvel::kPic12F508);
    chip.link.levels[3] = 5.0f;
    chip.reg(reg::TRISGPIO) = 0x3F;
    chip.engine.Config[4] = 1;
    EXPECT_FALSE(chip.engine.ReadRegBit(reg::GPIO, 3));
    chip.engine.Config[4] = 0;
    EXPECT_TRUE(chip.engine.ReadRegBit(reg::GPIO, 3));
}

TEST(RegisterFile, PortBitsOfThePic16F5xReadTheirPins)
{
    Chip chip(corvel::kPic16F59);
    chip.link.levels.fill(0.0f);
    chip.link.levels[4 + 5] = 5.0f;  // RB5
    chip.link.levels[12 + 0] = 5.0f; // RC0
    chip.link.levels[20 + 7] = 5.0f; // RD7
    chip.link.levels[28] = 5.0f;     // RE4
    chip.link.levels[2] = 5.0f;      // RA2
    for (int port = 0; port < 5; ++port)
        chip.reg(reg::TRISA + port) = 0xFF;
    EXPECT_EQ(chip.engine.ReadRegBit(5, 2), true);
    EXPECT_EQ(chip.engine.ReadRegBit(5, 1), false);
    EXPECT_EQ(chip.engine.ReadRegBit(6, 5), true);
    EXPECT_EQ(chip.engine.ReadRegBit(6, 4), false);
    EXPECT_EQ(chip.engine.ReadRegBit(7, 0), true);
    EXPECT_EQ(chip.engine.ReadRegBit(8, 7), true);
    EXPECT_EQ(chip.engine.ReadRegBit(9, 4), true);
    EXPECT_EQ(chip.engine.ReadRegBit(9, 5), false);
}

// A bit instruction on a port is the chip's read-modify-write: input bits
// are refreshed from their pins before the bit is stored. A whole byte goes
// into every latch, inputs included.
TEST(RegisterFile, PortBitWriteRefreshesInputsFirst)
{
    Chip chip(corvel::kPic12F508);
    chip.reg(reg::OPTION) = 0xDF;
    chip.reg(reg::TRISGPIO) = 0x3C; // GP0, GP1 outputs
    chip.reg(reg::GPIO) = 0x3C;
    chip.link.levels.fill(0.0f);
    chip.link.levels[4] = 5.0f;
    chip.run({op::BSF(reg::GPIO, 0)});
    EXPECT_EQ(chip.reg(reg::GPIO), 0x11);
    // GPIO has no bits 6 and 7.
    chip.reg(reg::W) = 0xFF;
    chip.run({op::MOVWF(reg::GPIO)});
    EXPECT_EQ(chip.reg(reg::GPIO), 0x3F);
    chip.reg(reg::W) = 0xA5;
    chip.run({op::MOVWF(reg::GPIO)});
    EXPECT_EQ(chip.reg(reg::GPIO), 0x25);
}

// Whole-byte writes (MOVWF, CLRF, an ALU result, through INDF too) store the
// value in every latch bit the port has, whatever the pins; bits the port
// lacks stay 0 and read 0, also when the main program stored them.
TEST(RegisterFile, WholeBytePortWritesStoreEveryLatch)
{
    struct Case {
        const char* what;
        int model;
        int port;
        int trisRow;
        uint8_t tris;
        uint16_t word;
        uint8_t w;
        uint8_t latch; // stored afterwards
        uint8_t read;  // as MOVF reads it with every pin at 0 V
        uint8_t bits;  // the bits the port has
    };
    const Case cases[] = {
        {"MOVWF into inputs", corvel::kPic12F508, reg::GPIO, reg::TRISGPIO, 0x3F, op::MOVWF(reg::GPIO), 0xFF, 0x3F,
            0x00, 0x3F},
        {"PIC10F GPIO has four bits", corvel::kPic10F200, reg::GPIO, reg::TRISGPIO, 0x00, op::MOVWF(reg::GPIO), 0xFF,
            0x0F, 0x0F, 0x0F},
        {"CLRF", corvel::kPic12F508, reg::GPIO, reg::TRISGPIO, 0x3F, op::CLRF(reg::GPIO), 0, 0x00, 0x00, 0x3F},
        {"COMF of the pins", corvel::kPic12F508, reg::GPIO, reg::TRISGPIO, 0x0F, op::COMF(reg::GPIO, F), 0, 0x3F,
            0x30, 0x3F},
        {"PORTA has four bits", corvel::kPic16F54, 5, reg::TRISA, 0x00, op::MOVWF(5), 0xFF, 0x0F, 0x0F, 0x0F},
        {"PORTE has bits 4..7", corvel::kPic16F59, 9, reg::TRISE, 0x00, op::MOVWF(9), 0xFF, 0xF0, 0xF0, 0xF0},
        {"PORTB inputs", corvel::kPic16F54, 6, reg::TRISA + 1, 0xFF, op::MOVWF(6), 0x5A, 0x5A, 0x00, 0xFF},
        {"through INDF", corvel::kPic12F508, reg::INDF, reg::TRISGPIO, 0x3F, op::MOVWF(reg::INDF), 0x2A, 0x2A, 0x00,
            0x3F},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Chip chip(c.model);
        chip.reg(reg::OPTION) = 0xDF;
        chip.reg(c.trisRow) = c.tris;
        chip.reg(reg::FSR) = reg::GPIO;
        chip.link.levels.fill(0.0f);
        if (c.model >= corvel::kPic16F54)
            chip.link.levels[size_t(chip.engine.PinMCLR)] = 5.0f; // its own pin: not held in reset
        const int port = c.port == reg::INDF ? reg::GPIO : c.port;
        chip.reg(port) = 0x00;
        chip.reg(reg::W) = c.w;
        chip.run({c.word, op::MOVF(port, W)});
        EXPECT_EQ(int(chip.reg(port)), int(c.latch));
        EXPECT_EQ(int(chip.w()), int(c.read));
        chip.reg(port) = 0xFF;
        chip.reg(c.trisRow) = 0x00;
        chip.run({op::MOVF(port, W)});
        EXPECT_EQ(int(chip.w()), int(c.bits));
    }
}

TEST(RegisterFile, BreakpointsOnChangeAndOnEveryWrite)
{
    Chip chip;
    chip.reg(0x10) = 0x0F;
    chip.engine.MatrixRAM[0x10].BreakPoint = true;
    chip.engine.WriteRegBit(0x10, 0, true); // unchanged
    EXPECT_TRUE(chip.marks(0x10).greenDelta);
    EXPECT_EQ(chip.engine.rtPause, 0);
    chip.engine.WriteRegBit(0x10, 4, true); // changed
    EXPECT_FALSE(chip.marks(0x10).greenDelta);
    EXPECT_EQ(chip.engine.rtPause, 1);

    chip.engine.rtPause = 0;
    chip.engine.MatrixRAM[0x10].GreenBP = true;
    chip.engine.WriteRegBit(0x10, 4, true); // unchanged, but every write stops
    EXPECT_TRUE(chip.marks(0x10).greenDelta);
    EXPECT_EQ(chip.engine.rtPause, 1);
}

// A register that an instruction changes never shows the unchanged marker,
// whichever of its bits came last.
TEST(RegisterFile, GreenDeltaIsDecidedPerRegisterAndInstruction)
{
    Chip chip;
    chip.reg(0x10) = 0x80;
    chip.reg(reg::W) = 0x81; // bit 0 changes, bit 7 (written last) does not
    chip.run({op::MOVWF(0x10)});
    EXPECT_FALSE(chip.marks(0x10).greenDelta);
    chip.run({op::MOVWF(0x10)});
    EXPECT_TRUE(chip.marks(0x10).greenDelta) << "written again, unchanged";

    // The result sets Z in STATUS and the flags written after it clear it
    // again: STATUS ends as it began, but it was changed.
    chip.reg(reg::STATUS) = 0x18;
    chip.reg(reg::W) = 0x04;
    chip.run({op::ADDWF(reg::STATUS, F)});
    EXPECT_EQ(chip.status(), 0x18);
    EXPECT_FALSE(chip.marks(reg::STATUS).greenDelta);
    chip.reg(reg::W) = 0x00;
    chip.reg(0x11) = 0x00;
    chip.reg(reg::STATUS) = 0x1C;
    chip.run({op::MOVF(0x11, F)});
    EXPECT_TRUE(chip.marks(reg::STATUS).greenDelta) << "Z written with its own value";
}

// A program write starts from PCL as the instruction reads it, the next
// address, and jumps; an internal one only loads the bits.
TEST(RegisterFile, ProgramWritesToPclJumpInternalOnesDoNot)
{
    Chip chip;
    chip.jump(0x20);
    chip.engine.WriteRegBit(reg::PCL, 3, true);
    EXPECT_EQ(chip.engine.I, 0x29);
    EXPECT_EQ(chip.engine.PC, 0x29u);
    chip.engine.WriteRegBit(reg::PCL, 2, true, true);
    EXPECT_EQ(chip.engine.I, 0x29);
    EXPECT_EQ(chip.engine.PC, 0x2Du);
    EXPECT_EQ(chip.reg(reg::PCL), 0x2D);
}

TEST(RegisterFile, ProgramWriteToTmr0RestartsThePrescaler)
{
    Chip chip;
    chip.engine.timer0.prescale = 4;
    chip.engine.timer0.count = 3;
    chip.engine.WriteRegByte(reg::TMR0, 0x21);
    EXPECT_EQ(chip.engine.timer0.count, 0x84);
    chip.engine.WriteRegByte(reg::TMR0, 0x05, true);
    EXPECT_EQ(chip.engine.timer0.count, 0x84) << "the timer's own update keeps the count";
}

TEST(RegisterFile, ConverterStartsOnlyWhileOn)
{
    Chip chip(corvel::kPic10F220);
    const int adcon0 = 7;
    chip.reg(adcon0) = 0x00;
    chip.engine.WriteRegBit(adcon0, 1, true);
    EXPECT_EQ(chip.reg(adcon0), 0x00);
    EXPECT_TRUE(chip.marks(adcon0).delta);
    // ADON is written before GO/\DONE: one byte switches on and starts.
    chip.engine.WriteRegByte(adcon0, 0x03);
    EXPECT_EQ(chip.reg(adcon0), 0x03);
    // Switching off in the same byte keeps a running GO/\DONE.
    chip.engine.WriteRegByte(adcon0, 0x02);
    EXPECT_EQ(chip.reg(adcon0), 0x02);
}

TEST(RegisterFile, IncPcWrapsAndMarksPcl)
{
    Chip chip;
    chip.engine.PC = 0x1FF;
    chip.reg(reg::PCL) = 0xFF;
    chip.clearMarks();
    chip.engine.IncPC();
    EXPECT_EQ(chip.engine.PC, 0u);
    EXPECT_EQ(chip.reg(reg::PCL), 0);
    EXPECT_EQ(chip.marks(reg::PCL).deltabit, 0xFF);
    EXPECT_TRUE(chip.marks(reg::PCL).delta);
    EXPECT_FALSE(chip.marks(reg::PCL).greenDelta);

    chip.engine.MatrixRAM[reg::PCL].BreakPoint = true;
    chip.engine.IncPC();
    EXPECT_EQ(chip.engine.rtPause, 1);
}

TEST(RegisterFile, PlainViewsHaveNoSideEffects)
{
    Chip chip;
    chip.jump(0x10);
    chip.clearMarks();
    chip.engine.setRamBit(reg::PCL, 7, true);
    EXPECT_EQ(chip.engine.I, 0x10);
    EXPECT_EQ(chip.engine.PC, 0x10u);
    EXPECT_TRUE(chip.engine.ramBit(reg::PCL, 7));
    EXPECT_FALSE(chip.marks(reg::PCL).delta);
    chip.engine.setRomBit(3, 11, true);
    EXPECT_EQ(chip.engine.ROM[3], 0x800);
    EXPECT_TRUE(chip.engine.romBit(3, 11));
    chip.engine.setConfigBit(3, 2);
    EXPECT_EQ(chip.engine.Config[3], 2);
    EXPECT_EQ(chip.link.config[3], '0');
    chip.engine.setConfigBit(4, 1);
    EXPECT_EQ(chip.link.config[4], '1');
}

// A byte write does what eight single-bit writes from bit 0 up do, on every
// kind of register of every model, from random states; except where the
// chip itself tells them apart: a whole byte into a port stores every latch
// while a bit write reads the pins first, and a byte into PCL is one jump.
TEST(RegisterFile, ByteWritesMatchEightBitWrites)
{
    std::mt19937 random(12345);
    for (const corvel::ModelEntry& model : corvel::catalogue()) {
        SCOPED_TRACE(model.name);
        for (int round = 0; round < 300; ++round) {
            Chip byteWise(model.index);
            Chip bitWise(model.index);
            for (int index = 0; index < corvel::kRegisterCount; ++index) {
                const uint8_t value = uint8_t(random());
                byteWise.reg(index) = bitWise.reg(index) = value;
            }
            const uint8_t fsr = uint8_t(random() % 3 == 0 ? 0xE0 | corvel::reg::FSR : random());
            byteWise.reg(reg::FSR) = bitWise.reg(reg::FSR) = fsr;
            for (int port = 0; port < 32; ++port)
                byteWise.link.levels[size_t(port)] = bitWise.link.levels[size_t(port)] = float(random() % 3) * 0.9f;
            const int target = int(random() % 12);
            byteWise.engine.MatrixRAM[size_t(target)].BreakPoint = bitWise.engine.MatrixRAM[size_t(target)].BreakPoint =
                random() % 2;
            byteWise.engine.timer0.prescale = bitWise.engine.timer0.prescale = 2;
            byteWise.clearMarks();
            bitWise.clearMarks();
            const uint8_t value = uint8_t(random());
            const bool internal = random() % 4 == 0;
            const int reached = target == reg::INDF ? (fsr & 0x1F) : target;
            const corvel::Engine& e = byteWise.engine;
            if ((reached == reg::PCL && !internal) || reached == e.AdrGPIO || reached == e.AdrPORTA
                || reached == e.AdrPORTB || reached == e.AdrPORTC || reached == e.AdrPORTD || reached == e.AdrPORTE)
                continue;
            byteWise.engine.WriteRegByte(target, value, internal);
            for (int bit = 0; bit < 8; ++bit)
                bitWise.engine.WriteRegBit(target, bit, value >> bit & 1, internal);
            SCOPED_TRACE(testing::Message() << "register " << target << " value " << int(value) << " fsr "
                                            << int(fsr) << " internal " << internal);
            ASSERT_EQ(byteWise.engine.RAM, bitWise.engine.RAM);
            ASSERT_EQ(byteWise.engine.I, bitWise.engine.I);
            ASSERT_EQ(byteWise.engine.PC, bitWise.engine.PC);
            ASSERT_EQ(byteWise.engine.timer0.count, bitWise.engine.timer0.count);
            ASSERT_EQ(byteWise.engine.rtPause, bitWise.engine.rtPause);
            for (int index = 0; index < corvel::kRegisterCount; ++index) {
                ASSERT_EQ(byteWise.marks(index).delta, bitWise.marks(index).delta) << index;
                ASSERT_EQ(byteWise.marks(index).deltabit, bitWise.marks(index).deltabit) << index;
            }
        }
    }
}

} // namespace

} // namespace register_file_test
