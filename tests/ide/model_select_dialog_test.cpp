// The model selection dialog over a program folder holding corvel, a second
// library of corvel's architecture and a test chip library.
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

#include "ide/main/model_select_dialog.h"
#include "ide/texts/texts.h"
#include "ide_fixture.h"

namespace model_select_dialog_test {
namespace {

QStringList Items(const QComboBox* box)
{
    QStringList items;
    for (int index = 0; index < box->count(); ++index)
        items << box->itemText(index);
    return items;
}

class ModelSelectDialogTest : public testing::Test {
protected:
    void SetUp() override
    {
        folder.place("devlib_chip", "chip/devlib_chip.so");
        std::filesystem::copy_file(twtest::binDir() / "corvel.so", folder.root() / "corvel.so");
        folder.place("devlib_baseline_twin", "twin/devlib_baseline_twin.so");
        twtest::Search(host, folder);
        ASSERT_EQ(host.InfoDevices().size(), 3u);
    }

    // Picks `model` as the user would.
    void Choose(Tfrmopn& dialog, const QString& model)
    {
        const int index = dialog.cbHexSelectMC->findText(model);
        ASSERT_GE(index, 0) << model.toStdString();
        dialog.cbHexSelectMC->setCurrentIndex(index);
        dialog.cbHexSelectMCChange();
    }

    twtest::ApplicationReady application;
    twtest::CapturedMessages messages;
    twtest::ProgramFolder folder;
    TDeviceHost host;
    int binds = 0;
    bool bindResult = true;
    std::vector<std::pair<int, QString>> calls;
    bool chosenResult = true;
    TBindModel bind = [this] {
        ++binds;
        return bindResult;
    };
    TModelChosen chosen = [this](std::uint8_t type, const QString& file) {
        calls.emplace_back(type, file);
        return chosenResult;
    };
};

TEST_F(ModelSelectDialogTest, OneArchitectureLinePerFamilySortedAndTheModelsInLibraryOrder)
{
    Tfrmopn dialog(host, bind, chosen);
    EXPECT_EQ(Items(dialog.cbHexSelectFamily),
              (QStringList{"Microchip PIC BASELINE", "Test chips TESTCHIP"}));
    EXPECT_EQ(dialog.cbHexSelectFamily->currentIndex(), 0);
    const QStringList models = Items(dialog.cbHexSelectMC);
    ASSERT_EQ(models.size(), 18);
    EXPECT_EQ(models.first(), "PIC10F200");
    EXPECT_EQ(models.mid(9, 4), (QStringList{"PIC12F519", "PIC16F505", "PIC16F506", "PIC16F526"}));
    EXPECT_EQ(models.mid(16), (QStringList{"PIC10F999", "PIC12F508"}));
    EXPECT_EQ(dialog.windowTitle(), GetText(5));
    EXPECT_EQ(dialog.size(), QSize(188, 185));

    dialog.cbHexSelectFamily->setCurrentIndex(1);
    dialog.cbHexSelectFamilyChange();
    EXPECT_EQ(Items(dialog.cbHexSelectMC), (QStringList{"Chip8", "Chip8B"}));
}

TEST_F(ModelSelectDialogTest, TheRefusedModelsDisableOkAndShowTheNote)
{
    Tfrmopn dialog(host, bind, chosen);
    for (const char* model : {"PIC12F519", "PIC16F505", "PIC16F506", "PIC16F526"}) {
        Choose(dialog, model);
        EXPECT_FALSE(dialog.Button1->isEnabled()) << model;
        EXPECT_TRUE(dialog.Label3->isVisibleTo(&dialog)) << model;
        dialog.Button1Click();
        EXPECT_EQ(binds, 0) << model;
    }
    Choose(dialog, "PIC12F508");
    EXPECT_TRUE(dialog.Button1->isEnabled());
    EXPECT_FALSE(dialog.Label3->isVisibleTo(&dialog));
    EXPECT_EQ(dialog.Label3->text(), GetText(403));
}

TEST_F(ModelSelectDialogTest, OkFindsTheLastMatchBindsAndHandsOnTheCall)
{
    Tfrmopn dialog(host, bind, chosen);
    dialog.TypeOfCall = mcImportAsm;
    dialog.NameOfImportFile = "/tmp/source.asm";
    // PIC12F508 is both corvel's model 6 and the twin's model 1: the last wins.
    Choose(dialog, "PIC12F508");
    dialog.Button1Click();
    EXPECT_EQ(binds, 1);
    EXPECT_EQ(host.InfoDevices()[std::size_t(host.MCUInfoIndex)]->vSDisplayName.toQString(), "Baseline twin");
    EXPECT_EQ(host.MCUModelIndex, 1);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0], std::make_pair(2, QString("/tmp/source.asm")));
    EXPECT_EQ(dialog.result(), QDialog::Accepted);

    Choose(dialog, "PIC10F206");
    dialog.Button1Click();
    EXPECT_EQ(host.InfoDevices()[std::size_t(host.MCUInfoIndex)]->vSFamily.toQString(), "BASELINE");
    EXPECT_EQ(host.MCUModelIndex, 3);
}

TEST_F(ModelSelectDialogTest, AFailedImportKeepsTheDialogOpenAndARefusedBindDisablesOk)
{
    Tfrmopn dialog(host, bind, chosen);
    dialog.setResult(QDialog::Rejected);
    chosenResult = false;
    dialog.Button1Click();
    EXPECT_EQ(calls.size(), 1u);
    EXPECT_TRUE(dialog.Button1->isEnabled()) << "the user may pick another model";
    EXPECT_EQ(dialog.result(), QDialog::Rejected);

    bindResult = false;
    dialog.Button1Click();
    EXPECT_EQ(calls.size(), 1u) << "nothing goes on without a bound engine";
    EXPECT_FALSE(dialog.Button1->isEnabled());
}

TEST_F(ModelSelectDialogTest, CancelChangesNothing)
{
    Tfrmopn dialog(host, bind, chosen);
    host.MCUInfoIndex = 2;
    host.MCUModelIndex = 1;
    Choose(dialog, "PIC16F59");
    dialog.Button2Click();
    EXPECT_EQ(host.MCUInfoIndex, 2);
    EXPECT_EQ(host.MCUModelIndex, 1);
    EXPECT_EQ(binds, 0);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST(ModelSelectDialogEmpty, OkWithoutAModelSaysSo)
{
    twtest::ApplicationReady application;
    twtest::CapturedMessages messages;
    TDeviceHost host;
    int binds = 0;
    Tfrmopn dialog(host, [&] { return ++binds, true; }, {});
    EXPECT_EQ(dialog.cbHexSelectFamily->count(), 0);
    dialog.Button1Click();
    EXPECT_EQ(messages.texts, QStringList{GetText(2010)});
    EXPECT_EQ(binds, 0);
}

} // namespace

} // namespace model_select_dialog_test
