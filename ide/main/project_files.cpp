// A project to and from its file: the file's description applied to the
// windows, the libraries and the devices, and the open project described for
// saving. A load that fails anywhere leaves nothing behind.
#include <algorithm>

#include <QStringList>

#include "ide/asm/source_window.h"
#include "ide/files/project_devices.h"
#include "ide/files/project_file.h"
#include "ide/main/main_form.h"
#include "ide/main/model_select_dialog.h"
#include "ide/main/user_message.h"
#include "ide/texts/texts.h"
#include "ide/workbench/workbench_window.h"

namespace {

constexpr std::int32_t ModelNotSupportedText = 1000;
constexpr std::int32_t UnknownDeviceText = 1001;
constexpr std::int32_t ErrorOpenFileText = 1010;

// A saved picture stands between the workbench's corner and far out, within
// reach of its scroll bars and of the arithmetic on a picture's area; a file
// may say anything.
constexpr std::int32_t FarthestPosition = 100000;

QString RecordText(const QByteArray& bytes)
{
    return QString::fromUtf8(bytes);
}

std::int32_t Reachable(std::int32_t position)
{
    return std::clamp(position, 0, FarthestPosition);
}

} // namespace

QStringList TMainForm::SourceLines() const
{
    QStringList lines;
    if (AsmChild)
        for (int line = 0; line < AsmChild->LineCount(); ++line)
            lines << AsmChild->LineText(line);
    return lines;
}

bool TMainForm::SaveProject(const QString& fileName)
{
    const TProjectDescription project = DescribeProject(SourceTextFromLines(SourceLines()), host_);
    QString error;
    if (!WriteProjectFile(fileName, project, &error)) {
        ShowUserMessage(GetText(ErrorOpenFileText) + QLatin1Char(' ') + fileName + QLatin1Char('\n') + error);
        return false;
    }
    ProjectFileName = fileName;
    exchange = false;
    return true;
}

// The number of pins of the device a peripheral record's library makes: one
// device is made and freed again to count them.
std::optional<std::int32_t> TMainForm::PeripheralPortCount(const TProjectDevice& record)
{
    const std::int32_t infoIndex = FindPeripheralLibrary(host_, record);
    if (infoIndex < 0 || !host_.LoadDeviceLibrary(infoIndex))
        return std::nullopt;
    const TDeviceLibraryInfo& library = *host_.InfoDevices()[std::size_t(infoIndex)];
    if (!library.Get_Device_class)
        return std::nullopt;
    TDevice* device = library.Get_Device_class(ParentWindow());
    if (!device)
        return std::nullopt;
    const std::int32_t pins = device->Port.length();
    delete device;
    return pins;
}

bool TMainForm::LoadProject(const QString& fileName)
{
    QString error;
    LoadErrorShown = false;
    const TProjectReadResult read = ReadProjectFile(
        fileName, [this](const TProjectDevice& record) { return PeripheralPortCount(record); }, &error);
    if (read.fault == TProjectFault::Unreadable) {
        ShowUserMessage(GetText(ErrorOpenFileText) + QLatin1Char(' ') + fileName + QLatin1Char('\n') + error);
        LoadErrorShown = true;
        return false;
    }
    if (!read.ok()) {
        ShowUserMessage(QString::fromLatin1(kInvalidFileText));
        return false;
    }
    if (read.unmadeDevice) {
        // A device the project needs cannot be made: nothing of it is opened.
        ShowUserMessage(GetText(UnknownDeviceText) + QStringLiteral(" : ") + RecordText(read.unmadeDevice->family)
                        + QLatin1Char(' ') + RecordText(read.unmadeDevice->model));
        return false;
    }
    const TProjectDescription& project = read.project;
    const TProjectDevice& chipRecord = project.devices.front();

    // The microcontroller: its library bound for its model, or the user's
    // choice of another when the system cannot simulate it.
    const TChipLibrary chip = FindChipLibrary(host_, chipRecord);
    const bool known = chip.infoIndex >= 0 && !Tfrmopn::IsRefusedModel(RecordText(chipRecord.model));
    if (known) {
        host_.MCUInfoIndex = chip.infoIndex;
        host_.MCUModelIndex = chip.modelIndex;
        if (!LoadDllMC())
            return false;
    } else {
        ShowUserMessage(GetText(ModelNotSupportedText));
        Tfrmopn& dialog = ModelDialog();
        dialog.TypeOfCall = mcReselect;
        dialog.NameOfImportFile.clear();
        if (ExecUserDialog(dialog) != QDialog::Accepted)
            return false;
    }

    SetUpProjectWindows(fileName);
    AsmChild->SetText(project.source);
    ProjectFileName = fileName;
    const auto fail = [this] {
        FreeProjectWindows();
        ProjectFileName.clear();
        exchange = false;
        return false;
    };

    // A chip chosen in place of an unknown one keeps its default settings.
    TDevice* chipDevice = host_.CreateDevice(host_.MCUInfoIndex, CompChild, Reachable(chipRecord.x),
                                            Reachable(chipRecord.y));
    if (!chipDevice)
        return fail();
    if (known)
        ApplyRecordSettings(*chipDevice, chipRecord.saveData);
    host_.CreateNodesForDevice(0);

    for (std::size_t index = 1; index < project.devices.size(); ++index) {
        const TProjectDevice& record = project.devices[index];
        TDevice* device = host_.CreateDevice(FindPeripheralLibrary(host_, record), CompChild, Reachable(record.x),
                                             Reachable(record.y));
        if (!device)
            return fail();
        ApplyRecordSettings(*device, record.saveData);
        WireDevicePorts(*device, record.ports, host_.Nodes());
    }
    exchange = false;
    return true;
}
