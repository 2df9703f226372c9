// The 33 baseline instructions, in one table: how a 12-bit word decodes, in
// decoder order, with the mnemonic, the cycles, the operand the
// disassembler shows and the engine's handler. Everything that knows the
// instruction set (decode, execution, cycle counts, disassembly, the
// mnemonic list the main program classifies source words with) reads it
// from here.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace corvel {

// What the disassembler shows after the mnemonic. f = bits 4..0, d = bit 5,
// b = bits 7..5, k = bits 7..0 (GOTO: bits 8..0).
enum class Operand : std::uint8_t {
    None,
    Literal,    // k
    GotoTarget, // k, bits 8..0
    CallTarget, // k
    FileBit,    // f, b
    FileDest,   // f, d
    File,       // f
    Port,       // bits 3..0
};

// A word belongs to a row when (word & mask) lies in first..last. Rows are
// tried in order and the first match wins; a word no row claims executes as
// the last row (NOP) but disassembles as "unknown". Cycles are without the
// extra cycle of a taken skip or a write to PCL.
//
//   mnemonic mask   first  last   cycles operand     handler          bits
#define CORVEL_INSTRUCTION_SET(ROW)                                                          \
    ROW(XORLW,  0xF00, 0xF00, 0xF00, 1, Literal,    xorlw)           /* 1111 kkkk kkkk */ \
    ROW(ANDLW,  0xF00, 0xE00, 0xE00, 1, Literal,    andlw)           /* 1110 kkkk kkkk */ \
    ROW(IORLW,  0xF00, 0xD00, 0xD00, 1, Literal,    iorlw)           /* 1101 kkkk kkkk */ \
    ROW(MOVLW,  0xF00, 0xC00, 0xC00, 1, Literal,    movlw)           /* 1100 kkkk kkkk */ \
    ROW(GOTO,   0xE00, 0xA00, 0xA00, 2, GotoTarget, gotoInstruction) /* 101k kkkk kkkk */ \
    ROW(CALL,   0xF00, 0x900, 0x900, 2, CallTarget, call)            /* 1001 kkkk kkkk */ \
    ROW(RETLW,  0xF00, 0x800, 0x800, 2, Literal,    retlw)           /* 1000 kkkk kkkk */ \
    ROW(BTFSS,  0xF00, 0x700, 0x700, 1, FileBit,    btfss)           /* 0111 bbbf ffff */ \
    ROW(BTFSC,  0xF00, 0x600, 0x600, 1, FileBit,    btfsc)           /* 0110 bbbf ffff */ \
    ROW(BSF,    0xF00, 0x500, 0x500, 1, FileBit,    bsf)             /* 0101 bbbf ffff */ \
    ROW(BCF,    0xF00, 0x400, 0x400, 1, FileBit,    bcf)             /* 0100 bbbf ffff */ \
    ROW(INCFSZ, 0xFC0, 0x3C0, 0x3C0, 1, FileDest,   incfsz)          /* 0011 11df ffff */ \
    ROW(SWAPF,  0xFC0, 0x380, 0x380, 1, FileDest,   swapf)           /* 0011 10df ffff */ \
    ROW(RLF,    0xFC0, 0x340, 0x340, 1, FileDest,   rlf)             /* 0011 01df ffff */ \
    ROW(RRF,    0xFC0, 0x300, 0x300, 1, FileDest,   rrf)             /* 0011 00df ffff */ \
    ROW(DECFSZ, 0xFC0, 0x2C0, 0x2C0, 1, FileDest,   decfsz)          /* 0010 11df ffff */ \
    ROW(INCF,   0xFC0, 0x280, 0x280, 1, FileDest,   incf)            /* 0010 10df ffff */ \
    ROW(COMF,   0xFC0, 0x240, 0x240, 1, FileDest,   comf)            /* 0010 01df ffff */ \
    ROW(MOVF,   0xFC0, 0x200, 0x200, 1, FileDest,   movf)            /* 0010 00df ffff */ \
    ROW(ADDWF,  0xFC0, 0x1C0, 0x1C0, 1, FileDest,   addwf)           /* 0001 11df ffff */ \
    ROW(XORWF,  0xFC0, 0x180, 0x180, 1, FileDest,   xorwf)           /* 0001 10df ffff */ \
    ROW(ANDWF,  0xFC0, 0x140, 0x140, 1, FileDest,   andwf)           /* 0001 01df ffff */ \
    ROW(IORWF,  0xFC0, 0x100, 0x100, 1, FileDest,   iorwf)           /* 0001 00df ffff */ \
    ROW(DECF,   0xFC0, 0x0C0, 0x0C0, 1, FileDest,   decf)            /* 0000 11df ffff */ \
    ROW(SUBWF,  0xFC0, 0x080, 0x080, 1, FileDest,   subwf)           /* 0000 10df ffff */ \
    ROW(CLRF,   0xFE0, 0x060, 0x060, 1, File,       clrf)            /* 0000 011f ffff */ \
    ROW(CLRW,   0xFE0, 0x040, 0x040, 1, None,       clrw)            /* 0000 010x xxxx */ \
    ROW(MOVWF,  0xFE0, 0x020, 0x020, 1, File,       movwf)           /* 0000 001f ffff */ \
    ROW(TRIS,   0xFFF, 0x005, 0x009, 1, Port,       tris)            /* 0000 0000 0101 .. 1001 */ \
    ROW(CLRWDT, 0xFFF, 0x004, 0x004, 1, None,       clrwdt)          /* 0000 0000 0100 */ \
    ROW(SLEEP,  0xFFF, 0x003, 0x003, 1, None,       sleep)           /* 0000 0000 0011 */ \
    ROW(OPTION, 0xFFF, 0x002, 0x002, 1, None,       option)          /* 0000 0000 0010 */ \
    ROW(NOP,    0xFFF, 0x000, 0x000, 1, None,       nop)             /* 0000 0000 0000, and every unclaimed word */

// The rows by name, in decoder order.
enum class Mnemonic : std::uint8_t {
#define CORVEL_MNEMONIC(name, mask, first, last, cycles, operand, handler) name,
    CORVEL_INSTRUCTION_SET(CORVEL_MNEMONIC)
#undef CORVEL_MNEMONIC
};

struct InstructionPattern {
    const char* mnemonic;
    uint16_t mask;
    uint16_t first;
    uint16_t last;
    uint8_t cycles;
    Operand operand;
};

inline constexpr std::array kInstructionSet{
#define CORVEL_PATTERN(name, mask, first, last, cycles, operand, handler) \
    InstructionPattern{#name, mask, first, last, cycles, Operand::operand},
    CORVEL_INSTRUCTION_SET(CORVEL_PATTERN)
#undef CORVEL_PATTERN
};

inline constexpr int kInstructionCount = int(kInstructionSet.size());

// The row whose pattern the word matches, or -1 when none does.
constexpr int matchingRow(uint16_t word)
{
    for (int row = 0; row < kInstructionCount; ++row) {
        const InstructionPattern& pattern = kInstructionSet[std::size_t(row)];
        const uint16_t bits = uint16_t(word & pattern.mask);
        if (bits >= pattern.first && bits <= pattern.last)
            return row;
    }
    return -1;
}

// The decoder row of a word (0..32); words no row claims decode as NOP.
constexpr int decodeRow(uint16_t word)
{
    const int row = matchingRow(uint16_t(word & 0xFFF));
    return row >= 0 ? row : kInstructionCount - 1;
}

} // namespace corvel
