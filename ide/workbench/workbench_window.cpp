#include "ide/workbench/workbench_window.h"

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QMdiArea>
#include <QMenu>
#include <QMouseEvent>
#include <QPixmap>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "ide/texts/texts.h"
#include "ide/workbench/device_image_view.h"
#include "ide/workbench/main_window_link.h"
#include "ide/workbench/pin_wiring_dialog.h"
#include "ide/workbench/workbench_pictures.h"

namespace {

constexpr int CaptionText = 4;
constexpr int PointerText = 100;
constexpr int DeleteText = 103;
constexpr int ConnectPinsText = 120;
constexpr int BringToFrontText = 121;
constexpr int SendToBackText = 122;
constexpr int SettingsText = 123;

const QRect DesignGeometry(20, 0, 740, 380);
const QSize PaletteButtonSize(39, 38);
const QSize PaletteIconSize(32, 32);

// The background the pictures lie on: presses that reach it are the
// window's own.
class TWorkbenchCanvas : public QWidget {
public:
    TWorkbenchCanvas(TfrmChildComp& workbench, QWidget* parent)
        : QWidget(parent)
        , workbench_(workbench)
    {
        setAutoFillBackground(true);
        QPalette colours = palette();
        colours.setColor(QPalette::Window, Qt::white);
        setPalette(colours);
    }

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        const QPoint at = event->position().toPoint();
        workbench_.FormMouseDown(event->button(), at.x(), at.y());
    }

private:
    TfrmChildComp& workbench_;
};

QIcon IconOf(const QImage& picture)
{
    return QIcon(QPixmap::fromImage(picture));
}

} // namespace

TfrmChildComp::TfrmChildComp(TDeviceHost& host, QWidget* parent)
    : QMdiSubWindow(parent)
    , host_(host)
{
    FormCreate();
    for (std::int32_t index = 0; index < host_.Devices().length(); ++index)
        if (TDevicePicture* picture = host_.Picture(index))
            ShowDevicePicture(*picture);
}

TfrmChildComp::~TfrmChildComp()
{
    redrawTimer_->stop();
    // The pictures' views go with the canvas; the host's pictures stay.
}

void TfrmChildComp::FormCreate()
{
    setObjectName(QStringLiteral("frmChildComp"));
    setAttribute(Qt::WA_DeleteOnClose, false);

    scrollArea_ = new QScrollArea(this);
    scrollArea_->setFrameShape(QFrame::NoFrame);
    scrollArea_->setWidgetResizable(false);
    scrollArea_->setBackgroundRole(QPalette::Base);
    QPalette white = scrollArea_->palette();
    white.setColor(QPalette::Base, Qt::white);
    white.setColor(QPalette::Window, Qt::white);
    scrollArea_->setPalette(white);
    canvas_ = new TWorkbenchCanvas(*this, scrollArea_);
    canvas_->setObjectName(QStringLiteral("canvas"));
    scrollArea_->setWidget(canvas_);
    scrollArea_->viewport()->installEventFilter(this);
    setWidget(scrollArea_);

    CreatePalette();
    CreatePopupMenu();

    redrawTimer_ = new QTimer(this);
    redrawTimer_->setInterval(RedrawIntervalMs);
    connect(redrawTimer_, &QTimer::timeout, this, &TfrmChildComp::RedrawTick);

    resize(DesignGeometry.size());
    SelectPointerTool();
    UpdateCanvasSize();
}

