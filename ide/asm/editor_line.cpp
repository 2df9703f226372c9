#include "ide/asm/editor_line.h"

#include "ide/asm/line_classifier.h"

TInstructionPlace FirstInstructionOf(QStringView line)
{
    const TClassifiedLine classified = ClassifyLine(line);
    const int first = classified.FirstInstruction();
    if (first < 0)
        return {};
    const TArrayOfCaD& token = classified.tokens[std::size_t(first)];
    return {token.txtStart, token.txtLong};
}
