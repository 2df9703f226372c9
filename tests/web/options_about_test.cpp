// The Options dialog (language, Ok re-texting the main window at once,
// Cancel writing nothing), the About box, the devices window, and the Help
// and Options menus reaching them.
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include "ide/main/about_box.h"
#include "ide/main/devices_form.h"
#include "ide/main/header_pictures.h"
#include "ide/main/image_view.h"
#include "ide/main/main_form.h"
#include "ide/main/options_form.h"
#include "ide/main/register_views.h"
#include "ide/texts/settings.h"
#include "ide/texts/texts.h"
#include "ide/web/bug_report.h"
#include "web/web_fixture.h"

namespace options_about_test {
namespace {

// Every text the main window's language sets, in a fixed order.
QStringList MainWindowTexts(const TMainForm& form)
{
    QStringList texts{form.windowTitle()};
    for (const QMenu* menu : {form.File1, form.Edit1, form.Run1, form.Option1, form.Window1, form.Help1})
        texts << menu->title();
    for (const QAction* action : form.findChildren<QAction*>())
        texts << action->objectName() + "=" + action->text() + "|" + action->toolTip() + "|" + action->statusTip();
    return texts;
}

class OptionsTest : public testing::Test {
protected:
    void SetUp() override { WriteRegInt(kLanguageSetting, 0); }
    void TearDown() override
    {
        WriteRegInt(kLanguageSetting, 0);
        LoadLanguageSetting();
        ApplyMainFormLanguage();
    }

