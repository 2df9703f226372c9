// The main window's commands: menus, tool bar, texts in both languages, and
// which commands a project enables.
#include <QAction>
#include <QEventLoop>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QTimer>
#include <QToolButton>

#include <QMdiArea>
#include <QPointer>

#include <gtest/gtest.h>

#include "ide/workbench/workbench_window.h"

#include "ide/main/main_form.h"
#include "ide/texts/texts.h"
#include "ide_fixture.h"

namespace main_form_test {
namespace {

// Object names of a menu's or tool bar's entries; "-" for a separator and
// "[tlbRate]" for the Rate button.
QStringList EntryNames(const QList<QAction*>& actions, const QToolBar* toolBar = nullptr)
{
    QStringList names;
    for (QAction* action : actions) {
        if (action->isSeparator())
            names << "-";
        else if (toolBar && toolBar->widgetForAction(action) && action->objectName().isEmpty())
            names << "[" + toolBar->widgetForAction(action)->objectName() + "]";
        else
            names << action->objectName();
    }
    return names;
}

// Lets the event loop fall idle once, as it does between the user's actions.
void RunUntilIdle()
{
    QEventLoop loop;
    QTimer::singleShot(1, &loop, &QEventLoop::quit);
    loop.exec();
}

class MainFormTest : public testing::Test {
protected:
    void TearDown() override
    {
        Language = 0;
        ApplyMainFormLanguage();
    }

