// corvel's face as a device library: the three entry points every device
// library exports, and the chip device's apply callback, also exported by name.
#pragma once

#include <cstdint>

#include "devices/contract.h"
#include "devices/export.h"

// The interface version "1.0" into *dest, cut to maxLen characters; 0.
TW_EXPORT std::int32_t What_is(TShortString* dest, std::int32_t maxLen);

// A new description of corvel's class: 16 models in model-index order, the
// display name in corvel's current language, no icon.
TW_EXPORT TInfoDevice* Get_info_class();

// A new chip device of the selected model, its default record applied.
TW_EXPORT TDevice* Get_Device_class(TWindowHandle hostHandle);

// Applies the chip device's record to the engine (the device's
// TBackApplySaveData); ignores anything that is not a live chip device.
TW_EXPORT void BackApplySaveData(TObject* sender);
