// The register, counter and stack views against a scripted engine: rows for
// the panel's height, what a refresh shows, the change markers, clicks, the
// program counter and stack, the counters and the language.
#include <cmath>
#include <limits>

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>

#include <gtest/gtest.h>

#include "fake_engine.h"
#include "ide/main/binary_flag.h"
#include "ide/main/delta_break_point.h"
#include "ide/main/header_pictures.h"
#include "ide/main/image_view.h"
#include "ide/texts/texts.h"
#include "views_fixture.h"

namespace register_views_test {
namespace {

using twtest::Fake;
using twtest::FakeRegister;

class RegisterViewsTest : public testing::Test {
protected:
    // Shown (before the engine is bound, so nothing is built yet), so that
    // a resize reaches the views at once as it does in the window, never
    // later in the middle of a test.
    void SetUp() override
    {
        MCULibLoaded = false;
        views.setAttribute(Qt::WA_DontShowOnScreen);
        views.show();
        MCULibLoaded = true;
    }
    void TearDown() override { Language = 0; }

    // Lays the views out with register panels `panelHeight` high.
    void LayOut(int panelHeight)
    {
        views.resize(TRegisterViews::ColumnWidth, TRegisterViews::TopPanelHeight + panelHeight);
        views.FormResize();
    }

    // The register shown by display row `row`.
    FakeRegister& RegisterOfRow(int row) { return Fake().registers[Fake().simAddress[std::size_t(row)]]; }

    twtest::ApplicationReady application;
    twtest::LiveWindowFlags flags;
    twtest::FakeEngineBinding binding;
    TRegisterViews views;
};

template <typename T>
int ChildCount(QWidget* panel)
{
    return int(panel->findChildren<T*>(Qt::FindDirectChildrenOnly).size());
}

struct RowCase {
    int panelHeight;
    int registers;
    int rows;
};

TEST_F(RegisterViewsTest, RowsFollowThePanelHeightAndTheRegisterCount)
{
    const RowCase cases[] = {
        {0, 18, 0},    {41, 18, 0},   {62, 18, 0},     {63, 18, 1},     {84, 18, 2},
        {373, 18, 15}, {373, 10, 10}, {373, 0, 0},     {1000, 134, 45}, {1000, 18, 18},
    };
    for (const RowCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "height " << c.panelHeight << " registers " << c.registers);
        twtest::ResetFake(c.registers, c.registers);
        LayOut(c.panelHeight);
        for (auto [panel, count, scroll] : {std::tuple(views.pnlSFR, views.SfrRowCount, views.scrlSFR),
                                            std::tuple(views.pnlGPR, views.GprRowCount, views.scrlGPR)}) {
            EXPECT_EQ(panel->height(), c.panelHeight);
            EXPECT_EQ(count, c.rows);
            EXPECT_EQ(scroll->maximum(), c.registers - c.rows);
            if (c.rows > 0)
                EXPECT_EQ(scroll->pageStep(), c.rows);
            EXPECT_EQ(scroll->height(), std::max(0, c.panelHeight - 50));
            EXPECT_EQ(ChildCount<TBinaryFlag>(panel), 8 * c.rows);
            EXPECT_EQ(ChildCount<TDeltaBreakPoint>(panel), c.rows);
            EXPECT_EQ(ChildCount<QLineEdit>(panel), 3 * c.rows);
        }
        EXPECT_EQ(int(views.SfrRows.size()), views.SfrRowCount);
        EXPECT_EQ(int(views.GprRows.size()), views.GprRowCount);
    }
}

TEST_F(RegisterViewsTest, ShrinkingLeavesNoControlOfTheRowsItDrops)
{
    twtest::ResetFake(18, 134);
    LayOut(1000);
    ASSERT_EQ(views.GprRowCount, 45);
    const int imagesPerPanel = ChildCount<TImageView>(views.pnlGPR) - 45;
    LayOut(120);
    EXPECT_EQ(views.GprRowCount, 3);
    EXPECT_EQ(ChildCount<TBinaryFlag>(views.pnlGPR), 24);
    EXPECT_EQ(ChildCount<TDeltaBreakPoint>(views.pnlGPR), 3);
    EXPECT_EQ(ChildCount<QLineEdit>(views.pnlGPR), 9);
    EXPECT_EQ(ChildCount<TImageView>(views.pnlGPR), imagesPerPanel + 3);
    // Growing again reuses nothing stale: the new rows show their registers.
    LayOut(200);
    EXPECT_EQ(views.GprRowCount, 7);
    EXPECT_EQ(views.GprRows[6].edtName->text(), QString("G%1").arg(18 + 6));
}

TEST_F(RegisterViewsTest, ARowHasItsControlsWhereTheColumnsAre)
{
    twtest::ResetFake(18, 20);
    LayOut(373);
    const TPSfr& row = views.SfrRows[2];
    const int top = 40 + 21 * 2;
    EXPECT_EQ(row.imgBP->geometry(), QRect(0, top, 11, 20));
    EXPECT_EQ(row.edtAddr->geometry(), QRect(12, top, 28, 20));
    EXPECT_EQ(row.edtName->geometry(), QRect(40, top, 65, 20));
    EXPECT_EQ(row.edtHex->geometry(), QRect(105, top, 20, 20));
    EXPECT_EQ(row.imgDelta->geometry(), QRect(165, top, 11, 20));
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(row.bfBin[std::size_t(4 + k)]->geometry(), QRect(155 - 10 * k, top, 10, 10)) << "bit " << 4 + k;
        EXPECT_EQ(row.bfBin[std::size_t(k)]->geometry(), QRect(155 - 10 * k, top + 10, 10, 10)) << "bit " << k;
    }
    EXPECT_EQ(views.scrlSFR->geometry(), QRect(176, 40, 9, 323));
}

