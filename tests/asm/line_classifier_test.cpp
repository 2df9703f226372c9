// The line classifier: tokens, kinds, numbers with their limits, labels,
// operands after a comma, faults, colours, and random lines.
#include <random>

#include <gtest/gtest.h>

#include "asm_fixture.h"
#include "ide/asm/line_classifier.h"
#include "ide/main/simulator_binding.h"
#include "ide/workbench/shared_library.h"
#include "support/paths.h"

namespace line_classifier_test {
namespace {

using twtest::Described;
using twtest::StylesOf;

TClassifiedLine Classified(const QString& line)
{
    return ClassifyLine(line, twtest::BaselineMnemonics());
}

struct TokenCase {
    const char16_t* line;
    const char16_t* tokens;
};

void PrintTo(const TokenCase& c, std::ostream* out)
{
    *out << '"' << QString::fromUtf16(c.line).toStdString() << '"';
}

class TokenTable : public testing::TestWithParam<TokenCase> {};

TEST_P(TokenTable, GivesTheTokens)
{
    const TokenCase& c = GetParam();
    EXPECT_EQ(Described(Classified(QString::fromUtf16(c.line))), QString::fromUtf16(c.tokens))
        << QString::fromUtf16(c.line).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Kinds, TokenTable,
    testing::Values(
        // Label, mnemonic, hexadecimal number, comment.
        TokenCase{u"  loop:  movwf 0x06 ; out", u"LOOP:@2+5:L MOVWF@9+5:I 0X06@15+4:h6"},
        TokenCase{u"BSF PORTB,3", u"BSF@0+3:I PORTB@4+5:V 3@10+1:Bd3"},
        TokenCase{u"MOVF X,W", u"MOVF@0+4:I X@5+1:V W@7+1:F"},
        TokenCase{u"movf x,f", u"MOVF@0+4:I X@5+1:V F@7+1:F"},
        TokenCase{u"MOVF X,Y", u"MOVF@0+4:I X@5+1:V Y@7+1:E"},
        TokenCase{u"MOVF X,1", u"MOVF@0+4:I X@5+1:V 1@7+1:FB"},
        TokenCase{u"BSF 6,0", u"BSF@0+3:I 6@4+1:d6 0@6+1:FB"},
        TokenCase{u"BSF 6,7", u"BSF@0+3:I 6@4+1:d6 7@6+1:Bd7"},
        TokenCase{u"BSF 6,8", u"BSF@0+3:I 6@4+1:d6 8@6+1:E"},
        TokenCase{u"BSF 6,05", u"BSF@0+3:I 6@4+1:d6 05@6+2:E"},
        // Only the token right after a comma is an operand of that kind.
        TokenCase{u"INCF 7,F extra", u"INCF@0+4:I 7@5+1:d7 F@7+1:F EXTRA@9+5:V"},
        TokenCase{u"INCF 7, W", u"INCF@0+4:I 7@5+1:d7 W@8+1:F"},
        // A blank before the comma leaves an empty token before it.
        TokenCase{u"MOVF X ,F", u"MOVF@0+4:I X@5+1:V @7+0:E F@8+1:F"},
        TokenCase{u"MOVWF 6,,F", u"MOVWF@0+5:I 6@6+1:d6 @8+0:E F@9+1:F"},
        TokenCase{u"MOVLW 5,", u"MOVLW@0+5:I 5@6+1:d5"},
        TokenCase{u",5", u"@0+0:E 5@1+1:Bd5"},
        // Blanks and tabs separate alike.
        TokenCase{u"\tMOVLW\t5", u"MOVLW@1+5:I 5@7+1:d5"},
        TokenCase{u"nop", u"NOP@0+3:I"},
        TokenCase{u"NOP NOP", u"NOP@0+3:I NOP@4+3:I"},
        TokenCase{u"X EQU 0FFH", u"X@0+1:V EQU@2+3:D 0FFH@6+4:h255"},
        TokenCase{u"x equ 1010b", u"X@0+1:V EQU@2+3:D 1010B@6+5:b10"},
        TokenCase{u"EQUAL", u"EQUAL@0+5:V"},
        TokenCase{u"A.B A_B A1 1A", u"A.B@0+3:E A_B@4+3:E A1@8+2:V 1A@11+2:E"},
        // Lines without tokens.
        TokenCase{u"", u""},
        TokenCase{u"   \t ", u""},
        TokenCase{u"; only a comment: with a colon", u""},
        TokenCase{u"  ;", u""},
        // Labels: indented, alone, with a comment, before EQU.
        TokenCase{u"START:", u"START:@0+6:L"},
        TokenCase{u"   Start:   ; here", u"START:@3+6:L"},
        TokenCase{u"L1:NOP", u"L1:@0+3:L NOP@3+3:I"},
        TokenCase{u"N: X EQU 5", u"N:@0+2:L X@3+1:V EQU@5+3:D 5@9+1:d5"},
        TokenCase{u"NOP ; a:b", u"NOP@0+3:I"},
        // The text up to the first colon is the label, whatever it holds.
        TokenCase{u"MOVLW A:B", u"MOVLW A:@0+8:LE B@8+1:V"},
        TokenCase{u"AB_C: NOP", u"AB_C:@0+5:LE NOP@6+3:I"},
        TokenCase{u"A__B: NOP", u"A__B:@0+5:LE NOP@6+3:I"},
        // A line that starts with no letter and holds a colon is one fault.
        TokenCase{u"1ABC: NOP", u"1ABC:@0+5:LE"},
        TokenCase{u"  :NOP", u":@2+1:LE"},
        TokenCase{u"_X: NOP", u"_X:@0+3:LE"}));

INSTANTIATE_TEST_SUITE_P(Letters, TokenTable,
    testing::Values(
        // Cyrillic names, "А" and "Ё" among them; upper-cased per letter.
        TokenCase{u"Привет: movlw ёлка", u"ПРИВЕТ:@0+7:L MOVLW@8+5:I ЁЛКА@14+4:V"},
        TokenCase{u"Арбуз EQU 5", u"АРБУЗ@0+5:V EQU@6+3:D 5@10+1:d5"},
        TokenCase{u"яЯ1 Ёж", u"ЯЯ1@0+3:V ЁЖ@4+2:V"},
        // "ß" is not a letter here and does not become "SS": nothing moves.
        TokenCase{u"straße movlw 1", u"STRAßE@0+6:E MOVLW@7+5:I 1@13+1:d1"},
        // A character outside the basic plane counts as its two units.
        TokenCase{u"\U0001F600 nop", u"\U0001F600@0+2:E NOP@3+3:I"},
        // Latin look-alikes of other alphabets are not letters.
        TokenCase{u"Ωmega", u"ΩMEGA@0+5:E"},
        TokenCase{u"ı", u"ı@0+1:E"}));

struct NumberCase {
    const char* token;
    TNumberKind kind;
    int value;
};

void PrintTo(const NumberCase& c, std::ostream* out)
{
    *out << c.token;
}

class NumberTable : public testing::TestWithParam<NumberCase> {};

TEST_P(NumberTable, ReadsTheNumber)
{
    const NumberCase& c = GetParam();
    const TClassifiedLine line = Classified(QString::fromLatin1(c.token));
    ASSERT_EQ(line.tokens.size(), 1u);
    const TArrayOfCaD& token = line.tokens[0];
    EXPECT_EQ(token.isDigit, c.kind != NotANumber);
    EXPECT_EQ(token.TypeDigth, c.kind);
    EXPECT_EQ(token.DigitDecValue, c.value);
    if (c.kind == NotANumber) {
        EXPECT_TRUE(token.isError || token.isCorrectVarOrLabel);
    }
}

INSTANTIATE_TEST_SUITE_P(Forms, NumberTable,
    testing::Values(
        // Decimal: 1 to 6 digits.
        NumberCase{"0", DecimalNumber, 0}, NumberCase{"7", DecimalNumber, 7},
        NumberCase{"000255", DecimalNumber, 255}, NumberCase{"999999", DecimalNumber, 999999},
        NumberCase{"1234567", NotANumber, 0}, NumberCase{"12345678", NotANumber, 0},
        // "0x": 1 to 6 hexadecimal digits.
        NumberCase{"0x0", HexNumber, 0}, NumberCase{"0x1f", HexNumber, 31}, NumberCase{"0XAbC", HexNumber, 0xABC},
        NumberCase{"0xFFFFFF", HexNumber, 0xFFFFFF}, NumberCase{"0x1234567", NotANumber, 0},
        NumberCase{"0x", NotANumber, 0}, NumberCase{"0xG", NotANumber, 0},
        // "h" suffix: 1 to 6 hexadecimal digits; a letter-leading one too.
        NumberCase{"0h", HexNumber, 0}, NumberCase{"FFH", HexNumber, 255}, NumberCase{"0ffh", HexNumber, 255},
        NumberCase{"FFFFFFH", HexNumber, 0xFFFFFF}, NumberCase{"0FFFFFFH", NotANumber, 0},
        NumberCase{"FFFFFFFH", NotANumber, 0}, NumberCase{"EACH", HexNumber, 0xEAC},
        NumberCase{"BEACH", HexNumber, 0xBEAC}, NumberCase{"10BH", HexNumber, 0x10B},
        NumberCase{"H", NotANumber, 0}, NumberCase{"1GH", NotANumber, 0},
        // "b" suffix: 1 to 19 binary digits.
        NumberCase{"0B", BinaryNumber, 0}, NumberCase{"10b", BinaryNumber, 2}, NumberCase{"1010B", BinaryNumber, 10},
        NumberCase{"1111111111111111111B", BinaryNumber, 524287},
        NumberCase{"11111111111111111111B", NotANumber, 0}, NumberCase{"102B", NotANumber, 0},
        NumberCase{"B", NotANumber, 0},
        // No sign, no other base.
        NumberCase{"-1", NotANumber, 0}, NumberCase{"+1", NotANumber, 0}, NumberCase{"0o17", NotANumber, 0},
        NumberCase{"٣", NotANumber, 0}));

TEST(LineClassifier, ColoursEveryCharacterByItsToken)
{
    struct Case {
        const char16_t* line;
        const char* styles;
    };
    const Case cases[] = {
        {u"  loop:  movwf 0x06 ; out", "1133333115555519999122222"},
        {u"X EQU 0FFH ;c", "1166619999122"},
        {u"BTFSS 3,2", "555551717"},
        {u"INCF 7,W", "55551714"},
        {u"MOVLW 101B", "5555518888"},
        {u"MOVF X,Y", "55551110"},
        {u"AB_C: NOP", "333331555"},
        {u"1ABC: NOP ;x", "000001111122"},
        {u"BAD.NAME", "00000000"},
        {u"\tnop\t", "15551"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StylesOf(Classified(QString::fromUtf16(c.line))), QString::fromLatin1(c.styles))
            << QString::fromUtf16(c.line).toStdString();
}

TEST(LineClassifier, NamesTheFirstFaultOfTheLine)
{
    struct Case {
        const char16_t* line;
        int token;
        int textId;
    };
    const Case cases[] = {
        {u"LOOP: MOVLW 5", -1, 0},
        {u"", -1, 0},
        {u"MOVF X,Y", 2, IncorrectRecordText},
        {u"MOVLW 1234567 ,", 1, IncorrectRecordText},
        {u"MOVF X ,Y", 2, IncorrectRecordText},
        {u"AB_C: MOVF X,Y", 0, IncorrectLabelText},
        {u"1ABC: NOP", 0, IncorrectLabelText},
        {u":", 0, IncorrectLabelText},
        // Unknown names are identifiers: the assembler judges them.
        {u"FOO BAR", -1, 0},
    };
    for (const Case& c : cases) {
        const TClassifiedLine line = Classified(QString::fromUtf16(c.line));
        EXPECT_EQ(line.faultToken, c.token) << QString::fromUtf16(c.line).toStdString();
        EXPECT_EQ(line.faultTextId, c.textId) << QString::fromUtf16(c.line).toStdString();
    }
}

TEST(LineClassifier, EachLineStartsAfresh)
{
    // A line that ends with a comma leaves no operand state to the next.
    EXPECT_EQ(Described(Classified("MOVF X,")), "MOVF@0+4:I X@5+1:V");
    EXPECT_EQ(Described(Classified("F")), "F@0+1:V");
    EXPECT_EQ(Described(Classified("3")), "3@0+1:d3");
}

TEST(LineClassifier, OnlyTheListNamesMnemonics)
{
    const TMnemonicList list(QStringList{"FOO", "NOP"});
    EXPECT_EQ(Described(ClassifyLine(u"foo nop movlw", list)), "FOO@0+3:I NOP@4+3:I MOVLW@8+5:V");
    EXPECT_EQ(list.FindInstruction(u"NOP"), 1);
    EXPECT_EQ(list.FindInstruction(u"nop"), -1);
    EXPECT_EQ(Described(ClassifyLine(u"nop", TMnemonicList())), "NOP@0+3:V");
    EXPECT_EQ(Classified("  NOP ; x").FirstInstruction(), 0);
    EXPECT_EQ(Classified("L: X EQU 5").FirstInstruction(), -1);
}

// Fake instruction lists behind the two entry points, counting the calls.
int CounterCalls = 0;
std::int32_t CountThree()
{
    ++CounterCalls;
    return 3;
}
void NameOfThree(TShortString* text, std::int32_t index)
{
    static const char* const names[] = {"NOP", "FOO", "BAR"};
    *text = TShortString::from(names[index]);
}
std::int32_t CountOne()
{
    ++CounterCalls;
    return 1;
}
void NameOfOne(TShortString* text, std::int32_t)
{
    *text = TShortString::from("BAZ");
}

class BoundListTest : public testing::Test {
protected:
    void TearDown() override
    {
        DllMCEntries = saved;
        SetBoundMnemonics(TMnemonicList());
    }
    TDllMCEntries saved = DllMCEntries;
};

TEST_F(BoundListTest, IsReadOncePerBind)
{
    DllMCEntries.Get_SystemCommandCounter = CountThree;
    DllMCEntries.Get_SystemCommand_CommandName = NameOfThree;
    CounterCalls = 0;
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(Described(ClassifyLine(u"FOO BAR,1 ; NOP")), "FOO@0+3:I BAR@4+3:I 1@8+1:FB");
    EXPECT_EQ(CounterCalls, 1);

    // Another library bound: its list.
    DllMCEntries.Get_SystemCommandCounter = CountOne;
    DllMCEntries.Get_SystemCommand_CommandName = NameOfOne;
    EXPECT_EQ(Described(ClassifyLine(u"BAZ FOO")), "BAZ@0+3:I FOO@4+3:V");
    EXPECT_EQ(CounterCalls, 2);

    // A list put in place stays until the next bind.
    SetBoundMnemonics(TMnemonicList(QStringList{"QUX"}));
    EXPECT_EQ(Described(ClassifyLine(u"QUX BAZ")), "QUX@0+3:I BAZ@4+3:V");
    EXPECT_EQ(CounterCalls, 2);

    DllMCEntries = TDllMCEntries();
    EXPECT_EQ(Described(ClassifyLine(u"QUX NOP")), "QUX@0+3:V NOP@4+3:V");
}

TEST_F(BoundListTest, IsCorvelsInstructionList)
{
    const QString path = QString::fromStdString((twtest::binDir() / "corvel.so").string());
    void* handle = LoadSharedLibrary(path);
    ASSERT_NE(handle, nullptr);
    QStringList missing;
    const TDllMCEntries entries = BindDllMCEntries(handle, &missing);
    ASSERT_TRUE(missing.isEmpty()) << missing.join(", ").toStdString();
    entries.SelectMC(0);
    EXPECT_EQ(ReadMnemonics(entries).Names(), twtest::BaselineMnemonics().Names());
    DllMCEntries = entries;
    EXPECT_EQ(Described(ClassifyLine(u"retlw 0")), "RETLW@0+5:I 0@6+1:d0");
    DllMCEntries = saved;
    UnloadSharedLibrary(handle);
}

TEST(LineClassifier, RandomLinesGiveSoundTokens)
{
    const char16_t alphabet[] = u"AbcEfHhxXBb019 7\t\t  ,,,::;._-+ЁёАяЖßı\xD83D\xDE00\x00A0";
    const int alphabetSize = int(std::size(alphabet)) - 1;
    std::mt19937 random(20261211);
    const TMnemonicList mnemonics(QStringList{"NOP", "BSF", "A", "AB"});
    for (int round = 0; round < 20000; ++round) {
        QString line;
        const int length = int(random() % 24);
        for (int i = 0; i < length; ++i)
            line += QChar(alphabet[random() % alphabetSize]);
        const TClassifiedLine result = ClassifyLine(line, mnemonics);
        SCOPED_TRACE(line.toStdString());
        ASSERT_EQ(result.styles.size(), std::size_t(line.size()));
        int end = 0;
        for (const TArrayOfCaD& token : result.tokens) {
            ASSERT_GE(token.txtStart, end);
            ASSERT_GE(token.txtLong, 0);
            ASSERT_LE(token.txtStart + token.txtLong, line.size());
            ASSERT_EQ(token.str, classifier::UpperCased(QStringView(line).sliced(token.txtStart, token.txtLong)));
            ASSERT_GE(token.DigitDecValue, 0);
            ASSERT_EQ(token.isDigit, token.TypeDigth != NotANumber);
            end = token.txtStart + token.txtLong;
        }
        for (std::uint8_t style : result.styles)
            ASSERT_LT(style, TextStyleCount);
        if (result.faultToken >= 0)
            ASSERT_TRUE(result.tokens[std::size_t(result.faultToken)].isError);
        else
            ASSERT_EQ(result.faultTextId, 0);
    }
}

} // namespace

} // namespace line_classifier_test
