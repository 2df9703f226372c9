// Our assembler against gpasm: generated and hand-written programs,
// translated to gpasm's syntax, must give gpasm's instruction words; where
// the two languages differ on purpose, a table says how, row by row.
#include <random>

#include <gtest/gtest.h>

#include "asm_engine_fake.h"
#include "gpasm_support.h"
#include "ide/texts/texts.h"

namespace gpasm_diff_test {
namespace {

using twtest::Assembly;

// The processor with the largest program memory: 2048 words, so no program
// here reaches its end.
const QString Processor = QStringLiteral("p16f57");
constexpr int RomSize = 2048;

class GpasmDiff : public testing::Test {
protected:
    void SetUp() override
    {
        if (!twtest::GpasmInstalled())
            GTEST_SKIP() << "gpasm is not installed";
    }

    // Our words 0 .. ProgramSizeInWord - 1 against gpasm's for the translation.
    void ExpectSameWords(const QString& program)
    {
        SCOPED_TRACE(program.toStdString());
        Assembly ours(program, RomSize);
        ASSERT_TRUE(ours.ok) << ours.messages.texts.join(", ").toStdString();
        const QString translated = twtest::ToGpasm(program);
        QString diagnostics;
        const auto theirs = twtest::GpasmWords(translated, Processor, &diagnostics);
        ASSERT_TRUE(theirs) << diagnostics.toStdString() << "\n" << translated.toStdString();
        const int size = ours.assembler.ProgramSizeInWord;
        ASSERT_EQ(int(theirs->size()), size) << translated.toStdString();
        for (int word = 0; word < size; ++word) {
            const auto their = theirs->find(word);
            ASSERT_NE(their, theirs->end()) << "word " << word;
            ASSERT_EQ(ours.engine.words[std::size_t(word)], their->second)
                << "word " << word << " of\n" << translated.toStdString();
        }
        ++compared;
    }

