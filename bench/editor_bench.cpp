// Times the source window on a generated source (10 000 lines by default):
// classifying every line, loading it (every line classified and coloured),
// one keystroke inside a line and one Enter (each with its re-check), a page
// of scrolling with its repaint, and the background sweep over every line.
//
//   editor_bench [LINES] [REPEATS]
//
// Prints one line per measurement: "name  total-ms  per-item-us".
#include <chrono>
#include <cstdio>
#include <random>

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QScrollBar>
#include <QStringList>
#include <QTextBlock>

#include "engine/mnemonics.h"
#include "ide/asm/line_classifier.h"
#include "ide/asm/source_edit.h"
#include "ide/asm/source_window.h"
#include "ide/asm/syntax_sweep.h"

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void Report(const char* name, double milliseconds, int items)
{
    std::printf("%-28s %10.2f ms  %10.2f us each (%d)\n", name, milliseconds, milliseconds * 1000.0 / items, items);
}

// A source of every kind of line the language has.
QStringList GeneratedSource(int count)
{
    std::mt19937 random(13);
    auto pick = [&](int n) { return int(random() % unsigned(n)); };
    QStringList lines;
    for (int i = 0; i < count; ++i) {
        switch (pick(8)) {
        case 0: lines << QStringLiteral("L%1:").arg(i); break;
        case 1: lines << QStringLiteral("; comment %1, with words and: punctuation").arg(i); break;
        case 2: lines << QStringLiteral("C%1 EQU 0x%2 ; constant").arg(i).arg(pick(256), 2, 16, QLatin1Char('0')); break;
        case 3: lines << QStringLiteral("\tBSF PORTB,%1").arg(pick(8)); break;
        case 4: lines << QStringLiteral("\tMOVF 10h,W\t; load"); break;
        case 5: lines << QStringLiteral("loop%1:\tDECFSZ %2,F").arg(i).arg(pick(32)); break;
        case 6: lines << QStringLiteral("\tMOVLW 1010B"); break;
        default: lines << QStringLiteral("\tGOTO L%1").arg(pick(count)); break;
        }
    }
    return lines;
}

void PressKey(QWidget* target, int key, const QString& text)
{
    QKeyEvent press(QEvent::KeyPress, key, {}, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, {}, text);
    QApplication::sendEvent(target, &release);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication application(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int repeats = argc > 2 ? std::atoi(argv[2]) : 200;

    QStringList names;
    for (std::string_view name : corvel::mnemonicNames)
        names << QString::fromLatin1(name.data(), qsizetype(name.size()));
    SetBoundMnemonics(TMnemonicList(names));
    const QStringList lines = GeneratedSource(count);
    const QString text = lines.join(QLatin1Char('\n'));

    auto start = Clock::now();
    std::size_t tokens = 0;
    for (const QString& line : lines)
        tokens += ClassifyLine(line).tokens.size();
    Report("classify every line", MillisecondsSince(start), count);

    TMDIChild window;
    window.resize(800, 700);
    window.show();
    start = Clock::now();
    window.SetText(text);
    window.AfterLoad();
    QCoreApplication::processEvents();
    Report("load, classify and colour", MillisecondsSince(start), count);

    // Keystrokes in the middle of the source, each with its re-check.
    QTextCursor middle(window.RVE->document()->findBlockByNumber(count / 2));
    middle.movePosition(QTextCursor::EndOfBlock);
    window.RVE->setTextCursor(middle);
    window.RVE->ensureCursorVisible();
    QCoreApplication::processEvents();
    start = Clock::now();
    for (int i = 0; i < repeats; ++i) {
        PressKey(window.RVE, Qt::Key_A, QStringLiteral("a"));
        window.RVE->viewport()->repaint();
    }
    Report("keystroke + repaint", MillisecondsSince(start), repeats);
    start = Clock::now();
    for (int i = 0; i < repeats; ++i) {
        PressKey(window.RVE, Qt::Key_Backspace, QString());
        window.RVE->viewport()->repaint();
    }
    Report("backspace + repaint", MillisecondsSince(start), repeats);
    start = Clock::now();
    for (int i = 0; i < repeats; ++i) {
        PressKey(window.RVE, Qt::Key_Return, QStringLiteral("\r"));
        window.RVE->viewport()->repaint();
    }
    Report("enter (new line) + repaint", MillisecondsSince(start), repeats);

    // Scrolling a page at a time, editor and gutters repainted.
    QScrollBar* bar = window.RVE->verticalScrollBar();
    bar->setValue(0);
    start = Clock::now();
    for (int i = 0; i < repeats; ++i) {
        bar->setValue((i * bar->pageStep()) % std::max(1, bar->maximum()));
        window.repaint();
    }
    Report("scroll a page + repaint", MillisecondsSince(start), repeats);

    // The sweep over every line (one line per turn of the event loop).
    int swept = 0;
    QObject::connect(&window, &TMDIChild::LineSwept, [&](int) { ++swept; });
    window.TimerSyntaxStart = true;
    start = Clock::now();
    window.TimerSyntaxTimer();
    while (window.Sweep().Running())
        QCoreApplication::processEvents();
    Report("sweep every line", MillisecondsSince(start), std::max(1, swept));
    std::printf("lines %d, tokens %zu\n", window.LineCount(), tokens);
    return 0;
}
