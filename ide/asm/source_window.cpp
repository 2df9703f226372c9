#include "ide/asm/source_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMenu>
#include <QScrollBar>
#include <QTextBlock>
#include <QTimer>

#include "ide/asm/editor_line.h"
#include "ide/asm/gutter_pictures.h"
#include "ide/asm/line_breakpoints.h"
#include "ide/asm/source_edit.h"
#include "ide/asm/source_gutters.h"
#include "ide/asm/source_highlighter.h"
#include "ide/asm/syntax_sweep.h"
#include "ide/main/command_pictures.h"
#include "ide/main/main_form.h"
#include "ide/main/simulator_binding.h"
#include "ide/texts/texts.h"

namespace {

constexpr int EditorCaptionText = 3;
constexpr int CutText = 230;
constexpr int CopyText = 231;
constexpr int PasteText = 232;

// The line the engine executes next, from the line map the assembler wrote.
int CorvelExecutingLine()
{
    if (!MCULibLoaded || !DllMCEntries.Get_rtRunning())
        return 0;
    std::int32_t address = DllMCEntries.Get_I();
    // The reset address is the last word; it shows as the program's start.
    if (address < 0 || address >= DllMCEntries.Get_ROM_Size() - 1)
        address = 0;
    return DllMCEntries.Get_ROM_Str_No_from(address);
}

// The breakpoint of line `line` (0-based) on corvel's words assembled from
// it, as the next assembly would hand it over.
void HandBreakpointToCorvel(int line, bool on)
{
    if (!MCULibLoaded || !DllMCEntries.Get_ROM_Size || !DllMCEntries.Get_ROM_Str_No || !DllMCEntries.Set_ROM_BP)
        return;
    const std::int32_t words = DllMCEntries.Get_ROM_Size();
    for (std::int32_t word = 0; word < words; ++word) {
        if (DllMCEntries.Get_ROM_Str_No(word) == line + 1)
            DllMCEntries.Set_ROM_BP(word, on ? 1 : 0);
    }
}

} // namespace

TMDIChild::TMDIChild(QWidget* parent)
    : QMdiSubWindow(parent)
{
    setObjectName(QStringLiteral("MDIChild"));
    setWindowTitle(GetText(EditorCaptionText));

    client_ = new QWidget(this);
    client_->installEventFilter(this);
    setWidget(client_);

    RVE = new TSourceEdit(client_);
    RV = new TLineNumberGutter(RVE, client_);
    RVbp = new TBreakpointGutter(RVE, [this](int line) { return GutterImage(line); }, client_);
    RVbp->raise();

    QTextDocument* document = RVE->document();
    highlighter_ = new TSourceHighlighter(document, autoCheck);
    breakpoints_ = new TLineBreakpoints(document);
    sweep_ = new TSyntaxSweep({[this] { return CaretLine(); }, [this] { return LineCount(); },
                               [this](int line) { CheckLineFromSweep(line); }},
                              this);
    lastRevision_ = document->revision();

    connect(document, &QTextDocument::contentsChange, this, &TMDIChild::RVEChange);
    connect(RVE, &TSourceEdit::KeyDown, this, &TMDIChild::RVEKeyDown);
    connect(RVE, &TSourceEdit::Pasting, this, &TMDIChild::RVEPaste);
    // Whatever scrolls or repaints the editor repaints the gutters with it.
    connect(RVE, &QPlainTextEdit::updateRequest, this, [this] {
        RV->update();
        RVbp->update();
    });
    connect(RV, &TLineNumberGutter::Clicked, RVE, [this] { RVE->setFocus(); });
    connect(RVbp, &TBreakpointGutter::Clicked, RVE, [this] { RVE->setFocus(); });
    connect(RVbp, &TBreakpointGutter::LineClicked, this, [this](int line) { ToggleBreakpoint(line); });

    ppmAsmEditor = new QMenu(this);
    ppmAsmEditor->setObjectName(QStringLiteral("ppmAsmEditor"));
    Cut1 = ppmAsmEditor->addAction(CommandIcon(TCommandPicture::Cut), GetText(CutText), RVE, &QPlainTextEdit::cut);
    Copy1 = ppmAsmEditor->addAction(CommandIcon(TCommandPicture::Copy), GetText(CopyText), RVE,
                                    &QPlainTextEdit::copy);
    Paste1 = ppmAsmEditor->addAction(CommandIcon(TCommandPicture::Paste), GetText(PasteText), RVE,
                                     &QPlainTextEdit::paste);
    connect(ppmAsmEditor, &QMenu::aboutToShow, this, [this] {
        const bool selection = RVE->textCursor().hasSelection();
        Cut1->setEnabled(selection && !RVE->isReadOnly());
        Copy1->setEnabled(selection);
        Paste1->setEnabled(!RVE->isReadOnly() && RVE->canPaste());
    });
    RVE->SetContextMenu(ppmAsmEditor);

    executingLine_ = CorvelExecutingLine;
    TmrRefresh = new QTimer(this);
    TmrRefresh->setInterval(100);
    connect(TmrRefresh, &QTimer::timeout, this, &TMDIChild::TmrRefreshTimer);
    TmrRefresh->start();
    TimerSyntax = new QTimer(this);
    TimerSyntax->setInterval(1000);
    connect(TimerSyntax, &QTimer::timeout, this, &TMDIChild::TimerSyntaxTimer);
    TimerSyntax->start();

    resize(640, 480);
    SyncCountRowsAndBP();
    OnResize();
}

