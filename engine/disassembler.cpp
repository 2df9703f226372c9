#include "engine/disassembler.h"

#include <string_view>

namespace corvel {

namespace {

// Two upper-case hex digits and "h"; a GOTO target above 0FFh gets its ninth
// bit as a leading "1".
void appendHexOperand(std::string& text, unsigned value)
{
    constexpr std::string_view digits = "0123456789ABCDEF";
    if (value > 0xFF)
        text += '1';
    text += digits[(value >> 4) & 0xF];
    text += digits[value & 0xF];
    text += 'h';
}

} // namespace

// The row is the one the word executes as; a word no row claims executes as
// NOP but has no instruction to show.
Disassembly disassemble(std::uint16_t word)
{
    word &= 0xFFF;
    const unsigned file = word & 0x1F;
    const unsigned literal = word & 0xFF;

    const int row = matchingRow(word);
    // 0000 0000 0001 and 0000 0000 1010 .. 0000 0001 1111: no instruction,
    // although the processor runs them as NOP.
    if (row < 0)
        return {"unknown", std::nullopt};
    const InstructionPattern& pattern = kInstructionSet[std::size_t(row)];

    Disassembly result;
    result.text = pattern.mnemonic;
    if (pattern.operand != Operand::None)
        result.text += ' ';
    switch (pattern.operand) {
    case Operand::None:
        break;
    case Operand::Literal:
        appendHexOperand(result.text, literal);
        break;
    case Operand::GotoTarget:
        appendHexOperand(result.text, word & 0x1FF);
        result.jumpTarget = word & 0x1FF;
        break;
    case Operand::CallTarget:
        appendHexOperand(result.text, literal);
        result.jumpTarget = literal;
        break;
    case Operand::FileBit:
        appendHexOperand(result.text, file);
        result.text += ", ";
        result.text += static_cast<char>('0' + ((word >> 5) & 0x7));
        break;
    case Operand::FileDest:
        appendHexOperand(result.text, file);
        result.text += (word & 0x20) ? ", f" : ", W";
        break;
    case Operand::File:
        appendHexOperand(result.text, file);
        break;
    case Operand::Port:
        result.text += static_cast<char>('0' + (word & 0xF));
        break;
    }
    return result;
}

} // namespace corvel