TEST_F(RegisterViewsTest, ARowShowsTheRegisterOfItsDisplayRow)
{
    twtest::ResetFake(18, 40);
    FakeRegister& status = RegisterOfRow(4);
    status.ram = {1, 0, 1, 1, 0, 0, 0, 1}; // 0x8D
    status.usedBit = {1, 1, 1, 1, 1, 0, 0, 0};
    status.bitNames = {"C", "DC", "Z", "\\PD", "\\TO", "", "", ""};
    FakeRegister& gpr = RegisterOfRow(18 + 5);
    gpr.ram = {0, 1, 0, 0, 0, 0, 0, 0};
    LayOut(373);

    const TPSfr& row = views.SfrRows[4];
    EXPECT_EQ(row.edtAddr->text(), "068");
    EXPECT_EQ(row.edtName->text(), "S4");
    EXPECT_EQ(row.edtHex->text(), "8D");
    for (int bit = 0; bit < 8; ++bit) {
        const TBinaryFlag* cell = row.bfBin[std::size_t(bit)];
        EXPECT_EQ(cell->value(), status.ram[std::size_t(bit)] != 0) << bit;
        EXPECT_EQ(cell->ReadOnl(), status.usedBit[std::size_t(bit)] != 0) << bit;
        EXPECT_EQ(cell->toolTip(), QString::fromStdString(status.bitNames[std::size_t(bit)])) << bit;
        EXPECT_EQ(cell->ByteAddres(), 104);
        EXPECT_EQ(cell->BitAddres(), bit);
    }
    EXPECT_EQ(row.imgBP->ByteAddres(), 104);
    // GPR rows start after the special-function rows.
    EXPECT_EQ(views.GprRows[5].edtName->text(), "G23");
    EXPECT_EQ(views.GprRows[5].edtHex->text(), "02");

    views.scrlGPR->setValue(10);
    EXPECT_EQ(views.GprRows[0].edtName->text(), "G28");
    views.scrlSFR->setValue(3);
    EXPECT_EQ(views.SfrRows[1].edtName->text(), "S4");
    EXPECT_EQ(views.SfrRows[1].edtHex->text(), "8D");
}

