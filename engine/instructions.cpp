// The 33 baseline instructions. The word's fields: f = bits 4..0 (a register,
// bank-mapped and indirected by the register file), d = bit 5 (0: the result
// goes to W, 1: to f), b = bits 7..5, k = bits 7..0 (GOTO: 8..0).
#include <algorithm>

#include "engine/instruction_set.h"
#include "engine/peripherals.h"

namespace corvel {
namespace {

constexpr int fieldF(uint16_t word)
{
    return word & 0x1F;
}

constexpr uint8_t fieldK(uint16_t word)
{
    return uint8_t(word);
}

constexpr uint8_t bitOfB(uint16_t word)
{
    return uint8_t(1u << ((word >> 5) & 7));
}

constexpr std::array<uint8_t, 4096> kDecode = [] {
    std::array<uint8_t, 4096> rows{};
    for (int word = 0; word < 4096; ++word)
        rows[size_t(word)] = uint8_t(decodeRow(uint16_t(word)));
    return rows;
}();

} // namespace

// ---- Common steps ----

// After a write to PCL the instruction continues at the address written, in
// a second cycle.
template <bool kDirect>
inline void Engine::advance(HeldRun& run)
{
    if (run.pclJumped) [[unlikely]] {
        run.pclJumped = false;
        chargeExtraCycle(run);
        return;
    }
    ++run.next;
    stepPc<kDirect>(run);
}

// Each machine cycle moves the real-time pacing's due time on by
// pacing.cycleTicks / Factor ticks; the quotient is kept until either changes.
inline void Engine::chargeExtraCycle(HeldRun& run)
{
    pacing.lastTick += batchCycleTicks_;
    ++run.cycles;
    run.twoCycle = true;
}

template <bool kDirect>
inline void Engine::skip(HeldRun& run)
{
    advance<kDirect>(run);
    chargeExtraCycle(run);
    advance<kDirect>(run);
}

template <bool kDirect>
inline int Engine::operandOf(uint16_t word) const
{
    return kDirect ? fieldF(word) : bankMapped(fieldF(word));
}

template <bool kDirect>
inline uint8_t Engine::readOperand(HeldRun& run, int mapped)
{
    if constexpr (kDirect)
        return RAM[size_t(mapped)];
    else
        return readFile(run, mapped);
}

template <bool kDirect>
inline void Engine::writeOperand(HeldRun& run, int mapped, uint8_t mask, uint8_t value)
{
    if constexpr (kDirect)
        storeQuiet(run, mapped, mask, value);
    else
        writeMapped(run, mapped, mask, value, false);
}

// `mapped` is the bank-mapped f the operand was read from.
template <bool kDirect>
inline void Engine::storeResult(HeldRun& run, uint16_t word, int mapped, uint8_t result)
{
    writeOperand<kDirect>(run, (word & 0x20) ? mapped : reg::W, 0xFF, result);
}

// Flags are written after the result: with STATUS as destination they win.
// C, DC and Z take any write, so they skip STATUS's own rules.
template <bool kDirect>
inline void Engine::writeFlags(HeldRun& run, uint8_t mask, uint8_t values)
{
    if constexpr (kDirect)
        storeQuiet(run, reg::STATUS, mask, values);
    else
        storePlain(run, reg::STATUS, mask, values);
}

template <bool kDirect>
inline void Engine::writeZero(HeldRun& run, uint8_t result)
{
    writeFlags<kDirect>(run, status::Z, result ? 0 : status::Z);
}

// ---- Literals: 11xx kkkk kkkk ----

template <bool kDirect>
inline void Engine::xorlw(HeldRun& run, uint16_t word)
{
    const uint8_t result = RAM[reg::W] ^ fieldK(word);
    writeOperand<kDirect>(run, reg::W, 0xFF, result);
    writeZero<kDirect>(run, result);
    advance<kDirect>(run);
}

template <bool kDirect>
inline void Engine::andlw(HeldRun& run, uint16_t word)
{
    const uint8_t result = RAM[reg::W] & fieldK(word);
    writeOperand<kDirect>(run, reg::W, 0xFF, result);
    writeZero<kDirect>(run, result);
    advance<kDirect>(run);
}

template <bool kDirect>
inline void Engine::iorlw(HeldRun& run, uint16_t word)
{
    const uint8_t result = RAM[reg::W] | fieldK(word);
    writeOperand<kDirect>(run, reg::W, 0xFF, result);
    writeZero<kDirect>(run, result);
    advance<kDirect>(run);
}

template <bool kDirect>
inline void Engine::movlw(HeldRun& run, uint16_t word)
{
    writeOperand<kDirect>(run, reg::W, 0xFF, fieldK(word));
    advance<kDirect>(run);
}

// ---- Jumps, calls and returns: 10xx kkkk kkkk ----

// Page bits that the model lacks take no part in the target.
template <bool kDirect>
inline void Engine::gotoInstruction(HeldRun& run, uint16_t word)
{
    jumpTo(run, (word & 0x1FFu) | pageBits());
    loadPclLow(run, fieldK(word));
}

// A CALL can only reach the first half of a 512-word page: bit 8 is 0.
template <bool kDirect>
inline void Engine::call(HeldRun& run, uint16_t word)
{
    if (StackCounter < 2)
        ++StackCounter;
    StackAddr[1] = StackAddr[0];
    StackBits[1] = StackBits[0];
    advance<kDirect>(run);
    StackAddr[0] = run.next;
    StackBits[0] = run.pc;
    jumpTo(run, fieldK(word) | pageBits());
    loadPclLow(run, fieldK(word));
}

// The bottom level is copied up, not cleared: two returns from one call both
// reach the same address. A return address past the last word (a CALL in the
// last word) wraps to 0.
template <bool kDirect>
inline void Engine::retlw(HeldRun& run, uint16_t word)
{
    if (StackCounter > 0)
        --StackCounter;
    run.next = StackAddr[0] & romMask_;
    loadPclLow(run, uint8_t(StackBits[0]));
    run.pc = StackBits[0] & pcMask_;
    StackAddr[0] = StackAddr[1];
    StackBits[0] = StackBits[1];
    writeOperand<kDirect>(run, reg::W, 0xFF, fieldK(word));
}

// ---- Bit operations: 01xx bbbf ffff ----

template <bool kDirect>
inline void Engine::btfss(HeldRun& run, uint16_t word)
{
    const int mapped = operandOf<kDirect>(word);
    if (readOperand<kDirect>(run, mapped) & bitOfB(word))
        skip<kDirect>(run);
    else
        advance<kDirect>(run);
}

template <bool kDirect>
inline void Engine::btfsc(HeldRun& run, uint16_t word)
{
    const int mapped = operandOf<kDirect>(word);
    if (readOperand<kDirect>(run, mapped) & bitOfB(word))
        advance<kDirect>(run);
    else
        skip<kDirect>(run);
}

template <bool kDirect>
inline void Engine::bsf(HeldRun& run, uint16_t word)
{
    writeOperand<kDirect>(run, operandOf<kDirect>(word), bitOfB(word), 0xFF);
    advance<kDirect>(run);
}

template <bool kDirect>
inline void Engine::bcf(HeldRun& run, uint16_t word)
{
    writeOperand<kDirect>(run, operandOf<kDirect>(word), bitOfB(word), 0x00);
    advance<kDirect>(run);
}

// ---- Byte operations: 00xx xxdf ffff ----

// The skip's extra advance comes before the result is stored.
template <bool kDirect>
inline void Engine::incfsz(HeldRun& run, uint16_t word)
{
    const int mapped = operandOf<kDirect>(word);
    const uint8_t result = uint8_t(readOperand<kDirect>(run, mapped) + 1);
    if (result == 0) {
        ++run.next;
        chargeExtraCycle(run);
        stepPc<kDirect>(run);
    }
    storeResult<kDirect>(run, word, mapped, result);
    advance<kDirect>(run);
}

template <bool kDirect>
inline void Engine::swapf(HeldRun& run, uint16_t word)
{
    const int mapped = operandOf<kDirect>(word);
    const uint8_t value = readOperand<kDirect>(run, mapped);
    storeResult<kDirect>(run, word, mapped, uint8_t(value << 4 | value >> 4));
    advance<kDirect>(run);
}

template <bool kDirect>
inline void Engine::rlf(HeldRun& run, uint16_t word)
{
    const int mapped = operandOf<kDirect>(word);
    const uint8_t value = readOperand<kDirect>(run, mapped);
    storeResult<kDirect>(run, word, mapped, uint8_t(value << 1 | (RAM[reg::STATUS] & status::C)));
    writeFlags<kDirect>(run, status::C, value >> 7);
    advance<kDirect>(run);
}

template <bool kDirect>
inline void Engine::rrf(HeldRun& run, uint16_t word)
{
    const int mapped = operandOf<kDirect>(word);
    const uint8_t value = readOperand<kDirect>(run, mapped);
    storeResult<kDirect>(run, word, mapped, uint8_t(value >> 1 | (RAM[reg::STATUS] & status::C) << 7));
    writeFlags<kDirect>(run, status::C, value & 1);
    advance<kDirect>(run);
}

// Here the result is stored before the skip's extra advance; a result
// written to PCL has jumped, and nothing is skipped.
template <bool kDirect>
inline void Engine::decfsz(HeldRun& run, uint16_t word)
{
    const int mapped = operandOf<kDirect>(word);
    const uint8_t result = uint8_t(readOperand<kDirect>(run, mapped) - 1);
    storeResult<kDirect>(run, word, mapped, result);
    if (result == 0 && !run.pclJumped) {
        ++run.next;
        chargeExtraCycle(run);
        stepPc<kDirect>(run);
    }
    advance<kDirect>(run);
}

template <bool kDirect>
inline void Engine::incf(HeldRun& run, uint16_t word)
{
    const int mapped = operandOf<kDirect>(word);
    const uint8_t result = uint8_t(readOperand<kDirect>(run, mapped) + 1);
    storeResult<kDirect>(run, word, mapped, result);
    writeZero<kDirect>(run, result);
    advance<kDirect>(run);
}

template <bool kDirect>
inline void Engine::comf(HeldRun& run, uint16_t word)
{
    const int mapped = operandOf<kDirect>(word);
    const uint8_t result = uint8_t(~readOperand<kDirect>(run, mapped));
    storeResult<kDirect>(run, word, mapped, result);
    writeZero<kDirect>(run, result);
    advance<kDirect>(run);
}

// With d = 1 the register is written back to itself, with change marks.
template <bool kDirect>
inline void Engine::movf(HeldRun& run, uint16_t word)
{
    const int mapped = operandOf<kDirect>(word);
    const uint8_t result = readOperand<kDirect>(run, mapped);
    storeResult<kDirect>(run, word, mapped, result);
    writeZero<kDirect>(run, result);
    advance<kDirect>(run);
}

template <bool kDirect>
inline void Engine::addwf(HeldRun& run, uint16_t word)
{
    const int mapped = operandOf<kDirect>(word);
    const unsigned f = readOperand<kDirect>(run, mapped);
    const unsigned w = RAM[reg::W];
    const unsigned sum = f + w;
    const uint8_t result = uint8_t(sum);
    uint8_t flags = result ? 0 : status::Z;
    if (sum > 0xFF)
        flags |= status::C;
    if ((f & 0xF) + (w & 0xF) > 0xF)
        flags |= status::DC;
    storeResult<kDirect>(run, word, mapped, result);
    writeFlags<kDirect>(run, status::Z | status::C | status::DC, flags);
    advance<kDirect>(run);
}

// C and DC are "no borrow": set when f >= W (in the low nibble for DC).
template <bool kDirect>
inline void Engine::subwf(HeldRun& run, uint16_t word)
{
    const int mapped = operandOf<kDirect>(word);
    const unsigned f = readOperand<kDirect>(run, mapped);
    const unsigned w = RAM[reg::W];
    const uint8_t result = uint8_t(f - w);
    uint8_t flags = result ? 0 : status::Z;
    if (f >= w)
        flags |= status::C;
    if ((f & 0xF) >= (w & 0xF))
        flags |= status::DC;
    storeResult<kDirect>(run, word, mapped, result);
    writeFlags<kDirect>(run, status::Z | status::C | status::DC, flags);
    advance<kDirect>(run);
}

template <bool kDirect>
inline void Engine::xorwf(HeldRun& run, uint16_t word)
{
    const int mapped = operandOf<kDirect>(word);
    const uint8_t result = RAM[reg::W] ^ readOperand<kDirect>(run, mapped);
    storeResult<kDirect>(run, word, mapped, result);
    writeZero<kDirect>(run, result);
    advance<kDirect>(run);
}

template <bool kDirect>
inline void Engine::andwf(HeldRun& run, uint16_t word)
{
    const int mapped = operandOf<kDirect>(word);
    const uint8_t result = RAM[reg::W] & readOperand<kDirect>(run, mapped);
    storeResult<kDirect>(run, word, mapped, result);
    writeZero<kDirect>(run, result);
    advance<kDirect>(run);
}

template <bool kDirect>
inline void Engine::iorwf(HeldRun& run, uint16_t word)
{
    const int mapped = operandOf<kDirect>(word);
    const uint8_t result = RAM[reg::W] | readOperand<kDirect>(run, mapped);
    storeResult<kDirect>(run, word, mapped, result);
    writeZero<kDirect>(run, result);
    advance<kDirect>(run);
}

template <bool kDirect>
inline void Engine::decf(HeldRun& run, uint16_t word)
{
    const int mapped = operandOf<kDirect>(word);
    const uint8_t result = uint8_t(readOperand<kDirect>(run, mapped) - 1);
    storeResult<kDirect>(run, word, mapped, result);
    writeZero<kDirect>(run, result);
    advance<kDirect>(run);
}

template <bool kDirect>
inline void Engine::clrf(HeldRun& run, uint16_t word)
{
    writeOperand<kDirect>(run, operandOf<kDirect>(word), 0xFF, 0);
    writeZero<kDirect>(run, 0);
    advance<kDirect>(run);
}

template <bool kDirect>
inline void Engine::clrw(HeldRun& run, uint16_t)
{
    writeOperand<kDirect>(run, reg::W, 0xFF, 0);
    writeZero<kDirect>(run, 0);
    advance<kDirect>(run);
}

template <bool kDirect>
inline void Engine::movwf(HeldRun& run, uint16_t word)
{
    writeOperand<kDirect>(run, operandOf<kDirect>(word), 0xFF, RAM[reg::W]);
    advance<kDirect>(run);
}

// ---- Control: 0000 0000 xxxx ----

// TRIS 6 on the GPIO models leaves GP3's direction bit alone (GP3 is input
// only); on the PIC16F5x TRIS 5..9 reach TRISA..TRISE up to the port's last
// bit. Rows the model lacks ignore the write.
template <bool kDirect>
inline void Engine::tris(HeldRun& run, uint16_t word)
{
    const int port = word & 0xF;
    int row = -1;
    uint8_t bits = 0;
    if (HasPinWake) {
        if (port == 6 && LastBitGPIO >= 0) {
            row = reg::TRISGPIO;
            bits = uint8_t(((2u << LastBitGPIO) - 1) & ~0x08u);
        }
    } else {
        const int32_t lastBits[] = {LastBitPORTA, LastBitPORTB, LastBitPORTC, LastBitPORTD, LastBitPORTE};
        const int32_t lastBit = lastBits[port - 5];
        if (lastBit >= 0) {
            row = reg::TRISA + port - 5;
            bits = uint8_t((2u << lastBit) - 1);
        }
    }
    if (row >= 0)
        writeMasked(run, row, bits, RAM[reg::W], false);
    advance<kDirect>(run);
}

template <bool kDirect>
inline void Engine::clrwdt(HeldRun& run, uint16_t)
{
    clearWatchdog(run);
    advance<kDirect>(run);
}

// Remembers GP0..GP3 and the comparator output, which a change wakes the
// chip from.
template <bool kDirect>
inline void Engine::sleep(HeldRun& run, uint16_t)
{
    sleepState.active = true;
    replanPeripherals();
    clearWatchdog(run);
    const uint8_t pins = readFile(run, reg::GPIO);
    for (size_t bit = 0; bit < sleepState.pinLevels.size(); ++bit)
        sleepState.pinLevels[bit] = pins >> bit & 1;
    if (AdrCMCON0 >= 0 && (RAM[size_t(AdrCMCON0)] & 0x08))
        sleepState.comparatorOut = readFile(run, AdrCMCON0) >> 7 & 1;
    advance<kDirect>(run);
}

// The prescaler row shows as many bits as the TMR0 ratio 2^(PS+1) needs, and
// none while the prescaler belongs to the watchdog (PSA = 1).
template <bool kDirect>
inline void Engine::option(HeldRun& run, uint16_t)
{
    // The timer has counted up to here at the old prescaler.
    flushLazyCycles();
    writeMasked(run, reg::OPTION, 0xFF, RAM[reg::W], false);
    const uint8_t optionBits = RAM[reg::OPTION];
    MatrixRAM[reg::Prescaler].usedbit = (optionBits & 0x08) ? 0 : uint8_t((2u << (optionBits & 7)) - 1);
    RAM[reg::Prescaler] = 0;
    advance<kDirect>(run);
}

template <bool kDirect>
inline void Engine::nop(HeldRun& run, uint16_t)
{
    advance<kDirect>(run);
}

// One instruction: fetch, then the row's handler, and the second cycle of a
// two-cycle row.
inline void Engine::executeInstruction(HeldRun& run)
{
    ++run.instructions;
    run.twoCycle = false;
    run.pclJumped = false;
    ++run.accessEpoch;
    // The row comes from the predecoded entry, built for the program as it
    // stood when the hold of the run started.
    const Predecoded entry = predecoded_[size_t(run.next)];
    const uint16_t word = entry.word;
    CurrentCommand = word;
    switch (Mnemonic(entry.handler % kInstructionCount)) {
#define CORVEL_DISPATCH(name, mask, first, last, cycles, operand, handler) \
    case Mnemonic::name:                                                 \
        handler<false>(run, word);                                       \
        if constexpr (cycles == 2)                                       \
            chargeExtraCycle(run);                                       \
        break;
        CORVEL_INSTRUCTION_SET(CORVEL_DISPATCH)
#undef CORVEL_DISPATCH
    default:
        __builtin_unreachable();
    }
    // Counted apart from IC: incremented together, the two counters become
    // one 16-byte store that the next fetch cannot forward from.
    ++run.cycles;
}

// Program memory decoded word by word, with the line breakpoints and the end
// of memory as stops, and the registers whose writes need nothing but the
// store and the marks.
void Engine::rebuildLoopTables()
{
    seenEdits_ = editCount().load(std::memory_order_acquire);
    // Past the last word, a pass handles the end of memory.
    predecoded_.assign(size_t(std::max(ROM_Size, 0)) + 2, Predecoded{});
    for (size_t index = 0; index < size_t(kRegisterCount); ++index) {
        watched_[index] = MatrixRAM[index].BreakPoint;
        quietWrite_[index] = kind_[index] == RegisterKind::Plain && !watched_[index];
    }
    pclWatched_ = MatrixRAM[reg::PCL].BreakPoint;
    const size_t words = std::min(ROM.size(), predecoded_.size() - 2);
    for (size_t at = 0; at < words; ++at) {
        const uint16_t word = ROM[at];
        const int row = kDecode[word & 0xFFF];
        const int handler = directOperand(word, row) ? row + kInstructionCount : row;
        predecoded_[at] = {word, uint8_t(handler), uint8_t(ROM_BP[at] ? kLineBreakpoint : 0)};
    }
}

// Whether the word's operands are plain registers without a breakpoint as
// the tables stand (see operandOf()): W for the rows that write it, and f,
// which must also be the same register in every bank.
bool Engine::directOperand(uint16_t word, int row) const
{
    if (!quietWrite_[reg::W] || watched_[reg::STATUS] || pclWatched_)
        return false;
    switch (kInstructionSet[size_t(row)].operand) {
    case Operand::FileBit:
    case Operand::FileDest:
    case Operand::File: {
        const int f = fieldF(word);
        return (f < 16 || bankMask_ == 0) && quietWrite_[size_t(f)];
    }
    case Operand::Literal: // XORLW, ANDLW, IORLW, MOVLW, RETLW: they write W
        return true;
    case Operand::None:
        return Mnemonic(row) == Mnemonic::CLRW;
    default:
        return false;
    }
}

// ---- Passes ----

// The main program may have changed the registers or the configuration
// since the last pass; each pass here, and each batch of passes below,
// plans the peripherals afresh.
void Engine::finishPass()
{
    HoldRun hold(*this);
    batchCycleTicks_ = pacingCycleTicks();
    passPrepared_ = false;
    replanPeripherals();
    if (peripheralStep(held_))
        executeInstruction(held_);
    flushLazyCycles();
}

// The hot path of the simulation: everything the pass calls is inlined into
// it (flatten), and the check for a stop address exists only when one is set.
// Each instruction's handler ends with its own copy of the checks before the
// next pass and its own jump to the next handler (labels as values): one
// shared jump for all rows is predicted far worse than one per row. The run
// is a local copy from the start of the passes to every return.
//
// Sanitizer builds leave the inlining to the compiler: flattened and
// instrumented, this one function takes it a quarter of an hour.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define CORVEL_FLATTEN
#else
#define CORVEL_FLATTEN [[gnu::flatten]]
#endif
template <bool kStopAddress, bool kWatchFlags, bool kPaced>
CORVEL_FLATTEN RunResult Engine::runPasses(uint64_t maxPasses, int32_t stopAddress)
{
    const uint64_t flagsSeen = kWatchFlags ? flagSignal_.generation() : 0;
    HoldRun hold(*this);
    batchCycleTicks_ = pacingCycleTicks();
    // As the wait compares it: an instruction is due pacing.cycleTicks x Factor
    // ticks after the due time.
    const double lag = kPaced ? double(pacing.cycleTicks) * pacingFactor(Factor.load(std::memory_order_relaxed)) : 0.0;
    bool granted = kPaced;
    replanPeripherals();
    uint64_t remaining = maxPasses;
    // A pass prepared for an instruction pointer that has since been moved
    // outside program memory is prepared again.
    const bool prepared = passPrepared_ && held_.next >= 0 && held_.next < ROM_Size;
    passPrepared_ = true;
    if (!prepared && (runEnded_ || held_.next < 0 || held_.next >= ROM_Size)) [[unlikely]] {
        passPrepared_ = false;
        if (!beginPass())
            return {RunStop::EndOfMemory, 0};
    }
    // The rows in decoder order, then the same rows with direct operands.
    static const void* const kHandlers[] = {
#define CORVEL_LABEL(name, mask, first, last, cycles, operand, handler) &&row_##name,
        CORVEL_INSTRUCTION_SET(CORVEL_LABEL)
#undef CORVEL_LABEL
#define CORVEL_LABEL(name, mask, first, last, cycles, operand, handler) &&direct_##name,
        CORVEL_INSTRUCTION_SET(CORVEL_LABEL)
#undef CORVEL_LABEL
    };
    // A full register wide: a narrower spill slot read back wider stalls.
    uint32_t word = CurrentCommand;
    HeldRun run = held_;

    // The word executed last is published with the run.
#define CORVEL_LEAVE(why, passes)          \
    do {                                   \
        held_ = run;                       \
        CurrentCommand = uint16_t(word);   \
        return RunResult{(why), (passes)}; \
    } while (false)

    // From here on the instruction pointer stays within the predecoded
    // entries: a jump lands inside program memory, and a pass moves it at
    // most two words past the last. A pass starts at `nextPass` (or at
    // `checked` when its stop has been seen to) and ends in its handler.

    // Fetch: the row comes from the predecoded entry, built for the program
    // as it stood when the hold of the run started. `row` may turn a direct
    // handler into its row's other one.
#define CORVEL_FETCH(row)                                                \
    do {                                                                 \
        ++run.instructions;                                              \
        run.twoCycle = false;                                            \
        run.pclJumped = false;                                           \
        ++run.accessEpoch;                                               \
        const Predecoded entry = predecoded_[size_t(run.next)];          \
        word = entry.word;                                               \
        goto* kHandlers[entry.handler row];                              \
    } while (false)

    // kHitPossible: the pass before may have hit a breakpoint (a direct
    // handler cannot).
#define CORVEL_PASS_CHECKS(kHitPossible)                                                           \
    do {                                                                                          \
        if ((kHitPossible && breakpointHit_) || (!kWatchFlags && rtPause.load(std::memory_order_relaxed))) [[unlikely]] \
            CORVEL_LEAVE(RunStop::Paused, maxPasses - remaining);                                 \
        if (kWatchFlags && flagSignal_.generation() != flagsSeen) [[unlikely]]                    \
            CORVEL_LEAVE(RunStop::FlagChanged, maxPasses - remaining);                            \
        if (kStopAddress && run.next == stopAddress) [[unlikely]]                                 \
            CORVEL_LEAVE(RunStop::Address, maxPasses - remaining);                                \
        if (remaining == 0) [[unlikely]]                                                          \
            CORVEL_LEAVE(RunStop::PassLimit, maxPasses);                                          \
        if constexpr (kPaced) {                                                                   \
            if (!granted) {                                                                       \
                if (double(sliceNow_ - pacing.lastTick) < lag)                                    \
                    CORVEL_LEAVE(RunStop::NotDue, maxPasses - remaining);                         \
                pacing.lastTick += batchCycleTicks_;                                              \
            }                                                                                     \
            granted = false;                                                                      \
        }                                                                                         \
        --remaining;                                                                              \
        if (peripheralWork_ == kLazyCycles) [[likely]] {                                          \
            if (!countLazyPass(run)) [[unlikely]]                                                 \
                goto nextPass;                                                                    \
        } else if (peripheralWork_) {                                                             \
            held_ = run;                                                                          \
            const bool instruction = peripheralStepOnHeld();                                      \
            run = held_;                                                                          \
            if (!instruction)                                                                     \
                goto nextPass;                                                                    \
            /* A timer row's breakpoint: the checks after a direct handler                        \
               would not see it. */                                                               \
            if (breakpointHit_)                                                                   \
                CORVEL_FETCH(% kInstructionCount);                                                \
        }                                                                                         \
        CORVEL_FETCH();                                                                           \
    } while (false)

    // Watching the flags, a pause set since the batch started moves the
    // signal's generation; one set before, only rtPause shows.
    if (kWatchFlags && rtPause.load(std::memory_order_relaxed)) [[unlikely]]
        CORVEL_LEAVE(RunStop::Paused, 0);
    if (prepared)
        goto checked;
nextPass:
    if (const uint8_t stop = predecoded_[size_t(run.next)].stop) [[unlikely]] {
        if (stop & kPastEnd) {
            passPrepared_ = false;
            held_ = run;
            const bool going = beginPass();
            run = held_;
            if (!going)
                CORVEL_LEAVE(RunStop::EndOfMemory, maxPasses - remaining);
        } else {
            pauseAtBreakpoint();
        }
    }
checked:
    CORVEL_PASS_CHECKS(true);

    // A handler, the second cycle of a two-cycle row, the cycle counted apart
    // from IC (incremented together, the two counters become one 16-byte
    // store that the next fetch cannot forward from), and the next pass.
#define CORVEL_THREADED(label, direct, rowCycles, handler)                                        \
    label:                                                                                        \
    handler<direct>(run, word);                                                                   \
    if constexpr (rowCycles == 2)                                                                 \
        chargeExtraCycle(run);                                                                    \
    ++run.cycles;                                                                                 \
    if (predecoded_[size_t(run.next)].stop) [[unlikely]]                                          \
        goto nextPass;                                                                            \
    CORVEL_PASS_CHECKS(!direct);
#define CORVEL_ROW(name, mask, first, last, rowCycles, operand, handler) \
    CORVEL_THREADED(row_##name, false, rowCycles, handler)                \
    CORVEL_THREADED(direct_##name, true, rowCycles, handler)
    CORVEL_INSTRUCTION_SET(CORVEL_ROW)
#undef CORVEL_ROW
#undef CORVEL_THREADED
#undef CORVEL_PASS_CHECKS
#undef CORVEL_FETCH
#undef CORVEL_LEAVE
    __builtin_unreachable();
}

// Each batch ends with the lazily counted cycles counted in, so the main
// program sees the timer and the watchdog where the program left them.
RunResult Engine::runSynchronously(uint64_t maxPasses, int32_t stopAddress)
{
    HoldRun hold(*this);
    const RunResult result = stopAddress < 0 ? runPasses<false, false>(maxPasses, stopAddress)
                                             : runPasses<true, false>(maxPasses, stopAddress);
    flushLazyCycles();
    return result;
}

RunResult Engine::runFastestBatch(uint64_t maxPasses)
{
    HoldRun hold(*this);
    const RunResult result = runPasses<false, true>(maxPasses, -1);
    flushLazyCycles();
    return result;
}

RunResult Engine::runPacedSlice(uint64_t maxPasses)
{
    HoldRun hold(*this);
    const RunResult result = runPasses<false, true, true>(maxPasses, -1);
    flushLazyCycles();
    return result;
}

} // namespace corvel
