// Model selection: sizes, display rows and descriptors of every model.
#include <gtest/gtest.h>

#include "engine/engine.h"

using corvel::Engine;
using corvel::TMatrixRAM;

namespace model_select_test {
namespace {

int displayRows(const Engine& engine)
{
    return engine.SFRcount + engine.GPRCount;
}

// The register shown in display row `row`.
const TMatrixRAM& shownIn(const Engine& engine, int row)
{
    return engine.MatrixRAM[engine.MatrixRAM[size_t(row)].SIMadress];
}

} // namespace

TEST(ModelSelect, Pic10F200RowsAndAddresses)
{
    Engine engine;
    ASSERT_TRUE(engine.SelectMC(corvel::kPic10F200));
    EXPECT_EQ(displayRows(engine), 27);
    EXPECT_EQ(shownIn(engine, 0).IDEName, "W");
    EXPECT_EQ(shownIn(engine, 0).IDEHexaddres, "W");
    EXPECT_EQ(shownIn(engine, 10).IDEName, "TMR0 Prescaler");
    EXPECT_EQ(shownIn(engine, 10).IDEHexaddres, "n/a");
    EXPECT_EQ(engine.MatrixRAM[11].SIMadress, 0x10);
    EXPECT_EQ(shownIn(engine, 11).IDEHexaddres, "010");
    EXPECT_EQ(shownIn(engine, 11).IDEName, "");
    EXPECT_EQ(shownIn(engine, 26).IDEHexaddres, "01F");
    for (int index = 7; index <= 15; ++index) {
        EXPECT_FALSE(engine.MatrixRAM[size_t(index)].Implemented) << index;
        EXPECT_EQ(engine.MatrixRAM[size_t(index)].IDERow, -1) << index;
    }
    EXPECT_EQ(engine.ROM_Size, 256);
    EXPECT_EQ(engine.PC_Len, 9);
    EXPECT_EQ(engine.crystalFrequency, 4000000);
    EXPECT_EQ(engine.StackMax, 1);
    EXPECT_EQ(engine.watchdog.period, 18000.0);
}

TEST(ModelSelect, Pic16F59BanksAndPortE)
{
    Engine engine;
    ASSERT_TRUE(engine.SelectMC(corvel::kPic16F59));
    EXPECT_EQ(displayRows(engine), 152);
    EXPECT_EQ(shownIn(engine, 151).IDEHexaddres, "0FF");
    for (int bank = 1; bank < 8; ++bank) {
        for (int offset = 0; offset < 16; ++offset) {
            const int alias = bank * 32 + offset;
            EXPECT_FALSE(engine.MatrixRAM[size_t(alias)].Implemented) << alias;
            EXPECT_EQ(engine.MatrixRAM[size_t(alias)].IDEHexaddres, "") << alias;
        }
    }
    const TMatrixRAM& portE = engine.MatrixRAM[9];
    EXPECT_EQ(portE.IDEName, "PORTE");
    EXPECT_EQ(portE.usedbit, 0xF0);
    EXPECT_EQ(portE.bitname[0], "");
    EXPECT_EQ(portE.bitname[4], "PE4");
    EXPECT_EQ(engine.MatrixRAM[corvel::reg::TRISE].usedbit, 0xF0);
    EXPECT_EQ(engine.MatrixRAM[corvel::reg::FSR].usedbit, 0xFF);
}

TEST(ModelSelect, Pic12F519DataMemoryRowsAndConfiguration)
{
    Engine engine;
    ASSERT_TRUE(engine.SelectMC(corvel::kPic12F519));
    const char* names[] = {"EECON", "EEDATA", "EEADR"};
    const char* addresses[] = {"021", "025", "026"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(shownIn(engine, 8 + i).IDEName, names[i]);
        EXPECT_EQ(shownIn(engine, 8 + i).IDEHexaddres, addresses[i]);
    }
    ASSERT_EQ(engine.ConfigBits.size(), 7u);
    EXPECT_EQ(engine.ConfigBits.back().Name, "\\CPDF");
    EXPECT_EQ(engine.ConfigBits.back().No, 6);
    const std::array<uint8_t, 12> expected{0, 1, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0};
    EXPECT_EQ(engine.Config, expected);
    EXPECT_EQ(engine.AdrEECON, 33);
    EXPECT_EQ(engine.AdrEEDATA, 37);
    EXPECT_EQ(engine.AdrEEADR, 38);
}

TEST(ModelSelect, Pic12F510ConfigurationEndsWithIoscfsOnBit5)
{
    Engine engine;
    ASSERT_TRUE(engine.SelectMC(corvel::kPic12F510));
    ASSERT_EQ(engine.ConfigBits.size(), 6u);
    const corvel::TConfigBits& last = engine.ConfigBits.back();
    EXPECT_EQ(last.Name, "IOSCFS");
    EXPECT_EQ(last.No, 5);
    EXPECT_EQ(last.DescriptionId, 23);
    EXPECT_EQ(last.Value0Id, 56);
    EXPECT_EQ(last.Value1Id, 57);
    EXPECT_EQ(engine.PC_Len, 10);
}

// Sizes of the configuration lists and the model table per model.
TEST(ModelSelect, TablePerModel)
{
    struct Case {
        int model;
        int32_t romSize, pcLen;
        size_t configEntries;
        int32_t gpio, cmcon0, adcon0, portC, lastBitGpio, mclreBit, pinMclr;
    };
    const Case cases[] = {
        {corvel::kPic10F200, 256, 9, 3, 6, -1, -1, -1, 3, 4, 3},
        {corvel::kPic10F206, 512, 10, 3, 6, 7, -1, -1, 3, 4, 3},
        {corvel::kPic10F222, 512, 10, 5, 6, -1, 7, -1, 3, 4, 3},
        {corvel::kPic12F508, 512, 10, 5, 6, -1, -1, -1, 5, 4, 3},
        {corvel::kPic12F509, 1024, 11, 5, 6, -1, -1, -1, 5, 4, 3},
        {corvel::kPic12F510, 1024, 10, 6, 6, 7, 8, -1, 5, 4, 3},
        {corvel::kPic16F54, 512, 9, 4, -1, -1, -1, -1, -1, -1, 13},
        {corvel::kPic16F57, 2048, 11, 4, -1, -1, -1, 7, -1, -1, 21},
        {corvel::kPic16F59, 2048, 11, 4, -1, -1, -1, 7, -1, -1, 33},
    };
    for (const Case& c : cases) {
        Engine engine;
        ASSERT_TRUE(engine.SelectMC(c.model));
        SCOPED_TRACE(c.model);
        EXPECT_EQ(engine.ROM_Size, c.romSize);
        EXPECT_EQ(engine.PC_Len, c.pcLen);
        EXPECT_EQ(engine.ConfigBits.size(), c.configEntries);
        EXPECT_EQ(engine.AdrGPIO, c.gpio);
        EXPECT_EQ(engine.AdrCMCON0, c.cmcon0);
        EXPECT_EQ(engine.AdrADCON0, c.adcon0);
        EXPECT_EQ(engine.AdrPORTC, c.portC);
        EXPECT_EQ(engine.LastBitGPIO, c.lastBitGpio);
        EXPECT_EQ(engine.CfgNoMCLRE, c.mclreBit);
        EXPECT_EQ(engine.CfgNoWDTE, 2);
        EXPECT_EQ(engine.PinMCLR, c.pinMclr);
    }
}

// For every model: rows 0..n-1 are linked both ways, special-function rows
// first, shown exactly when implemented, and every register that is not
// shown has neither name nor address.
TEST(ModelSelect, RowLinksHoldForEveryModel)
{
    for (const corvel::ModelEntry& model : corvel::catalogue()) {
        Engine engine;
        ASSERT_TRUE(engine.SelectMC(model.index));
        SCOPED_TRACE(model.name);
        const int rows = displayRows(engine);
        std::vector<int> seen(size_t(rows), 0);
        for (int index = 0; index < corvel::kRegisterCount; ++index) {
            const TMatrixRAM& descriptor = engine.MatrixRAM[size_t(index)];
            EXPECT_EQ(descriptor.IDERow >= 0, descriptor.Implemented) << index;
            if (descriptor.IDERow < 0) {
                EXPECT_EQ(descriptor.IDEName, "") << index;
                EXPECT_EQ(descriptor.IDEHexaddres, "") << index;
                EXPECT_EQ(descriptor.usedbit, 0xFF) << index;
                continue;
            }
            ASSERT_LT(descriptor.IDERow, rows) << index;
            ++seen[size_t(descriptor.IDERow)];
            EXPECT_EQ(engine.MatrixRAM[size_t(descriptor.IDERow)].SIMadress, index);
            EXPECT_EQ(descriptor.IsSFR, descriptor.IDERow < engine.SFRcount) << index;
            if (!descriptor.IsSFR) {
                EXPECT_EQ(descriptor.usedbit, 0xFF) << index;
                EXPECT_EQ(descriptor.IDEName, "") << index;
            }
            const size_t expectedLength = index == corvel::reg::W ? 1 : 3;
            EXPECT_EQ(descriptor.IDEHexaddres.size(), expectedLength) << index;
        }
        EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), rows);
        for (int row = 0; row < rows; ++row)
            EXPECT_EQ(shownIn(engine, row).IDERow, row);
        EXPECT_EQ(engine.ROM_BP.size(), size_t(engine.ROM_Size) + 1);
        EXPECT_EQ(engine.sourcePositions.lastItem.size(), size_t(engine.ROM_Size));
    }
}