TEST_F(RegisterViewsTest, AChangingWriteMarksItsBitsForOneRefresh)
{
    twtest::ResetFake(18, 20);
    LayOut(373);
    FakeRegister& reg = RegisterOfRow(2);
    reg.delta = 1;
    reg.greenDelta = 0;
    reg.deltaBit = {0, 1, 0, 1, 0, 0, 0, 0};
    views.ShowAllRegAndCounters();

    const TPSfr& row = views.SfrRows[2];
    EXPECT_EQ(row.marker, TChangeMarker::Red);
    EXPECT_EQ(row.imgDelta->Picture(), ChangeMarkerPicture(TChangeMarker::Red));
    for (int bit = 0; bit < 8; ++bit)
        EXPECT_EQ(row.bfBin[std::size_t(bit)]->Delta(), bit == 1 || bit == 3) << bit;
    EXPECT_EQ(twtest::PixelOf(row.bfBin[1], 0, 0), twtest::Rgb(255, 0, 0));
    EXPECT_EQ(reg.delta, 0);
    EXPECT_EQ(reg.greenDelta, 1);
    EXPECT_EQ(reg.toClearDelta, 1);
    EXPECT_EQ(reg.deltaBit, (std::array<std::uint8_t, 8>{}));

    views.ShowAllRegAndCounters();
    EXPECT_EQ(row.marker, TChangeMarker::None);
    EXPECT_EQ(row.imgDelta->Picture(), ChangeMarkerPicture(TChangeMarker::None));
    for (int bit = 0; bit < 8; ++bit)
        EXPECT_FALSE(row.bfBin[std::size_t(bit)]->Delta()) << bit;
    EXPECT_EQ(reg.toClearDelta, 0);
}

TEST_F(RegisterViewsTest, WritesWithoutChangeShowGreenAndTheNextChangeMarksEveryBitWrittenSince)
{
    twtest::ResetFake(18, 20);
    LayOut(373);
    FakeRegister& reg = RegisterOfRow(18 + 1);
    reg.delta = 1;
    reg.greenDelta = 1;
    reg.deltaBit[2] = 1;
    views.ShowAllRegAndCounters();
    const TPSfr& row = views.GprRows[1];
    EXPECT_EQ(row.marker, TChangeMarker::Green);
    for (int bit = 0; bit < 8; ++bit)
        EXPECT_FALSE(row.bfBin[std::size_t(bit)]->Delta()) << bit;
    EXPECT_EQ(reg.delta, 0);
    EXPECT_EQ(reg.deltaBit[2], 1);
    EXPECT_EQ(reg.toClearDelta, 0);

    reg.delta = 1;
    reg.greenDelta = 0;
    reg.deltaBit[5] = 1;
    views.ShowAllRegAndCounters();
    EXPECT_EQ(row.marker, TChangeMarker::Red);
    for (int bit = 0; bit < 8; ++bit)
        EXPECT_EQ(row.bfBin[std::size_t(bit)]->Delta(), bit == 2 || bit == 5) << bit;
}

TEST_F(RegisterViewsTest, ScrollingTakesTheMarksOffTheRowsThatNowShowOtherRegisters)
{
    twtest::ResetFake(18, 60);
    LayOut(373);
    FakeRegister& reg = RegisterOfRow(18);
    reg.delta = 1;
    reg.deltaBit[7] = 1;
    views.ShowAllRegAndCounters();
    ASSERT_TRUE(views.GprRows[0].bfBin[7]->Delta());
    views.scrlGPR->setValue(1);
    EXPECT_FALSE(views.GprRows[0].bfBin[7]->Delta());
    EXPECT_EQ(views.GprRows[0].edtName->text(), "G19");
}

