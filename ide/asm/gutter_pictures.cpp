#include "ide/asm/gutter_pictures.h"

#include <array>

#include <QPainter>
#include <QPainterPath>

namespace {

const QColor DiscRed(220, 30, 30);
const QColor DiscRim(150, 0, 0);
const QColor RingGrey(150, 150, 150);
const QColor TickGreen(0, 150, 0);
const QColor FaintCross(200, 200, 200);
const QColor ArrowBlue(20, 60, 220);
const QColor ArrowRim(0, 20, 120);

void DrawDisc(QPainter& painter)
{
    painter.setPen(QPen(DiscRim, 0.8));
    painter.setBrush(DiscRed);
    painter.drawEllipse(QRectF(1.5, 1.5, 9, 9));
}

void DrawRing(QPainter& painter)
{
    painter.setPen(QPen(RingGrey, 1.2));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QRectF(1.5, 1.5, 9, 9));
}

// A right-pointing arrow; over a disc it is slimmer and outlined in white,
// so the disc still shows around it.
void DrawArrow(QPainter& painter, bool overDisc)
{
    const qreal shaft = overDisc ? 1.3 : 2.0;
    const qreal head = overDisc ? 3.6 : 5.0;
    QPainterPath arrow;
    arrow.moveTo(0.5, 6.0 - shaft);
    arrow.lineTo(6.0, 6.0 - shaft);
    arrow.lineTo(6.0, 6.0 - head);
    arrow.lineTo(11.5, 6.0);
    arrow.lineTo(6.0, 6.0 + head);
    arrow.lineTo(6.0, 6.0 + shaft);
    arrow.lineTo(0.5, 6.0 + shaft);
    arrow.closeSubpath();
    painter.setPen(QPen(overDisc ? QColor(Qt::white) : ArrowRim, 0.8));
    painter.setBrush(ArrowBlue);
    painter.drawPath(arrow);
}

} // namespace

QImage DrawGutterPicture(int index, int scale)
{
    if (index < 0 || index >= GutterPictureCount || scale < 1)
        return {};
    QImage image(GutterPictureSize * scale, GutterPictureSize * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(scale, scale);
    switch (index) {
    case PictureBreakpoint:
        DrawDisc(painter);
        break;
    case PictureCross:
        painter.setPen(QPen(DiscRed, 2.0, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(2.5, 2.5), QPointF(9.5, 9.5));
        painter.drawLine(QPointF(9.5, 2.5), QPointF(2.5, 9.5));
        break;
    case PictureInstruction:
        DrawRing(painter);
        painter.setPen(QPen(TickGreen, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPolyline(QPolygonF({QPointF(3.5, 6.0), QPointF(5.5, 8.2), QPointF(8.8, 3.8)}));
        break;
    case PictureNoInstruction:
        DrawRing(painter);
        painter.setPen(QPen(FaintCross, 1.0, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(4.2, 4.2), QPointF(7.8, 7.8));
        painter.drawLine(QPointF(7.8, 4.2), QPointF(4.2, 7.8));
        break;
    case PictureExecutingBreakpoint:
        DrawDisc(painter);
        DrawArrow(painter, true);
        break;
    case PictureExecuting:
        DrawArrow(painter, false);
        break;
    }
    return image;
}

const QImage& GutterPicture(int index)
{
    static const std::array<QImage, GutterPictureCount> pictures = [] {
        std::array<QImage, GutterPictureCount> drawn;
        for (int i = 0; i < GutterPictureCount; ++i)
            drawn[std::size_t(i)] = DrawGutterPicture(i);
        return drawn;
    }();
    static const QImage none;
    if (index < 0 || index >= GutterPictureCount)
        return none;
    return pictures[std::size_t(index)];
}
