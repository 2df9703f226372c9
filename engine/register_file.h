// The register accesses every instruction makes, inline so the instruction
// loop pays only for what a plain register needs. The special registers are
// in register_file.cpp.
#pragma once

#include "engine/engine.h"

namespace corvel {

// 0x10..0x1F are banked: the FSR bits above bit 4 that the model uses for
// banks add 0x20, 0x40 and 0x80. Indices outside 16..31 never move, so a
// mapped index maps to itself.
inline int Engine::bankMapped(int index) const
{
    return (index >= 16 && index < 32) ? index + (RAM[reg::FSR] & bankMask_) : index;
}

// A bank-mapped register as the program reads it.
inline uint8_t Engine::readFile(HeldRun& run, int index)
{
    // Indirect, Pcl, Tmr0 and Port read more than the stored value.
    constexpr unsigned kSpecialReads = 1u << unsigned(RegisterKind::Indirect) | 1u << unsigned(RegisterKind::Pcl)
                                       | 1u << unsigned(RegisterKind::Tmr0) | 1u << unsigned(RegisterKind::Port);
    const RegisterKind kind = kind_[size_t(index)];
    if (!(kSpecialReads >> unsigned(kind) & 1)) [[likely]]
        return RAM[size_t(index)];
    switch (kind) {
    case RegisterKind::Indirect: {
        const int target = RAM[reg::FSR] & 0x1F;
        return target ? readFile(run, bankMapped(target)) : 0;
    }
    case RegisterKind::Port: {
        // The chip device's callbacks see the counters of this instruction.
        held_ = run;
        const uint8_t value = portAsRead(index);
        run = held_;
        return value;
    }
    case RegisterKind::Tmr0:
        flushLazyTimer();
        return RAM[size_t(index)];
    case RegisterKind::Pcl:
        // The program counter has moved on to the next instruction by the
        // time the executing one reads it.
        return uint8_t(run.pc + 1);
    default:
        return RAM[size_t(index)];
    }
}

// The first mark of a register since the last hand-over. Every write
// happens inside a hold of the run, which hands the marks over as it ends.
inline void Engine::noteMarked(int index)
{
    markedRows_[size_t(markedCount_++)] = uint16_t(index);
}

// Stores only when a bit is new since the hand-over, which is seldom.
inline void Engine::noteWritten(int index, uint8_t bits)
{
    const uint16_t before = markedBits_[size_t(index)];
    const uint16_t after = uint16_t(before | bits | kMarkWritten);
    if (after != before) [[unlikely]] {
        markedBits_[size_t(index)] = after;
        if (!(before & kMarkWritten))
            noteMarked(index);
    }
}

// The change marks of one write of `bits` to register `index`; `changed`:
// the write changed the register's value. greenDelta is decided over one
// access: the first write of an access sets it, a later write of the same
// access that changes something clears it.
inline void Engine::recordMark(HeldRun& run, int index, uint8_t bits, bool changed)
{
    writtenAccess_[size_t(index)] = run.accessEpoch;
    changedAccess_[changed ? size_t(index) : kNoRegister] = run.accessEpoch;
    noteWritten(index, bits);
}

// The update keeps the access number of the register's last write, so a
// later write in that access still decides greenDelta together with it.
inline void Engine::recordTimerRowMark(int index, bool changed)
{
    changedAccess_[size_t(index)] = changed ? writtenAccess_[size_t(index)] : kUnchangedUpdate;
    noteWritten(index, 0xFF);
}

// The change marks and the breakpoint of one write of `bits`: changedBits
// are the written bits whose new value differs from the stored one, and
// storeChanged says the register's value changed in other ways too.
inline void Engine::mark(HeldRun& run, int index, uint8_t bits, uint8_t changedBits, bool storeChanged)
{
    recordMark(run, index, bits, changedBits || storeChanged);
    if (watched_[size_t(index)]) [[unlikely]] {
        const TMatrixRAM& descriptor = MatrixRAM[size_t(index)];
        if (descriptor.BreakPoint && (changedBits || descriptor.GreenBP))
            pauseAtBreakpoint();
    }
}

// \TO and \PD change only through the resets, CLRWDT, SLEEP and the
// watchdog (internal writes); an instruction's write leaves them alone.
inline void Engine::writeStatus(HeldRun& run, uint8_t mask, uint8_t value, bool internal)
{
    auto& stored = RAM[reg::STATUS];
    const uint8_t kept = internal ? mask : uint8_t(mask & ~(status::TO | status::PD));
    const uint8_t after = uint8_t((stored & ~kept) | (value & kept));
    mark(run, reg::STATUS, mask, uint8_t((stored ^ after) & mask), false);
    stored = after;
}

// Writes the bits of `value` selected by `mask`, as that many single-bit
// writes from bit 0 up would.
inline void Engine::writeMasked(HeldRun& run, int index, uint8_t mask, uint8_t value, bool internal)
{
    writeMapped(run, bankMapped(index), mask, value, internal);
}

inline void Engine::writeMapped(HeldRun& run, int index, uint8_t mask, uint8_t value, bool internal)
{
    if (!quietWrite_[size_t(index)]) [[unlikely]] {
        held_ = run;
        writeSpecial(index, mask, value, internal);
        run = held_;
        return;
    }
    storeQuiet(run, index, mask, value);
}

inline void Engine::storeQuiet(HeldRun& run, int index, uint8_t mask, uint8_t value)
{
    auto& stored = RAM[size_t(index)];
    const uint8_t before = stored;
    recordMark(run, index, mask, (before ^ value) & mask);
    stored = uint8_t((before & ~mask) | (value & mask));
}

// A register with nothing to a write but the store and its marks.
inline void Engine::storePlain(HeldRun& run, int index, uint8_t mask, uint8_t value)
{
    auto& stored = RAM[size_t(index)];
    mark(run, index, mask, uint8_t((stored ^ value) & mask), false);
    stored = uint8_t((stored & ~mask) | (value & mask));
}

// The low byte of a jump target, loaded by the engine itself.
inline void Engine::loadPclLow(HeldRun& run, uint8_t value)
{
    auto& stored = RAM[reg::PCL];
    mark(run, reg::PCL, 0xFF, uint8_t(stored ^ value), false);
    stored = value;
    run.pc = (run.pc & ~0xFFu) | value;
}

template <bool kDirect>
inline void Engine::stepPc(HeldRun& run)
{
    const uint8_t before = RAM[reg::PCL];
    const uint32_t pc = (run.pc + 1) & pcMask_;
    run.pc = pc;
    const uint8_t after = uint8_t(pc);
    RAM[reg::PCL] = after;
    // Always marked written; only a change makes it this access's write.
    const uint8_t changed = before ^ after;
    if (changed) [[likely]] {
        writtenAccess_[reg::PCL] = run.accessEpoch;
        changedAccess_[reg::PCL] = run.accessEpoch;
    }
    noteWritten(reg::PCL, changed);
    if (!kDirect && pclWatched_) [[unlikely]]
        pauseAtBreakpoint();
}

// The page bits of STATUS as address bits 9 and 10, as far as the model has
// them.
inline uint32_t Engine::pageBits() const
{
    return uint32_t(RAM[reg::STATUS] & pageMask_) << 4;
}

// A jump keeps the program counter in its width and the instruction pointer
// inside program memory: a 256-word chip ignores address bit 8.
inline void Engine::jumpTo(HeldRun& run, uint32_t address)
{
    run.pc = address & pcMask_;
    run.next = int32_t(address) & romMask_;
}

} // namespace corvel
