#include "engine/engine.h"

namespace corvel {

Engine::Engine()
    : random_(std::random_device{}())
{
}

void Engine::setRamBit(int index, int bit, bool value)
{
    const uint8_t mask = uint8_t(1u << bit);
    RAM[index] = value ? uint8_t(RAM[index] | mask) : uint8_t(RAM[index] & ~mask);
}

void Engine::setRomBit(int word, int bit, bool value)
{
    const uint16_t mask = uint16_t(1u << bit);
    ROM[word] = value ? uint16_t(ROM[word] | mask) : uint16_t(ROM[word] & ~mask);
}

void Engine::setConfigBit(int no, uint8_t value)
{
    Config[no] = value;
    if (chipLink_)
        chipLink_->storeConfigBit(no, value == 1 ? '1' : '0');
}

} // namespace corvel
