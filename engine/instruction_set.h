// The 33 baseline instructions: how a 12-bit word decodes, in decoder order.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace corvel {

// A word belongs to a row when (word & mask) lies in first..last. Rows are
// tried in order and the first match wins; the last row takes every word.
struct InstructionPattern {
    const char* mnemonic;
    uint16_t mask;
    uint16_t first;
    uint16_t last;
    uint8_t cycles; // without the extra cycle of a taken skip
};

inline constexpr int kInstructionCount = 33;

// f = bits 4..0, d = bit 5, b = bits 7..5, k = bits 7..0 (GOTO: bits 8..0).
inline constexpr std::array<InstructionPattern, kInstructionCount> kInstructionSet{{
    {"XORLW", 0xF00, 0xF00, 0xF00, 1},  // 1111 kkkk kkkk
    {"ANDLW", 0xF00, 0xE00, 0xE00, 1},  // 1110 kkkk kkkk
    {"IORLW", 0xF00, 0xD00, 0xD00, 1},  // 1101 kkkk kkkk
    {"MOVLW", 0xF00, 0xC00, 0xC00, 1},  // 1100 kkkk kkkk
    {"GOTO", 0xE00, 0xA00, 0xA00, 2},   // 101k kkkk kkkk
    {"CALL", 0xF00, 0x900, 0x900, 2},   // 1001 kkkk kkkk
    {"RETLW", 0xF00, 0x800, 0x800, 2},  // 1000 kkkk kkkk
    {"BTFSS", 0xF00, 0x700, 0x700, 1},  // 0111 bbbf ffff
    {"BTFSC", 0xF00, 0x600, 0x600, 1},  // 0110 bbbf ffff
    {"BSF", 0xF00, 0x500, 0x500, 1},    // 0101 bbbf ffff
    {"BCF", 0xF00, 0x400, 0x400, 1},    // 0100 bbbf ffff
    {"INCFSZ", 0xFC0, 0x3C0, 0x3C0, 1}, // 0011 11df ffff
    {"SWAPF", 0xFC0, 0x380, 0x380, 1},  // 0011 10df ffff
    {"RLF", 0xFC0, 0x340, 0x340, 1},    // 0011 01df ffff
    {"RRF", 0xFC0, 0x300, 0x300, 1},    // 0011 00df ffff
    {"DECFSZ", 0xFC0, 0x2C0, 0x2C0, 1}, // 0010 11df ffff
    {"INCF", 0xFC0, 0x280, 0x280, 1},   // 0010 10df ffff
    {"COMF", 0xFC0, 0x240, 0x240, 1},   // 0010 01df ffff
    {"MOVF", 0xFC0, 0x200, 0x200, 1},   // 0010 00df ffff
    {"ADDWF", 0xFC0, 0x1C0, 0x1C0, 1},  // 0001 11df ffff
    {"XORWF", 0xFC0, 0x180, 0x180, 1},  // 0001 10df ffff
    {"ANDWF", 0xFC0, 0x140, 0x140, 1},  // 0001 01df ffff
    {"IORWF", 0xFC0, 0x100, 0x100, 1},  // 0001 00df ffff
    {"DECF", 0xFC0, 0x0C0, 0x0C0, 1},   // 0000 11df ffff
    {"SUBWF", 0xFC0, 0x080, 0x080, 1},  // 0000 10df ffff
    {"CLRF", 0xFE0, 0x060, 0x060, 1},   // 0000 011f ffff
    {"CLRW", 0xFE0, 0x040, 0x040, 1},   // 0000 010x xxxx
    {"MOVWF", 0xFE0, 0x020, 0x020, 1},  // 0000 001f ffff
    {"TRIS", 0xFFF, 0x005, 0x009, 1},   // 0000 0000 0101 .. 0000 0000 1001
    {"CLRWDT", 0xFFF, 0x004, 0x004, 1}, // 0000 0000 0100
    {"SLEEP", 0xFFF, 0x003, 0x003, 1},  // 0000 0000 0011
    {"OPTION", 0xFFF, 0x002, 0x002, 1}, // 0000 0000 0010
    {"NOP", 0x000, 0x000, 0x000, 1},    // every other word
}};

// The decoder row of a word (0..32); words no row claims decode as NOP.
constexpr int decodeRow(uint16_t word)
{
    for (int row = 0; row < kInstructionCount; ++row) {
        const InstructionPattern& pattern = kInstructionSet[std::size_t(row)];
        const uint16_t bits = uint16_t(word & pattern.mask);
        if (bits >= pattern.first && bits <= pattern.last)
            return row;
    }
    return kInstructionCount - 1;
}

} // namespace corvel
