#include "ide/main/command_pictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

const QColor Outline(0x3a, 0x3f, 0x47);
const QColor Paper(0xff, 0xff, 0xff);
const QColor PaperShade(0xe4, 0xe8, 0xee);
const QColor FolderYellow(0xf2, 0xc1, 0x4e);
const QColor FolderShade(0xd9, 0x9e, 0x2b);
const QColor DiskBlue(0x2f, 0x6d, 0xb5);
const QColor TitleBlue(0x3b, 0x7d, 0xd8);
const QColor RunGreen(0x2e, 0xa0, 0x43);
const QColor StopRed(0xd2, 0x3b, 0x33);
const QColor PauseBlue(0x2f, 0x6d, 0xb5);
const QColor BoardBrown(0xa8, 0x6f, 0x3a);
const QColor SteelGrey(0x8a, 0x93, 0x9e);

QPen OutlinePen(qreal width = 1.0)
{
    return QPen(Outline, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A sheet of paper with its top right corner folded over.
void DrawPage(QPainter& painter, const QRectF& page)
{
    const qreal fold = 4;
    QPainterPath sheet;
    sheet.moveTo(page.topLeft());
    sheet.lineTo(page.right() - fold, page.top());
    sheet.lineTo(page.right(), page.top() + fold);
    sheet.lineTo(page.bottomRight());
    sheet.lineTo(page.bottomLeft());
    sheet.closeSubpath();
    painter.setPen(OutlinePen());
    painter.setBrush(Paper);
    painter.drawPath(sheet);
    QPainterPath corner;
    corner.moveTo(page.right() - fold, page.top());
    corner.lineTo(page.right() - fold, page.top() + fold);
    corner.lineTo(page.right(), page.top() + fold);
    painter.setBrush(PaperShade);
    painter.drawPath(corner);
}

void DrawTextLines(QPainter& painter, const QRectF& page, int lines)
{
    painter.setPen(QPen(SteelGrey, 1));
    for (int line = 0; line < lines; ++line) {
        const qreal y = page.top() + 5.5 + 2 * line;
        painter.drawLine(QPointF(page.left() + 2, y), QPointF(page.right() - 2, y));
    }
}

// A small window with a title bar.
void DrawWindow(QPainter& painter, const QRectF& frame)
{
    painter.setPen(OutlinePen());
    painter.setBrush(Paper);
    painter.drawRect(frame);
    painter.setPen(Qt::NoPen);
    painter.setBrush(TitleBlue);
    painter.drawRect(QRectF(frame.left() + 0.5, frame.top() + 0.5, frame.width() - 0.5, 2.5));
}

void DrawNew(QPainter& painter)
{
    DrawPage(painter, QRectF(3.5, 1.5, 9, 13));
    painter.setPen(QPen(FolderShade, 1.2));
    painter.drawLine(QPointF(12, 9), QPointF(12, 15));
    painter.drawLine(QPointF(9, 12), QPointF(15, 12));
}

void DrawOpen(QPainter& painter)
{
    painter.setPen(OutlinePen());
    painter.setBrush(FolderShade);
    QPainterPath back;
    back.moveTo(1.5, 13.5);
    back.lineTo(1.5, 3.5);
    back.lineTo(5.5, 3.5);
    back.lineTo(6.5, 5);
    back.lineTo(12.5, 5);
    back.lineTo(12.5, 13.5);
    back.closeSubpath();
    painter.drawPath(back);
    painter.setBrush(FolderYellow);
    QPainterPath front;
    front.moveTo(1.5, 13.5);
    front.lineTo(4, 7.5);
    front.lineTo(15, 7.5);
    front.lineTo(12.5, 13.5);
    front.closeSubpath();
    painter.drawPath(front);
}

void DrawSave(QPainter& painter)
{
    painter.setPen(OutlinePen());
    painter.setBrush(DiskBlue);
    QPainterPath disk;
    disk.moveTo(1.5, 1.5);
    disk.lineTo(12.5, 1.5);
    disk.lineTo(14.5, 3.5);
    disk.lineTo(14.5, 14.5);
    disk.lineTo(1.5, 14.5);
    disk.closeSubpath();
    painter.drawPath(disk);
    painter.setBrush(Paper);
    painter.drawRect(QRectF(4.5, 1.5, 7, 5));
    painter.setBrush(PaperShade);
    painter.drawRect(QRectF(3.5, 9.5, 9, 5));
    painter.setPen(Qt::NoPen);
    painter.setBrush(Outline);
    painter.drawRect(QRectF(9, 2.5, 1.5, 3));
}

void DrawCut(QPainter& painter)
{
    painter.setPen(QPen(SteelGrey, 1.4, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(5.5, 10), QPointF(11.5, 1.5));
    painter.drawLine(QPointF(10.5, 10), QPointF(4.5, 1.5));
    painter.setPen(QPen(StopRed, 1.4));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QPointF(4.5, 12.5), 2.5, 2.5);
    painter.drawEllipse(QPointF(11.5, 12.5), 2.5, 2.5);
}

void DrawCopy(QPainter& painter)
{
    DrawPage(painter, QRectF(1.5, 1.5, 8, 10));
    DrawPage(painter, QRectF(6.5, 4.5, 8, 10));
    DrawTextLines(painter, QRectF(6.5, 4.5, 8, 10), 3);
}

void DrawPaste(QPainter& painter)
{
    painter.setPen(OutlinePen());
    painter.setBrush(BoardBrown);
    painter.drawRoundedRect(QRectF(1.5, 2.5, 10, 12), 1, 1);
    painter.setBrush(SteelGrey);
    painter.drawRect(QRectF(4.5, 1.5, 4, 2.5));
    DrawPage(painter, QRectF(7.5, 6.5, 7, 8));
    DrawTextLines(painter, QRectF(7.5, 5.5, 7, 8), 3);
}

void DrawCascade(QPainter& painter)
{
    DrawWindow(painter, QRectF(1.5, 1.5, 8, 7));
    DrawWindow(painter, QRectF(4, 4.5, 8, 7));
    DrawWindow(painter, QRectF(6.5, 7.5, 8, 7));
}

void DrawTileHorizontally(QPainter& painter)
{
    DrawWindow(painter, QRectF(1.5, 1.5, 13, 6));
    DrawWindow(painter, QRectF(1.5, 8.5, 13, 6));
}

void DrawTileVertically(QPainter& painter)
{
    DrawWindow(painter, QRectF(1.5, 1.5, 6, 13));
    DrawWindow(painter, QRectF(8.5, 1.5, 6, 13));
}

// A speed dial with its needle towards the fast end.
void DrawRate(QPainter& painter)
{
    painter.setPen(OutlinePen());
    painter.setBrush(Paper);
    painter.drawPie(QRectF(1.5, 3.5, 13, 13), 0, 180 * 16);
    painter.setPen(QPen(RunGreen, 1.5));
    painter.drawArc(QRectF(3, 5, 10, 10), 110 * 16, 70 * 16);
    painter.setPen(QPen(StopRed, 1.5));
    painter.drawArc(QRectF(3, 5, 10, 10), 0, 40 * 16);
    painter.setPen(QPen(Outline, 1.4, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(8, 10), QPointF(12, 6));
}

void DrawRun(QPainter& painter)
{
    painter.setPen(QPen(RunGreen.darker(130), 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(RunGreen);
    painter.drawPolygon(QPolygonF({QPointF(4, 2.5), QPointF(13.5, 8), QPointF(4, 13.5)}));
}

void DrawPause(QPainter& painter)
{
    painter.setPen(QPen(PauseBlue.darker(130), 1));
    painter.setBrush(PauseBlue);
    painter.drawRect(QRectF(3.5, 2.5, 3, 11));
    painter.drawRect(QRectF(9.5, 2.5, 3, 11));
}

void DrawStop(QPainter& painter)
{
    painter.setPen(QPen(StopRed.darker(130), 1));
    painter.setBrush(StopRed);
    painter.drawRoundedRect(QRectF(3.5, 3.5, 9, 9), 1, 1);
}

// One instruction forward: a short arrow against a bar.
void DrawStep(QPainter& painter)
{
    painter.setPen(QPen(RunGreen.darker(130), 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(RunGreen);
    painter.drawPolygon(QPolygonF({QPointF(2.5, 3.5), QPointF(9.5, 8), QPointF(2.5, 12.5)}));
    painter.setPen(QPen(PauseBlue.darker(130), 1));
    painter.setBrush(PauseBlue);
    painter.drawRect(QRectF(11.5, 2.5, 2.5, 11));
}

} // namespace

QImage DrawCommandPicture(TCommandPicture picture, int size)
{
    if (picture == TCommandPicture::None)
        return QImage();
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.scale(size / 16.0, size / 16.0);
    switch (picture) {
    case TCommandPicture::None:
        break;
    case TCommandPicture::New:
        DrawNew(painter);
        break;
    case TCommandPicture::Open:
        DrawOpen(painter);
        break;
    case TCommandPicture::Save:
        DrawSave(painter);
        break;
    case TCommandPicture::Cut:
        DrawCut(painter);
        break;
    case TCommandPicture::Copy:
        DrawCopy(painter);
        break;
    case TCommandPicture::Paste:
        DrawPaste(painter);
        break;
    case TCommandPicture::Cascade:
        DrawCascade(painter);
        break;
    case TCommandPicture::TileHorizontally:
        DrawTileHorizontally(painter);
        break;
    case TCommandPicture::TileVertically:
        DrawTileVertically(painter);
        break;
    case TCommandPicture::Rate:
        DrawRate(painter);
        break;
    case TCommandPicture::Run:
        DrawRun(painter);
        break;
    case TCommandPicture::Pause:
        DrawPause(painter);
        break;
    case TCommandPicture::Stop:
        DrawStop(painter);
        break;
    case TCommandPicture::Step:
        DrawStep(painter);
        break;
    }
    return image;
}

QIcon CommandIcon(TCommandPicture picture)
{
    QIcon icon;
    if (picture == TCommandPicture::None)
        return icon;
    for (int size : {16, 32})
        icon.addPixmap(QPixmap::fromImage(DrawCommandPicture(picture, size)));
    return icon;
}
