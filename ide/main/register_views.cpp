#include "ide/main/register_views.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <QFont>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>

#include "ide/main/binary_flag.h"
#include "ide/main/delta_break_point.h"
#include "ide/main/image_view.h"
#include "ide/main/main_form.h"
#include "ide/main/simulation_control.h"
#include "ide/main/simulator_binding.h"
#include "ide/texts/texts.h"

bool RefreshDone = false;

namespace {

constexpr std::int32_t SecondsTextId = 2020;
constexpr std::int32_t BreakpointHintText = 2025;
constexpr std::int32_t ChangeMarkerHintText = 2026;
constexpr std::int32_t ClearText = 104;

// The widest program counter and the deepest stack the views lay out; a
// library reporting more is shown up to these.
constexpr int MaxPcBits = 16;
constexpr int MaxStackRows = 8;

constexpr int TitleFontSize = 8;

// Row geometry inside a register panel.
constexpr int MarkerLeft = 0;
constexpr int AddressLeft = 12;
constexpr int NameLeft = 40;
constexpr int HexLeft = 105;
constexpr int BitsRight = 155; // left edge of bits 4 and 0
constexpr int DeltaLeft = 165;
constexpr int ScrollLeft = 176;
constexpr int ScrollWidth = 9;

// Program-counter and stack cells inside the stack panel.
constexpr int PcCellsRight = 163; // left edge of bit 0
constexpr int PcTop = 19;
constexpr int StackRowsTop = 87;

// A narrow sans-serif face where the system has one, so the labels and
// values keep to the panels' fixed widths.
QFont ViewsFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"), QStringLiteral("Nimbus Sans"),
                      QStringLiteral("Arial"), QStringLiteral("Helvetica"), QStringLiteral("DejaVu Sans Condensed")});
    font.setPointSize(8);
    return font;
}

bool EngineBound()
{
    return MCULibLoaded && DllMCEntries.Get_SFRcount != nullptr;
}

// Writes a text box only when its text changes, and shows its beginning.
void SetText(QLineEdit* edit, const QString& text)
{
    if (edit->text() == text)
        return;
    edit->setText(text);
    edit->setCursorPosition(0);
}

// A register name in its box, in a smaller type when the box's own is too
// wide for it (the longest, "TMR0 Prescaler", is three times the usual).
void SetName(QLineEdit* edit, const QString& name)
{
    if (edit->text() == name)
        return;
    const QFont& usual = edit->parentWidget()->font();
    // The box's frame and margins take about three pixels on each side.
    const int room = edit->width() - 6;
    QFont font = usual;
    for (qreal size = usual.pointSizeF(); size >= 6.0; size -= 0.5) {
        font.setPointSizeF(size);
        if (QFontMetrics(font).horizontalAdvance(name) <= room)
            break;
    }
    if (edit->font() != font)
        edit->setFont(font);
    edit->setText(name);
    edit->setCursorPosition(0);
}

void SetHint(QWidget* widget, const QString& hint)
{
    if (widget->toolTip() != hint)
        widget->setToolTip(hint);
}

QString ShortText(const TShortString& text)
{
    return QString::fromUtf8(text.chars, text.length);
}

QLineEdit* CreateBox(QWidget* parent, int left, int top, int width, int height = 20)
{
    auto* edit = new QLineEdit(parent);
    edit->setReadOnly(true);
    edit->setGeometry(left, top, width, height);
    edit->setTextMargins(0, 0, 0, 0);
    edit->setFocusPolicy(Qt::ClickFocus);
    edit->show();
    return edit;
}

QLabel* CreateLabel(QWidget* parent, int left, int top, int width, int height = 20)
{
    auto* label = new QLabel(parent);
    label->setGeometry(left, top, width, height);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setWordWrap(true);
    return label;
}

QLabel* CreateTitle(QWidget* parent)
{
    QLabel* title = CreateLabel(parent, 4, 1, TRegisterViews::PanelWidth - 8, 16);
    title->setWordWrap(false);
    QFont font = title->font();
    font.setPointSize(TitleFontSize);
    font.setBold(true);
    title->setFont(font);
    return title;
}

QFrame* CreatePanel(QWidget* parent, const char* name)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(1);
    return panel;
}

