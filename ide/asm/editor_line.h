#pragma once

// Where a line's first mnemonic stands: a line breakpoint belongs to it.
#include <QStringView>

struct TInstructionPlace {
    int start = -1; // -1: the line holds no instruction
    int length = 0;

    bool Found() const { return start >= 0; }
};

// Classified with the bound instruction list.
TInstructionPlace FirstInstructionOf(QStringView line);