// Nothing that refers to this window may run once it starts to go: the
// sweep and the timers stop first, and the document's changes no longer
// reach it while its controls are taken down.
TMDIChild::~TMDIChild()
{
    TmrRefresh->stop();
    TimerSyntax->stop();
    delete std::exchange(sweep_, nullptr);
    disconnect(RVE->document(), nullptr, this, nullptr);
    disconnect(RVE, nullptr, this, nullptr);
    highlighter_->setDocument(nullptr);
    delete std::exchange(highlighter_, nullptr);
    // The controls go while this window is still whole.
    QWidget* client = std::exchange(client_, nullptr);
    setWidget(nullptr);
    delete client;
}

// ---- The text

void TMDIChild::SetText(const QString& text)
{
    alload = false;
    sweep_->StopChkSyntax();
    RestoreMarkedImage();
    breakpoints_->ClearAll();
    RVE->setPlainText(text);
    lastRevision_ = RVE->document()->revision();
    images_.clear();
    RVbp->update();
}

QString TMDIChild::Text() const
{
    return RVE->toPlainText();
}

void TMDIChild::AfterLoad()
{
    autoCheck = true;
    CheckSyn();
    OnResize();
    alload = true;
    RVE->moveCursor(QTextCursor::Start);
    RVE->verticalScrollBar()->setValue(0);
    RVE->horizontalScrollBar()->setValue(0);
}

void TMDIChild::CheckSyn()
{
    highlighter_->rehighlight();
    SyncCountRowsAndBP();
}

void TMDIChild::SyncCountRowsAndBP()
{
    const int lines = LineCount();
    if (RV->width() != LineGutterWidth(lines))
        OnResize();
    if (images_.size() == std::size_t(lines))
        return;
    images_.resize(std::size_t(lines), PictureNoInstruction);
    if (item_to_rest_BP >= lines)
        Can_Restore_img_in_BP = false;
    RV->update();
    RVbp->update();
    sweep_->StopChkSyntax();
    TimerSyntaxStart = true;
}

void TMDIChild::OnResize()
{
    const int gutter = LineGutterWidth(LineCount());
    const int height = client_->height();
    RV->setGeometry(0, 0, gutter, height);
    RVbp->setGeometry(TBreakpointGutter::GutterLeft, 0, TBreakpointGutter::GutterWidth, height);
    RVE->setGeometry(gutter, 0, std::max(0, client_->width() - gutter), height);
}

long long TMDIChild::ColouredLineChecks() const
{
    return highlighter_->CheckedLines();
}

bool TMDIChild::eventFilter(QObject* watched, QEvent* event)
{
    if (client_ && watched == client_ && event->type() == QEvent::Resize)
        OnResize();
    return QMdiSubWindow::eventFilter(watched, event);
}

// The window is closed with its project; its close box only puts it aside.
void TMDIChild::closeEvent(QCloseEvent* event)
{
    event->ignore();
    showMinimized();
}

// ---- Edits

void TMDIChild::RVEChange(int, int, int)
{
    // Colouring changes the layout, never the text: only a new revision of
    // the text is an edit.
    const int revision = RVE->document()->revision();
    if (revision == lastRevision_)
        return;
    lastRevision_ = revision;
    if (!alload)
        return;
    MarkModified();
    varPaste = false;
    SyncCountRowsAndBP();
}

void TMDIChild::RVEPaste()
{
    varPaste = true;
    varPasteLn = CaretLine();
    MarkModified();
}

void TMDIChild::RVEKeyDown()
{
    MarkModified();
}

void TMDIChild::MarkModified()
{
    if (MainForm)
        MainForm->exchange = true;
    emit Modified();
}

int TMDIChild::CaretLine() const
{
    return RVE->textCursor().blockNumber() + 1;
}

// ---- Lines for the assembler

int TMDIChild::LineCount() const
{
    return RVE->document()->blockCount();
}

QString TMDIChild::LineText(int line) const
{
    return RVE->document()->findBlockByNumber(line).text();
}

bool TMDIChild::LineBreakpoint(int line) const
{
    const QTextBlock block = RVE->document()->findBlockByNumber(line);
    if (!block.isValid())
        return false;
    const TInstructionPlace checked = FirstInstructionOf(block.text());
    return checked.Found()
        && breakpoints_->On(block, checked.start, checked.length);
}

