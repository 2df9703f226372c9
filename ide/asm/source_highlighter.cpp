#include "ide/asm/source_highlighter.h"

#include <algorithm>

#include <QTextDocument>

#include "ide/asm/editor_styles.h"
#include "ide/asm/line_classifier.h"

TSourceHighlighter::TSourceHighlighter(QTextDocument* document, const bool& colouring)
    : QSyntaxHighlighter(document)
    , colouring_(colouring)
{
}

void TSourceHighlighter::MarkError(const QTextBlock& block, int start, int length)
{
    if (!block.isValid())
        return;
    const int textLength = block.length() - 1;
    start = std::clamp(start, 0, textLength);
    length = std::clamp(length, 0, textLength - start);
    error_ = QTextCursor(document());
    error_.setPosition(block.position() + start);
    error_.setPosition(block.position() + start + length, QTextCursor::KeepAnchor);
    marking_ = true;
    rehighlightBlock(block);
    marking_ = false;
}

QTextBlock TSourceHighlighter::ErrorBlock() const
{
    if (error_.isNull())
        return {};
    return error_.block();
}

void TSourceHighlighter::highlightBlock(const QString& text)
{
    const QTextBlock block = currentBlock();
    if (marking_ && !error_.isNull() && error_.block() == block) {
        setFormat(0, int(text.size()), TextStyleFormat(DefaultStyle));
        const int start = error_.selectionStart() - block.position();
        setFormat(start, error_.selectionEnd() - error_.selectionStart(), TextStyleFormat(ErrorStyle));
        return;
    }
    // Any other check of the marked line ends its mark.
    if (!error_.isNull() && error_.block() == block)
        error_ = QTextCursor();
    if (!colouring_)
        return;
    ++checkedLines_;
    const TClassifiedLine line = ClassifyLine(text);
    const int size = int(line.styles.size());
    for (int first = 0; first < size;) {
        int end = first + 1;
        while (end < size && line.styles[std::size_t(end)] == line.styles[std::size_t(first)])
            ++end;
        setFormat(first, end - first, TextStyleFormat(line.styles[std::size_t(first)]));
        first = end;
    }
}
