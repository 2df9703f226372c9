#include <algorithm>
#include <cstdint>
#include <cstring>

#include "devices/export.h"

// The interface version every device library reports through What_is.
static constexpr char kInterfaceVersion[] = "1.0";

TW_EXPORT int32_t What_is(uint8_t* dest, int32_t maxLen)
{
    const int32_t length = std::clamp<int32_t>(int32_t(sizeof kInterfaceVersion - 1), 0, std::max(maxLen, 0));
    dest[0] = uint8_t(length);
    std::memcpy(dest + 1, kInterfaceVersion, size_t(length));
    return 0;
}