// A whole number of a double as the gauge takes it: truncated toward zero,
// with what no integer holds taken as the nearest that does (and NaN as 0).
int TruncatedToInt(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= double(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (value <= double(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return int(value);
}

void DestroyRow(TPSfr& row)
{
    delete row.imgBP;
    delete row.imgDelta;
    delete row.edtAddr;
    delete row.edtName;
    delete row.edtHex;
    for (TBinaryFlag* cell : row.bfBin)
        delete cell;
    row = TPSfr();
}

void DestroyStackRow(TPStack& row)
{
    delete row.edtLvl;
    delete row.edtHex;
    for (TBinaryFlag* cell : row.bfBin)
        delete cell;
    row = TPStack();
}

} // namespace

// ---- Texts of values

QString ByteBitsToHex(const std::array<bool, 8>& bits)
{
    int value = 0;
    for (int bit = 0; bit < 8; ++bit)
        value |= int(bits[std::size_t(bit)]) << bit;
    return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}

QString AddressBitsToHex(const bool* bits, int count)
{
    unsigned value = 0;
    for (int bit = 0; bit < std::min(count, 16); ++bit)
        value |= unsigned(bits[bit]) << bit;
    return QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0')).toUpper();
}

QString SecondsText(long double seconds)
{
    return FixedSecondsText(seconds) + QLatin1Char(' ') + GetText(SecondsTextId);
}

// ---- Construction

TRegisterViews::TRegisterViews(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("RegisterViews"));
    setFixedWidth(ColumnWidth);
    setFont(ViewsFont());

    CreateCountersPanel();
    CreateStackPanel();
    pnlSFR = CreateRegisterPanel(Label1, Image2, imgSfrIcon, scrlSFR);
    pnlSFR->setObjectName(QStringLiteral("pnlSFR"));
    pnlGPR = CreateRegisterPanel(Label2, Image4, imgGprIcon, scrlGPR);
    pnlGPR->setObjectName(QStringLiteral("pnlGPR"));
    connect(scrlSFR, &QScrollBar::valueChanged, this, &TRegisterViews::scrlSFRChange);
    connect(scrlGPR, &QScrollBar::valueChanged, this, &TRegisterViews::scrlGPRChange);

    pnlCounters->setGeometry(0, 0, PanelWidth, TopPanelHeight);
    pnlStack->setGeometry(PanelWidth, 0, PanelWidth, TopPanelHeight);
    ApplyLanguage();
}

TRegisterViews::~TRegisterViews() = default;

void TRegisterViews::CreateCountersPanel()
{
    pnlCounters = CreatePanel(this, "pnlCounters");
    Label3 = CreateTitle(pnlCounters);

    Label4 = CreateLabel(pnlCounters, 2, 17, 92, 15);
    Label5 = CreateLabel(pnlCounters, 97, 17, 92, 15);
    txtLast = CreateBox(pnlCounters, 0, 32, 95);
    txtNext = CreateBox(pnlCounters, 95, 32, 95);

    // Label and box per counter, one under the other.
    const int labelWidth = 104;
    const int boxLeft = 106;
    const int boxWidth = PanelWidth - boxLeft - 2;
    int top = 55;
    Label7 = CreateLabel(pnlCounters, 2, top, labelWidth);
    txtIC = CreateBox(pnlCounters, boxLeft, top, boxWidth);
    top += RowHeight;
    Label8 = CreateLabel(pnlCounters, 2, top, labelWidth);
    txtMC = CreateBox(pnlCounters, boxLeft, top, boxWidth);
    top += RowHeight;
    Label9 = CreateLabel(pnlCounters, 2, top, labelWidth);
    txtRT = CreateBox(pnlCounters, boxLeft, top, boxWidth);
    top += RowHeight;
    Label6 = CreateLabel(pnlCounters, 2, top, labelWidth);
    txtRTSpeed = CreateBox(pnlCounters, boxLeft, top, boxWidth);
    top += RowHeight;
    Label12 = CreateLabel(pnlCounters, 2, top, 58);
    txtUserTimer = CreateBox(pnlCounters, 60, top, 86);
    btnClear = new QPushButton(pnlCounters);
    btnClear->setObjectName(QStringLiteral("btnClear"));
    btnClear->setGeometry(147, top, 41, 20);
    btnClear->setFocusPolicy(Qt::NoFocus);

    txtLast->setObjectName(QStringLiteral("txtLast"));
    txtNext->setObjectName(QStringLiteral("txtNext"));
    txtIC->setObjectName(QStringLiteral("txtIC"));
    txtMC->setObjectName(QStringLiteral("txtMC"));
    txtRT->setObjectName(QStringLiteral("txtRT"));
    txtRTSpeed->setObjectName(QStringLiteral("txtRTSpeed"));
    txtUserTimer->setObjectName(QStringLiteral("txtUserTimer"));
}

void TRegisterViews::CreateStackPanel()
{
    pnlStack = CreatePanel(this, "pnlStack");
    Label10 = CreateTitle(pnlStack);

    Label14 = CreateLabel(pnlStack, 3, PcTop, 17);
    Label14->setText(QStringLiteral("PC"));
    txtPChex = CreateBox(pnlStack, 20, PcTop, 31);
    txtPChex->setObjectName(QStringLiteral("txtPChex"));

    Label13 = CreateLabel(pnlStack, 3, 41, 62);
    prgWDT = new QProgressBar(pnlStack);
    prgWDT->setObjectName(QStringLiteral("prgWDT"));
    prgWDT->setGeometry(65, 44, 122, 14);
    prgWDT->setRange(0, 1);
    prgWDT->setValue(0);
    prgWDT->setTextVisible(false);

    Label11 = CreateLabel(pnlStack, 2, 63, 70);
    txtStackCounter = CreateBox(pnlStack, 72, 63, 19);
    txtStackCounter->setObjectName(QStringLiteral("txtStackCounter"));
    txtStackCounter->setAlignment(Qt::AlignCenter);

    Image5 = new TImageView(pnlStack);
    Image5->setGeometry(92, 62, 83, 23);
}

QFrame* TRegisterViews::CreateRegisterPanel(QLabel*& title, TImageView*& header, TImageView*& icon,
                                            QScrollBar*& scroll)
{
    QFrame* panel = CreatePanel(this, "");
    title = CreateTitle(panel);
    icon = new TImageView(panel);
    icon->setGeometry(0, 24, 12, 12);
    icon->SetPicture(BreakpointIconPicture());
    icon->setToolTip(QStringLiteral("breakpoint to change/Mark"));
    header = new TImageView(panel);
    header->setGeometry(10, 17, 165, 23);
    icon->raise();
    scroll = new QScrollBar(Qt::Vertical, panel);
    scroll->setGeometry(ScrollLeft, FirstRowTop, ScrollWidth, 0);
    scroll->setRange(0, 0);
    return panel;
}

// ---- Layout and rows

void TRegisterViews::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    FormResize();
}

