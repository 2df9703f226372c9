// The background sweep: its order, its stop and restart, and a window that
// goes while it runs.
#include <utility>

#include <QPointer>
#include <QTextCursor>

#include "editor_fixture.h"
#include "ide/asm/gutter_pictures.h"

namespace sweep_test {
namespace {

QString Lines(int count)
{
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines << (i % 2 ? QStringLiteral("\tNOP") : QStringLiteral("; note"));
    return lines.join(QLatin1Char('\n'));
}

TEST(SyntaxSweep, CaretLineUpToTheFirstThenDownFromTheCaret)
{
    twtest::EnsureEditorApplication();
    QList<int> order;
    int caret = 5;
    TSyntaxSweep sweep({[&] { return caret; }, [] { return 8; }, [&](int line) { order << line; }}, nullptr);
    EXPECT_TRUE(sweep.StartChkSyntax());
    EXPECT_FALSE(sweep.StartChkSyntax()) << "one sweep at a time";
    ASSERT_TRUE(twtest::ProcessUntil([&] { return !sweep.Running(); }));
    EXPECT_EQ(order, (QList<int>{5, 4, 3, 2, 1, 6, 7, 8}));

    // The downward pass starts below wherever the caret is by then.
    order.clear();
    caret = 3;
    sweep.StartChkSyntax();
    while (sweep.Running()) {
        QCoreApplication::processEvents();
        if (order.size() == 1)
            caret = 6;
    }
    EXPECT_EQ(order, (QList<int>{3, 2, 1, 7, 8}));
}

TEST(SyntaxSweep, StopsBeforeItsNextLine)
{
    twtest::EnsureEditorApplication();
    QList<int> order;
    TSyntaxSweep* self = nullptr;
    TSyntaxSweep sweep({[] { return 5; }, [] { return 8; },
                        [&](int line) {
                            order << line;
                            if (line == 3)
                                self->StopChkSyntax();
                        }},
                       nullptr);
    self = &sweep;
    sweep.StartChkSyntax();
    for (int turn = 0; turn < 50; ++turn)
        QCoreApplication::processEvents();
    EXPECT_FALSE(sweep.Running());
    EXPECT_EQ(order, (QList<int>{5, 4, 3}));
}

TEST(SourceWindowSweep, OrderFromTheCaretAndPicturesOfEveryLine)
{
    auto window = twtest::OpenSource(Lines(8));
    twtest::PlaceCaret(*window, 4, 0);
    QList<int> order;
    QObject::connect(window.get(), &TMDIChild::LineSwept, [&](int line) { order << line; });
    EXPECT_TRUE(window->TimerSyntaxStart) << "loading asks for the first sweep";
    twtest::RunSweep(*window);
    EXPECT_FALSE(window->TimerSyntaxStart);
    EXPECT_EQ(order, (QList<int>{5, 4, 3, 2, 1, 6, 7, 8}));
    for (int line = 0; line < 8; ++line)
        EXPECT_EQ(window->GutterImage(line), line % 2 ? PictureNoInstruction : PictureInstruction) << line;
}

TEST(SourceWindowSweep, OnlyAChangeInTheNumberOfLinesAsksForOne)
{
    auto window = twtest::OpenSource(Lines(8));
    twtest::RunSweep(*window);
    twtest::PlaceCaret(*window, 1, 0);
    twtest::Type(window->RVE, "x");
    EXPECT_FALSE(window->TimerSyntaxStart);
    twtest::Type(window->RVE, "\n");
    EXPECT_TRUE(window->TimerSyntaxStart);
}

TEST(SourceWindowSweep, ALineAddedMidSweepStopsItAndTheTimerStartsAnother)
{
    auto window = twtest::OpenSource(Lines(8));
    twtest::PlaceCaret(*window, 4, 0);
    QList<int> order;
    bool added = false;
    QObject::connect(window.get(), &TMDIChild::LineSwept, [&](int line) {
        order << line;
        if (line == 3 && !std::exchange(added, true))
            QTextCursor(window->RVE->document()).insertText("\tNOP\n");
    });
    window->TimerSyntaxTimer();
    for (int turn = 0; turn < 50; ++turn)
        QCoreApplication::processEvents();
    EXPECT_EQ(order, (QList<int>{5, 4, 3}));
    EXPECT_FALSE(window->Sweep().Running());
    EXPECT_TRUE(window->TimerSyntaxStart);

    // The caret went down with the new line: the next sweep starts there.
    order.clear();
    twtest::RunSweep(*window);
    EXPECT_EQ(order, (QList<int>{6, 5, 4, 3, 2, 1, 7, 8, 9}));
    EXPECT_EQ(window->GutterImage(0), PictureInstruction);
    EXPECT_EQ(window->GutterImage(1), PictureInstruction);
}

TEST(SourceWindowSweep, TheWindowClosedMidSweep)
{
    auto window = twtest::OpenSource(Lines(200));
    twtest::PlaceCaret(*window, 100, 0);
    int swept = 0;
    QObject::connect(window.get(), &TMDIChild::LineSwept, [&](int) { ++swept; });
    window->TimerSyntaxTimer();
    ASSERT_TRUE(twtest::ProcessUntil([&] { return swept >= 10; }));
    ASSERT_TRUE(window->Sweep().Running());
    window.reset();
    for (int turn = 0; turn < 50; ++turn)
        QCoreApplication::processEvents();
    EXPECT_LT(swept, 200);
}

TEST(SourceWindowSweep, TheWindowDeletedLaterMidSweep)
{
    auto window = twtest::OpenSource(Lines(200));
    int swept = 0;
    QObject::connect(window.get(), &TMDIChild::LineSwept, [&](int) { ++swept; });
    window->TimerSyntaxTimer();
    ASSERT_TRUE(twtest::ProcessUntil([&] { return swept >= 10; }));
    QPointer<TMDIChild> gone(window.release());
    gone->deleteLater();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(gone.isNull());
    const int atDeletion = swept;
    for (int turn = 0; turn < 50; ++turn)
        QCoreApplication::processEvents();
    EXPECT_EQ(swept, atDeletion);
}

} // namespace

} // namespace sweep_test
