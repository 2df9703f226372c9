// Projects saved and opened through the main window, against the real
// corvel.so and the test device libraries in a program folder: a project
// with the chip and two wired devices comes back the same; every file that
// cannot be opened leaves nothing open and says why.
#include <algorithm>
#include <climits>
#include <random>
#include <tuple>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMdiArea>
#include <QMessageBox>
#include <QToolButton>

#include <gtest/gtest.h>

#include "ide/asm/source_edit.h"
#include "ide/asm/source_window.h"
#include "ide/files/project_devices.h"
#include "ide/main/main_form.h"
#include "ide/main/model_select_dialog.h"
#include "ide/main/simulation_control.h"
#include "ide/main/simulator_binding.h"
#include "ide/texts/texts.h"
#include "ide/workbench/pin_wiring_dialog.h"
#include "ide/workbench/workbench_window.h"
#include "ide_fixture.h"

namespace project_files_test {
namespace {

using LiveDevices = int (*)();
using twtest::WaitUntil;

// Answers the main window's dialogs as the test says and records which came.
class DialogAnswers {
public:
    DialogAnswers()
        : previous_(SetDialogSink([this](QDialog& dialog) { return Answer(dialog); }))
    {
    }
    ~DialogAnswers() { SetDialogSink(previous_); }

    QString model = "PIC12F508";      // empty: the model dialog is cancelled
    QString fileName;                 // empty: the file dialog is cancelled
    QMessageBox::StandardButton question = QMessageBox::No;
    QStringList shown;                // "model N", "file", "question"

private:
    int Answer(QDialog& dialog)
    {
        if (auto* choice = dynamic_cast<Tfrmopn*>(&dialog)) {
            shown << QStringLiteral("model %1").arg(choice->TypeOfCall);
            if (model.isEmpty())
                return QDialog::Rejected;
            choice->cbHexSelectMC->setCurrentIndex(choice->cbHexSelectMC->findText(model));
            choice->cbHexSelectMCChange();
            choice->Button1Click();
            return choice->result();
        }
        if (auto* files = dynamic_cast<QFileDialog*>(&dialog)) {
            shown << QStringLiteral("file");
            if (fileName.isEmpty())
                return QDialog::Rejected;
            files->selectFile(fileName);
            return QDialog::Accepted;
        }
        if (dynamic_cast<QMessageBox*>(&dialog)) {
            shown << QStringLiteral("question");
            return question;
        }
        ADD_FAILURE() << "unexpected dialog " << dialog.metaObject()->className();
        return QDialog::Rejected;
    }

    TDialogSink previous_;
};

// The workbench's pin dialog answered with one node name per port.
class WiringAnswer {
public:
    explicit WiringAnswer(QStringList nodes)
        : previous_(SetModalRunner([this, nodes](QDialog& dialog) {
            auto* wiring = dynamic_cast<TformNodes*>(&dialog);
            if (!wiring) {
                ADD_FAILURE() << "unexpected dialog " << dialog.metaObject()->className();
                return int(QDialog::Rejected);
            }
            ++shown;
            wiring->FormShow();
            for (int row = 0; row < nodes.size(); ++row)
                wiring->ValueEditor(row)->setEditText(nodes[row]);
            wiring->Button2Click();
            return int(QDialog::Accepted);
        }))
    {
    }
    ~WiringAnswer() { SetModalRunner(previous_); }
    int shown = 0;

private:
    TModalRunner previous_;
};

// One placed device as the workbench holds it.
struct PlacedDevice {
    int kind;
    QString type;
    QString family;
    QString model;
    QPoint position;
    QByteArray settings;