TEST(ModelSelect, ReselectionKeepsProgramWordsThatStillFit)
{
    Engine engine;
    ASSERT_TRUE(engine.SelectMC(corvel::kPic10F202));
    for (int word = 0; word < 512; ++word) {
        engine.ROM[size_t(word)] = uint16_t(0xFFF - word);
        engine.sourcePositions.line[size_t(word)] = word + 1;
    }
    engine.ROM_BP[512] = 1;
    ASSERT_TRUE(engine.SelectMC(corvel::kPic10F202));
    ASSERT_EQ(engine.ROM.size(), 512u);
    EXPECT_EQ(engine.ROM[511], 0xFFF - 511);
    EXPECT_EQ(engine.ROM_BP[512], 1);

    ASSERT_TRUE(engine.SelectMC(corvel::kPic10F200));
    ASSERT_EQ(engine.ROM.size(), 256u);
    EXPECT_EQ(engine.ROM[255], 0xFFF - 255);
    EXPECT_EQ(engine.sourcePositions.line[255], 256);
    EXPECT_EQ(engine.ROM_BP.size(), 257u);

    // Growing again gives zero words past the kept part.
    ASSERT_TRUE(engine.SelectMC(corvel::kPic16F57));
    EXPECT_EQ(engine.ROM[255], 0xFFF - 255);
    EXPECT_EQ(engine.ROM[256], 0);
    EXPECT_EQ(engine.ROM_BP[256], 0);
}