void TfrmChildComp::CreatePalette()
{
    // The strip lies over the viewport rather than on the canvas, so no
    // picture is ever stacked above it and it stays put while the pictures
    // scroll.
    auto* strip = new QFrame(scrollArea_->viewport());
    strip->setFrameShape(QFrame::StyledPanel);
    PageScroller1 = strip;
    PageScroller1->setObjectName(QStringLiteral("PageScroller1"));
    // The strip has the colour of a tool bar, not the white of the bench.
    QPalette stripColours = PageScroller1->palette();
    stripColours.setColor(QPalette::Window, QApplication::palette().color(QPalette::Window));
    PageScroller1->setPalette(stripColours);
    PageScroller1->setAutoFillBackground(true);
    PageScroller1->setFixedHeight(PaletteStripHeight);
    auto* stripLayout = new QHBoxLayout(PageScroller1);
    stripLayout->setContentsMargins(2, 0, 2, 0);

    tlb = new QToolBar(PageScroller1);
    tlb->setObjectName(QStringLiteral("tlb"));
    tlb->setIconSize(PaletteIconSize);
    tlb->setToolButtonStyle(Qt::ToolButtonIconOnly);
    tlb->setMovable(false);
    tlb->setFloatable(false);
    stripLayout->addWidget(tlb);

    btnPnlPointer = new QToolButton(tlb);
    btnPnlPointer->setObjectName(QStringLiteral("btnPnlPointer"));
    btnPnlPointer->setText(GetText(PointerText));
    btnPnlPointer->setToolTip(GetText(PointerText));
    btnPnlPointer->setIcon(IconOf(DrawPointerToolIcon()));
    btnPnlPointer->setIconSize(PaletteIconSize);
    btnPnlPointer->setFixedSize(PaletteButtonSize);
    btnPnlPointer->setCheckable(true);
    btnPnlPointer->setChecked(true);
    btnPnlPointer->setAutoRaise(true);
    connect(btnPnlPointer, &QToolButton::clicked, this, &TfrmChildComp::btnPnlPointerClick);
    tlb->addWidget(btnPnlPointer);
    tlb->addSeparator();

    // One tool per peripheral library; the microcontroller libraries follow
    // the peripheral ones, so the first of them ends the palette.
    const auto& libraries = host_.InfoDevices();
    for (std::size_t index = 0; index < libraries.size(); ++index) {
        const TDeviceLibraryInfo& library = *libraries[index];
        if (library.vType == 0)
            break;
        auto* button = new QToolButton(tlb);
        button->setObjectName(QStringLiteral("tlbDevice%1").arg(index));
        button->setText(library.vSType.toQString() + QLatin1Char(' ') + library.vSFamily.toQString());
        button->setToolTip(library.vSDisplayName.toQString());
        button->setIcon(IconOf(PaletteIcon(library.vIcon, library.vSType.toQString())));
        button->setIconSize(PaletteIconSize);
        button->setFixedSize(PaletteButtonSize);
        button->setCheckable(true);
        button->setAutoRaise(true);
        button->setProperty("infoIndex", int(index));
        connect(button, &QToolButton::clicked, this, [this, button] { ToolButtonClick(button); });
        tlb->addWidget(button);
        paletteButtons_.push_back(button);
    }
    PageScroller1->raise();
}

void TfrmChildComp::CreatePopupMenu()
{
    PopupMenu = new QMenu(this);
    PopupMenu->setObjectName(QStringLiteral("PopupMenu"));
    mnuPopupSetupPorts = PopupMenu->addAction(IconOf(DrawPopupPicture(ppConnectPins)), GetText(ConnectPinsText));
    QFont bold = mnuPopupSetupPorts->font();
    bold.setBold(true);
    mnuPopupSetupPorts->setFont(bold);
    PopupMenu->setDefaultAction(mnuPopupSetupPorts);
    mnuPopupSettings = PopupMenu->addAction(IconOf(DrawPopupPicture(ppSettings)), GetText(SettingsText));
    N1 = PopupMenu->addSeparator();
    mnuPopupBringToFront = PopupMenu->addAction(IconOf(DrawPopupPicture(ppBringToFront)), GetText(BringToFrontText));
    mnuPopupSendToBack = PopupMenu->addAction(IconOf(DrawPopupPicture(ppSendToBack)), GetText(SendToBackText));
    mnuPopupDelete = PopupMenu->addAction(IconOf(DrawPopupPicture(ppDelete)), GetText(DeleteText));

    connect(mnuPopupSetupPorts, &QAction::triggered, this, &TfrmChildComp::mnuPopupSetupPortsClick);
    connect(mnuPopupSettings, &QAction::triggered, this, &TfrmChildComp::mnuPopupSettingsClick);
    connect(mnuPopupBringToFront, &QAction::triggered, this, &TfrmChildComp::mnuPopupBringToFrontClick);
    connect(mnuPopupSendToBack, &QAction::triggered, this, &TfrmChildComp::mnuPopupSendToBackClick);
    connect(mnuPopupDelete, &QAction::triggered, this, &TfrmChildComp::mnuPopupDeleteClick);
}

