// The bug report form: its fields, Send posting them and showing the outcome,
// Cancel sending nothing, and what the user typed kept for the next opening.
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include "ide/texts/texts.h"
#include "ide/web/bug_report.h"
#include "web/web_fixture.h"

namespace bug_report_test {
namespace {

using twtest::ServicePointedAt;
using twtest::TStandInService;

QString FormField(const QByteArray& body, const QByteArray& name)
{
    for (const QByteArray& pair : body.split('&'))
        if (pair.startsWith(name + '='))
            return QUrl::fromPercentEncoding(pair.mid(name.size() + 1));
    return "<missing>";
}

class BugReportTest : public testing::Test {
protected:
    void TearDown() override { Language = 0; }

    twtest::ApplicationReady application;
    twtest::CapturedMessages messages;
};

TEST_F(BugReportTest, TheFormTakesItsTextsAndLayoutAtCreation)
{
    TformBugReport form;
    EXPECT_EQ(formBugReport, &form);
    EXPECT_EQ(form.windowTitle(), "Bug Report form");
    EXPECT_EQ(form.Label1->text(), "User Name:");
    EXPECT_EQ(form.Label2->text(), "E-mail adress:");
    EXPECT_EQ(form.memoReport->toPlainText(), "Enter your report here");
    EXPECT_EQ(form.btnSend->text(), "Send");
    EXPECT_EQ(form.btnCancel->text(), "Cancel");
    EXPECT_TRUE(form.btnSend->isDefault());
    EXPECT_EQ(form.size(), QSize(695, 539));
    EXPECT_EQ(form.memoReport->geometry(), QRect(8, 32, 679, 465));
    EXPECT_EQ(form.btnSend->geometry(), QRect(531, 503, 75, 25));
    EXPECT_EQ(form.btnCancel->geometry(), QRect(612, 503, 75, 25));
    // No label is covered by its edit, in either language.
    for (const int language : {0, 1}) {
        Language = language;
        TformBugReport texted;
        EXPECT_LE(texted.Label1->geometry().right(), texted.edtUserName->x()) << language;
        EXPECT_LE(texted.Label2->geometry().right(), texted.edtEmail->x()) << language;
        EXPECT_LE(texted.edtUserName->geometry().right(), texted.Label2->x()) << language;
        EXPECT_LE(texted.edtEmail->geometry().right(), 695) << language;
        for (const QPushButton* button : {texted.btnSend, texted.btnCancel})
            EXPECT_GE(button->width(), button->fontMetrics().horizontalAdvance(button->text()) + 8) << language;
        EXPECT_LT(texted.btnSend->geometry().right(), texted.btnCancel->x()) << language;
    }
}

TEST_F(BugReportTest, SendPostsTheUntouchedFieldsAndShowsTheOutcome)
{
    TStandInService service(QByteArray("ar"));
    ServicePointedAt pointed(service.address());
    TformBugReport form;
    form.show();
    form.btnSend->click();
    ASSERT_EQ(service.requestCount(), 1u);
    const QByteArray body = service.requests()[0].body;
    EXPECT_EQ(FormField(body, "xname"), "");
    EXPECT_EQ(FormField(body, "xemail"), "");
    EXPECT_EQ(FormField(body, "xmessage"), "Enter your report here");
    EXPECT_EQ(messages.texts, QStringList({"Your report recieved to server"}));
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_FALSE(form.lblSending->isVisible());
    EXPECT_TRUE(form.btnSend->isEnabled());
}

TEST_F(BugReportTest, TheMessageTravelsWithItsLineBreaksAndTheFieldsStay)
{
    TStandInService service(QByteArray("Thanks"));
    ServicePointedAt pointed(service.address());
    TformBugReport form;
    form.edtUserName->setText("Анна");
    form.edtEmail->setText("anna@example.org");
    form.memoReport->setPlainText("First line\nsecond line");
    form.btnSend->click();
    ASSERT_EQ(service.requestCount(), 1u);
    const QByteArray body = service.requests()[0].body;
    EXPECT_EQ(FormField(body, "xname"), "Анна");
    EXPECT_EQ(FormField(body, "xemail"), "anna@example.org");
    EXPECT_EQ(FormField(body, "xmessage"), "First line\r\nsecond line");
    // Any other reply is shown as it is.
    EXPECT_EQ(messages.texts, QStringList({"Thanks"}));
    // Hidden, not reset: the next opening shows what was typed.
    EXPECT_EQ(form.edtUserName->text(), "Анна");
    EXPECT_EQ(form.memoReport->toPlainText(), "First line\nsecond line");
}

// While the window waits for the service it says that it is sending and
// takes no second Send. (The handler looks while this thread is blocked in
// the exchange.)
TEST_F(BugReportTest, TheWindowSaysItIsSendingWhileItWaits)
{
    TformBugReport form;
    bool sendingShown = false, sendEnabled = true;
    QString sendingText;
    twtest::TStandInService service([&](const twtest::TRecordedRequest&) {
        sendingShown = form.lblSending->isVisible();
        sendingText = form.lblSending->text();
        sendEnabled = form.btnSend->isEnabled();
        return twtest::TStandInReply{200, "ar", {}, false};
    });
    ServicePointedAt pointed(service.address());
    form.show();
    form.btnSend->click();
    EXPECT_TRUE(sendingShown);
    EXPECT_EQ(sendingText, "Connectiong to server...");
    EXPECT_FALSE(sendEnabled);
    EXPECT_EQ(messages.texts, QStringList({"Your report recieved to server"}));
}

TEST_F(BugReportTest, AnUnreachableServiceIsReportedAndTheWindowCloses)
{
    ServicePointedAt pointed(TStandInService::refusingAddress());
    TformBugReport form;
    form.show();
    form.btnSend->click();
    EXPECT_EQ(messages.texts, QStringList({"Error connecting to server"}));
    EXPECT_FALSE(form.isVisible());
}

TEST_F(BugReportTest, CancelSendsNothing)
{
    TStandInService service(QByteArray("ar"));
    ServicePointedAt pointed(service.address());
    TformBugReport form;
    form.show();
    form.edtUserName->setText("kept");
    form.btnCancel->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Rejected);
    EXPECT_EQ(service.requestCount(), 0u);
    EXPECT_TRUE(messages.texts.isEmpty());
    EXPECT_EQ(form.edtUserName->text(), "kept");
}

} // namespace

} // namespace bug_report_test
