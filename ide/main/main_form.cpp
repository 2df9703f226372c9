#include "ide/main/main_form.h"

#include <utility>

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QMenuBar>
#include <QStatusBar>

#include "ide/main/register_views.h"
#include "ide/main/simulation_control.h"
#include "ide/main/simulator_binding.h"
#include "ide/main/user_message.h"
#include "ide/main/view_model_seam.h"
#include "ide/texts/texts.h"
#include "ide/workbench/shared_library.h"
#include "ide/workbench/workbench_window.h"

bool WindowAlive = false;
bool CloseAllowed = false;
TMainForm* MainForm = nullptr;

namespace {

constexpr std::int32_t ErrorOpenFileText = 1010;
constexpr std::int32_t SelectValidModelText = 2010;

} // namespace

TMainForm::TMainForm(TDeviceHost& host, QWidget* parent)
    : QMainWindow(parent)
    , host_(host)
{
    FormCreate();
}

TMainForm::~TMainForm()
{
    FormDestroy();
}

void TMainForm::FormCreate()
{
    MainForm = this;
    setObjectName(QStringLiteral("MainForm"));

    auto* client = new QWidget(this);
    auto* layout = new QHBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    registerViews_ = new TRegisterViews(client);
    registerColumn_ = registerViews_;
    layout->addWidget(registerColumn_);
    mdiArea_ = new QMdiArea(client);
    mdiArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    layout->addWidget(mdiArea_, 1);
    setCentralWidget(client);

    CreateCommands();
    CreateMenus();
    CreateToolBar();
    connect(registerViews_->btnClear, &QPushButton::clicked, SimulationControl, &TSimulationControl::btnClearClick);
    statusBar()->setSizeGripEnabled(true);

    // The design's client area of 734 x 581 below the menu bar; the window
    // is never made smaller than that.
    const QSize designSize(734, 581 + menuBar()->sizeHint().height());
    setMinimumSize(designSize);
    resize(designSize);

    ApplyMainFormLanguage();

    WindowAlive = true;
    MCULibLoaded = false;
    host_.SetMainWindow(this);

    // Whenever the event loop has nothing left to do, as the commands' update
    // handlers run when the application becomes idle.
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
        actionUpdates_ = connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &TMainForm::UpdateActions);
    UpdateActions();
    BindModelFromEnvironment(*this, host_);
}

// corvel is freed last: its engine has stopped and joined its thread, and
// nothing will call through the table any more.
void TMainForm::FormDestroy()
{
    WindowAlive = false;
    StopSimulationAndWait();
    if (host_.MainWindow() == this)
        host_.SetMainWindow(nullptr);
    MCULibLoaded = false;
    DllMCEntries = TDllMCEntries();
    UnloadSharedLibrary(std::exchange(MCLibHandle, nullptr));
    if (MainForm == this)
        MainForm = nullptr;
}

void TMainForm::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TMainForm::FormResize()
{
    if (!WindowAlive)
        return;
    registerViews_->FormResize();
}

// ---- Closing

void TMainForm::closeEvent(QCloseEvent* event)
{
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

bool TMainForm::FormCloseQuery()
{
    CloseAllowed = true;
    FileClose1Execute();
    return CloseAllowed;
}

void TMainForm::FormClose()
{
    WindowAlive = false;
    disconnect(actionUpdates_);
    StopSimulation();
    // The run ends here rather than when corvel is freed: the engine's thread
    // must not outlive the window whose devices and nodes it reads.
    StopSimulationAndWait();
}

void TMainForm::FileClose1Execute()
{
    StopSimulation();
    // The run ends before any window or device it shows goes.
    StopSimulationAndWait();
    FreeProjectWindows();
    ProjectFileName.clear();
    exchange = false;
}

// ---- corvel

bool TMainForm::LoadDllMC()
{
    const auto& libraries = host_.InfoDevices();
    const std::int32_t infoIndex = host_.MCUInfoIndex;
    if (infoIndex < 0 || std::size_t(infoIndex) >= libraries.size()) {
        ShowMessage(GetText(SelectValidModelText));
        return false;
    }
    const TDeviceLibraryInfo& library = *libraries[std::size_t(infoIndex)];
    const std::int32_t model = host_.MCUModelIndex;
    // SelectMC takes the model as one byte.
    if (model < 0 || model >= library.vSModel.length() || model > 255) {
        ShowMessage(GetText(SelectValidModelText));
        return false;
    }

    const QString refusal = GetText(ErrorOpenFileText) + QLatin1Char(' ') + library.FilePath;
    QString loaderError;
    void* handle = LoadSharedLibrary(library.FilePath, &loaderError);
    if (!handle) {
        ShowMessage(refusal + QLatin1Char('\n') + loaderError);
        return false;
    }
    QStringList missing;
    const TDllMCEntries entries = BindDllMCEntries(handle, &missing);
    if (!missing.isEmpty()) {
        UnloadSharedLibrary(handle);
        ShowMessage(refusal + QLatin1Char('\n') + missing.join(QStringLiteral(", ")));
        return false;
    }

    // The previous library is let go only once its engine has stopped; when
    // it is the same file, the new handle keeps it loaded.
    StopSimulationAndWait();
    void* previous = std::exchange(MCLibHandle, handle);
    DllMCEntries = entries;
    MCULibLoaded = true;
    UnloadSharedLibrary(previous);

    SetSimulationRate(RealTimeRate);
    DllMCEntries.SelectMC(std::uint8_t(model));
    FormResize();
    return true;
}

// The pause flag is left alone: a paused run stays paused, and a pause that
// a breakpoint sets while the rate changes is never overwritten. corvel
// starts the new rate's pacing from the present by itself.
void TMainForm::SetSimulationRate(std::int32_t code)
{
    RateAction(code)->setChecked(true);
    if (!MCULibLoaded)
        return;
    const TSimulationRate& rate = SimulationRateOf(code);
    DllMCEntries.Set_RT_parametrs(rate.realTime, rate.stepByStep, rate.delay, rate.delayMs, rate.factor);
}

// ---- What a run needs of the project's windows (the rest beside the
// project windows)

void TMainForm::ShowAllRegAndCounters()
{
    // A run shows the machine from its first refresh on.
    RefreshDone = true;
    registerViews_->ShowAllRegAndCounters();
    // The engine waits for this flag at the fixed delays, so it is set even
    // when the views had nothing to show.
    if (MCULibLoaded)
        DllMCEntries.Set_rtRefreshComplete(1);
}

void TMainForm::ShowSpeed(const QString& text)
{
    registerViews_->txtRTSpeed->setText(text);
}

void TMainForm::ShowStopwatch(const QString& text)
{
    registerViews_->txtUserTimer->setText(text);
}

// ---- The device host's view of the window

bool TMainForm::SimulationRunning() const
{
    return MCULibLoaded && DllMCEntries.Get_rtRunning() != 0;
}

void TMainForm::ShowMessage(const QString& text)
{
    ShowUserMessage(text);
}

QWidget* TMainForm::ParentWindow() const
{
    return const_cast<TMainForm*>(this);
}

void TMainForm::StopSimulationAndWait()
{
    if (MCULibLoaded)
        DllMCEntries.Stop_and_wait();
}
