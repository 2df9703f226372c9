// A project from the File menu to a run: New picks a model in the model
// dialog, the editor and the workbench come up with the chip and its nodes,
// a typed program assembles into corvel and runs to a breakpoint; Close takes
// everything away again. Against the real corvel.so.
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMdiArea>
#include <QTimer>

#include <gtest/gtest.h>

#include "ide/asm/source_edit.h"
#include "ide/asm/source_window.h"
#include "ide/main/main_form.h"
#include "ide/main/model_select_dialog.h"
#include "ide/main/simulator_binding.h"
#include "ide/texts/texts.h"
#include "ide/workbench/workbench_window.h"
#include "ide_fixture.h"

namespace project_windows_test {
namespace {

using twtest::WaitUntil;

// The model dialog answered with `model` and Ok.
class ModelAnswer {
public:
    explicit ModelAnswer(QString model)
        : previous_(SetDialogSink([this, model](QDialog& dialog) {
            auto* choice = dynamic_cast<Tfrmopn*>(&dialog);
            if (!choice) {
                ADD_FAILURE() << "unexpected dialog " << dialog.metaObject()->className();
                return int(QDialog::Rejected);
            }
            ++shown;
            choice->cbHexSelectMC->setCurrentIndex(choice->cbHexSelectMC->findText(model));
            choice->cbHexSelectMCChange();
            choice->Button1Click();
            return choice->result();
        }))
    {
    }
    ~ModelAnswer() { SetDialogSink(previous_); }
    int shown = 0;

private:
    TDialogSink previous_;
};

class ProjectWindowsTest : public testing::Test {
protected:
    void SetUp() override
    {
        host.SearchDeviceFiles([](const QString&) {}, QString::fromStdString(twtest::binDir().string()));
        ASSERT_EQ(host.InfoDevices().size(), 1u);
    }

    twtest::ApplicationReady application;
    twtest::CapturedMessages messages;
    TDeviceHost host;
};

TEST_F(ProjectWindowsTest, NewProjectShowsTheEditorAndTheChipWithItsNodes)
{
    TMainForm form(host);
    ModelAnswer answer("PIC12F508");
    form.FileNew1->trigger();
    EXPECT_EQ(answer.shown, 1);
    ASSERT_TRUE(form.AsmWindowOpen);
    ASSERT_NE(form.AsmChild, nullptr);
    ASSERT_NE(form.CompChild, nullptr);
    EXPECT_EQ(form.windowTitle(), GetText(1) + " - []");
    EXPECT_EQ(form.AsmChild->windowTitle(), GetText(3));
    EXPECT_EQ(form.CompChild->windowTitle(), GetText(4));
    ASSERT_EQ(host.Devices().length(), 1);
    EXPECT_EQ(host.Picture(0)->Position, QPoint(30, 50));
    EXPECT_EQ(host.Nodes().length(), host.Devices()[0]->Port.length());
    EXPECT_EQ(form.AsmChild->LineCount(), 1);
    EXPECT_FALSE(form.exchange);
    EXPECT_TRUE(form.ActionRun->isEnabled());
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join("; ").toStdString();

    form.FileClose1->trigger();
    EXPECT_FALSE(form.AsmWindowOpen);
    EXPECT_EQ(form.AsmChild, nullptr);
    EXPECT_EQ(form.CompChild, nullptr);
    EXPECT_TRUE(form.MdiArea()->subWindowList().isEmpty());
    EXPECT_EQ(host.Devices().length(), 0);
    EXPECT_EQ(host.Nodes().length(), 0);
}

TEST_F(ProjectWindowsTest, ATypedProgramRunsToItsBreakpointAndStops)
{
    TMainForm form(host);
    ModelAnswer answer("PIC12F508");
    form.FileNew1->trigger();
    ASSERT_TRUE(form.AsmWindowOpen);

    form.AsmChild->RVE->setPlainText("START: MOVLW 5\n MOVWF 10H\nLOOP: INCF 10H,F\n NOP\n GOTO LOOP\n");
    EXPECT_TRUE(form.exchange) << "typing marks the project modified";
    ASSERT_TRUE(form.AsmChild->ToggleBreakpoint(3));
    form.ActionRun->trigger();
    ASSERT_TRUE(WaitUntil([&] { return DllMCEntries.Get_rtPause() != 0 && form.ActionRun->isEnabled(); }));
    EXPECT_EQ(DllMCEntries.Get_I(), 3);
    EXPECT_TRUE(form.AsmChild->RVE->isReadOnly());
    EXPECT_TRUE(form.ActionStop->isEnabled());
    EXPECT_FALSE(form.ActionPause->isEnabled());

    form.ActionStop->trigger();
    ASSERT_TRUE(WaitUntil([&] { return !form.SimulationControl->RefreshLoopActive(); }));
    EXPECT_FALSE(form.AsmChild->RVE->isReadOnly());
    form.UpdateActions();
    EXPECT_TRUE(form.ActionRun->isEnabled());
    EXPECT_FALSE(form.ActionStop->isEnabled());
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join("; ").toStdString();
}

TEST_F(ProjectWindowsTest, AnAssemblyErrorOnRunStartsNothing)
{
    TMainForm form(host);
    ModelAnswer answer("PIC12F508");
    form.FileNew1->trigger();
    ASSERT_TRUE(form.AsmWindowOpen);
    form.AsmChild->RVE->setPlainText(" GOTO NOWHERE\n");
    form.ActionRun->trigger();
    EXPECT_EQ(messages.texts.size(), 1);
    EXPECT_EQ(DllMCEntries.Get_rtRunning(), 0);
    EXPECT_TRUE(form.ActionRun->isEnabled());
    EXPECT_FALSE(form.ActionStop->isEnabled());
}

} // namespace

} // namespace project_windows_test
