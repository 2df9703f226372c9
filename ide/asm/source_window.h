#pragma once

// The assembler source window of an open project (TMDIChild): the source
// editor with its line-number and breakpoint gutters, colouring by line
// class, line breakpoints that stay on their instructions, the sweep that
// keeps the breakpoint gutter up to date, and the executing-line marker.
// Everything other windows need of the editor is a method here.
#include <cstdint>
#include <functional>
#include <vector>

#include <QMdiSubWindow>

#include "ide/asm/source_lines.h"

QT_FORWARD_DECLARE_CLASS(QAction)
QT_FORWARD_DECLARE_CLASS(QMdiArea)
QT_FORWARD_DECLARE_CLASS(QMenu)
QT_FORWARD_DECLARE_CLASS(QTimer)

class TBreakpointGutter;
class TLineBreakpoints;
class TLineNumberGutter;
class TSourceEdit;
class TSourceHighlighter;
class TSyntaxSweep;

class TMDIChild : public QMdiSubWindow, public TSourceLines {
    Q_OBJECT

public:
    explicit TMDIChild(QWidget* parent = nullptr);
    ~TMDIChild() override;

    // ---- The text

    // Puts `text` into the editor as the program's own change: not a user's
    // edit (no modified mark, no undo step), breakpoints and marks dropped.
    // The window then waits for AfterLoad.
    void SetText(const QString& text);
    QString Text() const;
    // Brings the window into its working state once its text is in:
    // colouring on, every line checked and coloured, gutters laid out,
    // scrolled to the top, edits processed from now on.
    void AfterLoad();

    // Checks and colours every line and brings the gutters in step.
    void CheckSyn();
    // Gives the gutters one line per editor line; a change in the number of
    // lines stops the sweep and asks for a new one.
    void SyncCountRowsAndBP();
    // Lays out editor and gutters.
    void OnResize();
    // How many times a line was classified for colouring so far.
    long long ColouredLineChecks() const;

    // ---- What the assembler reads (lines are 0-based)

    int LineCount() const override;
    QString LineText(int line) const override;
    bool LineBreakpoint(int line) const override;
    void MarkError(int line, int start, int length) override;

    // ---- Breakpoints and the breakpoint gutter (lines are 0-based)

    // The picture the breakpoint gutter shows on a line (TGutterPicture),
    // -1 for a line that does not exist.
    int GutterImage(int line) const;
    // The breakpoint click: on a line with an instruction, sets or clears
    // its breakpoint; other lines are left alone. True when it changed.
    bool ToggleBreakpoint(int line);
    // Removes every line breakpoint; the gutter shows each line with an
    // instruction as such and each executing arrow as plain again.
    void ClearAllBreakpoints();

    // ---- While a simulation runs

    // The executing line (1-based) or 0 when nothing runs or the line is
    // not known; by default read from corvel (the running flag, the next
    // instruction's address and the line recorded for it).
    using TExecutingLineSource = std::function<int()>;
    void SetExecutingLineSource(TExecutingLineSource source);
    // The marker's timer runs for the window's life; Start marks at once,
    // Stop takes the marker away at once.
    void StartExecutingMarker();
    void StopExecutingMarker();
    // The line (0-based) the marker shows now, -1 when none.
    int MarkedLine() const { return Can_Restore_img_in_BP ? item_to_rest_BP : -1; }
    // The editor refuses edits while a run lasts.
    void SetRunning(bool running);

    // ---- The sweep

    TSyntaxSweep& Sweep() const { return *sweep_; }
    // The sweep's per-line step: classifies line `line` (1-based) and sets
    // its gutter picture.
    void CheckLineFromSweep(int line);
    // Every tick of TimerSyntax: starts a wanted sweep unless one runs.
    void TimerSyntaxTimer();
    // Every tick of TmrRefresh: moves the executing-line marker.
    void TmrRefreshTimer();

    // ---- Fields other windows use

    TSourceEdit* RVE = nullptr;
    TLineNumberGutter* RV = nullptr;
    TBreakpointGutter* RVbp = nullptr;
    QTimer* TmrRefresh = nullptr;
    QTimer* TimerSyntax = nullptr;
    QMenu* ppmAsmEditor = nullptr;
    QAction* Cut1 = nullptr;
    QAction* Copy1 = nullptr;
    QAction* Paste1 = nullptr;

    // Words of the last assembled program.
    std::int32_t ProgramSizeInWord = 0;
    // A paste is in progress, from the caret's line varPasteLn (1-based).
    bool varPaste = false;
    std::int32_t varPasteLn = 0;
    // False while the program itself fills the editor: edits are then not
    // the user's (no modified mark).
    bool alload = false;
    // Colouring on; the assembler switches it off while it classifies.
    bool autoCheck = false;
    // A sweep is wanted.
    bool TimerSyntaxStart = false;

signals:
    // The user changed the text (the project's modified flag was set).
    void Modified();
    // The sweep checked line `line` (1-based).
    void LineSwept(int line);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetAutoCheckColouring();
    void MarkModified();
    void RVEChange(int position, int removed, int added);
    void RVEPaste();
    void RVEKeyDown();
    void SetGutterImage(int line, int image);
    void RestoreMarkedImage();
    int CaretLine() const;

    QWidget* client_ = nullptr;
    TSourceHighlighter* highlighter_ = nullptr;
    TLineBreakpoints* breakpoints_ = nullptr;
    TSyntaxSweep* sweep_ = nullptr;
    TExecutingLineSource executingLine_;
    // One picture per line, as the breakpoint gutter shows it.
    std::vector<std::uint8_t> images_;
    int lastRevision_ = 0;
    bool Can_Restore_img_in_BP = false;
    int img_ind_BP = 0;
    int item_to_rest_BP = -1;
};

// Creates the source window as a sub-window of `area` holding `text`, in its
// working state and shown (its caption is text 3).
TMDIChild* CreateSourceWindow(QMdiArea* area, const QString& text);