    twtest::ApplicationReady application;
    twtest::CapturedMessages messages;
    TDeviceHost host;
    TMainForm form{host};
};

TEST_F(OptionsTest, TheStoredLanguageSelectsItsItem)
{
    struct Case {
        std::int32_t stored;
        int selected;
    };
    for (const Case c : {Case{0, 0}, Case{1, 1}, Case{7, -1}, Case{-1, -1}}) {
        WriteRegInt(kLanguageSetting, c.stored);
        TFormOptions options(&form);
        EXPECT_EQ(options.cbxLang->currentIndex(), c.selected) << c.stored;
    }
    TFormOptions options(&form);
    EXPECT_EQ(options.windowTitle(), "Options");
    EXPECT_EQ(options.gpbLang->title(), "Language");
    EXPECT_EQ(options.btnOk->text(), "Ok");
    EXPECT_EQ(options.btnCancel->text(), "Cancel");
    EXPECT_TRUE(options.btnOk->isDefault());
    EXPECT_EQ(options.size(), QSize(288, 201));
    ASSERT_EQ(options.cbxLang->count(), 2);
    EXPECT_EQ(options.cbxLang->itemText(0), "English (Английский)");
    EXPECT_EQ(options.cbxLang->itemText(1), "Русский (Russian)");
}

TEST_F(OptionsTest, OkOnRussianRetextsTheMainWindowAtOnce)
{
    const QStringList english = MainWindowTexts(form);
    {
        TFormOptions options(&form);
        options.cbxLang->setCurrentIndex(1);
        options.btnOk->click();
        EXPECT_EQ(options.result(), QDialog::Accepted);
    }
    EXPECT_EQ(ReadRegInt(kLanguageSetting), 1);
    EXPECT_EQ(Language, 1);
    EXPECT_EQ(form.File1->title(), "&Файл");
    EXPECT_EQ(form.FileSave1->text(), "Сохрнит&ь");
    EXPECT_EQ(form.FileNew1->toolTip(), "Новый проект");
    EXPECT_EQ(form.FileNew1->statusTip(), "Создать новый проект");
    EXPECT_EQ(form.FileExportHex1->toolTip(), form.FileExportHex1->statusTip());
    EXPECT_EQ(form.ActionRun->toolTip(), GetText(4040).section('|', 0, 0));
    EXPECT_EQ(form.windowTitle(), "Tarnwick");

    // Applying the same language again changes nothing.
    const QStringList russian = MainWindowTexts(form);
    EXPECT_NE(russian, english);
    ApplyMainFormLanguage();
    EXPECT_EQ(MainWindowTexts(form), russian);

    // Opening Options again shows the language chosen last; back to English
    // restores every text without a restart.
    TFormOptions again(&form);
    EXPECT_EQ(again.cbxLang->currentIndex(), 1);
    EXPECT_EQ(again.windowTitle(), "Опции");
    again.cbxLang->setCurrentIndex(0);
    again.btnOk->click();
    EXPECT_EQ(MainWindowTexts(form), english);
}

// The panels of the left column follow at once too: labels, the Clear
// button, the small labels' size and the header pictures; the titles keep
// their design size.
TEST_F(OptionsTest, OkRetextsTheRegisterPanels)
{
    const TRegisterViews& views = *form.RegisterViews();
    const QList<QWidget*> small = {views.btnClear, views.Label4, views.Label5, views.Label7, views.Label8,
                                   views.Label9, views.Label6, views.Label12, views.Label13, views.Label11};
    const QList<QLabel*> titles = {views.Label1, views.Label2, views.Label3, views.Label10, views.Label14};
    QList<int> titleSizes;
    for (const QLabel* title : titles)
        titleSizes << title->font().pointSize();

    struct Expected {
        int index;
        QString clear, countersTitle;
        int smallSize;
        const char *sfr, *gpr, *stack;
    };
    const Expected cases[] = {
        {1, "Очист.", "Счетчики и инструкции", 7, "gSfrRu", "gGprRu", "gStackRu"},
        {0, "Clear", "Counters and Instructions", 8, "gSfrEn", "gGprEn", "gStackEn"},
    };
    for (const Expected& e : cases) {
        TFormOptions options(&form);
        options.cbxLang->setCurrentIndex(e.index);
        options.btnOk->click();
        EXPECT_EQ(views.btnClear->text(), e.clear);
        EXPECT_EQ(views.Label3->text(), e.countersTitle);
        for (const QWidget* widget : small)
            EXPECT_EQ(widget->font().pointSize(), e.smallSize) << widget->objectName().toStdString();
        EXPECT_EQ(views.Image2->Picture(), HeaderPicture(e.sfr));
        EXPECT_EQ(views.Image4->Picture(), HeaderPicture(e.gpr));
        EXPECT_EQ(views.Image5->Picture(), HeaderPicture(e.stack));
        for (qsizetype index = 0; index < titles.size(); ++index)
            EXPECT_EQ(titles[index]->font().pointSize(), titleSizes[index]) << index;
    }
}

TEST_F(OptionsTest, OkWithoutASelectionStoresMinusOneWhichReadsAsEnglish)
{
    WriteRegInt(kLanguageSetting, 7);
    TFormOptions options(&form);
    options.btnOk->click();
    EXPECT_EQ(ReadRegInt(kLanguageSetting), -1);
    EXPECT_EQ(Language, 0);
    EXPECT_EQ(form.File1->title(), "&File");
}

TEST_F(OptionsTest, CancelWritesNothing)
{
    WriteRegInt(kLanguageSetting, 7);
    TFormOptions options(&form);
    options.cbxLang->setCurrentIndex(1);
    options.btnCancel->click();
    EXPECT_EQ(options.result(), QDialog::Rejected);
    EXPECT_EQ(ReadRegInt(kLanguageSetting), 7);
    EXPECT_EQ(Language, 0);
    EXPECT_EQ(form.File1->title(), "&File");
}

// The Options command shows the dialog modally; here the user picks Russian
// and presses Ok.
TEST_F(OptionsTest, TheOptionsCommandShowsTheDialog)
{
    EXPECT_TRUE(form.ActionOptions->isEnabled());
    QStringList shown;
    const TDialogSink previous = SetDialogSink([&](QDialog& dialog) {
        shown << dialog.objectName();
        auto& options = dynamic_cast<TFormOptions&>(dialog);
        options.cbxLang->setCurrentIndex(1);
        options.btnOk->click();
        return dialog.result();
    });
    form.ActionOptions->trigger();
    SetDialogSink(previous);
    EXPECT_EQ(shown, QStringList({"FormOptions"}));
    EXPECT_EQ(form.File1->title(), "&Файл");
}

class AboutTest : public testing::Test {
protected:
    void TearDown() override { Language = 0; }

