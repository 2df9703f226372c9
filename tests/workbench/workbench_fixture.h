#pragma once

// A project on the workbench: the test chip as element 0 with its nodes, the
// peripheral test libraries on the palette, and the window under test.
#include <memory>
#include <string>

#include <QCoreApplication>
#include <QMouseEvent>
#include <QToolButton>

#include "host_fixture.h"
#include "ide/workbench/device_image_view.h"
#include "ide/workbench/pin_wiring_dialog.h"
#include "ide/workbench/workbench_window.h"

namespace twtest {

class WorkbenchTest : public testing::Test {
protected:
    void SetUp() override
    {
        EnsureApplication();
        parent = std::make_unique<QWidget>();
        window.parent = parent.get();
        folder.place("devlib_basic", "basic.quodev");
        folder.place("devlib_input", "input.quodev");
        mousePath = folder.place("devlib_mouse", "mouse.quodev");
        outputPath = folder.place("devlib_output", "output.quodev");
        chipPath = folder.place("devlib_chip", "mcu/chip.so");
        host = std::make_unique<TDeviceHost>();
        host->SetMainWindow(&window);
        Search(*host, folder);
        basic = InfoIndexOf(*host, "Test probes");
        input = InfoIndexOf(*host, "Test inputs");
        mouse = InfoIndexOf(*host, "Test buttons");
        output = InfoIndexOf(*host, "Test outputs");
        chip = InfoIndexOf(*host, "Test chips");
        ASSERT_TRUE(basic >= 0 && input >= 0 && mouse >= 0 && output >= 0 && chip >= 0);
        ASSERT_NE(host->CreateDevice(chip, nullptr, 30, 50), nullptr);
        ASSERT_TRUE(host->CreateNodesForDevice(0));
        workbench = std::make_unique<TfrmChildComp>(*host);
        workbench->show();
    }

    void TearDown() override
    {
        workbench.reset();
        host.reset();
    }

    // A peripheral placed with the palette at (x, y); its index in Devices.
    int Place(int infoIndex, int x, int y)
    {
        for (QToolButton* button : workbench->PaletteButtons())
            if (button->property("infoIndex").toInt() == infoIndex) {
                button->click();
                break;
            }
        workbench->FormMouseDown(Qt::LeftButton, x, y);
        return host->Devices().length() - 1;
    }

    TDevicePicture& PictureOf(int deviceIndex) { return *host->Picture(deviceIndex); }
    QWidget* ViewOf(int deviceIndex) { return host->Picture(deviceIndex)->View.data(); }

    static void Send(QWidget* target, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons,
                     QPoint at, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QMouseEvent event(type, QPointF(at), QPointF(target->mapToGlobal(at)), button, buttons, modifiers);
        QCoreApplication::sendEvent(target, &event);
    }

    // A left-button drag of a picture from `from` to `to`, picture coordinates
    // as Qt reports them while the picture follows the pointer.
    void Drag(int deviceIndex, QPoint from, QPoint to)
    {
        QWidget* view = ViewOf(deviceIndex);
        Send(view, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, from);
        const QPoint startPosition = view->pos();
        Send(view, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, to - (view->pos() - startPosition));
        Send(view, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, to - (view->pos() - startPosition));
    }

    ProgramFolder folder;
    RecordingMainWindow window;
    std::unique_ptr<QWidget> parent;
    std::unique_ptr<TDeviceHost> host;
    std::unique_ptr<TfrmChildComp> workbench;
    QString mousePath, outputPath, chipPath;
    int basic = -1, input = -1, mouse = -1, output = -1, chip = -1;
};

} // namespace twtest
