#include "ide/asm/editor_line.h"

#include "ide/asm/editor_styles.h"

// Stand-in until the line classifier is in: enough to tell mnemonics,
// comments and labels apart.
namespace {

bool IsMnemonic(const QString& token)
{
    static const char* const names[] = {
        "ADDWF", "ANDWF", "CLRF", "CLRW", "COMF", "DECF", "DECFSZ", "INCF", "INCFSZ", "IORWF", "MOVF",
        "MOVWF", "NOP", "RLF", "RRF", "SUBWF", "SWAPF", "XORWF", "BCF", "BSF", "BTFSC", "BTFSS",
        "ANDLW", "CALL", "CLRWDT", "GOTO", "IORLW", "MOVLW", "OPTION", "RETLW", "SLEEP", "TRIS", "XORLW"};
    for (const char* name : names)
        if (token == QLatin1String(name))
            return true;
    return false;
}

} // namespace

TEditorLine CheckEditorLine(const QString& text, bool withStyles)
{
    TEditorLine line;
    if (withStyles)
        line.styles.assign(std::size_t(text.size()), StyleDefault);
    int end = text.indexOf(QLatin1Char(';'));
    if (end < 0)
        end = int(text.size());
    else if (withStyles)
        std::fill(line.styles.begin() + end, line.styles.end(), StyleComment);
    int position = 0;
    const int colon = text.left(end).indexOf(QLatin1Char(':'));
    if (colon >= 0) {
        if (withStyles)
            std::fill(line.styles.begin(), line.styles.begin() + colon + 1, StyleLabel);
        position = colon + 1;
    }
    while (position < end) {
        const QChar c = text[position];
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char(',')) {
            ++position;
            continue;
        }
        int tokenEnd = position;
        while (tokenEnd < end && text[tokenEnd] != QLatin1Char(' ') && text[tokenEnd] != QLatin1Char('\t')
               && text[tokenEnd] != QLatin1Char(','))
            ++tokenEnd;
        if (IsMnemonic(text.mid(position, tokenEnd - position).toUpper())) {
            if (!line.HasInstruction()) {
                line.instructionStart = position;
                line.instructionLength = tokenEnd - position;
            }
            if (withStyles)
                std::fill(line.styles.begin() + position, line.styles.begin() + tokenEnd, StyleInstruction);
        }
        position = tokenEnd;
    }
    return line;
}