    bool operator==(const PlacedDevice&) const = default;
};

void PrintTo(const PlacedDevice& device, std::ostream* out)
{
    *out << device.kind << ' ' << device.type.toStdString() << '/' << device.family.toStdString() << '/'
         << device.model.toStdString() << " at (" << device.position.x() << ", " << device.position.y()
         << ") settings \"" << device.settings.toStdString() << '"';
}

class ProjectFilesTest : public testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::copy_file(twtest::binDir() / "corvel.so", folder.root() / "corvel.so");
        outputPath = folder.place("devlib_output", "devices/output.quodev");
        inputPath = folder.place("devlib_input", "devices/input.quodev");
        folder.place("devlib_null_device", "devices/nodevice.quodev");
        twtest::Search(host, folder);
        ASSERT_EQ(host.InfoDevices().size(), 4u);
        ASSERT_TRUE(files.isValid());
    }

    void TearDown() override
    {
        form.FileClose1->trigger();
        EXPECT_EQ(LiveDevices(outputPath), 0);
        EXPECT_EQ(LiveDevices(inputPath), 0);
    }

    QString Path(const QString& name) const { return QDir(files.path()).filePath(name); }

    static QByteArray Read(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    void Write(const QString& path, const QByteArray& bytes) const
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    // Devices of a test library made and not yet freed (-1: not loaded).
    static int LiveDevices(const QString& path)
    {
        const twtest::LoadedLibrary library(path);
        const char* hook = path.endsWith("output.quodev") ? "devlib_output_liveDevices" : "devlib_input_liveDevices";
        const auto live = library.hook<project_files_test::LiveDevices>(hook);
        return live ? live() : 0;
    }

    // A palette button's device placed on the workbench as the user places
    // it: the button pressed, a click at (x, y). Its index in Devices.
    int Place(const char* type, int x, int y)
    {
        const int infoIndex = twtest::InfoIndexOf(host, type);
        for (QToolButton* button : form.CompChild->PaletteButtons()) {
            if (button->property("infoIndex").toInt() != infoIndex)
                continue;
            button->setChecked(true);
            form.CompChild->ToolButtonClick(button);
            form.CompChild->PlaceDeviceAt(x, y);
            form.CompChild->btnPnlPointerClick();
            return host.Devices().length() - 1;
        }
        ADD_FAILURE() << "no palette button for " << type;
        return -1;
    }

    // The device's pins joined to the named nodes through its popup menu's
    // "Connect pins...".
    void Wire(int device, const QStringList& nodes)
    {
        WiringAnswer answer(nodes);
        form.CompChild->DeviceImageMouseDown(*host.Picture(device), mbRight, 0, 1, 1);
        form.CompChild->mnuPopupSetupPortsClick();
        EXPECT_EQ(answer.shown, 1);
    }

    std::vector<PlacedDevice> Placed() const
    {
        std::vector<PlacedDevice> placed;
        for (std::int32_t index = 0; index < host.Devices().length(); ++index) {
            const TDevice& device = *host.Devices()[index];
            const TArrayChar settings = device.SaveData();
            placed.push_back({device.DevType(), device.RCType().toQString(), device.RCFamily().toQString(),
                              device.RCModel().toQString(), host.Picture(index)->Position,
                              QByteArray(settings.begin(), settings.length())});
        }
        return placed;
    }

    // Every node by its name with its members as "device.port", in order.
    QStringList Wiring() const
    {
        QStringList wiring;
        for (const TNode* node : host.Nodes()) {
            QString line = NodeName(node) + ':';
            for (const TRCPort* port : node->Ports) {
                const TDevices& devices = host.Devices();
                const auto device = std::find(devices.begin(), devices.end(), port->Device) - devices.begin();
                const TRCPorts& pins = port->Device->Port;
                const auto pin = std::find(pins.begin(), pins.end(), port) - pins.begin();
                line += QStringLiteral(" %1.%2").arg(device).arg(pin);
            }
            wiring << line;
        }
        return wiring;
    }

    // What the engine holds of the chip's settings: its configuration bits
    // and clock.
    static QString EngineSettings()
    {
        QString bits;
        for (int bit = 0; bit < 12; ++bit)
            bits += QChar('0' + DllMCEntries.Get_config(bit));
        return bits + QStringLiteral(" %1 Hz").arg(DllMCEntries.Get_rtCrystalFreq());
    }

    // A new PIC12F508 project with some source, the chip at (120, 70) with
    // changed configuration bits and its own clock, an output device with
    // settings of its own on the node of the chip's second pin and an input
    // device on the fourth's; saved through Save As as `name`.
    void MakeWiredProject(const QString& name)
    {
        form.FileNew1->trigger();
        ASSERT_TRUE(form.AsmWindowOpen);
        form.AsmChild->RVE->setPlainText("; Переключатель 🔌\n\tMOVLW 5\n\n START: GOTO START ; end");
        // The chip dragged from (30, 50) by its point (5, 5).
        form.CompChild->DeviceImageMouseDown(*host.Picture(0), mbLeft, ssLeft, 5, 5);
        form.CompChild->DeviceImageMouseMove(*host.Picture(0), ssLeft, 95, 25);
        form.CompChild->DeviceImageMouseUp(*host.Picture(0), mbLeft, 0, 95, 25);
        ASSERT_EQ(host.Picture(0)->Position, QPoint(120, 70));
        TDevice& chip = *host.Devices()[0];
        QByteArray chipSettings(chip.SaveData().begin(), chip.SaveData().length());
        ASSERT_EQ(chipSettings.size(), 23);
        chipSettings[2] = chipSettings[2] == '1' ? '0' : '1';   // the watchdog
        chipSettings[4] = chipSettings[4] == '1' ? '0' : '1';   // MCLR
        chipSettings.replace(12, 10, "1000032768");             // a 32768 Hz crystal
        ApplyRecordSettings(chip, chipSettings);

        const int output = Place("Test outputs", 300, 60);
        const int input = Place("Test inputs", 260, 220);
        ASSERT_EQ(output, 1);
        ASSERT_EQ(input, 2);
        ApplyRecordSettings(*host.Devices()[output], "level 3");
        ASSERT_GE(host.Nodes().length(), 4);
        Wire(output, {NodeName(host.Nodes()[1])});
        Wire(input, {NodeName(host.Nodes()[3])});

        answers.fileName = Path(name);
        form.FileSave1->trigger(); // never saved: Save As
        ASSERT_TRUE(form.SaveDone);
    }

    twtest::ApplicationReady application;
    twtest::CapturedMessages messages;
    twtest::ProgramFolder folder;
    QTemporaryDir files;
    QString outputPath;
    QString inputPath;
    TDeviceHost host;
    TMainForm form{host};
    DialogAnswers answers;
};

TEST_F(ProjectFilesTest, AProjectWithWiredDevicesReopensTheSameAndSavesTheSameBytes)
{
    MakeWiredProject("wired.zemra");
    const QStringList lines = form.SourceLines();
    EXPECT_EQ(lines, QStringList({"; Переключатель 🔌", "\tMOVLW 5", "", " START: GOTO START ; end"}));
    const std::vector<PlacedDevice> placed = Placed();
    const QStringList wiring = Wiring();
    const QString engine = EngineSettings();
    ASSERT_EQ(placed.size(), 3u);
    EXPECT_EQ(placed[1].settings, "level 3");
    EXPECT_TRUE(engine.endsWith(" 32768 Hz")) << engine.toStdString();
    // The output pin joined the second pin's node, the input the fourth's.
    EXPECT_TRUE(wiring[1].endsWith(" 1.0")) << wiring[1].toStdString();
    EXPECT_TRUE(wiring[3].endsWith(" 2.0")) << wiring[3].toStdString();
    const QByteArray saved = Read(Path("wired.zemra"));

    form.FileClose1->trigger();
    ASSERT_FALSE(form.AsmWindowOpen);
    ASSERT_EQ(host.Devices().length(), 0);
    EXPECT_EQ(LiveDevices(outputPath), 0);
    // Scramble the engine's settings, so that only the file can bring them back.
    for (int bit = 0; bit < 12; ++bit)
        DllMCEntries.Set_config(bit, 0);

    answers.shown.clear();
    answers.fileName = Path("wired.zemra");
    form.FileOpen1->trigger();
    EXPECT_EQ(answers.shown, QStringList{"file"}) << "a project file needs no model dialog";
    ASSERT_TRUE(form.AsmWindowOpen);
    EXPECT_EQ(form.windowTitle(), GetText(1) + " - [" + Path("wired.zemra") + "]");
    EXPECT_EQ(form.ProjectFileName, Path("wired.zemra"));
    EXPECT_EQ(form.SourceLines(), lines);
    EXPECT_EQ(Placed(), placed);
    EXPECT_EQ(Wiring(), wiring);
    EXPECT_EQ(EngineSettings(), engine);
    EXPECT_FALSE(form.exchange);
    EXPECT_EQ(LiveDevices(outputPath), 1);
    EXPECT_EQ(LiveDevices(inputPath), 1);

    // Saved again unchanged: the very same bytes.
    form.FileSave1->trigger();
    ASSERT_TRUE(form.SaveDone);
    const QByteArray again = Read(Path("wired.zemra"));
    EXPECT_EQ(again.size(), saved.size());
    const auto differ = std::mismatch(saved.begin(), saved.end(), again.begin(), again.end());
    EXPECT_TRUE(again == saved) << "first difference at byte " << (differ.first - saved.begin());
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join("; ").toStdString();
}

// The little-endian 32-bit number at `at`.
std::int32_t Int32At(const QByteArray& bytes, qsizetype at)
{
    std::uint32_t value = 0;
    for (int shift = 0; shift < 4; ++shift)
        value |= std::uint32_t(std::uint8_t(bytes[at + shift])) << (8 * shift);
    return std::int32_t(value);
}

QByteArray WithInt32(QByteArray bytes, qsizetype at, std::int32_t value)
{
    for (int shift = 0; shift < 4; ++shift)
        bytes[at + shift] = char(std::uint32_t(value) >> (8 * shift));
    return bytes;
}

// A record's text (type at 1, family at 258, model at 515) replaced.
QByteArray WithText(QByteArray bytes, qsizetype at, const QByteArray& text)
{
    bytes[at] = char(text.size());
    bytes[at + 1] = char(text.size());
    bytes.replace(at + 2, text.size(), text);
    return bytes;
}

// Where things stand in the saved wired project.
struct Layout {
    explicit Layout(const QByteArray& bytes)
    {
        source = 44;
        const std::int32_t n = Int32At(bytes, 40);
        deviceTag = source + 2 * n;
        chip = deviceTag + 10;
        output = chip + 784 + Int32At(bytes, chip + 780);
        outputPorts = output + 784 + Int32At(bytes, output + 780);
        input = outputPorts + 257;
    }
    qsizetype source, deviceTag, chip, output, outputPorts, input;
};

constexpr qsizetype TypeAt = 1;
constexpr qsizetype FamilyAt = 258;
constexpr qsizetype ModelAt = 515;
constexpr qsizetype SizeAt = 780;

struct FailedLoad {
    const char* name;
    std::function<QByteArray(const QByteArray& good, const Layout& at)> file;
    // What the user is told, in order.
    std::function<QStringList(const QString& path)> told;
    // The dialogs the open shows after the Close question.
    QStringList dialogs = {};
};

QStringList Invalid(const QString&)
{
    return {QStringLiteral("Invalid file")};
}

TEST_F(ProjectFilesTest, EveryFileThatCannotBeOpenedLeavesNothingOpenAndSaysWhy)
{
    MakeWiredProject("good.zemra");
    const QByteArray good = Read(Path("good.zemra"));
    const Layout at(good);
    ASSERT_EQ(good.mid(at.deviceTag, 6), QByteArray("D\0E\0D\0", 6));
    ASSERT_EQ(good.size(), at.input + 784 + 257);

    std::vector<FailedLoad> cases = {
        {"not a project file", [](auto&, auto&) { return QByteArray("ZEMRA but not a project"); }, Invalid},
        {"an empty file", [](auto&, auto&) { return QByteArray(); }, Invalid},
        {"cut in the signature", [](auto& good, auto&) { return good.left(20); }, Invalid},
        {"cut in the source", [](auto& good, auto& at) { return good.left(at.source + 9); }, Invalid},
        {"a wrong device tag",
         [](auto& good, auto& at) {
             QByteArray bytes = good;
             bytes[at.deviceTag + 2] = 'd';
             return bytes;
         },
         Invalid},
        {"cut after the device tag", [](auto& good, auto& at) { return good.left(at.chip - 4); }, Invalid},
        {"cut in the chip's record", [](auto& good, auto& at) { return good.left(at.chip + 600); }, Invalid},
        {"cut in a device's settings", [](auto& good, auto& at) { return good.left(at.output + 787); }, Invalid},
        {"cut before the last device", [](auto& good, auto& at) { return good.left(at.input); }, Invalid},
        {"cut in the last port entry", [](auto& good, auto&) { return good.left(good.size() - 100); }, Invalid},
        {"an unknown device library",
         [](auto& good, auto& at) { return WithText(good, at.output + FamilyAt, "OUTPUX"); },
         [](const QString&) { return QStringList{GetText(1001) + " : OUTPUX Out1"}; }},
        {"a device its library cannot make",
         [](auto& good, auto& at) {
             return WithText(WithText(WithText(good, at.input + TypeAt, "No device"), at.input + FamilyAt, "FAULTY"),
                             at.input + ModelAt, "Model0");
         },
         [](const QString&) { return QStringList{GetText(1001) + " : FAULTY Model0"}; }},
        {"a model the system cannot simulate, the choice cancelled",
         [](auto& good, auto& at) { return WithText(good, at.chip + ModelAt, "PIC12F519"); },
         [](const QString&) { return QStringList{GetText(1000)}; }, {"model 4"}},
        {"a source length past the end", [](auto& good, auto&) { return WithInt32(good, 40, 0x7FFFFFFF); }, Invalid},
        {"a negative source length", [](auto& good, auto&) { return WithInt32(good, 40, -1); }, Invalid},
        {"no device record", [](auto& good, auto& at) { return WithInt32(good, at.chip - 4, -1); }, Invalid},
        {"a device count past the end", [](auto& good, auto& at) { return WithInt32(good, at.chip - 4, 1000); },
         Invalid},
        {"the largest device count", [](auto& good, auto& at) { return WithInt32(good, at.chip - 4, 0x7FFFFFFF); },
         Invalid},
        {"a settings size past the end",
         [](auto& good, auto& at) { return WithInt32(good, at.output + SizeAt, good.size()); }, Invalid},
        {"a negative settings size", [](auto& good, auto& at) { return WithInt32(good, at.input + SizeAt, -1); },
         Invalid},
        {"the chip's settings short", [](auto& good, auto& at) { return WithInt32(good, at.chip + SizeAt, 5); },
         Invalid},
        {"a letter in the chip's clock",
         [](auto& good, auto& at) {
             QByteArray bytes = good;
             bytes[at.chip + 784 + 15] = 'x';
             return bytes;
         },
         Invalid},
        {"a second microcontroller",
         [](auto& good, auto& at) {
             QByteArray bytes = WithInt32(good, at.chip - 4, 3);
             return bytes + good.mid(at.chip, at.output - at.chip) + QByteArray(6, '\0');
         },
         Invalid},
        {"a peripheral named as the microcontroller, the choice cancelled",
         [](auto& good, auto& at) {
             return WithText(WithText(good, at.chip + FamilyAt, "OUTPUT"), at.chip + ModelAt, "Out1");
         },
         [](const QString&) { return QStringList{GetText(1000)}; }, {"model 4"}},
        {"a file too large to be a project",
         [](auto&, auto&) { return QByteArray(); },
         [](const QString& path) { return QStringList{GetText(1010) + ' ' + path + "\nThe file is too large"}; }},
    };

    // Every model the system cannot simulate, as the model dialog refuses them.
    for (const char* refused : {"PIC16F505", "PIC16F506", "PIC16F526"})
        cases.push_back({refused,
                         [refused](auto& good, auto& at) { return WithText(good, at.chip + ModelAt, refused); },
                         [](const QString&) { return QStringList{GetText(1000)}; }, {"model 4"}});

    for (const FailedLoad& failed : cases) {
        SCOPED_TRACE(failed.name);
        const QString path = Path(QStringLiteral("failed.zemra"));
        Write(path, failed.file(good, at));
        if (failed.name == std::string("a file too large to be a project")) {
            QFile file(path);
            ASSERT_TRUE(file.resize(qint64(256) * 1024 * 1024 + 1)); // sparse: nothing is written
        }
        // A file's state as far as it can be compared cheaply.
        const auto state = [&path] {
            const QFileInfo info(path);
            return std::tuple(info.size(), info.lastModified(), info.size() < 1024 * 1024 ? Read(path) : QByteArray());
        };
        const auto before = state();

        // The project open before: modified, so Close asks first.
        answers.model = "PIC12F508";
        form.FileNew1->trigger();
        ASSERT_TRUE(form.AsmWindowOpen);
        form.AsmChild->RVE->setPlainText(" NOP");
        ASSERT_TRUE(form.exchange);
        messages.texts.clear();
        answers.shown.clear();
        answers.model.clear();

        form.OpenOrCreateProject(path, 2);

        EXPECT_EQ(answers.shown, QStringList{"question"} + failed.dialogs);
        // The Open command adds "Error open file" after the loader's word,
        // unless the loader has said it already with the system's reason.
        QStringList expected = failed.told(path);
        if (expected.isEmpty() || !expected.first().startsWith(GetText(1010) + ' '))
            expected << GetText(1010);
        EXPECT_EQ(messages.texts, expected);
        EXPECT_FALSE(form.AsmWindowOpen);
        EXPECT_EQ(form.AsmChild, nullptr);
        EXPECT_EQ(form.CompChild, nullptr);
        EXPECT_TRUE(form.MdiArea()->subWindowList().isEmpty());
        EXPECT_EQ(host.Devices().length(), 0);
        EXPECT_EQ(host.Nodes().length(), 0);
        EXPECT_EQ(LiveDevices(outputPath), 0);
        EXPECT_EQ(LiveDevices(inputPath), 0);
        EXPECT_TRUE(form.ProjectFileName.isEmpty());
        EXPECT_FALSE(form.exchange);
        EXPECT_EQ(form.windowTitle(), GetText(1));
        EXPECT_TRUE(state() == before) << "the file is never touched";
    }

    // Nothing of the failures stays in the way of the next project.
    answers.model = "PIC12F508";
    form.OpenOrCreateProject(Path("good.zemra"), 2);
    ASSERT_TRUE(form.AsmWindowOpen);
    EXPECT_EQ(host.Devices().length(), 3);
}

TEST_F(ProjectFilesTest, AFileThatCannotBeReadGivesThePlatformsReason)
{
    const QString path = Path("folder.zemra");
    ASSERT_TRUE(QDir(files.path()).mkdir("folder.zemra"));
    EXPECT_FALSE(form.LoadProject(path));
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].startsWith(GetText(1010) + ' ' + path + '\n')) << messages.texts[0].toStdString();
    EXPECT_GT(messages.texts[0].size(), (GetText(1010) + ' ' + path + '\n').size());
    EXPECT_FALSE(form.AsmWindowOpen);
    EXPECT_EQ(form.AsmChild, nullptr);
    EXPECT_EQ(host.Devices().length(), 0);
}

