// Power-on reset and the resets of a running chip. All stores are direct:
// no change marks, no breakpoints, no pin refresh.
#include "engine/peripherals.h"

namespace corvel {

bool Engine::unknownBitValue()
{
    const char choice = chipLink_ ? chipLink_->unknownBitChoice() : 'R';
    if (choice == '0')
        return false;
    if (choice == '1')
        return true;
    return random_() & 1;
}

// Each unknown bit is drawn on its own.
uint8_t Engine::unknownBits(uint8_t bits)
{
    uint8_t value = 0;
    for (int bit = 0; bit < 8; ++bit) {
        if ((bits >> bit & 1) && unknownBitValue())
            value |= uint8_t(1u << bit);
    }
    return value;
}

void Engine::PowerOnReset()
{
    RAM.fill(0);
    if (model_) {
        for (const PowerOnValue& power : model_->powerOn)
            RAM[power.index] = uint8_t(power.value | unknownBits(power.unknownBits));
        for (int index = 1; index < 256; ++index) {
            const TMatrixRAM& descriptor = MatrixRAM[size_t(index)];
            if (descriptor.Implemented && !descriptor.IsSFR)
                RAM[size_t(index)] = unknownBits(0xFF);
        }
    }
    discardMarks();
    for (int index = 0; index < kRegisterCount; ++index) {
        MatrixRAM[size_t(index)].delta = false;
        MatrixRAM[size_t(index)].deltabit = 0;
    }
    // The prescaler belongs to the watchdog until an OPTION instruction
    // gives it to TMR0.
    MatrixRAM[reg::Prescaler].usedbit = 0;
    RAM[reg::Prescaler] = 0;
}

void Engine::ResetMC(bool byResetPin, bool byWatchdog, bool byPinChange, bool byComparatorChange)
{
    RAM[reg::PCL] = 0xFF;
    if (model_) {
        uint8_t statusBits = RAM[reg::STATUS];
        if (model_->wakeUpFlags) {
            statusBits &= uint8_t(~(status::GPWUF | status::CWUF | status::PA0));
            if (sleepState.active && byPinChange)
                statusBits |= status::GPWUF;
            if (sleepState.active && byComparatorChange)
                statusBits |= status::CWUF;
        } else {
            statusBits &= 0x1F;
        }
        // A reset pin pulled while awake leaves \TO alone.
        if (byWatchdog)
            statusBits &= uint8_t(~status::TO);
        else if (!(byResetPin && !sleepState.active))
            statusBits |= status::TO;
        if (sleepState.active)
            statusBits &= uint8_t(~status::PD);
        RAM[reg::STATUS] = statusBits;

        for (const RunResetValue& reset : model_->runReset)
            RAM[reset.index] = uint8_t((RAM[reset.index] & reset.keepBits) | reset.setBits);
    }
    MatrixRAM[reg::Prescaler].usedbit = 0;
    RAM[reg::Prescaler] = 0;
    sleepState.active = false;
}

void Engine::ClrWdtStatus()
{
    HoldRun hold(*this);
    clearWatchdog(held_);
}

} // namespace corvel
