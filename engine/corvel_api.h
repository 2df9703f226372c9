/* corvel's simulator interface: the functions the main program binds by name
 * from corvel.so to drive the engine. Plain C, so a C program can drive the
 * engine too; C++ callers see the device contract's own TShortString and
 * TResStack, which have the same layout.
 *
 * Widths: byte = uint8_t (flags and Booleans 0 or 1), word = uint16_t,
 * integer = int32_t, int64 = int64_t, extended = long double.
 *
 * Texts come back in the caller's short string (a 256-byte record: length
 * byte, then up to 255 UTF-8 bytes). Bit vectors come back in the caller's
 * TResStack: corvel releases the array the variable held and stores a new
 * one, allocated with malloc, with bit 0 first, its 32-bit length at byte -4
 * and its 32-bit reference count (1) at byte -8.
 *
 * An index outside the tables of the selected model (register and
 * descriptor index 0..264, bit 0..7, program word 0..ROM_Size - 1, line
 * breakpoint 0..ROM_Size, stack level 0..1, configuration bit 0..11, mnemonic
 * 0..32) makes a reader return 0 and a writer do nothing; the caller's text
 * and bit vector stay as they were.
 *
 * Every function is meant for the main program's user-interface thread; the
 * run flags and pacing parameters may be read and written while the
 * simulation runs, from any thread. */
#ifndef CORVEL_API_H
#define CORVEL_API_H

#include <stdint.h>

#include "devices/export.h"

#ifdef __cplusplus
#include "devices/contract.h"
#else
#include <stdbool.h>
#include <uchar.h>

typedef struct TShortString {
    uint8_t length;
    char chars[255];
} TShortString;

typedef struct TResStack {
    bool* ref; /* element 0, null when empty */
} TResStack;
#endif

/* The main program's stop routine: called on the simulation thread, once,
 * when the program runs past the end of program memory. */
typedef void (*TStopRoutine)(void);

/* ---- Engine, model and run start ---- */

/* Selects model 0..15 and builds its tables; a run still going is ended
 * first. A model without a catalogue entry changes nothing. */
TW_EXPORT void SelectMC(uint8_t model);
/* Powers the chip on and starts a run on a thread of its own; a run still
 * going is ended first. */
TW_EXPORT void Calculate_CuclPerCycMK(TStopRoutine stop);
/* Ends the run and returns once its thread has ended; at once without a run.
 * Called from the stop routine it only clears the running flag. */
TW_EXPORT void Stop_and_wait(void);
TW_EXPORT void Destroy_CO(void);
/* "Microchip PIC Baseline", zero-terminated UTF-16, owned by corvel. */
TW_EXPORT const char16_t* Get_family_mc(void);

/* ---- Run flags and pacing ---- */

TW_EXPORT uint8_t Get_rtRunning(void);
TW_EXPORT void Set_rtRunning(uint8_t value);
TW_EXPORT uint8_t Get_rtPause(void);
TW_EXPORT void Set_rtPause(uint8_t value);
TW_EXPORT uint8_t Get_rtRefreshComplete(void);
TW_EXPORT void Set_rtRefreshComplete(uint8_t value);
TW_EXPORT void Set_rtexStep(uint8_t value);
/* All three modes 0 runs as fast as the host allows. Drops a pending step
 * request. */
TW_EXPORT void Set_RT_parametrs(uint8_t realTime, uint8_t stepByStep, uint8_t delay, int32_t delayMs,
                                double factor);
TW_EXPORT void Get_RT_parametrs(uint8_t* realTime, uint8_t* stepByStep, uint8_t* delay, int32_t* delayMs,
                                double* factor);

/* ---- Counters and timers ---- */

TW_EXPORT int64_t Get_IC(void);
TW_EXPORT int64_t Get_MC(void);
TW_EXPORT long double Get_UserTimer(void);
TW_EXPORT void Set_UserTimer(long double value);
TW_EXPORT void Get_TaktsWDT(double* count, double* period);
TW_EXPORT int32_t Get_rtCrystalFreq(void);

/* ---- Program counter and stack ---- */

TW_EXPORT int32_t Get_I(void);
TW_EXPORT int32_t Get_PC_Len(void);
TW_EXPORT void Get_PC(TResStack* bits);
TW_EXPORT void Get_stack(TResStack* bits, uint8_t level);
TW_EXPORT uint8_t Get_StackCounter(void);
TW_EXPORT uint8_t Get_StackMax(void);

/* ---- Memory and sizes ---- */

