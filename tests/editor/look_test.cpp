// The source window inside the main window, as a user sees it: every kind
// of token, a breakpoint, the executing line and an error mark. With
// TW_LOOK_PNG set the picture is written there; with TW_LOOK_WAIT_MS the
// window stays up that long (for a screenshot of a real display).
#include <QElapsedTimer>
#include <QMdiArea>
#include <QTextBlock>

#include "editor_fixture.h"
#include "ide/asm/gutter_pictures.h"
#include "ide/main/main_form.h"

namespace look_test {
namespace {

const QString Sample = QString::fromUtf8(
    "; Blink an LED on GP0 (every kind of token)\n"
    "COUNT\tEQU 0x10\t\t; a constant\n"
    "DELAY EQU 200\n"
    "MASK  EQU 1010B\n"
    "LIMIT EQU 0FFH\n"
    "\n"
    "start:\tMOVLW MASK\n"
    "\tTRIS 6\n"
    "loop:\tBSF 6,0\t\t; LED on\n"
    "\tCALL wait\n"
    "\tBCF 6,0\n"
    "\tMOVF COUNT,W\n"
    "\tDECFSZ COUNT,F\n"
    "\tGOTO loop\n"
    "wait:\tMOVLW DELAY\n"
    "\tMOVWF COUNT\n"
    "\tRETLW 1234567\t; seven digits: a fault\n"
    "1bad: NOP\n"
    "Счёт_1: CLRW\n"
    "\tGOTO start\n");

TEST(Look, TheSourceWindowInTheMainWindow)
{
    twtest::EnsureEditorApplication();
    TDeviceHost host;
    TMainForm form(host);
    form.resize(1000, 760);
    form.show();
    TMDIChild* window = CreateSourceWindow(form.MdiArea(), Sample);
    window->setGeometry(0, 0, 620, 560);
    twtest::RunSweep(*window);
    ASSERT_TRUE(window->ToggleBreakpoint(8));
    ASSERT_TRUE(window->ToggleBreakpoint(12));
    window->SetExecutingLineSource([] { return 13; });
    window->StartExecutingMarker();
    window->MarkError(13, 6, 4);
    QCoreApplication::processEvents();

    const QImage picture = form.grab().toImage();
    if (const QByteArray path = qgetenv("TW_LOOK_PNG"); !path.isEmpty())
        picture.save(QString::fromLocal8Bit(path));
    if (const int wait = qEnvironmentVariableIntValue("TW_LOOK_WAIT_MS"); wait > 0) {
        QElapsedTimer shown;
        shown.start();
        while (shown.elapsed() < wait)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }

    // The breakpoint's disc and the arrow show beside their lines.
    auto middleOfPicture = [&](int line) {
        const QRect rect = window->RVbp->PictureRect(line);
        return window->RVbp->grab().toImage().pixelColor(rect.center());
    };
    EXPECT_GT(middleOfPicture(8).red(), 180);
    EXPECT_LT(middleOfPicture(8).green(), 80);
    EXPECT_GT(middleOfPicture(12).blue(), 150);
    EXPECT_LT(middleOfPicture(12).red(), 80);
    EXPECT_EQ(window->GutterImage(12), PictureExecutingBreakpoint);
    EXPECT_EQ(window->GutterImage(0), PictureNoInstruction);
    // Closing the sub-window only puts it aside.
    window->close();
    EXPECT_TRUE(form.MdiArea()->subWindowList().contains(window));
}

} // namespace

} // namespace look_test
