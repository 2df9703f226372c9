#include "ide/web/update_check.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include <QCheckBox>
#include <QEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QTimer>

#include "ide/main/user_message.h"
#include "ide/texts/settings.h"
#include "ide/texts/texts.h"

bool UpdateCheckConcluded = false;
bool ShowUpdateForm = false;
TformCheckUpdates* formCheckUpdates = nullptr;

namespace {

constexpr std::int32_t CaptionText = 8;
constexpr std::int32_t CloseText = 106;
constexpr std::int32_t DownloadText = 107;
constexpr std::int32_t CheckAtStartupText = 3150;
constexpr std::int32_t ErrorConnectingText = 2051;
constexpr std::int32_t ConnectingText = 2052;
constexpr std::int32_t DatabaseUnreachableText = 2053;
constexpr std::int32_t DatabaseQueryText = 2054;
constexpr std::int32_t LatestVersionText = 2055;
constexpr std::int32_t NewVersionText = 2056;
constexpr std::int32_t LatestVersionIsText = 2057;
constexpr std::int32_t VersionHistoryText = 2058;

constexpr int ShowCheckIntervalMs = 10000;

// The width a button needs to show its caption whole.
int CaptionWidth(const QPushButton& button)
{
    return button.fontMetrics().horizontalAdvance(QString(button.text()).remove(QLatin1Char('&'))) + 16;
}

// The text of a failure code of the service, 0 for any other reply.
std::int32_t FailureText(const QString& reply)
{
    const QString code = reply.left(2);
    if (code == QLatin1String("e0"))
        return ErrorConnectingText;
    if (code == QLatin1String("e1"))
        return DatabaseUnreachableText;
    if (code == QLatin1String("e2"))
        return DatabaseQueryText;
    return 0;
}

// The memo breaks lines at "\n" only.
QString MemoLines(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

} // namespace

// ---- The check thread

ThreadWebUpd::ThreadWebUpd(TformCheckUpdates* form)
    : form_(form)
    , thread_([this] { Execute(); })
{
}

ThreadWebUpd::~ThreadWebUpd()
{
    cancel_.Cancel();
    if (thread_.joinable())
        thread_.join();
}

template <typename TChange>
void ThreadWebUpd::Deliver(TChange change)
{
    // The window outlives this thread (it joins it before it goes), so a
    // change posted before the cancel finds it; none is posted after.
    if (cancel_.Cancelled())
        return;
    TformCheckUpdates* form = form_;
    pendingChanges_->fetch_add(1);
    QMetaObject::invokeMethod(
        form,
        [form, change = std::move(change), pending = pendingChanges_] {
            change(*form);
            pending->fetch_sub(1);
        },
        Qt::QueuedConnection);
}

void ThreadWebUpd::Execute()
{
    Deliver([text = GetText(ConnectingText) + QStringLiteral("...")](TformCheckUpdates& form) {
        form.SetMemoText(text);
    });

    QString reply;
    QueryCheckVersion(reply, &cancel_);
    const QString code = reply.left(2);
    if (const std::int32_t failure = FailureText(reply)) {
        Deliver([text = GetText(failure)](TformCheckUpdates& form) { form.SetMemoText(text); });
    } else if (code == QLatin1String("lv")) {
        Deliver([text = GetText(LatestVersionText)](TformCheckUpdates& form) {
            form.SetMemoText(text);
            UpdateCheckConcluded = true;
        });
    } else if (code == QLatin1String("ru")) {
        const QString report = QStringLiteral("------------") + GetText(NewVersionText)
            + QStringLiteral("!!!-------------\n\n") + GetText(LatestVersionIsText) + QLatin1Char(' ')
            + MemoLines(reply.mid(2)) + QStringLiteral("\n\n") + GetText(VersionHistoryText)
            + QStringLiteral(":\n");
        Deliver([report](TformCheckUpdates& form) { form.SetMemoText(report); });

        QString history;
        QueryVersionHistory(history, &cancel_);
        const std::int32_t historyFailure = FailureText(history);
        const QString tail = historyFailure ? GetText(historyFailure) : MemoLines(history);
        Deliver([tail](TformCheckUpdates& form) {
            form.btnDownNInst->setEnabled(true);
            UpdateCheckConcluded = true;
            ShowUpdateForm = true;
            form.AppendMemoText(tail);
        });
    }
    running_.store(false);
}

// ---- The window

TformCheckUpdates::TformCheckUpdates(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint)
{
    FormCreate();
}

TformCheckUpdates::~TformCheckUpdates()
{
    CancelCheck();
    if (formCheckUpdates == this)
        formCheckUpdates = nullptr;
}

void TformCheckUpdates::FormCreate()
{
    formCheckUpdates = this;
    setObjectName(QStringLiteral("formCheckUpdates"));
    setFixedSize(532, 313);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(8, 8, 516, 262);
    Memo1->setReadOnly(true);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    ChkDontCheck = new QCheckBox(this);
    ChkDontCheck->setObjectName(QStringLiteral("ChkDontCheck"));
    ChkDontCheck->setGeometry(8, 282, 277, 17);
    connect(ChkDontCheck, &QCheckBox::clicked, this, &TformCheckUpdates::ChkDontCheckClick);

    btnDownNInst = new QPushButton(this);
    btnDownNInst->setObjectName(QStringLiteral("btnDownNInst"));
    btnDownNInst->setGeometry(291, 276, 129, 29);
    btnDownNInst->setEnabled(false);
    btnDownNInst->setAutoDefault(false);
    connect(btnDownNInst, &QPushButton::clicked, this, &TformCheckUpdates::btnDownNInstClick);

    // Esc closes the window as this button does (QDialog's reject hides it).
    btnCancel = new QPushButton(this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setGeometry(426, 276, 98, 29);
    btnCancel->setAutoDefault(false);
    connect(btnCancel, &QPushButton::clicked, this, &TformCheckUpdates::btnCancelClick);

    tmrCanShow = new QTimer(this);
    tmrCanShow->setInterval(ShowCheckIntervalMs);
    connect(tmrCanShow, &QTimer::timeout, this, &TformCheckUpdates::tmrCanShowTimer);

    setWindowTitle(GetText(CaptionText));
    btnDownNInst->setText(GetText(DownloadText));
    btnCancel->setText(GetText(CloseText));
    ChkDontCheck->setText(GetText(CheckAtStartupText));

    // A caption wider than the design's button (the Russian one) takes room
    // from the Close button's spare width first, then from the left, short
    // of the check box's own text.
    if (CaptionWidth(*btnDownNInst) > btnDownNInst->width()) {
        const int closeRight = btnCancel->geometry().right() + 1;
        const int closeWidth = std::max(75, CaptionWidth(*btnCancel));
        btnCancel->setGeometry(closeRight - closeWidth, btnCancel->y(), closeWidth, btnCancel->height());
        const int buttonRight = btnCancel->x() - 6;
        const int boxTextRight = ChkDontCheck->x() + ChkDontCheck->sizeHint().width();
        const int left = std::max(buttonRight - CaptionWidth(*btnDownNInst), boxTextRight + 6);
        btnDownNInst->setGeometry(left, btnDownNInst->y(), buttonRight - left, btnDownNInst->height());
        ChkDontCheck->resize(left - 6 - ChkDontCheck->x(), ChkDontCheck->height());
    }

    ChkDontCheck->setChecked(ReadRegBool(kCheckUpdatesSetting));
    if (ChkDontCheck->isChecked()) {
        ShowUpdateForm = false;
        StartCheck();
        tmrCanShow->start();
    }
}

void TformCheckUpdates::StartCheck()
{
    co.reset(); // a finished check's thread is joined before the next starts
    try {
        co = std::make_unique<ThreadWebUpd>(this);
    } catch (const std::system_error&) {
        // No thread to be had: as a failed exchange, and the next
        // activation tries again.
        SetMemoText(GetText(ErrorConnectingText));
    }
}

bool TformCheckUpdates::CheckRunning() const
{
    return co && co->Running();
}

void TformCheckUpdates::CancelCheck()
{
    co.reset();
}

void TformCheckUpdates::FormActivate()
{
    // A check still under way answers this activation too: checks never
    // pile up behind a silent service.
    if (UpdateCheckConcluded || CheckRunning())
        return;
    StartCheck();
}

void TformCheckUpdates::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

void TformCheckUpdates::tmrCanShowTimer()
{
    if (!ShowUpdateForm)
        return;
    ShowUpdateForm = false;
    tmrCanShow->stop();
    if (!isVisible())
        show();
    raise();
}

void TformCheckUpdates::ChkDontCheckClick()
{
    WriteRegBool(kCheckUpdatesSetting, ChkDontCheck->isChecked());
}

void TformCheckUpdates::btnDownNInstClick()
{
    OpenUserUrl(DownloadPageAddress());
}

void TformCheckUpdates::btnCancelClick()
{
    hide();
}

void TformCheckUpdates::ShowWindow()
{
    show();
    raise();
    activateWindow();
}

void TformCheckUpdates::SetMemoText(const QString& text)
{
    Memo1->setPlainText(text);
}

void TformCheckUpdates::AppendMemoText(const QString& text)
{
    QTextCursor cursor(Memo1->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
}
