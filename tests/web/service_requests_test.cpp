// The three requests to the maker's service against a stand-in on
// 127.0.0.1: what goes over the wire, how replies become results, and that a
// refused or silent service ends each request within its limits.
#include <chrono>
#include <thread>

#include <QUrl>

#include <gtest/gtest.h>

#include "ide/texts/texts.h"
#include "ide/web/service_requests.h"
#include "web/web_fixture.h"

namespace service_requests_test {
namespace {

using twtest::ServicePointedAt;
using twtest::TRecordedRequest;
using twtest::TStandInReply;
using twtest::TStandInService;

using Clock = std::chrono::steady_clock;

// name=value pairs of a form body, in order, values decoded.
QList<QPair<QString, QString>> FormFields(const QByteArray& body)
{
    QList<QPair<QString, QString>> fields;
    for (const QByteArray& pair : body.split('&')) {
        const qsizetype equals = pair.indexOf('=');
        fields.append({QString::fromLatin1(pair.left(equals)),
                       QUrl::fromPercentEncoding(pair.mid(equals + 1).replace('+', ' '))});
    }
    return fields;
}

void ExpectFixedHeaders(const TRecordedRequest& request)
{
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.header("User-Agent"),
              "Mozilla/5.0 (Windows; U; Windows NT 6.1; ru; rv:1.9.2.25) Gecko/20111212 Firefox/3.6.25");
    EXPECT_EQ(request.header("Accept"), "text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8");
    EXPECT_EQ(request.header("Accept-Language"), "ru-ru,ru;q=0.8,en-us;q=0.5,en;q=0.3");
    EXPECT_EQ(request.header("Accept-Charset"), "windows-1251,utf-8;q=0.7,*;q=0.7");
    EXPECT_EQ(request.header("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_FALSE(request.hasHeader("Cookie"));
    EXPECT_EQ(request.header("Content-Length").toLongLong(), request.body.size());
}

class ServiceRequestsTest : public testing::Test {
protected:
    void TearDown() override { Language = 0; }
};

TEST_F(ServiceRequestsTest, VersionRequestsPostTheProductAndTheFirstThreeVersionParts)
{
    struct Case {
        void (*query)(QString&, const TRequestCancel*);
        const char* path;
    };
    const Case cases[] = {{QueryCheckVersion, "/chkver.php"}, {QueryVersionHistory, "/VersionHistory.php"}};
    const QStringList version = twtest::ProjectVersionParts();
    ASSERT_EQ(version.size(), 3);
    for (const Case& c : cases) {
        TStandInService service(QByteArray("lv"));
        ServicePointedAt pointed(service.address());
        QString reply;
        c.query(reply, nullptr);
        EXPECT_EQ(reply, "lv") << c.path;
        const auto requests = service.requests();
        ASSERT_EQ(requests.size(), 1u);
        const TRecordedRequest& request = requests[0];
        EXPECT_EQ(request.target, c.path);
        ExpectFixedHeaders(request);
        EXPECT_EQ(request.header("Host"), "127.0.0.1:" + QByteArray::number(service.port()));
        EXPECT_EQ(request.body, "xproduct=ZEMRA1&xversionmj=" + version[0].toLatin1() + "&xversionmn="
                                    + version[1].toLatin1() + "&xversionrl=" + version[2].toLatin1());
    }
}

TEST_F(ServiceRequestsTest, BugReportPostsTheFieldsAsTypedAndEncoded)
{
    struct Case {
        QString name, email, message;
    };
    const Case cases[] = {
        {"", "", ""},
        {"Иван Петров", "a+b@example.org", "Line one\r\nline two & more=50%?"},
    };
    for (const Case& c : cases) {
        TStandInService service(QByteArray("ar"));
        ServicePointedAt pointed(service.address());
        QString result;
        SendBugReport(c.name, c.email, c.message, result);
        EXPECT_EQ(result, "Your report recieved to server");
        const auto requests = service.requests();
        ASSERT_EQ(requests.size(), 1u);
        const TRecordedRequest& request = requests[0];
        EXPECT_EQ(request.target, "/bugreport.php");
        ExpectFixedHeaders(request);
        // The client's own Host header, from the address.
        EXPECT_EQ(request.header("Host"), "127.0.0.1:" + QByteArray::number(service.port()));
        const QList<QPair<QString, QString>> expected = {
            {"xproduct", "ZEMRA1"}, {"xname", c.name}, {"xemail", c.email}, {"xmessage", c.message}};
        EXPECT_EQ(FormFields(request.body), expected);
    }
    // Reserved characters never reach the service as form syntax.
    TStandInService service(QByteArray("ar"));
    ServicePointedAt pointed(service.address());
    QString result;
    SendBugReport("a&b", "x=y", "1+1 %", result);
    ASSERT_EQ(service.requestCount(), 1u);
    EXPECT_EQ(service.requests()[0].body,
              "xproduct=ZEMRA1&xname=a%26b&xemail=x%3Dy&xmessage=1%2B1%20%25");
}

TEST_F(ServiceRequestsTest, BugReportResultFollowsTheReplyRules)
{
    const QString received = "Your report recieved to server";
    const QString failed = "Error connecting to server";
    const QByteArray bom = "\xEF\xBB\xBF";
    struct Case {
        QByteArray body;
        int status;
        QString result;
    };
    const Case cases[] = {
        {"ar", 200, received},
        {"ar, thank you", 200, received},
        {"xyzar", 200, received},       // five characters: the fourth and fifth decide
        {"arxyz", 200, "arxyz"},        // five characters beginning with "ar" and ending otherwise
        {"Спасибо", 200, "Спасибо"},    // any other reply is shown as it is
        {"", 200, ""},                  // an empty reply too
        {"a", 200, "a"},                // shorter than two characters
        {bom + "ar", 200, received},    // a byte-order mark before the codes
        {bom + "xyzar", 200, received},
        {"ar", 500, failed},            // an error status is a failed exchange
        {"ar", 404, failed},
    };
    for (const Case& c : cases) {
        TStandInService service(c.body, c.status);
        ServicePointedAt pointed(service.address());
        QString result;
        SendBugReport("n", "e", "m", result);
        EXPECT_EQ(result, c.result) << c.body.toStdString() << " " << c.status;
    }
}

TEST_F(ServiceRequestsTest, VersionRepliesComeBackAsTextOrAsTheFailureCode)
{
    struct Case {
        QByteArray body;
        int status;
        QString reply;
    };
    const Case cases[] = {
        {"ru1.2.3", 200, "ru1.2.3"},
        {"\xEF\xBB\xBFlv", 200, "lv"},              // the codes after a byte-order mark
        {"", 200, ""},
        {"e1", 200, "e1"},                          // the service's own codes pass through
        {"\xcf\xf0\xe8\xe2\xe5\xf2", 200, "Привет"}, // windows-1251, the service's first charset
        {"lv", 500, "e0"},
    };
    for (const Case& c : cases) {
        TStandInService service(c.body, c.status);
        ServicePointedAt pointed(service.address());
        for (auto* query : {QueryCheckVersion, QueryVersionHistory}) {
            QString reply;
            query(reply, nullptr);
            EXPECT_EQ(reply, c.reply) << c.body.toStdString() << " " << c.status;
        }
    }
}

TEST_F(ServiceRequestsTest, RedirectsAreFollowed)
{
    TStandInService service([](const TRecordedRequest& request) {
        if (request.target == "/moved/chkver.php")
            return TStandInReply{200, "lv", {}, false};
        if (request.target == "/moved/bugreport.php")
            return TStandInReply{200, "ar", {}, false};
        return TStandInReply{302, "", {{"Location", "/moved" + request.target}}, false};
    });
    ServicePointedAt pointed(service.address());
    QString reply;
    QueryCheckVersion(reply);
    EXPECT_EQ(reply, "lv");
    QString result;
    SendBugReport("n", "e", "m", result);
    EXPECT_EQ(result, "Your report recieved to server");
    EXPECT_EQ(service.requestCount(), 4u);
}

TEST_F(ServiceRequestsTest, ARefusedConnectionIsTheFailureResult)
{
    ServicePointedAt pointed(TStandInService::refusingAddress());
    for (const int language : {0, 1}) {
        Language = language;
        QString check, history, report;
        QueryCheckVersion(check);
        QueryVersionHistory(history);
        SendBugReport("n", "e", "m", report);
        EXPECT_EQ(check, "e0");
        EXPECT_EQ(history, "e0");
        EXPECT_EQ(report, language == 0 ? "Error connecting to server" : "Ошибка соединения с сервером");
    }
}

// A service that takes the request and never answers ends each request at
// its total limit with the failure result.
TEST_F(ServiceRequestsTest, ASilentServiceEndsEachRequestWithinItsLimit)
{
    TStandInService service([](const TRecordedRequest&) { return TStandInReply{200, "", {}, true}; });
    ServicePointedAt pointed(service.address(), twtest::ShortLimits());
    const auto start = Clock::now();
    QString check, history, report;
    QueryCheckVersion(check);
    QueryVersionHistory(history);
    SendBugReport("n", "e", "m", report);
    EXPECT_EQ(check, "e0");
    EXPECT_EQ(history, "e0");
    EXPECT_EQ(report, "Error connecting to server");
    EXPECT_EQ(service.requestCount(), 3u);
    // Three requests of 0.8 s each; far below the 30 s of the built-in limit.
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(10));
}

TEST_F(ServiceRequestsTest, ACancelEndsAVersionRequestInProgress)
{
    TStandInService service([](const TRecordedRequest&) { return TStandInReply{200, "", {}, true}; });
    ServicePointedAt pointed(service.address());
    TRequestCancel cancel;
    QString reply;
    std::thread request([&] { QueryCheckVersion(reply, &cancel); });
    while (service.requestCount() == 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const auto start = Clock::now();
    cancel.Cancel();
    request.join();
    EXPECT_EQ(reply, "e0");
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
}

TEST(AppVersion, IsTheVersionSetInTheBuild)
{
    std::uint8_t major = 9, minor = 9, release = 9, build = 9;
    EXPECT_TRUE(GetAppVersion(major, minor, release, build));
    const QStringList version = QString::fromLatin1(TW_PROJECT_VERSION).split('.');
    EXPECT_EQ(QString::number(major), version.value(0));
    EXPECT_EQ(QString::number(minor), version.value(1));
    EXPECT_EQ(QString::number(release), version.value(2));
    EXPECT_EQ(QString::number(build), version.value(3, "0"));
}

TEST(ServiceAddress, TheBuiltInAddressIsHttps)
{
    EXPECT_TRUE(ServiceBaseAddress().startsWith("https://"));
    SetServiceBaseAddress("http://127.0.0.1:1/");
    EXPECT_EQ(ServiceBaseAddress(), "http://127.0.0.1:1");
    SetServiceBaseAddress(QString());
    EXPECT_TRUE(ServiceBaseAddress().startsWith("https://"));
}

} // namespace

} // namespace service_requests_test