TEST_F(RegisterViewsTest, AClickOnAnExistingBitWritesItOnceAndOnAMissingBitNothing)
{
    twtest::ResetFake(18, 20);
    FakeRegister& reg = RegisterOfRow(3);
    reg.usedBit = {1, 1, 1, 1, 0, 0, 0, 0};
    reg.ram = {0, 0, 0, 0, 0, 0, 0, 0};
    LayOut(373);
    const TPSfr& row = views.SfrRows[3];

    twtest::ClickOn(row.bfBin[3]);
    ASSERT_EQ(Fake().setRamCalls.size(), 1u);
    EXPECT_EQ(Fake().setRamCalls[0], (twtest::SetRamCall{103, 3, 1}));
    twtest::ClickOn(row.bfBin[6]);
    EXPECT_EQ(Fake().setRamCalls.size(), 1u);
    // The value reaches the row's text at the next refresh.
    views.ShowAllRegAndCounters();
    EXPECT_EQ(row.edtHex->text(), "08");

    twtest::ClickOn(views.GprRows[0].bfBin[0]);
    ASSERT_EQ(Fake().setRamCalls.size(), 2u);
    EXPECT_EQ(Fake().setRamCalls[1], (twtest::SetRamCall{118, 0, 1}));
}

TEST_F(RegisterViewsTest, TheBreakpointMarkerSetsTheRegistersFlagsAndShowsThemBack)
{
    twtest::ResetFake(18, 20);
    LayOut(373);
    TDeltaBreakPoint* marker = views.GprRows[2].imgBP;
    FakeRegister& reg = RegisterOfRow(18 + 2);

    twtest::ClickOn(marker);
    EXPECT_EQ(reg.breakPoint, 1);
    EXPECT_EQ(reg.greenBP, 0);
    twtest::ClickOn(marker);
    EXPECT_EQ(reg.breakPoint, 1);
    EXPECT_EQ(reg.greenBP, 1);
    twtest::ClickOn(marker);
    EXPECT_EQ(reg.breakPoint, 0);
    EXPECT_EQ(reg.greenBP, 0);
    EXPECT_EQ(Fake().setBreakPointCalls, 3);
    EXPECT_EQ(Fake().setGreenBPCalls, 3);

    // The flags come back from corvel at every refresh.
    RegisterOfRow(1).breakPoint = 1;
    RegisterOfRow(1).greenBP = 1;
    views.ShowAllRegAndCounters();
    EXPECT_TRUE(views.SfrRows[1].imgBP->BPDelta());
    EXPECT_TRUE(views.SfrRows[1].imgBP->BPGreenDelta());
}

TEST_F(RegisterViewsTest, AMarkerNotYetToldItsRegisterIgnoresClicks)
{
    twtest::ResetFake(18, 20);
    RefreshDone = false;
    LayOut(373);
    ASSERT_EQ(views.SfrRowCount, 15);
    twtest::ClickOn(views.SfrRows[0].imgBP);
    EXPECT_EQ(Fake().setBreakPointCalls, 0);
    for (const FakeRegister& reg : Fake().registers)
        EXPECT_EQ(reg.breakPoint, 0);
}

struct PcCase {
    int bits;
    const char* allOnes;
};

