// The register, counter and stack views once no project is open: after
// Close (of a stopped, a paused or a running project) and after an Intel HEX
// import that failed, they show nothing of the chip that was there, stay
// empty through resizes, scrolling and timers, and fill again with the next
// project. Against the real corvel.so.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "ide/asm/source_edit.h"
#include "ide/asm/source_window.h"
#include "ide/files/program_memory.h"
#include "ide/main/binary_flag.h"
#include "ide/main/delta_break_point.h"
#include "ide/main/main_form.h"
#include "ide/main/register_views.h"
#include "ide/main/simulation_control.h"
#include "ide/main/simulator_binding.h"
#include "end_to_end_dialogs.h"
#include "ide_fixture.h"

namespace views_without_project_test {
namespace {

using twtest::WaitUntil;

// Counts a subroutine level, writes a general-purpose register and loops.
constexpr const char* kProgram = "START: CALL SUB\n"
                                 "LOOP: INCF 10H,F\n"
                                 " GOTO LOOP\n"
                                 "SUB: MOVLW 5AH\n"
                                 " MOVWF 11H\n"
                                 " NOP\n"
                                 " RETLW 0\n";
constexpr int kLineInSubroutine = 5; // NOP, with one return address on the stack

class ViewsWithoutProjectTest : public testing::Test {
protected:
    void SetUp() override
    {
        host.SearchDeviceFiles([](const QString&) {}, QString::fromStdString(twtest::binDir().string()));
        ASSERT_EQ(host.InfoDevices().size(), 1u);
        ASSERT_TRUE(folder.isValid());
        form.setAttribute(Qt::WA_DontShowOnScreen);
        form.show();
        views = form.RegisterViews();
    }

    QString Path(const QString& name) const { return QDir(folder.path()).filePath(name); }

