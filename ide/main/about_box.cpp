#include "ide/main/about_box.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>

#include "ide/main/image_view.h"
#include "ide/main/user_message.h"
#include "ide/texts/texts.h"
#include "ide/web/service_requests.h"

TAboutBox* AboutBox = nullptr;

namespace {

constexpr std::int32_t WebSiteText = 0;
constexpr std::int32_t ProductText = 1;
constexpr std::int32_t CaptionText = 2;
constexpr std::int32_t VersionText = 3500;

const QColor SideTop(0x1d, 0x35, 0x57);
const QColor SideBottom(0x0b, 0x17, 0x2a);
const QColor Accent(0x3d, 0xd6, 0xc6);
const QColor ChipBody(0x26, 0x28, 0x2c);
const QColor PinMetal(0xc8, 0xcc, 0xd2);
const QColor Lettering(0xf4, 0xf7, 0xfb);

QImage BlankPicture(int width, int height)
{
    QImage picture(width, height, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    return picture;
}

// A package seen from above with pins on its two long sides.
void DrawPackage(QPainter& painter, const QRectF& body, int pinsPerSide)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(PinMetal);
    const qreal pitch = body.height() / pinsPerSide;
    const qreal pinLength = body.width() * 0.16;
    const qreal pinWidth = pitch * 0.45;
    for (int pin = 0; pin < pinsPerSide; ++pin) {
        const qreal y = body.top() + pitch * (pin + 0.5) - pinWidth / 2;
        painter.drawRect(QRectF(body.left() - pinLength, y, pinLength, pinWidth));
        painter.drawRect(QRectF(body.right(), y, pinLength, pinWidth));
    }
    painter.setBrush(ChipBody);
    painter.drawRoundedRect(body, 4, 4);
    // Pin 1's notch.
    painter.setBrush(QColor(0x55, 0x5a, 0x62));
    painter.drawEllipse(QPointF(body.center().x(), body.top()), body.width() * 0.12, body.width() * 0.12);
}

} // namespace

QImage DrawAboutSidePicture()
{
    QImage picture = BlankPicture(108, 457);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing, true);
    QLinearGradient gradient(0, 0, 0, picture.height());
    gradient.setColorAt(0.0, SideTop);
    gradient.setColorAt(1.0, SideBottom);
    painter.setPen(Qt::NoPen);
    painter.setBrush(gradient);
    painter.drawRoundedRect(QRectF(picture.rect()), 8, 8);

    // Faint board traces running down from the pictures above.
    QColor trace = Accent;
    trace.setAlpha(70);
    painter.setPen(QPen(trace, 2));
    painter.setBrush(Qt::NoBrush);
    const int columns[] = {18, 36, 72, 90};
    for (std::size_t index = 0; index < std::size(columns); ++index) {
        const int x = columns[index];
        const int bend = 320 + int(index) * 22;
        QPainterPath path;
        path.moveTo(x, 300);
        path.lineTo(x, bend);
        path.lineTo(x + (x < 54 ? 14 : -14), bend + 14);
        path.lineTo(x + (x < 54 ? 14 : -14), 440);
        painter.drawPath(path);
        painter.setBrush(trace);
        painter.drawEllipse(QPointF(x + (x < 54 ? 14 : -14), 440), 3, 3);
        painter.setBrush(Qt::NoBrush);
    }
    return picture;
}

QImage DrawAboutLogo()
{
    QImage picture = BlankPicture(108, 138);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QRectF body(30, 14, 48, 84);
    DrawPackage(painter, body, 4);

    // The product's initial on the package.
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(40);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Accent);
    painter.drawText(body, Qt::AlignCenter, QStringLiteral("T"));

    // A pin's square wave under the package.
    QPainterPath wave;
    const qreal low = 126, high = 112;
    wave.moveTo(8, low);
    bool up = false;
    for (qreal x = 20; x <= 100; x += 12) {
        wave.lineTo(x, up ? high : low);
        up = !up;
        wave.lineTo(x, up ? high : low);
    }
    wave.lineTo(100, up ? high : low);
    painter.setPen(QPen(Accent, 2.5, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(wave);
    return picture;
}

QImage DrawAboutChipPicture()
{
    QImage picture = BlankPicture(105, 105);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(Accent, 2));
    painter.setBrush(QColor(0x14, 0x26, 0x40));
    painter.drawEllipse(QRectF(3, 3, 99, 99));
    // A small eight-pin package with a lit pin.
    DrawPackage(painter, QRectF(38, 30, 29, 45), 4);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xff, 0xc8, 0x3d));
    painter.drawEllipse(QPointF(80, 35.6), 4, 4);
    return picture;
}

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    FormCreate();
}