void TMDIChild::MarkError(int line, int start, int length)
{
    highlighter_->MarkError(RVE->document()->findBlockByNumber(line), start, length);
}

// ---- Breakpoints and gutter pictures

int TMDIChild::GutterImage(int line) const
{
    if (line < 0 || std::size_t(line) >= images_.size())
        return -1;
    return images_[std::size_t(line)];
}

// A line under the executing-line marker keeps its arrow: the picture it
// gets back when the arrow moves on is the one set here.
void TMDIChild::SetGutterImage(int line, int image)
{
    if (line < 0 || std::size_t(line) >= images_.size())
        return;
    if (Can_Restore_img_in_BP && item_to_rest_BP == line) {
        img_ind_BP = image;
        if (image == PictureBreakpoint)
            image = PictureExecutingBreakpoint;
        else if (image == PictureInstruction)
            image = PictureExecuting;
    }
    if (images_[std::size_t(line)] == image)
        return;
    images_[std::size_t(line)] = std::uint8_t(image);
    RVbp->update();
}

bool TMDIChild::ToggleBreakpoint(int line)
{
    const QTextBlock block = RVE->document()->findBlockByNumber(line);
    if (!block.isValid())
        return false;
    const TInstructionPlace checked = FirstInstructionOf(block.text());
    if (!checked.Found())
        return false;
    const bool on = !breakpoints_->On(block, checked.start, checked.length);
    if (on) {
        breakpoints_->Set(block, checked.start, checked.length);
        SetGutterImage(line, PictureBreakpoint);
    } else {
        breakpoints_->Clear(block);
        SetGutterImage(line, PictureInstruction);
    }
    // Breakpoints reach corvel when the source is assembled, at Run; a run
    // that is paused or going resumes without assembling. While a run lasts
    // the text cannot change, so corvel's line map is this text's and the
    // line's word takes the change at once.
    if (RVE->isReadOnly())
        HandBreakpointToCorvel(line, on);
    return true;
}

void TMDIChild::ClearAllBreakpoints()
{
    breakpoints_->ClearAll();
    for (std::uint8_t& image : images_) {
        if (image == PictureBreakpoint || image == PictureExecutingBreakpoint || image == PictureExecuting)
            image = PictureInstruction;
        else if (image == PictureCross)
            image = PictureNoInstruction;
    }
    if (Can_Restore_img_in_BP && img_ind_BP == PictureBreakpoint)
        img_ind_BP = PictureInstruction;
    RVbp->update();
}

// ---- The executing-line marker

void TMDIChild::SetExecutingLineSource(TExecutingLineSource source)
{
    executingLine_ = std::move(source);
}

void TMDIChild::StartExecutingMarker()
{
    TmrRefreshTimer();
}

void TMDIChild::StopExecutingMarker()
{
    RestoreMarkedImage();
}

void TMDIChild::SetRunning(bool running)
{
    RVE->setReadOnly(running);
    if (!running)
        StopExecutingMarker();
}

void TMDIChild::RestoreMarkedImage()
{
    if (!Can_Restore_img_in_BP)
        return;
    Can_Restore_img_in_BP = false;
    if (item_to_rest_BP >= 0 && std::size_t(item_to_rest_BP) < images_.size())
        images_[std::size_t(item_to_rest_BP)] = std::uint8_t(img_ind_BP);
    RVbp->update();
}

void TMDIChild::TmrRefreshTimer()
{
    RestoreMarkedImage();
    const int line = executingLine_ ? executingLine_() : 0;
    // A line map from another program may name a line this source lacks.
    if (line < 1 || std::size_t(line) > images_.size())
        return;
    const int marked = line - 1;
    const int image = images_[std::size_t(marked)];
    if (image != PictureBreakpoint && image != PictureInstruction)
        return;
    item_to_rest_BP = marked;
    img_ind_BP = image;
    Can_Restore_img_in_BP = true;
    images_[std::size_t(marked)] = image == PictureBreakpoint ? PictureExecutingBreakpoint : PictureExecuting;
    RVbp->update();
}

// ---- The sweep

void TMDIChild::CheckLineFromSweep(int line)
{
    const QTextBlock block = RVE->document()->findBlockByNumber(line - 1);
    if (!block.isValid())
        return;
    const TInstructionPlace checked = FirstInstructionOf(block.text());
    int image = PictureNoInstruction;
    if (checked.Found())
        image = breakpoints_->On(block, checked.start, checked.length) ? PictureBreakpoint
                                                                                            : PictureInstruction;
    SetGutterImage(line - 1, image);
    emit LineSwept(line);
}

void TMDIChild::TimerSyntaxTimer()
{
    if (TimerSyntaxStart && sweep_->StartChkSyntax())
        TimerSyntaxStart = false;
}

TMDIChild* CreateSourceWindow(QMdiArea* area, const QString& text)
{
    auto* child = new TMDIChild;
    if (area)
        area->addSubWindow(child);
    child->SetText(text);
    child->show();
    child->AfterLoad();
    return child;
}
