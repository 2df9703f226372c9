// The views on the real corvel.so: every general-purpose register of a
// PIC16F59 reached by scrolling, a bit written by a click, a change of model,
// and the main window binding a model into its left column.
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

#include <gtest/gtest.h>

#include "ide/main/binary_flag.h"
#include "ide/main/header_pictures.h"
#include "ide/main/image_view.h"
#include "ide/texts/texts.h"
#include "ide/main/simulator_binding.h"
#include "ide/main/view_model_seam.h"
#include "ide/workbench/shared_library.h"
#include "views_fixture.h"

namespace corvel_views_test {
namespace {

constexpr std::uint8_t Pic10F200 = 0;
constexpr std::uint8_t Pic16F59 = 15;

QString CorvelPath()
{
    return QString::fromStdString((twtest::binDir() / "corvel.so").string());
}

// The general-purpose registers of the PIC16F59 as its data sheet maps them:
// 0A..0F, then 10..1F of each of the eight banks.
QStringList Pic16F59GprAddresses()
{
    QStringList addresses;
    for (int address = 0x0A; address <= 0x0F; ++address)
        addresses << QStringLiteral("%1").arg(address, 3, 16, QLatin1Char('0')).toUpper();
    for (int bank = 0; bank < 8; ++bank)
        for (int address = 0x10; address <= 0x1F; ++address)
            addresses << QStringLiteral("%1").arg(bank * 0x20 + address, 3, 16, QLatin1Char('0')).toUpper();
    return addresses;
}

// corvel.so bound into DllMCEntries for the views, as the main window binds it.
class CorvelViewsTest : public testing::Test {
protected:
    void SetUp() override
    {
        handle_ = LoadSharedLibrary(CorvelPath());
        ASSERT_NE(handle_, nullptr);
        QStringList missing;
        DllMCEntries = BindDllMCEntries(handle_, &missing);
        ASSERT_TRUE(missing.isEmpty()) << missing.join(", ").toStdString();
        MCULibLoaded = true;
        views.setAttribute(Qt::WA_DontShowOnScreen);
    }
    void TearDown() override
    {
        MCULibLoaded = false;
        DllMCEntries = TDllMCEntries();
        if (handle_)
            UnloadSharedLibrary(handle_);
    }

    void LayOut(int panelHeight)
    {
        views.resize(TRegisterViews::ColumnWidth, TRegisterViews::TopPanelHeight + panelHeight);
        views.FormResize();
    }

    twtest::ApplicationReady application;
    twtest::LiveWindowFlags flags;
    TRegisterViews views;
    void* handle_ = nullptr;
};

TEST_F(CorvelViewsTest, ScrollingAPic16F59ShowsEveryGeneralPurposeRegisterOnce)
{
    DllMCEntries.SelectMC(Pic16F59);
    // Room for 15 rows: 17 rows of 21 pixels less the header's two.
    LayOut(17 * 21 + 10);
    ASSERT_EQ(views.GprRowCount, 15);
    EXPECT_EQ(views.scrlGPR->maximum(), 119);
    EXPECT_EQ(views.scrlGPR->pageStep(), 15);

    QStringList shown;
    for (int position = 0; position <= views.scrlGPR->maximum(); ++position) {
        views.scrlGPR->setValue(position);
        shown << views.GprRows[0].edtAddr->text();
    }
    for (int row = 1; row < views.GprRowCount; ++row)
        shown << views.GprRows[std::size_t(row)].edtAddr->text();
    EXPECT_EQ(shown, Pic16F59GprAddresses());

    // The special-function list starts with W and scrolls to its last row.
    EXPECT_EQ(views.SfrRows[0].edtName->text(), "W");
    views.scrlSFR->setValue(views.scrlSFR->maximum());
    const QLineEdit* longest = views.SfrRows.back().edtName;
    EXPECT_EQ(longest->text(), "TMR0 Prescaler");
    // Its name fits its box, in a smaller type than the others'.
    EXPECT_LE(QFontMetrics(longest->font()).horizontalAdvance(longest->text()), longest->width() - 6);
    EXPECT_LT(longest->font().pointSizeF(), views.SfrRows.front().edtName->font().pointSizeF());
}

TEST_F(CorvelViewsTest, AClickOnABitOfARegisterWritesItIntoTheEngine)
{
    DllMCEntries.SelectMC(Pic16F59);
    LayOut(17 * 21 + 10);
    const TPSfr& row = views.GprRows[2];
    const std::int32_t address = row.bfBin[0]->ByteAddres();
    const std::uint8_t before = DllMCEntries.Get_RAM(address, 6);
    ASSERT_TRUE(row.bfBin[6]->ReadOnl());

    twtest::ClickOn(row.bfBin[6]);
    EXPECT_EQ(DllMCEntries.Get_RAM(address, 6), before ? 0 : 1);
    views.ShowAllRegAndCounters();
    std::array<bool, 8> bits{};
    for (int bit = 0; bit < 8; ++bit)
        bits[std::size_t(bit)] = DllMCEntries.Get_RAM(address, bit) != 0;
    EXPECT_EQ(row.edtHex->text(), ByteBitsToHex(bits));

    // PORTE has bits 4..7 only: its low bits ignore clicks.
    views.scrlSFR->setValue(0);
    for (const TPSfr& sfr : views.SfrRows) {
        if (sfr.edtName->text() != "PORTE")
            continue;
        const std::int32_t porte = sfr.bfBin[0]->ByteAddres();
        const std::uint8_t low = DllMCEntries.Get_RAM(porte, 0);
        EXPECT_FALSE(sfr.bfBin[0]->ReadOnl());
        twtest::ClickOn(sfr.bfBin[0]);
        EXPECT_EQ(DllMCEntries.Get_RAM(porte, 0), low);
    }
}

TEST_F(CorvelViewsTest, FromElevenProgramCounterBitsToNine)
{
    DllMCEntries.SelectMC(Pic16F59);
    LayOut(17 * 21 + 10);
    ASSERT_EQ(views.PcCells.size(), 11u);
    ASSERT_EQ(views.StackRows.size(), 2u);
    EXPECT_EQ(views.StackRows[0].bfBin.size(), 11u);

    DllMCEntries.SelectMC(Pic10F200);
    views.FormResize();
    EXPECT_EQ(views.PcCells.size(), 9u);
    for (const TPStack& row : views.StackRows)
        EXPECT_EQ(row.bfBin.size(), 9u);
    EXPECT_EQ(int(views.pnlStack->findChildren<TBinaryFlag*>().size()), 9 * 3);
    // Eleven special-function rows and sixteen general-purpose ones.
    EXPECT_EQ(views.SfrRowCount, 11);
    EXPECT_EQ(views.GprRowCount, 15);
    EXPECT_EQ(views.scrlGPR->maximum(), 1);
    EXPECT_EQ(views.GprRows[0].edtAddr->text(), "010");
}

class MainWindowViewsTest : public testing::Test {
protected:
    void SetUp() override
    {
        host.SearchDeviceFiles([](const QString&) {}, QString::fromStdString(twtest::binDir().string()));
        ASSERT_EQ(host.InfoDevices().size(), 1u);
    }
    void TearDown() override { RefreshDone = false; }

