#include "ide/main/header_pictures.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

namespace {

// The panels' own background, so a header reads as part of its panel.
const QColor HeaderBackground(239, 239, 239);
const QColor HeaderInk(0, 0, 0);
const QColor ColumnRule(160, 160, 160);

constexpr int HeaderHeight = 23;
constexpr int RegisterHeaderWidth = 165;
constexpr int StackHeaderWidth = 83;

// The columns of a register row, in the header's own coordinates: the header
// stands 10 pixels right of the row's left edge, so each column starts 10
// pixels left of its text box (address at 12, name at 40, value at 105, bits
// at 125, change marker at 165).
constexpr int AddressLeft = 2;
constexpr int NameLeft = 30;
constexpr int HexLeft = 95;
constexpr int BitsLeft = 115;
constexpr int DeltaLeft = 155;

struct TRegisterTitles {
    const char* address[2];
    const char* name[2];
    const char* hex[2];
    const char* binary[2];
};

QFont HeaderFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"), QStringLiteral("Nimbus Sans"),
                      QStringLiteral("Arial"), QStringLiteral("Helvetica"), QStringLiteral("DejaVu Sans Condensed")});
    font.setPixelSize(10);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

QImage BlankHeader(int width)
{
    QImage picture(width, HeaderHeight, QImage::Format_RGB32);
    picture.fill(HeaderBackground);
    return picture;
}

// Two lines of text centred in the column [left, right).
void DrawColumn(QPainter& painter, int left, int right, const char* top, const char* bottom)
{
    painter.drawText(QRect(left, 0, right - left, 11), Qt::AlignCenter, QString::fromUtf8(top));
    painter.drawText(QRect(left, 11, right - left, 11), Qt::AlignCenter, QString::fromUtf8(bottom));
}

void DrawRule(QPainter& painter, int x)
{
    painter.setPen(ColumnRule);
    painter.drawLine(x, 1, x, HeaderHeight - 2);
    painter.setPen(HeaderInk);
}

// The high half of a register is the upper line of its bit cells, the low half
// the lower line.
void DrawBitOrderMarks(QPainter& painter, int x)
{
    painter.drawText(QRect(x, 0, 7, 11), Qt::AlignCenter, QStringLiteral("H"));
    painter.drawText(QRect(x, 11, 7, 11), Qt::AlignCenter, QStringLiteral("L"));
}

void DrawDelta(QPainter& painter, int left, int right)
{
    const int middle = (left + right) / 2;
    QPainterPath triangle;
    triangle.moveTo(middle, 6);
    triangle.lineTo(middle + 4, 15);
    triangle.lineTo(middle - 4, 15);
    triangle.closeSubpath();
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(triangle);
}

QImage RegisterHeader(const TRegisterTitles& titles)
{
    QImage picture = BlankHeader(RegisterHeaderWidth);
    QPainter painter(&picture);
    painter.setFont(HeaderFont());
    painter.setPen(HeaderInk);
    DrawColumn(painter, AddressLeft, NameLeft, titles.address[0], titles.address[1]);
    DrawColumn(painter, NameLeft, HexLeft, titles.name[0], titles.name[1]);
    DrawColumn(painter, HexLeft, BitsLeft, titles.hex[0], titles.hex[1]);
    DrawColumn(painter, BitsLeft, DeltaLeft - 7, titles.binary[0], titles.binary[1]);
    DrawBitOrderMarks(painter, DeltaLeft - 7);
    DrawDelta(painter, DeltaLeft, RegisterHeaderWidth);
    for (int x : {NameLeft, HexLeft, BitsLeft, DeltaLeft})
        DrawRule(painter, x);
    return picture;
}

// Over the stack's bit cells, whose lowest bit ends 2 pixels left of the
// picture's right edge; the level and address boxes stand left of it.
QImage StackHeader(const char* top, const char* bottom)
{
    QImage picture = BlankHeader(StackHeaderWidth);
    QPainter painter(&picture);
    painter.setFont(HeaderFont());
    painter.setPen(HeaderInk);
    painter.drawText(QRect(0, 0, StackHeaderWidth, 11), Qt::AlignCenter, QString::fromUtf8(top));
    painter.drawText(QRect(1, 11, 8, 11), Qt::AlignCenter, QStringLiteral("H"));
    painter.drawText(QRect(10, 11, StackHeaderWidth - 20, 11), Qt::AlignCenter, QString::fromUtf8(bottom));
    painter.drawText(QRect(StackHeaderWidth - 10, 11, 8, 11), Qt::AlignCenter, QStringLiteral("L"));
    return picture;
}

const TRegisterTitles SfrEnglish = {{"Addr", "hex"}, {"SFR", "name"}, {"Val", "hex"}, {"Value", "binary"}};
const TRegisterTitles SfrRussian = {{"Адр.", "hex"}, {"SFR", "имя"}, {"Зн.", "hex"}, {"Знач.", "двоич."}};
const TRegisterTitles GprEnglish = {{"Addr", "hex"}, {"GPR", "name"}, {"Val", "hex"}, {"Value", "binary"}};
const TRegisterTitles GprRussian = {{"Адр.", "hex"}, {"GPR", "имя"}, {"Зн.", "hex"}, {"Знач.", "двоич."}};

} // namespace

QImage HeaderPicture(const QString& name)
{
    const auto is = [&](const char* resource) { return name.compare(QLatin1String(resource), Qt::CaseInsensitive) == 0; };
    if (is("gSfrEn"))
        return RegisterHeader(SfrEnglish);
    if (is("gSfrRu"))
        return RegisterHeader(SfrRussian);
    if (is("gGprEn"))
        return RegisterHeader(GprEnglish);
    if (is("gGprRu"))
        return RegisterHeader(GprRussian);
    if (is("gStackEn"))
        return StackHeader("Stack value", "binary");
    if (is("gStackRu"))
        return StackHeader("Значение стека", "двоич.");
    return QImage();
}

QString HeaderPictureName(THeaderPanel panel, int language)
{
    const bool english = language == 0;
    switch (panel) {
    case THeaderPanel::Sfr:
        return QLatin1String(english ? "gSfrEn" : "gSfrRu");
    case THeaderPanel::Gpr:
        return QLatin1String(english ? "gGprEn" : "gGprRu");
    case THeaderPanel::Stack:
        break;
    }
    return QLatin1String(english ? "gStackEn" : "gStackRu");
}

namespace {

QImage DrawChangeMarker(TChangeMarker marker)
{
    QImage picture(11, 20, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    if (marker == TChangeMarker::None)
        return picture;
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor colour = marker == TChangeMarker::Red ? QColor(255, 0, 0) : QColor(0, 160, 0);
    QPainterPath triangle;
    triangle.moveTo(5.5, 5);
    triangle.lineTo(10, 14);
    triangle.lineTo(1, 14);
    triangle.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPath(triangle);
    return picture;
}

} // namespace

QImage ChangeMarkerPicture(TChangeMarker marker)
{
    // Drawn once: the rows switch between these at every refresh.
    static const QImage pictures[] = {DrawChangeMarker(TChangeMarker::None), DrawChangeMarker(TChangeMarker::Red),
                                      DrawChangeMarker(TChangeMarker::Green)};
    return pictures[int(marker)];
}

QImage BreakpointIconPicture()
{
    QImage picture(12, 12, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(128, 0, 0), 1));
    painter.setBrush(QColor(255, 0, 0));
    painter.drawEllipse(QRectF(1.5, 1.5, 9, 9));
    return picture;
}
