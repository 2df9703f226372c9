// Line breakpoints: set by a click on the gutter picture of a line holding
// an instruction, and kept on that instruction through edits and undo.
#include <QTextCursor>

#include "editor_fixture.h"
#include "ide/asm/gutter_pictures.h"

namespace breakpoint_test {
namespace {

const QString Source = QStringLiteral("; counter\n"
                                      "start:\n"
                                      "\tMOVLW 5\n"
                                      "loop:  DECFSZ 10h,F\n"
                                      "\tGOTO loop\n"
                                      "\tNOP");

// The 0-based lines that carry a breakpoint.
QList<int> BreakpointLines(const TMDIChild& window)
{
    QList<int> lines;
    for (int line = 0; line < window.LineCount(); ++line)
        if (window.LineBreakpoint(line))
            lines << line;
    return lines;
}

class BreakpointTest : public testing::Test {
protected:
    void SetUp() override
    {
        window = twtest::OpenSource(Source);
        twtest::RunSweep(*window);
    }

    QTextCursor At(int line, int column) const
    {
        QTextCursor cursor(window->RVE->document()->findBlockByNumber(line));
        cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, column);
        return cursor;
    }

    std::unique_ptr<TMDIChild> window;
};

TEST_F(BreakpointTest, ClickTogglesOnlyOnAnInstructionLine)
{
    EXPECT_EQ(window->GutterImage(0), PictureNoInstruction);
    EXPECT_EQ(window->GutterImage(2), PictureInstruction);

    twtest::ClickGutter(*window, 2, 2);
    EXPECT_EQ(BreakpointLines(*window), QList<int>{2});
    EXPECT_EQ(window->GutterImage(2), PictureBreakpoint);

    twtest::ClickGutter(*window, 2, 2);
    EXPECT_TRUE(BreakpointLines(*window).isEmpty());
    EXPECT_EQ(window->GutterImage(2), PictureInstruction);

    // A comment line and a label alone hold no instruction.
    twtest::ClickGutter(*window, 0, 0);
    twtest::ClickGutter(*window, 1, 1);
    EXPECT_TRUE(BreakpointLines(*window).isEmpty());
    EXPECT_EQ(window->GutterImage(0), PictureNoInstruction);

    // Down on one line, up on another: nothing.
    twtest::ClickGutter(*window, 3, 4);
    EXPECT_TRUE(BreakpointLines(*window).isEmpty());
}

TEST_F(BreakpointTest, AnInstructionAfterALabelTakesTheBreakpoint)
{
    EXPECT_TRUE(window->ToggleBreakpoint(3));
    EXPECT_EQ(BreakpointLines(*window), QList<int>{3});
    EXPECT_FALSE(window->ToggleBreakpoint(1));
}

TEST_F(BreakpointTest, FollowsItsInstructionThroughSplitsJoinsAndDeletions)
{
    window->ToggleBreakpoint(4); // GOTO loop
    window->ToggleBreakpoint(2); // MOVLW 5

    // Enter at the start of the first line, then in the middle of a comment.
    At(0, 0).insertText("\n");
    EXPECT_EQ(BreakpointLines(*window), (QList<int>{3, 5}));
    At(1, 2).insertText("\n");
    EXPECT_EQ(BreakpointLines(*window), (QList<int>{4, 6}));

    // Enter right before the mnemonic takes it to the next line.
    At(4, 1).insertText("\n");
    EXPECT_EQ(BreakpointLines(*window), (QList<int>{5, 7}));
    EXPECT_EQ(window->LineText(5), "MOVLW 5");

    // Joining lines: the label line and the mnemonic's line.
    QTextCursor join = At(5, 0);
    join.deletePreviousChar();
    EXPECT_EQ(window->LineText(4), "\tMOVLW 5");
    EXPECT_EQ(BreakpointLines(*window), (QList<int>{4, 6}));

    // Deleting whole lines above.
    QTextCursor lines = At(0, 0);
    lines.movePosition(QTextCursor::Down, QTextCursor::KeepAnchor, 3);
    lines.removeSelectedText();
    EXPECT_EQ(window->LineText(0), "start:");
    EXPECT_EQ(BreakpointLines(*window), (QList<int>{1, 3}));

    // Typing elsewhere in the instruction's line and in other lines.
    At(1, 8).insertText("0");
    At(0, 0).insertText("  ");
    EXPECT_EQ(window->LineText(1), "\tMOVLW 50");
    EXPECT_EQ(BreakpointLines(*window), (QList<int>{1, 3}));
}

TEST_F(BreakpointTest, DeletedWithItsLineAndBackWithUndo)
{
    window->ToggleBreakpoint(4);
    QTextCursor line = At(4, 0);
    line.movePosition(QTextCursor::Down, QTextCursor::KeepAnchor);
    line.removeSelectedText();
    EXPECT_EQ(window->LineText(4), "\tNOP");
    EXPECT_TRUE(BreakpointLines(*window).isEmpty());

    window->RVE->undo();
    EXPECT_EQ(window->LineText(4), "\tGOTO loop");
    EXPECT_EQ(BreakpointLines(*window), QList<int>{4});

    window->RVE->redo();
    EXPECT_TRUE(BreakpointLines(*window).isEmpty());
    window->RVE->undo();
    EXPECT_EQ(BreakpointLines(*window), QList<int>{4});
}

TEST_F(BreakpointTest, UndoOfEditsAroundItKeepsIt)
{
    window->ToggleBreakpoint(2);
    twtest::PlaceCaret(*window, 2, 0);
    twtest::Type(window->RVE, "\n\nx:");
    EXPECT_EQ(BreakpointLines(*window), QList<int>{4});
    while (window->RVE->document()->isUndoAvailable())
        window->RVE->undo();
    EXPECT_EQ(window->Text(), Source);
    EXPECT_EQ(BreakpointLines(*window), QList<int>{2});
}

TEST_F(BreakpointTest, AMnemonicBrokenByAnEditLosesItUntilMendedBack)
{
    window->ToggleBreakpoint(5); // NOP
    At(5, 2).insertText(" ");
    EXPECT_EQ(window->LineText(5), "\tN OP");
    EXPECT_TRUE(BreakpointLines(*window).isEmpty());
    At(5, 2).deleteChar();
    EXPECT_EQ(BreakpointLines(*window), QList<int>{5});
}

TEST_F(BreakpointTest, ClearAllLeavesInstructionPictures)
{
    window->ToggleBreakpoint(2);
    window->ToggleBreakpoint(4);
    window->ClearAllBreakpoints();
    EXPECT_TRUE(BreakpointLines(*window).isEmpty());
    EXPECT_EQ(window->GutterImage(2), PictureInstruction);
    EXPECT_EQ(window->GutterImage(4), PictureInstruction);
    EXPECT_EQ(window->GutterImage(0), PictureNoInstruction);
}

TEST_F(BreakpointTest, LoadingNewTextDropsThem)
{
    window->ToggleBreakpoint(2);
    window->SetText(Source);
    window->AfterLoad();
    EXPECT_TRUE(BreakpointLines(*window).isEmpty());
}

TEST_F(BreakpointTest, SweepKeepsBreakpointPicturesAndFollowsMovedLines)
{
    window->ToggleBreakpoint(2);
    At(0, 0).insertText("\n");
    // The pictures stay with the line numbers until the sweep redraws them.
    twtest::RunSweep(*window);
    EXPECT_EQ(window->GutterImage(3), PictureBreakpoint);
    EXPECT_EQ(window->GutterImage(2), PictureNoInstruction);
    EXPECT_EQ(window->GutterImage(6), PictureInstruction);
    twtest::RunSweep(*window);
    EXPECT_EQ(window->GutterImage(3), PictureBreakpoint);
}

} // namespace

} // namespace breakpoint_test
