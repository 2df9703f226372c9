#include "ide/main/delta_break_point.h"

#include <QMouseEvent>
#include <QPainter>

TDeltaBreakPoint::TDeltaBreakPoint(QWidget* parent)
    : QWidget(parent)
{
}

void TDeltaBreakPoint::setBPDelta(bool value)
{
    FBPDelta = value;
    Draw();
}

void TDeltaBreakPoint::setBPGreenDelta(bool value)
{
    FBPGreenDelta = value;
    Draw();
}

void TDeltaBreakPoint::setBPinWork(bool value)
{
    FBPinWork = value;
    Draw();
}

QColor TDeltaBreakPoint::RedColour()
{
    return QColor(255, 0, 0);
}

QColor TDeltaBreakPoint::GreenColour()
{
    return QColor(0, 128, 0);
}

// A white picture with, for a set breakpoint, a filled circle as wide as the
// marker whose top lies 5 pixels below the marker's top.
void TDeltaBreakPoint::Draw()
{
    const int state = !FBPDelta ? 0 : (FBPGreenDelta ? 2 : 1);
    if (!canvas_.isNull() && canvas_.size() == size() && state == drawnState_)
        return;
    drawnState_ = state;
    canvas_ = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    canvas_.fill(Qt::white);
    if (state != 0) {
        QPainter painter(&canvas_);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(Qt::white, 1));
        painter.setBrush(state == 2 ? GreenColour() : RedColour());
        const qreal width = canvas_.width();
        painter.drawEllipse(QRectF(0.5, 5.5, width - 1, width - 1));
    }
    update();
}

void TDeltaBreakPoint::Click()
{
    if (FBPDelta) {
        FBPDelta = !FBPGreenDelta;
        FBPGreenDelta = !FBPGreenDelta;
    } else {
        FBPDelta = true;
        FBPGreenDelta = false;
    }
    emit Clicked();
    Draw();
}

void TDeltaBreakPoint::paintEvent(QPaintEvent*)
{
    if (canvas_.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(0, 0, canvas_);
}

void TDeltaBreakPoint::mousePressEvent(QMouseEvent* event)
{
    pressed_ = event->button() == Qt::LeftButton;
}

void TDeltaBreakPoint::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    if (click)
        Click();
}
