#pragma once

#include <QString>

// The source as the assembler sees it: the editor's lines (0-based), the
// line breakpoint of each line, and a way to mark a faulty token.
class TSourceLines {
public:
    virtual ~TSourceLines() = default;
    virtual int LineCount() const = 0;
    virtual QString LineText(int line) const = 0;
    virtual bool LineBreakpoint(int line) const = 0;
    // Shows the token in the error style until the line is next checked.
    virtual void MarkError(int line, int start, int length) = 0;
};
