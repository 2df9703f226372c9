// corvel's library-wide state: the chip device and description it handed out
// last (the one engine every export works on is the exports' own,
// engine/exports_engine.h), and the record of every contract
// object corvel created, which is what a callback's first argument is checked
// against before corvel touches it.
#pragma once

#include <cstdint>

#include "devices/contract.h"
#include "engine/exports_engine.h"

namespace corvel {

class ChipDevice;

// The chip device Get_Device_class created last; null before the first one
// and once that device has been freed. The engine reaches it through the
// device's ChipLink, which the device installs itself.
ChipDevice* DeviceMC();
void setDeviceMC(ChipDevice* device);
// Called by a chip device that is being freed: DeviceMC forgets it when it
// was the current one, and only then.
void forgetDeviceMC(const ChipDevice* device);

// The description Get_info_class created last, null once the host freed it.
// corvel does not use it after handing it out.
TInfoDevice* InfoDeviceMC();
void setInfoDeviceMC(TInfoDevice* info);
void forgetInfoDeviceMC(const TInfoDevice* info);

// ---------------------------------------------------------------------------
// Objects corvel created. The host hands corvel's callbacks whatever it
// holds; a callback serves an object only while it is recorded here, so a
// foreign object or one already freed is refused instead of being used.
// Safe from any thread: pin levels are checked on the simulation thread while
// the main thread creates and frees devices.

enum class OwnedKind : std::uint8_t {
    ChipDevice,
    ChipPin,
    Description,
};

// Records `object`; `device` is the chip device it belongs to (the device
// itself for a device, null for a description).
void rememberOwned(const TObject* object, OwnedKind kind, TDevice* device);
void forgetOwned(const TObject* object);

// The device that `object` belongs to when corvel created it as a `kind` and
// it is still alive, else null. Allocates nothing.
TDevice* ownedDevice(const TObject* object, OwnedKind kind);
bool isOwned(const TObject* object, OwnedKind kind);

} // namespace corvel
