// Test support for the engine: a chip device stand-in, instruction words by
// mnemonic, and an engine ready to execute words placed at address 0.
#pragma once

#include <array>
#include <cctype>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <string>

#include "engine/engine.h"

namespace enginetest {

// The chip device as the engine sees it: settable pin levels (NaN =
// undriven), the unknown-bit choice, and the configuration bits written.
class FakeChipLink : public corvel::ChipLink {
public:
    FakeChipLink() { levels.fill(std::numeric_limits<float>::quiet_NaN()); }
    float pinLevel(int port) const override
    {
        ++reads;
        return levels[size_t(port)];
    }
    char unknownBitChoice() const override { return unknown; }
    void storeConfigBit(int bit, char value) override { config[size_t(bit)] = value; }

    std::array<float, 40> levels{};
    char unknown = '0';
    std::string config = "------------";
    mutable int reads = 0;
};

// Instruction words. f is a register 0..31, d is W (false) or F (true).
inline constexpr bool W = false;
inline constexpr bool F = true;
namespace op {
constexpr uint16_t byteOp(uint16_t code, int f, bool d) { return uint16_t(code | (d ? 0x20 : 0) | (f & 0x1F)); }
constexpr uint16_t bitOp(uint16_t code, int f, int b) { return uint16_t(code | (b & 7) << 5 | (f & 0x1F)); }
constexpr uint16_t ADDWF(int f, bool d) { return byteOp(0x1C0, f, d); }
constexpr uint16_t ANDWF(int f, bool d) { return byteOp(0x140, f, d); }
constexpr uint16_t CLRF(int f) { return uint16_t(0x060 | f); }
constexpr uint16_t CLRW() { return 0x040; }
constexpr uint16_t COMF(int f, bool d) { return byteOp(0x240, f, d); }
constexpr uint16_t DECF(int f, bool d) { return byteOp(0x0C0, f, d); }
constexpr uint16_t DECFSZ(int f, bool d) { return byteOp(0x2C0, f, d); }
constexpr uint16_t INCF(int f, bool d) { return byteOp(0x280, f, d); }
constexpr uint16_t INCFSZ(int f, bool d) { return byteOp(0x3C0, f, d); }
constexpr uint16_t IORWF(int f, bool d) { return byteOp(0x100, f, d); }
constexpr uint16_t MOVF(int f, bool d) { return byteOp(0x200, f, d); }
constexpr uint16_t MOVWF(int f) { return uint16_t(0x020 | f); }
constexpr uint16_t NOP() { return 0x000; }
constexpr uint16_t RLF(int f, bool d) { return byteOp(0x340, f, d); }
constexpr uint16_t RRF(int f, bool d) { return byteOp(0x300, f, d); }
constexpr uint16_t SUBWF(int f, bool d) { return byteOp(0x080, f, d); }
constexpr uint16_t SWAPF(int f, bool d) { return byteOp(0x380, f, d); }
constexpr uint16_t XORWF(int f, bool d) { return byteOp(0x180, f, d); }
constexpr uint16_t BCF(int f, int b) { return bitOp(0x400, f, b); }
constexpr uint16_t BSF(int f, int b) { return bitOp(0x500, f, b); }
constexpr uint16_t BTFSC(int f, int b) { return bitOp(0x600, f, b); }
constexpr uint16_t BTFSS(int f, int b) { return bitOp(0x700, f, b); }
constexpr uint16_t ANDLW(int k) { return uint16_t(0xE00 | (k & 0xFF)); }
constexpr uint16_t CALL(int k) { return uint16_t(0x900 | (k & 0xFF)); }
constexpr uint16_t CLRWDT() { return 0x004; }
constexpr uint16_t GOTO(int k) { return uint16_t(0xA00 | (k & 0x1FF)); }
constexpr uint16_t IORLW(int k) { return uint16_t(0xD00 | (k & 0xFF)); }
constexpr uint16_t MOVLW(int k) { return uint16_t(0xC00 | (k & 0xFF)); }
constexpr uint16_t OPTION() { return 0x002; }
constexpr uint16_t RETLW(int k) { return uint16_t(0x800 | (k & 0xFF)); }
constexpr uint16_t SLEEP() { return 0x003; }
constexpr uint16_t TRIS(int port) { return uint16_t(port & 0xF); }
constexpr uint16_t XORLW(int k) { return uint16_t(0xF00 | (k & 0xFF)); }
} // namespace op

// An engine with a model selected, powered on with unknown bits 0, its run
// started and the program counter moved to address 0.
class Chip {
public:
    explicit Chip(int model = corvel::kPic10F200)
    {
        engine.SelectMC(model);
        engine.setChipLink(&link);
        engine.PowerOnReset();
        engine.startRun();
        jump(0);
    }

    void jump(int address)
    {
        engine.I = address;
        engine.PC = uint32_t(address);
        engine.RAM[corvel::reg::PCL] = uint8_t(address);
    }

    void load(std::initializer_list<uint16_t> words, int at = 0)
    {
        for (uint16_t word : words)
            engine.ROM[size_t(at++)] = word;
    }

    // Executes the words from the current address, one pass each.
    corvel::RunResult run(std::initializer_list<uint16_t> words)
    {
        load(words, engine.I);
        return engine.runSynchronously(words.size());
    }

    corvel::RunResult step(uint64_t passes = 1) { return engine.runSynchronously(passes); }

    corvel::Shared<uint8_t>& reg(int index) { return engine.RAM[size_t(index)]; }
    uint8_t status() const { return engine.RAM[corvel::reg::STATUS]; }
    uint8_t w() const { return engine.RAM[corvel::reg::W]; }
    const corvel::TMatrixRAM& marks(int index) const { return engine.MatrixRAM[size_t(index)]; }

    // Forgets every change mark, as the main program does after showing them.
    void clearMarks()
    {
        for (corvel::TMatrixRAM& descriptor : engine.MatrixRAM) {
            descriptor.delta = false;
            descriptor.deltabit = 0;
            descriptor.greenDelta = false;
        }
    }

    corvel::Engine engine;
    FakeChipLink link;
};

// A case's description as a GoogleTest name: every character that is not a
// letter or a digit becomes '_'.
inline std::string testNameOf(std::string text)
{
    for (char& c : text)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return text;
}

} // namespace enginetest