void TRegisterViews::FormResize()
{
    if (!WindowAlive)
        return;
    const int lowerHeight = std::max(0, height() - TopPanelHeight);
    pnlSFR->setGeometry(0, TopPanelHeight, PanelWidth, lowerHeight);
    scrlSFR->setGeometry(ScrollLeft, FirstRowTop, ScrollWidth, std::max(0, lowerHeight - 50));
    pnlGPR->setGeometry(PanelWidth, TopPanelHeight, PanelWidth, lowerHeight);
    scrlGPR->setGeometry(ScrollLeft, FirstRowTop, ScrollWidth, std::max(0, lowerHeight - 50));
    if (EngineBound()) {
        BuildSfrRows();
        BuildGprRows();
        BuildPcAndStackCells();
        ShowAllRegAndCounters();
    }
}

void TRegisterViews::BuildSfrRows()
{
    if (EngineBound())
        BuildRows(pnlSFR, scrlSFR, SfrRows, SfrRowCount, DllMCEntries.Get_SFRcount(), false);
}

void TRegisterViews::BuildGprRows()
{
    if (EngineBound())
        BuildRows(pnlGPR, scrlGPR, GprRows, GprRowCount, DllMCEntries.Get_GPRCount(), true);
}

// As many rows as the panel holds below its header, at most one per register;
// rows already built stay as they are.
void TRegisterViews::BuildRows(QFrame* panel, QScrollBar* scroll, std::vector<TPSfr>& rows, std::int32_t& rowCount,
                               int registerCount, bool gpr)
{
    const int fitting = panel->height() / RowHeight - 2;
    const int wanted = std::max(0, std::min(registerCount, fitting));
    while (int(rows.size()) < wanted)
        rows.push_back(CreateRow(panel, int(rows.size()), gpr));
    while (int(rows.size()) > wanted) {
        DestroyRow(rows.back());
        rows.pop_back();
    }
    rowCount = wanted;
    // The refresh that follows every build shows the rows at the new
    // position, so moving it here needs no refresh of its own.
    const QSignalBlocker quiet(scroll);
    scroll->setMaximum(std::max(0, registerCount - wanted));
    if (wanted > 0)
        scroll->setPageStep(wanted);
}

