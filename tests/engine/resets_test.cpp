// Power-on reset and the resets of a running chip.
#include <gtest/gtest.h>

#include "engine_support.h"

using namespace enginetest;
namespace reg = corvel::reg;
namespace status = corvel::status;

namespace resets_test {
namespace {

TEST(Reset, PowerOnWithUnknownBitsZeroOrOne)
{
    Chip chip;
    chip.link.unknown = '0';
    chip.engine.PowerOnReset();
    EXPECT_EQ(chip.status(), 0x18);
    EXPECT_EQ(chip.reg(reg::FSR), 0xE0);
    EXPECT_EQ(chip.reg(reg::GPIO), 0x00);
    EXPECT_EQ(chip.reg(reg::TMR0), 0x00);
    for (int index = 0x10; index <= 0x1F; ++index)
        EXPECT_EQ(chip.reg(index), 0x00) << index;

    chip.link.unknown = '1';
    chip.engine.PowerOnReset();
    EXPECT_EQ(chip.status(), 0x1F);
    EXPECT_EQ(chip.reg(reg::FSR), 0xFF);
    EXPECT_EQ(chip.reg(reg::GPIO), 0x0F);
    EXPECT_EQ(chip.reg(reg::TMR0), 0xFF);
    for (int index = 0x10; index <= 0x1F; ++index)
        EXPECT_EQ(chip.reg(index), 0xFF) << index;
    EXPECT_EQ(chip.reg(reg::PCL), 0xFF);
    EXPECT_EQ(chip.reg(reg::OSCCAL), 0xFE);
    EXPECT_EQ(chip.reg(reg::OPTION), 0xFF);
    EXPECT_EQ(chip.reg(reg::TRISGPIO), 0x0F);
    EXPECT_EQ(chip.reg(reg::W), 0x00);
    EXPECT_EQ(chip.reg(0x08), 0x00) << "not implemented on the PIC10F200";
}

// The power-on value and the unknown bits of registers that differ between
// models.
struct PowerOnCase {
    int model;
    int index;
    uint8_t value;   // with unknown bits 0
    uint8_t unknown; // bits that are 1 with unknown bits 1
};

TEST(Reset, PowerOnValuesPerModel)
{
    const PowerOnCase cases[] = {
        {corvel::kPic10F204, 7, 0xFF, 0x00},
        {corvel::kPic10F220, 7, 0xCC, 0x00},
        {corvel::kPic10F222, 8, 0x00, 0xFF},
        {corvel::kPic10F222, 0x09, 0x00, 0xFF},
        {corvel::kPic12F508, reg::GPIO, 0x00, 0x3F},
        {corvel::kPic12F508, reg::TRISGPIO, 0x3F, 0x00},
        {corvel::kPic12F509, reg::FSR, 0xC0, 0x1F},
        {corvel::kPic12F509, 0x30, 0x00, 0xFF},
        {corvel::kPic12F510, 7, 0xFF, 0x00},
        {corvel::kPic12F510, 8, 0xFC, 0x00},
        {corvel::kPic12F510, 9, 0x00, 0xFF},
        {corvel::kPic12F519, 33, 0x00, 0x08},
        {corvel::kPic12F519, 37, 0x00, 0xFF},
        {corvel::kPic12F519, 38, 0x00, 0x00},
        {corvel::kPic16F54, reg::OPTION, 0x3F, 0x00},
        {corvel::kPic16F54, 5, 0x00, 0x0F},
        {corvel::kPic16F54, reg::TRISA + 1, 0xFF, 0x00},
        {corvel::kPic16F57, reg::FSR, 0x80, 0x7F},
        {corvel::kPic16F57, 0x7F, 0x00, 0xFF},
        {corvel::kPic16F59, reg::FSR, 0x00, 0xFF},
        {corvel::kPic16F59, 9, 0x00, 0xF0},
        {corvel::kPic16F59, reg::TRISE, 0xF0, 0x00},
        {corvel::kPic16F59, 0xF0, 0x00, 0xFF},
        {corvel::kPic16F59, 0xE0, 0x00, 0x00},
    };
    for (const PowerOnCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "model " << c.model << " register " << c.index);
        Chip chip(c.model);
        chip.link.unknown = '0';
        chip.engine.PowerOnReset();
        EXPECT_EQ(chip.reg(c.index), c.value);
        chip.link.unknown = '1';
        chip.engine.PowerOnReset();
        EXPECT_EQ(chip.reg(c.index), c.value | c.unknown);
    }
}

TEST(Reset, RandomUnknownBitsTakeBothValues)
{
    for (const char choice : {'R', 'x'}) {
        Chip chip;
        chip.link.unknown = choice;
        int ones = 0;
        for (int i = 0; i < 200; ++i) {
            chip.engine.PowerOnReset();
            ones += chip.reg(0x10) & 1;
            EXPECT_EQ(chip.status() & 0xF8, 0x18) << "known bits stay known";
        }
        EXPECT_GT(ones, 50);
        EXPECT_LT(ones, 150);
    }
    corvel::Engine detached;
    ASSERT_TRUE(detached.SelectMC(corvel::kPic10F200));
    uint8_t seen = 0;
    for (int i = 0; i < 64; ++i) {
        detached.PowerOnReset();
        seen |= uint8_t(1u << (detached.RAM[0x1F] & 1));
    }
    EXPECT_EQ(seen, 3) << "without a chip device unknown bits are random";
}

TEST(Reset, PowerOnClearsChangeMarksButNotBreakpoints)
{
    Chip chip;
    for (corvel::TMatrixRAM& descriptor : chip.engine.MatrixRAM) {
        descriptor.delta = true;
        descriptor.deltabit = 0xFF;
        descriptor.greenDelta = true;
        descriptor.BreakPoint = true;
        descriptor.GreenBP = true;
        descriptor.ToClearDelta = true;
    }
    chip.engine.MatrixRAM[reg::Prescaler].usedbit = 0xFF;
    chip.reg(reg::Prescaler) = 0x12;
    chip.engine.PowerOnReset();
    for (int index = 0; index < corvel::kRegisterCount; ++index) {
        const corvel::TMatrixRAM& descriptor = chip.marks(index);
        EXPECT_FALSE(descriptor.delta) << index;
        EXPECT_EQ(descriptor.deltabit, 0) << index;
        EXPECT_TRUE(descriptor.greenDelta && descriptor.BreakPoint && descriptor.GreenBP && descriptor.ToClearDelta)
            << index;
    }
    EXPECT_EQ(chip.marks(reg::Prescaler).usedbit, 0);
    EXPECT_EQ(chip.reg(reg::Prescaler), 0);
    EXPECT_EQ(chip.engine.rtPause, 0) << "stores are direct";
}

struct RunResetCase {
    const char* what;
    bool asleep;
    bool pin, watchdog, pinChange, comparatorChange;
    uint8_t statusBefore;
    uint8_t statusAfter;
};

TEST(Reset, RunTimeResetsOfThePic10FAnd12F)
{
    const RunResetCase cases[] = {
        {"reset pin, awake", false, true, false, false, false, 0x07, 0x07},
        {"reset pin, awake keeps both", false, true, false, false, false, 0x18, 0x18},
        {"reset pin, asleep", true, true, false, false, false, 0x00, 0x10},
        {"watchdog, awake", false, false, true, false, false, 0x18, 0x08},
        {"watchdog, awake keeps PD", false, false, true, false, false, 0x10, 0x00},
        {"watchdog, asleep", true, false, true, false, false, 0x18, 0x00},
        {"pin change", true, false, false, true, false, 0x40, 0x90},
        {"comparator change", true, false, false, false, true, 0x80, 0x50},
        {"reset pin clears both wake flags and PA0", true, true, false, false, false, 0xE0, 0x10},
    };
    for (const RunResetCase& c : cases) {
        SCOPED_TRACE(c.what);
        Chip chip(corvel::kPic12F510);
        chip.reg(reg::STATUS) = c.statusBefore;
        chip.reg(reg::PCL) = 0x12;
        chip.reg(reg::FSR) = 0x05;
        chip.reg(reg::OPTION) = 0x00;
        chip.reg(reg::TRISGPIO) = 0x00;
        chip.reg(8) = 0xC3; // ADCON0
        chip.reg(reg::W) = 0x5A;
        chip.reg(0x10) = 0x77;
        chip.engine.MatrixRAM[reg::Prescaler].usedbit = 0xFF;
        chip.reg(reg::Prescaler) = 3;
        chip.engine.sleepState.active = c.asleep;
        chip.engine.ResetMC(c.pin, c.watchdog, c.pinChange, c.comparatorChange);
        EXPECT_EQ(chip.status(), c.statusAfter);
        EXPECT_EQ(chip.reg(reg::PCL), 0xFF);
        EXPECT_EQ(chip.reg(reg::FSR), 0xC5);
        EXPECT_EQ(chip.reg(reg::OPTION), 0xFF);
        EXPECT_EQ(chip.reg(reg::TRISGPIO), 0x3F);
        EXPECT_EQ(chip.reg(8), 0xFC) << "ADCON0 keeps ANS1 ANS0, clears GO and ADON";
        EXPECT_EQ(chip.reg(reg::W), 0x5A);
        EXPECT_EQ(chip.reg(0x10), 0x77);
        EXPECT_EQ(chip.marks(reg::Prescaler).usedbit, 0);
        EXPECT_EQ(chip.reg(reg::Prescaler), 0);
        EXPECT_FALSE(chip.engine.sleepState.active);
    }
}

TEST(Reset, RunTimeResetOfThePic16F5x)
{
    struct Case {
        int model;
        uint8_t fsrAfter;
    };
    for (const Case c : {Case{corvel::kPic16F54, 0xE1}, Case{corvel::kPic16F57, 0x81}, Case{corvel::kPic16F59, 0x01}}) {
        SCOPED_TRACE(c.model);
        Chip chip(c.model);
        chip.reg(reg::STATUS) = 0xFF;
        chip.reg(reg::FSR) = 0x01;
        chip.reg(reg::OPTION) = 0x00;
        chip.reg(reg::W) = 0x33;
        for (int row = reg::TRISA; row <= reg::TRISE; ++row)
            chip.reg(row) = 0x00;
        chip.engine.ResetMC(false, true, false, false);
        EXPECT_EQ(chip.status(), 0x0F) << "page bits cleared, TO cleared by the watchdog";
        EXPECT_EQ(chip.reg(reg::FSR), c.fsrAfter);
        EXPECT_EQ(chip.reg(reg::OPTION), 0x3F);
        EXPECT_EQ(chip.reg(reg::W), 0x33);
        EXPECT_EQ(chip.reg(reg::TRISA), 0x0F);
        EXPECT_EQ(chip.reg(reg::TRISA + 1), 0xFF);
        EXPECT_EQ(chip.reg(reg::TRISA + 3), 0xFF);
        EXPECT_EQ(chip.reg(reg::TRISE), 0xF0);
    }
}

TEST(Reset, RunTimeResetOfThePic10F22xRestoresAdcon0)
{
    Chip chip(corvel::kPic10F222);
    chip.reg(7) = 0x03;
    chip.reg(reg::FSR) = 0x00;
    chip.engine.ResetMC(true, false, false, false);
    EXPECT_EQ(chip.reg(7), 0xCC);
    EXPECT_EQ(chip.reg(reg::FSR), 0xE0);
    EXPECT_EQ(chip.reg(reg::TRISGPIO), 0x0F);
}

TEST(Reset, ClrWdtStatusWritesThroughTheRegisterFile)
{
    Chip chip;
    chip.reg(reg::STATUS) = 0x00;
    chip.clearMarks();
    chip.engine.MatrixRAM[reg::STATUS].BreakPoint = true;
    chip.engine.watchdog.count = 17.0;
    chip.engine.ClrWdtStatus();
    EXPECT_EQ(chip.status(), status::TO | status::PD);
    EXPECT_EQ(chip.engine.watchdog.count, 0.0);
    EXPECT_EQ(chip.marks(reg::STATUS).deltabit, status::TO | status::PD);
    EXPECT_EQ(chip.engine.rtPause, 1);
}

} // namespace

} // namespace resets_test