TEST_F(RegisterViewsTest, ProgramCounterAndStackShowTheirBitsAndFourHexDigits)
{
    const PcCase cases[] = {{9, "01FF"}, {10, "03FF"}, {11, "07FF"}};
    for (const PcCase& c : cases) {
        SCOPED_TRACE(c.bits);
        twtest::ResetFake(18, 20);
        Fake().pcLen = c.bits;
        Fake().pc.assign(std::size_t(c.bits), true);
        Fake().stackCounter = 2;
        Fake().stack[0].assign(std::size_t(c.bits), true);
        Fake().stack[1].assign(std::size_t(c.bits), false);
        Fake().stack[1][0] = true;
        Fake().stack[1][8] = true; // 0x101
        LayOut(373);

        EXPECT_EQ(views.txtPChex->text(), c.allOnes);
        ASSERT_EQ(int(views.PcCells.size()), c.bits);
        for (int bit = 0; bit < c.bits; ++bit) {
            const TBinaryFlag* cell = views.PcCells[std::size_t(bit)];
            EXPECT_EQ(cell->geometry(), QRect(163 - 10 * bit, views.txtPChex->y() + 5, 10, 10));
            EXPECT_TRUE(cell->value());
            EXPECT_FALSE(cell->isEnabled());
            EXPECT_EQ(cell->toolTip(), QString::number(bit));
        }
        EXPECT_EQ(views.txtStackCounter->text(), "2");
        ASSERT_EQ(views.StackRows.size(), 2u);
        EXPECT_EQ(views.StackRows[0].edtHex->text(), c.allOnes);
        EXPECT_EQ(views.StackRows[1].edtHex->text(), "0101");
        for (int level = 0; level < 2; ++level) {
            const TPStack& row = views.StackRows[std::size_t(level)];
            EXPECT_EQ(row.edtLvl->text(), QString::number(level + 1));
            EXPECT_EQ(row.edtLvl->geometry(), QRect(1, 87 + 21 * level, 19, 20));
            EXPECT_EQ(row.edtHex->geometry(), QRect(21, 87 + 21 * level, views.txtPChex->width(), 20));
            ASSERT_EQ(int(row.bfBin.size()), c.bits);
            EXPECT_EQ(row.bfBin[0]->geometry(), QRect(163, 92 + 21 * level, 10, 10));
            EXPECT_EQ(row.bfBin[8]->value(), true);
        }
    }
}

TEST_F(RegisterViewsTest, StackLevelsAboveTheCounterKeepWhatTheyShowedLast)
{
    twtest::ResetFake(18, 20);
    Fake().stackCounter = 2;
    Fake().stack[1].assign(11, true);
    LayOut(373);
    ASSERT_EQ(views.StackRows[1].edtHex->text(), "07FF");
    Fake().stackCounter = 1;
    Fake().stack[1].assign(11, false);
    views.ShowAllRegAndCounters();
    EXPECT_EQ(views.txtStackCounter->text(), "1");
    EXPECT_EQ(views.StackRows[1].edtHex->text(), "07FF");
    EXPECT_TRUE(views.StackRows[1].bfBin[10]->value());
}

TEST_F(RegisterViewsTest, AModelWithANarrowerProgramCounterLeavesOnlyItsCells)
{
    twtest::ResetFake(18, 20);
    LayOut(373);
    ASSERT_EQ(views.PcCells.size(), 11u);
    Fake().pcLen = 9;
    Fake().pc.assign(9, false);
    views.FormResize();
    EXPECT_EQ(views.PcCells.size(), 9u);
    for (const TPStack& row : views.StackRows)
        EXPECT_EQ(row.bfBin.size(), 9u);
    // Nine cells for the counter and nine for each of the two levels.
    EXPECT_EQ(ChildCount<TBinaryFlag>(views.pnlStack), 9 * 3);
    EXPECT_EQ(ChildCount<QLineEdit>(views.pnlStack), 2 + 2 * 2);
    EXPECT_EQ(views.txtPChex->text(), "0000");
}

TEST_F(RegisterViewsTest, AnImplausibleCounterWidthOrStackDepthBuildsABoundedNumberOfCells)
{
    twtest::ResetFake(18, 20);
    Fake().pcLen = 4000;
    Fake().pc.assign(4000, true);
    Fake().stackMax = 250;
    LayOut(373);
    EXPECT_EQ(views.PcCells.size(), 16u);
    EXPECT_EQ(views.StackRows.size(), 8u);
    EXPECT_EQ(views.txtPChex->text(), "FFFF");
    Fake().pcLen = -3;
    views.FormResize();
    EXPECT_TRUE(views.PcCells.empty());
    EXPECT_EQ(views.txtPChex->text(), "0000");
}

