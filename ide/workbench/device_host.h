#pragma once

// The device-library host: the libraries found beside the program at
// start-up, the devices of the open project with their pictures, and the
// nodes that join their pins.
//
// Lifetime of what it holds:
// - InfoDevices: filled by SearchDeviceFiles once at start-up, then only read.
//   A library is opened for the probe and closed again; it is opened for good
//   by the first device of its kind and stays open.
// - Devices (with one picture each) and Nodes: the open project's; changed on
//   the main thread only, and freed only after the main window's blocking
//   stop, so the engine never reads a freed pin or node.
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include <QImage>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QWidget>

#include "devices/contract.h"

class TMainWindowLink;

// One accepted library as the host keeps it: the library's description
// copied into the host's own object (the icon too), and where the file is.
class TDeviceLibraryInfo : public TInfoDevice {
public:
    // The full absolute path the library is loaded from. evFileName holds the
    // same path cut to 255 bytes, for display only.
    QString FilePath;
};

// The picture of one placed device.
struct TDevicePicture {
    TDevice* Device = nullptr;
    // The device's TImage: Width x Height, premultiplied ARGB, transparent
    // until the library paints it. The host owns it; the device refers to it.
    QImage Image;
    // Top-left corner in the workbench's client coordinates.
    QPoint Position;
    // The index of Device in Devices, kept true as devices come and go.
    std::int32_t Tag = 0;
    // The workbench's widget that shows Image; freed with the picture.
    QPointer<QWidget> View;
};

// The workbench window as CreateDevice sees it: it is shown every new picture
// (and typically sets its View). Null in tests and before the window exists.
class TDeviceWorkbench {
public:
    virtual ~TDeviceWorkbench() = default;
    virtual void ShowDevicePicture(TDevicePicture& picture) = 0;
};

// Why the last probe or load failed, as the start-up log shows it.
enum TDeviceFileError : std::int32_t {
    dfeNone = 0,
    dfeFileMissing = 1,       // the file does not exist
    dfeNotLoadable = 2,       // not a shared object for this machine, or the loader refuses it
    dfeInterfaceRefused = 3,  // What_is refused or answered another version; or no usable description
    dfeMissingEntryPoint = 4, // What_is, Get_info_class or Get_Device_class is not exported
};

// Receives the search's log lines one by one; the start-up log window adds
// each to its log and lets itself repaint.
using TStartupLog = std::function<void(const QString& line)>;

// The message shown when a library cannot give a device (a fixed text).
inline constexpr char DeviceLibraryErrorText[] = "Error loading  dll or quodev file";

class TDeviceHost {
public:
    TDeviceHost();
    // Frees what is left (devices, nodes, descriptions) and closes the
    // libraries it opened. The program's own host is never destroyed.
    ~TDeviceHost();
    TDeviceHost(const TDeviceHost&) = delete;
    TDeviceHost& operator=(const TDeviceHost&) = delete;

    // The main window, or null to detach it (before it is destroyed).
    void SetMainWindow(TMainWindowLink* link) { mainWindow_ = link; }
    TMainWindowLink* MainWindow() const { return mainWindow_; }

    // ---- Device libraries

    // Writes text 2002, lists every "*.quodev" and then every "*.so" file of
    // folder and all its subfolders, writes text 2003, then probes each file
    // in that order with the lines "[Loading]" + path and "[Ok]" + path or
    // "[ER" + code + "]" + path. Accepted libraries go into InfoDevices,
    // unless an earlier one has the same first model, family, type text and
    // kind. Always 0.
    std::int32_t SearchDeviceFiles(const TStartupLog& log, const QString& folder);

    // Probes one file: opened only when it is a shared object exporting the
    // three entry points, then asked What_is and Get_info_class and closed
    // again. Accepted: the description is appended to InfoDevices. Refused:
    // DeviceFileError tells why.
    bool ProbeDeviceFile(const QString& path);

    // Removes the last entry of InfoDevices when an earlier one has the same
    // first model text, family, type text and kind (texts byte for byte).
    bool DropInvalidDeviceInfo();

    // Opens entry infoIndex's library for good and binds its entry points.
    bool LoadDeviceLibrary(std::int32_t infoIndex);

    const std::vector<std::unique_ptr<TDeviceLibraryInfo>>& InfoDevices() const { return infoDevices_; }
    // The code of the last failed probe or load; a success does not reset it.
    std::int32_t DeviceFileError() const { return deviceFileError_; }

    // ---- Placed devices and nodes

    // A new device of library infoIndex with its picture at (x, y), appended
    // to Devices and drawn once at rest. When the library cannot be loaded or
    // gives no device, the message DeviceLibraryErrorText is shown, nothing is
    // added and the result is null; so is an index outside InfoDevices.
    TDevice* CreateDevice(std::int32_t infoIndex, TDeviceWorkbench* workbench, std::int32_t x, std::int32_t y);

    // One node per pin of device deviceIndex, each holding that pin alone.
    // False for an index outside Devices.
    bool CreateNodesForDevice(std::int32_t deviceIndex);

    // Removes peripheral device deviceIndex (never the chip, element 0): its
    // pins leave their nodes, then its picture and the device are freed and
    // the later pictures retagged. Refused (false) while a simulation runs.
    bool RemoveDevice(std::int32_t deviceIndex);

    // Stops the engine and waits, then frees every picture and device from
    // the last to the first, then every node. Nothing happens on empty lists.
    void ClearDevicesAndNodes();

    const TDevices& Devices() const { return devices_; }
    const TNodes& Nodes() const { return nodes_; }
    // The picture of Devices[deviceIndex]; null outside the list.
    TDevicePicture* Picture(std::int32_t deviceIndex) const;

    // Index in InfoDevices of the open project's microcontroller library, -1
    // while a loaded project's model is not available.
    std::int32_t MCUInfoIndex = 0;
    // Index of the chosen model in that entry's vSModel.
    std::int32_t MCUModelIndex = 0;
    // The device whose pins the wiring dialog edits.
    std::int32_t SelectedDeviceIndex = 0;
    // The picture that last received a mouse press; null when none, and
    // cleared when that picture is freed.
    TDevicePicture* ClickedImage = nullptr;

private:
    void ShowMessage(const QString& text) const;
    void StopEngine() const;
    // Frees device index's picture and the device itself; the lists are the caller's.
    void FreeDeviceAndPicture(std::int32_t index);

    TMainWindowLink* mainWindow_ = nullptr;
    std::vector<std::unique_ptr<TDeviceLibraryInfo>> infoDevices_;
    std::int32_t deviceFileError_ = dfeNone;
    TDevices devices_;
    std::vector<std::unique_ptr<TDevicePicture>> pictures_;
    TNodes nodes_;
};

// The program's host; created on first use and kept until the program ends.
TDeviceHost& DeviceHost();
