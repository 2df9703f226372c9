#pragma once

// Program memory and configuration bits of the selected model, as the file
// commands see them: whole 12-bit words instead of corvel's single bits, so
// the HEX codec can be tested against a plain array and run against corvel
// through the bound entry points alike.
#include <cstdint>

class TProgramMemory {
public:
    virtual ~TProgramMemory() = default;

    // Number of program words of the selected model.
    virtual std::int32_t RomSize() const = 0;
    // Bits 0..11 of word `address` (0 <= address < RomSize()).
    virtual std::uint16_t Word(std::int32_t address) const = 0;
    virtual void SetWord(std::int32_t address, std::uint16_t value) = 0;
    // Configuration bit `bit` (0..11).
    virtual bool ConfigBit(std::int32_t bit) const = 0;
    virtual void SetConfigBit(std::int32_t bit, bool value) = 0;
    // Forgets the source line and the line breakpoint of word `address`.
    virtual void ClearLineOfWord(std::int32_t address) = 0;
};

// The assembler's fill word of every address but the last (NOP), and of the
// last, reserved word (MOVLW 0).
inline constexpr std::uint16_t kFillWord = 0x000;
inline constexpr std::uint16_t kLastWordFill = 0xC00;

// Every word as the assembler leaves memory it has not written, with no
// source line and no breakpoint anywhere.
void ResetProgramToFill(TProgramMemory& memory);

// The twelve configuration bits as one word, bit 0 first.
std::uint16_t ConfigWord(const TProgramMemory& memory);

// Program memory of the microcontroller library bound in DllMCEntries.
class TBoundProgramMemory final : public TProgramMemory {
public:
    std::int32_t RomSize() const override;
    std::uint16_t Word(std::int32_t address) const override;
    void SetWord(std::int32_t address, std::uint16_t value) override;
    bool ConfigBit(std::int32_t bit) const override;
    void SetConfigBit(std::int32_t bit, bool value) override;
    void ClearLineOfWord(std::int32_t address) override;
};