TPSfr TRegisterViews::CreateRow(QFrame* panel, int index, bool gpr)
{
    const int top = FirstRowTop + RowHeight * index;
    TPSfr row;
    row.imgBP = new TDeltaBreakPoint(panel);
    row.imgBP->setGeometry(MarkerLeft, top, 11, 20);
    // Until a refresh has told the marker its register, a click has no
    // register to set a breakpoint on.
    row.imgBP->setEnabled(false);
    connect(row.imgBP, &TDeltaBreakPoint::Clicked, this, [this, marker = row.imgBP, gpr] {
        gpr ? BpGPRclick(marker) : BpSFRclick(marker);
    });
    row.imgBP->show();

    row.edtAddr = CreateBox(panel, AddressLeft, top, 28);
    row.edtName = CreateBox(panel, NameLeft, top, 65);
    row.edtHex = CreateBox(panel, HexLeft, top, 20);
    row.edtHex->setAlignment(Qt::AlignCenter);

    for (int k = 0; k < 4; ++k) {
        const int left = BitsRight - 10 * k;
        const std::pair<int, int> cells[] = {{4 + k, top}, {k, top + 10}};
        for (const auto& [bit, cellTop] : cells) {
            auto* cell = new TBinaryFlag(panel);
            cell->setGeometry(left, cellTop, 10, 10);
            connect(cell, &TBinaryFlag::Clicked, this, [this, cell, gpr] {
                gpr ? BfGPRclick(cell) : BfSFRclick(cell);
            });
            cell->show();
            row.bfBin[std::size_t(bit)] = cell;
        }
    }

    row.imgDelta = new TImageView(panel);
    row.imgDelta->setGeometry(DeltaLeft, top, 11, 20);
    row.imgDelta->SetPicture(ChangeMarkerPicture(TChangeMarker::None));
    row.imgDelta->show();
    ApplyRowHints(row);
    return row;
}

void TRegisterViews::ApplyRowHints(TPSfr& row)
{
    row.imgBP->setToolTip(GetText(BreakpointHintText));
    row.imgDelta->setToolTip(GetText(ChangeMarkerHintText));
}

TBinaryFlag* TRegisterViews::CreateFixedCell(QWidget* parent, int left, int top, int bit)
{
    auto* cell = new TBinaryFlag(parent);
    cell->setGeometry(left, top, 10, 10);
    cell->setToolTip(QString::number(bit));
    cell->setEnabled(false);
    cell->show();
    return cell;
}

// Every cell and stack row is made anew for the selected model's program
// counter width and stack depth.
void TRegisterViews::BuildPcAndStackCells()
{
    if (!EngineBound())
        return;
    const int bits = std::clamp(int(DllMCEntries.Get_PC_Len()), 0, MaxPcBits);
    const int levels = std::min(int(DllMCEntries.Get_StackMax()) + 1, MaxStackRows);

    for (TBinaryFlag* cell : PcCells)
        delete cell;
    PcCells.clear();
    for (int bit = 0; bit < bits; ++bit)
        PcCells.push_back(CreateFixedCell(pnlStack, PcCellsRight - 10 * bit, txtPChex->y() + 5, bit));

    for (TPStack& row : StackRows)
        DestroyStackRow(row);
    StackRows.clear();
    for (int level = 0; level < levels; ++level) {
        const int top = StackRowsTop + RowHeight * level;
        TPStack row;
        row.edtLvl = CreateBox(pnlStack, 1, top, 19);
        row.edtLvl->setAlignment(Qt::AlignCenter);
        row.edtLvl->setText(QString::number(level + 1));
        row.edtHex = CreateBox(pnlStack, 21, top, txtPChex->width());
        for (int bit = 0; bit < bits; ++bit)
            row.bfBin.push_back(CreateFixedCell(pnlStack, PcCellsRight - 10 * bit, top + 5, bit));
        StackRows.push_back(std::move(row));
    }
}

