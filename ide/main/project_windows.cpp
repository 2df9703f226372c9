// Getting a project onto the screen: its two windows, the chosen
// microcontroller on the workbench, the editor in its working state; the
// model dialog that starts a new or imported project; and what a run asks of
// the project's windows.
#include <algorithm>

#include <QFile>
#include <QMdiArea>
#include <QScrollBar>

#include "ide/asm/assembler.h"
#include "ide/asm/disassembly_source.h"
#include "ide/asm/source_edit.h"
#include "ide/asm/source_window.h"
#include "ide/files/file_access.h"
#include "ide/files/intel_hex.h"
#include "ide/files/program_memory.h"
#include "ide/files/source_file.h"
#include "ide/main/command_pictures.h"
#include "ide/main/main_form.h"
#include "ide/main/model_select_dialog.h"
#include "ide/main/register_views.h"
#include "ide/main/simulator_binding.h"
#include "ide/main/user_message.h"
#include "ide/texts/texts.h"
#include "ide/workbench/workbench_window.h"

namespace {

constexpr std::int32_t ProductText = 1;
constexpr std::int32_t EditorCaptionText = 3;
constexpr std::int32_t WorkbenchCaptionText = 4;

// Where a new project's microcontroller stands on the workbench.
constexpr std::int32_t ChipX = 30;
constexpr std::int32_t ChipY = 50;

constexpr std::int32_t ErrorOpenFileText = 1010;
// Far more than any program memory's source could use.
constexpr qint64 LargestSourceFile = 16 * 1024 * 1024;

} // namespace

void TMainForm::SetUpProjectWindows(const QString& fileName)
{
    AsmChild = new TMDIChild;
    MdiArea()->addSubWindow(AsmChild);
    AsmChild->setWindowTitle(GetText(EditorCaptionText));
    AsmChild->SetText(QString());
    connect(AsmChild, &TMDIChild::Modified, this, [this] { exchange = true; });
    AsmChild->show();

    CompChild = CreateWorkbenchWindow(MdiArea(), host_);
    CompChild->setWindowTitle(GetText(WorkbenchCaptionText));

    // The editor on the left, the workbench beside it, as far as the area
    // allows; each keeps a usable size when the area is small.
    AsmChild->setWindowIcon(CommandIcon(TCommandPicture::New));
    CompChild->setWindowIcon(CommandIcon(TCommandPicture::Rate));
    const QSize area = MdiArea()->viewport()->size();
    const int editorWidth = std::max(320, area.width() * 2 / 5);
    AsmChild->setGeometry(0, 0, editorWidth, std::max(240, area.height()));
    CompChild->setGeometry(editorWidth, 0, std::max(320, area.width() - editorWidth), std::max(240, area.height()));

    setWindowTitle(GetText(ProductText) + QStringLiteral(" - [") + fileName + QStringLiteral("]"));
}

bool TMainForm::PlaceSelectedMcu(TfrmChildComp* workbench)
{
    // The previous project's devices were freed when it closed.
    if (!host_.CreateDevice(host_.MCUInfoIndex, workbench, ChipX, ChipY))
        return false;
    return host_.CreateNodesForDevice(0);
}

void TMainForm::AfterProjectLoad()
{
    if (!AsmChild)
        return;
    AsmChild->AfterLoad();
    AsmWindowOpen = true;
    AsmChild->RVE->verticalScrollBar()->setValue(0);
    UpdateActions();
}

void TMainForm::FreeProjectWindows()
{
    StopSimulationAndWait();
    SimulationControl->ForgetRun();
    host_.ClearDevicesAndNodes();
    AsmWindowOpen = false;
    // The sub-windows go at once: nothing may reach a half-closed editor.
    if (AsmChild) {
        MdiArea()->removeSubWindow(AsmChild);
        delete std::exchange(AsmChild, nullptr);
    }
    if (CompChild) {
        MdiArea()->removeSubWindow(CompChild);
        delete std::exchange(CompChild, nullptr);
    }
    setWindowTitle(GetText(ProductText));
    // No project, nothing to show: the views go empty and stay so until a
    // project (or a run) refreshes them. The run has ended: no register
    // breakpoint is in use.
    RegisterViews()->ClearRegisterBreakpoints();
    RefreshDone = false;
    RegisterViews()->ClearAllRegAndCounters();
}

// ---- The model dialog

Tfrmopn& TMainForm::ModelDialog()
{
    if (!frmopn_)
        frmopn_ = new Tfrmopn(
            host_, [this] { return LoadDllMC(); },
            [this](std::uint8_t typeOfCall, const QString& importFile) { return ModelChosen(typeOfCall, importFile); },
            this);
    return *frmopn_;
}

bool TMainForm::ModelChosen(std::uint8_t typeOfCall, const QString& importFile)
{
    if (typeOfCall == mcReselect)
        return true;

    SetUpProjectWindows(QString());
    if (!PlaceSelectedMcu(CompChild)) {
        FreeProjectWindows();
        return false;
    }
    if (typeOfCall == mcImportAsm) {
        QByteArray bytes;
        QString error;
        if (ReadFileBounded(importFile, LargestSourceFile, &bytes, &error) != TReadResult::Read) {
            ShowUserMessage(GetText(ErrorOpenFileText) + QLatin1Char(' ') + importFile + QLatin1Char('\n') + error);
            FreeProjectWindows();
            return false;
        }
        AsmChild->SetText(DecodeSourceFile(bytes));
    } else if (typeOfCall == mcImportHex) {
        TBoundProgramMemory memory;
        if (!ImportIntelHex(importFile, memory)) {
            ShowUserMessage(HexErrorText);
            // Nothing of the failed import stays: no editor, workbench,
            // chip or node.
            FreeProjectWindows();
            return false;
        }
        TBoundInstructionSource instructions;
        AsmChild->SetText(DisassembleProgram(instructions).lines.join(QLatin1Char('\n')));
    }
    AfterProjectLoad();
    ShowAllRegAndCounters();
    return true;
}

// ---- What a run needs of the project's windows

bool TMainForm::AssembleSource()
{
    if (!AsmChild)
        return false;
    return CompileAll(*AsmChild, AsmChild->ProgramSizeInWord);
}

void TMainForm::StartDeviceRedraw()
{
    if (CompChild)
        CompChild->RunRefresh();
}

void TMainForm::SetSourceReadOnly(bool readOnly)
{
    if (!AsmChild || AsmChild->RVE->isReadOnly() == readOnly)
        return;
    AsmChild->SetRunning(readOnly);
    if (readOnly)
        AsmChild->StartExecutingMarker();
}

void TMainForm::SetAutoCheck(bool on)
{
    if (AsmChild)
        AsmChild->autoCheck = on;
}

void TMainForm::ClearSourceBreakpoints()
{
    if (AsmChild)
        AsmChild->ClearAllBreakpoints();
}
