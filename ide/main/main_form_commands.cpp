// The main window's commands: their texts, shortcuts and pictures, the menus
// and the tool bar that show them, and when each is enabled.
#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

#include "ide/main/about_box.h"
#include "ide/main/command_pictures.h"
#include "ide/main/main_form.h"
#include "ide/main/options_form.h"
#include "ide/main/register_views.h"
#include "ide/main/user_message.h"
#include "ide/texts/texts.h"
#include "ide/web/bug_report.h"
#include "ide/web/update_check.h"

namespace {

enum class TCommandAvailability {
    Always,
    // Exactly while a project is open.
    ProjectOpen,
    // Run, Pause, Step and Stop: as the state of the run has them.
    RunCommand,
    // Disabled here: the commands whose windows and files this build does
    // not hold yet.
    Disabled,
};

struct TCommandRow {
    QAction* TMainForm::*action;
    const char* name;
    std::int32_t captionText;
    std::int32_t hintText; // 0: no hint
    const char* shortcut;  // empty: none
    TCommandPicture picture;
    TCommandAvailability availability;
};

using enum TCommandAvailability;
using enum TCommandPicture;

const TCommandRow CommandRows[] = {
    {&TMainForm::FileNew1, "FileNew1", 210, 4000, "Ctrl+N", New, Always},
    {&TMainForm::FileOpen1, "FileOpen1", 211, 4001, "Ctrl+O", Open, Disabled},
    {&TMainForm::FileClose1, "FileClose1", 212, 4002, "", None, ProjectOpen},
    {&TMainForm::FileSave1, "FileSave1", 213, 4003, "Ctrl+S", Save, ProjectOpen},
    {&TMainForm::FileSaveAs1, "FileSaveAs1", 214, 4004, "Ctrl+Alt+S", None, ProjectOpen},
    {&TMainForm::FileExit1, "FileExit1", 215, 4005, "", None, Always},
    {&TMainForm::FileExportAsm1, "FileExportAsm1", 216, 4006, "", None, ProjectOpen},
    {&TMainForm::FileExportHex1, "FileExportHex1", 217, 4007, "", None, ProjectOpen},
    {&TMainForm::EditCut1, "EditCut1", 230, 4008, "Ctrl+X", Cut, Disabled},
    {&TMainForm::EditCopy1, "EditCopy1", 231, 4009, "Ctrl+C", Copy, Disabled},
    {&TMainForm::EditPaste1, "EditPaste1", 232, 4010, "Ctrl+V", Paste, Disabled},
    {&TMainForm::WindowCascade1, "WindowCascade1", 250, 4012, "", Cascade, Disabled},
    {&TMainForm::WindowTileHorizontal1, "WindowTileHorizontal1", 251, 4013, "", TileHorizontally, Disabled},
    {&TMainForm::WindowTileVertical1, "WindowTileVertical1", 252, 4014, "", TileVertically, Disabled},
    {&TMainForm::WindowMinimizeAll1, "WindowMinimizeAll1", 253, 4015, "", None, Disabled},
    {&TMainForm::WindowArrangeAll1, "WindowArrangeAll1", 254, 4016, "", None, Disabled},
    {&TMainForm::OptionConfigBits1, "OptionConfigBits1", 270, 4050, "", None, ProjectOpen},
    {&TMainForm::HelpChkUpdItem, "HelpChkUpdItem", 290, 4018, "", None, Always},
    {&TMainForm::BugReportItem, "BugReportItem", 291, 4017, "", None, Always},
    {&TMainForm::HelpAbout1, "HelpAbout1", 292, 4011, "", None, Always},
    {&TMainForm::HelpDonateItem, "HelpDonateItem", 293, 0, "", None, Disabled},
    {&TMainForm::HelpHelp, "HelpHelp", 294, 0, "F1", None, Disabled},
    {&TMainForm::ActionRate, "ActionRate", 300, 4019, "", Rate, ProjectOpen},
    {&TMainForm::ActionRun, "ActionRun", 301, 4040, "F9", Run, RunCommand},
    {&TMainForm::ActionPause, "ActionPause", 302, 4041, "F2", Pause, RunCommand},
    {&TMainForm::ActionStop, "ActionStop", 303, 4042, "Ctrl+F2", Stop, RunCommand},
    {&TMainForm::ActionStep, "ActionStep", 304, 4044, "F8", Step, RunCommand},
    {&TMainForm::ActionClearBP, "ActionClearBP", 305, 0, "", None, ProjectOpen},
    {&TMainForm::ActionOptions, "ActionOptions", 329, 0, "", None, Always},
};

// The rate commands, in the order of SimulationRates.
QAction* TMainForm::* const RateActionFields[] = {
    &TMainForm::ActionRateSBS, &TMainForm::ActionRateVS, &TMainForm::ActionRateSlow,
    &TMainForm::ActionRateNormal, &TMainForm::ActionRateFast, &TMainForm::ActionRateVF,
    &TMainForm::ActionRateRT, &TMainForm::ActionRateX2, &TMainForm::ActionRateUL,
};
const char* const RateActionNames[] = {
    "ActionRateSBS", "ActionRateVS", "ActionRateSlow", "ActionRateNormal", "ActionRateFast",
    "ActionRateVF", "ActionRateRT", "ActionRateX2", "ActionRateUL",
};
static_assert(std::size(RateActionFields) == std::size(SimulationRates));
static_assert(std::size(RateActionNames) == std::size(SimulationRates));

// A two-part hint: the part before the first "|" is the tooltip, the part
// after it the status bar's text; a hint without "|" is both.
void ApplyHint(QAction* action, const QString& hint)
{
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    action->setToolTip(bar < 0 ? hint : hint.left(bar));
    action->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
}

void ApplyTexts(QAction* action, std::int32_t captionText, std::int32_t hintText)
{
    action->setText(GetText(captionText));
    if (hintText != 0)
        ApplyHint(action, GetText(hintText));
}

} // namespace