struct SecondsCase {
    std::int64_t cycles;
    std::int32_t crystal;
    long double userTimer;
    const char* realTime;
    const char* stopwatch;
};

TEST_F(RegisterViewsTest, TheDurationAndTheStopwatchCountSimulatedSeconds)
{
    const SecondsCase cases[] = {
        {4000000, 4000000, 0, "4.0000000 Sec", "4.0000000 Sec"},
        {4000000, 4000000, 1.5L, "4.0000000 Sec", "2.5000000 Sec"},
        {1, 4000000, 0, "0.0000010 Sec", "0.0000010 Sec"},
        {3, 20000000, 0, "0.0000006 Sec", "0.0000006 Sec"},
        {8192, 32768, 0, "1.0000000 Sec", "1.0000000 Sec"},
        {4000000, 4000000, 5, "4.0000000 Sec", "-1.0000000 Sec"},
        // Twelve significant digits, then seven decimals.
        {123456789012, 4000000, 0, "123456.7890120 Sec", "123456.7890120 Sec"},
    };
    for (const SecondsCase& c : cases) {
        SCOPED_TRACE(c.realTime);
        twtest::ResetFake(18, 20);
        Fake().mc = c.cycles;
        Fake().crystalFreq = c.crystal;
        Fake().userTimer = c.userTimer;
        LayOut(373);
        EXPECT_EQ(views.txtRT->text(), c.realTime);
        EXPECT_EQ(views.txtUserTimer->text(), c.stopwatch);
        EXPECT_EQ(views.txtMC->text(), QString::number(c.cycles));
    }
}

TEST_F(RegisterViewsTest, TheSecondsFollowTheLanguage)
{
    twtest::ResetFake(18, 20);
    Fake().mc = 6000000;
    Fake().userTimer = 4;
    Language = 1;
    LayOut(373);
    EXPECT_EQ(views.txtUserTimer->text(), "2.0000000 Сек");
    EXPECT_EQ(views.txtRT->text(), "6.0000000 Сек");
}

TEST_F(RegisterViewsTest, AClockTooSlowForAMachineCycleLeavesTheTimesAlone)
{
    twtest::ResetFake(18, 20);
    Fake().mc = 100;
    Fake().crystalFreq = 3;
    LayOut(373);
    EXPECT_EQ(views.txtRT->text(), "");
    EXPECT_EQ(views.txtMC->text(), "100");
    EXPECT_EQ(Fake().refreshComplete, 1);
}

TEST_F(RegisterViewsTest, CountersAndInstructionsComeFromTheEngine)
{
    twtest::ResetFake(18, 20);
    Fake().ic = 1234567890123;
    Fake().I = 5;
    LayOut(373);
    EXPECT_EQ(views.txtIC->text(), "1234567890123");
    EXPECT_EQ(views.txtLast->text(), "LAST");
    EXPECT_EQ(views.txtNext->text(), "WORD 5");
    // At the last word (after a reset) the next instruction is the one at 0.
    Fake().I = 2047;
    views.ShowAllRegAndCounters();
    EXPECT_EQ(views.txtNext->text(), "WORD 0");
    Fake().I = 2046;
    views.ShowAllRegAndCounters();
    EXPECT_EQ(views.txtNext->text(), "WORD 2046");
}

struct GaugeCase {
    double count;
    double period;
    int value;
    int maximum;
};

