#include "ide/web/bug_report.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "ide/main/user_message.h"
#include "ide/texts/texts.h"
#include "ide/web/service_requests.h"

TformBugReport* formBugReport = nullptr;

namespace {

constexpr std::int32_t CaptionText = 7;
constexpr std::int32_t SendText = 105;
constexpr std::int32_t CancelText = 102;
constexpr std::int32_t UserNameText = 3100;
constexpr std::int32_t EmailText = 3101;
constexpr std::int32_t ReportPromptText = 3102;
constexpr std::int32_t ConnectingText = 2052;

// The width a button needs to show its caption whole.
int CaptionWidth(const QPushButton& button)
{
    return button.fontMetrics().horizontalAdvance(QString(button.text()).remove(QLatin1Char('&'))) + 16;
}

} // namespace

TformBugReport::TformBugReport(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    FormCreate();
}

TformBugReport::~TformBugReport()
{
    if (formBugReport == this)
        formBugReport = nullptr;
}

void TformBugReport::FormCreate()
{
    formBugReport = this;
    setObjectName(QStringLiteral("formBugReport"));
    setFixedSize(695, 539);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    edtUserName = new QLineEdit(this);
    edtUserName->setObjectName(QStringLiteral("edtUserName"));
    edtUserName->setGeometry(69, 5, 252, 21);
    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    edtEmail = new QLineEdit(this);
    edtEmail->setObjectName(QStringLiteral("edtEmail"));
    edtEmail->setGeometry(405, 5, 282, 21);
    memoReport = new QPlainTextEdit(this);
    memoReport->setObjectName(QStringLiteral("memoReport"));
    memoReport->setGeometry(8, 32, 679, 465);
    memoReport->setTabChangesFocus(true);

    lblSending = new QLabel(this);
    lblSending->setObjectName(QStringLiteral("lblSending"));
    lblSending->setGeometry(8, 503, 515, 25);
    lblSending->hide();

    btnSend = new QPushButton(this);
    btnSend->setObjectName(QStringLiteral("btnSend"));
    btnSend->setGeometry(531, 503, 75, 25);
    btnSend->setDefault(true);
    connect(btnSend, &QPushButton::clicked, this, &TformBugReport::btnSendClick);
    // Esc closes the window as this button does (QDialog's reject).
    btnCancel = new QPushButton(this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setGeometry(612, 503, 75, 25);
    btnCancel->setAutoDefault(false);
    connect(btnCancel, &QPushButton::clicked, this, &TformBugReport::btnCancelClick);

    setWindowTitle(GetText(CaptionText));
    btnSend->setText(GetText(SendText));
    btnCancel->setText(GetText(CancelText));
    Label1->setText(GetText(UserNameText));
    Label2->setText(GetText(EmailText));
    memoReport->setPlainText(GetText(ReportPromptText));

    // A caption wider than the design's button widens it to the left.
    if (const int needed = CaptionWidth(*btnSend); needed > btnSend->width()) {
        const int right = btnSend->geometry().right() + 1;
        btnSend->setGeometry(right - needed, btnSend->y(), needed, btnSend->height());
        lblSending->resize(btnSend->x() - 6 - lblSending->x(), lblSending->height());
    }

    // The labels sit at their design places; in another language they may
    // be wider than the room before their edit, so an edit moves right of
    // its label rather than covering it.
    Label1->move(8, 8);
    Label1->adjustSize();
    Label2->move(327, 8);
    Label2->adjustSize();
    const int gap = 6;
    if (Label1->geometry().right() + gap > edtUserName->x()) {
        const int left = Label1->geometry().right() + gap;
        edtUserName->setGeometry(left, 5, 321 - left, 21);
    }
    if (Label2->geometry().right() + gap > edtEmail->x()) {
        const int left = Label2->geometry().right() + gap;
        edtEmail->setGeometry(left, 5, 687 - left, 21);
    }
}

void TformBugReport::btnSendClick()
{
    // The exchange runs on this thread: the window waits for the service (at
    // most the requests' total limit) and says so meanwhile.
    lblSending->setText(GetText(ConnectingText) + QStringLiteral("..."));
    lblSending->show();
    btnSend->setEnabled(false);
    btnCancel->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    repaint();

    // A form post breaks its lines as CR LF, as the user's typing on any
    // system reaches the service alike.
    QString message = memoReport->toPlainText();
    message.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    QString result;
    SendBugReport(edtUserName->text(), edtEmail->text(), message, result);

    QApplication::restoreOverrideCursor();
    lblSending->hide();
    btnSend->setEnabled(true);
    btnCancel->setEnabled(true);
    ShowUserMessage(result);
    accept();
}

void TformBugReport::btnCancelClick()
{
    reject();
}