    twtest::ApplicationReady application;
    TDeviceHost host;
    TMainForm form{host};
};

TEST_F(MainFormTest, MenusAndToolBarHoldTheCommandsInOrder)
{
    const QStringList menus[] = {
        EntryNames(form.File1->actions()), EntryNames(form.Edit1->actions()),
        EntryNames(form.Run1->actions()), EntryNames(form.Option1->actions()),
        EntryNames(form.Window1->actions()), EntryNames(form.Help1->actions()),
        EntryNames(form.popupRate->actions()),
    };
    const QStringList expected[] = {
        {"FileNew1", "FileOpen1", "FileClose1", "FileSave1", "FileSaveAs1", "-", "FileExportAsm1",
         "FileExportHex1", "-", "FileExit1"},
        {"EditCut1", "EditCopy1", "EditPaste1"},
        {"ActionRate", "ActionRun", "ActionPause", "ActionStop", "ActionStep", "ActionClearBP"},
        {"OptionConfigBits1", "ActionOptions"},
        {"WindowCascade1", "WindowTileHorizontal1", "WindowTileVertical1", "WindowMinimizeAll1",
         "WindowArrangeAll1"},
        {"HelpHelp", "HelpChkUpdItem", "BugReportItem", "HelpDonateItem", "HelpAbout1"},
        {"ActionRateSBS", "-", "ActionRateVS", "ActionRateSlow", "ActionRateNormal", "ActionRateFast",
         "ActionRateVF", "-", "ActionRateRT", "ActionRateX2", "ActionRateUL"},
    };
    for (std::size_t menu = 0; menu < std::size(expected); ++menu)
        EXPECT_EQ(menus[menu], expected[menu]);

    QStringList menuBar;
    for (QAction* action : form.menuBar()->actions())
        menuBar << action->text();
    EXPECT_EQ(menuBar, QStringList({"&File", "&Edit", "&Run", "&Options", "&Window", "&Help"}));

    EXPECT_EQ(EntryNames(form.ToolBar1->actions(), form.ToolBar1),
              QStringList({"FileNew1", "FileOpen1", "FileSave1", "-", "EditCut1", "EditCopy1", "EditPaste1", "-",
                           "WindowCascade1", "WindowTileHorizontal1", "WindowTileVertical1", "-", "[tlbRate]",
                           "ActionRun", "ActionPause", "ActionStop", "ActionStep"}));
    EXPECT_EQ(form.tlbRate->defaultAction(), form.ActionRate);
    EXPECT_EQ(form.ActionRate->menu(), form.popupRate);
    // Every command on the tool bar has a picture of its own.
    for (QAction* action : form.ToolBar1->actions()) {
        if (action->isSeparator())
            continue;
        const auto* button = qobject_cast<QToolButton*>(form.ToolBar1->widgetForAction(action));
        ASSERT_NE(button, nullptr);
        EXPECT_FALSE(button->icon().isNull()) << button->objectName().toStdString();
    }
}

TEST_F(MainFormTest, EveryProjectCommandIsEnabledExactlyWhileAProjectIsOpen)
{
    const QList<QAction*> projectCommands = {
        form.FileClose1, form.FileSave1, form.FileSaveAs1, form.FileExportAsm1, form.FileExportHex1,
        form.ActionRate, form.ActionRun, form.ActionClearBP, form.OptionConfigBits1,
    };
    for (const bool open : {false, true, false}) {
        form.AsmWindowOpen = open;
        RunUntilIdle();
        for (QAction* action : projectCommands)
            EXPECT_EQ(action->isEnabled(), open) << action->objectName().toStdString();
        // The run commands that a run enables stay off until one starts.
        for (QAction* action : {form.ActionPause, form.ActionStop, form.ActionStep})
            EXPECT_FALSE(action->isEnabled()) << action->objectName().toStdString();
        EXPECT_TRUE(form.FileExit1->isEnabled());
    }
}

TEST_F(MainFormTest, TextsComeFromTheTableInTheCurrentLanguage)
{
    struct Expected {
        QString title, file, save, newTip, newStatus, hexTip, hexStatus, realTime;
    };
    const Expected english = {"Tarnwick", "&File", "&Save", "New Project", "Create a new project",
                              "Export Hex", "Export to file firmware in Intel HEX format", "&Real Time"};
    const Expected russian = {"Tarnwick", "&Файл", "Сохрнит&ь", "Новый проект", "Создать новый проект",
                              "Экспортировать в файл прошивку в формате Intel HEX",
                              "Экспортировать в файл прошивку в формате Intel HEX", "&В реальном времени"};
    for (const int language : {1, 0}) {
        Language = language;
        ApplyMainFormLanguage();
        const Expected& e = language == 0 ? english : russian;
        EXPECT_EQ(form.windowTitle(), e.title);
        EXPECT_EQ(form.File1->title(), e.file);
        EXPECT_EQ(form.FileSave1->text(), e.save);
        EXPECT_EQ(form.FileNew1->toolTip(), e.newTip);
        EXPECT_EQ(form.FileNew1->statusTip(), e.newStatus);
        // Russian text 4007 has no "|": tooltip and status text are the same.
        EXPECT_EQ(form.FileExportHex1->toolTip(), e.hexTip);
        EXPECT_EQ(form.FileExportHex1->statusTip(), e.hexStatus);
        EXPECT_EQ(form.ActionRateRT->text(), e.realTime);
    }
}

TEST_F(MainFormTest, RealTimeIsTheRateAtFirstAndExitClosesTheWindow)
{
    for (QAction* rate : form.RateActions())
        EXPECT_EQ(rate->isChecked(), rate == form.ActionRateRT) << rate->objectName().toStdString();
    form.show();
    EXPECT_TRUE(WindowAlive);
    form.FileExit1->trigger();
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(WindowAlive);
}

// The workbench lives in the main window's document area while its project
// is open, and is freed when the project closes.
TEST_F(MainFormTest, ClosingTheProjectFreesItsWorkbench)
{
    form.CompChild = CreateWorkbenchWindow(form.MdiArea(), host);
    form.AsmWindowOpen = true;
    ASSERT_EQ(form.MdiArea()->subWindowList().size(), 1);
    EXPECT_EQ(form.MdiArea()->subWindowList().front(), form.CompChild);
    QPointer<TfrmChildComp> workbench = form.CompChild;
    // A run animates the project's devices.
    form.StartDeviceRedraw();
    EXPECT_TRUE(form.CompChild->RedrawActive());
    form.FileClose1Execute();
    EXPECT_EQ(form.CompChild, nullptr);
    EXPECT_TRUE(workbench.isNull());
    EXPECT_TRUE(form.MdiArea()->subWindowList().isEmpty());
}

} // namespace

} // namespace main_form_test
