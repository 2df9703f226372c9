#pragma once

// The background sweep that brings the breakpoint gutter up to date after
// the number of lines changed: it checks one line per turn of the event loop
// on the main thread, from the caret's line up to the first line, then from
// the line below the (then) caret's line down to the last. It belongs to its
// window, so it can never outlive it.
#include <functional>

#include <QObject>
#include <QTimer>

class TSyntaxSweep : public QObject {
    Q_OBJECT

public:
    struct TLink {
        std::function<int()> caretLine; // 1-based
        std::function<int()> lineCount;
        std::function<void(int line)> checkLine; // 1-based
    };

    TSyntaxSweep(TLink link, QObject* parent);

    // False, doing nothing, while a sweep runs; otherwise starts one.
    bool StartChkSyntax();
    // The running sweep stops before its next line.
    void StopChkSyntax();
    bool Running() const { return running_; }
    // The line the sweep checks next (1-based).
    int SweepLine() const { return line_; }

private:
    void Step();

    TLink link_;
    QTimer timer_;
    bool running_ = false;
    bool downward_ = false;
    int line_ = 0;
};
