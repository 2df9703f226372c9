// The File commands through the main window, against the real corvel.so and
// a program folder: which files open how, the question about unsaved
// changes, saving (also where it cannot be written), reopening a project,
// exporting, and the Help addresses. Every dialog is answered by the test.
#include <functional>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "ide/asm/source_edit.h"
#include "ide/asm/source_window.h"
#include "ide/main/main_form.h"
#include "ide/main/model_select_dialog.h"
#include "ide/main/simulation_control.h"
#include "ide/main/simulator_binding.h"
#include "ide/texts/texts.h"
#include "ide/workbench/workbench_window.h"
#include "end_to_end_dialogs.h"
#include "ide_fixture.h"

namespace file_commands_test {
namespace {

using twtest::DialogAnswers;

class FileCommandsTest : public testing::Test {
protected:
    void SetUp() override
    {
        host.SearchDeviceFiles([](const QString&) {}, QString::fromStdString(twtest::binDir().string()));
        ASSERT_EQ(host.InfoDevices().size(), 1u);
        ASSERT_TRUE(folder.isValid());
    }

    QString Path(const QString& name) const { return QDir(folder.path()).filePath(name); }

    void Write(const QString& name, const QByteArray& bytes) const
    {
        QFile file(Path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    void NewProjectWithSource(const QString& source)
    {
        form.FileNew1->trigger();
        ASSERT_TRUE(form.AsmWindowOpen);
        form.AsmChild->RVE->setPlainText(source);
    }

    twtest::ApplicationReady application;
    twtest::CapturedMessages messages;
    QTemporaryDir folder;
    TDeviceHost host;
    TMainForm form{host};
    DialogAnswers answers;
};

TEST_F(FileCommandsTest, OpenDispatchesOnTheNamesEndingInAnyLetterCase)
{
    Write("prog.HeX", ":00000001FF\r\n");
    Write("prog.AsM", " NOP\r\n");
    Write("notes.txt", "text");
    struct Case {
        const char* name;
        const char* shown; // empty: no dialog
    };
    const Case cases[] = {
        {"prog.HeX", "model 3"},
        {"prog.AsM", "model 2"},
        {"notes.txt", "model 1"},
        {"missing.hex", ""},
    };
    for (const Case& c : cases) {
        answers.shown.clear();
        form.OpenOrCreateProject(Path(c.name), 2);
        EXPECT_EQ(answers.shown.join(","), QString(c.shown)) << c.name;
        form.FileClose1Execute();
    }
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join("; ").toStdString();
}

TEST_F(FileCommandsTest, AnImportedSourceKeepsItsLines)
{
    Write("prog.asm", "START: MOVLW 1\r\n NOP\n GOTO START\r");
    form.OpenOrCreateProject(Path("prog.asm"), 2);
    ASSERT_TRUE(form.AsmWindowOpen);
    EXPECT_EQ(form.SourceLines().mid(0, 3), (QStringList{"START: MOVLW 1", " NOP", " GOTO START"}));
    EXPECT_FALSE(form.exchange);
    EXPECT_EQ(form.windowTitle(), GetText(1) + " - []");
}

TEST_F(FileCommandsTest, TheCloseQuestion)
{
    struct Case {
        bool modified;
        QMessageBox::StandardButton answer;
        bool saveWorks;
        bool stillOpen;
        bool closeAllowed;
        bool asked;
    };
    const Case cases[] = {
        {false, QMessageBox::Cancel, true, false, true, false},
        {true, QMessageBox::Cancel, true, true, false, true},
        {true, QMessageBox::No, true, false, true, true},
        {true, QMessageBox::Yes, true, true, true, true},   // saved, stays open
        {true, QMessageBox::Yes, false, true, false, true}, // not saved: nothing closes
    };
    int round = 0;
    for (const Case& c : cases) {
        NewProjectWithSource(" NOP\n");
        form.exchange = c.modified;
        form.ProjectFileName = c.saveWorks ? Path(QStringLiteral("p%1.zemra").arg(round++))
                                           : Path("no-such-folder/p.zemra");
        answers.question = c.answer;
        answers.shown.clear();
        CloseAllowed = true;
        form.FileClose1Execute();
        EXPECT_EQ(form.AsmWindowOpen, c.stillOpen) << int(&c - cases);
        EXPECT_EQ(CloseAllowed, c.closeAllowed) << int(&c - cases);
        EXPECT_EQ(answers.shown.contains("question"), c.asked) << int(&c - cases);
        answers.question = QMessageBox::No;
        form.FileClose1Execute();
        ASSERT_FALSE(form.AsmWindowOpen);
        messages.texts.clear();
    }
}

TEST_F(FileCommandsTest, ASaveThatCannotBeWrittenKeepsTheProjectAndTheOldFile)
{
    NewProjectWithSource(" NOP\n");
    ASSERT_TRUE(form.SaveProject(Path("kept.zemra")));
    QFile old(Path("kept.zemra"));
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    const QByteArray before = old.readAll();
    old.close();
    const QString caption = form.windowTitle();

    form.AsmChild->RVE->setPlainText(" NOP\n NOP\n");
    ASSERT_TRUE(form.exchange);
    // A folder of that name stands where the new file's place would be.
    QDir(folder.path()).mkdir("blocked.zemra");
    answers.fileName = Path("blocked.zemra");
    form.FileSaveAs1->trigger();
    EXPECT_FALSE(form.SaveDone);
    EXPECT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(form.AsmWindowOpen);
    EXPECT_TRUE(form.exchange);
    EXPECT_EQ(form.ProjectFileName, Path("kept.zemra"));
    EXPECT_EQ(form.windowTitle(), caption);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), before);
}

TEST_F(FileCommandsTest, ASavedProjectReopensWithItsSourceChipAndPosition)
{
    NewProjectWithSource("START: MOVLW 5\n MOVWF 10H\n GOTO START\n");
    host.Picture(0)->Position = QPoint(70, 90);
    answers.fileName = Path("round.zemra");
    form.FileSave1->trigger(); // never saved: Save As
    ASSERT_TRUE(form.SaveDone);
    EXPECT_EQ(form.windowTitle(), GetText(1) + " - [" + Path("round.zemra") + "]");
    EXPECT_FALSE(form.exchange);
    const QStringList lines = form.SourceLines();

    form.FileClose1->trigger();
    ASSERT_FALSE(form.AsmWindowOpen);
    answers.shown.clear();
    form.OpenOrCreateProject(Path("round.zemra"), 2);
    EXPECT_TRUE(answers.shown.isEmpty()) << "a project file needs no model dialog";
    ASSERT_TRUE(form.AsmWindowOpen);
    EXPECT_EQ(form.SourceLines(), lines);
    ASSERT_EQ(host.Devices().length(), 1);
    EXPECT_EQ(host.Devices()[0]->RCModel().toQString(), "PIC12F508");
    EXPECT_EQ(host.Picture(0)->Position, QPoint(70, 90));
    EXPECT_EQ(host.Nodes().length(), host.Devices()[0]->Port.length());
    EXPECT_EQ(form.ProjectFileName, Path("round.zemra"));
    EXPECT_FALSE(form.exchange);
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join("; ").toStdString();
}

TEST_F(FileCommandsTest, AFileThatIsNoProjectOpensNothing)
{
    Write("bad.zemra", "ZEMRA but not a project");
    form.OpenOrCreateProject(Path("bad.zemra"), 2);
    EXPECT_FALSE(form.AsmWindowOpen);
    EXPECT_EQ(form.AsmChild, nullptr);
    EXPECT_EQ(host.Devices().length(), 0);
    // The loader says what is wrong with the file, then Open says it could not open it.
    EXPECT_EQ(messages.texts, (QStringList{"Invalid file", "Error open file"}));
}

TEST_F(FileCommandsTest, HexExportWithASourceErrorShowsNoDialogAndWritesNothing)
{
    NewProjectWithSource(" GOTO NOWHERE\n");
    answers.fileName = Path("out.hex");
    form.FileExportHex1->trigger();
    EXPECT_FALSE(answers.shown.contains("file"));
    EXPECT_FALSE(QFile::exists(Path("out.hex")));
    EXPECT_EQ(messages.texts.size(), 1);

    form.AsmChild->RVE->setPlainText("START: MOVLW 5\n GOTO START\n");
    form.FileExportHex1->trigger();
    QFile hex(Path("out.hex"));
    ASSERT_TRUE(hex.open(QIODevice::ReadOnly));
    EXPECT_TRUE(hex.readAll().startsWith(":04000000050C000A"));
}

TEST_F(FileCommandsTest, HexExportDuringARunWritesTheRunsProgramWithoutAssemblingAgain)
{
    NewProjectWithSource("START: MOVLW 5\nLOOP: INCF 10H,F\n NOP\n GOTO LOOP\n");
    answers.fileName = Path("stopped.hex");
    form.FileExportHex1->trigger();
    ASSERT_TRUE(form.AsmChild->ToggleBreakpoint(2));
    form.ActionRun->trigger();
    ASSERT_TRUE(twtest::WaitUntil([&] { return DllMCEntries.Get_rtPause() != 0 && form.ActionRun->isEnabled(); }));
    ASSERT_EQ(DllMCEntries.Get_rtRunning(), 1);
    const std::int64_t executed = DllMCEntries.Get_IC();

    answers.fileName = Path("running.hex");
    answers.shown.clear();
    form.FileExportHex1->trigger();
    EXPECT_EQ(answers.shown, QStringList{"file"});
    QFile stopped(Path("stopped.hex"));
    QFile running(Path("running.hex"));
    ASSERT_TRUE(stopped.open(QIODevice::ReadOnly));
    ASSERT_TRUE(running.open(QIODevice::ReadOnly));
    EXPECT_EQ(running.readAll(), stopped.readAll());
    EXPECT_EQ(DllMCEntries.Get_rtRunning(), 1) << "the run goes on";
    EXPECT_EQ(DllMCEntries.Get_IC(), executed);
    EXPECT_EQ(DllMCEntries.Get_I(), 2);

    form.ActionStop->trigger();
    ASSERT_TRUE(twtest::WaitUntil([&] { return !form.SimulationControl->RefreshLoopActive(); }));
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join("; ").toStdString();
}

TEST_F(FileCommandsTest, AChangedChipSettingMarksTheProjectModified)
{
    NewProjectWithSource("START: MOVLW 5\nLOOP: NOP\n GOTO LOOP\n");
    struct Case {
        const char* name;
        std::function<void()> user; // what the user does in the dialog
        bool modified;
    };
    const Case cases[] = {
        {"nothing changed", [] {}, false},
        {"the same value chosen again", [] { DllMCEntries.Set_config(2, DllMCEntries.Get_config(2)); }, false},
        {"one bit changed", [] { DllMCEntries.Set_config(2, !DllMCEntries.Get_config(2)); }, true},
    };
    int shown = 0;
    for (const Case& c : cases) {
        const TDeviceSettingsSink previous = SetDeviceSettingsSink([&](TDevice&) {
            ++shown;
            c.user();
        });
        form.exchange = false;
        form.OptionConfigBits1->trigger();
        SetDeviceSettingsSink(previous);
        EXPECT_EQ(form.exchange, c.modified) << c.name;
    }
    EXPECT_EQ(shown, 3);

    // Never during a run.
    ASSERT_TRUE(form.AsmChild->ToggleBreakpoint(1));
    form.ActionRun->trigger();
    ASSERT_TRUE(twtest::WaitUntil([&] { return DllMCEntries.Get_rtPause() != 0 && form.ActionRun->isEnabled(); }));
    const TDeviceSettingsSink previous = SetDeviceSettingsSink([&](TDevice&) { ++shown; });
    form.OptionConfigBits1->trigger();
    SetDeviceSettingsSink(previous);
    EXPECT_EQ(shown, 3);
    form.ActionStop->trigger();
    ASSERT_TRUE(twtest::WaitUntil([&] { return !form.SimulationControl->RefreshLoopActive(); }));
}

TEST_F(FileCommandsTest, EachFileDialogHasItsTitleFiltersAndExtension)
{
    NewProjectWithSource("START: MOVLW 5\n GOTO START\n");
    const QString all = "All supported formats (*.hex *.asm *.zemra)";
    struct Case {
        QAction* command;
        const char* title;
        QStringList filters;
        QString selected;
        const char* suffix;
        QFileDialog::AcceptMode mode;
    };
    const Case cases[] = {
        {form.FileOpen1, "Open project, asm or hex file",
         {"Intel HEX (*.hex)", "Assembler code (*.asm)", "ZEMRA project (*.zemra)", all}, all, "",
         QFileDialog::AcceptOpen},
        {form.FileSaveAs1, "Enter the name of the file to create", {"ZEMRA project (*.zemra)"},
         "ZEMRA project (*.zemra)", "zemra", QFileDialog::AcceptSave},
        {form.FileExportAsm1, "Export assembler source code", {"Assembler source code (*.asm)"},
         "Assembler source code (*.asm)", "asm", QFileDialog::AcceptSave},
        {form.FileExportHex1, "Export Intel HEX", {"Intel Hex (*.hex)"}, "Intel Hex (*.hex)", "hex",
         QFileDialog::AcceptSave},
    };
    for (const Case& c : cases) {
        answers.files.clear();
        c.command->trigger(); // cancelled: nothing changes
        ASSERT_EQ(answers.files.size(), 1u) << c.title;
        const twtest::ShownFileDialog& shown = answers.files[0];
        EXPECT_EQ(shown.title, c.title);
        EXPECT_EQ(shown.filters, c.filters) << c.title;
        EXPECT_EQ(shown.selectedFilter, c.selected) << c.title;
        EXPECT_EQ(shown.defaultSuffix, c.suffix) << c.title;
        EXPECT_EQ(shown.mode, c.mode) << c.title;
        if (c.mode == QFileDialog::AcceptSave) {
            EXPECT_TRUE(shown.confirmsOverwrite) << c.title;
        }
    }
    EXPECT_TRUE(form.AsmWindowOpen);
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join("; ").toStdString();
}

TEST_F(FileCommandsTest, ASavedProjectsFolderAndNameAreOfferedByEveryFileDialog)
{
    NewProjectWithSource("START: MOVLW 5\n GOTO START\n");
    form.FileOpen1->trigger();
    form.FileExportHex1->trigger();
    ASSERT_EQ(answers.files.size(), 2u);
    EXPECT_EQ(answers.files[1].proposed, QString()) << "a project without a file proposes no name";

    QDir(folder.path()).mkdir("work");
    answers.fileName = Path("work/board.v2.zemra");
    form.FileSaveAs1->trigger();
    ASSERT_TRUE(form.SaveDone);
    answers.fileName.clear();
    answers.files.clear();
    for (QAction* command : {form.FileOpen1, form.FileSaveAs1, form.FileExportAsm1, form.FileExportHex1})
        command->trigger();
    ASSERT_EQ(answers.files.size(), 4u);
    for (const twtest::ShownFileDialog& shown : answers.files)
        EXPECT_EQ(QDir(shown.folder), QDir(Path("work"))) << shown.title.toStdString();
    EXPECT_EQ(answers.files[1].proposed, Path("work/board.v2.zemra"));
    EXPECT_EQ(answers.files[2].proposed, Path("work/board.v2.asm"));
    EXPECT_EQ(answers.files[3].proposed, Path("work/board.v2.hex"));
    EXPECT_EQ(form.ProjectFileName, Path("work/board.v2.zemra"));
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join("; ").toStdString();
}

TEST_F(FileCommandsTest, HelpOpensTheMakersPages)
{
    QStringList opened;
    const TUrlSink previous = SetUrlSink([&](const QString& address) { opened << address; });
    form.HelpHelp->trigger();
    form.HelpDonateItem->trigger();
    SetUrlSink(previous);
    EXPECT_EQ(opened, (QStringList{GetText(0) + "help.html", GetText(0) + "donate.html"}));
}

} // namespace

} // namespace file_commands_test
