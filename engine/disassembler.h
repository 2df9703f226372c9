#pragma once

// One 12-bit instruction word as one line of assembly text, for the
// instruction view and for rebuilding source from program memory.
#include <cstdint>
#include <optional>
#include <string>

#include "engine/mnemonics.h"

namespace corvel {

struct Disassembly {
    std::string text;
    // GOTO: the 9-bit target field; CALL: the 8-bit one. The STATUS page bits
    // are not added: the word alone does not know the page it runs in.
    std::optional<std::int32_t> jumpTarget;
};

// Bits above 11 are ignored. Pure: callable from any thread while the
// simulation thread executes.
Disassembly disassemble(std::uint16_t word);

} // namespace corvel