// ---- Refresh

void TRegisterViews::ShowAllRegAndCounters()
{
    if (!WindowAlive || !RefreshDone || !EngineBound())
        return;
    const TDllMCEntries& engine = DllMCEntries;
    const int sfrCount = engine.Get_SFRcount();
    const int registerCount = sfrCount + engine.Get_GPRCount();
    const std::int32_t next = engine.Get_I();
    RefreshDone = false;

    // A row past the model's registers (the model changed and the rows have
    // not been rebuilt yet) shows nothing new.
    for (int index = 0; index < SfrRowCount; ++index) {
        const int displayRow = scrlSFR->value() + index;
        if (displayRow < sfrCount)
            FillRow(SfrRows[std::size_t(index)], engine.Get_MatrixRAM_SIMadress(displayRow));
    }
    for (int index = 0; index < GprRowCount; ++index) {
        const int displayRow = scrlGPR->value() + index + sfrCount;
        if (displayRow < registerCount)
            FillRow(GprRows[std::size_t(index)], engine.Get_MatrixRAM_SIMadress(displayRow));
    }

    TShortString text;
    engine.CurrentToParCommand();
    engine.GetInstruction(&text);
    SetText(txtLast, ShortText(text));
    engine.RomToParCommand(next >= 0 && next < engine.Get_ROM_Size() - 1 ? next : 0);
    text = TShortString();
    engine.GetInstruction(&text);
    SetText(txtNext, ShortText(text));

    const int stackCounter = engine.Get_StackCounter();
    SetText(txtIC, QString::number(engine.Get_IC()));
    const std::int64_t cycles = engine.Get_MC();
    SetText(txtMC, QString::number(cycles));

    // Four clock periods make one machine cycle.
    const std::int32_t cyclesPerSecond = engine.Get_rtCrystalFreq() / 4;
    if (cyclesPerSecond > 0) {
        const long double elapsed = static_cast<long double>(cycles) / cyclesPerSecond;
        SetText(txtRT, SecondsText(elapsed));
        SetText(txtUserTimer, SecondsText(elapsed - engine.Get_UserTimer()));
    }

    TResStack bits;
    engine.Get_PC(&bits);
    const int pcBits = std::min(int(PcCells.size()), int(bits.length()));
    for (int bit = 0; bit < pcBits; ++bit)
        PcCells[std::size_t(bit)]->setValue(bits[bit]);
    SetText(txtPChex, AddressBitsToHex(bits.begin(), bits.length()));

    SetText(txtStackCounter, QString::number(stackCounter));
    // Levels above the counter keep what they showed last.
    const int shownLevels = std::min(stackCounter, int(StackRows.size()));
    for (int level = 1; level <= shownLevels; ++level) {
        TPStack& row = StackRows[std::size_t(level - 1)];
        engine.Get_stack(&bits, std::uint8_t(level - 1));
        const int levelBits = std::min(int(row.bfBin.size()), int(bits.length()));
        for (int bit = 0; bit < levelBits; ++bit)
            row.bfBin[std::size_t(bit)]->setValue(bits[bit]);
        SetText(row.edtHex, AddressBitsToHex(bits.begin(), bits.length()));
    }
    bits.release();

    double count = 0;
    double period = 0;
    engine.Get_TaktsWDT(&count, &period);
    // The gauge never takes a value outside its range: the count is clamped
    // into 0..period, and a period below 1 shows an empty gauge.
    const int maximum = std::max(1, TruncatedToInt(period));
    const int position = std::clamp(TruncatedToInt(count), 0, maximum);
    if (prgWDT->maximum() != maximum)
        prgWDT->setMaximum(maximum);
    if (prgWDT->value() != position)
        prgWDT->setValue(position);

    engine.Set_rtRefreshComplete(1);
    RefreshDone = true;
}

