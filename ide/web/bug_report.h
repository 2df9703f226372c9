#pragma once

// The bug report form: the user's name, e-mail address and message, sent to
// the maker's service. Created once at program start and only hidden when
// closed, so what the user typed is still there at the next opening.
#include <QDialog>

QT_FORWARD_DECLARE_CLASS(QLabel)
QT_FORWARD_DECLARE_CLASS(QLineEdit)
QT_FORWARD_DECLARE_CLASS(QPlainTextEdit)
QT_FORWARD_DECLARE_CLASS(QPushButton)

class TformBugReport : public QDialog {
    Q_OBJECT

public:
    explicit TformBugReport(QWidget* parent = nullptr);
    ~TformBugReport() override;

    QLabel* Label1 = nullptr;
    QLineEdit* edtUserName = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* edtEmail = nullptr;
    QPlainTextEdit* memoReport = nullptr;
    QPushButton* btnSend = nullptr;
    QPushButton* btnCancel = nullptr;
    // Says that the report is on its way while the window waits for the
    // service.
    QLabel* lblSending = nullptr;

    // Sends the fields as they are, shows the outcome and closes the window.
    void btnSendClick();
    void btnCancelClick();

private:
    void FormCreate();
};

// The bug report form created at program start, else null.
extern TformBugReport* formBugReport;
