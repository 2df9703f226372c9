#pragma once

// The update window: asks the maker's service whether a newer version
// exists and, when one does, shows its number and the version history with a
// button to the download page. The check runs on a thread of its own that
// hands every change of the window to the user-interface thread.
#include <atomic>
#include <memory>
#include <thread>

#include <QDialog>
#include <QString>

#include "ide/web/service_requests.h"

QT_FORWARD_DECLARE_CLASS(QCheckBox)
QT_FORWARD_DECLARE_CLASS(QPlainTextEdit)
QT_FORWARD_DECLARE_CLASS(QPushButton)
QT_FORWARD_DECLARE_CLASS(QTimer)

class TformCheckUpdates;

// A check has reached a definite answer (latest version, or a newer one with
// its history): activating the window starts no further check.
extern bool UpdateCheckConcluded;
// A check found a newer version: the timer shows the window.
extern bool ShowUpdateForm;

// One check: starts at once on a thread of its own. Destroying it cancels the
// transfer under way and joins the thread; once cancelled it delivers nothing
// more to the window.
class ThreadWebUpd {
public:
    explicit ThreadWebUpd(TformCheckUpdates* form);
    ~ThreadWebUpd();
    ThreadWebUpd(const ThreadWebUpd&) = delete;
    ThreadWebUpd& operator=(const ThreadWebUpd&) = delete;

    // The check has not finished yet, or a change it handed over has not
    // reached the window yet (so that a window activated in between does not
    // start a second check before the answer has arrived).
    bool Running() const { return running_.load() || pendingChanges_->load() > 0; }

private:
    void Execute();
    // Hands one change of the window to the user-interface thread.
    template <typename TChange>
    void Deliver(TChange change);

    TformCheckUpdates* form_;
    TRequestCancel cancel_;
    std::atomic<bool> running_{true};
    // Changes posted to the window and not yet carried out; shared with the
    // posted changes, which may run after this object has gone.
    std::shared_ptr<std::atomic<int>> pendingChanges_ = std::make_shared<std::atomic<int>>(0);
    std::thread thread_;
};

class TformCheckUpdates : public QDialog {
    Q_OBJECT

public:
    // Created once at program start; starts the check at once when the
    // "Check_updates_on_startup" setting is on.
    explicit TformCheckUpdates(QWidget* parent = nullptr);
    ~TformCheckUpdates() override;

    QPlainTextEdit* Memo1 = nullptr;
    QCheckBox* ChkDontCheck = nullptr;
    QPushButton* btnDownNInst = nullptr;
    QPushButton* btnCancel = nullptr;
    QTimer* tmrCanShow = nullptr;

    // Starts a check unless one has concluded or one is still under way.
    void FormActivate();
    void tmrCanShowTimer();
    void ChkDontCheckClick();
    void btnDownNInstClick();
    void btnCancelClick();

    // Shows the window without waiting (the Help menu's Check for Updates).
    void ShowWindow();

    // Cancels the check under way and waits for its thread (the program is
    // ending). Safe without a check.
    void CancelCheck();
    // A check thread exists and has not finished.
    bool CheckRunning() const;

    // The memo's whole text becomes text; appending adds to its end.
    void SetMemoText(const QString& text);
    void AppendMemoText(const QString& text);

protected:
    void changeEvent(QEvent* event) override;

private:
    void FormCreate();
    void StartCheck();

    std::unique_ptr<ThreadWebUpd> co;
};

// The update window created at program start, else null.
extern TformCheckUpdates* formCheckUpdates;
