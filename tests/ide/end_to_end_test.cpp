// One user's session through the main window's commands, against the real
// corvel.so, for one model of each family: New, a typed program, a line
// breakpoint, Run until it stops there (the views show the registers), Stop,
// Save, Close, Open, Export Intel HEX (the file is gpasm's for the same
// program) and ASM, Open of that HEX file (the listing assembles back to the
// same words) and of the exported source. Every dialog is answered by the test.
#include <cstdio>

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "end_to_end_dialogs.h"
#include "files/files_support.h"
#include "ide/asm/source_edit.h"
#include "ide/asm/source_window.h"
#include "ide/files/program_memory.h"
#include "ide/main/main_form.h"
#include "ide/main/register_views.h"
#include "ide/main/simulation_control.h"
#include "ide/main/simulator_binding.h"
#include "ide/texts/texts.h"
#include "ide_fixture.h"

namespace end_to_end_test {
namespace {

using twtest::WaitUntil;

struct FamilyModel {
    const char* name;      // as the model dialog lists it
    const char* processor; // as gpasm names it
    std::int32_t romSize;
    std::uint16_t config;  // the configuration word the user chooses
};

void PrintTo(const FamilyModel& model, std::ostream* out)
{
    *out << model.name;
}

const FamilyModel kFamilyModels[] = {
    {"PIC10F200", "p10f200", 256, 0xFEB},
    {"PIC12F508", "p12f508", 512, 0xFEA},
    {"PIC16F54", "p16f54", 512, 0xFF9},
    {"PIC16F57", "p16f57", 2048, 0xFFA}, // four pages
};

// The line of the program where the run stops, and the words before it.
constexpr int BreakpointLine = 4;
constexpr std::int32_t BreakpointWord = 3;

// A program as a user types it, one that gpasm assembles unchanged: a loop to
// stop in, a call, then instructions of every kind up to the last word a
// program may use (the model's last word is its reset word).
QStringList TypedProgram(std::int32_t romSize)
{
    QStringList lines{
        "COUNT EQU 10H",
        "START: MOVLW 5",
        " MOVWF COUNT",
        "LOOP: INCF COUNT,F",
        " NOP",
        " GOTO LOOP",
        " CALL SUB",
        "SUB: RETLW 0FFH",
    };
    std::int32_t words = 7;
    const char* const kinds[] = {
        " MOVLW %d",   " XORWF 11H,W", " BSF 6H,%d",  " BTFSC 3H,2", " ADDWF 12H,F", " IORLW 0%02XH",
        " SWAPF 10H,W", " RLF 13H,F",  " CLRF 14H",   " ANDLW 0F0H", " CALL SUB",    " GOTO LOOP",
        " DECFSZ COUNT,F", " CLRWDT",  " COMF 15H,F", " BCF 6H,%d",  " RETLW %d",    " MOVF 10H,W",
        " CLRW",       " SUBWF 11H,W", " BTFSS 3H,0",  " RRF 13H,W", " XORLW 55H",   " INCFSZ 12H,F",
    };
    for (int kind = 0; words < romSize - 2; ++words, kind = (kind + 1) % int(std::size(kinds))) {
        char line[40];
        std::snprintf(line, sizeof line, kinds[kind], (words * 7) % (kind == 2 || kind == 15 ? 8 : 256));
        lines << QString::fromLatin1(line);
    }
    lines << "LAST: GOTO START";
    return lines;
}

// The same program as a gpasm source for `model`, with its configuration word.
std::string GpasmSource(const FamilyModel& model, const QStringList& program)
{
    char head[120];
    std::snprintf(head, sizeof head, "\tprocessor %s\n\tradix dec\n\t__config 0x%03X\n", model.processor,
                  model.config);
    return head + program.join('\n').toStdString() + "\n\tend\n";
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every program word as corvel holds it.
std::vector<std::uint16_t> ProgramWords()
{
    TBoundProgramMemory memory;
    std::vector<std::uint16_t> words;
    for (std::int32_t address = 0; address < memory.RomSize(); ++address)
        words.push_back(memory.Word(address));
    return words;
}

// The register row of the views whose address column reads `address`.
const TPSfr* RowAt(const std::vector<TPSfr>& rows, const QString& address)
{
    for (const TPSfr& row : rows)
        if (row.edtAddr && row.edtAddr->text() == address)
            return &row;
    return nullptr;
}

class EndToEndTest : public testing::TestWithParam<FamilyModel> {
protected:
    void SetUp() override
    {
        host.SearchDeviceFiles([](const QString&) {}, QString::fromStdString(twtest::binDir().string()));
        ASSERT_EQ(host.InfoDevices().size(), 1u);
        ASSERT_TRUE(folder.isValid());
        // The register rows are laid out only in a window that has a size.
        form.setAttribute(Qt::WA_DontShowOnScreen);
        form.show();
    }
    void TearDown() override { RefreshDone = false; }

    QString Path(const QString& name) const { return QDir(folder.path()).filePath(name); }

    twtest::ApplicationReady application;
    twtest::CapturedMessages messages;
    QTemporaryDir folder;
    TDeviceHost host;
    TMainForm form{host};
    twtest::DialogAnswers answers;
};

TEST_P(EndToEndTest, NewRunSaveOpenExportAndImportAsGpasmSeesIt)
{
    const FamilyModel& model = GetParam();
    if (!filestest::GpasmInstalled())
        GTEST_SKIP() << "gpasm is not installed";
    answers.model = model.name;

    // New: the model dialog, an empty editor and the chip.
    form.FileNew1->trigger();
    ASSERT_EQ(answers.shown, QStringList{"model 1"});
    ASSERT_TRUE(form.AsmWindowOpen);
    ASSERT_EQ(host.Devices().length(), 1);
    EXPECT_EQ(host.Devices()[0]->RCModel().toQString(), model.name);
    ASSERT_EQ(DllMCEntries.Get_ROM_Size(), model.romSize);

    // The program typed in, a breakpoint set on the NOP in the loop.
    const QStringList program = TypedProgram(model.romSize);
    form.AsmChild->RVE->setPlainText(program.join('\n'));
    EXPECT_TRUE(form.exchange);
    ASSERT_EQ(program[BreakpointLine], " NOP");
    ASSERT_TRUE(form.AsmChild->ToggleBreakpoint(BreakpointLine));

    // Run stops at the breakpoint; the views show W, COUNT and the PC.
    form.ActionRun->trigger();
    ASSERT_TRUE(WaitUntil([&] { return DllMCEntries.Get_rtPause() != 0 && form.ActionRun->isEnabled(); }));
    EXPECT_EQ(DllMCEntries.Get_I(), BreakpointWord);
    ASSERT_TRUE(WaitUntil([&] { return form.RegisterViews()->txtPChex->text() == "0003"; }));
    TRegisterViews& views = *form.RegisterViews();
    ASSERT_FALSE(views.SfrRows.empty());
    EXPECT_EQ(views.SfrRows[0].edtName->text(), "W");
    EXPECT_EQ(views.SfrRows[0].edtHex->text(), "05");
    const TPSfr* count = RowAt(views.GprRows, "010");
    ASSERT_NE(count, nullptr) << "no row of the views shows register 10H";
    EXPECT_EQ(count->edtHex->text(), "06");
    EXPECT_TRUE(form.AsmChild->RVE->isReadOnly());

    // Breakpoints moved during the pause count when the run resumes: the
    // NOP's is cleared, the GOTO's set. The run stops on the GOTO, and
    // after one more round on it again, never on the NOP.
    ASSERT_TRUE(form.AsmChild->ToggleBreakpoint(BreakpointLine));
    ASSERT_TRUE(form.AsmChild->ToggleBreakpoint(BreakpointLine + 1));
    for (const int expectedCount : {6, 7}) {
        form.ActionRun->trigger();
        ASSERT_TRUE(WaitUntil([&] { return DllMCEntries.Get_rtPause() != 0 && form.ActionRun->isEnabled(); }));
        EXPECT_EQ(DllMCEntries.Get_I(), BreakpointWord + 1);
        int countValue = 0;
        for (int bit = 0; bit < 8; ++bit)
            countValue |= DllMCEntries.Get_RAM(0x10, bit) << bit;
        EXPECT_EQ(countValue, expectedCount);
    }

    form.ActionStop->trigger();
    ASSERT_TRUE(WaitUntil([&] { return !form.SimulationControl->RefreshLoopActive(); }));
    EXPECT_FALSE(form.AsmChild->RVE->isReadOnly());

    // Configuration Bits: the user chooses the configuration word in the
    // chip's settings.
    form.exchange = false;
    int settingsShown = 0;
    const TDeviceSettingsSink previous = SetDeviceSettingsSink([&](TDevice&) {
        ++settingsShown;
        for (std::int32_t bit = 0; bit < 12; ++bit)
            DllMCEntries.Set_config(bit, (model.config >> bit) & 1);
    });
    form.OptionConfigBits1->trigger();
    SetDeviceSettingsSink(previous);
    EXPECT_EQ(settingsShown, 1);
    EXPECT_TRUE(form.exchange) << "a changed configuration is a change of the project";
    const std::uint16_t config = ConfigWord(TBoundProgramMemory());

    // Save: a project never saved asks for its name.
    const QString project = Path("session.zemra");
    answers.fileName = project;
    answers.shown.clear();
    form.FileSave1->trigger();
    ASSERT_TRUE(form.SaveDone);
    EXPECT_EQ(answers.shown, QStringList{"file"});
    EXPECT_EQ(form.windowTitle(), GetText(1) + " - [" + project + "]");
    EXPECT_FALSE(form.exchange);

    // Close without a question, Open without the model dialog.
    answers.shown.clear();
    form.FileClose1->trigger();
    ASSERT_FALSE(form.AsmWindowOpen);
    EXPECT_EQ(host.Devices().length(), 0);
    form.FileOpen1->trigger();
    ASSERT_TRUE(form.AsmWindowOpen);
    EXPECT_EQ(answers.shown, QStringList{"file"});
    EXPECT_EQ(form.SourceLines().mid(0, program.size()), program);
    EXPECT_EQ(host.Devices()[0]->RCModel().toQString(), model.name);
    EXPECT_EQ(ConfigWord(TBoundProgramMemory()), config) << "the configuration comes back with the project";
    EXPECT_EQ(form.ProjectFileName, project);

    // Export Intel HEX: the file gpasm writes for the same program.
    const QString hex = Path("SESSION.HEX");
    answers.fileName = hex;
    answers.shown.clear();
    form.FileExportHex1->trigger();
    EXPECT_EQ(answers.shown, QStringList{"file"});
    const QByteArray ours = ReadAll(hex);
    ASSERT_FALSE(ours.isEmpty());
    std::string diagnostics;
    const auto gpasm = filestest::Gpasm(GpasmSource(model, program), model.processor, true, &diagnostics);
    ASSERT_TRUE(gpasm) << diagnostics;
    const auto ourBytes = filestest::StrictHexBytes(ours);
    ASSERT_TRUE(ourBytes) << "not a sound Intel HEX file:\n" << ours.toStdString();
    EXPECT_EQ(*ourBytes, gpasm->bytes);
    QList<QByteArray> gpasmLines = gpasm->hex.split('\n');
    // gpasm opens with an extended address record of upper address 0.
    gpasmLines.removeAll(":020000040000FA\r");
    EXPECT_EQ(ours.split('\n'), gpasmLines);
    EXPECT_TRUE(ours.endsWith(":00000001FF\r\n"));

    // Export ASM: the source as typed.
    const QString source = Path("session.asm");
    answers.fileName = source;
    form.FileExportAsm1->trigger();
    ASSERT_TRUE(QFile::exists(source));

    // Open the HEX file: the program comes back as a listing that assembles
    // to the same words.
    answers.fileName = hex;
    answers.shown.clear();
    answers.question = QMessageBox::No;
    form.FileOpen1->trigger();
    EXPECT_EQ(answers.shown, (QStringList{"file", "model 3"}));
    ASSERT_TRUE(form.AsmWindowOpen);
    EXPECT_EQ(form.ProjectFileName, QString());
    EXPECT_FALSE(form.exchange);
    const std::vector<std::uint16_t> imported = ProgramWords();
    const auto expected = filestest::WordsOf(gpasm->bytes, 0, model.romSize);
    ASSERT_EQ(expected.size(), std::size_t(model.romSize - 1));
    for (const auto& [address, word] : expected)
        ASSERT_EQ(imported[std::size_t(address)], word) << "imported word " << address;
    EXPECT_EQ(ConfigWord(TBoundProgramMemory()) & 0xFF, config & 0xFF);
    const QStringList listing = form.SourceLines();
    ASSERT_GE(listing.size(), model.romSize - 1);
    EXPECT_EQ(listing[0], "lbl3:MOVLW 05h") << "START is referred to third, first by the last word";
    EXPECT_EQ(listing[model.romSize - 2], "GOTO lbl3");

    ASSERT_TRUE(form.AssembleSource()) << messages.texts.join("; ").toStdString();
    EXPECT_EQ(ProgramWords(), imported);

    // Open the exported source: the typed program, assembling to the same
    // words once more.
    answers.fileName = source;
    answers.shown.clear();
    form.FileOpen1->trigger();
    EXPECT_EQ(answers.shown, (QStringList{"file", "model 2"}));
    ASSERT_TRUE(form.AsmWindowOpen);
    EXPECT_EQ(form.SourceLines().mid(0, program.size()), program);
    ASSERT_TRUE(form.AssembleSource()) << messages.texts.join("; ").toStdString();
    EXPECT_EQ(ProgramWords(), imported);
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join("; ").toStdString();
}

INSTANTIATE_TEST_SUITE_P(OneModelOfEachFamily, EndToEndTest, testing::ValuesIn(kFamilyModels));

} // namespace

} // namespace end_to_end_test
