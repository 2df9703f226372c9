#pragma once

// What the editor's tests share: an application, a source window in its
// working state, and ways to type, click and let the sweep run.
#include <memory>

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTextBlock>

#include <gtest/gtest.h>

#include "asm/asm_fixture.h"
#include "ide/asm/source_edit.h"
#include "ide/asm/source_gutters.h"
#include "ide/asm/source_window.h"
#include "ide/asm/syntax_sweep.h"

namespace twtest {

// The application, and the instruction list as corvel holds it.
inline void EnsureEditorApplication()
{
    if (QApplication::instance())
        return;
    SetBoundMnemonics(BaselineMnemonics());
    static int argc = 1;
    static char name[] = "test_editor";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

// A source window holding `text`, loaded as a project would load it.
inline std::unique_ptr<TMDIChild> OpenSource(const QString& text)
{
    EnsureEditorApplication();
    auto window = std::make_unique<TMDIChild>();
    window->SetText(text);
    window->show();
    window->AfterLoad();
    return window;
}

// Processes events until `done` or ten seconds passed; `done`'s last answer.
template <typename Done>
bool ProcessUntil(Done done)
{
    QElapsedTimer limit;
    limit.start();
    while (!done() && limit.elapsed() < 10000)
        QCoreApplication::processEvents();
    return done();
}

// Runs the wanted sweep to its end.
inline void RunSweep(TMDIChild& window)
{
    window.TimerSyntaxTimer();
    QElapsedTimer limit;
    limit.start();
    while (window.Sweep().Running() && limit.elapsed() < 10000)
        QCoreApplication::processEvents();
}

inline void PressKey(QWidget* target, int key, const QString& text = {}, Qt::KeyboardModifiers modifiers = {})
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(target, &release);
}

inline void Type(QWidget* target, const QString& text)
{
    for (const QChar c : text)
        PressKey(target, c == QLatin1Char('\n') ? Qt::Key_Return : 0, c == QLatin1Char('\n') ? QStringLiteral("\r") : QString(c));
}

// Puts the caret at `column` of line `line` (both 0-based).
inline void PlaceCaret(TMDIChild& window, int line, int column)
{
    QTextCursor cursor(window.RVE->document()->findBlockByNumber(line));
    cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, column);
    window.RVE->setTextCursor(cursor);
}

// Presses the mouse on one line's gutter picture and releases it on another's.
inline void ClickGutter(TMDIChild& window, int pressLine, int releaseLine)
{
    const QPoint press = window.RVbp->PictureRect(pressLine).center();
    const QPoint release = window.RVbp->PictureRect(releaseLine).center();
    QMouseEvent down(QEvent::MouseButtonPress, press, window.RVbp->mapToGlobal(press), Qt::LeftButton,
                     Qt::LeftButton, {});
    QApplication::sendEvent(window.RVbp, &down);
    QMouseEvent up(QEvent::MouseButtonRelease, release, window.RVbp->mapToGlobal(release), Qt::LeftButton,
                   Qt::NoButton, {});
    QApplication::sendEvent(window.RVbp, &up);
}

} // namespace twtest
