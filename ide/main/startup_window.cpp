#include "ide/main/startup_window.h"

#include <algorithm>

#include <QApplication>
#include <QBitmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegion>
#include <QScrollBar>
#include <QTextBlock>
#include <QTimer>

#include "ide/main/crash_log.h"
#include "ide/main/image_view.h"
#include "ide/main/startup_picture.h"
#include "ide/texts/texts.h"
#include "ide/workbench/device_host.h"

namespace {

constexpr int StartInitializationText = 2000;
constexpr int ErrorSaveToFileText = 1011;

constexpr int CloseDelayMs = 1000;
constexpr int CloseDelayWithArgumentMs = 1;

const QPoint PicturePosition(1, 3);
const QRect LogGeometry(98, 263, 201, 73);
const QRect CloseButtonGeometry(344, 0, 26, 25);

} // namespace

TformSplash::TformSplash(TDeviceHost& host, const QString& programFolder, bool anyArgument, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , host_(host)
    , programFolder_(programFolder)
    , anyArgument_(anyArgument)
{
    setFixedSize(398, 403);
    setWindowOpacity(230.0 / 255.0);

    Image1 = new TImageView(this);
    const QImage picture = DrawStartupPicture(GetText(1), LogGeometry.translated(-PicturePosition));
    Image1->SetPicture(picture);
    Image1->setGeometry(QRect(PicturePosition, picture.size()));
    connect(Image1, &TImageView::Clicked, this, &TformSplash::Image1Click);

    Memo = new QPlainTextEdit(this);
    Memo->setGeometry(LogGeometry);
    Memo->setReadOnly(true);
    Memo->setFocusPolicy(Qt::NoFocus);
    Memo->setFrameShape(QFrame::NoFrame);
    // One log line is one line of the box: a long path is shortened in its
    // middle on screen (the crash log keeps it whole), so the box never wraps
    // and always shows its newest lines at the bottom.
    Memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette memoColours = Memo->palette();
    memoColours.setColor(QPalette::Base, Qt::black);
    memoColours.setColor(QPalette::Text, Qt::white);
    Memo->setPalette(memoColours);
    QFont memoFont = Memo->font();
    memoFont.setPointSize(8);
    Memo->setFont(memoFont);
    connect(Memo, &QPlainTextEdit::textChanged, this, &TformSplash::MemoChange);

    X = new QPushButton(QStringLiteral("X"), this);
    X->setGeometry(CloseButtonGeometry);
    X->setDefault(true);
    X->hide();
    connect(X, &QPushButton::clicked, this, &TformSplash::XClick);

    tmrClose = new QTimer(this);
    tmrClose->setInterval(CloseDelayWithArgumentMs);
    connect(tmrClose, &QTimer::timeout, this, &TformSplash::tmrCloseTimer);

    // White is the transparent colour.
    const QBitmap shape = QBitmap::fromImage(picture.createMaskFromColor(qRgb(255, 255, 255), Qt::MaskInColor));
    pictureShape_ = QRegion(shape).translated(PicturePosition) & QRegion(rect());
    UpdateShape();
}

// X stays whole where it stands over the transparent colour.
void TformSplash::UpdateShape()
{
    setMask(!X->isHidden() ? pictureShape_ | QRegion(X->geometry()) : pictureShape_);
}

void TformSplash::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // After the show, so that the window is on screen while the search runs.
    if (!splashActivated_)
        QTimer::singleShot(0, this, &TformSplash::FormActivate);
}

void TformSplash::FormActivate()
{
    if (splashActivated_)
        return;
    splashActivated_ = true;

    AddLogLine(GetText(StartInitializationText));
    QCoreApplication::processEvents();
    host_.SearchDeviceFiles(
        [this](const QString& line) {
            AddLogLine(line);
            Memo->repaint();
        },
        programFolder_);

    tmrClose->setInterval(anyArgument_ ? CloseDelayWithArgumentMs : CloseDelayMs);
    tmrClose->start();
}

void TformSplash::AddLogLine(const QString& line)
{
    // Recorded first: the box's change saves the crash log from this list.
    logLines_ << line;
    const int room = Memo->viewport()->width() - 2 * int(Memo->document()->documentMargin()) - 1;
    Memo->appendPlainText(Memo->fontMetrics().elidedText(line, Qt::ElideMiddle, room));
    ShowNewestLines();
}

// The newest lines stand at the bottom of the box, and the box never scrolls
// further than its last line.
void TformSplash::ShowNewestLines()
{
    QScrollBar* bar = Memo->verticalScrollBar();
    const int lineHeight = std::max(1, Memo->fontMetrics().lineSpacing());
    const int visibleLines = std::max(1, (Memo->viewport()->height() - 2 * int(Memo->document()->documentMargin()))
                                             / lineHeight);
    bar->setValue(std::max(0, Memo->blockCount() - visibleLines));
}

QStringList TformSplash::LogLines() const
{
    return logLines_;
}

void TformSplash::MemoChange()
{
    if (crashLogFailed_)
        return;
    if (SaveCrashLog(LogLines()))
        return;
    // Set first: the line below changes the log again.
    crashLogFailed_ = true;
    AddLogLine(GetText(ErrorSaveToFileText) + QLatin1Char(' ') + CrashLogPath());
}

void TformSplash::tmrCloseTimer()
{
    tmrClose->stop();
    accept();
}

void TformSplash::Image1Click()
{
    if (tmrClose->isActive())
        tmrClose->stop();
    else
        tmrClose->start();
    X->setVisible(!tmrClose->isActive());
    UpdateShape();
}

void TformSplash::XClick()
{
    Image1Click();
}

void TformSplash::reject()
{
    if (!X->isHidden())
        X->click();
}
