// libFuzzer entry for the Intel HEX reader: any text either fails with a
// message and writes nothing, or writes only inside program memory.
// Built and run by run_fuzzers.sh (clang only).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "ide/files/intel_hex.h"

namespace {

class Memory final : public TProgramMemory {
public:
    std::int32_t RomSize() const override { return 512; }
    std::uint16_t Word(std::int32_t address) const override { return words.at(std::size_t(address)); }
    void SetWord(std::int32_t address, std::uint16_t value) override
    {
        ++writes;
        if (value > 0xFFF)
            std::abort();
        words.at(std::size_t(address)) = value;
    }
    bool ConfigBit(std::int32_t bit) const override { return (config >> bit) & 1; }
    void SetConfigBit(std::int32_t bit, bool value) override
    {
        ++writes;
        if (bit < 0 || bit > 7)
            std::abort();
        config = std::uint16_t(value ? config | 1u << bit : config & ~(1u << bit));
    }
    void ClearLineOfWord(std::int32_t address) override
    {
        ++writes;
        (void)words.at(std::size_t(address));
    }

    std::vector<std::uint16_t> words = std::vector<std::uint16_t>(512, 0x777);
    std::uint16_t config = 0;
    int writes = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
    Memory memory;
    if (!ImportIntelHexText(text, memory) && memory.writes != 0)
        std::abort();
    return 0;
}
