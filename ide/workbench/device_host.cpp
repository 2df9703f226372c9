// The host's life and its links to the main window.
#include "ide/workbench/device_host.h"

#include <QDebug>

#include "ide/workbench/main_window_link.h"
#include "ide/workbench/shared_library.h"

TDeviceHost::TDeviceHost() = default;

TDeviceHost::~TDeviceHost()
{
    ClearDevicesAndNodes();
    // Only after every device is gone: their destructors are library code.
    for (const auto& entry : infoDevices_)
        if (entry->evLoaded)
            UnloadSharedLibrary(entry->evLibHandle);
}

void TDeviceHost::ShowMessage(const QString& text) const
{
    if (mainWindow_)
        mainWindow_->ShowMessage(text);
    else
        qWarning().noquote() << text;
}

void TDeviceHost::StopEngine() const
{
    if (mainWindow_)
        mainWindow_->StopSimulationAndWait();
}

TDeviceHost& DeviceHost()
{
    // Never destroyed: at program end the libraries' own static objects may
    // already be gone, so their devices are not freed from an exit handler.
    static TDeviceHost* const host = new TDeviceHost;
    return *host;
}
