#include "ide/workbench/device_image_view.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

#include "ide/workbench/device_host.h"
#include "ide/workbench/workbench_window.h"

TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons)
{
    TShiftState shift = 0;
    if (modifiers & Qt::ShiftModifier)
        shift |= ssShift;
    if (modifiers & Qt::AltModifier)
        shift |= ssAlt;
    if (modifiers & Qt::ControlModifier)
        shift |= ssCtrl;
    if (buttons & Qt::LeftButton)
        shift |= ssLeft;
    if (buttons & Qt::RightButton)
        shift |= ssRight;
    if (buttons & Qt::MiddleButton)
        shift |= ssMiddle;
    return shift;
}

bool MouseButtonOf(Qt::MouseButton button, TMouseButton& result)
{
    switch (button) {
    case Qt::LeftButton:
        result = mbLeft;
        return true;
    case Qt::RightButton:
        result = mbRight;
        return true;
    case Qt::MiddleButton:
        result = mbMiddle;
        return true;
    default:
        return false;
    }
}

TDeviceImageView::TDeviceImageView(TfrmChildComp& workbench, TDevicePicture& picture, QWidget* parent)
    : QWidget(parent)
    , workbench_(workbench)
    , picture_(picture)
{
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
}

void TDeviceImageView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, picture_.Image);
}

void TDeviceImageView::mousePressEvent(QMouseEvent* event)
{
    TMouseButton button;
    if (!MouseButtonOf(event->button(), button))
        return;
    clickPending_ = button == mbLeft;
    const QPoint at = event->position().toPoint();
    workbench_.DeviceImageMouseDown(picture_, button, ShiftStateOf(event->modifiers(), event->buttons()), at.x(),
                                    at.y());
}

void TDeviceImageView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    workbench_.DeviceImageMouseMove(picture_, ShiftStateOf(event->modifiers(), event->buttons()), at.x(), at.y());
}

void TDeviceImageView::mouseReleaseEvent(QMouseEvent* event)
{
    TMouseButton button;
    if (!MouseButtonOf(event->button(), button))
        return;
    const QPoint at = event->position().toPoint();
    // A handler may free this picture (a library's dialog, a dragged-out
    // device); nothing here is touched after it is gone.
    const QPointer<TDeviceImageView> self(this);
    if (button == mbLeft && std::exchange(clickPending_, false) && rect().contains(at)) {
        workbench_.DeviceImageClick(picture_);
        if (!self)
            return;
    }
    workbench_.DeviceImageMouseUp(picture_, button, ShiftStateOf(event->modifiers(), event->buttons()), at.x(),
                                  at.y());
}

void TDeviceImageView::mouseDoubleClickEvent(QMouseEvent* event)
{
    TMouseButton button;
    if (!MouseButtonOf(event->button(), button))
        return;
    clickPending_ = false;
    const QPoint at = event->position().toPoint();
    const TShiftState shift = ShiftStateOf(event->modifiers(), event->buttons());
    const QPointer<TDeviceImageView> self(this);
    if (button == mbLeft) {
        workbench_.DeviceImageDblClick(picture_);
        if (!self)
            return;
    }
    workbench_.DeviceImageMouseDown(picture_, button, TShiftState(shift | ssDouble), at.x(), at.y());
}

void TDeviceImageView::contextMenuEvent(QContextMenuEvent* event)
{
    workbench_.Image1ContextPopup(picture_, event->globalPos());
}
