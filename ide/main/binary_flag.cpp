#include "ide/main/binary_flag.h"

#include <QMouseEvent>
#include <QPainter>

TBinaryFlag::TBinaryFlag(QWidget* parent)
    : QWidget(parent)
{
}

void TBinaryFlag::setValue(bool value)
{
    FValue = value;
    Draw();
}

void TBinaryFlag::setDelta(bool delta)
{
    FDelta = delta;
    Draw();
}

QColor TBinaryFlag::FrameColour(bool delta, bool editable)
{
    if (delta)
        return QColor(255, 0, 0);
    return editable ? QColor(192, 192, 192) : QColor(128, 128, 128);
}

QColor TBinaryFlag::FillColour(bool value, bool editable)
{
    if (editable)
        return value ? QColor(0, 0, 0) : QColor(255, 255, 255);
    return value ? QColor(40, 40, 40) : QColor(230, 230, 230);
}

void TBinaryFlag::Draw()
{
    const QRgb frame = FrameColour(FDelta, FReadOnly).rgb();
    const QRgb fill = FillColour(FValue, FReadOnly).rgb();
    if (drawn_ && frame == drawnFrame_ && fill == drawnFill_)
        return;
    drawn_ = true;
    drawnFrame_ = frame;
    drawnFill_ = fill;
    update();
}

void TBinaryFlag::Click()
{
    if (FReadOnly)
        FValue = !FValue;
    Draw();
    if (FReadOnly)
        emit Clicked();
}

// One rectangle over the whole cell: the frame's colour on its edge, the
// fill's inside.
void TBinaryFlag::paintEvent(QPaintEvent*)
{
    if (!drawn_)
        return;
    QPainter painter(this);
    painter.fillRect(rect(), QColor(drawnFill_));
    painter.setPen(QColor(drawnFrame_));
    painter.drawRect(0, 0, width() - 1, height() - 1);
}

// A click is a press and a release of the left button over the cell; it acts
// on the release.
void TBinaryFlag::mousePressEvent(QMouseEvent* event)
{
    pressed_ = event->button() == Qt::LeftButton;
}

void TBinaryFlag::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    if (click)
        Click();
}
