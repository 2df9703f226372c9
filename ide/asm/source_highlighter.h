#pragma once

// Colours the editor's lines by their classification. The formats live in
// the layout, not in the text: colouring never marks the document modified
// and never enters the undo history. An error mark laid over one line by the
// assembler stays until that line is next checked (edited, or all lines
// re-coloured).
#include <QSyntaxHighlighter>
#include <QTextCursor>

class TSourceHighlighter : public QSyntaxHighlighter {
    Q_OBJECT

public:
    // While `colouring` is false, lines are left without colours (the
    // window's autoCheck); it must outlive the highlighter.
    TSourceHighlighter(QTextDocument* document, const bool& colouring);

    // Shows `block` in the default style with `start`, `length` in the error
    // style, whatever the colouring switch says.
    void MarkError(const QTextBlock& block, int start, int length);
    // The block that carries an error mark; invalid when none.
    QTextBlock ErrorBlock() const;

    // How many lines were classified for colouring (for measurements).
    long long CheckedLines() const { return checkedLines_; }

protected:
    void highlightBlock(const QString& text) override;

private:
    const bool& colouring_;
    bool marking_ = false;
    QTextCursor error_;
    long long checkedLines_ = 0;
};