void TRegisterViews::FillRow(TPSfr& row, std::int32_t address)
{
    const TDllMCEntries& engine = DllMCEntries;
    if (engine.Get_MatrixRAM_ToClearDelta(address)) {
        engine.Set_MatrixRAM_ToClearDelta(address, 0);
        for (TBinaryFlag* cell : row.bfBin)
            cell->setDelta(false);
    }

    TShortString text;
    engine.Get_MatrixRAM_IDEHexaddres(&text, address);
    SetText(row.edtAddr, ShortText(text));
    text = TShortString();
    engine.Get_MatrixRAM_IDEName(&text, address);
    SetName(row.edtName, ShortText(text));
    std::array<bool, 8> bits{};
    for (int bit = 0; bit < 8; ++bit)
        bits[std::size_t(bit)] = engine.Get_RAM(address, bit) != 0;
    SetText(row.edtHex, ByteBitsToHex(bits));

    TChangeMarker marker = TChangeMarker::None;
    if (engine.Get_MatrixRAM_delta(address) == 1) {
        if (engine.Get_MatrixRAM_greenDelta(address) == 1) {
            // The last write kept the value; the bits it wrote stay marked in
            // corvel until a write changes the value.
            marker = TChangeMarker::Green;
            engine.Set_MatrixRAM_delta(address, 0);
            engine.Set_MatrixRAM_greenDelta(address, 1);
        } else {
            marker = TChangeMarker::Red;
            engine.Set_MatrixRAM_delta(address, 0);
            engine.Set_MatrixRAM_greenDelta(address, 1);
            engine.Set_MatrixRAM_ToClearDelta(address, 1);
            for (std::uint8_t bit = 0; bit < 8; ++bit)
                if (engine.Get_MatrixRAM_deltabit(address, bit)) {
                    row.bfBin[bit]->setDelta(true);
                    engine.Set_MatrixRAM_deltabit(address, bit, 0);
                }
        }
    }
    if (row.marker != marker) {
        row.marker = marker;
        row.imgDelta->SetPicture(ChangeMarkerPicture(marker));
    }

    for (std::uint8_t bit = 0; bit < 8; ++bit) {
        TBinaryFlag* cell = row.bfBin[bit];
        cell->setReadOnl(engine.Get_MatrixRAM_usedbit(address, bit) != 0);
        cell->setValue(bits[bit]);
        text = TShortString();
        engine.Get_MatrixRAM_bitname(&text, address, bit);
        SetHint(cell, ShortText(text));
        cell->setByteAddres(address);
        cell->setBitAddres(bit);
    }

    row.imgBP->setByteAddres(address);
    row.imgBP->setBPDelta(engine.Get_MatrixRAM_BreakPoint(address) != 0);
    row.imgBP->setBPGreenDelta(engine.Get_MatrixRAM_GreenBP(address) != 0);
    row.imgBP->setEnabled(true);
}

void TRegisterViews::ClearRegisterBreakpoints()
{
    if (!EngineBound())
        return;
    const TDllMCEntries& engine = DllMCEntries;
    const int registerCount = engine.Get_SFRcount() + engine.Get_GPRCount();
    for (int displayRow = 0; displayRow < registerCount; ++displayRow) {
        const std::int32_t address = engine.Get_MatrixRAM_SIMadress(displayRow);
        engine.Set_MatrixRAM_BreakPoint(address, 0);
        engine.Set_MatrixRAM_GreenBP(address, 0);
    }
}

void TRegisterViews::ClearAllRegAndCounters()
{
    for (TPSfr& row : SfrRows)
        ClearRow(row);
    for (TPSfr& row : GprRows)
        ClearRow(row);

    for (QLineEdit* box : {txtLast, txtNext, txtIC, txtMC, txtRT, txtRTSpeed, txtUserTimer, txtPChex, txtStackCounter})
        SetText(box, QString());
    for (TBinaryFlag* cell : PcCells)
        cell->setValue(false);
    // The level numbers are the rows' captions and stay.
    for (TPStack& row : StackRows) {
        SetText(row.edtHex, QString());
        for (TBinaryFlag* cell : row.bfBin)
            cell->setValue(false);
    }
    prgWDT->setMaximum(1);
    prgWDT->setValue(0);
}

