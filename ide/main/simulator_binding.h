#pragma once

// The main program reaches corvel's engine only through DllMCEntries: one
// function reference per export of corvel, bound by name from the library of
// the project's microcontroller.
//
// Types are corvel's x86-64 interface: byte = uint8_t (flags 0/1), word =
// uint16_t, integer = int32_t, int64 = int64_t, extended = long double; texts
// come back through the caller's TShortString, bit vectors through the
// caller's TResStack (a new array allocated with malloc, which this side
// releases).
#include <atomic>
#include <cstdint>

#include <QString>
#include <QStringList>

#include "devices/contract.h"

// The engine's stop routine: the engine calls it on its own thread when the
// program counter runs past the end of program memory for the second time.
typedef void (*TStopRoutine)();

// X(name, result, parameters), in binding order. Stop_and_wait closes the
// list: it ends the run and returns only when the simulation thread has
// ended (at once when nothing runs).
#define TW_DLLMC_ENTRIES(X)                                                                                  \
    X(Get_family_mc, const char16_t*, ())                                                                    \
    X(Get_SystemCommandCounter, std::int32_t, ())                                                            \
    X(Get_rtRunning, std::uint8_t, ())                                                                       \
    X(Set_rtRunning, void, (std::uint8_t value))                                                             \
    X(Get_UserTimer, long double, ())                                                                        \
    X(Set_UserTimer, void, (long double value))                                                              \
    X(Get_MC, std::int64_t, ())                                                                              \
    X(Get_RAM, std::uint8_t, (std::int32_t addr, std::int32_t bit))                                          \
    X(Set_RAM, void, (std::int32_t addr, std::int32_t bit, std::uint8_t value))                              \
    X(Get_ROM, std::uint8_t, (std::int32_t word, std::int32_t bit))                                          \
    X(Set_ROM, void, (std::int32_t word, std::int32_t bit, std::uint8_t value))                              \
    X(Get_SFRcount, std::uint16_t, ())                                                                       \
    X(CurrentToParCommand, void, ())                                                                         \
    X(RomToParCommand, void, (std::int32_t index))                                                           \
    X(GetInstruction, void, (TShortString * text))                                                           \
    X(Get_I, std::int32_t, ())                                                                               \
    X(Get_ROM_Size, std::int32_t, ())                                                                        \
    X(Get_rtRefreshComplete, std::uint8_t, ())                                                               \
    X(Set_rtRefreshComplete, void, (std::uint8_t value))                                                     \
    X(Get_GPRCount, std::uint16_t, ())                                                                       \
    X(Get_rtPause, std::uint8_t, ())                                                                         \
    X(Set_rtPause, void, (std::uint8_t value))                                                               \
    X(Set_RT_parametrs, void,                                                                                \
      (std::uint8_t realTime, std::uint8_t stepByStep, std::uint8_t delay, std::int32_t delayMs, double factor)) \
    X(Get_MatrixRAM_ToClearDelta, std::uint8_t, (std::int32_t index))                                        \
    X(Set_MatrixRAM_ToClearDelta, void, (std::int32_t index, std::uint8_t value))                            \
    X(Get_MatrixRAM_SIMadress, std::uint16_t, (std::int32_t index))                                          \
    X(Set_MatrixRAM_SIMadress, void, (std::int32_t index, std::uint16_t value))                              \
    X(Get_MatrixRAM_BreakPoint, std::uint8_t, (std::int32_t index))                                          \
    X(Set_MatrixRAM_BreakPoint, void, (std::int32_t index, std::uint8_t value))                              \
    X(Get_MatrixRAM_GreenBP, std::uint8_t, (std::int32_t index))                                             \
    X(Set_MatrixRAM_GreenBP, void, (std::int32_t index, std::uint8_t value))                                 \
    X(Get_MatrixRAM_IDEHexaddres, void, (TShortString * text, std::int32_t index))                           \
    X(Get_MatrixRAM_IDEName, void, (TShortString * text, std::int32_t index))                                \
    X(Get_MatrixRAM_delta, std::uint8_t, (std::int32_t index))                                               \
    X(Set_MatrixRAM_delta, void, (std::int32_t index, std::uint8_t value))                                   \
    X(Get_MatrixRAM_greenDelta, std::uint8_t, (std::int32_t index))                                          \
    X(Set_MatrixRAM_greenDelta, void, (std::int32_t index, std::uint8_t value))                              \
    X(Get_MatrixRAM_deltabit, std::uint8_t, (std::int32_t index, std::uint8_t bit))                          \
    X(Set_MatrixRAM_deltabit, void, (std::int32_t index, std::uint8_t bit, std::uint8_t value))              \
    X(Get_MatrixRAM_usedbit, std::uint8_t, (std::int32_t index, std::uint8_t bit))                           \
    X(Set_MatrixRAM_usedbit, void, (std::int32_t index, std::uint8_t bit, std::uint8_t value))               \
    X(Get_MatrixRAM_bitname, void, (TShortString * text, std::int32_t index, std::uint8_t bit))              \
    X(Set_MatrixRAM_bitname, void, (std::int32_t index, std::uint8_t bit, const TShortString* name))         \
    X(Get_StackCounter, std::uint8_t, ())                                                                    \
    X(Get_IC, std::int64_t, ())                                                                              \
    X(Get_stack, void, (TResStack * bits, std::uint8_t level))                                               \
    X(Get_PC, void, (TResStack * bits))                                                                      \
    X(Get_TaktsWDT, void, (double* count, double* period))                                                   \
    X(Get_StackMax, std::uint8_t, ())                                                                        \
    X(Calculate_CuclPerCycMK, void, (TStopRoutine stop))                                                     \
    X(SelectMC, void, (std::uint8_t model))                                                                  \
    X(Get_rtCrystalFreq, std::int32_t, ())                                                                   \
    X(Get_SystemCommand_CommandName, void, (TShortString * text, std::int32_t index))                        \
    X(Get_parGOTOaddr, std::int32_t, ())                                                                     \
    X(Get_config, std::uint8_t, (std::int32_t no))                                                           \
    X(Set_config, void, (std::int32_t no, std::uint8_t value))                                               \
    X(Get_RT_parametrs, void,                                                                                \
      (std::uint8_t * realTime, std::uint8_t * stepByStep, std::uint8_t * delay, std::int32_t * delayMs,    \
       double* factor))                                                                                      \
    X(Set_rtexStep, void, (std::uint8_t value))                                                              \
    X(Get_ROM_Str_No_from, std::int32_t, (std::int32_t index))                                               \
    X(Get_ROM_Str_No_to, std::int32_t, (std::int32_t index))                                                 \
    X(Get_ROM_Str_No, std::int32_t, (std::int32_t index))                                                    \
    X(Set_ROM_Str_No_from, void, (std::int32_t index, std::int32_t value))                                   \
    X(Set_ROM_Str_No_to, void, (std::int32_t index, std::int32_t value))                                     \
    X(Set_ROM_Str_No, void, (std::int32_t index, std::int32_t value))                                        \
    X(Set_ROM_BP, void, (std::int32_t index, std::uint8_t value))                                            \
    X(Get_PC_Len, std::int32_t, ())                                                                          \
    X(Destroy_CO, void, ())                                                                                  \
    X(Stop_and_wait, void, ())

struct TDllMCEntries {
#define TW_DLLMC_ENTRY_FIELD(name, result, parameters) result(*name) parameters = nullptr;
    TW_DLLMC_ENTRIES(TW_DLLMC_ENTRY_FIELD)
#undef TW_DLLMC_ENTRY_FIELD
};

// The names of the table, in binding order.
const QStringList& DllMCEntryNames();

// Every entry of the table looked up in the loaded library `handle`. The
// names it lacks go to *missing (in table order); their entries stay null.
TDllMCEntries BindDllMCEntries(void* handle, QStringList* missing);

// The table of the last complete bind; all null before the first and after
// the library was unloaded at shutdown. Written on the main thread only,
// while no simulation runs.
extern TDllMCEntries DllMCEntries;

// False until the first complete bind, then true until the library is
// unloaded at shutdown. The engine's thread reads it in StopSimulation.
extern std::atomic<bool> MCULibLoaded;

// The main program's stop routine, handed to the engine: clears the running
// flag when corvel is bound, and otherwise does nothing. It never waits, so
// the engine may call it on its own thread.
void StopSimulation();
