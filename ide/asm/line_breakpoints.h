#pragma once

// Line breakpoints anchored to their instructions: each is a cursor selecting
// the mnemonic it was set on, so it moves with that mnemonic when lines are
// split, joined, inserted or deleted above it. A breakpoint whose mnemonic is
// deleted is kept aside with the text around it and comes back when an undo
// (or a paste at the same place) restores that mnemonic.
#include <vector>

#include <QObject>
#include <QString>
#include <QTextCursor>

QT_FORWARD_DECLARE_CLASS(QTextBlock)
QT_FORWARD_DECLARE_CLASS(QTextDocument)

class TLineBreakpoints : public QObject {
    Q_OBJECT

public:
    explicit TLineBreakpoints(QTextDocument* document);

    // Whether the mnemonic at `start`, `length` of `block` carries a breakpoint.
    bool On(const QTextBlock& block, int start, int length) const;
    // Anchors a breakpoint to the mnemonic at `start`, `length` of `block`.
    void Set(const QTextBlock& block, int start, int length);
    // Removes every breakpoint anchored inside `block`.
    void Clear(const QTextBlock& block);
    // Removes every breakpoint, also those kept aside for an undo.
    void ClearAll();

    // Breakpoints anchored to some text now.
    int Count() const { return int(live_.size()); }

private:
    void DocumentChanged(int position, int removed, int added);

    // `start` and `text` are the selection as the last change left it.
    struct TAnchor {
        QTextCursor cursor;
        int start;
        QString text;
    };
    // A breakpoint whose mnemonic was deleted: `cursor` sits where the text
    // went, the mnemonic `text` stood `offset` characters into it.
    struct TBuried {
        QTextCursor cursor;
        int offset;
        QString text;
    };

    QTextDocument* document_;
    std::vector<TAnchor> live_;
    std::vector<TBuried> buried_;
};
