#include "mcu-device/corvel_library.h"

#include <atomic>
#include <mutex>
#include <unordered_map>

namespace corvel {
namespace {

std::atomic<ChipDevice*> currentDevice{nullptr};
std::atomic<TInfoDevice*> currentInfo{nullptr};

struct OwnedEntry {
    OwnedKind kind;
    TDevice* device;
};

class OwnedObjects {
public:
    void remember(const TObject* object, OwnedEntry entry)
    {
        std::lock_guard lock(mutex_);
        objects_[object] = entry;
    }

    void forget(const TObject* object)
    {
        std::lock_guard lock(mutex_);
        objects_.erase(object);
    }

    TDevice* deviceOf(const TObject* object, OwnedKind kind) const
    {
        std::lock_guard lock(mutex_);
        const auto found = objects_.find(object);
        if (found == objects_.end() || found->second.kind != kind)
            return nullptr;
        return found->second.device;
    }

    bool holds(const TObject* object, OwnedKind kind) const
    {
        std::lock_guard lock(mutex_);
        const auto found = objects_.find(object);
        return found != objects_.end() && found->second.kind == kind;
    }

private:
    mutable std::mutex mutex_;
    std::unordered_map<const TObject*, OwnedEntry> objects_;
};

OwnedObjects& ownedObjects()
{
    static OwnedObjects objects;
    return objects;
}

} // namespace

Engine& TheEngine()
{
    static Engine engine;
    return engine;
}

ChipDevice* DeviceMC()
{
    return currentDevice.load();
}

void setDeviceMC(ChipDevice* device)
{
    currentDevice.store(device);
}

void forgetDeviceMC(const ChipDevice* device)
{
    ChipDevice* expected = const_cast<ChipDevice*>(device);
    currentDevice.compare_exchange_strong(expected, nullptr);
}

TInfoDevice* InfoDeviceMC()
{
    return currentInfo.load();
}

void setInfoDeviceMC(TInfoDevice* info)
{
    currentInfo.store(info);
}

void forgetInfoDeviceMC(const TInfoDevice* info)
{
    TInfoDevice* expected = const_cast<TInfoDevice*>(info);
    currentInfo.compare_exchange_strong(expected, nullptr);
}

void rememberOwned(const TObject* object, OwnedKind kind, TDevice* device)
{
    ownedObjects().remember(object, {kind, device});
}

void forgetOwned(const TObject* object)
{
    ownedObjects().forget(object);
}

TDevice* ownedDevice(const TObject* object, OwnedKind kind)
{
    return ownedObjects().deviceOf(object, kind);
}

bool isOwned(const TObject* object, OwnedKind kind)
{
    return ownedObjects().holds(object, kind);
}

} // namespace corvel
