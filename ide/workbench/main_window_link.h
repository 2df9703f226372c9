#pragma once

// What the device host and the workbench need from the main window. The main
// window implements it and hands it to the host with SetMainWindow; tests
// hand it a recording stand-in, so the host works before the window exists.
#include <QString>

QT_FORWARD_DECLARE_CLASS(QWidget)

class TMainWindowLink {
public:
    virtual ~TMainWindowLink() = default;

    // Whether a simulation runs (corvel's Get_rtRunning is non-zero).
    virtual bool SimulationRunning() const = 0;

    // The project's modified flag (the main window's `exchange`).
    virtual bool Modified() const = 0;
    virtual void SetModified(bool modified) = 0;

    // Shows a message to the user; the main window shows a message box.
    virtual void ShowMessage(const QString& text) = 0;

    // The application's window: the host handle every new device is given,
    // and the parent of the libraries' dialogs. Null before it exists.
    virtual QWidget* ParentWindow() const = 0;

    // Ends a run and waits until the simulation thread and the workbench
    // redraw thread have ended (corvel's blocking stop); returns at once when
    // nothing runs. The host calls it before it frees anything the engine
    // reads: devices, their pins and nodes.
    virtual void StopSimulationAndWait() = 0;
};