TEST(ModelSelect, IndicesWithoutCatalogueEntryChangeNothing)
{
    Engine engine;
    ASSERT_TRUE(engine.SelectMC(corvel::kPic12F510));
    engine.Config[0] = 1;
    for (int index : {10, 11, 12, 16, 200, -1}) {
        EXPECT_FALSE(engine.SelectMC(index)) << index;
        EXPECT_EQ(engine.TypeMC, corvel::kPic12F510);
        EXPECT_EQ(engine.ROM_Size, 1024);
        EXPECT_EQ(engine.Config[0], 1);
        EXPECT_EQ(engine.MatrixRAM[7].IDEName, "CM1CON0");
        EXPECT_EQ(engine.AdrADCON0, 8);
    }
    Engine fresh;
    EXPECT_FALSE(fresh.SelectMC(11));
    EXPECT_TRUE(fresh.ROM.empty());
    EXPECT_TRUE(fresh.SystemCommand.empty());
}

// A change of model leaves no name, row or address of the previous model
// behind, while change marks and breakpoints stay with the register.
TEST(ModelSelect, ChangeOfModelClearsPreviousDescriptions)
{
    Engine engine;
    ASSERT_TRUE(engine.SelectMC(corvel::kPic16F59));
    engine.MatrixRAM[8].BreakPoint = true;
    engine.MatrixRAM[8].delta = true;
    engine.MatrixRAM[8].deltabit = 0x81;
    engine.MatrixRAM[8].greenDelta = true;
    engine.MatrixRAM[8].ToClearDelta = true;
    ASSERT_TRUE(engine.SelectMC(corvel::kPic10F200));

    const TMatrixRAM& formerPortD = engine.MatrixRAM[8];
    EXPECT_EQ(formerPortD.IDEName, "");
    EXPECT_EQ(formerPortD.bitname[0], "");
    EXPECT_FALSE(formerPortD.Implemented);
    EXPECT_TRUE(formerPortD.BreakPoint);
    EXPECT_TRUE(formerPortD.delta);
    EXPECT_EQ(formerPortD.deltabit, 0x81);
    EXPECT_TRUE(formerPortD.greenDelta);
    EXPECT_TRUE(formerPortD.ToClearDelta);
    // STATUS bits 5 and 6 were PA0 and PA1 and are unnamed now.
    EXPECT_EQ(engine.MatrixRAM[corvel::reg::STATUS].bitname[5], "");
    EXPECT_EQ(engine.MatrixRAM[corvel::reg::STATUS].bitname[6], "");
    // Rows past the 27 of the PIC10F200 link to nothing any more.
    for (int row = 27; row < 152; ++row)
        EXPECT_EQ(engine.MatrixRAM[size_t(row)].SIMadress, 0) << row;
}