    int compared = 0;
};

TEST_F(GpasmDiff, GeneratedPrograms)
{
    std::mt19937 random(1402);
    for (int program = 0; program < 60; ++program) {
        const int lines = 20 + int(random() % 380);
        ExpectSameWords(twtest::GeneratedProgram(random, lines));
        if (HasFatalFailure())
            return;
    }
    EXPECT_EQ(compared, 60);
}

TEST_F(GpasmDiff, HandWrittenPrograms)
{
    const char16_t* const programs[] = {
        // A delay loop on GPIO with constants and a subroutine.
        u"; blink\n"
        u"GPIO    EQU 6\n"
        u"COUNT   EQU 0x10\n"
        u"COUNT2  EQU 11h\n"
        u"start:  movlw   0FEh\n"
        u"        tris    6\n"
        u"loop:   bsf     GPIO,0\n"
        u"        call    delay\n"
        u"        bcf     GPIO, 0\n"
        u"        call    delay\n"
        u"        goto    loop\n"
        u"delay:  movlw   250\n"
        u"        movwf   COUNT\n"
        u"inner:  decfsz  COUNT,f\n"
        u"        goto    inner\n"
        u"        decfsz  COUNT2,F\n"
        u"        goto    delay\n"
        u"        retlw   0\n",
        // A table read through PCL, every register-and-destination form.
        u"PCL EQU 2\nSTATUS EQU 3\nFSR EQU 4\n"
        u"table: addwf PCL,F\n"
        u"  retlw 1010b\n  retlw 0x3F\n  retlw 006\n  retlw 0\n"
        u"main:\n"
        u"  movlw 2\n  call table\n  movwf FSR\n  swapf FSR,w\n  rlf FSR,1\n  rrf FSR,0\n"
        u"  comf FSR\n  incfsz FSR,F\n  iorwf FSR,W\n  andwf FSR,1\n  xorwf FSR,0\n  subwf FSR,f\n"
        u"  btfss STATUS,2\n  goto main\n  btfsc STATUS, 0\n  clrf FSR\n  clrw\n  clrwdt\n  option\n  sleep\n"
        u"  iorlw 80H\n  andlw 7Fh\n  xorlw 0xff\n  nop\n  goto main\n",
        // Labels that read as numbers, Cyrillic names, tabs, labels alone.
        u"EACH:\n\tnop\nBEACH:\tnop\n\tgoto EACH\n\tcall BEACH\n\tgoto 0FACEH\n"
        u"Счётчик equ 12\nЦикл:\n  ; a comment: with a colon\n\n  decfsz Счётчик,1\n  goto Цикл\n  goto ЦИКЛ\n",
        // Forward references across a long stretch; GOTO beyond 256.
        u"  goto far\n  call near\nnear: retlw 5\nfar: goto near\n",
    };
    for (const char16_t* program : programs)
        ExpectSameWords(QString::fromUtf16(program));

    QString longJump = "  goto far\n";
    for (int i = 0; i < 400; ++i)
        longJump += "  nop\n";
    longJump += "far: goto 0\n  call far\n";
    ExpectSameWords(longJump);
}

// Where the languages differ on purpose. ours: the word of the source's last
// instruction, or a fault text; theirs: gpasm's word for its own reading of
// the same line, or a refusal.
struct Difference {
    const char* source;
    int ourWord; // -1 when ours fails
    int ourFault;
    const char* gpasmSource;
    int gpasmWord; // -1 when gpasm refuses
    const char* reason;
};

const Difference Differences[] = {
    {"TRIS 8", 0x008, 0, "  TRIS 8", 0x000, "the port number keeps its four bits here; gpasm keeps three"},
    {"TRIS 9", 0x009, 0, "  TRIS 9", 0x001, "the port number keeps its four bits here; gpasm keeps three"},
    {"INCF 7", 0x287, 0, "  INCF 7", 0x2A7, "a missing destination is W here, F for gpasm"},
    {"BSF 6", 0x506, 0, "  BSF 6", -1, "a missing bit number is bit 0 here; gpasm wants it"},
    {"MOVLW 300", -1, 1022, "  MOVLW 300", 0xC2C, "an out-of-range literal is a fault here, a warning for gpasm"},
    {"MOVWF 4096", -1, 1025, "  MOVWF 4096", 0x020, "a register beyond 4095 is a fault here, a warning for gpasm"},
    {"GOTO 131072", -1, 1025, "  GOTO 131072", 0xA00, "an address beyond 131071 is a fault here; gpasm masks it"},
    {"L: NOP\nL: NOP\nGOTO L", 0xA00, 0, "L: NOP\nL: NOP\n  GOTO L", -1,
        "a duplicate label is not detected here (the first wins); gpasm refuses it"},
    {"MOVLW X\nX EQU 5", -1, 1023, "  MOVLW X\nX EQU 5", 0xC05, "constants are defined before use here"},
    {"X EQU 5\nGOTO X", -1, 1031, "X EQU 5\n  GOTO X", 0xA05, "GOTO and CALL take labels, not constants, here"},
    {"GOTO EACH", 0xAAC, 0, "  GOTO EACH", -1,
        "a letter-leading hexadecimal number needs no leading 0 here; gpasm reads a name"},
};

void PrintTo(const Difference& d, std::ostream* out)
{
    *out << '"' << d.source << '"';
}

class IntendedDifferences : public testing::TestWithParam<Difference> {};

TEST_P(IntendedDifferences, AreAsDocumented)
{
    const Difference& d = GetParam();
    SCOPED_TRACE(d.reason);
    Assembly ours(QString::fromLatin1(d.source), RomSize);
    if (d.ourWord < 0) {
        EXPECT_FALSE(ours.ok);
        EXPECT_EQ(ours.assembler.LastFault().textId, d.ourFault);
    } else {
        ASSERT_TRUE(ours.ok);
        EXPECT_EQ(ours.engine.words[std::size_t(ours.assembler.ProgramSizeInWord - 1)], d.ourWord);
    }

    if (!twtest::GpasmInstalled())
        GTEST_SKIP() << "gpasm is not installed";
    const auto theirs = twtest::GpasmWords(QString::fromLatin1(d.gpasmSource) + "\n  END\n", Processor);
    if (d.gpasmWord < 0) {
        EXPECT_FALSE(theirs);
    } else {
        ASSERT_TRUE(theirs);
        ASSERT_FALSE(theirs->empty());
        EXPECT_EQ(theirs->rbegin()->second, d.gpasmWord);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, IntendedDifferences, testing::ValuesIn(Differences));

TEST(GpasmSupport, ReadsIntelHex)
{
    const auto words = twtest::HexWords(":020000040000FA\n:04000000FF0C0A0CDB\n:00000001FF\n");
    ASSERT_TRUE(words);
    EXPECT_EQ(*words, (std::map<int, std::uint16_t>{{0, 0xCFF}, {1, 0xC0A}}));
    EXPECT_FALSE(twtest::HexWords(":04000000FF0C0A0CDC\n"));
}

} // namespace

} // namespace gpasm_diff_test
