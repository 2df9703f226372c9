// The workbench window: its palette, placing, dragging, stacking and deleting
// devices, the popup's rules, mouse actions reaching devices during a run,
// and the redraw while a run lasts.
#include <cmath>

#include <QAction>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QMenu>
#include <QScrollArea>

#include <gtest/gtest.h>

#include "workbench_fixture.h"

namespace workbench_window_test {
namespace {

using twtest::WorkbenchTest;

using TakeEvents = int (*)(TDevice*, char*, int);
using CallbackCount = int (*)(TDevice*, int);
using LiveDevices = int (*)();
using SetOutputLevel = void (*)(TDevice*, float);

std::string Events(const twtest::LoadedLibrary& library, TDevice* device)
{
    char buffer[1024] = {};
    const auto take = library.hook<TakeEvents>("devlib_mouse_takeEvents");
    EXPECT_NE(take, nullptr);
    if (take)
        take(device, buffer, int(sizeof buffer));
    return buffer;
}

TEST_F(WorkbenchTest, ThePaletteHoldsThePointerThenOneToolPerPeripheralLibrary)
{
    EXPECT_EQ(workbench->btnPnlPointer->text(), "Poiner");
    EXPECT_EQ(workbench->btnPnlPointer->toolTip(), "Poiner");
    EXPECT_TRUE(workbench->btnPnlPointer->isChecked());
    EXPECT_FALSE(workbench->PlacementMode());
    EXPECT_EQ(workbench->PageScroller1->height(), 49);

    struct Tool {
        int infoIndex;
        QString caption, hint;
    };
    const Tool expected[] = {
        {basic, "Test probes BASIC", "Four-pin probe"},
        {input, "Test inputs INPUT", "One-pin input"},
        {mouse, "Test buttons MOUSE", "Push button"},
        {output, "Test outputs OUTPUT", "One-pin output"},
    };
    const auto& buttons = workbench->PaletteButtons();
    ASSERT_EQ(buttons.size(), std::size(expected));
    int previousRight = workbench->btnPnlPointer->geometry().right();
    for (std::size_t index = 0; index < buttons.size(); ++index) {
        SCOPED_TRACE(expected[index].caption.toStdString());
        EXPECT_EQ(buttons[index]->property("infoIndex").toInt(), expected[index].infoIndex);
        EXPECT_EQ(buttons[index]->text(), expected[index].caption);
        EXPECT_EQ(buttons[index]->toolTip(), expected[index].hint);
        EXPECT_TRUE(buttons[index]->isCheckable());
        EXPECT_FALSE(buttons[index]->isChecked());
        EXPECT_EQ(buttons[index]->size(), QSize(39, 38));
        // With the library's icon or a drawn one: never a blank button.
        EXPECT_FALSE(buttons[index]->icon().isNull());
        // Left to right in palette order, after the pointer.
        EXPECT_GT(buttons[index]->geometry().left(), previousRight);
        previousRight = buttons[index]->geometry().right();
    }
}

TEST(WorkbenchPaletteTest, AMicrocontrollerLibraryFirstLeavesThePointerAlone)
{
    twtest::EnsureApplication();
    twtest::ProgramFolder folder;
    folder.place("devlib_chip", "a.so");
    folder.place("devlib_output", "b.so");
    TDeviceHost host;
    twtest::Search(host, folder);
    ASSERT_EQ(host.InfoDevices().size(), 2u);
    ASSERT_EQ(host.InfoDevices()[0]->vType, 0);
    TfrmChildComp workbench(host);
    EXPECT_TRUE(workbench.PaletteButtons().empty());
}

TEST_F(WorkbenchTest, APlacementPutsTheCornerAtThePressPointAndReturnsToThePointer)
{
    QToolButton* tool = workbench->PaletteButtons()[std::size_t(output)];
    tool->click();
    EXPECT_TRUE(workbench->PlacementMode());
    EXPECT_FALSE(workbench->btnPnlPointer->isChecked());
    // Presses anywhere reach the window: the pictures let them through.
    EXPECT_FALSE(ViewOf(0)->isEnabled());
    EXPECT_TRUE(ViewOf(0)->testAttribute(Qt::WA_TransparentForMouseEvents));

    Send(workbench->Canvas(), QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, QPoint(200, 150));
    ASSERT_EQ(host->Devices().length(), 2);
    EXPECT_EQ(PictureOf(1).Position, QPoint(200, 150));
    EXPECT_EQ(ViewOf(1)->geometry(), QRect(200, 150, 24, 16));
    EXPECT_EQ(ViewOf(1)->parentWidget(), workbench->Canvas());
    EXPECT_TRUE(window.modified);
    EXPECT_TRUE(workbench->btnPnlPointer->isChecked());
    EXPECT_FALSE(tool->isChecked());
    EXPECT_FALSE(workbench->PlacementMode());
    EXPECT_TRUE(ViewOf(0)->isEnabled());
    EXPECT_TRUE(ViewOf(1)->isEnabled());

    // With the pointer, a press on the background places nothing.
    Send(workbench->Canvas(), QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, QPoint(300, 150));
    EXPECT_EQ(host->Devices().length(), 2);
}

TEST_F(WorkbenchTest, OtherWaysBackToThePointerPlaceNothing)
{
    QToolButton* tool = workbench->PaletteButtons()[std::size_t(basic)];
    // Another button of the background: no device, pointer again.
    tool->click();
    workbench->FormMouseDown(Qt::RightButton, 200, 150);
    EXPECT_FALSE(workbench->PlacementMode());
    EXPECT_TRUE(workbench->btnPnlPointer->isChecked());

    // The pressed palette button clicked again releases it.
    tool->click();
    tool->click();
    EXPECT_FALSE(workbench->PlacementMode());
    EXPECT_TRUE(workbench->btnPnlPointer->isChecked());

    // The pointer button, even while already pressed, stays pressed.
    tool->click();
    workbench->btnPnlPointer->click();
    EXPECT_FALSE(workbench->PlacementMode());
    EXPECT_TRUE(workbench->btnPnlPointer->isChecked());
    workbench->btnPnlPointer->click();
    EXPECT_TRUE(workbench->btnPnlPointer->isChecked());

    // One palette button at a time.
    tool->click();
    workbench->PaletteButtons()[std::size_t(mouse)]->click();
    EXPECT_FALSE(tool->isChecked());
    workbench->FormMouseDown(Qt::LeftButton, 10, 60);
    ASSERT_EQ(host->Devices().length(), 2);
    EXPECT_EQ(host->Devices()[1]->RCFamily().view(), "MOUSE");

    EXPECT_EQ(host->Devices().length(), 2);
    EXPECT_TRUE(window.messages.isEmpty());
}

TEST_F(WorkbenchTest, DraggingMovesThePictureWithinTheLimitsAndMarksTheProject)
{
    const int device = Place(output, 200, 150);
    window.modified = false;

    Drag(device, QPoint(5, 5), QPoint(25, 15));
    EXPECT_EQ(PictureOf(device).Position, QPoint(220, 160));
    EXPECT_EQ(ViewOf(device)->pos(), QPoint(220, 160));
    EXPECT_TRUE(window.modified);

    // Up and left past the edges: it stops at left 0 and top 48.
    Drag(device, QPoint(5, 5), QPoint(-400, -400));
    EXPECT_EQ(PictureOf(device).Position, QPoint(0, 48));

    // Far right and down: no limit there, the window scrolls to it.
    Drag(device, QPoint(5, 5), QPoint(1505, 1205));
    EXPECT_EQ(PictureOf(device).Position, QPoint(1500, 1248));
    EXPECT_GE(workbench->Canvas()->width(), 1500 + 24);
    EXPECT_GE(workbench->Canvas()->height(), 1248 + 16);

    // Moving without the left button held moves nothing.
    window.modified = false;
    Send(ViewOf(device), QEvent::MouseMove, Qt::NoButton, Qt::NoButton, QPoint(20, 20));
    Send(ViewOf(device), QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton, QPoint(5, 5));
    Send(ViewOf(device), QEvent::MouseMove, Qt::NoButton, Qt::RightButton, QPoint(20, 20));
    EXPECT_EQ(PictureOf(device).Position, QPoint(1500, 1248));
    // The right press alone marks the project (the popup is about to open).
    EXPECT_TRUE(window.modified);
    EXPECT_EQ(host->ClickedImage, &PictureOf(device));
}

TEST_F(WorkbenchTest, ThePopupEnablesWhatTheDeviceAndTheRunAllow)
{
    const int probe = Place(basic, 100, 100);   // a settings callback
    const int button = Place(mouse, 200, 100);  // none
    struct Case {
        const char* name;
        int device;
        bool running;
        bool connect, settings, remove;
    };
    const Case cases[] = {
        {"chip at rest", 0, false, false, true, false},
        {"chip running", 0, true, false, false, false},
        {"probe at rest", probe, false, true, true, true},
        {"probe running", probe, true, false, false, false},
        {"button at rest", button, false, true, false, true},
        {"button running", button, true, false, false, false},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        window.running = test.running;
        workbench->Image1ContextPopup(PictureOf(test.device));
        EXPECT_EQ(host->ClickedImage, &PictureOf(test.device));
        EXPECT_EQ(workbench->mnuPopupSetupPorts->isEnabled(), test.connect);
        EXPECT_EQ(workbench->mnuPopupSettings->isEnabled(), test.settings);
        EXPECT_EQ(workbench->mnuPopupDelete->isEnabled(), test.remove);
        EXPECT_TRUE(workbench->mnuPopupBringToFront->isEnabled());
        EXPECT_TRUE(workbench->mnuPopupSendToBack->isEnabled());
    }

    const QList<QAction*> items = workbench->PopupMenu->actions();
    ASSERT_EQ(items.size(), 6);
    EXPECT_EQ(items[0]->text(), "Connect pins...");
    EXPECT_EQ(items[1]->text(), "Settings...");
    EXPECT_TRUE(items[2]->isSeparator());
    EXPECT_EQ(items[3]->text(), "Bring to Front");
    EXPECT_EQ(items[4]->text(), "Send to Back");
    EXPECT_EQ(items[5]->text(), "Delete");
    EXPECT_EQ(workbench->PopupMenu->defaultAction(), items[0]);
    for (QAction* item : items)
        EXPECT_TRUE(item->isSeparator() || !item->icon().isNull()) << item->text().toStdString();
}

TEST_F(WorkbenchTest, SettingsReachOnlyADeviceThatHasThem)
{
    const int probe = Place(basic, 100, 100);
    const int button = Place(mouse, 200, 100);
    twtest::LoadedLibrary probes(folder.path("basic.quodev"));
    const auto count = probes.hook<CallbackCount>("devlib_basic_callbackCount");
    ASSERT_NE(count, nullptr);
    const int settingsShown = 2;

    host->ClickedImage = &PictureOf(probe);
    workbench->mnuPopupSettingsClick();
    EXPECT_EQ(count(host->Devices()[probe], settingsShown), 1);

    window.running = true;
    workbench->mnuPopupSettingsClick();
    EXPECT_EQ(count(host->Devices()[probe], settingsShown), 1);
    window.running = false;

    // The button has no settings callback: the command must not call one.
    host->ClickedImage = &PictureOf(button);
    workbench->mnuPopupSettingsClick();
    host->ClickedImage = nullptr;
    workbench->mnuPopupSettingsClick();
    EXPECT_EQ(count(host->Devices()[probe], settingsShown), 1);
}

TEST_F(WorkbenchTest, DeleteUnwiresFreesAndRetagsAndMarksTheProject)
{
    Place(output, 100, 100);
    const int doomed = Place(mouse, 200, 100);
    const int kept = Place(output, 300, 100);
    TNode* node = host->Nodes()[1];
    TRCPort* pin = host->Devices()[kept]->Port[0];
    node->Ports.resize(2);
    node->Ports[1] = pin;
    pin->Node = node;
    twtest::LoadedLibrary outputs(outputPath);
    twtest::LoadedLibrary buttons(mousePath);
    const auto setLevel = outputs.hook<SetOutputLevel>("devlib_output_setLevel");
    ASSERT_NE(setLevel, nullptr);
    setLevel(host->Devices()[kept], 4.5f);
    EXPECT_FLOAT_EQ(node->GetLevel(), 4.5f);

    // Refused for the chip and while running.
    host->ClickedImage = &PictureOf(0);
    workbench->mnuPopupDeleteClick();
    host->ClickedImage = &PictureOf(doomed);
    window.running = true;
    workbench->mnuPopupDeleteClick();
    window.running = false;
    ASSERT_EQ(host->Devices().length(), 4);

    window.modified = false;
    workbench->mnuPopupDeleteClick();
    ASSERT_EQ(host->Devices().length(), 3);
    EXPECT_TRUE(window.modified);
    EXPECT_EQ(host->ClickedImage, nullptr);
    for (int index = 0; index < 3; ++index)
        EXPECT_EQ(PictureOf(index).Tag, index);
    EXPECT_EQ(buttons.hook<LiveDevices>("devlib_mouse_liveDevices")(), 0);

    // The wired output, now tag 2: deleted, it no longer drives the node.
    host->ClickedImage = &PictureOf(2);
    workbench->mnuPopupDeleteClick();
    ASSERT_EQ(host->Devices().length(), 2);
    EXPECT_TRUE(std::isnan(node->GetLevel()));
    ASSERT_EQ(node->Ports.length(), 1);
    EXPECT_EQ(node->Ports[0], host->Devices()[0]->Port[1]);
    EXPECT_EQ(outputs.hook<LiveDevices>("devlib_output_liveDevices")(), 1);
    // Nothing more was freed than the pictures of the deleted devices.
    EXPECT_NE(ViewOf(1), nullptr);
    EXPECT_EQ(workbench->Canvas()->findChildren<TDeviceImageView*>().size(), 2);
}

TEST_F(WorkbenchTest, BringToFrontAndSendToBackRestackPicturesUnderThePalette)
{
    const int first = Place(output, 100, 20);
    const int second = Place(output, 110, 25);
    const QPoint overlap(115, 30);

    host->ClickedImage = &PictureOf(first);
    workbench->mnuPopupBringToFrontClick();
    EXPECT_EQ(workbench->Canvas()->childAt(overlap), ViewOf(first));
    workbench->mnuPopupSendToBackClick();
    EXPECT_EQ(workbench->Canvas()->childAt(overlap), ViewOf(second));

    // Whatever lies under the strip, the strip is what the user sees there.
    host->ClickedImage = &PictureOf(second);
    workbench->mnuPopupBringToFrontClick();
    QWidget* top = workbench->ScrollArea()->viewport()->childAt(overlap);
    ASSERT_NE(top, nullptr);
    EXPECT_TRUE(top == workbench->PageScroller1 || workbench->PageScroller1->isAncestorOf(top));
}

TEST_F(WorkbenchTest, MouseActionsReachTheDeviceWhileRunningWithTheShiftWord)
{
    const int device = Place(mouse, 100, 100);
    twtest::LoadedLibrary buttons(mousePath);
    TDevice* key = host->Devices()[device];
    QWidget* view = ViewOf(device);
    window.running = true;
    window.modified = false;

    Send(view, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, QPoint(3, 4), Qt::ShiftModifier);
    Send(view, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, QPoint(5, 6), Qt::ShiftModifier);
    Send(view, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, QPoint(5, 6), Qt::ShiftModifier);
    EXPECT_EQ(Events(buttons, key), "down 0 9 3 4;move 9 5 6;click;up 0 1 5 6");
    EXPECT_EQ(PictureOf(device).Position, QPoint(100, 100));
    EXPECT_EQ(host->ClickedImage, &PictureOf(device));

    // A double click as Qt delivers it: the second press comes as the
    // double click, and its release is no click.
    Send(view, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, QPoint(1, 1));
    Send(view, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, QPoint(1, 1));
    Send(view, QEvent::MouseButtonDblClick, Qt::LeftButton, Qt::LeftButton, QPoint(1, 1));
    Send(view, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, QPoint(1, 1));
    EXPECT_EQ(Events(buttons, key), "down 0 8 1 1;click;up 0 0 1 1;dblclick;down 0 72 1 1;up 0 0 1 1");

    // The other buttons and keys; a release outside the picture is no click.
    Send(view, QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton, QPoint(2, 2), Qt::ControlModifier);
    Send(view, QEvent::MouseButtonPress, Qt::MiddleButton, Qt::RightButton | Qt::MiddleButton, QPoint(2, 2),
         Qt::AltModifier);
    Send(view, QEvent::MouseButtonRelease, Qt::MiddleButton, Qt::RightButton, QPoint(2, 2));
    Send(view, QEvent::MouseButtonRelease, Qt::RightButton, Qt::NoButton, QPoint(2, 2));
    Send(view, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, QPoint(2, 2));
    Send(view, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, QPoint(90, 2));
    EXPECT_EQ(Events(buttons, key),
              "down 1 20 2 2;down 2 50 2 2;up 2 16 2 2;up 1 0 2 2;down 0 8 2 2;up 0 0 90 2");
    EXPECT_FALSE(window.modified);

    // At rest the same actions drag the picture and reach no callback.
    window.running = false;
    Send(view, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, QPoint(3, 4));
    Send(view, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, QPoint(13, 4));
    Send(view, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, QPoint(3, 4));
    EXPECT_EQ(Events(buttons, key), "");
    EXPECT_EQ(PictureOf(device).Position, QPoint(110, 100));
}

TEST_F(WorkbenchTest, ADoubleClickAtRestMarksTheProjectAndWiresPeripheralsOnly)
{
    const int device = Place(output, 100, 100);
    int dialogs = 0;
    int shownDevice = -1;
    const TModalRunner previous = SetModalRunner([&](QDialog&) {
        ++dialogs;
        shownDevice = host->SelectedDeviceIndex;
        return int(QDialog::Rejected);
    });

    window.modified = false;
    Send(ViewOf(0), QEvent::MouseButtonDblClick, Qt::LeftButton, Qt::LeftButton, QPoint(1, 1));
    EXPECT_TRUE(window.modified);
    EXPECT_EQ(dialogs, 0);

    Send(ViewOf(device), QEvent::MouseButtonDblClick, Qt::LeftButton, Qt::LeftButton, QPoint(1, 1));
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(shownDevice, device);

    // Not while running, from the menu either.
    window.running = true;
    host->ClickedImage = &PictureOf(device);
    workbench->mnuPopupSetupPortsClick();
    EXPECT_EQ(dialogs, 1);
    SetModalRunner(previous);
}

TEST_F(WorkbenchTest, TheRedrawDrawsOnceAtRestAndStopsWhenTheRunEnds)
{
    const int device = Place(output, 100, 100);
    const QImage& picture = PictureOf(device).Image;
    EXPECT_EQ(picture.pixelColor(1, 1), QColor(Qt::yellow));

    // The run has already ended: the first tick draws all the same.
    window.running = false;
    workbench->RunRefresh();
    EXPECT_TRUE(workbench->RedrawActive());
    workbench->RedrawTick();
    EXPECT_EQ(picture.pixelColor(1, 1), QColor(Qt::cyan));
    EXPECT_FALSE(workbench->RedrawActive());

    // While it runs the redraw goes on; it stops after the run's end.
    window.running = true;
    workbench->RunRefresh();
    workbench->RedrawTick();
    EXPECT_TRUE(workbench->RedrawActive());
    window.running = false;
    QElapsedTimer patience;
    patience.start();
    while (workbench->RedrawActive() && patience.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_FALSE(workbench->RedrawActive());
}

TEST_F(WorkbenchTest, TheRedrawDrawsOnlyWhatIsStillThereAndDiesWithTheWindow)
{
    const int first = Place(output, 100, 100);
    Place(output, 200, 100);
    window.running = true;
    workbench->RunRefresh();
    workbench->RedrawTick();
    window.running = false;
    host->ClickedImage = &PictureOf(first);
    workbench->mnuPopupDeleteClick();
    window.running = true;
    workbench->RedrawTick();
    EXPECT_EQ(host->Devices().length(), 2);

    // The window goes during a run: nothing is left to tick.
    workbench.reset();
    for (int pass = 0; pass < 5; ++pass)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    window.running = false;
    EXPECT_EQ(host->Picture(1)->View.data(), nullptr);
}

TEST_F(WorkbenchTest, ClosingOnlyMinimisesTheWindow)
{
    QMdiArea area;
    workbench.release()->deleteLater();
    TfrmChildComp* window = CreateWorkbenchWindow(&area, *host);
    EXPECT_EQ(window->windowTitle(), "Devices editor");
    EXPECT_EQ(window->geometry(), QRect(20, 0, 740, 380));
    // The chip made before the window has its picture on it.
    EXPECT_NE(ViewOf(0), nullptr);
    EXPECT_EQ(ViewOf(0)->parentWidget(), window->Canvas());
    EXPECT_EQ(ViewOf(0)->pos(), QPoint(30, 50));

    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isMinimized());
    EXPECT_EQ(area.subWindowList().size(), 1);
}

} // namespace

} // namespace workbench_window_test
