// The update window against a stand-in service: the text of each reply
// code, the report with the version history, the start-up setting, and the
// check thread's life (no pile-up, cancelled and joined when the window goes).
#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include "ide/main/user_message.h"
#include "ide/texts/settings.h"
#include "ide/texts/texts.h"
#include "support/paths.h"
#include "web/web_fixture.h"
#include "workbench/host_fixture.h"

namespace update_check_test {
namespace {

using twtest::ServicePointedAt;
using twtest::TRecordedRequest;
using twtest::TStandInReply;
using twtest::TStandInService;

QStringList MemoLines(const TformCheckUpdates& form)
{
    return form.Memo1->toPlainText().split('\n');
}

std::size_t ThreadCount()
{
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task"))
        ++count;
    return count;
}

class UpdateCheckTest : public testing::Test {
protected:
    void SetUp() override
    {
        twtest::EnsureApplication();
        UpdateCheckConcluded = false;
        ShowUpdateForm = false;
        WriteRegBool(kCheckUpdatesSetting, true);
    }
    void TearDown() override
    {
        Language = 0;
        UpdateCheckConcluded = false;
        ShowUpdateForm = false;
    }
};

TEST_F(UpdateCheckTest, EachReplyCodeShowsItsText)
{
    const QString progress = "Connectiong to server...";
    struct Case {
        QByteArray body;
        int status;
        QString memo;
        bool concluded;
    };
    const Case cases[] = {
        {"e0", 200, "Error connecting to server", false},
        {"", 500, "Error connecting to server", false},
        {"e1", 200, "Error connecting to MySQL server", false},
        {"e2", 200, "Error querying database", false},
        {"lv", 200, "You are using the latest version", true},
        {"\xEF\xBB\xBFlv", 200, "You are using the latest version", true},
        // Any other reply concludes nothing and leaves the progress text.
        {"xx", 200, progress, false},
        {"l", 200, progress, false},
        {"", 200, progress, false},
    };
    for (const Case& c : cases) {
        UpdateCheckConcluded = false;
        TStandInService service(c.body, c.status);
        ServicePointedAt pointed(service.address());
        TformCheckUpdates form;
        ASSERT_TRUE(twtest::WaitForCheck(form));
        EXPECT_EQ(form.Memo1->toPlainText(), c.memo) << c.body.toStdString();
        EXPECT_EQ(UpdateCheckConcluded, c.concluded) << c.body.toStdString();
        EXPECT_FALSE(ShowUpdateForm);
        EXPECT_FALSE(form.btnDownNInst->isEnabled());
        EXPECT_EQ(service.requestCount(), 1u);
        EXPECT_EQ(service.requests()[0].target, "/chkver.php");
    }
}

TEST_F(UpdateCheckTest, ANewerVersionShowsTheReportWithTheHistory)
{
    const QByteArray history = "1.2.3 - faster\r\n1.2.2 - first";
    struct Case {
        int historyStatus;
        QByteArray historyBody;
        QStringList tail;
    };
    const Case cases[] = {
        {200, history, {"1.2.3 - faster", "1.2.2 - first"}},
        {200, "e2", {"Error querying database"}},
        {500, history, {"Error connecting to server"}},
    };
    for (const Case& c : cases) {
        UpdateCheckConcluded = false;
        ShowUpdateForm = false;
        TStandInService service([&c](const TRecordedRequest& request) {
            if (request.target == "/chkver.php")
                return TStandInReply{200, "ru1.2.3", {}, false};
            return TStandInReply{c.historyStatus, c.historyBody, {}, false};
        });
        ServicePointedAt pointed(service.address());
        TformCheckUpdates form;
        ASSERT_TRUE(twtest::WaitForCheck(form));
        const QStringList expected = QStringList{
            "------------The new version is already available!!!-------------",
            "",
            "The latest version is 1.2.3",
            "",
            "Version history list:",
        } + c.tail;
        EXPECT_EQ(MemoLines(form), expected);
        EXPECT_TRUE(form.btnDownNInst->isEnabled());
        EXPECT_TRUE(UpdateCheckConcluded);
        ASSERT_EQ(service.requestCount(), 2u);
        EXPECT_EQ(service.requests()[1].target, "/VersionHistory.php");

        // The timer shows the hidden window once, then stops.
        EXPECT_TRUE(form.tmrCanShow->isActive());
        EXPECT_TRUE(ShowUpdateForm);
        EXPECT_FALSE(form.isVisible());
        form.tmrCanShowTimer();
        EXPECT_TRUE(form.isVisible());
        EXPECT_FALSE(ShowUpdateForm);
        EXPECT_FALSE(form.tmrCanShow->isActive());
        // Activating it again asks nothing more.
        form.FormActivate();
        EXPECT_FALSE(form.CheckRunning());
        EXPECT_EQ(service.requestCount(), 2u);
    }
}

TEST_F(UpdateCheckTest, TheReportFollowsTheLanguage)
{
    Language = 1;
    TStandInService service([](const TRecordedRequest& request) {
        return TStandInReply{200, request.target == "/chkver.php" ? "ru2.0.0" : "история", {}, false};
    });
    ServicePointedAt pointed(service.address());
    TformCheckUpdates form;
    ASSERT_TRUE(twtest::WaitForCheck(form));
    EXPECT_EQ(MemoLines(form), QStringList({"------------Новая версия сейчас доступна!!!-------------", "",
                                            "Последняя версия 2.0.0", "", "История версий:", "история"}));
    EXPECT_EQ(form.windowTitle(), "Обновления");
    EXPECT_EQ(form.ChkDontCheck->text(), "Проверять обновления при запуске");
}

TEST_F(UpdateCheckTest, TheStartupSettingDecidesTheFirstCheckAndTheBoxWritesIt)
{
    TStandInService service(QByteArray("e0"));
    ServicePointedAt pointed(service.address());
    WriteRegBool(kCheckUpdatesSetting, false);
    TformCheckUpdates form;
    EXPECT_FALSE(form.ChkDontCheck->isChecked());
    EXPECT_FALSE(form.CheckRunning());
    EXPECT_FALSE(form.tmrCanShow->isActive());
    EXPECT_EQ(form.windowTitle(), "Updates");
    EXPECT_EQ(form.ChkDontCheck->text(), "Check for updates at startup");
    EXPECT_EQ(form.btnDownNInst->text(), "Download and Install");
    EXPECT_EQ(form.btnCancel->text(), "Close");
    EXPECT_EQ(form.size(), QSize(532, 313));

    form.ChkDontCheck->click();
    EXPECT_TRUE(ReadRegBool(kCheckUpdatesSetting));
    form.ChkDontCheck->click();
    EXPECT_FALSE(ReadRegBool(kCheckUpdatesSetting));
    EXPECT_EQ(service.requestCount(), 0u);

    // Opening the window checks; an error leaves the next opening free to
    // check again.
    form.FormActivate();
    ASSERT_TRUE(twtest::WaitForCheck(form));
    EXPECT_EQ(form.Memo1->toPlainText(), "Error connecting to server");
    form.FormActivate();
    ASSERT_TRUE(twtest::WaitForCheck(form));
    EXPECT_EQ(service.requestCount(), 2u);
}

// Every caption fits its button and the check box's text stays clear of
// them, in both languages.
TEST_F(UpdateCheckTest, CaptionsFitInEitherLanguage)
{
    WriteRegBool(kCheckUpdatesSetting, false);
    for (const int language : {0, 1}) {
        Language = language;
        TformCheckUpdates form;
        for (const QPushButton* button : {form.btnDownNInst, form.btnCancel})
            EXPECT_GE(button->width(), button->fontMetrics().horizontalAdvance(button->text()) + 8) << language;
        EXPECT_LE(form.ChkDontCheck->x() + form.ChkDontCheck->sizeHint().width(), form.btnDownNInst->x())
            << language;
        EXPECT_LE(form.ChkDontCheck->geometry().right(), form.btnDownNInst->x()) << language;
        EXPECT_LT(form.btnDownNInst->geometry().right(), form.btnCancel->x()) << language;
    }
}

TEST_F(UpdateCheckTest, ActivationsWhileACheckIsUnderWayDoNotPileUp)
{
    TStandInService service([](const TRecordedRequest&) { return TStandInReply{200, "", {}, true}; });
    ServicePointedAt pointed(service.address(), twtest::ShortLimits());
    TformCheckUpdates form;
    for (int activation = 0; activation < 5; ++activation)
        form.FormActivate();
    ASSERT_TRUE(twtest::WaitForCheck(form));
    EXPECT_EQ(service.requestCount(), 1u);
    EXPECT_EQ(form.Memo1->toPlainText(), "Error connecting to server");
}

// The window goes (the program ends) while the service has not answered:
// the transfer is cancelled and the thread joined long before the 30 s
// limit, and nothing reaches the window afterwards.
TEST_F(UpdateCheckTest, ClosingInMidCheckCancelsAndJoinsTheThread)
{
    TStandInService service([](const TRecordedRequest&) { return TStandInReply{200, "", {}, true}; });
    ServicePointedAt pointed(service.address());
    const std::size_t threadsBefore = ThreadCount();
    auto form = std::make_unique<TformCheckUpdates>();
    EXPECT_EQ(formCheckUpdates, form.get());
    while (service.requestCount() == 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(form->CheckRunning());
    const auto start = std::chrono::steady_clock::now();
    form.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(formCheckUpdates, nullptr);
    EXPECT_EQ(ThreadCount(), threadsBefore);
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

TEST_F(UpdateCheckTest, TheDownloadButtonOpensTheDownloadPageAndCloseHides)
{
    TStandInService service([](const TRecordedRequest& request) {
        return TStandInReply{200, request.target == "/chkver.php" ? "ru9.9.9" : "h", {}, false};
    });
    ServicePointedAt pointed(service.address());
    QStringList opened;
    const TUrlSink previous = SetUrlSink([&](const QString& address) { opened << address; });
    {
        TformCheckUpdates form;
        ASSERT_TRUE(twtest::WaitForCheck(form));
        form.show();
        form.btnDownNInst->click();
        EXPECT_TRUE(form.isVisible());
        form.btnCancel->click();
        EXPECT_FALSE(form.isVisible());
    }
    SetUrlSink(previous);
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0], DownloadPageAddress());
    EXPECT_TRUE(opened[0].startsWith(GetText(0)));
}

} // namespace

} // namespace update_check_test
