#pragma once

// The start-up log window: shown modally while the program searches its
// folder for device libraries, with the search's log over its picture; the
// log is kept on disk as the crash log. It closes itself 1000 ms after the
// search, or 1 ms after it when the program was given any command-line
// argument; a click on the picture holds it open.
#include <QDialog>
#include <QRegion>
#include <QString>
#include <QStringList>

QT_FORWARD_DECLARE_CLASS(QPlainTextEdit)
QT_FORWARD_DECLARE_CLASS(QPushButton)
QT_FORWARD_DECLARE_CLASS(QTimer)

class TDeviceHost;
class TImageView;

class TformSplash : public QDialog {
    Q_OBJECT

public:
    // The search puts the libraries it accepts into host; programFolder is
    // the folder searched with all its subfolders.
    TformSplash(TDeviceHost& host, const QString& programFolder, bool anyArgument, QWidget* parent = nullptr);

    TImageView* Image1;
    QPlainTextEdit* Memo;
    QPushButton* X;
    QTimer* tmrClose;

    // The work of the first activation: the first log line, the search, then
    // the close timer. Later activations do nothing.
    void FormActivate();
    // Saves the whole log as the crash log, until a save has failed once.
    void MemoChange();
    void tmrCloseTimer();
    void Image1Click();
    void XClick();

    // The log, one entry per line added.
    QStringList LogLines() const;

    bool SplashActivated() const { return splashActivated_; }
    bool CrashLogFailed() const { return crashLogFailed_; }

    // Esc reaches the cancel button X, and only while X is shown.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void AddLogLine(const QString& line);
    void ShowNewestLines();
    void UpdateShape();

    TDeviceHost& host_;
    QString programFolder_;
    bool anyArgument_;
    bool splashActivated_ = false;
    bool crashLogFailed_ = false;
    QRegion pictureShape_;
    // The log as written; the box shows each line shortened to its width.
    QStringList logLines_;
};
