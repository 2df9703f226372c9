#include "ide/asm/syntax_sweep.h"

TSyntaxSweep::TSyntaxSweep(TLink link, QObject* parent)
    : QObject(parent)
    , link_(std::move(link))
{
    // One line per turn of the event loop: typing and painting stay smooth.
    timer_.setInterval(0);
    connect(&timer_, &QTimer::timeout, this, &TSyntaxSweep::Step);
}

bool TSyntaxSweep::StartChkSyntax()
{
    if (running_)
        return false;
    running_ = true;
    downward_ = false;
    line_ = link_.caretLine();
    timer_.start();
    return true;
}

void TSyntaxSweep::StopChkSyntax()
{
    running_ = false;
    timer_.stop();
}

void TSyntaxSweep::Step()
{
    if (!running_)
        return;
    if (!downward_ && line_ < 1) {
        downward_ = true;
        line_ = link_.caretLine() + 1;
    }
    // A line that went since the sweep was planned is passed over.
    if (downward_ && line_ > link_.lineCount()) {
        StopChkSyntax();
        return;
    }
    if (line_ >= 1 && line_ <= link_.lineCount())
        link_.checkLine(line_);
    line_ += downward_ ? 1 : -1;
}
