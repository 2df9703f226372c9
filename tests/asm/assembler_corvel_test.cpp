// The assembler writing into the real corvel.so through DllMCEntries: the
// words and line maps read back through its exports, the line maps of an
// earlier, longer program cleared, and the size limit of a small model.
#include <gtest/gtest.h>

#include "asm_engine_fake.h"
#include "ide/main/simulator_binding.h"
#include "ide/texts/texts.h"
#include "ide/workbench/shared_library.h"
#include "support/paths.h"

namespace assembler_corvel_test {
namespace {

constexpr std::uint8_t Pic10F200 = 0;
constexpr std::uint8_t Pic16F57 = 14;

class CorvelAssembly : public testing::Test {
protected:
    void SetUp() override
    {
        handle = LoadSharedLibrary(QString::fromStdString((twtest::binDir() / "corvel.so").string()));
        ASSERT_NE(handle, nullptr);
        QStringList missing;
        const TDllMCEntries entries = BindDllMCEntries(handle, &missing);
        ASSERT_TRUE(missing.isEmpty()) << missing.join(", ").toStdString();
        DllMCEntries = entries;
    }
    void TearDown() override
    {
        DllMCEntries = saved;
        SetBoundMnemonics(TMnemonicList());
        UnloadSharedLibrary(handle);
    }

    static std::uint16_t Word(int address)
    {
        std::uint16_t word = 0;
        for (int bit = 0; bit < 12; ++bit)
            word = std::uint16_t(word | (DllMCEntries.Get_ROM(address, bit) ? 1 : 0) << bit);
        return word;
    }

    bool Compile(const QString& text, std::set<int> breakpoints = {})
    {
        twtest::TextSource source(text, std::move(breakpoints));
        return CompileAll(source, programSize);
    }

    TDllMCEntries saved = DllMCEntries;
    void* handle = nullptr;
    std::int32_t programSize = -1;
    twtest::CollectedMessages messages;
};

QString Program(int instructions)
{
    QStringList lines{"; generated", "START:"};
    for (int i = 0; i < instructions; ++i)
        lines << QStringLiteral("  XORLW %1").arg(i % 256);
    lines << "  GOTO START";
    return lines.join(u'\n');
}

TEST_F(CorvelAssembly, WordsAndLineMapsReachTheEngine)
{
    DllMCEntries.SelectMC(Pic16F57);
    const std::int32_t romSize = DllMCEntries.Get_ROM_Size();
    ASSERT_EQ(romSize, 2048);
    const QString text = "X EQU 0x25\nloop: movwf X\n  bsf X,3\n\n  call sub\n  goto loop\nsub: retlw 0FFh\n";
    ASSERT_TRUE(Compile(text)) << messages.texts.join(", ").toStdString();
    EXPECT_EQ(programSize, 5);

    // The same source over the recording memory gives the same words.
    twtest::Assembly recorded(text, romSize);
    ASSERT_TRUE(recorded.ok);
    for (int word = 0; word < romSize; ++word)
        ASSERT_EQ(Word(word), recorded.engine.words[std::size_t(word)]) << word;
    EXPECT_EQ(Word(0), 0x025);
    EXPECT_EQ(Word(3), 0xA00);
    EXPECT_EQ(Word(romSize - 1), 0xC00);

    const std::vector<int> lines = {2, 3, 5, 6, 7};
    for (int word = 0; word < 5; ++word) {
        EXPECT_EQ(DllMCEntries.Get_ROM_Str_No(word), lines[std::size_t(word)]);
        EXPECT_EQ(DllMCEntries.Get_ROM_Str_No_from(word), lines[std::size_t(word)]);
        EXPECT_EQ(DllMCEntries.Get_ROM_Str_No_to(word), lines[std::size_t(word)]);
    }
    EXPECT_TRUE(messages.texts.isEmpty());
}

TEST_F(CorvelAssembly, NoLineOfALongerProgramSurvives)
{
    DllMCEntries.SelectMC(Pic16F57);
    ASSERT_TRUE(Compile(Program(300), {5, 100, 250}));
    EXPECT_EQ(programSize, 301);
    EXPECT_EQ(DllMCEntries.Get_ROM_Str_No(250), 253);

    ASSERT_TRUE(Compile("NOP\nNOP"));
    EXPECT_EQ(programSize, 2);
    for (int word = 2; word < DllMCEntries.Get_ROM_Size(); ++word) {
        ASSERT_EQ(DllMCEntries.Get_ROM_Str_No(word), 0) << word;
        ASSERT_EQ(DllMCEntries.Get_ROM_Str_No_from(word), 0) << word;
        ASSERT_EQ(DllMCEntries.Get_ROM_Str_No_to(word), 0) << word;
        ASSERT_EQ(Word(word), word == 2047 ? 0xC00 : 0x000) << word;
    }
}

TEST_F(CorvelAssembly, SmallestModelHoldsRomSizeLessOne)
{
    DllMCEntries.SelectMC(Pic10F200);
    const std::int32_t romSize = DllMCEntries.Get_ROM_Size();
    ASSERT_EQ(romSize, 256);
    // The program, START's line and the GOTO make romSize - 1 words.
    ASSERT_TRUE(Compile(Program(romSize - 2)));
    EXPECT_EQ(programSize, romSize - 1);
    EXPECT_EQ(Word(romSize - 2), 0xA00);
    EXPECT_EQ(Word(romSize - 1), 0xC00);
    EXPECT_TRUE(messages.texts.isEmpty());

    EXPECT_FALSE(Compile(Program(romSize - 1)));
    EXPECT_EQ(messages.texts, QStringList{GetText(1028)});
    EXPECT_EQ(programSize, romSize - 1);
}

TEST_F(CorvelAssembly, NothingBoundAssemblesNothing)
{
    DllMCEntries = TDllMCEntries();
    EXPECT_FALSE(Compile("NOP"));
    EXPECT_EQ(programSize, -1);
    EXPECT_TRUE(messages.texts.isEmpty());
}

} // namespace

} // namespace assembler_corvel_test
