#pragma once

// The 33 baseline instruction names, in the order the decoder tests the
// instruction word. The main program looks source mnemonics up in this list by
// position, so both the texts and their order are an interface.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace corvel {

enum class Mnemonic : std::uint8_t {
    XORLW, ANDLW, IORLW, MOVLW, GOTO, CALL, RETLW,
    BTFSS, BTFSC, BSF, BCF,
    INCFSZ, SWAPF, RLF, RRF, DECFSZ, INCF, COMF, MOVF,
    ADDWF, XORWF, ANDWF, IORWF, DECF, SUBWF,
    CLRF, CLRW, MOVWF, TRIS, CLRWDT, SLEEP, OPTION, NOP,
};

inline constexpr std::array<std::string_view, 33> mnemonicNames{
    "XORLW", "ANDLW", "IORLW", "MOVLW", "GOTO", "CALL", "RETLW",
    "BTFSS", "BTFSC", "BSF", "BCF",
    "INCFSZ", "SWAPF", "RLF", "RRF", "DECFSZ", "INCF", "COMF", "MOVF",
    "ADDWF", "XORWF", "ANDWF", "IORWF", "DECF", "SUBWF",
    "CLRF", "CLRW", "MOVWF", "TRIS", "CLRWDT", "SLEEP", "OPTION", "NOP",
};

static_assert(static_cast<std::size_t>(Mnemonic::NOP) + 1 == mnemonicNames.size());

constexpr std::string_view nameOf(Mnemonic mnemonic)
{
    return mnemonicNames[static_cast<std::size_t>(mnemonic)];
}

} // namespace corvel