TEST_F(RegisterViewsTest, TheWatchdogGaugeStaysWithinItsRange)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const GaugeCase cases[] = {
        {9000, 18000, 9000, 18000},   {17999.9, 18000.7, 17999, 18000}, {20000, 18000, 18000, 18000},
        {-5, 18000, 0, 18000},        {nan, 18000, 0, 18000},           {inf, 18000, 18000, 18000},
        {0, 0, 0, 1},                 {3, nan, 1, 1},                   {1e12, 1e15, std::numeric_limits<int>::max(),
                                                                          std::numeric_limits<int>::max()},
    };
    twtest::ResetFake(18, 20);
    LayOut(373);
    for (const GaugeCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.count << " of " << c.period);
        Fake().taktsWDT = c.count;
        Fake().periodWDT = c.period;
        views.ShowAllRegAndCounters();
        EXPECT_EQ(views.prgWDT->value(), c.value);
        EXPECT_EQ(views.prgWDT->maximum(), c.maximum);
        EXPECT_EQ(views.prgWDT->minimum(), 0);
    }
}

TEST_F(RegisterViewsTest, ARefreshEndsWithTheFlagsSetAndStartsOnlyWhenAllowed)
{
    twtest::ResetFake(18, 20);
    LayOut(373);
    Fake().refreshComplete = 0;
    views.ShowAllRegAndCounters();
    EXPECT_EQ(Fake().refreshComplete, 1);
    EXPECT_TRUE(RefreshDone);

    // While a refresh is in progress, or before the views may show, nothing
    // reaches the engine.
    Fake().refreshComplete = 0;
    Fake().calls = 0;
    RefreshDone = false;
    views.ShowAllRegAndCounters();
    EXPECT_EQ(Fake().calls, 0);
    RefreshDone = true;
    WindowAlive = false;
    views.ShowAllRegAndCounters();
    views.FormResize();
    EXPECT_EQ(Fake().calls, 0);
    EXPECT_EQ(Fake().refreshComplete, 0);
}

TEST_F(RegisterViewsTest, NothingIsCalledBeforeABindOrAfterTheTableIsCleared)
{
    twtest::ResetFake(18, 20);
    LayOut(373);
    Fake().calls = 0;

    DllMCEntries = TDllMCEntries();
    views.ShowAllRegAndCounters();
    LayOut(500);
    twtest::ClickOn(views.SfrRows[0].imgBP);
    twtest::ClickOn(views.SfrRows[0].bfBin[0]);

    MCULibLoaded = false;
    views.ShowAllRegAndCounters();
    LayOut(600);
    EXPECT_EQ(Fake().calls, 0);
    // Without a library the rows stay as they were.
    EXPECT_EQ(views.SfrRowCount, 15);
}

TEST_F(RegisterViewsTest, ARefreshOfAnUnchangedStateRewritesNoText)
{
    twtest::ResetFake(18, 40);
    Fake().mc = 77;
    Fake().ic = 70;
    RegisterOfRow(3).ram = {1, 1, 0, 0, 1, 0, 0, 1};
    Fake().stackCounter = 2;
    LayOut(373);
    int changes = 0;
    for (QLineEdit* edit : views.findChildren<QLineEdit*>())
        QObject::connect(edit, &QLineEdit::textChanged, [&] { ++changes; });
    views.ShowAllRegAndCounters();
    EXPECT_EQ(changes, 0);
    Fake().mc = 78;
    views.ShowAllRegAndCounters();
    // Cycles, duration and stopwatch.
    EXPECT_EQ(changes, 3);
}

TEST_F(RegisterViewsTest, ARowPastTheModelsRegistersIsLeftAlone)
{
    twtest::ResetFake(18, 40);
    LayOut(373);
    // The model shrinks under rows that have not been rebuilt yet.
    Fake().sfrCount = 10;
    Fake().gprCount = 5;
    views.ShowAllRegAndCounters();
    EXPECT_EQ(views.SfrRows[9].edtName->text(), "S9");
    EXPECT_EQ(views.SfrRows[10].edtName->text(), "S10");
    views.FormResize();
    EXPECT_EQ(views.SfrRowCount, 10);
    EXPECT_EQ(views.GprRowCount, 5);
    EXPECT_EQ(views.GprRows[0].edtName->text(), "S10");
}

