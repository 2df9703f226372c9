// The File, Edit, Window and Help commands: projects created, opened,
// imported, saved, exported and closed (with the question about unsaved
// changes), the editing commands on the focused text control, the windows of
// the project, and the maker's web pages.
#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLocale>
#include <QTreeView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QStatusBar>

#include "ide/asm/source_window.h"
#include "ide/files/intel_hex.h"
#include "ide/files/program_memory.h"
#include "ide/files/source_file.h"
#include "ide/main/main_form.h"
#include "ide/main/model_select_dialog.h"
#include "ide/main/simulator_binding.h"
#include "ide/main/user_message.h"
#include "ide/texts/texts.h"
#include "ide/workbench/device_host.h"
#include "ide/workbench/workbench_window.h"

namespace {

constexpr std::int32_t WebSiteText = 0;
constexpr std::int32_t ProductText = 1;
constexpr std::int32_t ErrorOpenFileText = 1010;
constexpr std::int32_t SaveChangesText = 1100;
constexpr std::int32_t ProjectSavedText = 2027;

enum TOpenMode : std::uint8_t { NewProjectMode = 1, OpenFileMode = 2 };

// The name ends in `suffix`, letter case aside.
bool EndsWith(const QString& name, const QString& suffix)
{
    return name.size() >= suffix.size() && name.right(suffix.size()).toUpper() == suffix;
}

// The size, type and date columns of the detail view as wide as what they
// show, the name column taking the rest.
void ShowFileColumnsWhole(QFileDialog& dialog)
{
    dialog.resize(dialog.sizeHint().expandedTo(QSize(760, 460)));
    auto* details = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    if (!details)
        return;
    const QFontMetrics metrics(details->font());
    const int margin = 3 * metrics.averageCharWidth();
    QHeaderView* header = details->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    const QString widest[] = {QStringLiteral("999.9 KiB"), QStringLiteral("plain text document"),
                              QLocale().toString(QDateTime(QDate(2000, 12, 30), QTime(23, 59, 59)),
                                                 QLocale::ShortFormat)};
    for (int column = 1; column <= 3; ++column)
        header->resizeSection(column, metrics.horizontalAdvance(widest[column - 1]) + margin);
}

// A file dialog of our own (never the desktop's), so that tests can answer it.
// It opens in the folder of `proposed`; a save dialog also offers its name.
QString ChooseFile(QWidget* parent, QFileDialog::AcceptMode mode, const QString& title,
                   const QStringList& filters, const QString& defaultSuffix = QString(),
                   const QString& selectedFilter = QString(), const QString& proposed = QString())
{
    QFileDialog dialog(parent, title);
    dialog.setObjectName(QStringLiteral("FileDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    if (!selectedFilter.isEmpty())
        dialog.selectNameFilter(selectedFilter);
    if (!defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(defaultSuffix);
    if (!proposed.isEmpty()) {
        const QFileInfo place(proposed);
        dialog.setDirectory(place.absolutePath());
        if (mode == QFileDialog::AcceptSave)
            dialog.selectFile(place.fileName());
    }
    ShowFileColumnsWhole(dialog);
    if (ExecUserDialog(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}

// The project's file name with another extension ("" while it has none).
QString ProjectFileWithSuffix(const QString& projectFile, const QString& suffix)
{
    if (projectFile.isEmpty())
        return QString();
    const QFileInfo project(projectFile);
    return project.dir().filePath(project.completeBaseName() + QLatin1Char('.') + suffix);
}

// What a device keeps to be saved with the project.
QByteArray SaveDataBytes(const TDevice& device)
{
    const TArrayChar data = device.SaveData();
    return data.length() > 0 ? QByteArray(data.begin(), data.length()) : QByteArray();
}

} // namespace

// ---- New, Open, Close

void TMainForm::OpenOrCreateProject(const QString& fileName, std::uint8_t mode)
{
    // After a successful save in the Close question the project is still
    // open: the next pass closes it without asking.
    while (AsmWindowOpen) {
        CloseAllowed = true;
        FileClose1Execute();
        if (!CloseAllowed)
            return;
    }
    exchange = false;
    if (mode == OpenFileMode && !QFileInfo(fileName).isFile())
        return;

    Tfrmopn& dialog = ModelDialog();
    dialog.TypeOfCall = mcNewProject;
    dialog.NameOfImportFile.clear();
    if (mode == OpenFileMode) {
        if (EndsWith(fileName, QStringLiteral(".HEX"))) {
            dialog.TypeOfCall = mcImportHex;
            dialog.NameOfImportFile = fileName;
        } else if (EndsWith(fileName, QStringLiteral(".ASM"))) {
            dialog.TypeOfCall = mcImportAsm;
            dialog.NameOfImportFile = fileName;
        } else if (fileName.size() > 6 && EndsWith(fileName, QStringLiteral(".ZEMRA"))) {
            if (LoadProject(fileName)) {
                AfterProjectLoad();
                ShowAllRegAndCounters();
            } else if (!LoadErrorShown) {
                ShowUserMessage(GetText(ErrorOpenFileText));
            }
            return;
        }
    }
    ExecUserDialog(dialog);
}

void TMainForm::FileNew1Execute()
{
    OpenOrCreateProject(QString(), NewProjectMode);
}

void TMainForm::FileOpen1Execute()
{
    const QString all = QStringLiteral("All supported formats (*.hex *.asm *.zemra)");
    const QString fileName = ChooseFile(this, QFileDialog::AcceptOpen, QStringLiteral("Open project, asm or hex file"),
                                        {QStringLiteral("Intel HEX (*.hex)"), QStringLiteral("Assembler code (*.asm)"),
                                         QStringLiteral("ZEMRA project (*.zemra)"), all},
                                        QString(), all, ProjectFileName);
    if (!fileName.isEmpty())
        OpenOrCreateProject(fileName, OpenFileMode);
}

void TMainForm::FileClose1Execute()
{
    if (exchange && AsmWindowOpen) {
        QMessageBox question(QMessageBox::Question, GetText(ProductText), GetText(SaveChangesText),
                             QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, this);
        question.setObjectName(QStringLiteral("SaveQuestion"));
        question.setEscapeButton(QMessageBox::Cancel);
        const int answer = ExecUserDialog(question);
        if (answer == QMessageBox::Yes) {
            FileSave1Execute();
            if (!SaveDone)
                CloseAllowed = false;
            return;
        }
        if (answer != QMessageBox::No) {
            CloseAllowed = false;
            return;
        }
    }
    StopSimulation();
    // The run ends before any window or device it shows goes.
    StopSimulationAndWait();
    FreeProjectWindows();
    ProjectFileName.clear();
    exchange = false;
}

// ---- Save and export

void TMainForm::ShowProjectSaved()
{
    setWindowTitle(GetText(ProductText) + QStringLiteral(" - [") + ProjectFileName + QStringLiteral("]"));
    statusBar()->showMessage(GetText(ProjectSavedText));
}

void TMainForm::FileSave1Execute()
{
    SaveDone = false;
    if (!AsmWindowOpen)
        return;
    if (ProjectFileName.isEmpty()) {
        FileSaveAs1Execute();
        return;
    }
    SaveDone = SaveProject(ProjectFileName);
    if (SaveDone)
        ShowProjectSaved();
}

void TMainForm::FileSaveAs1Execute()
{
    SaveDone = false;
    if (!AsmWindowOpen)
        return;
    const QString fileName =
        ChooseFile(this, QFileDialog::AcceptSave, QStringLiteral("Enter the name of the file to create"),
                   {QStringLiteral("ZEMRA project (*.zemra)")}, QStringLiteral("zemra"), QString(), ProjectFileName);
    if (fileName.isEmpty())
        return;
    // The project takes the new name only once it is saved under it.
    SaveDone = SaveProject(fileName);
    if (SaveDone)
        ShowProjectSaved();
}

void TMainForm::FileExportAsmItemClick()
{
    if (!AsmWindowOpen)
        return;
    const QString fileName = ChooseFile(this, QFileDialog::AcceptSave, QStringLiteral("Export assembler source code"),
                                        {QStringLiteral("Assembler source code (*.asm)")}, QStringLiteral("asm"),
                                        QString(), ProjectFileWithSuffix(ProjectFileName, QStringLiteral("asm")));
    if (fileName.isEmpty())
        return;
    QString error;
    if (!ExportAsmFile(fileName, SourceLines(), &error))
        ShowUserMessage(GetText(ErrorOpenFileText) + QLatin1Char(' ') + fileName + QLatin1Char('\n') + error);
}

void TMainForm::FileExportHexItemClick()
{
    if (!AsmWindowOpen)
        return;
    // During a run the source is locked and program memory holds what the
    // run's assembly wrote: that is exported as it is, never assembled anew
    // under the running engine.
    if (!SimulationRunning()) {
        SetAutoCheck(false);
        const bool assembled = AssembleSource();
        SetAutoCheck(true);
        if (!assembled)
            return;
    }
    const QString fileName = ChooseFile(this, QFileDialog::AcceptSave, QStringLiteral("Export Intel HEX"),
                                        {QStringLiteral("Intel Hex (*.hex)")}, QStringLiteral("hex"), QString(),
                                        ProjectFileWithSuffix(ProjectFileName, QStringLiteral("hex")));
    if (fileName.isEmpty())
        return;
    TBoundProgramMemory memory;
    QString error;
    if (!ExportIntelHex(fileName, AsmChild->ProgramSizeInWord - 1, memory, &error))
        ShowUserMessage(GetText(ErrorOpenFileText) + QLatin1Char(' ') + fileName + QLatin1Char('\n') + error);
}

// ---- Option, Edit and Window

void TMainForm::mnuConfigBitsClick()
{
    // Only the chip's own dialog, and never under a running engine.
    if (!AsmWindowOpen || SimulationRunning() || host_.Devices().empty())
        return;
    TDevice* chip = host_.Devices()[0];
    if (!chip || chip->DevType() != 0 || !chip->AssignedShowSettings())
        return;
    // The chip keeps its settings in its save data, which the project file
    // holds: a change there is a change of the project, to be saved.
    const QByteArray before = SaveDataBytes(*chip);
    ShowDeviceSettings(*chip);
    if (AsmWindowOpen && !host_.Devices().empty() && host_.Devices()[0] == chip && SaveDataBytes(*chip) != before)
        exchange = true;
}

void TMainForm::EditCommand(const char* method)
{
    if (QWidget* focused = QApplication::focusWidget())
        QMetaObject::invokeMethod(focused, method);
}

QList<QMdiSubWindow*> TMainForm::ProjectWindows() const
{
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* window : {static_cast<QMdiSubWindow*>(AsmChild), static_cast<QMdiSubWindow*>(CompChild)})
        if (window)
            windows << window;
    return windows;
}

// One above another (horizontally) or side by side (vertically), each
// window the same share of the area.
void TMainForm::TileWindows(Qt::Orientation orientation)
{
    const QList<QMdiSubWindow*> windows = MdiArea()->subWindowList();
    if (windows.isEmpty())
        return;
    const QSize area = MdiArea()->viewport()->size();
    const int count = int(windows.size());
    for (int index = 0; index < count; ++index) {
        QMdiSubWindow* window = windows[index];
        window->showNormal();
        if (orientation == Qt::Horizontal)
            window->setGeometry(0, area.height() * index / count, area.width(), area.height() / count);
        else
            window->setGeometry(area.width() * index / count, 0, area.width() / count, area.height());
    }
}

void TMainForm::WindowMinimizeAll1Execute()
{
    for (QMdiSubWindow* window : MdiArea()->subWindowList())
        window->showMinimized();
}

void TMainForm::WindowArrangeAll1Execute()
{
    for (QMdiSubWindow* window : ProjectWindows())
        window->showNormal();
}

// The open child windows at the end of the Window menu, checked for the
// active one.
void TMainForm::UpdateWindowList()
{
    for (QAction* action : windowListActions_)
        Window1->removeAction(action);
    qDeleteAll(windowListActions_);
    windowListActions_.clear();
    const QList<QMdiSubWindow*> windows = MdiArea()->subWindowList();
    if (windows.isEmpty())
        return;
    windowListActions_ << Window1->addSeparator();
    int number = 1;
    for (QMdiSubWindow* window : windows) {
        QAction* action = Window1->addAction(QStringLiteral("&%1 %2").arg(number++).arg(window->windowTitle()));
        action->setCheckable(true);
        action->setChecked(window == MdiArea()->activeSubWindow());
        connect(action, &QAction::triggered, this, [this, window] {
            if (MdiArea()->subWindowList().contains(window)) {
                window->showNormal();
                MdiArea()->setActiveSubWindow(window);
            }
        });
        windowListActions_ << action;
    }
}

// ---- Help

void TMainForm::HelpHelpExecute()
{
    OpenUserUrl(GetText(WebSiteText) + QStringLiteral("help.html"));
}

void TMainForm::HelpDonateItemClick()
{
    OpenUserUrl(GetText(WebSiteText) + QStringLiteral("donate.html"));
}
