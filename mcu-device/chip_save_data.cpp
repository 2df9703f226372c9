#include "mcu-device/chip_save_data.h"

#include <algorithm>

#include "engine/catalogue.h"

namespace corvel::save_data {

Record defaultRecord(const Config& config)
{
    Record record;
    for (int bit = 0; bit < kConfigBits; ++bit)
        record[size_t(bit)] = config[size_t(bit)] == 1 ? '1' : '0';
    record[kUserFrequencyFlag] = '0';
    constexpr char kDefaultDigits[] = "004000000";
    std::copy_n(kDefaultDigits, kFrequencyDigits, record.begin() + kFrequency);
    record[kUnknownBit] = '0';
    return record;
}

void normaliseRecord(TDevice& device, const Config& config)
{
    const std::int32_t length = device.LenSaveData();
    if (length == kLength)
        return;
    device.setLenSaveData(kLength);
    if (length >= kLength)
        return;
    const Record defaults = defaultRecord(config);
    const TArrayChar record = device.SaveData();
    std::copy(defaults.begin() + length, defaults.end(), record.begin() + length);
}

std::optional<std::int32_t> storedFrequency(const TArrayChar& record)
{
    std::int32_t value = 0;
    for (int i = kFrequency; i < kFrequency + kFrequencyDigits; ++i) {
        const char digit = record[i];
        if (digit < '0' || digit > '9')
            return std::nullopt;
        value = value * 10 + (digit - '0');
    }
    if (value < kLowestFrequency)
        return std::nullopt;
    return value;
}

int ioscfsBit(int model)
{
    const ModelEntry* row = listedModel(model);
    return row ? ioscfsConfigBit(*row) : -1;
}

std::int32_t internalFrequency(int model, bool ioscfsSet)
{
    return ioscfsSet && ioscfsBit(model) >= 0 ? kFastInternalFrequency : kStandardFrequency;
}

} // namespace corvel::save_data