TEST_F(ProjectFilesTest, AChipTheSystemCannotSimulateIsReplacedByTheChosenModelWithItsDefaults)
{
    MakeWiredProject("wired.zemra");
    const std::vector<PlacedDevice> placed = Placed();
    const QStringList wiring = Wiring();
    const Layout at(Read(Path("wired.zemra")));
    Write(Path("refused.zemra"), WithText(Read(Path("wired.zemra")), at.chip + ModelAt, "PIC12F519"));

    // What a new PIC12F509 starts with.
    answers.model = "PIC12F509";
    form.FileNew1->trigger(); // the saved project closes without a question
    ASSERT_TRUE(form.AsmWindowOpen);
    const PlacedDevice fresh = Placed()[0];
    const QString freshEngine = EngineSettings();

    messages.texts.clear();
    answers.shown.clear();
    form.OpenOrCreateProject(Path("refused.zemra"), 2);
    EXPECT_EQ(answers.shown, QStringList{"model 4"});
    EXPECT_EQ(messages.texts, QStringList{GetText(1000)});
    ASSERT_TRUE(form.AsmWindowOpen);
    ASSERT_EQ(host.Devices().length(), 3);
    const std::vector<PlacedDevice> reopened = Placed();
    EXPECT_EQ(reopened[0].model, "PIC12F509");
    EXPECT_EQ(reopened[0].position, placed[0].position);
    EXPECT_EQ(reopened[0].settings, fresh.settings);
    EXPECT_NE(reopened[0].settings, placed[0].settings);
    EXPECT_EQ(EngineSettings(), freshEngine);
    EXPECT_EQ(reopened[1], placed[1]);
    EXPECT_EQ(reopened[2], placed[2]);
    EXPECT_EQ(Wiring(), wiring) << "the chosen chip's pins bear the same names";
    EXPECT_EQ(form.ProjectFileName, Path("refused.zemra"));
}

