#pragma once

// The left column of the main window: four panels that show the simulated
// microcontroller as corvel holds it. Counters and instructions; program
// counter, watchdog and stack; the special-function registers and the
// general-purpose registers, one row per register with its address, name,
// value, eight bit cells, breakpoint marker and change marker.
//
// Every value comes from corvel through DllMCEntries. Rows exist only for as
// many registers as the panel's height holds; the scroll bars choose which.
#include <array>
#include <cstdint>
#include <vector>

#include <QWidget>

#include "ide/main/header_pictures.h"

QT_FORWARD_DECLARE_CLASS(QFrame)
QT_FORWARD_DECLARE_CLASS(QLabel)
QT_FORWARD_DECLARE_CLASS(QLineEdit)
QT_FORWARD_DECLARE_CLASS(QProgressBar)
QT_FORWARD_DECLARE_CLASS(QPushButton)
QT_FORWARD_DECLARE_CLASS(QScrollBar)

class TBinaryFlag;
class TDeltaBreakPoint;
class TImageView;

// False while a refresh of the views runs; a refresh starts only while it is
// true. False until the first project (or the first run) lets the views show.
extern bool RefreshDone;

// One register row.
struct TPSfr {
    TDeltaBreakPoint* imgBP = nullptr;
    TImageView* imgDelta = nullptr;
    QLineEdit* edtAddr = nullptr;
    QLineEdit* edtName = nullptr;
    QLineEdit* edtHex = nullptr;
    // Index = bit number.
    std::array<TBinaryFlag*, 8> bfBin{};
    // The change marker the row shows.
    TChangeMarker marker = TChangeMarker::None;
};

// One stack level.
struct TPStack {
    QLineEdit* edtLvl = nullptr;
    QLineEdit* edtHex = nullptr;
    // One cell per program-counter bit, index = bit number.
    std::vector<TBinaryFlag*> bfBin;
};

// Two hexadecimal digits, upper case, of eight bits given bit 0 first.
QString ByteBitsToHex(const std::array<bool, 8>& bits);
// Four hexadecimal digits of a program counter or stack level given bit 0
// first: bits 8 and up, then bits 0..7.
QString AddressBitsToHex(const bool* bits, int count);
// A duration in seconds as the counters show it: fixed notation with 7
// decimals of a value rounded to 12 significant digits, then " " and the
// seconds text.
QString SecondsText(long double seconds);

class TRegisterViews : public QWidget {
    Q_OBJECT

public:
    static constexpr int ColumnWidth = 380;
    static constexpr int PanelWidth = 190;
    static constexpr int TopPanelHeight = 162;
    static constexpr int RowHeight = 21;
    static constexpr int FirstRowTop = 40;

    explicit TRegisterViews(QWidget* parent = nullptr);
    ~TRegisterViews() override;

    // Lays the panels out in the column's height; when corvel is bound, builds
    // the rows, the program-counter and stack cells for the selected model and
    // refreshes once. Does nothing while the main window is not alive.
    void FormResize();

    void BuildSfrRows();
    void BuildGprRows();
    void BuildPcAndStackCells();

    // Fills every view from corvel and ends with the refresh-complete flag
    // set. Does nothing unless the main window is alive, RefreshDone is true
    // and corvel is bound. Writes a control only when what it shows changes.
    void ShowAllRegAndCounters();

    // Clears the breakpoint of every register of the selected model in
    // corvel: they belong to the project, and corvel keeps them through a
    // change of model or chip, where they would pause the next project's
    // runs unseen.
    void ClearRegisterBreakpoints();

    // Empties every view as it is once no project is open: no address, name,
    // value, instruction, counter, program counter or stack address; bits,
    // breakpoint and change markers off, and none of them clickable; the
    // watchdog gauge empty. The rows stay built for the next project. The
    // next refresh fills them again.
    void ClearAllRegAndCounters();

    // Re-texts the panels in the current language: labels, the Clear button,
    // the small labels' font size, the header pictures and the rows' hints.
    void ApplyLanguage();

    // ---- Panels and their controls

    QFrame* pnlCounters = nullptr;
    QFrame* pnlStack = nullptr;
    QFrame* pnlSFR = nullptr;
    QFrame* pnlGPR = nullptr;

    QLabel* Label1 = nullptr;  // SFR panel title
    QLabel* Label2 = nullptr;  // GPR panel title
    QLabel* Label3 = nullptr;  // counters panel title
    QLabel* Label4 = nullptr;  // last instruction
    QLabel* Label5 = nullptr;  // next instruction
    QLabel* Label6 = nullptr;  // speed
    QLabel* Label7 = nullptr;  // instruction counter
    QLabel* Label8 = nullptr;  // machine cycles
    QLabel* Label9 = nullptr;  // real-time duration
    QLabel* Label10 = nullptr; // stack panel title
    QLabel* Label11 = nullptr; // stack counter
    QLabel* Label12 = nullptr; // stopwatch
    QLabel* Label13 = nullptr; // watchdog
    QLabel* Label14 = nullptr; // "PC"

    QLineEdit* txtLast = nullptr;
    QLineEdit* txtNext = nullptr;
    QLineEdit* txtIC = nullptr;
    QLineEdit* txtMC = nullptr;
    QLineEdit* txtRT = nullptr;
    QLineEdit* txtRTSpeed = nullptr;
    QLineEdit* txtUserTimer = nullptr;
    // The stopwatch's Clear; the simulation control handles its click.
    QPushButton* btnClear = nullptr;

    QLineEdit* txtPChex = nullptr;
    QProgressBar* prgWDT = nullptr;
    QLineEdit* txtStackCounter = nullptr;

    TImageView* Image2 = nullptr; // SFR header
    TImageView* Image4 = nullptr; // GPR header
    TImageView* Image5 = nullptr; // stack header
    TImageView* imgSfrIcon = nullptr;
    TImageView* imgGprIcon = nullptr;

    QScrollBar* scrlSFR = nullptr;
    QScrollBar* scrlGPR = nullptr;

    // ---- Rows and cells, as built

    std::vector<TPSfr> SfrRows;
    std::vector<TPSfr> GprRows;
    std::int32_t SfrRowCount = 0;
    std::int32_t GprRowCount = 0;
    std::vector<TPStack> StackRows;
    std::vector<TBinaryFlag*> PcCells;

    // ---- Handlers of the cells and scroll bars

    void BfSFRclick(TBinaryFlag* sender);
    void BfGPRclick(TBinaryFlag* sender);
    void BpSFRclick(TDeltaBreakPoint* sender);
    void BpGPRclick(TDeltaBreakPoint* sender);
    void scrlSFRChange();
    void scrlGPRChange();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void CreateCountersPanel();
    void CreateStackPanel();
    QFrame* CreateRegisterPanel(QLabel*& title, TImageView*& header, TImageView*& icon, QScrollBar*& scroll);
    void BuildRows(QFrame* panel, QScrollBar* scroll, std::vector<TPSfr>& rows, std::int32_t& rowCount,
                   int registerCount, bool gpr);
    TPSfr CreateRow(QFrame* panel, int index, bool gpr);
    TBinaryFlag* CreateFixedCell(QWidget* parent, int left, int top, int bit);
    void FillRow(TPSfr& row, std::int32_t address);
    void ClearRow(TPSfr& row);
    void ClearChangeMarks(std::vector<TPSfr>& rows);
    void WriteBit(TBinaryFlag* cell);
    void WriteBreakpoint(TDeltaBreakPoint* marker);
    void ApplyRowHints(TPSfr& row);
};
