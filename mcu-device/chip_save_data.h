// The chip device's saved settings: 23 single-byte characters that the host
// stores in the project file without reading them.
//
//   0..11  configuration bits 0..11, '1' for 1, anything else 0
//   12     '1' when the user chose the clock frequency below
//   13..21 that frequency in hertz, nine decimal digits, kept while unused
//   22     power-on value of register bits of unknown state: '0', '1', else random
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "devices/contract.h"

namespace corvel::save_data {

inline constexpr std::int32_t kLength = 23;
inline constexpr int kConfigBits = 12;
inline constexpr int kUserFrequencyFlag = 12;
inline constexpr int kFrequency = 13;
inline constexpr int kFrequencyDigits = 9;
inline constexpr int kUnknownBit = 22;

inline constexpr std::int32_t kStandardFrequency = 4000000;
inline constexpr std::int32_t kFastInternalFrequency = 8000000;
// The instruction clock is a quarter of the oscillator: below 4 Hz it would
// be 0 and pacing a run would divide by zero.
inline constexpr std::int32_t kLowestFrequency = 4;

using Config = std::array<std::uint8_t, 12>;
using Record = std::array<char, kLength>;

// What a new chip device gets: the configuration bits, no user frequency,
// the digits 004000000 and unknown bits 0.
Record defaultRecord(const Config& config);

// Makes the device's record exactly 23 characters: characters it lacks come
// from defaultRecord(config), characters past the 23rd are dropped. A record
// from a damaged or foreign project file is so never read or written beyond
// its end.
void normaliseRecord(TDevice& device, const Config& config);

// Characters 13..21 as a frequency; nothing when one of them is not a decimal
// digit or the value is below kLowestFrequency. The record must have all 23
// characters.
std::optional<std::int32_t> storedFrequency(const TArrayChar& record);

// The Config bit that switches the internal oscillator to 8 MHz (IOSCFS) on
// `model`, or -1 when the model has no such bit.
int ioscfsBit(int model);

// The clock of `model` when the user chose no frequency: 8 MHz with IOSCFS
// set on the models that have it, else 4 MHz.
std::int32_t internalFrequency(int model, bool ioscfsSet);

} // namespace corvel::save_data
