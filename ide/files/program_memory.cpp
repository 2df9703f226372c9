#include "ide/files/program_memory.h"

#include "ide/main/simulator_binding.h"

void ResetProgramToFill(TProgramMemory& memory)
{
    const std::int32_t size = memory.RomSize();
    for (std::int32_t address = 0; address < size; ++address) {
        memory.SetWord(address, address == size - 1 ? kLastWordFill : kFillWord);
        memory.ClearLineOfWord(address);
    }
}

std::uint16_t ConfigWord(const TProgramMemory& memory)
{
    std::uint16_t word = 0;
    for (std::int32_t bit = 0; bit < 12; ++bit) {
        if (memory.ConfigBit(bit))
            word |= std::uint16_t(1u << bit);
    }
    return word;
}

// Without a bound library there is no memory: no words, every bit 0.
std::int32_t TBoundProgramMemory::RomSize() const
{
    return DllMCEntries.Get_ROM_Size ? DllMCEntries.Get_ROM_Size() : 0;
}

std::uint16_t TBoundProgramMemory::Word(std::int32_t address) const
{
    std::uint16_t word = 0;
    if (!DllMCEntries.Get_ROM)
        return word;
    for (std::int32_t bit = 0; bit < 12; ++bit) {
        if (DllMCEntries.Get_ROM(address, bit))
            word |= std::uint16_t(1u << bit);
    }
    return word;
}

void TBoundProgramMemory::SetWord(std::int32_t address, std::uint16_t value)
{
    if (!DllMCEntries.Set_ROM)
        return;
    for (std::int32_t bit = 0; bit < 12; ++bit)
        DllMCEntries.Set_ROM(address, bit, (value >> bit) & 1);
}

bool TBoundProgramMemory::ConfigBit(std::int32_t bit) const
{
    return DllMCEntries.Get_config && DllMCEntries.Get_config(bit) != 0;
}

void TBoundProgramMemory::SetConfigBit(std::int32_t bit, bool value)
{
    if (DllMCEntries.Set_config)
        DllMCEntries.Set_config(bit, value ? 1 : 0);
}

void TBoundProgramMemory::ClearLineOfWord(std::int32_t address)
{
    if (!DllMCEntries.Set_ROM_Str_No_from || !DllMCEntries.Set_ROM_Str_No_to || !DllMCEntries.Set_ROM_Str_No
        || !DllMCEntries.Set_ROM_BP)
        return;
    DllMCEntries.Set_ROM_Str_No_from(address, 0);
    DllMCEntries.Set_ROM_Str_No_to(address, 0);
    DllMCEntries.Set_ROM_Str_No(address, 0);
    DllMCEntries.Set_ROM_BP(address, 0);
}
