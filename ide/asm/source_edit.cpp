#include "ide/asm/source_edit.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMimeData>

#include "ide/asm/editor_styles.h"

TSourceEdit::TSourceEdit(QWidget* parent)
    : QPlainTextEdit(parent)
{
    setObjectName(QStringLiteral("RVE"));
    setFrameStyle(QFrame::NoFrame);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setWordWrapMode(QTextOption::NoWrap);
    QPalette colours = palette();
    colours.setColor(QPalette::Base, Qt::white);
    colours.setColor(QPalette::Text, Qt::black);
    setPalette(colours);
    const QFont font = EditorFont("Tahoma");
    setFont(font);
    document()->setDefaultFont(font);
    setTabStopDistance(QFontMetricsF(font).averageCharWidth() * 8);
}

void TSourceEdit::keyPressEvent(QKeyEvent* event)
{
    emit KeyDown();
    QPlainTextEdit::keyPressEvent(event);
}

bool TSourceEdit::canInsertFromMimeData(const QMimeData* source) const
{
    return source && source->hasText();
}

// Only the text goes in, with its line ends made the editor's own.
void TSourceEdit::insertFromMimeData(const QMimeData* source)
{
    if (isReadOnly() || !source || !source->hasText())
        return;
    QString text = source->text();
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    emit Pasting();
    textCursor().insertText(text);
    ensureCursorVisible();
}

void TSourceEdit::contextMenuEvent(QContextMenuEvent* event)
{
    if (!contextMenu_) {
        QPlainTextEdit::contextMenuEvent(event);
        return;
    }
    contextMenu_->popup(event->globalPos());
}
