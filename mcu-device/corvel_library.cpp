#include "mcu-device/corvel_library.h"

#include <atomic>
#include <mutex>
#include <unordered_map>

namespace corvel {
namespace {

// The object of its kind handed out last, until it is freed.
template <typename T>
class Latest {
public:
    T* get() const { return object_.load(); }
    void set(T* object) { object_.store(object); }
    // Only the object held is forgotten; freeing an older one changes nothing.
    void forget(const T* object)
    {
        T* expected = const_cast<T*>(object);
        object_.compare_exchange_strong(expected, nullptr);
    }

private:
    std::atomic<T*> object_{nullptr};
};

Latest<ChipDevice> latestDevice;
Latest<TInfoDevice> latestInfo;

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

ChipDevice* DeviceMC()
{
    return latestDevice.get();
}

void setDeviceMC(ChipDevice* device)
{
    latestDevice.set(device);
}

void forgetDeviceMC(const ChipDevice* device)
{
    latestDevice.forget(device);
}

TInfoDevice* InfoDeviceMC()
{
    return latestInfo.get();
}

void setInfoDeviceMC(TInfoDevice* info)
{
    latestInfo.set(info);
}

void forgetInfoDeviceMC(const TInfoDevice* info)
{
    latestInfo.forget(info);
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
