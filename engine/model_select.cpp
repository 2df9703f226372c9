#include "engine/engine.h"
#include "engine/instruction_set.h"

namespace corvel {
namespace {

// W shows its name as its address; registers outside the file have none.
std::string addressText(int index)
{
    if (index < 256)
        return Engine::AddressToHex3(index);
    return index == reg::W ? "W" : "n/a";
}

} // namespace

bool Engine::SelectMC(int model)
{
    const ModelEntry* entry = findModel(model);
    if (!entry)
        return false;

    TypeMC = uint8_t(model);
    SystemCommandCounter = kInstructionCount;
    SystemCommand.clear();
    for (const InstructionPattern& instruction : kInstructionSet)
        SystemCommand.push_back({instruction.mnemonic});
    StackMax = 1;
    watchdog.period = 18000.0;
    clearSelectionFields();

    crystalFrequency = 4000000;
    PC_Len = entry->pcLen;
    ROM_Size = entry->romSize;
    SFRcount = entry->sfrCount;
    GPRCount = entry->gprCount;
    static_cast<ModelTable&>(*this) = entry->table;
    resizeProgramMemory(ROM_Size);
    for (int bit = 0; bit < int(Config.size()); ++bit)
        Config[size_t(bit)] = uint8_t((entry->defaultConfig >> bit) & 1);
    ConfigBits.clear();
    for (const ConfigBitEntry& bit : entry->configBits)
        ConfigBits.push_back({bit.name, bit.descriptionId, bit.no, bit.value0Id, bit.value1Id});
    describeRegisters(*entry);
    model_ = entry;
    configureRegisterFile();

    // The program counter and the stack levels keep their low bits, as bit
    // arrays cut to the new width would.
    const uint32_t pcMask = (1u << PC_Len) - 1;
    PC &= pcMask;
    for (auto& level : StackBits)
        level &= pcMask;

    LinkRowsToAddresses();
    return true;
}

void Engine::clearSelectionFields()
{
    for (int index = 0; index < kRegisterCount; ++index) {
        TMatrixRAM& descriptor = MatrixRAM[size_t(index)];
        descriptor.IDERow = -1;
        descriptor.SIMadress = 0;
        descriptor.Implemented = false;
        descriptor.IsSFR = false;
        descriptor.IDEName.clear();
        descriptor.IDEHexaddres.clear();
        descriptor.usedbit = 0xFF;
        for (std::string& name : descriptor.bitname)
            name.clear();
    }
}

void Engine::describeRegisters(const ModelEntry& model)
{
    int32_t row = 0;
    for (const SfrRow& sfr : model.sfrRows) {
        TMatrixRAM& descriptor = MatrixRAM[sfr.index];
        descriptor.IDERow = row++;
        descriptor.Implemented = true;
        descriptor.IsSFR = true;
        descriptor.IDEName = sfr.name;
        descriptor.IDEHexaddres = addressText(sfr.index);
        descriptor.usedbit = sfr.usedBits;
        for (size_t bit = 0; bit < 8; ++bit)
            descriptor.bitname[bit] = sfr.bitNames[bit] ? sfr.bitNames[bit] : "";
    }
    for (const AddressRange& range : model.gprRanges) {
        for (int address = range.first; address <= range.last; ++address) {
            TMatrixRAM& descriptor = MatrixRAM[size_t(address)];
            descriptor.IDERow = row++;
            descriptor.Implemented = true;
            descriptor.IsSFR = false;
            descriptor.IDEHexaddres = addressText(address);
        }
    }
}

void Engine::resizeProgramMemory(int32_t words)
{
    ROM.resize(size_t(words), 0);
    ROM_BP.resize(size_t(words) + 1, 0);
    sourcePositions.line.resize(size_t(words), 0);
    sourcePositions.firstItem.resize(size_t(words), 0);
    sourcePositions.lastItem.resize(size_t(words), 0);
}

void Engine::LinkRowsToAddresses()
{
    for (int index = 0; index < kRegisterCount; ++index) {
        const int32_t row = MatrixRAM[size_t(index)].IDERow;
        if (row >= 0)
            MatrixRAM[size_t(row)].SIMadress = uint16_t(index);
    }
}

std::string Engine::AddressToHex3(int32_t value)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    return {kDigits[(value >> 8) & 0xF], kDigits[(value >> 4) & 0xF], kDigits[value & 0xF]};
}

} // namespace corvel
