// What the exported entry points share: the library's one engine and the
// checks that keep a caller's index inside the tables it reaches.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/corvel_api.h"
#include "engine/exports_engine.h"

namespace corvel::exports {

inline constexpr int kRegisterBits = 8;

inline bool within(std::int32_t index, std::size_t count)
{
    return index >= 0 && std::size_t(index) < count;
}

inline bool validBit(std::int32_t bit, int bitCount)
{
    return bit >= 0 && bit < bitCount;
}

// A register index or descriptor index: one of the rows 0..264.
inline bool validRegister(std::int32_t index)
{
    return within(index, std::size_t(kRegisterCount));
}

inline void writeText(TShortString* text, std::string_view value)
{
    if (text)
        *text = TShortString::from(value);
}

} // namespace corvel::exports
