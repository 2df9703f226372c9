#pragma once

// The nine simulation rates: the parameters each hands to corvel's
// Set_RT_parametrs, and the texts of its command.
#include <cstdint>
#include <iterator>

struct TSimulationRate {
    std::int32_t code;
    std::uint8_t realTime;
    std::uint8_t stepByStep;
    std::uint8_t delay;
    std::int32_t delayMs;
    double factor;
    std::int32_t captionText;
    std::int32_t hintText;
};

inline constexpr std::int32_t StepByStepRate = 0;
inline constexpr std::int32_t RealTimeRate = 100;
inline constexpr std::int32_t UltimateRate = 255;

// In menu order.
inline constexpr TSimulationRate SimulationRates[] = {
    {StepByStepRate, 0, 1, 0, 100, 1.0, 320, 4020},
    {1, 0, 0, 1, 2000, 1.0, 321, 4021},
    {2, 0, 0, 1, 1000, 1.0, 322, 4022},
    {3, 0, 0, 1, 500, 1.0, 323, 4023},
    {4, 0, 0, 1, 100, 1.0, 324, 4024},
    {5, 0, 0, 1, 10, 1.0, 325, 4025},
    {RealTimeRate, 1, 0, 0, 1000, 1.0, 326, 4026},
    {200, 1, 0, 0, 1000, 2.0, 327, 4027},
    {UltimateRate, 0, 0, 0, 1000, 1.0, 328, 4028},
};

// The row of code; any code not in the table takes the Ultimate row.
inline const TSimulationRate& SimulationRateOf(std::int32_t code)
{
    for (const TSimulationRate& rate : SimulationRates)
        if (rate.code == code)
            return rate;
    return SimulationRates[std::size(SimulationRates) - 1];
}