TEST_F(ProjectFilesTest, PicturesSavedOutOfReachAreBroughtOntoTheWorkbench)
{
    MakeWiredProject("wired.zemra");
    const QByteArray good = Read(Path("wired.zemra"));
    const Layout at(good);
    QByteArray far = WithInt32(WithInt32(good, at.chip + 772, -1), at.chip + 776, 2147483000);
    far = WithInt32(WithInt32(far, at.output + 772, INT_MAX), at.output + 776, INT_MAX);
    far = WithInt32(WithInt32(far, at.input + 772, -5000), at.input + 776, INT_MIN);
    Write(Path("far.zemra"), far);

    form.OpenOrCreateProject(Path("far.zemra"), 2);
    ASSERT_TRUE(form.AsmWindowOpen);
    ASSERT_EQ(host.Devices().length(), 3);
    const QPoint chip = host.Picture(0)->Position;
    const QPoint output = host.Picture(1)->Position;
    const QPoint input = host.Picture(2)->Position;
    EXPECT_EQ(chip.x(), 0);
    EXPECT_EQ(output.x(), output.y());
    EXPECT_EQ(input, QPoint(0, 0));
    EXPECT_EQ(chip.y(), output.y());
    // Far, but within the reach of the workbench's scroll bars.
    EXPECT_GE(output.x(), 10000);
    EXPECT_LE(output.x() + host.Picture(1)->Image.width(), QWIDGETSIZE_MAX);
    const QWidget* canvas = form.CompChild->Canvas();
    EXPECT_GE(canvas->width(), output.x() + host.Picture(1)->Image.width());
    EXPECT_GE(canvas->height(), output.y() + host.Picture(1)->Image.height());
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join("; ").toStdString();
}

