#include "ide/workbench/workbench_pictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace {

constexpr int PaletteIconSize = 32;
constexpr int PopupPictureSize = 16;

QImage BlankPicture(int size)
{
    QImage picture(size, size, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    return picture;
}

// Two overlapping cards: the one named `front` is drawn last.
void DrawStackedCards(QPainter& painter, bool backCardInFront)
{
    const QRectF back(1.5, 1.5, 9, 9);
    const QRectF front(5.5, 5.5, 9, 9);
    const QColor backColour(0x5B, 0x8F, 0xD9);
    const QColor frontColour(0xF2, 0xB1, 0x34);
    painter.setPen(QPen(QColor(0x40, 0x40, 0x40), 1));
    if (backCardInFront) {
        painter.setBrush(frontColour);
        painter.drawRect(front);
        painter.setBrush(backColour);
        painter.drawRect(back);
    } else {
        painter.setBrush(backColour);
        painter.drawRect(back);
        painter.setBrush(frontColour);
        painter.drawRect(front);
    }
}

} // namespace

QImage DrawPointerToolIcon()
{
    QImage picture = BlankPicture(PaletteIconSize);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPolygonF arrow({{9, 4}, {9, 26}, {14, 21}, {18, 29}, {21.5, 27.5}, {17.5, 19.5}, {24, 19.5}});
    painter.setPen(QPen(Qt::black, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::white);
    painter.drawPolygon(arrow);
    return picture;
}

QImage DrawPopupPicture(TPopupPicture which)
{
    QImage picture = BlankPicture(PopupPictureSize);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    switch (which) {
    case ppDelete:
        painter.setPen(QPen(QColor(0xC8, 0x1E, 0x1E), 2.5, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(4, 4), QPointF(12, 12));
        painter.drawLine(QPointF(12, 4), QPointF(4, 12));
        break;
    case ppSendToBack:
        DrawStackedCards(painter, false);
        break;
    case ppBringToFront:
        DrawStackedCards(painter, true);
        break;
    case ppConnectPins: {
        // Two pins joined by a wire.
        painter.setPen(QPen(QColor(0x20, 0x60, 0x20), 1.5));
        QPainterPath wire;
        wire.moveTo(3, 12);
        wire.cubicTo(3, 3, 13, 13, 13, 4);
        painter.drawPath(wire);
        painter.setPen(QPen(QColor(0x30, 0x30, 0x30), 1));
        painter.setBrush(QColor(0xD0, 0xD0, 0xD0));
        painter.drawRect(QRectF(1.5, 11.5, 4, 4));
        painter.drawRect(QRectF(10.5, 0.5, 4, 4));
        break;
    }
    case ppSettings: {
        // A cog: a toothed ring around a hole.
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0x50, 0x50, 0x50));
        painter.translate(8, 8);
        for (int tooth = 0; tooth < 8; ++tooth) {
            painter.drawRect(QRectF(-1.5, -7.5, 3, 4));
            painter.rotate(45);
        }
        painter.drawEllipse(QPointF(0, 0), 5, 5);
        painter.setBrush(Qt::white);
        painter.drawEllipse(QPointF(0, 0), 2, 2);
        break;
    }
    }
    return picture;
}

QImage PaletteIcon(const QImage* libraryIcon, const QString& typeText)
{
    if (libraryIcon && !libraryIcon->isNull()) {
        const QImage icon = libraryIcon->convertToFormat(QImage::Format_ARGB32_Premultiplied);
        if (icon.size() == QSize(PaletteIconSize, PaletteIconSize))
            return icon;
        // Fitted, not stretched: the library's proportions stay.
        const QImage fitted = icon.scaled(PaletteIconSize, PaletteIconSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        QImage picture = BlankPicture(PaletteIconSize);
        QPainter painter(&picture);
        painter.drawImage((PaletteIconSize - fitted.width()) / 2, (PaletteIconSize - fitted.height()) / 2, fitted);
        return picture;
    }

    QImage picture = BlankPicture(PaletteIconSize);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x40, 0x40, 0x40), 1));
    for (int pin = 0; pin < 3; ++pin) {
        const qreal y = 9.5 + pin * 7;
        painter.drawLine(QPointF(2, y), QPointF(6, y));
        painter.drawLine(QPointF(26, y), QPointF(30, y));
    }
    painter.setBrush(QColor(0x3A, 0x3A, 0x3A));
    painter.drawRoundedRect(QRectF(6.5, 4.5, 19, 23), 2, 2);
    QString letters;
    for (const QChar character : typeText) {
        if (character.isLetterOrNumber())
            letters += character.toUpper();
        if (letters.size() == 2)
            break;
    }
    QFont font = painter.font();
    font.setPixelSize(10);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(6.5, 4.5, 19, 23), Qt::AlignCenter, letters);
    return picture;
}