// ---- Shared state

bool TfrmChildComp::Running() const
{
    const TMainWindowLink* link = host_.MainWindow();
    return link && link->SimulationRunning();
}

void TfrmChildComp::SetModified()
{
    if (TMainWindowLink* link = host_.MainWindow())
        link->SetModified(true);
}

TDevice* TfrmChildComp::DeviceOf(const TDevicePicture& picture) const
{
    const TDevices& devices = host_.Devices();
    if (picture.Tag < 0 || picture.Tag >= devices.length())
        return nullptr;
    return devices[picture.Tag];
}

TDeviceImageView* TfrmChildComp::ViewOf(const TDevicePicture& picture) const
{
    return qobject_cast<TDeviceImageView*>(picture.View.data());
}

// ---- Pictures

void TfrmChildComp::ShowDevicePicture(TDevicePicture& picture)
{
    delete picture.View.data();
    auto* view = new TDeviceImageView(*this, picture, canvas_);
    view->setGeometry(QRect(picture.Position, picture.Image.size()));
    view->setEnabled(!placementMode_);
    view->setAttribute(Qt::WA_TransparentForMouseEvents, placementMode_);
    view->show();
    picture.View = view;
    UpdateCanvasSize();
}

void TfrmChildComp::SetPicturesEnabled(bool enabled)
{
    for (std::int32_t index = 0; index < host_.Devices().length(); ++index) {
        const TDevicePicture* picture = host_.Picture(index);
        if (TDeviceImageView* view = picture ? ViewOf(*picture) : nullptr) {
            view->setEnabled(enabled);
            // Presses go through a placing window's pictures to the window.
            view->setAttribute(Qt::WA_TransparentForMouseEvents, !enabled);
        }
    }
}

void TfrmChildComp::UpdateCanvasSize()
{
    QSize size = scrollArea_->viewport()->size();
    for (std::int32_t index = 0; index < host_.Devices().length(); ++index)
        if (const TDevicePicture* picture = host_.Picture(index)) {
            const QRect area(picture->Position, picture->Image.size());
            size = size.expandedTo(QSize(area.right() + 1, area.bottom() + 1));
        }
    canvas_->resize(size);
    PageScroller1->setGeometry(0, 0, scrollArea_->viewport()->width(), PaletteStripHeight);
}

bool TfrmChildComp::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == scrollArea_->viewport() && event->type() == QEvent::Resize)
        UpdateCanvasSize();
    return QMdiSubWindow::eventFilter(watched, event);
}

void TfrmChildComp::closeEvent(QCloseEvent* event)
{
    event->ignore();
    showMinimized();
}

// ---- Tool modes

void TfrmChildComp::ToolButtonClick(QToolButton* button)
{
    if (button->isChecked()) {
        // The palette's buttons form one group with the pointer.
        btnPnlPointer->setChecked(false);
        for (QToolButton* other : paletteButtons_)
            if (other != button)
                other->setChecked(false);
        SelectPlacementTool();
    } else {
        SelectPointerTool();
    }
}

void TfrmChildComp::btnPnlPointerClick()
{
    SelectPointerTool();
}