// Damaged copies of a wired project opened one after another: each either
// opens whole (the chip first with a node per pin, every wired pin a member
// of its node) or leaves nothing open. Seeded, so a failure repeats.
TEST_F(ProjectFilesTest, DamagedCopiesOpenWholeOrNotAtAll)
{
    MakeWiredProject("wired.zemra");
    const QByteArray good = Read(Path("wired.zemra"));
    const Layout at(good);
    // The places worth damaging: the chip's texts, position and settings,
    // the devices' texts, sizes and settings, and the port entries.
    const std::vector<std::pair<qsizetype, qsizetype>> areas = {
        {at.chip, at.output}, {at.output, at.outputPorts}, {at.outputPorts, at.input}, {at.input, good.size()}};
    std::mt19937 random(20261211);
    int opened = 0;
    for (int round = 0; round < 150; ++round) {
        SCOPED_TRACE(round);
        QByteArray bytes = good;
        const auto& [from, to] = areas[std::size_t(round) % areas.size()];
        for (int change = 1 + int(random() % 3); change > 0; --change) {
            const qsizetype where = from + qsizetype(random() % std::uint32_t(to - from));
            bytes[where] = char(random() % 4 == 0 ? '0' + random() % 10 : random());
        }
        Write(Path("damaged.zemra"), bytes);
        answers.model = "PIC12F508";
        form.OpenOrCreateProject(Path("damaged.zemra"), 2);
        if (!form.AsmWindowOpen) {
            EXPECT_EQ(form.AsmChild, nullptr);
            EXPECT_EQ(host.Devices().length(), 0);
            EXPECT_EQ(host.Nodes().length(), 0);
            EXPECT_EQ(LiveDevices(outputPath), 0);
            EXPECT_EQ(LiveDevices(inputPath), 0);
            continue;
        }
        ++opened;
        ASSERT_GE(host.Devices().length(), 1);
        EXPECT_EQ(host.Devices()[0]->DevType(), 0);
        EXPECT_EQ(host.Nodes().length(), host.Devices()[0]->Port.length());
        for (std::int32_t index = 1; index < host.Devices().length(); ++index) {
            EXPECT_NE(host.Devices()[index]->DevType(), 0);
            for (const TRCPort* pin : host.Devices()[index]->Port)
                if (pin->Node)
                    EXPECT_TRUE(std::find(pin->Node->Ports.begin(), pin->Node->Ports.end(), pin)
                                != pin->Node->Ports.end());
        }
        const QPoint position = host.Picture(0)->Position;
        EXPECT_TRUE(position.x() >= 0 && position.y() >= 0);
        form.FileClose1->trigger();
    }
    // Most damage lands in texts, positions and settings a project survives.
    EXPECT_GT(opened, 10);
}

