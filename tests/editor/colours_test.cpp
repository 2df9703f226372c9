// The colours and fonts the editor shows for each class of token.
#include <QClipboard>
#include <QGuiApplication>
#include <QTextBlock>
#include <QTextLayout>

#include "editor_fixture.h"
#include "ide/asm/editor_styles.h"

namespace colours_test {
namespace {

struct TCharacterLook {
    QColor colour;
    QString family;
};

// What the layout shows at `column` of `line`; an invalid colour where no
// format was laid.
TCharacterLook LookAt(const TMDIChild& window, int line, int column)
{
    const QTextBlock block = window.RVE->document()->findBlockByNumber(line);
    TCharacterLook look;
    for (const QTextLayout::FormatRange& range : block.layout()->formats())
        if (column >= range.start && column < range.start + range.length) {
            look.colour = range.format.foreground().color();
            const QStringList families = range.format.fontFamilies().toStringList();
            look.family = families.value(0);
        }
    return look;
}

struct TColourCase {
    const char* line;
    // The style of each character, one digit each: 0 Error, 1 Default,
    // 2 Comment, 3 Label, 4 FN, 5 Instruction, 6 Directive, 7 DEC, 8 BIN,
    // 9 HEX.
    const char* styles;
};

const TColourCase ColourCases[] = {
    {"  loop:  movwf 0x06 ; out", "1133333115555519999122222"},
    {"X EQU 0FFH\t; c", "11666199991222"},
    {"\tBSF PORTB,3", "155511111117"},
    {"\tmovf x,w", "155551114"},
    {"\tMOVF X ,1", "1555511114"},
    {"\tMOVF X,Y", "155551110"},
    {"\tRETLW 1010B", "155555188888"},
    {"\tMOVLW 1234567", "15555510000000"},
    {"AB_C: NOP", "333331555"},
    {"1ABC: NOP", "000001111"},
    {":NOP", "0111"},
    // Upper-casing keeps every position: "ß" stays one unit.
    {"straße: NOP ; ß", "333333315551222"},
    {"Счёт EQU 10b", "111116661888"},
    {"; only a comment", "2222222222222222"},
};

TEST(EditorColours, EachCharacterInTheStyleOfItsToken)
{
    QStringList lines;
    for (const TColourCase& c : ColourCases)
        lines << QString::fromUtf8(c.line);
    auto window = twtest::OpenSource(lines.join(QLatin1Char('\n')));
    const QString families[] = {"Tahoma", "Arial"};
    for (int line = 0; line < int(std::size(ColourCases)); ++line) {
        const QString styles = QString::fromLatin1(ColourCases[line].styles);
        ASSERT_EQ(styles.size(), lines[line].size()) << ColourCases[line].line;
        for (int column = 0; column < styles.size(); ++column) {
            const TTextStyleLook& expected = TextStyleLooks[styles[column].digitValue()];
            const TCharacterLook shown = LookAt(*window, line, column);
            EXPECT_EQ(shown.colour, QColor(expected.red, expected.green, expected.blue))
                << ColourCases[line].line << " column " << column << " should be " << expected.name;
            EXPECT_EQ(shown.family, QString::fromLatin1(expected.font))
                << ColourCases[line].line << " column " << column;
        }
    }
}

TEST(EditorColours, FontsFallBackToFamiliesThisSystemHas)
{
    for (const char* family : {"Tahoma", "Arial"}) {
        const QFont font = EditorFont(family);
        EXPECT_EQ(font.pointSize(), 10);
        EXPECT_EQ(font.families().value(0), QString::fromLatin1(family));
        EXPECT_GE(font.families().size(), 3) << family;
    }
}

TEST(EditorColours, NoColoursWhileCheckingIsOffThenAllAtOnce)
{
    twtest::EnsureEditorApplication();
    TMDIChild window;
    window.SetText("\tNOP\n\tGOTO 5");
    EXPECT_FALSE(LookAt(window, 0, 1).colour.isValid());
    window.AfterLoad();
    EXPECT_EQ(LookAt(window, 0, 1).colour, QColor(0, 0, 255));
    EXPECT_EQ(LookAt(window, 1, 6).colour, QColor(128, 128, 0));
}

TEST(EditorColours, AnEditRecoloursItsLine)
{
    auto window = twtest::OpenSource("\tNOP");
    twtest::PlaceCaret(*window, 0, 4);
    twtest::Type(window->RVE, "E");
    EXPECT_EQ(window->LineText(0), "\tNOPE");
    EXPECT_EQ(LookAt(*window, 0, 1).colour, QColor(0, 0, 0)) << "no mnemonic: an identifier";
    twtest::PressKey(window->RVE, Qt::Key_Backspace);
    EXPECT_EQ(LookAt(*window, 0, 1).colour, QColor(0, 0, 255));
}

// An edit re-checks the lines it touched, no others.
TEST(EditorColours, AnEditChecksOnlyTheLinesItTouched)
{
    QStringList lines;
    for (int i = 0; i < 50; ++i)
        lines << QStringLiteral("\tNOP");
    auto window = twtest::OpenSource(lines.join(QLatin1Char('\n')));
    twtest::PlaceCaret(*window, 20, 4);
    long long before = window->ColouredLineChecks();
    twtest::Type(window->RVE, " ");
    EXPECT_EQ(window->ColouredLineChecks() - before, 1);

    before = window->ColouredLineChecks();
    QGuiApplication::clipboard()->setText("\n\tCLRW\n\tSLEEP\n\tCLRWDT");
    window->RVE->paste();
    EXPECT_EQ(window->LineText(23), "\tCLRWDT");
    EXPECT_EQ(window->ColouredLineChecks() - before, 4) << "the caret's line and the three pasted";
    EXPECT_EQ(LookAt(*window, 22, 1).colour, QColor(0, 0, 255));
}

} // namespace

} // namespace colours_test
