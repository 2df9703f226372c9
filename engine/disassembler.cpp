#include "engine/disassembler.h"

#include <string_view>

namespace corvel {

namespace {

enum class Operand : std::uint8_t {
    None,
    Literal,    // k, bits 7..0
    GotoTarget, // k, bits 8..0
    CallTarget, // k, bits 7..0
    FileBit,    // f, bits 4..0, and b, bits 7..5
    FileDest,   // f, bits 4..0, and d, bit 5
    File,       // f, bits 4..0
    Port,       // port number, bits 3..0
};

struct Pattern {
    std::uint16_t mask;
    std::uint16_t match;
    Mnemonic mnemonic;
    Operand operand;
};

// Tested from the top, first match wins: the same tests in the same order as
// the execution, so every word reads as the instruction it executes as.
constexpr Pattern patterns[] = {
    {0xF00, 0xF00, Mnemonic::XORLW,  Operand::Literal},    // 1111 kkkk kkkk
    {0xF00, 0xE00, Mnemonic::ANDLW,  Operand::Literal},    // 1110 kkkk kkkk
    {0xF00, 0xD00, Mnemonic::IORLW,  Operand::Literal},    // 1101 kkkk kkkk
    {0xF00, 0xC00, Mnemonic::MOVLW,  Operand::Literal},    // 1100 kkkk kkkk
    {0xE00, 0xA00, Mnemonic::GOTO,   Operand::GotoTarget}, // 101k kkkk kkkk
    {0xF00, 0x900, Mnemonic::CALL,   Operand::CallTarget}, // 1001 kkkk kkkk
    {0xF00, 0x800, Mnemonic::RETLW,  Operand::Literal},    // 1000 kkkk kkkk
    {0xF00, 0x700, Mnemonic::BTFSS,  Operand::FileBit},    // 0111 bbbf ffff
    {0xF00, 0x600, Mnemonic::BTFSC,  Operand::FileBit},    // 0110 bbbf ffff
    {0xF00, 0x500, Mnemonic::BSF,    Operand::FileBit},    // 0101 bbbf ffff
    {0xF00, 0x400, Mnemonic::BCF,    Operand::FileBit},    // 0100 bbbf ffff
    {0xFC0, 0x3C0, Mnemonic::INCFSZ, Operand::FileDest},   // 0011 11df ffff
    {0xFC0, 0x380, Mnemonic::SWAPF,  Operand::FileDest},   // 0011 10df ffff
    {0xFC0, 0x340, Mnemonic::RLF,    Operand::FileDest},   // 0011 01df ffff
    {0xFC0, 0x300, Mnemonic::RRF,    Operand::FileDest},   // 0011 00df ffff
    {0xFC0, 0x2C0, Mnemonic::DECFSZ, Operand::FileDest},   // 0010 11df ffff
    {0xFC0, 0x280, Mnemonic::INCF,   Operand::FileDest},   // 0010 10df ffff
    {0xFC0, 0x240, Mnemonic::COMF,   Operand::FileDest},   // 0010 01df ffff
    {0xFC0, 0x200, Mnemonic::MOVF,   Operand::FileDest},   // 0010 00df ffff
    {0xFC0, 0x1C0, Mnemonic::ADDWF,  Operand::FileDest},   // 0001 11df ffff
    {0xFC0, 0x180, Mnemonic::XORWF,  Operand::FileDest},   // 0001 10df ffff
    {0xFC0, 0x140, Mnemonic::ANDWF,  Operand::FileDest},   // 0001 01df ffff
    {0xFC0, 0x100, Mnemonic::IORWF,  Operand::FileDest},   // 0001 00df ffff
    {0xFC0, 0x0C0, Mnemonic::DECF,   Operand::FileDest},   // 0000 11df ffff
    {0xFC0, 0x080, Mnemonic::SUBWF,  Operand::FileDest},   // 0000 10df ffff
    {0xFE0, 0x060, Mnemonic::CLRF,   Operand::File},       // 0000 011f ffff
    {0xFE0, 0x040, Mnemonic::CLRW,   Operand::None},       // 0000 010x xxxx
    {0xFE0, 0x020, Mnemonic::MOVWF,  Operand::File},       // 0000 001f ffff
    {0xFFF, 0x005, Mnemonic::TRIS,   Operand::Port},       // 0000 0000 0101
    {0xFFE, 0x006, Mnemonic::TRIS,   Operand::Port},       // 0000 0000 011x
    {0xFFE, 0x008, Mnemonic::TRIS,   Operand::Port},       // 0000 0000 100x
    {0xFFF, 0x004, Mnemonic::CLRWDT, Operand::None},       // 0000 0000 0100
    {0xFFF, 0x003, Mnemonic::SLEEP,  Operand::None},       // 0000 0000 0011
    {0xFFF, 0x002, Mnemonic::OPTION, Operand::None},       // 0000 0000 0010
    {0xFFF, 0x000, Mnemonic::NOP,    Operand::None},       // 0000 0000 0000
};

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

Disassembly disassemble(std::uint16_t word)
{
    word &= 0xFFF;
    const unsigned file = word & 0x1F;
    const unsigned literal = word & 0xFF;

    for (const Pattern& pattern : patterns) {
        if ((word & pattern.mask) != pattern.match)
            continue;

        Disassembly result;
        result.text = nameOf(pattern.mnemonic);
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
    // 0000 0000 0001 and 0000 0000 1010 .. 0000 0001 1111: no instruction,
    // although the processor runs them as NOP.
    return {"unknown", std::nullopt};
}

} // namespace corvel