void TRegisterViews::ClearRow(TPSfr& row)
{
    SetText(row.edtAddr, QString());
    SetText(row.edtName, QString());
    SetText(row.edtHex, QString());
    for (TBinaryFlag* cell : row.bfBin) {
        // Not clickable: there is no register behind the cell to write.
        cell->setReadOnl(false);
        cell->setDelta(false);
        cell->setValue(false);
        SetHint(cell, QString());
        cell->setByteAddres(0);
        cell->setBitAddres(0);
    }
    if (row.marker != TChangeMarker::None) {
        row.marker = TChangeMarker::None;
        row.imgDelta->SetPicture(ChangeMarkerPicture(TChangeMarker::None));
    }
    row.imgBP->setEnabled(false);
    row.imgBP->setBPDelta(false);
    row.imgBP->setBPGreenDelta(false);
    row.imgBP->setByteAddres(0);
}

// ---- Cells and scroll bars

void TRegisterViews::WriteBit(TBinaryFlag* cell)
{
    if (EngineBound())
        DllMCEntries.Set_RAM(cell->ByteAddres(), cell->BitAddres(), cell->value() ? 1 : 0);
}

void TRegisterViews::BfSFRclick(TBinaryFlag* sender)
{
    WriteBit(sender);
}

void TRegisterViews::BfGPRclick(TBinaryFlag* sender)
{
    WriteBit(sender);
}

void TRegisterViews::WriteBreakpoint(TDeltaBreakPoint* marker)
{
    if (!EngineBound())
        return;
    DllMCEntries.Set_MatrixRAM_BreakPoint(marker->ByteAddres(), marker->BPDelta() ? 1 : 0);
    DllMCEntries.Set_MatrixRAM_GreenBP(marker->ByteAddres(), marker->BPGreenDelta() ? 1 : 0);
}

void TRegisterViews::BpSFRclick(TDeltaBreakPoint* sender)
{
    WriteBreakpoint(sender);
}

void TRegisterViews::BpGPRclick(TDeltaBreakPoint* sender)
{
    WriteBreakpoint(sender);
}

// The rows show other registers now: marks of the ones they showed go.
void TRegisterViews::ClearChangeMarks(std::vector<TPSfr>& rows)
{
    for (TPSfr& row : rows)
        for (TBinaryFlag* cell : row.bfBin)
            cell->setDelta(false);
}

void TRegisterViews::scrlSFRChange()
{
    ClearChangeMarks(SfrRows);
    ShowAllRegAndCounters();
}

void TRegisterViews::scrlGPRChange()
{
    ClearChangeMarks(GprRows);
    ShowAllRegAndCounters();
}

// ---- Language

void TRegisterViews::ApplyLanguage()
{
    btnClear->setText(GetText(ClearText));
    const std::pair<QLabel*, std::int32_t> labels[] = {
        {Label3, 3000}, {Label4, 3001}, {Label5, 3002}, {Label7, 3003}, {Label8, 3004},
        {Label9, 3005}, {Label6, 3006}, {Label12, 3007}, {Label10, 3020}, {Label13, 3021},
        {Label11, 3022}, {Label1, 3040}, {Label2, 3060},
    };
    for (const auto& [label, text] : labels)
        label->setText(GetText(text));

    const int language = Language;
    const int smallSize = language != 0 ? 7 : 8;
    for (QWidget* small : std::initializer_list<QWidget*>{btnClear, Label4, Label5, Label7, Label8, Label9, Label6,
                                                          Label12, Label13, Label11}) {
        QFont font = small->font();
        font.setPointSize(smallSize);
        small->setFont(font);
    }

    Image2->SetPicture(HeaderPicture(HeaderPictureName(THeaderPanel::Sfr, language)));
    Image4->SetPicture(HeaderPicture(HeaderPictureName(THeaderPanel::Gpr, language)));
    Image5->SetPicture(HeaderPicture(HeaderPictureName(THeaderPanel::Stack, language)));

    for (TPSfr& row : SfrRows)
        ApplyRowHints(row);
    for (TPSfr& row : GprRows)
        ApplyRowHints(row);
}