    twtest::ApplicationReady application;
};

TEST_F(AboutTest, TheBoxShowsTheNameTheBuildVersionAndTheLink)
{
    TAboutBox box;
    EXPECT_EQ(AboutBox, &box);
    EXPECT_EQ(box.windowTitle(), "About Tarnwick");
    EXPECT_EQ(box.lblPrgVer->text(), "Tarnwick Version " + twtest::ProjectVersionParts().join('.'));
    EXPECT_TRUE(box.lblPrgVer->font().bold());
    EXPECT_EQ(box.lblLink->text(), GetText(0));
    EXPECT_TRUE(box.lblLink->font().underline());
    EXPECT_EQ(box.Label1->text(), "Tarnwick");
    EXPECT_EQ(box.OKButton->text(), "OK");
    EXPECT_TRUE(box.OKButton->isDefault());
    EXPECT_EQ(box.size(), QSize(711, 511));
    EXPECT_EQ(box.Shape1->geometry(), QRect(133, 462, 570, 3));
    EXPECT_EQ(box.Image2->Picture().size(), QSize(108, 457));
    EXPECT_EQ(box.Image3->Picture().size(), QSize(108, 138));
    EXPECT_EQ(box.Image4->Picture().size(), QSize(105, 105));

    Language = 1;
    TAboutBox russian;
    EXPECT_EQ(russian.windowTitle(), "О программе Tarnwick");
    EXPECT_EQ(russian.lblPrgVer->text(), "Tarnwick Версия " + twtest::ProjectVersionParts().join('.'));
    // The box made before keeps its texts.
    EXPECT_EQ(box.windowTitle(), "About Tarnwick");
}

TEST_F(AboutTest, TheLinkOpensTheWebSite)
{
    TAboutBox box;
    box.show();
    QStringList opened;
    const TUrlSink previous = SetUrlSink([&](const QString& address) { opened << address; });
    const QPointF inside(3, 3);
    QMouseEvent press(QEvent::MouseButtonPress, inside, box.lblLink->mapToGlobal(inside), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, inside, box.lblLink->mapToGlobal(inside), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(box.lblLink, &press);
    QCoreApplication::sendEvent(box.lblLink, &release);
    SetUrlSink(previous);
    EXPECT_EQ(opened, QStringList({GetText(0)}));
    box.OKButton->click();
    EXPECT_EQ(box.result(), QDialog::Accepted);
}

TEST_F(AboutTest, ThePicturesAreDrawnTheSameEachTime)
{
    EXPECT_EQ(DrawAboutSidePicture(), DrawAboutSidePicture());
    EXPECT_EQ(DrawAboutLogo(), DrawAboutLogo());
    EXPECT_EQ(DrawAboutChipPicture(), DrawAboutChipPicture());
    EXPECT_NE(DrawAboutLogo().pixel(54, 56), 0u);
}

TEST(DevicesWindow, IsACaptionedWindowNeverShown)
{
    twtest::EnsureApplication();
    TformDevices devices;
    EXPECT_EQ(formDevices, &devices);
    EXPECT_EQ(devices.windowTitle(), "Devices");
    EXPECT_EQ(devices.size(), QSize(307, 297));
    EXPECT_FALSE(devices.isVisible());
}

// The Help menu reaches the windows made at start-up: About and the bug
// report modally, the update window without waiting.
TEST(HelpMenu, ReachesTheWindowsMadeAtStartup)
{
    twtest::EnsureApplication();
    WriteRegBool(kCheckUpdatesSetting, false);
    twtest::TStandInService service(QByteArray("lv"));
    twtest::ServicePointedAt pointed(service.address());
    TDeviceHost host;
    TMainForm form(host);
    auto* about = new TAboutBox(&form);
    auto* bugReport = new TformBugReport(&form);
    auto* updates = new TformCheckUpdates(&form);
    EXPECT_EQ(service.requestCount(), 0u);

    QList<QDialog*> shown;
    const TDialogSink previous = SetDialogSink([&](QDialog& dialog) {
        shown << &dialog;
        return int(QDialog::Rejected);
    });
    for (QAction* action : {form.HelpAbout1, form.BugReportItem, form.HelpChkUpdItem}) {
        EXPECT_TRUE(action->isEnabled()) << action->objectName().toStdString();
        action->trigger();
    }
    SetDialogSink(previous);
    EXPECT_EQ(shown, QList<QDialog*>({about, bugReport}));
    EXPECT_TRUE(updates->isVisible());
    updates->FormActivate();
    ASSERT_TRUE(twtest::WaitForCheck(*updates));
    EXPECT_EQ(updates->Memo1->toPlainText(), "You are using the latest version");
    EXPECT_EQ(service.requestCount(), 1u);
    UpdateCheckConcluded = false;
    WriteRegBool(kCheckUpdatesSetting, true);
}

} // namespace

} // namespace options_about_test
