// The open project's devices, their pictures and the nodes joining their pins.
#include <cstring>

#include "ide/workbench/device_host.h"
#include "ide/workbench/main_window_link.h"

namespace {

// Removes element index, keeping the order of the rest.
template <typename T>
void RemoveElement(TDynArray<T>& array, std::int32_t index)
{
    const std::int32_t length = array.length();
    if (index < 0 || index >= length)
        return;
    // A shared array is copied first, so other holders keep what they see.
    array.resize(length);
    std::memmove(static_cast<void*>(&array[index]), &array[index + 1], std::size_t(length - 1 - index) * sizeof(T));
    array.resize(length - 1);
}

template <typename T>
void Append(TDynArray<T>& array, T value)
{
    const std::int32_t length = array.length();
    array.resize(length + 1);
    array[length] = value;
}

} // namespace

TDevice* TDeviceHost::CreateDevice(std::int32_t infoIndex, TDeviceWorkbench* workbench, std::int32_t x,
                                   std::int32_t y)
{
    if (infoIndex < 0 || std::size_t(infoIndex) >= infoDevices_.size())
        return nullptr;
    const TDeviceLibraryInfo& info = *infoDevices_[std::size_t(infoIndex)];
    TDevice* device = nullptr;
    if (info.evLoaded || LoadDeviceLibrary(infoIndex))
        device = createLibraryDevice(info, mainWindow_ ? mainWindow_->ParentWindow() : nullptr);
    if (!device) {
        ShowMessage(QString::fromLatin1(DeviceLibraryErrorText));
        return nullptr;
    }

    auto picture = std::make_unique<TDevicePicture>();
    picture->Device = device;
    picture->Image = QImage(device->Width(), device->Height(), QImage::Format_ARGB32_Premultiplied);
    picture->Image.fill(Qt::transparent);
    picture->Position = QPoint(x, y);
    picture->Tag = devices_.length();
    device->setImage(&picture->Image);
    Append(devices_, device);
    pictures_.push_back(std::move(picture));
    if (workbench)
        workbench->ShowDevicePicture(*pictures_.back());

    device->DrawImage(false, 0.0L);
    return device;
}

bool TDeviceHost::CreateNodesForDevice(std::int32_t deviceIndex)
{
    if (deviceIndex < 0 || deviceIndex >= devices_.length())
        return false;
    // The pins the device holds, whatever count it was created with.
    for (TRCPort* pin : devices_[deviceIndex]->Port) {
        auto* node = new TNode;
        Append(node->Ports, pin);
        pin->Node = node;
        Append(nodes_, node);
    }
    return true;
}

TDevicePicture* TDeviceHost::Picture(std::int32_t deviceIndex) const
{
    if (deviceIndex < 0 || std::size_t(deviceIndex) >= pictures_.size())
        return nullptr;
    return pictures_[std::size_t(deviceIndex)].get();
}

void TDeviceHost::FreeDeviceAndPicture(std::int32_t index)
{
    TDevicePicture& picture = *pictures_[std::size_t(index)];
    if (ClickedImage == &picture)
        ClickedImage = nullptr;
    delete picture.View.data();
    TDevice* device = picture.Device;
    // The device must not reach the picture while its library frees it.
    device->setImage(nullptr);
    pictures_[std::size_t(index)].reset();
    // The library's destructor: the object came from its code.
    delete device;
}

bool TDeviceHost::RemoveDevice(std::int32_t deviceIndex)
{
    // The chip device stays: its pins name the nodes.
    if (deviceIndex <= 0 || deviceIndex >= devices_.length())
        return false;
    if (mainWindow_ && mainWindow_->SimulationRunning())
        return false;
    StopEngine();

    // A deleted device must not go on driving the nodes it was wired to.
    for (TRCPort* pin : devices_[deviceIndex]->Port) {
        if (!pin->Node)
            continue;
        TRCPorts& members = pin->Node->Ports;
        for (std::int32_t member = members.length() - 1; member >= 0; --member)
            if (members[member] == pin)
                RemoveElement(members, member);
        pin->Node = nullptr;
    }

    FreeDeviceAndPicture(deviceIndex);
    RemoveElement(devices_, deviceIndex);
    pictures_.erase(pictures_.begin() + deviceIndex);
    for (std::size_t index = 0; index < pictures_.size(); ++index)
        pictures_[index]->Tag = std::int32_t(index);
    return true;
}

void TDeviceHost::ClearDevicesAndNodes()
{
    if (devices_.empty() && nodes_.empty())
        return;
    StopEngine();
    for (std::int32_t index = devices_.length() - 1; index >= 0; --index)
        FreeDeviceAndPicture(index);
    devices_.release();
    pictures_.clear();
    // Nodes go last: a device's destructor may still look at its pins' nodes.
    for (std::int32_t index = nodes_.length() - 1; index >= 0; --index)
        delete nodes_[index];
    nodes_.release();
}
