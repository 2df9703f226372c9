// The executing-line marker and the error mark.
#include <QTextBlock>
#include <QTextLayout>

#include "editor_fixture.h"
#include "ide/asm/editor_styles.h"
#include "ide/asm/gutter_pictures.h"

namespace marker_test {
namespace {

const QString Source = QStringLiteral("; blink\n"
                                      "start:\tMOVLW 5\n"
                                      "\tMOVWF 6\n"
                                      "\tGOTO start");

class MarkerTest : public testing::Test {
protected:
    void SetUp() override
    {
        window = twtest::OpenSource(Source);
        twtest::RunSweep(*window);
        window->SetExecutingLineSource([this] { return executing; });
        window->ToggleBreakpoint(2);
    }

    std::unique_ptr<TMDIChild> window;
    int executing = 0;
};

TEST_F(MarkerTest, FollowsTheExecutingLineAndRestoresItsPicture)
{
    executing = 2; // MOVLW, no breakpoint
    window->TmrRefreshTimer();
    EXPECT_EQ(window->GutterImage(1), PictureExecuting);
    EXPECT_EQ(window->MarkedLine(), 1);

    executing = 3; // MOVWF with its breakpoint
    window->TmrRefreshTimer();
    EXPECT_EQ(window->GutterImage(1), PictureInstruction);
    EXPECT_EQ(window->GutterImage(2), PictureExecutingBreakpoint);

    // A line without an instruction gets no arrow.
    executing = 1;
    window->TmrRefreshTimer();
    EXPECT_EQ(window->GutterImage(0), PictureNoInstruction);
    EXPECT_EQ(window->GutterImage(2), PictureBreakpoint);
    EXPECT_EQ(window->MarkedLine(), -1);

    // The run ends: the next tick gives the picture back.
    executing = 4;
    window->TmrRefreshTimer();
    EXPECT_EQ(window->GutterImage(3), PictureExecuting);
    executing = 0;
    window->TmrRefreshTimer();
    EXPECT_EQ(window->GutterImage(3), PictureInstruction);
}

TEST_F(MarkerTest, NeverAddressesALineTheSourceLacks)
{
    for (int stale : {5, 100, -3, 0x7fffffff}) {
        executing = stale;
        window->TmrRefreshTimer();
        EXPECT_EQ(window->MarkedLine(), -1) << stale;
    }
    // The source shrinks under the marker.
    executing = 4;
    window->TmrRefreshTimer();
    ASSERT_EQ(window->MarkedLine(), 3);
    window->SetText("\tNOP");
    window->AfterLoad();
    window->TmrRefreshTimer();
    EXPECT_EQ(window->MarkedLine(), -1);
    EXPECT_EQ(window->LineCount(), 1);
}

TEST_F(MarkerTest, StopRestoresAtOnce)
{
    executing = 3;
    window->StartExecutingMarker();
    EXPECT_EQ(window->GutterImage(2), PictureExecutingBreakpoint);
    window->SetRunning(false);
    EXPECT_EQ(window->GutterImage(2), PictureBreakpoint);
}

TEST_F(MarkerTest, ClearingBreakpointsUnderTheArrowIsNotUndoneByIt)
{
    executing = 3;
    window->TmrRefreshTimer();
    window->ClearAllBreakpoints();
    EXPECT_EQ(window->GutterImage(2), PictureInstruction);
    executing = 4;
    window->TmrRefreshTimer();
    EXPECT_EQ(window->GutterImage(2), PictureInstruction);
    EXPECT_FALSE(window->LineBreakpoint(2));
}

TEST_F(MarkerTest, ToggleUnderTheArrowKeepsTheArrow)
{
    executing = 2;
    window->TmrRefreshTimer();
    window->ToggleBreakpoint(1);
    EXPECT_EQ(window->GutterImage(1), PictureExecutingBreakpoint);
    executing = 0;
    window->TmrRefreshTimer();
    EXPECT_EQ(window->GutterImage(1), PictureBreakpoint);
    EXPECT_TRUE(window->LineBreakpoint(1));
}

// The colour the layout gives character `column` of line `line`.
QColor ColourAt(const TMDIChild& window, int line, int column)
{
    const QTextBlock block = window.RVE->document()->findBlockByNumber(line);
    QColor colour;
    for (const QTextLayout::FormatRange& range : block.layout()->formats())
        if (column >= range.start && column < range.start + range.length)
            colour = range.format.foreground().color();
    return colour;
}

TEST(ErrorMark, StaysUntilTheLineIsNextChecked)
{
    auto window = twtest::OpenSource(Source);
    const QColor red(255, 0, 0);
    const QColor black(0, 0, 0);
    const QColor blue(0, 0, 255);
    ASSERT_EQ(ColourAt(*window, 2, 1), blue);

    window->autoCheck = false; // as while assembling
    window->MarkError(2, 7, 1);
    EXPECT_EQ(ColourAt(*window, 2, 1), black);
    EXPECT_EQ(ColourAt(*window, 2, 7), red);
    window->autoCheck = true;

    // Edits of other lines leave it.
    QTextCursor(window->RVE->document()->findBlockByNumber(0)).insertText(";");
    QTextCursor(window->RVE->document()).insertText("\n");
    EXPECT_EQ(ColourAt(*window, 3, 7), red);

    // Its own line's next check ends it.
    QTextCursor edit(window->RVE->document()->findBlockByNumber(3));
    edit.movePosition(QTextCursor::EndOfBlock);
    edit.insertText(" ");
    EXPECT_EQ(ColourAt(*window, 3, 1), blue);
    EXPECT_NE(ColourAt(*window, 3, 7), red);
}

TEST(ErrorMark, RangesOutsideTheLineAreCut)
{
    auto window = twtest::OpenSource(Source);
    window->MarkError(3, 6, 100);
    window->MarkError(99, 0, 3);
    window->MarkError(-1, 0, 3);
    window->MarkError(1, -5, 2);
    EXPECT_EQ(window->Text(), Source);
}

} // namespace

} // namespace marker_test
