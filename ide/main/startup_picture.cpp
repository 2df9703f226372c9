#include "ide/main/startup_picture.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

const QColor CardTop(0x1d, 0x35, 0x57);
const QColor CardBottom(0x0b, 0x17, 0x2a);
const QColor Accent(0x3d, 0xd6, 0xc6);
const QColor ChipBody(0x26, 0x28, 0x2c);
const QColor PinMetal(0xc8, 0xcc, 0xd2);
// Not pure white: white is the transparent colour.
const QColor TitleColour(0xf4, 0xf7, 0xfb);

// The card's outline is drawn without smoothing: a blended edge would leave
// near-white pixels that the transparent colour does not remove.
void DrawCard(QPainter& painter, const QRect& card)
{
    QLinearGradient gradient(card.topLeft(), card.bottomLeft());
    gradient.setColorAt(0.0, CardTop);
    gradient.setColorAt(1.0, CardBottom);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::NoPen);
    painter.setBrush(gradient);
    painter.drawRoundedRect(card, 18, 18);
}

// An eight-pin package seen from above, pin 1 marked by the notch.
void DrawChip(QPainter& painter, const QRect& body)
{
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    painter.setBrush(PinMetal);
    const int pins = 4;
    const int pitch = body.width() / pins;
    for (int pin = 0; pin < pins; ++pin) {
        const int x = body.left() + pitch / 2 + pin * pitch - 6;
        painter.drawRect(x, body.top() - 12, 12, 12);
        painter.drawRect(x, body.bottom() + 1, 12, 12);
    }
    // The notch is cut out of the body, so the card shows through it and
    // nothing of it lies outside the body.
    QPainterPath package;
    package.addRoundedRect(body, 5, 5);
    QPainterPath notch;
    notch.addEllipse(QPoint(body.left(), body.center().y()), 9, 9);
    painter.setBrush(ChipBody);
    painter.drawPath(package.subtracted(notch));
    painter.setBrush(QColor(0x55, 0x5a, 0x62));
    painter.drawEllipse(QPoint(body.left() + 20, body.bottom() - 16), 5, 5);
}

// A clock-like square wave, as a logic analyser shows a pin.
void DrawTrace(QPainter& painter, int left, int right, int top, int bottom)
{
    QPainterPath trace;
    trace.moveTo(left, bottom);
    const int step = 18;
    bool high = false;
    for (int x = left + step; x <= right; x += step) {
        trace.lineTo(x, high ? top : bottom);
        high = !high;
        trace.lineTo(x, high ? top : bottom);
    }
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(Accent, 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(trace);
}

} // namespace

QImage DrawStartupPicture(const QString& productName, const QRect& logArea)
{
    QImage picture(StartupPictureWidth, StartupPictureHeight, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);

    const QRect card(3, 1, 391, 397);
    DrawCard(painter, card);
    DrawChip(painter, StartupChipBody);

    QFont title(QStringLiteral("Sans Serif"));
    title.setPixelSize(40);
    title.setBold(true);
    painter.setFont(title);
    painter.setPen(TitleColour);
    painter.drawText(QRect(card.left(), 132, card.width(), 56), Qt::AlignCenter, productName);

    DrawTrace(painter, 60, 340, 206, 228);

    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(Accent, 1));
    painter.setBrush(Qt::black);
    painter.drawRoundedRect(logArea.adjusted(-7, -7, 6, 6), 6, 6);

    painter.setPen(QPen(Accent.darker(160), 1));
    painter.drawLine(60, 366, 340, 366);
    return picture;
}