TEST(ModelSelect, SelectionLeavesRunStateAlone)
{
    Engine engine;
    ASSERT_TRUE(engine.SelectMC(corvel::kPic16F57));
    engine.RAM[0x30] = 0x5A;
    engine.I = 1234;
    engine.PC = 0x7FF;
    engine.StackBits = {0x7FF, 0x123};
    engine.IC = 99;
    ASSERT_TRUE(engine.SelectMC(corvel::kPic10F200));
    EXPECT_EQ(engine.RAM[0x30], 0x5A);
    EXPECT_EQ(engine.I, 1234);
    EXPECT_EQ(engine.IC, 99);
    // The bit views are cut to the new width of nine bits.
    EXPECT_EQ(engine.PC, 0x1FFu);
    EXPECT_EQ(engine.StackBits[1], 0x123u);
    EXPECT_EQ(engine.StackBits[0], 0x1FFu);
}

TEST(ModelSelect, MnemonicsInDecoderOrder)
{
    Engine engine;
    ASSERT_TRUE(engine.SelectMC(corvel::kPic10F200));
    ASSERT_EQ(engine.SystemCommandCounter, 33);
    ASSERT_EQ(engine.SystemCommand.size(), 33u);
    const char* expected[] = {"XORLW", "ANDLW", "IORLW", "MOVLW", "GOTO", "CALL", "RETLW", "BTFSS", "BTFSC",
        "BSF", "BCF", "INCFSZ", "SWAPF", "RLF", "RRF", "DECFSZ", "INCF", "COMF", "MOVF", "ADDWF", "XORWF",
        "ANDWF", "IORWF", "DECF", "SUBWF", "CLRF", "CLRW", "MOVWF", "TRIS", "CLRWDT", "SLEEP", "OPTION", "NOP"};
    for (size_t i = 0; i < 33; ++i)
        EXPECT_EQ(engine.SystemCommand[i].CommandName, expected[i]);
}

TEST(ModelSelect, AddressToHex3)
{
    EXPECT_EQ(Engine::AddressToHex3(0), "000");
    EXPECT_EQ(Engine::AddressToHex3(0x1F), "01F");
    EXPECT_EQ(Engine::AddressToHex3(0xFF), "0FF");
    EXPECT_EQ(Engine::AddressToHex3(0xABC), "ABC");
    EXPECT_EQ(Engine::AddressToHex3(4095), "FFF");
}

TEST(ModelSelect, TwoEnginesAreIndependent)
{
    Engine first;
    Engine second;
    ASSERT_TRUE(first.SelectMC(corvel::kPic10F200));
    ASSERT_TRUE(second.SelectMC(corvel::kPic16F59));
    first.RAM[0x10] = 1;
    EXPECT_EQ(second.RAM[0x10], 0);
    EXPECT_EQ(first.ROM_Size, 256);
    EXPECT_EQ(second.ROM_Size, 2048);
    EXPECT_EQ(first.MatrixRAM[9].IDEName, "");
    EXPECT_EQ(second.MatrixRAM[9].IDEName, "PORTE");
}

TEST(ModelSelect, EntryBeyondTheRegisterFileIsNeverTouched)
{
    Engine engine;
    engine.MatrixRAM[265].IDERow = 77;
    engine.MatrixRAM[265].usedbit = 0x11;
    ASSERT_TRUE(engine.SelectMC(corvel::kPic16F59));
    EXPECT_EQ(engine.MatrixRAM[265].IDERow, 77);
    EXPECT_EQ(engine.MatrixRAM[265].usedbit, 0x11);
    EXPECT_EQ(engine.MatrixRAM[265].IDEName, "");
}

} // namespace model_select_test