    twtest::ApplicationReady application;
    twtest::CapturedMessages messages;
    TDeviceHost host;
};

TEST_F(MainWindowViewsTest, TheMainWindowsLanguageReachesThePanels)
{
    TMainForm form(host);
    TRegisterViews* views = form.RegisterViews();
    Language = 1;
    ApplyMainFormLanguage();
    EXPECT_EQ(views->Label1->text(), GetText(3040));
    EXPECT_EQ(views->btnClear->text(), QString::fromUtf8("Очист."));
    EXPECT_EQ(views->Label4->font().pointSize(), 7);
    EXPECT_EQ(views->Image4->Picture(), HeaderPicture("gGprRu"));
    Language = 0;
    ApplyMainFormLanguage();
    EXPECT_EQ(views->btnClear->text(), "Clear");
    EXPECT_EQ(views->Label4->font().pointSize(), 8);
    EXPECT_EQ(views->Image5->Picture(), HeaderPicture("gStackEn"));
}

TEST_F(MainWindowViewsTest, TheLeftColumnShowsTheBoundModel)
{
    TMainForm form(host);
    form.setAttribute(Qt::WA_DontShowOnScreen);
    form.show();
    TRegisterViews* views = form.RegisterViews();
    ASSERT_NE(views, nullptr);
    EXPECT_EQ(views->width(), TRegisterViews::ColumnWidth);
    EXPECT_FALSE(views->isHidden());
    EXPECT_TRUE(views->SfrRows.empty());

    ASSERT_TRUE(BindModelForViewing(form, host, "pic16f59"));
    EXPECT_EQ(host.MCUModelIndex, Pic16F59);
    EXPECT_TRUE(RefreshDone);
    EXPECT_EQ(views->PcCells.size(), 11u);
    // The column takes the window's height below the tool bar.
    EXPECT_EQ(views->height(), form.centralWidget()->height());
    const int rows = (views->height() - TRegisterViews::TopPanelHeight) / 21 - 2;
    EXPECT_GE(rows, 10);
    EXPECT_EQ(views->SfrRowCount, rows);
    EXPECT_EQ(views->GprRowCount, rows);
    form.resize(form.width(), form.height() + 42);
    EXPECT_EQ(views->GprRowCount, rows + 2);
    EXPECT_EQ(views->SfrRows[0].edtName->text(), "W");
    EXPECT_EQ(views->txtStackCounter->text(), "0");
    EXPECT_EQ(DllMCEntries.Get_rtRefreshComplete(), 1);

    EXPECT_EQ(views->txtRT->text(), "0.0000000 Sec");

    // The stopwatch's Clear and the run's refresh reach the panels.
    views->btnClear->click();
    EXPECT_EQ(views->txtUserTimer->text(), "0.0000000 Sec");
    DllMCEntries.Set_rtRefreshComplete(0);
    RefreshDone = false;
    form.ShowAllRegAndCounters();
    EXPECT_TRUE(RefreshDone);
    EXPECT_EQ(DllMCEntries.Get_rtRefreshComplete(), 1);
    form.ShowSpeed("100 %");
    EXPECT_EQ(views->txtRTSpeed->text(), "100 %");

    EXPECT_FALSE(BindModelForViewing(form, host, "PIC99X"));
    EXPECT_TRUE(messages.texts.isEmpty());
}

} // namespace

} // namespace corvel_views_test
