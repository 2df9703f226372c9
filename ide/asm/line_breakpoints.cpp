#include "ide/asm/line_breakpoints.h"

#include <algorithm>

#include <QTextBlock>
#include <QTextDocument>

namespace {

// Kept aside for an undo: more than any undo history a user walks back.
constexpr std::size_t BuriedLimit = 512;

bool InsideBlock(const QTextCursor& cursor, const QTextBlock& block)
{
    const int first = block.position();
    const int end = first + block.length() - 1; // before the line's end
    return cursor.selectionStart() >= first && cursor.selectionEnd() <= end;
}

} // namespace

TLineBreakpoints::TLineBreakpoints(QTextDocument* document)
    : QObject(document)
    , document_(document)
{
    connect(document, &QTextDocument::contentsChange, this, &TLineBreakpoints::DocumentChanged);
}

bool TLineBreakpoints::On(const QTextBlock& block, int start, int length) const
{
    if (!block.isValid() || length <= 0)
        return false;
    const int first = block.position() + start;
    const int end = first + length;
    return std::any_of(live_.begin(), live_.end(), [&](const TAnchor& anchor) {
        return anchor.cursor.hasSelection() && InsideBlock(anchor.cursor, block)
            && anchor.cursor.selectionStart() < end && anchor.cursor.selectionEnd() > first;
    });
}

void TLineBreakpoints::Set(const QTextBlock& block, int start, int length)
{
    if (!block.isValid() || length <= 0 || On(block, start, length))
        return;
    QTextCursor cursor(document_);
    cursor.setPosition(block.position() + start);
    cursor.setPosition(block.position() + start + length, QTextCursor::KeepAnchor);
    live_.push_back({cursor, cursor.selectionStart(), cursor.selectedText()});
}

void TLineBreakpoints::Clear(const QTextBlock& block)
{
    std::erase_if(live_, [&](const TAnchor& anchor) { return InsideBlock(anchor.cursor, block); });
}

void TLineBreakpoints::ClearAll()
{
    live_.clear();
    buried_.clear();
}

void TLineBreakpoints::DocumentChanged(int position, int removed, int added)
{
    // Text given back exactly where a mnemonic went brings its breakpoint back.
    if (added > 0) {
        for (auto it = buried_.begin(); it != buried_.end();) {
            const bool movedByThisInsert = it->cursor.position() == position + added;
            const int start = position + it->offset;
            bool restored = false;
            if (movedByThisInsert && it->offset + it->text.size() <= added) {
                QTextCursor cursor(document_);
                cursor.setPosition(start);
                cursor.setPosition(start + int(it->text.size()), QTextCursor::KeepAnchor);
                if (cursor.selectedText() == it->text) {
                    live_.push_back({cursor, start, it->text});
                    restored = true;
                }
            }
            it = restored ? buried_.erase(it) : it + 1;
        }
    }
    for (auto it = live_.begin(); it != live_.end();) {
        if (it->cursor.hasSelection()) {
            it->start = it->cursor.selectionStart();
            it->text = it->cursor.selectedText();
            ++it;
            continue;
        }
        // Its mnemonic went with this change.
        if (removed > 0 && it->start >= position && it->start < position + removed) {
            buried_.push_back({it->cursor, it->start - position, it->text});
        }
        it = live_.erase(it);
    }
    if (buried_.size() > BuriedLimit)
        buried_.erase(buried_.begin(), buried_.begin() + std::ptrdiff_t(buried_.size() - BuriedLimit));
}
