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
inline uint8_t Engine::readFile(int index)
{
    switch (kind_[size_t(index)]) {
    case RegisterKind::Indirect: {
        const int target = RAM[reg::FSR] & 0x1F;
        return target ? readFile(bankMapped(target)) : 0;
    }
    case RegisterKind::Port:
        return portAsRead(index);
    case RegisterKind::Tmr0:
        flushLazyCycles();
        return RAM[size_t(index)];
    case RegisterKind::Pcl:
        // The program counter has moved on to the next instruction by the
        // time the executing one reads it.
        return uint8_t(held_.pc + 1);
    default:
        return RAM[size_t(index)];
    }
}

// The change marks and the breakpoint of one write of `bits`: changedBits
// are the written bits whose new value differs from the stored one, and
// storeChanged says the register's value changed in other ways too.
inline void Engine::mark(int index, uint8_t bits, uint8_t changedBits, bool storeChanged)
{
    TMatrixRAM& descriptor = MatrixRAM[size_t(index)];
    descriptor.delta = true;
    descriptor.deltabit |= bits;
    const bool changed = changedBits || storeChanged;
    uint64_t& lastWrite = lastWriteEpoch_[size_t(index)];
    if (lastWrite != accessEpoch_) {
        lastWrite = accessEpoch_;
        descriptor.greenDelta = !changed;
    } else if (changed) {
        descriptor.greenDelta = false;
    }
    if (descriptor.BreakPoint && (changedBits || descriptor.GreenBP)) [[unlikely]]
        rtPause.store(1, std::memory_order_relaxed);
}

// Writes the bits of `value` selected by `mask`, as that many single-bit
// writes from bit 0 up would.
inline void Engine::writeMasked(int index, uint8_t mask, uint8_t value, bool internal)
{
    writeMapped(bankMapped(index), mask, value, internal);
}

inline void Engine::writeMapped(int index, uint8_t mask, uint8_t value, bool internal)
{
    if (kind_[size_t(index)] != RegisterKind::Plain) [[unlikely]] {
        writeSpecial(index, mask, value, internal);
        return;
    }
    storePlain(index, mask, value);
}

// A register with nothing to a write but the store and its marks.
inline void Engine::storePlain(int index, uint8_t mask, uint8_t value)
{
    auto& stored = RAM[size_t(index)];
    mark(index, mask, uint8_t((stored ^ value) & mask), false);
    stored = uint8_t((stored & ~mask) | (value & mask));
}

// The low byte of a jump target, loaded by the engine itself.
inline void Engine::loadPclLow(uint8_t value)
{
    auto& stored = RAM[reg::PCL];
    mark(reg::PCL, 0xFF, uint8_t(stored ^ value), false);
    stored = value;
    held_.pc = (held_.pc & ~0xFFu) | value;
}

inline void Engine::stepPc()
{
    const uint8_t before = RAM[reg::PCL];
    held_.pc = (held_.pc + 1) & pcMask_;
    const uint8_t after = uint8_t(held_.pc);
    RAM[reg::PCL] = after;
    TMatrixRAM& pcl = MatrixRAM[reg::PCL];
    pcl.delta = true;
    if (const uint8_t changed = before ^ after) {
        pcl.greenDelta = false;
        pcl.deltabit |= changed;
        lastWriteEpoch_[reg::PCL] = accessEpoch_;
    }
    if (pcl.BreakPoint) [[unlikely]]
        rtPause.store(1, std::memory_order_relaxed);
}

// The page bits of STATUS as address bits 9 and 10, as far as the model has
// them.
inline uint32_t Engine::pageBits() const
{
    return uint32_t(RAM[reg::STATUS] & pageMask_) << 4;
}

// A jump keeps the program counter in its width and the instruction pointer
// inside program memory: a 256-word chip ignores address bit 8.
inline void Engine::jumpTo(uint32_t address)
{
    held_.pc = address & pcMask_;
    held_.next = int32_t(address) & romMask_;
}

} // namespace corvel
