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
    if (!canvas_.isNull() && canvas_.size() == size() && frame == drawnFrame_ && fill == drawnFill_)
        return;
    drawnFrame_ = frame;
    drawnFill_ = fill;
    canvas_ = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    canvas_.fill(fill);
    QPainter painter(&canvas_);
    painter.setPen(QColor(frame));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(0, 0, canvas_.width() - 1, canvas_.height() - 1);
    painter.end();
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

void TBinaryFlag::paintEvent(QPaintEvent*)
{
    if (canvas_.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(0, 0, canvas_);
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