std::array<QAction*, std::size(SimulationRates)> TMainForm::RateActions() const
{
    std::array<QAction*, std::size(SimulationRates)> actions{};
    for (std::size_t index = 0; index < actions.size(); ++index)
        actions[index] = this->*RateActionFields[index];
    return actions;
}

QAction* TMainForm::RateAction(std::int32_t code) const
{
    const TSimulationRate& rate = SimulationRateOf(code);
    return this->*RateActionFields[std::size_t(&rate - SimulationRates)];
}

void TMainForm::CreateCommands()
{
    for (const TCommandRow& row : CommandRows) {
        QAction* action = new QAction(this);
        action->setObjectName(QString::fromLatin1(row.name));
        action->setIcon(CommandIcon(row.picture));
        if (*row.shortcut)
            action->setShortcut(QKeySequence(QString::fromLatin1(row.shortcut)));
        action->setEnabled(row.availability == Always);
        this->*row.action = action;
    }
    connect(FileExit1, &QAction::triggered, this, &QWidget::close);
    connect(FileNew1, &QAction::triggered, this, &TMainForm::FileNew1Execute);
    connect(FileClose1, &QAction::triggered, this, &TMainForm::FileClose1Execute);
    connect(ActionOptions, &QAction::triggered, this, &TMainForm::ActionOptionsExecute);
    connect(HelpChkUpdItem, &QAction::triggered, this, &TMainForm::iHelpChkUpdItemClick);
    connect(BugReportItem, &QAction::triggered, this, &TMainForm::iBugReportItemClick);
    connect(HelpAbout1, &QAction::triggered, this, &TMainForm::HelpAbout1Execute);

    SimulationControl = new TSimulationControl(*this, {ActionRun, ActionPause, ActionStep, ActionStop}, this);
    connect(ActionRun, &QAction::triggered, SimulationControl, &TSimulationControl::tlbRunClick);
    connect(ActionPause, &QAction::triggered, SimulationControl, &TSimulationControl::tlbPauseClick);
    connect(ActionStop, &QAction::triggered, SimulationControl, &TSimulationControl::tlbStopClick);
    connect(ActionStep, &QAction::triggered, SimulationControl, &TSimulationControl::tlbStepClick);
    connect(ActionClearBP, &QAction::triggered, SimulationControl, &TSimulationControl::ActionClearBPExecute);

    rateGroup_ = new QActionGroup(this);
    rateGroup_->setExclusive(true);
    for (std::size_t index = 0; index < std::size(SimulationRates); ++index) {
        QAction* action = new QAction(rateGroup_);
        action->setObjectName(QString::fromLatin1(RateActionNames[index]));
        action->setCheckable(true);
        const std::int32_t code = SimulationRates[index].code;
        connect(action, &QAction::triggered, this, [this, code] { SetSimulationRate(code); });
        this->*RateActionFields[index] = action;
    }
    ActionRateRT->setChecked(true);
}

