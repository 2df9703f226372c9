// The register descriptors' entry points: one reader and one writer per field
// of the descriptor table, indexed by register index, for the main program's
// register views (names, change marks, breakpoints).
#include <string>

#include "engine/exports_support.h"

using corvel::TheEngine;
using corvel::TMatrixRAM;
using corvel::exports::kRegisterBits;
using corvel::exports::validBit;
using corvel::exports::validRegister;
using corvel::exports::writeText;

namespace {

constexpr std::size_t kBitNameLength = 8;

// The descriptor of register `index`, null outside the register rows.
TMatrixRAM* descriptor(std::int32_t index)
{
    return validRegister(index) ? &TheEngine().MatrixRAM[std::size_t(index)] : nullptr;
}

TMatrixRAM* descriptorBit(std::int32_t index, std::uint8_t bit)
{
    return validBit(bit, kRegisterBits) ? descriptor(index) : nullptr;
}

template <typename Flag>
std::uint8_t flag(Flag TMatrixRAM::*field, std::int32_t index)
{
    const TMatrixRAM* entry = descriptor(index);
    return entry && entry->*field;
}

template <typename Flag>
void setFlag(Flag TMatrixRAM::*field, std::int32_t index, std::uint8_t value)
{
    if (TMatrixRAM* entry = descriptor(index))
        entry->*field = value != 0;
}

std::uint8_t maskBit(corvel::Shared<std::uint8_t> TMatrixRAM::*field, std::int32_t index, std::uint8_t bit)
{
    const TMatrixRAM* entry = descriptorBit(index, bit);
    return entry ? (entry->*field >> bit) & 1 : 0;
}

void setMaskBit(corvel::Shared<std::uint8_t> TMatrixRAM::*field, std::int32_t index, std::uint8_t bit, std::uint8_t value)
{
    TMatrixRAM* entry = descriptorBit(index, bit);
    if (!entry)
        return;
    const std::uint8_t mask = std::uint8_t(1u << bit);
    entry->*field = value ? std::uint8_t(entry->*field | mask) : std::uint8_t(entry->*field & ~mask);
}

} // namespace

TW_EXPORT std::uint8_t Get_MatrixRAM_ToClearDelta(std::int32_t index)
{
    return flag(&TMatrixRAM::ToClearDelta, index);
}

TW_EXPORT void Set_MatrixRAM_ToClearDelta(std::int32_t index, std::uint8_t value)
{
    setFlag(&TMatrixRAM::ToClearDelta, index, value);
}

TW_EXPORT std::uint16_t Get_MatrixRAM_SIMadress(std::int32_t index)
{
    const TMatrixRAM* entry = descriptor(index);
    return entry ? entry->SIMadress : 0;
}

TW_EXPORT void Set_MatrixRAM_SIMadress(std::int32_t index, std::uint16_t value)
{
    if (TMatrixRAM* entry = descriptor(index))
        entry->SIMadress = value;
}

TW_EXPORT std::uint8_t Get_MatrixRAM_BreakPoint(std::int32_t index)
{
    return flag(&TMatrixRAM::BreakPoint, index);
}

TW_EXPORT void Set_MatrixRAM_BreakPoint(std::int32_t index, std::uint8_t value)
{
    setFlag(&TMatrixRAM::BreakPoint, index, value);
}

TW_EXPORT std::uint8_t Get_MatrixRAM_GreenBP(std::int32_t index)
{
    return flag(&TMatrixRAM::GreenBP, index);
}

TW_EXPORT void Set_MatrixRAM_GreenBP(std::int32_t index, std::uint8_t value)
{
    setFlag(&TMatrixRAM::GreenBP, index, value);
}

TW_EXPORT std::uint8_t Get_MatrixRAM_delta(std::int32_t index)
{
    return flag(&TMatrixRAM::delta, index);
}

TW_EXPORT void Set_MatrixRAM_delta(std::int32_t index, std::uint8_t value)
{
    setFlag(&TMatrixRAM::delta, index, value);
}

TW_EXPORT std::uint8_t Get_MatrixRAM_greenDelta(std::int32_t index)
{
    return flag(&TMatrixRAM::greenDelta, index);
}

TW_EXPORT void Set_MatrixRAM_greenDelta(std::int32_t index, std::uint8_t value)
{
    setFlag(&TMatrixRAM::greenDelta, index, value);
}

TW_EXPORT std::uint8_t Get_MatrixRAM_deltabit(std::int32_t index, std::uint8_t bit)
{
    return maskBit(&TMatrixRAM::deltabit, index, bit);
}

TW_EXPORT void Set_MatrixRAM_deltabit(std::int32_t index, std::uint8_t bit, std::uint8_t value)
{
    setMaskBit(&TMatrixRAM::deltabit, index, bit, value);
}

TW_EXPORT std::uint8_t Get_MatrixRAM_usedbit(std::int32_t index, std::uint8_t bit)
{
    return maskBit(&TMatrixRAM::usedbit, index, bit);
}

TW_EXPORT void Set_MatrixRAM_usedbit(std::int32_t index, std::uint8_t bit, std::uint8_t value)
{
    setMaskBit(&TMatrixRAM::usedbit, index, bit, value);
}

TW_EXPORT void Get_MatrixRAM_bitname(TShortString* text, std::int32_t index, std::uint8_t bit)
{
    if (const TMatrixRAM* entry = descriptorBit(index, bit))
        writeText(text, entry->bitname[bit]);
}

TW_EXPORT void Set_MatrixRAM_bitname(std::int32_t index, std::uint8_t bit, const TShortString* name)
{
    TMatrixRAM* entry = descriptorBit(index, bit);
    if (!entry || !name)
        return;
    const std::string_view text = name->view();
    entry->bitname[bit] = std::string(text.substr(0, utf8FittingLength(text, kBitNameLength)));
}

TW_EXPORT void Get_MatrixRAM_IDEName(TShortString* text, std::int32_t index)
{
    if (const TMatrixRAM* entry = descriptor(index))
        writeText(text, entry->IDEName);
}

TW_EXPORT void Get_MatrixRAM_IDEHexaddres(TShortString* text, std::int32_t index)
{
    if (const TMatrixRAM* entry = descriptor(index))
        writeText(text, entry->IDEHexaddres);
}
