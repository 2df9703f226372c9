#pragma once

// A scripted stand-in for corvel behind DllMCEntries: the entries have the
// exports' own types and read and write the state below, and the writes the
// views make are counted. One instance at a time; installing it binds it.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "ide/main/simulator_binding.h"

namespace twtest {

struct FakeRegister {
    std::array<std::uint8_t, 8> ram{};
    std::string hexAddress;
    std::string name;
    std::array<std::string, 8> bitNames{};
    std::array<std::uint8_t, 8> usedBit{};
    std::array<std::uint8_t, 8> deltaBit{};
    std::uint8_t delta = 0;
    std::uint8_t greenDelta = 0;
    std::uint8_t toClearDelta = 0;
    std::uint8_t breakPoint = 0;
    std::uint8_t greenBP = 0;
};

struct SetRamCall {
    std::int32_t addr;
    std::int32_t bit;
    std::uint8_t value;
    friend bool operator==(const SetRamCall&, const SetRamCall&) = default;
};

struct FakeEngineState {
    static constexpr int RegisterCount = 265;

    std::uint16_t sfrCount = 0;
    std::uint16_t gprCount = 0;
    // Display row -> register index.
    std::vector<std::uint16_t> simAddress;
    std::array<FakeRegister, RegisterCount> registers{};

    std::int32_t pcLen = 11;
    std::vector<bool> pc;
    std::uint8_t stackMax = 1;
    std::uint8_t stackCounter = 0;
    std::array<std::vector<bool>, 2> stack;

    std::int32_t I = 0;
    std::int32_t romSize = 2048;
    std::int64_t ic = 0;
    std::int64_t mc = 0;
    long double userTimer = 0;
    std::int32_t crystalFreq = 4000000;
    double taktsWDT = 0;
    double periodWDT = 18000;

    std::uint8_t refreshComplete = 0;
    // What the disassembler was last told to stage: -1 the word fetched last.
    std::int32_t staged = -1;

    std::vector<SetRamCall> setRamCalls;
    int setBreakPointCalls = 0;
    int setGreenBPCalls = 0;
    // Every call through the table that reads or writes the engine.
    long calls = 0;
};

// The state behind the installed table.
FakeEngineState& Fake();

// A fresh state with `sfr` special-function and `gpr` general-purpose
// registers: display row k shows register index 100 + k (an order unlike the
// rows, so a mix-up shows), every register named after its row, all bits
// implemented.
void ResetFake(int sfr, int gpr);

// Binds the fake into DllMCEntries and marks corvel bound; the destructor
// clears the table again.
class FakeEngineBinding {
public:
    FakeEngineBinding();
    ~FakeEngineBinding();
    FakeEngineBinding(const FakeEngineBinding&) = delete;
    FakeEngineBinding& operator=(const FakeEngineBinding&) = delete;
};

} // namespace twtest
