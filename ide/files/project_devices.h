#pragma once

// Between the device host and the project file's description: the placed
// devices and their wiring described for saving, and the pieces a loader
// needs to place them again (the library of a record, its settings, its
// wiring). Main thread only, while no simulation runs.
#include <cstdint>
#include <optional>
#include <vector>

#include <QByteArray>
#include <QString>

#include "devices/contract.h"
#include "ide/files/project_file.h"

class TDeviceHost;

// The project as the file stores it: `source` (lines joined with CR LF) and
// every device of the host in list order with its texts, the position of its
// picture, its save data and, for each pin of a peripheral (its Port list),
// the name of the first port of the pin's node. A loader's port count for a
// record must be the same: the number of pins of the device its library
// creates.
TProjectDescription DescribeProject(const QString& source, const TDeviceHost& host);

struct TChipLibrary {
    std::int32_t infoIndex = -1; // in InfoDevices
    std::int32_t modelIndex = -1; // in that entry's vSModel
};

// The microcontroller library (kind 0) offering the record's model in the
// record's family (texts compared byte for byte; the last match wins). The
// record's kind and type play no part. infoIndex -1 when none does.
TChipLibrary FindChipLibrary(const TDeviceHost& host, const TProjectDevice& record);

// The library offering the record's model with its family, kind and type
// (byte for byte; the last match wins), or -1.
std::int32_t FindPeripheralLibrary(const TDeviceHost& host, const TProjectDevice& record);

// The record's save data becomes the device's, and the device's library
// applies it.
void ApplyRecordSettings(TDevice& device, const QByteArray& saveData);

// Port k of `device` joins the node whose first port is named ports[k] (the
// last such node in `nodes` wins) and is appended to that node's pins; a port
// without a name, or naming no node, stays unconnected. Entries beyond the
// device's pins are ignored.
void WireDevicePorts(TDevice& device, const std::vector<std::optional<QByteArray>>& ports, const TNodes& nodes);