TAboutBox::~TAboutBox()
{
    if (AboutBox == this)
        AboutBox = nullptr;
}

void TAboutBox::FormCreate()
{
    AboutBox = this;
    setObjectName(QStringLiteral("AboutBox"));
    setFixedSize(711, 511);

    Image2 = new TImageView(this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setGeometry(8, 8, 108, 457);
    Image2->SetPicture(DrawAboutSidePicture());
    Image3 = new TImageView(this);
    Image3->setObjectName(QStringLiteral("Image3"));
    Image3->setGeometry(8, 8, 108, 138);
    Image3->SetPicture(DrawAboutLogo());
    Image4 = new TImageView(this);
    Image4->setObjectName(QStringLiteral("Image4"));
    Image4->setGeometry(9, 190, 105, 105);
    Image4->SetPicture(DrawAboutChipPicture());

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(8, 148, 108, 24);
    Label1->setAlignment(Qt::AlignCenter);
    QFont titleFont = Label1->font();
    titleFont.setBold(true);
    titleFont.setPointSize(12);
    Label1->setFont(titleFont);
    Label1->setStyleSheet(QStringLiteral("color: #f4f7fb; background: transparent;"));

    Shape1 = new QFrame(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setGeometry(133, 462, 570, 3);
    Shape1->setFrameShape(QFrame::NoFrame);
    Shape1->setAutoFillBackground(true);
    QPalette line = Shape1->palette();
    line.setColor(QPalette::Window, QColor(0xa0, 0xa0, 0xa0));
    Shape1->setPalette(line);

    lblPrgVer = new QLabel(this);
    lblPrgVer->setObjectName(QStringLiteral("lblPrgVer"));
    lblPrgVer->move(133, 8);
    QFont versionFont = lblPrgVer->font();
    versionFont.setBold(true);
    versionFont.setPointSize(versionFont.pointSize() + 4);
    lblPrgVer->setFont(versionFont);

    lblLink = new QLabel(this);
    lblLink->setObjectName(QStringLiteral("lblLink"));
    lblLink->move(14, 487);
    QFont linkFont = lblLink->font();
    linkFont.setBold(true);
    linkFont.setUnderline(true);
    lblLink->setFont(linkFont);
    lblLink->setStyleSheet(QStringLiteral("color: #0000ff;"));
    lblLink->setCursor(Qt::PointingHandCursor);
    lblLink->installEventFilter(this);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(584, 471, 120, 33);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    // The texts, in the order the box asks for them.
    setWindowTitle(GetText(CaptionText));
    std::uint8_t major = 0, minor = 0, release = 0, build = 0;
    GetAppVersion(major, minor, release, build);
    lblLink->setText(GetText(WebSiteText));
    lblPrgVer->setText(GetText(ProductText) + QLatin1Char(' ') + GetText(VersionText) + QLatin1Char(' ')
                       + QString::number(major) + QLatin1Char('.') + QString::number(minor) + QLatin1Char('.')
                       + QString::number(release));
    Label1->setText(GetText(ProductText));
    lblPrgVer->adjustSize();
    lblLink->adjustSize();
    OKButton->setFocus();
}

void TAboutBox::lblLinkClick()
{
    OpenUserUrl(GetText(WebSiteText));
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lblLink && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && lblLink->rect().contains(mouse->position().toPoint())) {
            lblLinkClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// Centred on the screen rather than on the main window.
void TAboutBox::showEvent(QShowEvent* event)
{
    QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    QDialog::showEvent(event);
}