TEST_F(RegisterViewsTest, TheLanguageRetextsLabelsFontsPicturesAndHints)
{
    twtest::ResetFake(18, 20);
    LayOut(373);
    struct Look {
        int language;
        const char* counters;
        const char* clear;
        int smallSize;
        const char* sfr;
        const char* gpr;
        const char* stack;
    };
    const Look looks[] = {
        {1, "Счетчики и инструкции", "Очист.", 7, "gSfrRu", "gGprRu", "gStackRu"},
        {0, "Counters and Instructions", "Clear", 8, "gSfrEn", "gGprEn", "gStackEn"},
    };
    for (const Look& look : looks) {
        SCOPED_TRACE(look.language);
        Language = look.language;
        views.ApplyLanguage();
        EXPECT_EQ(views.Label3->text(), QString::fromUtf8(look.counters));
        EXPECT_EQ(views.btnClear->text(), QString::fromUtf8(look.clear));
        EXPECT_EQ(views.Label2->text(), GetText(3060));
        EXPECT_EQ(views.Label11->text(), GetText(3022));
        for (QWidget* small : std::initializer_list<QWidget*>{views.btnClear, views.Label4, views.Label5, views.Label7,
                                                              views.Label8, views.Label9, views.Label6, views.Label12,
                                                              views.Label13, views.Label11})
            EXPECT_EQ(small->font().pointSize(), look.smallSize) << small->objectName().toStdString();
        for (QLabel* title : {views.Label1, views.Label2, views.Label3, views.Label10})
            EXPECT_EQ(title->font().pointSize(), 8);
        EXPECT_EQ(views.Image2->Picture(), HeaderPicture(look.sfr));
        EXPECT_EQ(views.Image4->Picture(), HeaderPicture(look.gpr));
        EXPECT_EQ(views.Image5->Picture(), HeaderPicture(look.stack));
        EXPECT_EQ(views.GprRows[3].imgBP->toolTip(), GetText(2025));
        EXPECT_EQ(views.SfrRows[0].imgDelta->toolTip(), GetText(2026));
    }
}

TEST_F(RegisterViewsTest, HeaderPicturesHaveTheirSizesAndTheirRulesStandOnTheColumnEdges)
{
    struct Size {
        const char* name;
        QSize size;
    };
    const Size sizes[] = {
        {"gSfrEn", {165, 23}}, {"gSfrRu", {165, 23}},  {"gGprEn", {165, 23}},
        {"GGPRRU", {165, 23}}, {"gstacken", {83, 23}}, {"gStackRu", {83, 23}},
    };
    for (const Size& s : sizes)
        EXPECT_EQ(HeaderPicture(s.name).size(), s.size) << s.name;
    EXPECT_TRUE(HeaderPicture("gPcEn").isNull());
    EXPECT_NE(HeaderPicture("gSfrEn"), HeaderPicture("gSfrRu"));
    EXPECT_NE(HeaderPicture("gSfrEn"), HeaderPicture("gGprEn"));
    EXPECT_NE(HeaderPicture("gStackEn"), HeaderPicture("gStackRu"));

    twtest::ResetFake(18, 20);
    LayOut(373);
    for (TImageView* header : {views.Image2, views.Image4}) {
        const QImage picture = header->Picture();
        const QRgb background = picture.pixel(0, 22);
        const TPSfr& row = views.SfrRows[0];
        for (QWidget* column : std::initializer_list<QWidget*>{row.edtName, row.edtHex, row.bfBin[7], row.imgDelta}) {
            const int x = column->x() - header->x();
            SCOPED_TRACE(x);
            ASSERT_GE(x, 0);
            ASSERT_LT(x, picture.width());
            EXPECT_NE(picture.pixel(x, 3), background);
            EXPECT_EQ(picture.pixel(x, 3), picture.pixel(x, 19));
        }
        EXPECT_EQ(header->geometry(), QRect(10, 17, 165, 23));
    }
    EXPECT_EQ(views.Image5->geometry(), QRect(92, 62, 83, 23));
}

} // namespace

} // namespace register_views_test