    void Write(const QString& name, const QByteArray& bytes) const
    {
        QFile file(Path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    // A new project whose program stopped at its breakpoint in the
    // subroutine: every view shows something of the run.
    void ProjectPausedInItsSubroutine()
    {
        form.FileNew1->trigger();
        ASSERT_TRUE(form.AsmWindowOpen);
        form.AsmChild->RVE->setPlainText(kProgram);
        ASSERT_TRUE(form.AsmChild->ToggleBreakpoint(kLineInSubroutine));
        form.ActionRun->trigger();
        ASSERT_TRUE(WaitUntil([&] { return DllMCEntries.Get_rtPause() != 0 && form.ActionRun->isEnabled(); }));
        // A register breakpoint armed from its row, as the user would.
        ASSERT_FALSE(views->GprRows.empty());
        views->GprRows[0].imgBP->Click();
        ASSERT_TRUE(WaitUntil([&] { return !views->txtIC->text().isEmpty() && views->txtIC->text() != "0"; }));
        ExpectShowsTheChip();
    }

    void ExpectShowsTheChip()
    {
        ASSERT_FALSE(views->SfrRows.empty());
        EXPECT_FALSE(views->SfrRows[0].edtName->text().isEmpty());
        EXPECT_FALSE(views->SfrRows[0].edtAddr->text().isEmpty());
        EXPECT_FALSE(views->SfrRows[0].edtHex->text().isEmpty());
        EXPECT_TRUE(views->SfrRows[0].imgBP->isEnabled());
        EXPECT_FALSE(views->txtPChex->text().isEmpty());
        EXPECT_FALSE(views->txtStackCounter->text().isEmpty());
        EXPECT_FALSE(views->txtMC->text().isEmpty());
    }

    // Nothing of any chip anywhere in the column, and nothing to click.
    void ExpectEmpty(const char* when)
    {
        SCOPED_TRACE(when);
        EXPECT_FALSE(RefreshDone);
        for (const std::vector<TPSfr>* rows : {&views->SfrRows, &views->GprRows}) {
            for (const TPSfr& row : *rows) {
                EXPECT_EQ(row.edtAddr->text(), "");
                EXPECT_EQ(row.edtName->text(), "");
                EXPECT_EQ(row.edtHex->text(), "");
                EXPECT_EQ(row.marker, TChangeMarker::None);
                EXPECT_FALSE(row.imgBP->isEnabled());
                EXPECT_FALSE(row.imgBP->BPDelta());
                EXPECT_FALSE(row.imgBP->BPGreenDelta());
                for (const TBinaryFlag* cell : row.bfBin) {
                    EXPECT_FALSE(cell->value());
                    EXPECT_FALSE(cell->Delta());
                    EXPECT_FALSE(cell->ReadOnl()) << "a cell without a register stays unclickable";
                    EXPECT_EQ(cell->toolTip(), "");
                }
            }
        }
        for (const QLineEdit* box : {views->txtLast, views->txtNext, views->txtIC, views->txtMC, views->txtRT,
                                     views->txtRTSpeed, views->txtUserTimer, views->txtPChex,
                                     views->txtStackCounter})
            EXPECT_EQ(box->text(), "") << box->objectName().toStdString();
        for (const TBinaryFlag* cell : views->PcCells)
            EXPECT_FALSE(cell->value());
        for (const TPStack& row : views->StackRows) {
            EXPECT_EQ(row.edtHex->text(), "");
            for (const TBinaryFlag* cell : row.bfBin)
                EXPECT_FALSE(cell->value());
        }
        EXPECT_EQ(views->prgWDT->value(), 0);
    }

    // What may still reach the views with no project open: the window's
    // resize, the scroll bars, the event loop with its timers.
    void StirTheViews()
    {
        form.resize(form.width(), form.height() + 21);
        views->scrlGPR->setValue(views->scrlGPR->maximum());
        views->scrlSFR->setValue(1);
        QCoreApplication::processEvents();
        EXPECT_FALSE(form.SimulationControl->RefreshLoopActive());
        EXPECT_FALSE(form.SimulationControl->TmrRTS.isActive());
    }

    twtest::ApplicationReady application;
    twtest::CapturedMessages messages;
    QTemporaryDir folder;
    TDeviceHost host;
    TMainForm form{host};
    twtest::DialogAnswers answers;
    TRegisterViews* views = nullptr;
};

TEST_F(ViewsWithoutProjectTest, ClosingAPausedProjectEmptiesEveryView)
{
    ProjectPausedInItsSubroutine();
    answers.question = QMessageBox::No;
    form.FileClose1->trigger();
    ASSERT_FALSE(form.AsmWindowOpen);
    ExpectEmpty("after Close");
    StirTheViews();
    ExpectEmpty("after a resize, scrolling and the event loop");
    EXPECT_EQ(messages.texts.join("; "), "");
}

TEST_F(ViewsWithoutProjectTest, ClosingARunningProjectEmptiesEveryView)
{
    form.FileNew1->trigger();
    ASSERT_TRUE(form.AsmWindowOpen);
    form.AsmChild->RVE->setPlainText(kProgram);
    form.ActionRun->trigger();
    ASSERT_TRUE(WaitUntil([&] { return DllMCEntries.Get_rtRunning() != 0 && !views->txtIC->text().isEmpty(); }));
    answers.question = QMessageBox::No;
    form.FileClose1->trigger();
    ASSERT_FALSE(form.AsmWindowOpen);
    EXPECT_EQ(DllMCEntries.Get_rtRunning(), 0);
    ExpectEmpty("after Close");
    StirTheViews();
    ExpectEmpty("after a resize, scrolling and the event loop");
}

// The next project, of the same model or another, shows its own chip: its
// rows, its registers after the power-on reset, counters and stack of a chip
// that has not run, and none of the closed project's register breakpoints,
// which would pause its runs.
TEST_F(ViewsWithoutProjectTest, TheNextProjectShowsItsOwnChip)
{
    for (const char* model : {"PIC12F508", "PIC16F59"}) {
        SCOPED_TRACE(model);
        answers.model = "PIC12F508";
        ProjectPausedInItsSubroutine();
        const std::int32_t armed = views->GprRows[0].imgBP->ByteAddres();
        ASSERT_NE(DllMCEntries.Get_MatrixRAM_BreakPoint(armed), 0);
        answers.question = QMessageBox::No;
        answers.model = model;
        form.FileNew1->trigger();
        ASSERT_TRUE(form.AsmWindowOpen);
        EXPECT_TRUE(RefreshDone);
        ExpectShowsTheChip();
        EXPECT_EQ(host.Devices()[0]->RCModel().toQString(), model);
        // A chip that has run nothing, not the closed project's run.
        EXPECT_EQ(views->txtIC->text(), "0");
        EXPECT_EQ(views->txtMC->text(), "0");
        EXPECT_EQ(views->txtStackCounter->text(), "0");
        EXPECT_EQ(views->txtLast->text(), "NOP");
        EXPECT_EQ(views->txtRT->text(), "0.0000000 Sec");
        EXPECT_EQ(int(views->PcCells.size()), DllMCEntries.Get_PC_Len());
        EXPECT_EQ(views->scrlSFR->maximum() + views->SfrRowCount, DllMCEntries.Get_SFRcount());
        EXPECT_EQ(views->scrlGPR->maximum() + views->GprRowCount, DllMCEntries.Get_GPRCount());
        EXPECT_EQ(DllMCEntries.Get_MatrixRAM_BreakPoint(armed), 0);
        for (const TPSfr& row : views->GprRows)
            EXPECT_FALSE(row.imgBP->BPDelta()) << row.edtAddr->text().toStdString();
        // The rows work again: a breakpoint set on a row reaches corvel.
        views->GprRows[1].imgBP->Click();
        EXPECT_NE(DllMCEntries.Get_MatrixRAM_BreakPoint(views->GprRows[1].imgBP->ByteAddres()), 0);
        views->GprRows[1].imgBP->Click();
        views->GprRows[1].imgBP->Click();
        answers.question = QMessageBox::No;
        form.FileClose1->trigger();
        ASSERT_FALSE(form.AsmWindowOpen);
    }
}

// The data lines come first, the faulty line after them: nothing of the file
// reaches program memory or the views.
TEST_F(ViewsWithoutProjectTest, AFailedHexImportLeavesNoProjectAndEmptyViews)
{
    ProjectPausedInItsSubroutine();
    const std::uint16_t firstWord = TBoundProgramMemory().Word(0);
    answers.shown.clear();
    Write("broken.hex", ":020000000A0CE8\r\n"
                        ":02000200C00A32\r\n"
                        "this line is no record\r\n"
                        ":00000001FF\r\n");
    answers.question = QMessageBox::No;
    answers.fileName = Path("broken.hex");
    form.FileOpen1->trigger();
    EXPECT_EQ(answers.shown.join(","), "file,question,model 3");
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].contains("#2")) << messages.texts[0].toStdString();
    EXPECT_FALSE(form.AsmWindowOpen);
    EXPECT_EQ(form.AsmChild, nullptr);
    EXPECT_EQ(form.CompChild, nullptr);
    EXPECT_EQ(TBoundProgramMemory().Word(0), firstWord) << "a half-read file wrote into program memory";
    ExpectEmpty("after the failed import");
    StirTheViews();
    ExpectEmpty("after a resize, scrolling and the event loop");
}

// With no project before it either: the bind for the import's model lays the
// rows out, and they stay empty when the import fails.
TEST_F(ViewsWithoutProjectTest, AFailedFirstHexImportLeavesEmptyViews)
{
    Write("broken.hex", ":020000000A0CE8\r\n");
    answers.fileName = Path("broken.hex");
    form.FileOpen1->trigger();
    EXPECT_EQ(answers.shown.join(","), "file,model 3");
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_FALSE(form.AsmWindowOpen);
    EXPECT_FALSE(views->SfrRows.empty());
    ExpectEmpty("after the failed import");
}

} // namespace

} // namespace views_without_project_test