void TfrmChildComp::SelectPointerTool()
{
    btnPnlPointer->setChecked(true);
    for (QToolButton* button : paletteButtons_)
        button->setChecked(false);
    placementMode_ = false;
    SetPicturesEnabled(true);
    canvas_->setCursor(Qt::ArrowCursor);
}

void TfrmChildComp::SelectPlacementTool()
{
    placementMode_ = true;
    SetPicturesEnabled(false);
    canvas_->setCursor(Qt::CrossCursor);
}

void TfrmChildComp::FormMouseDown(Qt::MouseButton button, std::int32_t x, std::int32_t y)
{
    if (button == Qt::LeftButton)
        PlaceDeviceAt(x, y);
    SelectPointerTool();
}

void TfrmChildComp::PlaceDeviceAt(std::int32_t x, std::int32_t y)
{
    if (!placementMode_)
        return;
    const auto pressed = std::find_if(paletteButtons_.begin(), paletteButtons_.end(),
                                      [](const QToolButton* button) { return button->isChecked(); });
    if (pressed == paletteButtons_.end())
        return;
    const int infoIndex = (*pressed)->property("infoIndex").toInt();
    if (host_.CreateDevice(infoIndex, this, x, y))
        SetModified();
}

// ---- The pictures' mouse actions

void TfrmChildComp::DeviceImageMouseDown(TDevicePicture& picture, TMouseButton button, TShiftState shift,
                                         std::int32_t x, std::int32_t y)
{
    host_.ClickedImage = &picture;
    TDevice* device = DeviceOf(picture);
    if (!device)
        return;
    if (Running()) {
        if (device->AssignedBackMD()) {
            device->MouseDown(button, shift, x, y);
            if (TDeviceImageView* view = ViewOf(picture))
                view->update();
        }
        return;
    }
    if (button == mbLeft) {
        device->x_img_XX = x;
        device->x_img_YY = y;
    } else if (button == mbRight) {
        SetModified();
    }
}

void TfrmChildComp::DeviceImageMouseMove(TDevicePicture& picture, TShiftState shift, std::int32_t x, std::int32_t y)
{
    TDevice* device = DeviceOf(picture);
    if (!device)
        return;
    if (Running()) {
        if (device->AssignedBackMM()) {
            device->MouseMove(shift, x, y);
            if (TDeviceImageView* view = ViewOf(picture))
                view->update();
        }
        return;
    }
    if (!(shift & ssLeft))
        return;
    // The grab point stays under the pointer; the picture keeps off the
    // palette strip and the left edge, and may go as far right and down as
    // the user likes: the window scrolls there.
    const QPoint moved(std::max(0, picture.Position.x() + x - device->x_img_XX),
                       std::max(WorkbenchTopLimit, picture.Position.y() + y - device->x_img_YY));
    picture.Position = moved;
    if (TDeviceImageView* view = ViewOf(picture))
        view->move(moved);
    UpdateCanvasSize();
    SetModified();
}

void TfrmChildComp::DeviceImageMouseUp(TDevicePicture& picture, TMouseButton button, TShiftState shift,
                                       std::int32_t x, std::int32_t y)
{
    TDevice* device = DeviceOf(picture);
    if (device && Running() && device->AssignedBackMU()) {
        device->MouseUp(button, shift, x, y);
        if (TDeviceImageView* view = ViewOf(picture))
            view->update();
    }
}

void TfrmChildComp::DeviceImageClick(TDevicePicture& picture)
{
    TDevice* device = DeviceOf(picture);
    if (device && Running() && device->AssignedBackClick()) {
        device->Click();
        if (TDeviceImageView* view = ViewOf(picture))
            view->update();
    }
}

void TfrmChildComp::DeviceImageDblClick(TDevicePicture& picture)
{
    TDevice* device = DeviceOf(picture);
    if (!device)
        return;
    if (Running()) {
        if (device->AssignedBackDblClick()) {
            device->DblClick();
            if (TDeviceImageView* view = ViewOf(picture))
                view->update();
        }
        return;
    }
    SetModified();
    host_.ClickedImage = &picture;
    mnuPopupSetupPortsClick();
}

