// The assembler reading the editor: its lines, the breakpoints of its
// instructions, and the mark it leaves on a faulty token.
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>

#include "asm/asm_engine_fake.h"
#include "editor_fixture.h"

namespace assembly_test {
namespace {

const QString Source = QStringLiteral("; two words\n"
                                      "start:\tMOVLW 5\n"
                                      "\n"
                                      "\tGOTO start");

TEST(EditorAssembly, BreakpointsReachTheWordsOfTheirInstructions)
{
    auto window = twtest::OpenSource(Source);
    window->ToggleBreakpoint(3);
    QTextCursor(window->RVE->document()).insertText("\tNOP\n");

    twtest::RecordingEngine engine(64);
    twtest::CollectedMessages messages;
    const TMnemonicList mnemonics = twtest::BaselineMnemonics();
    TAssembler assembler(engine, mnemonics);
    ASSERT_TRUE(assembler.CompileAll(*window));
    EXPECT_EQ(assembler.ProgramSizeInWord, 3);
    EXPECT_EQ(engine.breakpoints[0], 0); // NOP
    EXPECT_EQ(engine.breakpoints[1], 0); // MOVLW
    EXPECT_EQ(engine.breakpoints[2], 1); // GOTO, now on line 5
    EXPECT_EQ(engine.lineNo[2], 5);
    EXPECT_TRUE(messages.texts.isEmpty());
}

QColor ColourAt(const TMDIChild& window, int line, int column)
{
    const QTextBlock block = window.RVE->document()->findBlockByNumber(line);
    QColor colour;
    for (const QTextLayout::FormatRange& range : block.layout()->formats())
        if (column >= range.start && column < range.start + range.length)
            colour = range.format.foreground().color();
    return colour;
}

TEST(EditorAssembly, AFaultIsMarkedInTheEditorUntilItsLineIsEdited)
{
    auto window = twtest::OpenSource("\tMOVLW 5\n\tGOTO nowhere");
    twtest::RecordingEngine engine(64);
    twtest::CollectedMessages messages;
    const TMnemonicList mnemonics = twtest::BaselineMnemonics();
    TAssembler assembler(engine, mnemonics);
    window->autoCheck = false;
    EXPECT_FALSE(assembler.CompileAll(*window));
    window->autoCheck = true;
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_EQ(ColourAt(*window, 1, 1), QColor(0, 0, 0)) << "the line in the default style";
    EXPECT_EQ(ColourAt(*window, 1, 6), QColor(255, 0, 0)) << "the unknown label in the error style";
    EXPECT_EQ(ColourAt(*window, 0, 1), QColor(0, 0, 255)) << "other lines keep their colours";

    twtest::PlaceCaret(*window, 1, 13);
    twtest::Type(window->RVE, " ");
    EXPECT_EQ(ColourAt(*window, 1, 1), QColor(0, 0, 255));
    EXPECT_EQ(ColourAt(*window, 1, 6), QColor(0, 0, 0));
}

} // namespace

} // namespace assembly_test
