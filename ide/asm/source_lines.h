#pragma once

#include <QString>

class TSourceLines {  // the source as the assembler sees it
public:
    virtual ~TSourceLines() = default;
    virtual int LineCount() const = 0;
    virtual QString LineText(int line) const = 0;        // 0-based
    virtual bool LineBreakpoint(int line) const = 0;
    virtual void MarkError(int line, int start, int length) = 0; // error style until the line is next checked
};