// The wiring a project file brings back carries levels into a run: the
// output device's level on the second pin is what the program reads there.
TEST_F(ProjectFilesTest, TheReopenedWiringCarriesTheDevicesLevelIntoARun)
{
    form.FileNew1->trigger();
    ASSERT_TRUE(form.AsmWindowOpen);
    form.AsmChild->RVE->setPlainText(" MOVF 6,W ; GPIO\n MOVWF 10H\nLOOP: GOTO LOOP");
    const int output = Place("Test outputs", 300, 60);
    ASSERT_EQ(output, 1);
    Wire(output, {NodeName(host.Nodes()[1])});
    answers.fileName = Path("levels.zemra");
    form.FileSave1->trigger();
    ASSERT_TRUE(form.SaveDone);
    form.FileClose1->trigger();
    ASSERT_EQ(host.Devices().length(), 0);

    form.OpenOrCreateProject(Path("levels.zemra"), 2);
    ASSERT_TRUE(form.AsmWindowOpen);
    ASSERT_EQ(host.Devices().length(), 2);
    const twtest::LoadedLibrary library(outputPath);
    using SetOutputLevel = void (*)(TDevice*, float);
    const auto setLevel = library.hook<SetOutputLevel>("devlib_output_setLevel");
    ASSERT_NE(setLevel, nullptr);
    ASSERT_TRUE(form.AsmChild->ToggleBreakpoint(2));

    for (const float level : {5.0f, 0.0f, 5.0f}) {
        SCOPED_TRACE(level);
        setLevel(host.Devices()[1], level);
        form.ActionRun->trigger();
        ASSERT_TRUE(WaitUntil([&] { return DllMCEntries.Get_rtPause() != 0 && form.ActionRun->isEnabled(); }))
            << messages.texts.join("; ").toStdString() << " at " << DllMCEntries.Get_I();
        EXPECT_EQ(DllMCEntries.Get_I(), 2);
        EXPECT_EQ(DllMCEntries.Get_RAM(0x10, 1), level > 0 ? 1 : 0);
        form.ActionStop->trigger();
        ASSERT_TRUE(WaitUntil([&] { return !form.SimulationControl->RefreshLoopActive(); }));
    }
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join("; ").toStdString();
}

} // namespace

} // namespace project_files_test
