// The assembler and linker over a recording program memory: encodings,
// every fault with its message and marked token, the fill, line maps and
// breakpoints, the size limit, and the mends.
#include <gtest/gtest.h>

#include "asm_engine_fake.h"
#include "ide/texts/texts.h"

namespace assembler_test {
namespace {

using twtest::Assembly;

// A source and the word its last instruction line gives.
struct WordCase {
    const char16_t* source;
    int word;
};

void PrintTo(const WordCase& c, std::ostream* out)
{
    *out << '"' << QString::fromUtf16(c.source).toStdString() << '"';
}

class WordTable : public testing::TestWithParam<WordCase> {};

TEST_P(WordTable, Encodes)
{
    const WordCase& c = GetParam();
    Assembly a(QString::fromUtf16(c.source));
    ASSERT_TRUE(a.ok) << a.messages.texts.join(", ").toStdString();
    EXPECT_TRUE(a.messages.texts.isEmpty());
    ASSERT_GT(a.assembler.ProgramSizeInWord, 0);
    EXPECT_EQ(a.engine.words[std::size_t(a.assembler.ProgramSizeInWord - 1)], c.word);
}

INSTANTIATE_TEST_SUITE_P(Instructions, WordTable,
    testing::Values(
        WordCase{u"NOP", 0x000}, WordCase{u"OPTION", 0x002}, WordCase{u"SLEEP", 0x003}, WordCase{u"CLRWDT", 0x004},
        WordCase{u"CLRW", 0x040}, WordCase{u"TRIS 6", 0x006}, WordCase{u"TRIS 5", 0x005},
        WordCase{u"TRIS 9", 0x009}, WordCase{u"MOVWF 31", 0x03F}, WordCase{u"MOVWF 4095", 0x03F},
        WordCase{u"CLRF 6", 0x066}, WordCase{u"SUBWF 1,1", 0x0A1}, WordCase{u"DECF 2,F", 0x0E2},
        WordCase{u"IORWF 3,W", 0x103}, WordCase{u"ANDWF 4,0", 0x144}, WordCase{u"XORWF 5", 0x185},
        WordCase{u"ADDWF 6,1", 0x1E6}, WordCase{u"MOVF 7,f", 0x227}, WordCase{u"COMF 8,w", 0x248},
        WordCase{u"INCF 7", 0x287}, WordCase{u"INCF 7,F", 0x2A7}, WordCase{u"INCF 7,W", 0x287},
        WordCase{u"INCF 37", 0x285}, WordCase{u"DECFSZ 9,1", 0x2E9}, WordCase{u"RRF 10,1", 0x32A},
        WordCase{u"RLF 11,0", 0x34B}, WordCase{u"SWAPF 12,1", 0x3AC}, WordCase{u"INCFSZ 31,1", 0x3FF},
        WordCase{u"BCF 3,0", 0x403}, WordCase{u"BSF 6,3", 0x566}, WordCase{u"BSF 6", 0x506},
        WordCase{u"BTFSC 3,2", 0x643}, WordCase{u"BTFSS 3,7", 0x7E3}, WordCase{u"BTFSS 3,1", 0x723},
        WordCase{u"RETLW 255", 0x8FF}, WordCase{u"CALL 300", 0x92C}, WordCase{u"GOTO 600", 0xA58},
        WordCase{u"GOTO 131071", 0xBFF}, WordCase{u"MOVLW 0", 0xC00}, WordCase{u"IORLW 0FFH", 0xDFF},
        WordCase{u"ANDLW 10101010B", 0xEAA}, WordCase{u"XORLW 0x0F", 0xF0F}, WordCase{u"movlw 0x0f ; c", 0xC0F}));

INSTANTIATE_TEST_SUITE_P(NamesAndLabels, WordTable,
    testing::Values(
        WordCase{u"X EQU 300\nMOVLW X", 0xC2C},
        WordCase{u"X EQU 0x25\nMOVWF X", 0x025},
        WordCase{u"X EQU 1\nY EQU 6\nBSF Y,3", 0x566},
        WordCase{u"LOOP: GOTO LOOP", 0xA00},
        WordCase{u"loop: nop\n  goto LOOP", 0xA00},
        WordCase{u"GOTO L\nL: NOP\nNOP\nGOTO L", 0xA01},
        // A label stands for the next instruction, across empty and comment lines.
        WordCase{u"NOP\nL:\n  ; here\n\nNOP\nCALL L", 0x901},
        // References go to the first definition of a label.
        WordCase{u"NOP\nL: NOP\nL: NOP\nGOTO L", 0xA01},
        // Only the low 9 (GOTO) or 8 (CALL) bits of a label's address.
        WordCase{u"N EQU 5\nCALL N2\nN2: CALL N2", 0x901},
        WordCase{u"Метка: NOP\nGOTO метка", 0xA00},
        WordCase{u"Ёж EQU 5\nMOVLW ёж", 0xC05},
        WordCase{u"N: X EQU 7\nMOVLW X", 0xC07}));

// Values of 2^21 and more keep their low bits.
INSTANTIATE_TEST_SUITE_P(WideValues, WordTable,
    testing::Values(
        WordCase{u"X EQU 200000H\nMOVLW X", 0xC00},
        WordCase{u"X EQU 0x200005\nMOVWF X", 0x025},
        WordCase{u"X EQU 0xFFFFFF\nRETLW X", 0x8FF},
        WordCase{u"X EQU 1FFFFFH\nMOVLW X", 0xCFF},
        WordCase{u"X EQU 0x3FFF5A\nXORLW X", 0xF5A}));

// A letter-leading hexadecimal number is a label when one of that name exists.
INSTANTIATE_TEST_SUITE_P(NamesThatReadAsNumbers, WordTable,
    testing::Values(
        WordCase{u"NOP\nEACH: NOP\nGOTO EACH", 0xA01},
        WordCase{u"CALL BEACH\nNOP\nBEACH: CALL BEACH", 0x902},
        WordCase{u"GOTO EACH", 0xAAC},
        WordCase{u"CALL BEACH", 0x9AC},
        WordCase{u"GOTO 0EACH", 0xAAC}));

struct FaultCase {
    const char16_t* source;
    int textId;
    std::vector<TErrorMark> marks;
};

void PrintTo(const FaultCase& c, std::ostream* out)
{
    *out << '"' << QString::fromUtf16(c.source).toStdString() << '"';
}

class FaultTable : public testing::TestWithParam<FaultCase> {};

TEST_P(FaultTable, IsReportedOnceAndMarked)
{
    const FaultCase& c = GetParam();
    Assembly a(QString::fromUtf16(c.source));
    EXPECT_FALSE(a.ok);
    ASSERT_EQ(a.messages.texts.size(), 1);
    EXPECT_EQ(a.messages.texts[0], GetText(c.textId));
    EXPECT_EQ(a.assembler.LastFault().textId, c.textId);
    EXPECT_EQ(a.source.marks, c.marks);
    EXPECT_EQ(a.assembler.LastFault().marks, c.marks);
    EXPECT_EQ(a.engine.badCalls, 0);
}

INSTANTIATE_TEST_SUITE_P(Operands, FaultTable,
    testing::Values(
        // 1020: more operands than the instruction takes.
        FaultCase{u"NOP 5", 1020, {{0, 4, 1}}},
        FaultCase{u"CLRW X", 1020, {{0, 5, 1}}},
        FaultCase{u"MOVLW 1,2", 1020, {{0, 6, 1}}},
        FaultCase{u"INCF 7,W,1", 1020, {{0, 5, 1}}},
        FaultCase{u"TRIS 6,7", 1020, {{0, 5, 1}}},
        FaultCase{u"GOTO L,1", 1020, {{0, 5, 1}}},
        // 1021: the operand missing, the mnemonic marked.
        FaultCase{u"  MOVLW", 1021, {{0, 2, 5}}},
        FaultCase{u"INCF ; none", 1021, {{0, 0, 4}}},
        FaultCase{u"BSF", 1021, {{0, 0, 3}}},
        FaultCase{u"TRIS", 1021, {{0, 0, 4}}},
        FaultCase{u"L: CALL", 1021, {{0, 3, 4}}},
        // 1022: a literal number beyond a byte.
        FaultCase{u"MOVLW 300", 1022, {{0, 6, 3}}},
        FaultCase{u"RETLW 100h", 1022, {{0, 6, 4}}},
        FaultCase{u"MOVLW EACH", 1022, {{0, 6, 4}}},
        // 1023: a name that is no constant (constants come before their use).
        FaultCase{u"MOVLW X", 1023, {{0, 6, 1}}},
        FaultCase{u"MOVWF X\nX EQU 5", 1023, {{0, 6, 1}}},
        FaultCase{u"L: NOP\nINCF L,1", 1023, {{1, 5, 1}}},
        FaultCase{u"BSF PORTB,3", 1023, {{0, 4, 5}}},
        // 1024: an operand of the wrong kind.
        FaultCase{u"INCF 7,3", 1024, {{0, 7, 1}}},
        FaultCase{u"BSF 6,F", 1024, {{0, 6, 1}}},
        FaultCase{u"MOVLW EQU", 1024, {{0, 6, 3}}},
        FaultCase{u"MOVWF NOP", 1024, {{0, 6, 3}}},
        FaultCase{u"X EQU 6\nTRIS X", 1024, {{1, 5, 1}}},
        FaultCase{u"CALL NOP", 1024, {{0, 5, 3}}},
        FaultCase{u"GOTO NOP", 1024, {{0, 5, 3}}},
        // 1025: a register, port or address out of its range.
        FaultCase{u"INCF 5000", 1025, {{0, 5, 4}}},
        FaultCase{u"MOVWF 4096", 1025, {{0, 6, 4}}},
        FaultCase{u"TRIS 4", 1025, {{0, 5, 1}}},
        FaultCase{u"TRIS 10", 1025, {{0, 5, 2}}},
        FaultCase{u"CALL 131072", 1025, {{0, 5, 6}}},
        FaultCase{u"GOTO FFFFFFH", 1025, {{0, 5, 7}}}));

INSTANTIATE_TEST_SUITE_P(Lines, FaultTable,
    testing::Values(
        // 1026: a malformed token; an empty one marks the comma after it.
        FaultCase{u"MOVF X,Y", 1026, {{0, 7, 1}}},
        FaultCase{u"MOVLW 1234567", 1026, {{0, 6, 7}}},
        FaultCase{u"NOP\nMOVF 6 ,F", 1026, {{1, 7, 1}}},
        FaultCase{u"A.B EQU 5", 1026, {{0, 0, 3}}},
        // 1027: a malformed label, a line that is neither instruction nor
        // constant (its statement marked), a line starting with no letter.
        FaultCase{u"AB_C: NOP", 1027, {{0, 0, 5}}},
        FaultCase{u"NOP\n1ABC: NOP", 1027, {{1, 0, 5}}},
        FaultCase{u"  :NOP", 1027, {{0, 2, 1}}},
        FaultCase{u"5 EQU 5", 1027, {{0, 0, 7}}},
        FaultCase{u"X NOP", 1027, {{0, 0, 5}}},
        FaultCase{u"L: X EQU ; c", 1027, {{0, 3, 5}}},
        FaultCase{u"X EQU 5 6", 1027, {{0, 0, 9}}},
        FaultCase{u"EQU", 1027, {{0, 0, 3}}},
        // 1030: a constant whose value is no number.
        FaultCase{u"X EQU Y", 1030, {{0, 6, 1}}},
        FaultCase{u"X EQU EQU", 1030, {{0, 6, 3}}},
        // 1031: a jump or call to a label that does not exist.
        FaultCase{u"GOTO NOWHERE", 1031, {{0, 5, 7}}},
        FaultCase{u"NOP\n  call Far ; x\nX EQU 5\nGOTO X", 1031, {{1, 7, 3}}}));

TEST(Assembler, RedeclaredConstantNamesIt)
{
    Assembly a("X EQU 5\nY EQU 6\nx equ 7");
    EXPECT_FALSE(a.ok);
    EXPECT_EQ(a.messages.texts, QStringList{GetText(1029) + " X"});
    EXPECT_EQ(a.assembler.LastFault().textId, 1029);
    EXPECT_EQ(a.source.marks, (std::vector<TErrorMark>{{2, 0, 1}}));
}

TEST(Assembler, FirstFaultOfTheSourceWins)
{
    // The pass stops at its first fault; the linker's come after the pass.
    Assembly a("GOTO NOWHERE\nMOVLW 300\nMOVLW X");
    EXPECT_EQ(a.messages.texts, QStringList{GetText(1022)});
    Assembly b("GOTO NOWHERE\nCALL ALSO\nNOP");
    EXPECT_EQ(b.messages.texts, QStringList{GetText(1031)});
    EXPECT_EQ(b.source.marks, (std::vector<TErrorMark>{{0, 5, 7}}));
}

TEST(Assembler, EmptySourceFillsMemory)
{
    for (const char* text : {"", "; only a comment\n\n   \n", "L:\nX EQU 5"}) {
        Assembly a(text, 64);
        ASSERT_TRUE(a.ok) << text;
        EXPECT_EQ(a.assembler.ProgramSizeInWord, 0);
        for (int word = 0; word < 63; ++word)
            EXPECT_EQ(a.engine.words[std::size_t(word)], 0x000) << word;
        EXPECT_EQ(a.engine.words[63], 0xC00);
        EXPECT_TRUE(a.messages.texts.isEmpty());
    }
}

TEST(Assembler, WritesEveryBitOfEveryWord)
{
    // Jumps and calls waiting for the linker are written whole, not from the
    // word before them; so is the fill.
    Assembly a("MOVLW 0FFH\nGOTO L\nXORLW 0xFF\nCALL L\nL: NOP", 32);
    ASSERT_TRUE(a.ok);
    for (int word = 0; word < 32; ++word)
        EXPECT_EQ(a.engine.writtenBits[std::size_t(word)], 0xFFF) << word;
    EXPECT_EQ(a.engine.words[1], 0xA04);
    EXPECT_EQ(a.engine.words[3], 0x904);
    EXPECT_EQ(a.engine.badCalls, 0);
}

TEST(Assembler, LineMapsAndBreakpoints)
{
    // Lines 0-based here; the library's line maps count from 1.
    Assembly a("; head\nSTART: MOVLW 1\n\nX EQU 2\n  NOP\nGOTO START", 16, {1, 3, 5});
    ASSERT_TRUE(a.ok);
    EXPECT_EQ(a.assembler.ProgramSizeInWord, 3);
    const std::vector<std::int32_t> lines = {2, 5, 6};
    const std::vector<std::uint8_t> breakpoints = {1, 0, 1};
    for (std::size_t word = 0; word < 3; ++word) {
        EXPECT_EQ(a.engine.lineNo[word], lines[word]);
        EXPECT_EQ(a.engine.lineFrom[word], lines[word]);
        EXPECT_EQ(a.engine.lineTo[word], lines[word]);
        EXPECT_EQ(a.engine.breakpoints[word], breakpoints[word]);
    }
    // Nothing of an earlier, longer program survives beyond this one, up to
    // and including the extra breakpoint flag at ROM_Size.
    for (std::size_t word = 3; word < 16; ++word) {
        EXPECT_EQ(a.engine.lineNo[word], 0);
        EXPECT_EQ(a.engine.lineFrom[word], 0);
        EXPECT_EQ(a.engine.lineTo[word], 0);
        EXPECT_EQ(a.engine.breakpoints[word], 0);
    }
    EXPECT_EQ(a.engine.breakpoints[16], 0);
    EXPECT_EQ(a.engine.badCalls, 0);
}

QString Instructions(int count)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << QStringLiteral("  MOVLW %1").arg(i % 256);
    return lines.join(u'\n');
}

TEST(Assembler, HoldsRomSizeLessOneInstructions)
{
    for (int romSize : {2, 16, 256, 2048}) {
        Assembly full(Instructions(romSize - 1), romSize);
        EXPECT_TRUE(full.ok) << romSize;
        EXPECT_EQ(full.assembler.ProgramSizeInWord, romSize - 1);
        EXPECT_EQ(full.engine.words[std::size_t(romSize - 2)], 0xC00 | ((romSize - 2) % 256));
        EXPECT_EQ(full.engine.words[std::size_t(romSize - 1)], 0xC00);

        Assembly over(Instructions(romSize), romSize);
        EXPECT_FALSE(over.ok) << romSize;
        EXPECT_EQ(over.messages.texts, QStringList{GetText(1028)});
        EXPECT_TRUE(over.source.marks.empty());
        EXPECT_EQ(over.engine.badCalls, 0);
    }
    // A comment or a constant after the last word is no instruction.
    Assembly tail(Instructions(15) + "\n; end\nX EQU 1\nL:", 16);
    EXPECT_TRUE(tail.ok);
}

TEST(Assembler, FailureKeepsTheLastProgramSize)
{
    twtest::RecordingEngine engine(64);
    const TMnemonicList mnemonics = twtest::BaselineMnemonics();
    twtest::CollectedMessages messages;
    TAssembler assembler(engine, mnemonics);
    twtest::TextSource good("NOP\nNOP");
    ASSERT_TRUE(assembler.CompileAll(good));
    EXPECT_EQ(assembler.ProgramSizeInWord, 2);
    twtest::TextSource bad("NOP\nNOP\nNOP\nMOVLW 999");
    EXPECT_FALSE(assembler.CompileAll(bad));
    EXPECT_EQ(assembler.ProgramSizeInWord, 2);
    // A pass that reached its end counts even when a label is missing.
    twtest::TextSource unlinked("NOP\nNOP\nNOP\nGOTO NOWHERE");
    EXPECT_FALSE(assembler.CompileAll(unlinked));
    EXPECT_EQ(assembler.ProgramSizeInWord, 4);
    // Tables start afresh at each assembly.
    twtest::TextSource again("X EQU 1\nL: GOTO L");
    EXPECT_TRUE(assembler.CompileAll(again));
    EXPECT_TRUE(assembler.CompileAll(again));
    EXPECT_EQ(assembler.Constants().size(), 1u);
    EXPECT_EQ(assembler.Labels().size(), 1u);
    EXPECT_EQ(messages.texts.size(), 2);
}

TEST(Assembler, NothingIsDroppedSilently)
{
    // Every line either assembles, defines, or stops the assembly.
    for (const char* text : {"1ABC: NOP", ":NOP", "9: GOTO 9", "  ,", "NOP ,", "é: NOP"}) {
        Assembly a(text);
        EXPECT_FALSE(a.ok) << text;
        EXPECT_EQ(a.messages.texts.size(), 1) << text;
        EXPECT_FALSE(a.source.marks.empty()) << text;
    }
}

} // namespace

} // namespace assembler_test
