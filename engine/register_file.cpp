// The registers whose reads and writes do more than load and store a byte.
#include <bit>
#include <cmath>
#include <limits>

#include "engine/register_file.h"

namespace corvel {
namespace {

// ADCON0 and CMCON0 bits that take GPIO pins away from digital input.
constexpr uint8_t kAdcAns0 = 0x40;
constexpr uint8_t kAdcAns1 = 0x80;
constexpr uint8_t kCmpOn = 0x08;
constexpr uint8_t kCmpOutputDisabled = 0x40; // \COUTEN
constexpr uint8_t kOptionT0cs = 0x20;
constexpr uint8_t kOscCalFosc4 = 0x01;
constexpr uint8_t kAdcOn = 0x01;
constexpr uint8_t kAdcGo = 0x02;

// A missing link or an unwired port is undriven.
float pinLevelOf(const ChipLink* link, int port)
{
    return link ? link->pinLevel(port) : std::numeric_limits<float>::quiet_NaN();
}

} // namespace

void Engine::configureRegisterFile()
{
    kind_.fill(RegisterKind::Unimplemented);
    for (int index = 0; index < kRegisterCount; ++index) {
        if (MatrixRAM[size_t(index)].Implemented)
            kind_[size_t(index)] = RegisterKind::Plain;
    }
    kind_[reg::INDF] = RegisterKind::Indirect;
    kind_[reg::TMR0] = RegisterKind::Tmr0;
    kind_[reg::PCL] = RegisterKind::Pcl;
    kind_[reg::STATUS] = RegisterKind::Status;
    kind_[reg::FSR] = RegisterKind::Fsr;
    if (AdrADCON0 >= 0)
        kind_[size_t(AdrADCON0)] = RegisterKind::Adcon0;
    kind_[reg::OPTION] = RegisterKind::Peripheral;
    if (AdrOSCCAL >= 0)
        kind_[size_t(AdrOSCCAL)] = RegisterKind::Peripheral;
    if (AdrCMCON0 >= 0)
        kind_[size_t(AdrCMCON0)] = RegisterKind::Peripheral;
    replanPeripherals();

    ports_ = {};
    if (AdrGPIO >= 0) {
        kind_[size_t(AdrGPIO)] = RegisterKind::Port;
        const uint8_t gpioBits = LastBitGPIO >= 0 ? uint8_t((2u << LastBitGPIO) - 1) : 0;
        ports_[size_t(AdrGPIO)] = {reg::TRISGPIO, 0xFF, 0x3F, 0, gpioBits, true};
    }
    if (TypeMC >= kPic16F54) {
        // Bit b of PORTB is port 4 + b of the chip device, and so on; PORTE
        // has bits 4..7 only, on ports 28..31.
        const int32_t addresses[] = {AdrPORTA, AdrPORTB, AdrPORTC, AdrPORTD, AdrPORTE};
        const uint8_t pins[] = {0x0F, 0xFF, 0xFF, 0xFF, 0xF0};
        const uint8_t firstPort[] = {0, 4, 12, 20, 24};
        for (int port = 0; port < 5; ++port) {
            if (addresses[port] < 0)
                continue;
            kind_[size_t(addresses[port])] = RegisterKind::Port;
            ports_[size_t(addresses[port])] = {uint16_t(reg::TRISA + port), pins[port], pins[port], firstPort[port],
                pins[port], false};
        }
    }

    const uint8_t fsrBits = MatrixRAM[reg::FSR].usedbit;
    fsrMask_ = fsrBits;
    bankMask_ = fsrBits & 0xE0;
    const uint8_t statusBits = MatrixRAM[reg::STATUS].usedbit;
    pageMask_ = 0;
    if (PC_Len > 9)
        pageMask_ |= statusBits & status::PA0;
    if (PC_Len > 10)
        pageMask_ |= statusBits & status::PA1;
    pcMask_ = (1u << PC_Len) - 1;
    romMask_ = ROM_Size - 1;
    seenEdits_ = kUnbuilt;
}

// ---- Change marks ----

void Engine::pauseAtBreakpoint()
{
    breakpointHit_ = true;
}

void Engine::publishMarks()
{
    for (int n = 0; n < markedCount_; ++n) {
        const size_t index = markedRows_[size_t(n)];
        TMatrixRAM& descriptor = MatrixRAM[index];
        descriptor.delta = true;
        descriptor.deltabit |= uint8_t(markedBits_[index]);
        descriptor.greenDelta = changedAccess_[index] != writtenAccess_[index];
        markedBits_[index] = 0;
    }
    markedCount_ = 0;
}

void Engine::discardMarks()
{
    for (int n = 0; n < markedCount_; ++n)
        markedBits_[markedRows_[size_t(n)]] = 0;
    markedCount_ = 0;
}

// ---- Reads ----

bool Engine::ReadRegBit(int index, int bit)
{
    HoldRun hold(*this);
    return (readFile(held_, bankMapped(index)) >> bit) & 1;
}

// A pin reads 1 when undriven or above 1.0 V.
uint8_t Engine::pinBits(int firstPort, uint8_t bits)
{
    if (!chipLink_)
        return bits;
    publishForCallback();
    uint8_t high = 0;
    for (uint8_t rest = bits; rest; rest &= uint8_t(rest - 1)) {
        const int bit = std::countr_zero(rest);
        if (!(pinLevelOf(chipLink_, firstPort + bit) <= 1.0f))
            high |= uint8_t(1u << bit);
    }
    noticeEdits();
    return high;
}

// GPIO inputs that read 0 whatever their pin: pins taken by the converter,
// the comparator, the instruction-clock output, the timer clock input and
// the reset pin, and bits the model lacks.
uint8_t Engine::gpioForcedZeros() const
{
    uint8_t zeros = 0xC0;
    if (LastBitGPIO < 4)
        zeros |= 0x10;
    if (LastBitGPIO < 5)
        zeros |= 0x20;
    if (AdrADCON0 >= 0) {
        const uint8_t adcon0 = RAM[size_t(AdrADCON0)];
        if (adcon0 & kAdcAns0)
            zeros |= 0x01;
        if (adcon0 & kAdcAns1)
            zeros |= 0x02;
        if (TypeMC == kPic12F510) {
            if (adcon0 & kAdcAns1)
                zeros |= 0x01;
            if (adcon0 & (kAdcAns0 | kAdcAns1))
                zeros |= 0x04;
        }
    }
    if (AdrCMCON0 >= 0) {
        const uint8_t cmcon0 = RAM[size_t(AdrCMCON0)];
        if (cmcon0 & kCmpOn) {
            zeros |= 0x03;
            if (!(cmcon0 & kCmpOutputDisabled))
                zeros |= 0x04;
        }
    }
    if ((RAM[reg::OSCCAL] & kOscCalFosc4) || (RAM[reg::OPTION] & kOptionT0cs))
        zeros |= 0x04;
    if (Config[4] == 1)
        zeros |= 0x08;
    return zeros;
}

// An input bit reads its pin; an output bit reads back the stored value. A
// bit the port does not have reads 0.
uint8_t Engine::portAsRead(int index)
{
    const PortLayout& port = ports_[size_t(index)];
    const uint8_t stored = RAM[size_t(index)];
    const uint8_t inputs = RAM[port.trisRow] & port.inputBits;
    if (!inputs)
        return uint8_t(stored & port.latchBits);
    const uint8_t zeros = port.gpioRules ? gpioForcedZeros() : 0;
    const uint8_t pins = pinBits(port.pinOfBit0, uint8_t(inputs & ~zeros));
    return uint8_t(((stored & ~inputs) | (pins & inputs & ~zeros)) & port.latchBits);
}

// ---- Writes ----

void Engine::WriteRegBit(int index, int bit, bool value, bool internal)
{
    HoldRun hold(*this);
    ++held_.accessEpoch;
    writeMasked(held_, index, uint8_t(1u << bit), value ? 0xFF : 0x00, internal);
}

void Engine::IncPC()
{
    HoldRun hold(*this);
    stepPc(held_);
}

void Engine::WriteRegByte(int index, uint8_t value, bool internal)
{
    HoldRun hold(*this);
    ++held_.accessEpoch;
    writeMasked(held_, index, 0xFF, value, internal);
}

void Engine::writeSpecial(int index, uint8_t mask, uint8_t value, bool internal)
{
    switch (kind_[size_t(index)]) {
    case RegisterKind::Unimplemented:
        return;
    case RegisterKind::Plain:
        storePlain(held_, index, mask, value);
        return;
    case RegisterKind::Tmr0: {
        flushLazyTimer();
        auto& stored = RAM[reg::TMR0];
        mark(held_, reg::TMR0, mask, uint8_t((stored ^ value) & mask), false);
        stored = uint8_t((stored & ~mask) | (value & mask));
        // A program write restarts the prescaler, and the timer holds the
        // written value for the next two instruction cycles.
        if (!internal) {
            timer0.count = stored * timer0.prescale;
            timer0.hold = 2;
        }
        return;
    }
    case RegisterKind::Status:
        writeStatus(held_, mask, value, internal);
        return;
    case RegisterKind::Indirect:
        writeIndirect(mask, value, internal);
        return;
    case RegisterKind::Pcl:
        writePcl(mask, value, internal);
        return;
    case RegisterKind::Fsr:
        writeFsr(mask, value);
        return;
    case RegisterKind::Port:
        writePort(index, mask, value);
        return;
    case RegisterKind::Adcon0:
        writeAdcon0(index, mask, value);
        replanPeripherals();
        return;
    case RegisterKind::Peripheral: {
        auto& stored = RAM[size_t(index)];
        mark(held_, index, mask, uint8_t((stored ^ value) & mask), false);
        stored = uint8_t((stored & ~mask) | (value & mask));
        replanPeripherals();
        return;
    }
    }
}

// INDF passes the write to the register FSR points at and mirrors what that
// register then holds. A multi-bit write goes bit by bit where the bits
// interact: a target that is FSR itself moves the pointer between bits,
// ADCON0 checks ADON per bit.
void Engine::writeIndirect(uint8_t mask, uint8_t value, bool internal)
{
    const int target = RAM[reg::FSR] & 0x1F;
    if (target && std::popcount(mask) > 1) {
        const RegisterKind kind = kind_[size_t(bankMapped(target))];
        if (kind == RegisterKind::Fsr || kind == RegisterKind::Adcon0) {
            for (uint8_t rest = mask; rest; rest &= uint8_t(rest - 1))
                writeIndirect(uint8_t(rest & -rest), value, internal);
            return;
        }
    }
    mark(held_, reg::INDF, mask, uint8_t((RAM[reg::INDF] ^ value) & mask), false);
    if (!target)
        return;
    const int written = bankMapped(target);
    writeMasked(held_, target, mask, value, internal);
    RAM[reg::INDF] = uint8_t((RAM[reg::INDF] & ~mask) | (RAM[size_t(written)] & mask));
}

// FSR stores only the bits the model has; a write to a missing bit still
// counts as a write for the change marks and breakpoints.
// A multi-bit write that leaves FSR pointing at INDF itself goes bit by bit:
// the INDF row then keeps what it showed after the last bit that pointed
// elsewhere.
void Engine::writeFsr(uint8_t mask, uint8_t value)
{
    auto& stored = RAM[reg::FSR];
    const uint8_t kept = uint8_t(mask & fsrMask_);
    const uint8_t after = uint8_t((stored & ~kept) | (value & kept));
    if (indfPointer(after) == reg::INDF && std::popcount(mask) > 1) {
        for (uint8_t rest = mask; rest; rest &= uint8_t(rest - 1))
            writeFsr(uint8_t(rest & -rest), value);
        return;
    }
    mark(held_, reg::FSR, mask, uint8_t((stored ^ value) & mask), false);
    stored = after;
    refreshIndfMirror();
}

// The register the INDF row shows: FSR bits 0..4 and those of bits 5..7 the
// model has.
int Engine::indfPointer(uint8_t fsr) const
{
    return (fsr & 0x1F) | (fsr & 0xE0 & MatrixRAM[reg::FSR].usedbit);
}

void Engine::refreshIndfMirror()
{
    // The mirror may show TMR0.
    flushLazyTimer();
    RAM[reg::INDF] = RAM[size_t(indfPointer(RAM[reg::FSR]))];
}

// A program write to PCL jumps to the address written: the low byte is what
// the instruction computed (a bit instruction starts from PCL as it reads,
// the next instruction's address), bit 8 is cleared and the page bits come
// from STATUS, as the chip does it. The jump takes the instruction a second
// cycle (advance() charges it). The engine's own writes (the low byte of
// GOTO, CALL and RETLW) only set it.
void Engine::writePcl(uint8_t mask, uint8_t value, bool internal)
{
    auto& stored = RAM[reg::PCL];
    if (internal) {
        mark(held_, reg::PCL, mask, uint8_t((stored ^ value) & mask), false);
        stored = uint8_t((stored & ~mask) | (value & mask));
        held_.pc = (held_.pc & ~uint32_t(mask)) | (value & mask);
        return;
    }
    const uint8_t low = uint8_t((uint8_t(held_.pc + 1) & ~mask) | (value & mask));
    mark(held_, reg::PCL, mask, uint8_t((stored ^ low) & mask), false);
    stored = low;
    jumpTo(held_, pageBits() | low);
    held_.pclJumped = true;
}

// A whole byte (MOVWF, CLRF, an ALU result) goes into every latch, those of
// input pins included. A bit instruction is the chip's read-modify-write:
// before each bit is stored, every input bit is refreshed from its pin. Done
// bit by bit from bit 0, that leaves the inputs as read, the output bits as
// written, and the highest written bit as written even when it is an input;
// each written bit after the lowest is compared with the refreshed value.
// Bits the port does not have stay 0.
void Engine::writePort(int index, uint8_t mask, uint8_t value)
{
    const PortLayout& port = ports_[size_t(index)];
    auto& stored = RAM[size_t(index)];
    const uint8_t before = stored;
    if (mask == 0xFF) {
        const uint8_t latched = uint8_t(value & port.latchBits);
        mark(held_, index, mask, uint8_t(before ^ latched), false);
        stored = latched;
        return;
    }
    const uint8_t refresh = RAM[port.trisRow] & port.refreshBits;
    const uint8_t refreshed = refresh ? uint8_t((before & ~refresh) | (portAsRead(index) & refresh)) : before;
    const uint8_t lowest = uint8_t(mask & -mask);
    const uint8_t highest = std::bit_floor(mask);
    const uint8_t comparedWith = uint8_t((before & lowest) | (refreshed & ~lowest));
    const uint8_t written = uint8_t((mask & ~refresh) | highest);
    const uint8_t after = uint8_t(((refreshed & ~written) | (value & written)) & port.latchBits);
    mark(held_, index, mask, uint8_t((value ^ comparedWith) & mask & port.latchBits), after != before);
    stored = after;
}

// GO/\DONE cannot be set while ADON is clear; ADON (bit 0) is written
// before GO (bit 1), so one byte may switch on and start together.
void Engine::writeAdcon0(int index, uint8_t mask, uint8_t value)
{
    if (std::popcount(mask) > 1) {
        for (uint8_t rest = mask; rest; rest &= uint8_t(rest - 1))
            writeAdcon0(index, uint8_t(rest & -rest), value);
        return;
    }
    auto& stored = RAM[size_t(index)];
    mark(held_, index, mask, uint8_t((stored ^ value) & mask), false);
    if (mask == kAdcGo && (value & kAdcGo) && !(stored & kAdcOn))
        return;
    stored = uint8_t((stored & ~mask) | (value & mask));
}

} // namespace corvel