void TMainForm::CreateMenus()
{
    File1 = menuBar()->addMenu(QString());
    File1->addActions({FileNew1, FileOpen1, FileClose1, FileSave1, FileSaveAs1});
    File1->addSeparator();
    File1->addActions({FileExportAsm1, FileExportHex1});
    File1->addSeparator();
    File1->addAction(FileExit1);

    Edit1 = menuBar()->addMenu(QString());
    Edit1->addActions({EditCut1, EditCopy1, EditPaste1});

    // One menu of rates serves the Run menu and the Rate tool button.
    popupRate = new QMenu(this);
    popupRate->addAction(ActionRateSBS);
    popupRate->addSeparator();
    popupRate->addActions({ActionRateVS, ActionRateSlow, ActionRateNormal, ActionRateFast, ActionRateVF});
    popupRate->addSeparator();
    popupRate->addActions({ActionRateRT, ActionRateX2, ActionRateUL});
    ActionRate->setMenu(popupRate);

    Run1 = menuBar()->addMenu(QString());
    Run1->addActions({ActionRate, ActionRun, ActionPause, ActionStop, ActionStep, ActionClearBP});

    Option1 = menuBar()->addMenu(QString());
    Option1->addActions({OptionConfigBits1, ActionOptions});

    Window1 = menuBar()->addMenu(QString());
    Window1->addActions(
        {WindowCascade1, WindowTileHorizontal1, WindowTileVertical1, WindowMinimizeAll1, WindowArrangeAll1});

    Help1 = menuBar()->addMenu(QString());
    Help1->addActions({HelpHelp, HelpChkUpdItem, BugReportItem, HelpDonateItem, HelpAbout1});
}

void TMainForm::CreateToolBar()
{
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setIconSize(QSize(16, 16));
    ToolBar1->setContextMenuPolicy(Qt::PreventContextMenu);
    addToolBar(Qt::TopToolBarArea, ToolBar1);

    ToolBar1->addActions({FileNew1, FileOpen1, FileSave1});
    ToolBar1->addSeparator();
    ToolBar1->addActions({EditCut1, EditCopy1, EditPaste1});
    ToolBar1->addSeparator();
    ToolBar1->addActions({WindowCascade1, WindowTileHorizontal1, WindowTileVertical1});
    ToolBar1->addSeparator();
    tlbRate = new QToolButton(ToolBar1);
    tlbRate->setObjectName(QStringLiteral("tlbRate"));
    tlbRate->setDefaultAction(ActionRate);
    tlbRate->setPopupMode(QToolButton::InstantPopup);
    ToolBar1->addWidget(tlbRate);
    ToolBar1->addActions({ActionRun, ActionPause, ActionStop, ActionStep});
}

void TMainForm::UpdateActions()
{
    for (const TCommandRow& row : CommandRows) {
        QAction* action = this->*row.action;
        switch (row.availability) {
        case ProjectOpen:
            action->setEnabled(AsmWindowOpen);
            break;
        case RunCommand:
        case Always:
        case Disabled:
            break;
        }
    }
    SimulationControl->UpdateRunCommands(AsmWindowOpen);
}

void TMainForm::ApplyLanguage()
{
    setWindowTitle(GetText(1));
    const std::pair<QMenu*, std::int32_t> menus[] = {
        {File1, 200}, {Edit1, 201}, {Window1, 202}, {Option1, 203}, {Help1, 204}, {Run1, 205},
    };
    for (const auto& [menu, text] : menus)
        menu->setTitle(GetText(text));
    for (const TCommandRow& row : CommandRows)
        ApplyTexts(this->*row.action, row.captionText, row.hintText);
    for (std::size_t index = 0; index < std::size(SimulationRates); ++index)
        ApplyTexts(this->*RateActionFields[index], SimulationRates[index].captionText,
                   SimulationRates[index].hintText);
    ApplyRegisterPanelsLanguage();
}

// The register, counter and stack panels' labels, Clear button, small-label
// font size and header pictures.
void TMainForm::ApplyRegisterPanelsLanguage()
{
    if (registerViews_)
        registerViews_->ApplyLanguage();
}

// ---- Options and Help

void TMainForm::ActionOptionsExecute()
{
    TFormOptions options(this);
    ExecUserDialog(options);
}

void TMainForm::iHelpChkUpdItemClick()
{
    if (formCheckUpdates)
        formCheckUpdates->ShowWindow();
}

void TMainForm::iBugReportItemClick()
{
    if (formBugReport)
        ExecUserDialog(*formBugReport);
}

void TMainForm::HelpAbout1Execute()
{
    if (AboutBox)
        ExecUserDialog(*AboutBox);
}

void ApplyMainFormLanguage()
{
    if (MainForm)
        MainForm->ApplyLanguage();
}
