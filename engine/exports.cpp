// The simulator's entry points: thin wrappers over the library's one engine.
// Each reads or writes one piece of engine state; an index outside the
// selected model's tables is ignored, so a caller's mistake never reaches
// memory beyond them.
#include <vector>

#include "engine/disassembler.h"
#include "engine/exports_support.h"

using corvel::Engine;
using corvel::TheEngine;
using corvel::exports::kRegisterBits;
using corvel::exports::validBit;
using corvel::exports::validRegister;
using corvel::exports::within;
using corvel::exports::writeText;

namespace {

constexpr int kWordBits = 12;

// The caller's variable := a new array of `length` bits of `value`, bit 0
// first; the array it held before is released.
void assignBits(TResStack* bits, std::uint32_t value, std::int32_t length)
{
    TResStack fresh = TResStack::make(length);
    for (std::int32_t bit = 0; bit < length; ++bit)
        fresh[bit] = (value >> bit) & 1;
    bits->release();
    *bits = fresh;
}

bool validWord(const Engine& engine, std::int32_t word, std::int32_t bit)
{
    return within(word, engine.ROM.size()) && validBit(bit, kWordBits);
}

using SourceMap = std::vector<std::int32_t> Engine::SourcePositions::*;

std::int32_t lineMapEntry(SourceMap map, std::int32_t index)
{
    const std::vector<std::int32_t>& entries = TheEngine().sourcePositions.*map;
    return within(index, entries.size()) ? entries[std::size_t(index)] : 0;
}

void setLineMapEntry(SourceMap map, std::int32_t index, std::int32_t value)
{
    std::vector<std::int32_t>& entries = TheEngine().sourcePositions.*map;
    if (within(index, entries.size()))
        entries[std::size_t(index)] = value;
}

} // namespace

// ---- Engine, model and run start ----

TW_EXPORT void SelectMC(std::uint8_t model)
{
    Engine& engine = TheEngine();
    // The new model's tables replace those the simulation thread reads.
    engine.Stop_and_wait();
    engine.SelectMC(model);
}

TW_EXPORT void Calculate_CuclPerCycMK(TStopRoutine stop)
{
    TheEngine().Calculate_CuclPerCycMK(stop);
}

TW_EXPORT void Stop_and_wait()
{
    TheEngine().Stop_and_wait();
}

TW_EXPORT void Destroy_CO() {}

TW_EXPORT const char16_t* Get_family_mc()
{
    static constexpr char16_t family[] = u"Microchip PIC Baseline";
    return family;
}

// ---- Run flags and pacing ----

TW_EXPORT std::uint8_t Get_rtRunning()
{
    return TheEngine().rtRunning.load();
}

TW_EXPORT void Set_rtRunning(std::uint8_t value)
{
    TheEngine().rtRunning.store(value);
}

TW_EXPORT std::uint8_t Get_rtPause()
{
    return TheEngine().rtPause.load();
}

TW_EXPORT void Set_rtPause(std::uint8_t value)
{
    TheEngine().rtPause.store(value);
}

TW_EXPORT std::uint8_t Get_rtRefreshComplete()
{
    return TheEngine().rtRefreshComplete.load();
}

TW_EXPORT void Set_rtRefreshComplete(std::uint8_t value)
{
    TheEngine().rtRefreshComplete.store(value);
}

TW_EXPORT void Set_rtexStep(std::uint8_t value)
{
    TheEngine().rtexStep.store(value);
}

TW_EXPORT void Set_RT_parametrs(std::uint8_t realTime, std::uint8_t stepByStep, std::uint8_t delay,
                                std::int32_t delayMs, double factor)
{
    TheEngine().Set_RT_parametrs(realTime, stepByStep, delay, delayMs, factor);
}

TW_EXPORT void Get_RT_parametrs(std::uint8_t* realTime, std::uint8_t* stepByStep, std::uint8_t* delay,
                                std::int32_t* delayMs, double* factor)
{
    const Engine& engine = TheEngine();
    if (realTime)
        *realTime = engine.RealTime.load();
    if (stepByStep)
        *stepByStep = engine.StepByStep.load();
    if (delay)
        *delay = engine.Delay.load();
    if (delayMs)
        *delayMs = engine.DelayMs.load();
    if (factor)
        *factor = engine.Factor.load();
}

// ---- Counters and timers ----

TW_EXPORT std::int64_t Get_IC()
{
    return TheEngine().IC;
}

TW_EXPORT std::int64_t Get_MC()
{
    return TheEngine().MC;
}

TW_EXPORT long double Get_UserTimer()
{
    return TheEngine().stopwatchSeconds;
}

TW_EXPORT void Set_UserTimer(long double value)
{
    TheEngine().stopwatchSeconds = value;
}

TW_EXPORT void Get_TaktsWDT(double* count, double* period)
{
    const Engine& engine = TheEngine();
    if (count)
        *count = engine.watchdog.count;
    if (period)
        *period = engine.watchdog.period;
}

TW_EXPORT std::int32_t Get_rtCrystalFreq()
{
    return TheEngine().crystalFrequency;
}

// ---- Program counter and stack ----

TW_EXPORT std::int32_t Get_I()
{
    return TheEngine().I;
}

TW_EXPORT std::int32_t Get_PC_Len()
{
    return TheEngine().PC_Len;
}

