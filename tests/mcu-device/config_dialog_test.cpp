// The chip device's configuration dialog, driven as a user would: lists,
// frequency edit, radio buttons and the two buttons, with its error message
// caught instead of shown.
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <gtest/gtest.h>

#include "chip_device_support.h"
#include "mcu-device/config_dialog.h"
#include "mcu-device/library_texts.h"
#include "texts/settings_store.h"

namespace config_dialog_test {
namespace {

using corvel::TformSettings;
using corvel::TheEngine;
using twtest::placeChip;
using twtest::configOf;
using twtest::recordOf;
using twtest::replaceRecord;

// Runs first in the program, before any test below makes the application.
TEST(ConfigDialogWithoutApplication, SettingsCommandDoesNothing)
{
    if (QApplication::instance())
        GTEST_SKIP() << "an application exists already";
    const twtest::DeviceHandle device = placeChip(corvel::kPic16F54);
    const std::string record = recordOf(*device);
    device->ShowSettings();
    EXPECT_EQ(recordOf(*device), record);
}

void ensureApplication()
{
    if (QApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "test_mcu-device";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

class ConfigDialog : public testing::Test {
protected:
    void SetUp() override
    {
        ensureApplication();
        twtest::clearSettings();
        previousSink_ = corvel::SetSettingsMessageSink(
            [this](QWidget* dialog, const QString& text) { messages.push_back({dialog, text}); });
    }

    void TearDown() override
    {
        corvel::SetSettingsMessageSink(previousSink_);
        twtest::clearSettings();
        LanguageMC = 0;
    }

    // The dialog of `device`, shown without blocking.
    static std::unique_ptr<TformSettings> open(TDevice& device)
    {
        corvel::ChipDevice* chip = corvel::asChipDevice(&device);
        EXPECT_NE(chip, nullptr);
        auto form = corvel::CreateSettingsDialog(*chip);
        form->show();
        return form;
    }

    // Ok or Cancel on a shown dialog, then what ShowSettingsMC does after it.
    static void close(TformSettings& form, QPushButton* button)
    {
        button->click();
        if (form.result() == QDialog::Accepted)
            corvel::TakeBackSettings(form, TheEngine());
    }

    struct Message {
        QWidget* dialog;
        QString text;
    };
    std::vector<Message> messages;

private:
    corvel::SettingsMessageSink previousSink_;
};

template <typename Widget>
Widget* child(const TformSettings& form, const char* name)
{
    Widget* widget = form.findChild<Widget*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

// ---------------------------------------------------------------------------
// The lists of each model

struct ListCase {
    const char* list;
    int value0Id;
    int value1Id;
    int hintId; // -1: none
};

struct ModelCase {
    int model;
    const char* panel;
    std::vector<ListCase> lists; // filled and enabled
    std::vector<const char*> unused; // on the panel, empty and disabled
};

void PrintTo(const ModelCase& c, std::ostream* os)
{
    *os << corvel::chipModel(c.model).name;
}

const std::vector<ListCase> k20x = {
    {"cmb20xWDTE", 50, 53, 20}, {"cmb20xCP", 52, 51, 21}, {"cmb20xMCLR", 54, 55, 22}};
const std::vector<ListCase> k22x = {{"cmb22xIOSCFS", 56, 57, -1}, {"cmb22xMCPU", 58, 59, -1},
                                    {"cmb22xWDTE", 50, 53, 20},   {"cmb22xCP", 52, 51, 21},
                                    {"cmb22xMCLRE", 54, 55, 22}};
const std::vector<ListCase> k12F = {{"cmb12FFosc0", 60, 61, 25}, {"cmb12FFosc1", 60, 61, 25},
                                    {"cmb12FWDTE", 50, 53, 20},  {"cmb12FCP", 52, 51, 21},
                                    {"cmb12FMCLRE", 54, 55, 22}};
const ListCase k12FIoscfs = {"cmb12FIOSCFS", 56, 57, 23};
const ListCase k12FCpdf = {"cmb12FCPDF", 52, 51, 26};
const std::vector<ListCase> k5x = {
    {"cmb5xFosc0", 60, 61, 27}, {"cmb5xFosc1", 60, 61, 27}, {"cmb5xWDTE", 50, 53, 20}, {"cmb5xCP", 52, 51, 21}};

std::vector<ListCase> plus(std::vector<ListCase> lists, std::initializer_list<ListCase> more)
{
    lists.insert(lists.end(), more);
    return lists;
}

const ModelCase kModelCases[] = {
    {corvel::kPic10F200, "pnlCfg20x", k20x, {}},
    {corvel::kPic10F202, "pnlCfg20x", k20x, {}},
    {corvel::kPic10F204, "pnlCfg20x", k20x, {}},
    {corvel::kPic10F206, "pnlCfg20x", k20x, {}},
    {corvel::kPic10F220, "pnlCfg22x", k22x, {}},
    {corvel::kPic10F222, "pnlCfg22x", k22x, {}},
    {corvel::kPic12F508, "pnlCfg12F", k12F, {"cmb12FIOSCFS", "cmb12FCPDF"}},
    {corvel::kPic12F509, "pnlCfg12F", k12F, {"cmb12FIOSCFS", "cmb12FCPDF"}},
    {corvel::kPic12F510, "pnlCfg12F", plus(k12F, {k12FIoscfs}), {"cmb12FCPDF"}},
    {corvel::kPic12F519, "pnlCfg12F", plus(k12F, {k12FIoscfs, k12FCpdf}), {}},
    {corvel::kPic16F54, "pnlCfg5X", k5x, {}},
    {corvel::kPic16F57, "pnlCfg5X", k5x, {}},
    {corvel::kPic16F59, "pnlCfg5X", k5x, {}},
};

class ConfigDialogModels : public ConfigDialog, public testing::WithParamInterface<ModelCase> {};

TEST_P(ConfigDialogModels, OnePanelWithOneListPerBit)
{
    const ModelCase& c = GetParam();
    const twtest::DeviceHandle device = placeChip(c.model);
    const auto form = open(*device);

    for (const char* panel : {"pnlCfg20x", "pnlCfg22x", "pnlCfg12F", "pnlCfg5X"})
        EXPECT_EQ(child<QWidget>(*form, panel)->isVisible(), std::string(panel) == c.panel) << panel;

    QWidget* panel = child<QWidget>(*form, c.panel);
    EXPECT_EQ(panel->findChildren<QComboBox*>().size(), qsizetype(c.lists.size() + c.unused.size()));
    for (const ListCase& list : c.lists) {
        SCOPED_TRACE(list.list);
        QComboBox* combo = child<QComboBox>(*form, list.list);
        ASSERT_EQ(combo->parentWidget(), panel);
        ASSERT_EQ(combo->count(), 2);
        EXPECT_EQ(combo->itemText(0), GetTextMC(list.value0Id));
        EXPECT_EQ(combo->itemText(1), GetTextMC(list.value1Id));
        EXPECT_TRUE(combo->isEnabled());
        const QLabel* label = qobject_cast<QLabel*>(combo->parentWidget()->findChild<QLabel*>(
            QString(list.list).replace(QStringLiteral("cmb"), QStringLiteral("lbl"))));
        ASSERT_NE(label, nullptr);
        EXPECT_TRUE(label->isEnabled());
        const QString hint = list.hintId < 0 ? QString() : GetTextMC(list.hintId).replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
        EXPECT_EQ(combo->toolTip(), hint);
        EXPECT_EQ(label->toolTip(), hint);
    }
    for (const char* name : c.unused) {
        const QComboBox* combo = child<QComboBox>(*form, name);
        EXPECT_FALSE(combo->isEnabled()) << name;
        EXPECT_EQ(combo->count(), 0) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(All, ConfigDialogModels, testing::ValuesIn(kModelCases),
                         [](const testing::TestParamInfo<ModelCase>& info) {
                             return std::string(corvel::chipModel(info.param.model).name);
                         });

// A model that is listed but not simulated has no page of bits, whatever the
// engine's last model offered; Ok changes no bit, and the record carries the
// engine's bits as always.
TEST_F(ConfigDialog, AListedOnlyModelHasNoPageOfBits)
{
    for (const int model : {corvel::kPic16F505, corvel::kPic16F506, corvel::kPic16F526}) {
        SCOPED_TRACE(corvel::chipModel(model).name);
        // The engine still holds the PIC12F519's seven bits.
        ASSERT_TRUE(TheEngine().SelectMC(corvel::kPic12F519));
        const twtest::DeviceHandle device = placeChip(model);
        replaceRecord(*device, "111111111111" "0" "004000000" "0");
        const std::string engineBits = configOf(TheEngine());
        const auto form = open(*device);
        for (const char* panel : {"pnlCfg20x", "pnlCfg22x", "pnlCfg12F", "pnlCfg5X"})
            EXPECT_FALSE(child<QWidget>(*form, panel)->isVisible()) << panel;
        EXPECT_FALSE(form->cmb12FCPDF->isEnabled());
        EXPECT_FALSE(form->cmb12FIOSCFS->isEnabled());
        close(*form, form->btnOk);
        EXPECT_EQ(configOf(TheEngine()), engineBits);
        EXPECT_EQ(recordOf(*device).substr(0, 12), engineBits);
        EXPECT_TRUE(messages.empty());
    }
}

// ---------------------------------------------------------------------------
// Initial selections follow the configuration bits the record set

struct SelectionCase {
    int model;
    const char* record;
    std::vector<std::pair<const char*, int>> selected;
};

TEST_F(ConfigDialog, ListsShowTheBitsOfTheAppliedRecord)
{
    const SelectionCase cases[] = {
        {corvel::kPic10F200, "001010000000" "0" "004000000" "0",
         {{"cmb20xWDTE", 1}, {"cmb20xCP", 0}, {"cmb20xMCLR", 1}}},
        {corvel::kPic10F222, "110000000000" "0" "004000000" "0",
         {{"cmb22xIOSCFS", 1}, {"cmb22xMCPU", 1}, {"cmb22xWDTE", 0}, {"cmb22xCP", 0}, {"cmb22xMCLRE", 0}}},
        {corvel::kPic12F519, "101011000000" "0" "004000000" "0",
         {{"cmb12FFosc0", 1}, {"cmb12FFosc1", 0}, {"cmb12FWDTE", 1}, {"cmb12FCP", 0}, {"cmb12FMCLRE", 1},
          {"cmb12FIOSCFS", 1}, {"cmb12FCPDF", 0}}},
        {corvel::kPic16F59, "011000000000" "0" "004000000" "0",
         {{"cmb5xFosc0", 0}, {"cmb5xFosc1", 1}, {"cmb5xWDTE", 1}, {"cmb5xCP", 0}}},
    };
    for (const SelectionCase& c : cases) {
        SCOPED_TRACE(corvel::chipModel(c.model).name);
        const twtest::DeviceHandle device = placeChip(c.model);
        replaceRecord(*device, c.record);
        device->ApplySettings();
        const auto form = open(*device);
        for (const auto& [list, index] : c.selected)
            EXPECT_EQ(child<QComboBox>(*form, list)->currentIndex(), index) << list;
    }
}

TEST_F(ConfigDialog, UnknownBitChoiceAndUserFrequencyComeFromTheRecord)
{
    const struct {
        const char* record;
        const char* checked;
        bool userFrequency;
        const char* frequency;
    } cases[] = {
        {"000100000000" "0" "000032768" "0", "rbXB0", false, "4000000"},
        {"000100000000" "1" "000032768" "1", "rbXB1", true, "32768"},
        {"000100000000" "1" "999999999" "R", "rbXBr", true, "999999999"},
        {"000100000000" "1" "000000000" "x", "rbXBr", true, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.record);
        const twtest::DeviceHandle device = placeChip(corvel::kPic10F200);
        replaceRecord(*device, c.record);
        const auto form = open(*device);
        EXPECT_TRUE(child<QRadioButton>(*form, c.checked)->isChecked());
        EXPECT_EQ(form->chkDCF->isChecked(), c.userFrequency);
        EXPECT_EQ(form->edtF->isReadOnly(), !c.userFrequency);
        if (c.userFrequency) {
            EXPECT_EQ(form->edtF->text(), QString::fromLatin1(c.frequency));
        }
    }
}

TEST_F(ConfigDialog, ANewPic10F200)
{
    const twtest::DeviceHandle device = placeChip(corvel::kPic10F200);
    const auto form = open(*device);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Settings: Microcontroller Microchip Baseline Family (0)"));
    EXPECT_EQ(form->cmb20xCP->currentText(), QStringLiteral("\"1\":Disabled"));
    EXPECT_EQ(form->edtF->text(), QStringLiteral("4000000"));
    EXPECT_TRUE(form->edtF->isReadOnly());
    EXPECT_FALSE(form->chkDCF->isChecked());
    EXPECT_TRUE(form->chkDCF->isVisible());
    EXPECT_FALSE(form->lbldcf->isVisible());
    EXPECT_EQ(form->size(), QSize(472, 346));
}

TEST_F(ConfigDialog, BelongsToTheHostWindow)
{
    QWidget host;
    ASSERT_TRUE(TheEngine().SelectMC(corvel::kPic10F200));
    const twtest::DeviceHandle device(Get_Device_class(&host));
    const auto form = corvel::CreateSettingsDialog(*corvel::asChipDevice(device.get()));
    EXPECT_EQ(form->parentWidget(), &host);
    EXPECT_TRUE(form->isWindow());
}

// ---------------------------------------------------------------------------
// Ok, Cancel and the engine

TEST_F(ConfigDialog, OkWritesTheRecordAndTheEngineTakesBitsAndFrequency)
{
    corvel::Engine& engine = TheEngine();
    const twtest::DeviceHandle device = placeChip(corvel::kPic10F200);
    const auto form = open(*device);
    form->cmb20xWDTE->setCurrentIndex(1);
    form->cmb20xCP->setCurrentIndex(0);
    form->chkDCF->setChecked(true);
    form->edtF->setText(QStringLiteral("100"));
    form->rbXBr->setChecked(true);
    close(*form, form->btnOk);

    EXPECT_EQ(form->result(), QDialog::Accepted);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(recordOf(*device), "001000000000" "1" "000000100" "R");
    EXPECT_EQ(configOf(engine), "001000000000");
    EXPECT_EQ(engine.crystalFrequency, 100);
    EXPECT_TRUE(messages.empty());
}

TEST_F(ConfigDialog, OkKeepsUnusedFrequencyDigitsAndBitsNoListShows)
{
    corvel::Engine& engine = TheEngine();
    const twtest::DeviceHandle device = placeChip(corvel::kPic16F57);
    // Bits 8 and 11 have no list; the stored user frequency is not in use.
    replaceRecord(*device, "010100001001" "0" "000032768" "1");
    device->ApplySettings();
    const auto form = open(*device);
    form->cmb5xFosc1->setCurrentIndex(0);
    form->cmb5xFosc0->setCurrentIndex(1);
    form->cmb5xWDTE->setCurrentIndex(1);
    form->cmb5xCP->setCurrentIndex(0);
    form->edtF->setText(QStringLiteral("20000000"));
    close(*form, form->btnOk);

    EXPECT_EQ(recordOf(*device), "101000001001" "1" "020000000" "1");
    EXPECT_EQ(configOf(engine), "101000001001");
    EXPECT_EQ(engine.crystalFrequency, 20000000);
}

// The real settings command: the dialog runs modally and is answered from
// the event loop it runs.
void answerModalDialog(const std::function<void(TformSettings&)>& answer)
{
    QTimer::singleShot(0, [answer] {
        auto* form = dynamic_cast<TformSettings*>(QApplication::activeModalWidget());
        if (!form) {
            ADD_FAILURE() << "the settings dialog is not the modal window";
            for (QWidget* window : QApplication::topLevelWidgets())
                if (auto* other = dynamic_cast<TformSettings*>(window))
                    other->reject();
            return;
        }
        answer(*form);
        if (form->isVisible())
            form->reject();
    });
}

TEST_F(ConfigDialog, SettingsCommandAppliesOkToTheEngine)
{
    corvel::Engine& engine = TheEngine();
    const twtest::DeviceHandle device = placeChip(corvel::kPic12F510);
    answerModalDialog([](TformSettings& form) {
        form.cmb12FIOSCFS->setCurrentIndex(1);
        form.cmb12FWDTE->setCurrentIndex(1);
        form.btnOk->click();
    });
    device->ShowSettings();

    EXPECT_EQ(recordOf(*device), "011101000000" "0" "004000000" "0");
    EXPECT_EQ(configOf(engine), "011101000000");
    EXPECT_EQ(engine.crystalFrequency, 8000000);
}

TEST_F(ConfigDialog, CancelAndCloseBoxChangeNothing)
{
    corvel::Engine& engine = TheEngine();
    const twtest::DeviceHandle device = placeChip(corvel::kPic10F222);
    replaceRecord(*device, "000100000000" "1" "000032768" "1");
    device->ApplySettings();
    const std::string record = recordOf(*device);
    const std::string config = configOf(engine);
    const std::int32_t frequency = engine.crystalFrequency;

    const auto changeEverything = [](TformSettings& form) {
        form.cmb22xIOSCFS->setCurrentIndex(1);
        form.cmb22xWDTE->setCurrentIndex(1);
        form.cmb22xCP->setCurrentIndex(0);
        form.chkDCF->setChecked(false);
        form.rbXBr->setChecked(true);
    };
    answerModalDialog([&](TformSettings& form) {
        changeEverything(form);
        form.btnCancel->click();
    });
    device->ShowSettings();
    answerModalDialog([&](TformSettings& form) {
        changeEverything(form);
        form.close();
    });
    device->ShowSettings();

    EXPECT_EQ(recordOf(*device), record);
    EXPECT_EQ(configOf(engine), config);
    EXPECT_EQ(engine.crystalFrequency, frequency);
}

// ---------------------------------------------------------------------------
// The user frequency

TEST_F(ConfigDialog, InvalidUserFrequencyIsRefusedAndNothingStored)
{
    corvel::Engine& engine = TheEngine();
    // setText passes by the edit's digit filter, as pasting into it would
    // without one.
    for (const char* text : {"", "99", "0", "000000099", "abc", " 100", "+100", "1e3", "0x64", "１００"}) {
        SCOPED_TRACE(text);
        messages.clear();
        const twtest::DeviceHandle device = placeChip(corvel::kPic10F200);
        const std::string record = recordOf(*device);
        const std::string config = configOf(engine);
        const auto form = open(*device);
        form->cmb20xWDTE->setCurrentIndex(1);
        form->chkDCF->setChecked(true);
        form->edtF->setText(QString::fromUtf8(text));
        form->btnOk->click();

        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text,
                  QStringLiteral("Invalid crystal frequency value (valid in range 100-999999999 Hz)"));
        EXPECT_EQ(messages[0].dialog, form.get());
        EXPECT_TRUE(form->isVisible());
        EXPECT_EQ(form->result(), QDialog::Rejected);
        EXPECT_EQ(recordOf(*device), record);
        EXPECT_EQ(form->Config, engine.Config);
        EXPECT_EQ(configOf(engine), config);
        // The user's choices stay as they were, also when the dialog becomes
        // active again after the message.
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(form.get(), &activate);
        form->hide();
        form->show();
        EXPECT_EQ(form->cmb20xWDTE->currentIndex(), 1);
        EXPECT_TRUE(form->chkDCF->isChecked());
        EXPECT_EQ(form->edtF->text(), QString::fromUtf8(text));
    }
}

TEST_F(ConfigDialog, FrequencyLimitsAndPadding)
{
    const struct {
        const char* text;
        const char* digits;
        std::int32_t frequency;
    } cases[] = {
        {"100", "000000100", 100},
        {"999999999", "999999999", 999999999},
        {"0032768", "000032768", 32768},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const twtest::DeviceHandle device = placeChip(corvel::kPic10F220);
        const auto form = open(*device);
        form->chkDCF->setChecked(true);
        form->edtF->setText(QString::fromLatin1(c.text));
        close(*form, form->btnOk);
        EXPECT_EQ(recordOf(*device).substr(12, 10), std::string("1") + c.digits);
        EXPECT_EQ(TheEngine().crystalFrequency, c.frequency);
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(ConfigDialog, EditTakesNineDigitsAtMost)
{
    const twtest::DeviceHandle device = placeChip(corvel::kPic10F200);
    const auto form = open(*device);
    form->chkDCF->setChecked(true);
    form->edtF->clear();
    for (const QChar c : QStringLiteral("12a34-5678901"))
        form->edtF->insert(c);
    EXPECT_EQ(form->edtF->text(), QStringLiteral("123456789"));
    EXPECT_EQ(form->edtF->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
}

TEST_F(ConfigDialog, Pic10F220UserFrequencyAndIoscfs)
{
    const twtest::DeviceHandle device = placeChip(corvel::kPic10F220);
    const auto form = open(*device);
    form->chkDCF->setChecked(true);
    EXPECT_EQ(form->edtF->text(), QStringLiteral("4000000"));
    EXPECT_FALSE(form->edtF->isReadOnly());

    form->cmb22xIOSCFS->setCurrentIndex(1);
    EXPECT_EQ(form->edtF->text(), QStringLiteral("4000000")) << "the user's frequency stays";
    form->chkDCF->setChecked(false);
    EXPECT_EQ(form->edtF->text(), QStringLiteral("8000000"));
    EXPECT_TRUE(form->edtF->isReadOnly());
    form->cmb22xIOSCFS->setCurrentIndex(0);
    EXPECT_EQ(form->edtF->text(), QStringLiteral("4000000"));
    form->cmb22xIOSCFS->setCurrentIndex(1);
    EXPECT_EQ(form->edtF->text(), QStringLiteral("8000000"));

    close(*form, form->btnOk);
    EXPECT_EQ(recordOf(*device), "100100000000" "0" "004000000" "0");
    EXPECT_EQ(TheEngine().crystalFrequency, 8000000);
}

// ---------------------------------------------------------------------------
// Clock sources of the PIC12F and PIC16F5x

struct ClockCase {
    int model;
    int fosc1;
    int fosc0;
    int ioscfs; // -1: the model has none
    int sourceTextId;
    bool external;
};

TEST_F(ConfigDialog, ClockSourceFollowsTheOscillatorLists)
{
    const ClockCase cases[] = {
        {corvel::kPic12F508, 0, 0, -1, 210, true},  {corvel::kPic12F508, 0, 1, -1, 211, true},
        {corvel::kPic12F508, 1, 0, -1, 212, false}, {corvel::kPic12F508, 1, 1, -1, 214, true},
        {corvel::kPic12F510, 1, 0, 0, 212, false},  {corvel::kPic12F510, 1, 0, 1, 213, false},
        {corvel::kPic12F519, 1, 0, 1, 213, false},  {corvel::kPic12F519, 1, 1, 1, 214, true},
        {corvel::kPic16F54, 0, 0, -1, 210, true},   {corvel::kPic16F57, 0, 1, -1, 211, true},
        {corvel::kPic16F57, 1, 0, -1, 215, true},   {corvel::kPic16F59, 1, 1, -1, 214, true},
    };
    for (const ClockCase& c : cases) {
        SCOPED_TRACE(testing::Message() << corvel::chipModel(c.model).name << " " << c.fosc1 << c.fosc0 << " "
                                        << c.ioscfs);
        const twtest::DeviceHandle device = placeChip(c.model);
        replaceRecord(*device, "000100000000" "0" "000032768" "0");
        device->ApplySettings();
        const auto form = open(*device);
        const bool pic12 = c.model <= corvel::kPic12F519;
        QComboBox* fosc1 = pic12 ? form->cmb12FFosc1 : form->cmb5xFosc1;
        QComboBox* fosc0 = pic12 ? form->cmb12FFosc0 : form->cmb5xFosc0;
        EXPECT_FALSE(form->chkDCF->isVisible());
        EXPECT_TRUE(form->lbldcf->isVisible());
        EXPECT_EQ(form->lblTCF->text(), QStringLiteral("External Crystal Frequency:"));
        // Leave the start state both ways, so that every change runs.
        fosc1->setCurrentIndex(1 - c.fosc1);
        fosc0->setCurrentIndex(1 - c.fosc0);
        if (c.ioscfs >= 0)
            form->cmb12FIOSCFS->setCurrentIndex(c.ioscfs);
        fosc1->setCurrentIndex(c.fosc1);
        fosc0->setCurrentIndex(c.fosc0);

        EXPECT_EQ(form->lbldcf->text(), GetTextMC(209) + GetTextMC(c.sourceTextId));
        EXPECT_EQ(form->chkDCF->isChecked(), c.external);
        EXPECT_EQ(form->edtF->isReadOnly(), !c.external);
        EXPECT_EQ(form->edtF->text(), c.external ? QStringLiteral("32768")
                                                 : c.ioscfs == 1 ? QStringLiteral("8000000")
                                                                 : QStringLiteral("4000000"));
    }
}

TEST_F(ConfigDialog, Pic12F510IoscfsChangesTheInternalFrequencyItStores)
{
    const twtest::DeviceHandle device = placeChip(corvel::kPic12F510);
    const auto form = open(*device);
    ASSERT_EQ(form->lbldcf->text(), QStringLiteral("The selected clock source: INTRC (Internal 4 MHz Oscillator)"));
    form->cmb12FIOSCFS->setCurrentIndex(1);
    EXPECT_EQ(form->lbldcf->text(), QStringLiteral("The selected clock source: INTRC (Internal 8 MHz Oscillator)"));
    EXPECT_EQ(form->edtF->text(), QStringLiteral("8000000"));
    close(*form, form->btnOk);
    EXPECT_EQ(recordOf(*device), "010101000000" "0" "004000000" "0");
    EXPECT_EQ(TheEngine().crystalFrequency, 8000000);
}

TEST_F(ConfigDialog, Pic12F508ExternalOscillatorTakesTheUserFrequency)
{
    const twtest::DeviceHandle device = placeChip(corvel::kPic12F508);
    const auto form = open(*device);
    EXPECT_TRUE(form->edtF->isReadOnly());
    form->cmb12FFosc1->setCurrentIndex(0);
    form->cmb12FFosc0->setCurrentIndex(1);
    EXPECT_EQ(form->lbldcf->text(), QStringLiteral("The selected clock source: XT (Crystal/Resonator)"));
    EXPECT_FALSE(form->edtF->isReadOnly());
    form->edtF->setText(QStringLiteral("3579545"));
    close(*form, form->btnOk);
    EXPECT_EQ(recordOf(*device), "100100000000" "1" "003579545" "0");
    EXPECT_EQ(TheEngine().crystalFrequency, 3579545);
}

// ---------------------------------------------------------------------------
// Texts in both languages

TEST_F(ConfigDialog, TextsInBothLanguages)
{
    const struct {
        int language;
        const char* caption;
        std::vector<std::pair<const char*, const char*>> texts;
    } cases[] = {
        {0, "Settings: Microcontroller Microchip Baseline Family (0)",
         {{"btnOk", "OK"}, {"btnCancel", "Cancel"}, {"tabCB", "Config Bits"}, {"tabO", "Other"},
          {"chkDCF", "Use different crystal frequency (not recomended)"},
          {"gbCF", "Advanced Configuration of Clock Frequency"}, {"lblTCF", "Clock Frequency:"}, {"lblHZ", "Hz"},
          {"gbGetXValue", "Value if the state of bit is unknown"}, {"rbXB0", "0 - Bit is clear (Default) "},
          {"rbXB1", "1 - Bit is set"}, {"rbXBr", "Random"}, {"cmb22xMCPU", "\"0\":Pull-up enabled"}}},
        {1, "Настройки: Микроконтроллер Microchip семейства Baseline (0)",
         {{"btnOk", "OK"}, {"btnCancel", "Отмена"}, {"tabCB", "Биты конфигурации"}, {"tabO", "Разное"},
          {"chkDCF", "Использовать нестандартную частоту кварца (не рекомендуется)"},
          {"gbCF", "Расширенные настройки тактовой частоты"}, {"lblTCF", "Тактовая частота составляет:"},
          {"lblHZ", "Гц"}, {"gbGetXValue", "Значение, если состояние бита не известно"},
          {"rbXB0", "0 - Бит очищен (по-умолчанию)"}, {"rbXB1", "1 - Бит установлен"}, {"rbXBr", "Случайно"},
          {"cmb22xMCPU", "\"0\":Подтяг. вкл"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.language);
        // The language is the one of the "Lang" setting when the device was made.
        twtest::plantSetting(QStringLiteral("Lang"), c.language);
        const twtest::DeviceHandle device = placeChip(corvel::kPic10F222);
        twtest::plantSetting(QStringLiteral("Lang"), 1 - c.language);
        const auto form = open(*device);
        EXPECT_EQ(form->windowTitle(), QString::fromUtf8(c.caption));
        for (const auto& [name, text] : c.texts) {
            QString shown;
            QObject* control = form->findChild<QObject*>(QString::fromLatin1(name));
            ASSERT_NE(control, nullptr) << name;
            if (auto* button = qobject_cast<QAbstractButton*>(control))
                shown = button->text();
            else if (auto* label = qobject_cast<QLabel*>(control))
                shown = label->text();
            else if (auto* group = qobject_cast<QGroupBox*>(control))
                shown = group->title();
            else if (auto* combo = qobject_cast<QComboBox*>(control))
                shown = combo->itemText(0);
            else
                shown = form->TAB->tabText(form->TAB->indexOf(qobject_cast<QWidget*>(control)));
            EXPECT_EQ(shown, QString::fromUtf8(text)) << name;
        }
    }
}

TEST_F(ConfigDialog, OscillatorHintsShowFiveLinesAndTheTableKeepsItsSeparators)
{
    for (const int language : {0, 1}) {
        LanguageMC = language;
        const twtest::DeviceHandle device16 = placeChip(corvel::kPic16F54);
        LanguageMC = language;
        const auto form16 = open(*device16);
        const twtest::DeviceHandle device12 = placeChip(corvel::kPic12F509);
        LanguageMC = language;
        const auto form12 = open(*device12);
        for (const auto& [hint, textId] : {std::pair{form12->cmb12FFosc0->toolTip(), 25},
                                            std::pair{form12->lbl12FFosc1->toolTip(), 25},
                                            std::pair{form16->cmb5xFosc1->toolTip(), 27}}) {
            SCOPED_TRACE(textId);
            const QString table = GetTextMC(textId);
            EXPECT_EQ(table.count(QStringLiteral("\n\r")), 4);
            EXPECT_EQ(hint.count(QLatin1Char('\n')), 4);
            EXPECT_FALSE(hint.contains(QLatin1Char('\r')));
            EXPECT_EQ(hint.split(QLatin1Char('\n')), table.split(QStringLiteral("\n\r")));
            EXPECT_FALSE(Qt::mightBeRichText(hint));
        }
    }
}

// ---------------------------------------------------------------------------
// Look: nothing clipped, nothing overlapping, focus in reading order. With
// TW_DIALOG_SHOTS set to a folder the pages are written there as PNG files.

QString shownText(const QWidget* widget)
{
    if (auto* button = qobject_cast<const QAbstractButton*>(widget))
        return button->text();
    if (auto* label = qobject_cast<const QLabel*>(widget))
        return label->text();
    return {};
}

void expectNothingClippedOrOverlapping(const QWidget* parent)
{
    const QList<QWidget*> children = parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    std::vector<const QWidget*> shown;
    for (const QWidget* widget : children)
        if (widget->isVisible() && !widget->objectName().isEmpty())
            shown.push_back(widget);
    for (const QWidget* widget : shown) {
        SCOPED_TRACE(widget->objectName().toStdString());
        EXPECT_TRUE(parent->rect().contains(widget->geometry())) << "sticks out of " << parent->objectName().toStdString();
        if (widget->hasHeightForWidth()) {
            EXPECT_LE(widget->heightForWidth(widget->width()), widget->height()) << shownText(widget).toStdString();
        } else if (qobject_cast<const QAbstractButton*>(widget) || qobject_cast<const QLabel*>(widget)
                   || qobject_cast<const QComboBox*>(widget)) {
            EXPECT_LE(widget->sizeHint().width(), widget->width()) << shownText(widget).toStdString();
        }
        if (auto* group = qobject_cast<const QGroupBox*>(widget)) {
            EXPECT_LE(group->fontMetrics().horizontalAdvance(group->title()) + 16, group->width());
        }
        for (const QWidget* other : shown) {
            if (other != widget) {
                EXPECT_FALSE(widget->geometry().intersects(other->geometry())) << other->objectName().toStdString();
            }
        }
        expectNothingClippedOrOverlapping(widget);
    }
}

std::vector<std::string> focusChain(TformSettings& form)
{
    std::vector<std::string> names;
    QWidget* widget = &form;
    for (int guard = 0; guard < 200; ++guard) {
        widget = widget->nextInFocusChain();
        if (widget == &form)
            break;
        // A widget with a focus proxy hands the focus on at once.
        if (widget->isVisible() && widget->isEnabled() && (widget->focusPolicy() & Qt::TabFocus)
            && !widget->focusProxy())
            names.push_back(widget->objectName().isEmpty() ? widget->metaObject()->className()
                                                           : widget->objectName().toStdString());
    }
    return names;
}

TEST_F(ConfigDialog, LooksRightInBothLanguagesForEveryPanel)
{
    const QString shots = QString::fromLocal8Bit(qgetenv("TW_DIALOG_SHOTS"));
    if (!shots.isEmpty())
        QDir().mkpath(shots);
    const struct {
        int model;
        std::vector<std::string> focus;
    } cases[] = {
        {corvel::kPic10F200, {"qt_tabwidget_tabbar", "cmb20xMCLR", "cmb20xCP", "cmb20xWDTE", "edtF", "chkDCF", "btnOk", "btnCancel"}},
        {corvel::kPic10F220,
         {"qt_tabwidget_tabbar", "cmb22xMCLRE", "cmb22xCP", "cmb22xWDTE", "cmb22xMCPU", "cmb22xIOSCFS", "edtF", "chkDCF", "btnOk",
          "btnCancel"}},
        {corvel::kPic12F519,
         {"qt_tabwidget_tabbar", "cmb12FMCLRE", "cmb12FCP", "cmb12FWDTE", "cmb12FCPDF", "cmb12FFosc1", "cmb12FFosc0",
          "cmb12FIOSCFS", "edtF", "btnOk", "btnCancel"}},
        {corvel::kPic16F59,
         {"qt_tabwidget_tabbar", "cmb5xCP", "cmb5xWDTE", "cmb5xFosc1", "cmb5xFosc0", "edtF", "btnOk", "btnCancel"}},
    };
    for (const int language : {0, 1}) {
        for (const auto& c : cases) {
            const QString name = QString::fromLatin1(corvel::chipModel(c.model).name) + (language ? "_ru" : "_en");
            SCOPED_TRACE(name.toStdString());
            const twtest::DeviceHandle device = placeChip(c.model);
            // Long texts everywhere: a user frequency, an 8 MHz clock source.
            replaceRecord(*device, "010111100000" "1" "000032768" "0");
            device->ApplySettings();
            LanguageMC = language;
            const auto form = open(*device);
            EXPECT_EQ(focusChain(*form), c.focus);
            for (const int page : {0, 1}) {
                form->TAB->setCurrentIndex(page);
                expectNothingClippedOrOverlapping(form.get());
                if (!shots.isEmpty())
                    form->grab().save(shots + "/settings_" + name + (page ? "_other" : "_bits") + ".png");
            }
        }
    }
}

} // namespace

} // namespace config_dialog_test
