#include "fake_engine.h"

#include <cstdio>

namespace twtest {

namespace {

FakeEngineState state;

bool InRange(std::int32_t index)
{
    return index >= 0 && index < FakeEngineState::RegisterCount;
}

FakeRegister& Reg(std::int32_t index)
{
    static FakeRegister nowhere;
    ++state.calls;
    if (!InRange(index)) {
        nowhere = FakeRegister();
        return nowhere;
    }
    return state.registers[std::size_t(index)];
}

void Put(TShortString* text, const std::string& value)
{
    *text = TShortString::from(value);
}

void PutBits(TResStack* bits, const std::vector<bool>& value, int length)
{
    bits->release();
    *bits = TResStack::make(length);
    for (int bit = 0; bit < length && bit < int(value.size()); ++bit)
        (*bits)[bit] = value[std::size_t(bit)];
}

std::uint16_t Get_SFRcount() { ++state.calls; return state.sfrCount; }
std::uint16_t Get_GPRCount() { ++state.calls; return state.gprCount; }
std::uint16_t Get_MatrixRAM_SIMadress(std::int32_t row)
{
    ++state.calls;
    return row >= 0 && row < int(state.simAddress.size()) ? state.simAddress[std::size_t(row)] : 0;
}
std::uint8_t Get_RAM(std::int32_t addr, std::int32_t bit) { return bit >= 0 && bit < 8 ? Reg(addr).ram[std::size_t(bit)] : 0; }
void Set_RAM(std::int32_t addr, std::int32_t bit, std::uint8_t value)
{
    state.setRamCalls.push_back({addr, bit, value});
    if (bit >= 0 && bit < 8)
        Reg(addr).ram[std::size_t(bit)] = value;
}
std::uint8_t Get_ToClearDelta(std::int32_t a) { return Reg(a).toClearDelta; }
void Set_ToClearDelta(std::int32_t a, std::uint8_t v) { Reg(a).toClearDelta = v; }
std::uint8_t Get_BreakPoint(std::int32_t a) { return Reg(a).breakPoint; }
void Set_BreakPoint(std::int32_t a, std::uint8_t v) { ++state.setBreakPointCalls; Reg(a).breakPoint = v; }
std::uint8_t Get_GreenBP(std::int32_t a) { return Reg(a).greenBP; }
void Set_GreenBP(std::int32_t a, std::uint8_t v) { ++state.setGreenBPCalls; Reg(a).greenBP = v; }
void Get_IDEHexaddres(TShortString* text, std::int32_t a) { Put(text, Reg(a).hexAddress); }
void Get_IDEName(TShortString* text, std::int32_t a) { Put(text, Reg(a).name); }
std::uint8_t Get_delta(std::int32_t a) { return Reg(a).delta; }
void Set_delta(std::int32_t a, std::uint8_t v) { Reg(a).delta = v; }
std::uint8_t Get_greenDelta(std::int32_t a) { return Reg(a).greenDelta; }
void Set_greenDelta(std::int32_t a, std::uint8_t v) { Reg(a).greenDelta = v; }
std::uint8_t Get_deltabit(std::int32_t a, std::uint8_t b) { return b < 8 ? Reg(a).deltaBit[b] : 0; }
void Set_deltabit(std::int32_t a, std::uint8_t b, std::uint8_t v)
{
    if (b < 8)
        Reg(a).deltaBit[b] = v;
}
std::uint8_t Get_usedbit(std::int32_t a, std::uint8_t b) { return b < 8 ? Reg(a).usedBit[b] : 0; }
void Get_bitname(TShortString* text, std::int32_t a, std::uint8_t b)
{
    if (b < 8)
        Put(text, Reg(a).bitNames[b]);
}

std::int32_t Get_PC_Len() { ++state.calls; return state.pcLen; }
void Get_PC(TResStack* bits) { ++state.calls; PutBits(bits, state.pc, state.pcLen); }
std::uint8_t Get_StackMax() { ++state.calls; return state.stackMax; }
std::uint8_t Get_StackCounter() { ++state.calls; return state.stackCounter; }
void Get_stack(TResStack* bits, std::uint8_t level)
{
    ++state.calls;
    if (level < 2)
        PutBits(bits, state.stack[level], state.pcLen);
}

std::int32_t Get_I() { ++state.calls; return state.I; }
std::int32_t Get_ROM_Size() { ++state.calls; return state.romSize; }
void CurrentToParCommand() { ++state.calls; state.staged = -1; }
void RomToParCommand(std::int32_t index) { ++state.calls; state.staged = index; }
void GetInstruction(TShortString* text)
{
    ++state.calls;
    Put(text, state.staged < 0 ? std::string("LAST") : "WORD " + std::to_string(state.staged));
}
std::int64_t Get_IC() { ++state.calls; return state.ic; }
std::int64_t Get_MC() { ++state.calls; return state.mc; }
long double Get_UserTimer() { ++state.calls; return state.userTimer; }
void Set_UserTimer(long double value) { ++state.calls; state.userTimer = value; }
std::int32_t Get_rtCrystalFreq() { ++state.calls; return state.crystalFreq; }
void Get_TaktsWDT(double* count, double* period)
{
    ++state.calls;
    *count = state.taktsWDT;
    *period = state.periodWDT;
}
std::uint8_t Get_rtRefreshComplete() { return state.refreshComplete; }
void Set_rtRefreshComplete(std::uint8_t value) { ++state.calls; state.refreshComplete = value; }
std::uint8_t Get_rtRunning() { return 0; }
void Set_rtRunning(std::uint8_t) {}
std::uint8_t Get_rtPause() { return 0; }
void Set_rtPause(std::uint8_t) {}
void Set_RT_parametrs(std::uint8_t, std::uint8_t, std::uint8_t, std::int32_t, double) {}
void Stop_and_wait() {}

} // namespace

FakeEngineState& Fake()
{
    return state;
}

void ResetFake(int sfr, int gpr)
{
    state = FakeEngineState();
    state.sfrCount = std::uint16_t(sfr);
    state.gprCount = std::uint16_t(gpr);
    for (int row = 0; row < sfr + gpr; ++row) {
        const int index = (100 + row) % FakeEngineState::RegisterCount;
        state.simAddress.push_back(std::uint16_t(index));
        FakeRegister& reg = state.registers[std::size_t(index)];
        char hex[8];
        std::snprintf(hex, sizeof hex, "%03X", index);
        reg.hexAddress = hex;
        reg.name = (row < sfr ? "S" : "G") + std::to_string(row);
        for (int bit = 0; bit < 8; ++bit) {
            reg.usedBit[std::size_t(bit)] = 1;
            reg.bitNames[std::size_t(bit)] = "B" + std::to_string(bit);
        }
    }
    state.pc.assign(std::size_t(state.pcLen), false);
    state.stack = {std::vector<bool>(std::size_t(state.pcLen)), std::vector<bool>(std::size_t(state.pcLen))};
}

FakeEngineBinding::FakeEngineBinding()
{
    TDllMCEntries& e = DllMCEntries;
    e = TDllMCEntries();
    e.Get_SFRcount = Get_SFRcount;
    e.Get_GPRCount = Get_GPRCount;
    e.Get_MatrixRAM_SIMadress = Get_MatrixRAM_SIMadress;
    e.Get_RAM = Get_RAM;
    e.Set_RAM = Set_RAM;
    e.Get_MatrixRAM_ToClearDelta = Get_ToClearDelta;
    e.Set_MatrixRAM_ToClearDelta = Set_ToClearDelta;
    e.Get_MatrixRAM_BreakPoint = Get_BreakPoint;
    e.Set_MatrixRAM_BreakPoint = Set_BreakPoint;
    e.Get_MatrixRAM_GreenBP = Get_GreenBP;
    e.Set_MatrixRAM_GreenBP = Set_GreenBP;
    e.Get_MatrixRAM_IDEHexaddres = Get_IDEHexaddres;
    e.Get_MatrixRAM_IDEName = Get_IDEName;
    e.Get_MatrixRAM_delta = Get_delta;
    e.Set_MatrixRAM_delta = Set_delta;
    e.Get_MatrixRAM_greenDelta = Get_greenDelta;
    e.Set_MatrixRAM_greenDelta = Set_greenDelta;
    e.Get_MatrixRAM_deltabit = Get_deltabit;
    e.Set_MatrixRAM_deltabit = Set_deltabit;
    e.Get_MatrixRAM_usedbit = Get_usedbit;
    e.Get_MatrixRAM_bitname = Get_bitname;
    e.Get_PC_Len = Get_PC_Len;
    e.Get_PC = Get_PC;
    e.Get_StackMax = Get_StackMax;
    e.Get_StackCounter = Get_StackCounter;
    e.Get_stack = Get_stack;
    e.Get_I = Get_I;
    e.Get_ROM_Size = Get_ROM_Size;
    e.CurrentToParCommand = CurrentToParCommand;
    e.RomToParCommand = RomToParCommand;
    e.GetInstruction = GetInstruction;
    e.Get_IC = Get_IC;
    e.Get_MC = Get_MC;
    e.Get_UserTimer = Get_UserTimer;
    e.Set_UserTimer = Set_UserTimer;
    e.Get_rtCrystalFreq = Get_rtCrystalFreq;
    e.Get_TaktsWDT = Get_TaktsWDT;
    e.Get_rtRefreshComplete = Get_rtRefreshComplete;
    e.Set_rtRefreshComplete = Set_rtRefreshComplete;
    e.Get_rtRunning = Get_rtRunning;
    e.Set_rtRunning = Set_rtRunning;
    e.Get_rtPause = Get_rtPause;
    e.Set_rtPause = Set_rtPause;
    e.Set_RT_parametrs = Set_RT_parametrs;
    e.Stop_and_wait = Stop_and_wait;
    MCULibLoaded = true;
}

FakeEngineBinding::~FakeEngineBinding()
{
    MCULibLoaded = false;
    DllMCEntries = TDllMCEntries();
}

} // namespace twtest