// ---- The device popup menu

void TfrmChildComp::Image1ContextPopup(TDevicePicture& picture, QPoint globalPosition)
{
    host_.ClickedImage = &picture;
    const TDevice* device = DeviceOf(picture);
    const bool running = Running();
    const bool peripheral = picture.Tag != 0;
    mnuPopupSetupPorts->setEnabled(peripheral && !running);
    mnuPopupDelete->setEnabled(peripheral && !running);
    mnuPopupSettings->setEnabled(device && device->AssignedShowSettings() && !running);
    mnuPopupBringToFront->setEnabled(true);
    mnuPopupSendToBack->setEnabled(true);
    if (!globalPosition.isNull())
        PopupMenu->popup(globalPosition, mnuPopupSetupPorts);
}

void TfrmChildComp::mnuPopupSetupPortsClick()
{
    const TDevicePicture* picture = host_.ClickedImage;
    if (Running() || !picture || picture->Tag == 0)
        return;
    host_.SelectedDeviceIndex = picture->Tag;
    RunModalDialog(NodesDialog());
}

void TfrmChildComp::mnuPopupSettingsClick()
{
    TDevicePicture* picture = host_.ClickedImage;
    if (Running() || !picture)
        return;
    TDevice* device = DeviceOf(*picture);
    // A library without a settings callback leaves it unset.
    if (!device || !device->AssignedShowSettings())
        return;
    device->ShowSettings();
    if (TDeviceImageView* view = ViewOf(*picture))
        view->update();
}

void TfrmChildComp::mnuPopupBringToFrontClick()
{
    if (const TDevicePicture* picture = host_.ClickedImage)
        if (TDeviceImageView* view = ViewOf(*picture))
            view->raise();
}

void TfrmChildComp::mnuPopupSendToBackClick()
{
    if (const TDevicePicture* picture = host_.ClickedImage)
        if (TDeviceImageView* view = ViewOf(*picture))
            view->lower();
}

void TfrmChildComp::mnuPopupDeleteClick()
{
    const TDevicePicture* picture = host_.ClickedImage;
    if (!picture || picture->Tag == 0 || Running())
        return;
    // The host unwires the device, frees it and its picture, forgets the
    // clicked picture and retags the rest.
    if (host_.RemoveDevice(picture->Tag)) {
        SetModified();
        UpdateCanvasSize();
    }
}

TformNodes& TfrmChildComp::NodesDialog()
{
    if (formNodes)
        return *formNodes;
    if (!ownNodesDialog_)
        ownNodesDialog_ = new TformNodes(host_, this);
    return *ownNodesDialog_;
}

// ---- The redraw

void TfrmChildComp::RunRefresh()
{
    redrawTimer_->start();
}

bool TfrmChildComp::RedrawActive() const
{
    return redrawTimer_->isActive();
}

void TfrmChildComp::RedrawTick()
{
    DrawAllDevices();
    if (!Running())
        redrawTimer_->stop();
}

void TfrmChildComp::DrawAllDevices()
{
    for (std::int32_t index = 0; index < host_.Devices().length(); ++index) {
        TDevicePicture* picture = host_.Picture(index);
        if (!picture)
            continue;
        host_.Devices()[index]->DrawImage(true, 0.0L);
        if (TDeviceImageView* view = ViewOf(*picture))
            view->update();
    }
}

TfrmChildComp* CreateWorkbenchWindow(QMdiArea* area, TDeviceHost& host)
{
    auto* window = new TfrmChildComp(host);
    window->setWindowTitle(GetText(CaptionText));
    if (area)
        area->addSubWindow(window);
    window->setGeometry(DesignGeometry);
    window->show();
    return window;
}