TW_EXPORT void Get_PC(TResStack* bits)
{
    const Engine& engine = TheEngine();
    if (bits)
        assignBits(bits, engine.PC, engine.PC_Len);
}

TW_EXPORT void Get_stack(TResStack* bits, std::uint8_t level)
{
    const Engine& engine = TheEngine();
    if (bits && within(level, engine.StackBits.size()))
        assignBits(bits, engine.StackBits[level], engine.PC_Len);
}

TW_EXPORT std::uint8_t Get_StackCounter()
{
    return TheEngine().StackCounter;
}

TW_EXPORT std::uint8_t Get_StackMax()
{
    return TheEngine().StackMax;
}

// ---- Memory and sizes ----

TW_EXPORT std::uint8_t Get_RAM(std::int32_t addr, std::int32_t bit)
{
    if (!validRegister(addr) || !validBit(bit, kRegisterBits))
        return 0;
    return TheEngine().ramBit(addr, bit);
}

TW_EXPORT void Set_RAM(std::int32_t addr, std::int32_t bit, std::uint8_t value)
{
    if (validRegister(addr) && validBit(bit, kRegisterBits))
        TheEngine().setRamBit(addr, bit, value != 0);
}

TW_EXPORT std::uint8_t Get_ROM(std::int32_t word, std::int32_t bit)
{
    const Engine& engine = TheEngine();
    return validWord(engine, word, bit) ? engine.romBit(word, bit) : 0;
}

TW_EXPORT void Set_ROM(std::int32_t word, std::int32_t bit, std::uint8_t value)
{
    Engine& engine = TheEngine();
    if (validWord(engine, word, bit))
        engine.setRomBit(word, bit, value != 0);
}

TW_EXPORT std::int32_t Get_ROM_Size()
{
    return TheEngine().ROM_Size;
}

TW_EXPORT std::uint16_t Get_SFRcount()
{
    return TheEngine().SFRcount;
}

TW_EXPORT std::uint16_t Get_GPRCount()
{
    return TheEngine().GPRCount;
}

// ---- Source-line maps and line breakpoints ----

TW_EXPORT std::int32_t Get_ROM_Str_No(std::int32_t index)
{
    return lineMapEntry(&Engine::SourcePositions::line, index);
}

TW_EXPORT std::int32_t Get_ROM_Str_No_from(std::int32_t index)
{
    return lineMapEntry(&Engine::SourcePositions::firstItem, index);
}

TW_EXPORT std::int32_t Get_ROM_Str_No_to(std::int32_t index)
{
    return lineMapEntry(&Engine::SourcePositions::lastItem, index);
}

TW_EXPORT void Set_ROM_Str_No(std::int32_t index, std::int32_t value)
{
    setLineMapEntry(&Engine::SourcePositions::line, index, value);
}

TW_EXPORT void Set_ROM_Str_No_from(std::int32_t index, std::int32_t value)
{
    setLineMapEntry(&Engine::SourcePositions::firstItem, index, value);
}

TW_EXPORT void Set_ROM_Str_No_to(std::int32_t index, std::int32_t value)
{
    setLineMapEntry(&Engine::SourcePositions::lastItem, index, value);
}

TW_EXPORT void Set_ROM_BP(std::int32_t index, std::uint8_t value)
{
    Engine& engine = TheEngine();
    if (within(index, engine.ROM_BP.size()))
        engine.ROM_BP[std::size_t(index)] = value != 0;
}

// ---- Disassembler and mnemonics ----
// The staged word and the jump target (ParCommand and parGOTOaddr to the
// main program) belong to these entry points alone, and the translation
// itself keeps no state, so it never disturbs the instruction the simulation
// thread is executing.

TW_EXPORT void CurrentToParCommand()
{
    Engine& engine = TheEngine();
    engine.disassembly.word = engine.CurrentCommand;
}

TW_EXPORT void RomToParCommand(std::int32_t index)
{
    Engine& engine = TheEngine();
    if (within(index, engine.ROM.size()))
        engine.disassembly.word = engine.ROM[std::size_t(index)];
}

TW_EXPORT void GetInstruction(TShortString* text)
{
    Engine& engine = TheEngine();
    const corvel::Disassembly line = corvel::disassemble(engine.disassembly.word);
    writeText(text, line.text);
    if (line.jumpTarget)
        engine.disassembly.jumpTarget = *line.jumpTarget;
}

TW_EXPORT std::int32_t Get_parGOTOaddr()
{
    return TheEngine().disassembly.jumpTarget;
}

TW_EXPORT std::int32_t Get_SystemCommandCounter()
{
    return TheEngine().SystemCommandCounter;
}

TW_EXPORT void Get_SystemCommand_CommandName(TShortString* text, std::int32_t index)
{
    const Engine& engine = TheEngine();
    if (within(index, engine.SystemCommand.size()))
        writeText(text, engine.SystemCommand[std::size_t(index)].CommandName);
}

// ---- Configuration ----

TW_EXPORT std::uint8_t Get_config(std::int32_t no)
{
    const Engine& engine = TheEngine();
    return within(no, engine.Config.size()) ? engine.Config[std::size_t(no)] : 0;
}

TW_EXPORT void Set_config(std::int32_t no, std::uint8_t value)
{
    Engine& engine = TheEngine();
    if (within(no, engine.Config.size()))
        engine.setConfigBit(no, value);
}
