#pragma once

// The 33 baseline instruction names, in the order the decoder tests the
// instruction word. The main program looks source mnemonics up in this list by
// position, so both the texts and their order are an interface. They come
// from the instruction table.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/instruction_set.h"

namespace corvel {

inline constexpr std::array<std::string_view, kInstructionSet.size()> mnemonicNames = [] {
    std::array<std::string_view, kInstructionSet.size()> names{};
    for (std::size_t row = 0; row < names.size(); ++row)
        names[row] = kInstructionSet[row].mnemonic;
    return names;
}();

static_assert(mnemonicNames.size() == 33);
static_assert(static_cast<std::size_t>(Mnemonic::NOP) + 1 == mnemonicNames.size());

constexpr std::string_view nameOf(Mnemonic mnemonic)
{
    return mnemonicNames[static_cast<std::size_t>(mnemonic)];
}

} // namespace corvel
