#pragma once

// Placing corvel's chip device the way the host does, and reading and
// replacing its saved settings the way the project file does.
#include <memory>
#include <string>
#include <string_view>

#include "devices/contract.h"
#include "mcu-device/chip_device.h"
#include "mcu-device/corvel_library.h"
#include "mcu-device/library_face.h"

namespace twtest {

using DeviceHandle = std::unique_ptr<TDevice>;

// SelectMC of `model`, then Get_Device_class. PIC16F505/506/526 cannot be
// selected; for them the model index is set directly, as only a device of
// theirs is made.
inline DeviceHandle placeChip(int model)
{
    corvel::Engine& engine = corvel::TheEngine();
    if (!engine.SelectMC(model))
        engine.TypeMC = std::uint8_t(model);
    return DeviceHandle(Get_Device_class(nullptr));
}

inline std::string recordOf(const TDevice& device)
{
    const TArrayChar record = device.SaveData();
    return std::string(record.begin(), record.end());
}

// The engine's Config bits 0..11 as digits, bit 0 first.
inline std::string configOf(const corvel::Engine& engine)
{
    std::string bits;
    for (const std::uint8_t bit : engine.Config)
        bits += char('0' + bit);
    return bits;
}

// The host's replacement of the whole record, as after reading a project.
inline void replaceRecord(TDevice& device, std::string_view text)
{
    TArrayChar record = TArrayChar::make(std::int32_t(text.size()));
    if (!text.empty())
        text.copy(record.begin(), text.size());
    device.setSaveData(record);
    record.release();
}

} // namespace twtest