TW_EXPORT uint8_t Get_RAM(int32_t addr, int32_t bit);
/* A plain store: no bank mapping, change marks, breakpoints or side effects. */
TW_EXPORT void Set_RAM(int32_t addr, int32_t bit, uint8_t value);
TW_EXPORT uint8_t Get_ROM(int32_t word, int32_t bit);
TW_EXPORT void Set_ROM(int32_t word, int32_t bit, uint8_t value);
TW_EXPORT int32_t Get_ROM_Size(void);
TW_EXPORT uint16_t Get_SFRcount(void);
TW_EXPORT uint16_t Get_GPRCount(void);

/* ---- Source-line maps and line breakpoints ---- */

TW_EXPORT int32_t Get_ROM_Str_No(int32_t index);
TW_EXPORT int32_t Get_ROM_Str_No_from(int32_t index);
TW_EXPORT int32_t Get_ROM_Str_No_to(int32_t index);
TW_EXPORT void Set_ROM_Str_No(int32_t index, int32_t value);
TW_EXPORT void Set_ROM_Str_No_from(int32_t index, int32_t value);
TW_EXPORT void Set_ROM_Str_No_to(int32_t index, int32_t value);
TW_EXPORT void Set_ROM_BP(int32_t index, uint8_t value);

/* ---- Disassembler and mnemonics ---- */

/* Stages the word fetched last for GetInstruction. */
TW_EXPORT void CurrentToParCommand(void);
/* Stages program word `index` for GetInstruction. */
TW_EXPORT void RomToParCommand(int32_t index);
/* The staged word as assembly text; GOTO and CALL also leave their target
 * field (without the STATUS page bits) for Get_parGOTOaddr. */
TW_EXPORT void GetInstruction(TShortString* text);
TW_EXPORT int32_t Get_parGOTOaddr(void);
TW_EXPORT int32_t Get_SystemCommandCounter(void);
TW_EXPORT void Get_SystemCommand_CommandName(TShortString* text, int32_t index);

/* ---- Configuration ---- */

TW_EXPORT uint8_t Get_config(int32_t no);
/* Also writes '1' (value 1) or '0' (any other value) into the chip device's
 * saved settings. */
TW_EXPORT void Set_config(int32_t no, uint8_t value);

/* ---- Register descriptors, indexed by register index ---- */

TW_EXPORT uint8_t Get_MatrixRAM_ToClearDelta(int32_t index);
TW_EXPORT void Set_MatrixRAM_ToClearDelta(int32_t index, uint8_t value);
TW_EXPORT uint16_t Get_MatrixRAM_SIMadress(int32_t index);
TW_EXPORT void Set_MatrixRAM_SIMadress(int32_t index, uint16_t value);
TW_EXPORT uint8_t Get_MatrixRAM_BreakPoint(int32_t index);
TW_EXPORT void Set_MatrixRAM_BreakPoint(int32_t index, uint8_t value);
TW_EXPORT uint8_t Get_MatrixRAM_GreenBP(int32_t index);
TW_EXPORT void Set_MatrixRAM_GreenBP(int32_t index, uint8_t value);
TW_EXPORT uint8_t Get_MatrixRAM_delta(int32_t index);
TW_EXPORT void Set_MatrixRAM_delta(int32_t index, uint8_t value);
TW_EXPORT uint8_t Get_MatrixRAM_greenDelta(int32_t index);
TW_EXPORT void Set_MatrixRAM_greenDelta(int32_t index, uint8_t value);
TW_EXPORT uint8_t Get_MatrixRAM_deltabit(int32_t index, uint8_t bit);
TW_EXPORT void Set_MatrixRAM_deltabit(int32_t index, uint8_t bit, uint8_t value);
TW_EXPORT uint8_t Get_MatrixRAM_usedbit(int32_t index, uint8_t bit);
TW_EXPORT void Set_MatrixRAM_usedbit(int32_t index, uint8_t bit, uint8_t value);
TW_EXPORT void Get_MatrixRAM_bitname(TShortString* text, int32_t index, uint8_t bit);
/* Stores at most the first 8 bytes of the name, never half a character. */
TW_EXPORT void Set_MatrixRAM_bitname(int32_t index, uint8_t bit, const TShortString* name);
TW_EXPORT void Get_MatrixRAM_IDEName(TShortString* text, int32_t index);
TW_EXPORT void Get_MatrixRAM_IDEHexaddres(TShortString* text, int32_t index);

#endif /* CORVEL_API_H */
