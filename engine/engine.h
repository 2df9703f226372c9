// corvel's engine: one simulated baseline microcontroller. Everything the
// simulation needs lives in one object, so two engines can run side by side.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "engine/catalogue.h"
#include "engine/chip_link.h"
#include "engine/registers.h"

namespace corvel {

struct TConfigBits {
    std::string Name;
    int32_t DescriptionId = 0;
    int32_t No = 0;
    int32_t Value0Id = 0;
    int32_t Value1Id = 0;
};

struct TSystemCommand {
    std::string CommandName;
};

// Called on the simulation thread when the program runs past the end of
// program memory.
using StopProc = void (*)();

// The state is public: the exported entry points and the device face read and
// write it field by field, under the names they know. Registers, program words,
// the program counter and the stack are stored as numbers; the bit-level views
// the exports hand out are computed by the accessors below.
class Engine : public ModelTable {
public:
    Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // ---- Model selection ----

    // Selects model `model` and builds every model-dependent table. An index
    // without a catalogue entry changes nothing and returns false.
    bool SelectMC(int model);
    // Three upper-case hexadecimal digits: 31 -> "01F".
    static std::string AddressToHex3(int32_t value);
    // Entry k's SIMadress := the register shown in display row k.
    void LinkRowsToAddresses();

    // ---- Bit-level views (plain loads and stores, no side effects) ----

    bool ramBit(int index, int bit) const { return (RAM[index] >> bit) & 1; }
    void setRamBit(int index, int bit, bool value);
    bool romBit(int word, int bit) const { return (ROM[word] >> bit) & 1; }
    void setRomBit(int word, int bit, bool value);
    bool pcBit(int bit) const { return (PC >> bit) & 1; }
    bool stackBit(int level, int bit) const { return (StackBits[level] >> bit) & 1; }
    // Config[no] := value; the chip device's saved settings get '1' for 1 and
    // '0' for anything else.
    void setConfigBit(int no, uint8_t value);

    // ---- The chip device ----

    // The engine does not own the link; nullptr detaches it. Without a link
    // every pin reads undriven and unknown bits are random.
    void setChipLink(ChipLink* link) { chipLink_ = link; }
    ChipLink* chipLink() const { return chipLink_; }

    // ---- Register file and program memory ----

    std::array<uint8_t, kRegisterCount> RAM{};
    std::vector<uint16_t> ROM; // ROM_Size words of 12 bits
    std::vector<uint8_t> ROM_BP; // ROM_Size + 1 line breakpoints
    std::vector<int32_t> ROM_Str_No;
    std::vector<int32_t> ROM_Str_No_from;
    std::vector<int32_t> ROM_Str_No_to;

    // ---- Model selection and sizes ----

    uint8_t TypeMC = 0;
    int32_t ROM_Size = 0;
    int32_t PC_Len = 0;
    uint16_t SFRcount = 0;
    uint16_t GPRCount = 0;
    uint8_t StackMax = 0;
    int32_t rtCrystalFreq = 0;
    double PeriodWDT = 0.0;
    std::vector<TSystemCommand> SystemCommand;
    int32_t SystemCommandCounter = 0;

    // ---- Configuration ----

    std::array<uint8_t, 12> Config{}; // bit 0 first; Set_config may store values other than 0 and 1
    std::vector<TConfigBits> ConfigBits;

    // ---- Program counter, stack and instruction ----

    int32_t I = 0;    // the program-memory index that executes next
    uint32_t PC = 0;  // the program counter as shown, PC_Len bits
    std::array<int32_t, 2> StackAddr{};
    std::array<uint32_t, 2> StackBits{}; // the two levels as shown, PC_Len bits each
    uint8_t StackCounter = 0;
    uint16_t CurrentCommand = 0;
    uint16_t ParCommand = 0; // the word handed to the disassembler
    int32_t parGOTOaddr = 0;

    // ---- Counters, timers and sleep ----

    int64_t IC = 0;
    int64_t MC = 0;
    long double UserTimer = 0;
    double TaktsWDT = 0.0;
    uint8_t WdtDivisor = 0;
    int32_t Tmr0Ratio = 0;
    int32_t Tmr0Counts = 0;
    int32_t AdcCycles = 0;
    bool SleepMode = false;
    std::array<bool, 4> SleepPinLevels{};
    bool SleepCompOut = false;

    // ---- Run control and pacing, shared with the user-interface thread ----

    std::atomic<uint8_t> rtRunning{0};
    std::atomic<uint8_t> rtPause{0};
    std::atomic<uint8_t> rtexStep{0};
    std::atomic<uint8_t> rtRefreshComplete{0};
    std::atomic<uint8_t> RealTime{0};
    std::atomic<uint8_t> StepByStep{0};
    std::atomic<uint8_t> Delay{0};
    std::atomic<int32_t> DelayMs{0};
    std::atomic<double> Factor{1.0};
    int64_t CuclPerCycMK = 0;
    int64_t LastTSC = 0;
    StopProc OnStopProc = nullptr;

    // ---- Register descriptors ----

    std::array<TMatrixRAM, kDescriptorCount> MatrixRAM{};

private:
    // Clears what a previous selection wrote into the descriptors, so no name
    // or row of another model survives a change of model.
    void clearSelectionFields();
    void describeRegisters(const ModelEntry& model);
    void resizeProgramMemory(int32_t words);

    ChipLink* chipLink_ = nullptr;
    std::mt19937 random_;
};

} // namespace corvel
