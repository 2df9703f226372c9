#pragma once

// Program memory turned back into source text: one line per program word
// (the reserved last word aside), with numbered labels on every jump and call
// target so that the listing assembles again to the same words.
#include <cstdint>
#include <vector>

#include <QString>
#include <QStringList>

// One label of the listing: lbl<lnkNo> stands on word lnkAddr.
struct TArrayOfLinks {
    std::int32_t lnkNo = 0;
    std::int32_t lnkAddr = 0;
    bool operator==(const TArrayOfLinks&) const = default;
};

// The microcontroller library's disassembler as the listing needs it.
class TInstructionSource {
public:
    virtual ~TInstructionSource() = default;
    // Number of program words of the selected model.
    virtual std::int32_t RomSize() = 0;
    // The instruction text of program word `address`.
    virtual QString Instruction(std::int32_t address) = 0;
    // The target field of the last GOTO or CALL that Instruction translated.
    virtual std::int32_t JumpTarget() = 0;
};

// corvel's disassembler through the bound entry points (RomToParCommand,
// GetInstruction, Get_parGOTOaddr).
class TBoundInstructionSource final : public TInstructionSource {
public:
    std::int32_t RomSize() override;
    QString Instruction(std::int32_t address) override;
    std::int32_t JumpTarget() override;
};

struct TDisassemblyListing {
    // Line w holds word w; trailing lines that are exactly "NOP" are left out.
    QStringList lines;
    // The labels in order of first reference, numbered from 1.
    std::vector<TArrayOfLinks> tableofLinks;
};

// The listing of the whole program memory. A GOTO or CALL whose target has no
// line (the reserved last word, or beyond the model's memory) keeps its
// numeric operand instead of naming a label that would never be defined.
TDisassemblyListing DisassembleProgram(TInstructionSource& source);
