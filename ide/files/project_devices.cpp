#include "ide/files/project_devices.h"

#include "ide/workbench/device_host.h"

namespace {

QByteArray Bytes(const TShortString& text)
{
    return QByteArray(text.chars, text.length);
}

bool Equal(const TShortString& text, const QByteArray& bytes)
{
    return Bytes(text) == bytes;
}

} // namespace

TProjectDescription DescribeProject(const QString& source, const TDeviceHost& host)
{
    TProjectDescription project;
    project.source = source;
    const TDevices& devices = host.Devices();
    for (std::int32_t index = 0; index < devices.length(); ++index) {
        const TDevice& device = *devices[index];
        TProjectDevice record;
        record.kind = device.DevType();
        record.type = Bytes(device.RCType());
        record.family = Bytes(device.RCFamily());
        record.model = Bytes(device.RCModel());
        if (const TDevicePicture* picture = host.Picture(index)) {
            record.x = picture->Position.x();
            record.y = picture->Position.y();
        }
        const TArrayChar saveData = device.SaveData();
        record.saveData = QByteArray(saveData.begin(), saveData.length());
        if (index > 0) {
            for (std::int32_t port = 0; port < device.Port.length(); ++port) {
                const TNode* node = device.Port[port]->Node;
                if (node && node->Ports.length() > 0)
                    record.ports.emplace_back(Bytes(node->Ports[0]->PortName()));
                else
                    record.ports.emplace_back();
            }
        }
        project.devices.push_back(std::move(record));
    }
    return project;
}

TChipLibrary FindChipLibrary(const TDeviceHost& host, const TProjectDevice& record)
{
    TChipLibrary found;
    const auto& infos = host.InfoDevices();
    for (std::size_t info = 0; info < infos.size(); ++info) {
        // A peripheral's library cannot stand in for the simulator.
        if (infos[info]->vType != 0 || !Equal(infos[info]->vSFamily, record.family))
            continue;
        const TAshortstrings& models = infos[info]->vSModel;
        for (std::int32_t model = 0; model < models.length(); ++model) {
            if (Equal(models[model], record.model))
                found = {std::int32_t(info), model};
        }
    }
    return found;
}

std::int32_t FindPeripheralLibrary(const TDeviceHost& host, const TProjectDevice& record)
{
    std::int32_t found = -1;
    const auto& infos = host.InfoDevices();
    for (std::size_t info = 0; info < infos.size(); ++info) {
        const TDeviceLibraryInfo& library = *infos[info];
        if (library.vType != record.kind || !Equal(library.vSType, record.type)
            || !Equal(library.vSFamily, record.family))
            continue;
        for (const TShortString& model : library.vSModel) {
            if (Equal(model, record.model))
                found = std::int32_t(info);
        }
    }
    return found;
}

void ApplyRecordSettings(TDevice& device, const QByteArray& saveData)
{
    TArrayChar data = TArrayChar::make(std::int32_t(saveData.size()));
    std::copy(saveData.begin(), saveData.end(), data.begin());
    device.setSaveData(data);
    data.release();
    device.ApplySettings();
}

void WireDevicePorts(TDevice& device, const std::vector<std::optional<QByteArray>>& ports, const TNodes& nodes)
{
    const std::int32_t count = std::min<std::int32_t>(device.Port.length(), std::int32_t(ports.size()));
    for (std::int32_t port = 0; port < count; ++port) {
        TRCPort* pin = device.Port[port];
        if (!ports[std::size_t(port)] || ports[std::size_t(port)]->isEmpty())
            continue;
        TNode* match = nullptr;
        for (TNode* node : nodes) {
            if (node->Ports.length() > 0 && Equal(node->Ports[0]->PortName(), *ports[std::size_t(port)]))
                match = node;
        }
        if (!match)
            continue;
        const std::int32_t length = match->Ports.length();
        match->Ports.resize(length + 1);
        match->Ports[length] = pin;
        pin->Node = match;
    }
}
