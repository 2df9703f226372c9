#pragma once

// The workbench: the project's "Devices editor" window, on which the chip and
// the peripheral devices are shown as pictures. A palette strip offers one
// placement tool per peripheral library; the user places, drags, stacks,
// deletes, configures and wires devices. While a simulation runs, mouse
// actions on a picture go to its device, editing is locked, and a redraw
// repaints every device each 10 ms.
#include <cstdint>
#include <vector>

#include <QMdiSubWindow>
#include <QPoint>

#include "devices/contract.h"
#include "ide/workbench/device_host.h"

QT_FORWARD_DECLARE_CLASS(QAction)
QT_FORWARD_DECLARE_CLASS(QMdiArea)
QT_FORWARD_DECLARE_CLASS(QMenu)
QT_FORWARD_DECLARE_CLASS(QScrollArea)
QT_FORWARD_DECLARE_CLASS(QTimer)
QT_FORWARD_DECLARE_CLASS(QToolBar)
QT_FORWARD_DECLARE_CLASS(QToolButton)

class TDeviceImageView;
class TformNodes;

// How far up a picture may be dragged: the palette strip stays clear.
inline constexpr int WorkbenchTopLimit = 48;
// The palette strip's height.
inline constexpr int PaletteStripHeight = 49;
// The redraw's period while a run lasts.
inline constexpr int RedrawIntervalMs = 10;

class TfrmChildComp : public QMdiSubWindow, public TDeviceWorkbench {
    Q_OBJECT

public:
    // Shows every picture host already holds (the chip, typically) and every
    // one it makes later for this window.
    explicit TfrmChildComp(TDeviceHost& host, QWidget* parent = nullptr);
    ~TfrmChildComp() override;

    // ---- The window's parts

    QWidget* PageScroller1;           // the palette strip along the top
    QToolBar* tlb;                    // the palette
    QToolButton* btnPnlPointer;       // the pointer tool
    QMenu* PopupMenu;                 // the device popup menu
    QAction* mnuPopupSetupPorts;      // "Connect pins...", the default item
    QAction* mnuPopupSettings;        // "Settings..."
    QAction* N1;                      // separator
    QAction* mnuPopupBringToFront;    // "Bring to Front"
    QAction* mnuPopupSendToBack;      // "Send to Back"
    QAction* mnuPopupDelete;          // "Delete"

    // The palette's placement buttons in palette order; a button's
    // "infoIndex" property is its entry in InfoDevices.
    const std::vector<QToolButton*>& PaletteButtons() const { return paletteButtons_; }
    // The area the pictures lie on (client coordinates are its coordinates).
    QWidget* Canvas() const { return canvas_; }
    QScrollArea* ScrollArea() const { return scrollArea_; }
    TDeviceHost& Host() const { return host_; }

    // ---- Tool modes

    void ToolButtonClick(QToolButton* button);
    void btnPnlPointerClick();
    // A press on the background (or anywhere while placing): the left button
    // places a device at the press point; any button returns to the pointer.
    void FormMouseDown(Qt::MouseButton button, std::int32_t x, std::int32_t y);
    // Places a device of the pressed palette entry with its top-left corner
    // at (x, y); does nothing with the pointer tool.
    void PlaceDeviceAt(std::int32_t x, std::int32_t y);
    void SelectPointerTool();
    void SelectPlacementTool();
    bool PlacementMode() const { return placementMode_; }

    // ---- The pictures' mouse actions (x, y in the picture's own coordinates)

    void DeviceImageMouseDown(TDevicePicture& picture, TMouseButton button, TShiftState shift, std::int32_t x,
                              std::int32_t y);
    void DeviceImageMouseMove(TDevicePicture& picture, TShiftState shift, std::int32_t x, std::int32_t y);
    void DeviceImageMouseUp(TDevicePicture& picture, TMouseButton button, TShiftState shift, std::int32_t x,
                            std::int32_t y);
    void DeviceImageClick(TDevicePicture& picture);
    void DeviceImageDblClick(TDevicePicture& picture);

    // ---- The device popup menu

    // Enables the items for the picture under the pointer and opens the menu
    // at globalPosition (a null position prepares the menu without opening it).
    void Image1ContextPopup(TDevicePicture& picture, QPoint globalPosition = QPoint());
    void mnuPopupSetupPortsClick();
    void mnuPopupSettingsClick();
    void mnuPopupBringToFrontClick();
    void mnuPopupSendToBackClick();
    void mnuPopupDeleteClick();

    // ---- The redraw while a run lasts

    // Starts the redraw after the engine has started; its first tick always
    // draws, and it stops after the first tick that finds the run ended.
    void RunRefresh();
    bool RedrawActive() const;
    // One tick of the redraw: every device drawn running, then the stop test.
    void RedrawTick();
    // Every device repaints itself as running, in Devices order.
    void DrawAllDevices();

    // The view of a picture; null when it has none.
    TDeviceImageView* ViewOf(const TDevicePicture& picture) const;

    // TDeviceWorkbench: a new picture gets its view here.
    void ShowDevicePicture(TDevicePicture& picture) override;

    // The wiring dialog used by "Connect pins...": the program's own when it
    // exists, else one of this window's.
    TformNodes& NodesDialog();

protected:
    // A close only minimises the window: it lives as long as its project.
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void CreatePalette();
    void CreatePopupMenu();
    bool Running() const;
    void SetModified();
    TDevice* DeviceOf(const TDevicePicture& picture) const;
    void SetPicturesEnabled(bool enabled);
    // The canvas covers the viewport and every picture, so the window
    // scrolls to any of them.
    void UpdateCanvasSize();

    TDeviceHost& host_;
    QScrollArea* scrollArea_ = nullptr;
    QWidget* canvas_ = nullptr;
    std::vector<QToolButton*> paletteButtons_;
    QTimer* redrawTimer_ = nullptr;
    TformNodes* ownNodesDialog_ = nullptr;
    bool placementMode_ = false;
};

// Makes the workbench for host's devices as a sub-window of area, at its
// design place and size with its caption, and shows it.
TfrmChildComp* CreateWorkbenchWindow(QMdiArea* area, TDeviceHost& host);
