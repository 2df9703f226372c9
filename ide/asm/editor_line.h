#pragma once

// What the editor needs of one line's classification: the style of each
// character for colouring, and the line's first mnemonic, to which a line
// breakpoint belongs.
#include <cstdint>
#include <vector>

#include <QString>

struct TEditorLine {
    // One style index (TTextStyle) per UTF-16 unit of the line; empty when
    // the styles were not asked for.
    std::vector<std::uint8_t> styles;
    // Position and length of the line's first mnemonic; -1 when it has none.
    int instructionStart = -1;
    int instructionLength = 0;

    bool HasInstruction() const { return instructionStart >= 0; }
};

TEditorLine CheckEditorLine(const QString& text, bool withStyles);
