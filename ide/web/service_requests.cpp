#include "ide/web/service_requests.h"

#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include <QByteArray>
#include <QStringConverter>
#include <QUrl>

#include <curl/curl.h>

#include "ide/texts/texts.h"

#ifndef TARNWICK_VERSION_MAJOR
#error "the program's version comes from the build (project VERSION in CMake)"
#endif

namespace {

// Users' names, addresses and messages travel to the service, so the built-in
// address is https only.
constexpr char BuiltInServiceAddress[] = "https://service.tarnwick.example.org";

constexpr char ProductField[] = "ZEMRA1";
constexpr char CheckVersionPath[] = "/chkver.php";
constexpr char VersionHistoryPath[] = "/VersionHistory.php";
constexpr char BugReportPath[] = "/bugreport.php";

constexpr char UserAgent[] =
    "Mozilla/5.0 (Windows; U; Windows NT 6.1; ru; rv:1.9.2.25) Gecko/20111212 Firefox/3.6.25";
constexpr const char* FixedHeaders[] = {
    "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8",
    "Accept-Language: ru-ru,ru;q=0.8,en-us;q=0.5,en;q=0.3",
    "Accept-Charset: windows-1251,utf-8;q=0.7,*;q=0.7",
    // A long message must not wait for a "100 Continue" the service may
    // never send.
    "Expect:",
};

constexpr char VersionFailure[] = "e0";
constexpr std::int32_t ReportReceivedText = 2050;
constexpr std::int32_t ErrorConnectingText = 2051;

// Anything larger is no reply of this service.
constexpr qsizetype MaxReplyBytes = 4 * 1024 * 1024;
// How often a waiting request looks at its cancel flag.
constexpr int CancelPollMs = 50;
constexpr long MaxRedirects = 10;

struct TServiceConfig {
    std::mutex mutex;
    QString baseAddress;
    TServiceLimits limits;
};

TServiceConfig& Config()
{
    static TServiceConfig config;
    return config;
}

void EnsureCurlInitialised()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct TField {
    QByteArray name;
    QString value;
};

struct TExchange {
    bool succeeded = false;
    QByteArray body;
};

struct TEasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct TMultiDeleter {
    void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
struct TListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using TEasy = std::unique_ptr<CURL, TEasyDeleter>;
using TMulti = std::unique_ptr<CURLM, TMultiDeleter>;
using THeaderList = std::unique_ptr<curl_slist, TListDeleter>;

struct TBodySink {
    QByteArray body;
    bool overflowed = false;
};

size_t WriteBody(char* data, size_t size, size_t count, void* user)
{
    auto* sink = static_cast<TBodySink*>(user);
    const size_t bytes = size * count;
    if (sink->body.size() + qsizetype(bytes) > MaxReplyBytes) {
        sink->overflowed = true;
        return 0; // ends the transfer as an error
    }
    sink->body.append(data, qsizetype(bytes));
    return bytes;
}

QByteArray EncodeForm(const std::vector<TField>& fields)
{
    QByteArray form;
    for (const TField& field : fields) {
        if (!form.isEmpty())
            form += '&';
        form += field.name + '=' + QUrl::toPercentEncoding(field.value);
    }
    return form;
}

// Runs one easy handle through a multi handle of its own, so that a cancel
// from another thread ends the wait within CancelPollMs.
CURLcode Perform(CURL* easy, const TRequestCancel* cancel)
{
    TMulti multi(curl_multi_init());
    if (!multi)
        return CURLE_OUT_OF_MEMORY;
    if (curl_multi_add_handle(multi.get(), easy) != CURLM_OK)
        return CURLE_FAILED_INIT;

    CURLcode result = CURLE_ABORTED_BY_CALLBACK;
    for (;;) {
        if (cancel && cancel->Cancelled())
            break;
        int running = 0;
        if (curl_multi_perform(multi.get(), &running) != CURLM_OK) {
            result = CURLE_FAILED_INIT;
            break;
        }
        if (running == 0) {
            int queued = 0;
            result = CURLE_FAILED_INIT;
            while (CURLMsg* message = curl_multi_info_read(multi.get(), &queued))
                if (message->msg == CURLMSG_DONE && message->easy_handle == easy)
                    result = message->data.result;
            break;
        }
        if (curl_multi_poll(multi.get(), nullptr, 0, CancelPollMs, nullptr) != CURLM_OK) {
            result = CURLE_FAILED_INIT;
            break;
        }
    }
    curl_multi_remove_handle(multi.get(), easy);
    return result;
}

// "Host: name" or "Host: name:port" of the service's address.
QByteArray HostHeader(const QUrl& base)
{
    QByteArray host = base.host(QUrl::FullyEncoded).toLatin1();
    if (host.contains(':'))
        host = '[' + host + ']';
    if (base.port() != -1)
        host += ':' + QByteArray::number(base.port());
    return "Host: " + host;
}

TExchange PostForm(const char* path, const std::vector<TField>& fields, bool explicitHost,
                   const TRequestCancel* cancel)
{
    EnsureCurlInitialised();
    const QString base = ServiceBaseAddress();
    const TServiceLimits limits = ServiceLimits();
    const QUrl baseUrl(base);
    const QByteArray address = (base + QLatin1String(path)).toUtf8();
    const QByteArray form = EncodeForm(fields);

    TEasy easy(curl_easy_init());
    if (!easy)
        return {};
    THeaderList headers;
    for (const char* header : FixedHeaders)
        headers.reset(curl_slist_append(headers.release(), header));
    if (explicitHost)
        headers.reset(curl_slist_append(headers.release(), HostHeader(baseUrl).constData()));
    if (!headers)
        return {};

    TBodySink sink;
    CURL* handle = easy.get();
    curl_easy_setopt(handle, CURLOPT_URL, address.constData());
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
#if LIBCURL_VERSION_NUM >= 0x075700
    // A cancelled or timed-out request does not wait for a name lookup that
    // hangs: the resolver's thread is left to finish on its own.
    curl_easy_setopt(handle, CURLOPT_QUICK_EXIT, 1L);
#endif
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    // A redirect never leaves https for plain http.
    curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR,
                     baseUrl.scheme() == QLatin1String("https") ? "https" : "http,https");
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(handle, CURLOPT_MAXREDIRS, MaxRedirects);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, long(limits.connect.count()));
    curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, long(limits.total.count()));
    curl_easy_setopt(handle, CURLOPT_USERAGENT, UserAgent);
    curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(handle, CURLOPT_POST, 1L);
    curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE, long(form.size()));
    curl_easy_setopt(handle, CURLOPT_POSTFIELDS, form.constData());
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, WriteBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &sink);

    const CURLcode result = Perform(handle, cancel);
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    if (result != CURLE_OK || sink.overflowed || status < 200 || status > 299)
        return {};
    return {true, std::move(sink.body)};
}

// The reply as text: a byte-order mark names its encoding and is dropped;
// without one it is UTF-8 when it reads as UTF-8, else the service's
// preferred windows-1251.
QString DecodeReply(const QByteArray& body)
{
    if (const auto marked = QStringConverter::encodingForData(body)) {
        QStringDecoder decoder(*marked);
        return decoder.decode(body);
    }
    QStringDecoder utf8(QStringConverter::Utf8);
    const QString text = utf8.decode(body);
    if (!utf8.hasError())
        return text;
    QStringDecoder cyrillic("windows-1251");
    if (cyrillic.isValid())
        return cyrillic.decode(body);
    return QString::fromLatin1(body);
}

std::vector<TField> VersionFields()
{
    std::uint8_t major = 0, minor = 0, release = 0, build = 0;
    GetAppVersion(major, minor, release, build);
    return {
        {"xproduct", QLatin1String(ProductField)},
        {"xversionmj", QString::number(major)},
        {"xversionmn", QString::number(minor)},
        {"xversionrl", QString::number(release)},
    };
}

void QueryVersion(const char* path, QString& Reply, const TRequestCancel* cancel)
{
    const TExchange exchange = PostForm(path, VersionFields(), true, cancel);
    Reply = exchange.succeeded ? DecodeReply(exchange.body) : QLatin1String(VersionFailure);
}

} // namespace

QString ServiceBaseAddress()
{
    TServiceConfig& config = Config();
    std::lock_guard lock(config.mutex);
    return config.baseAddress.isEmpty() ? QLatin1String(BuiltInServiceAddress) : config.baseAddress;
}

void SetServiceBaseAddress(const QString& address)
{
    QString base = address;
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    TServiceConfig& config = Config();
    std::lock_guard lock(config.mutex);
    config.baseAddress = base;
}

TServiceLimits ServiceLimits()
{
    TServiceConfig& config = Config();
    std::lock_guard lock(config.mutex);
    return config.limits;
}

void SetServiceLimits(const TServiceLimits& limits)
{
    TServiceConfig& config = Config();
    std::lock_guard lock(config.mutex);
    config.limits = limits;
}

QString DownloadPageAddress()
{
    return GetText(0) + QStringLiteral("download.html");
}

void QueryCheckVersion(QString& Reply, const TRequestCancel* cancel)
{
    QueryVersion(CheckVersionPath, Reply, cancel);
}

void QueryVersionHistory(QString& Reply, const TRequestCancel* cancel)
{
    QueryVersion(VersionHistoryPath, Reply, cancel);
}

QString BugReportResult(const QString& reply)
{
    const QLatin1String received("ar");
    const bool confirmed = reply.size() == 5 ? reply.mid(3) == received : reply.startsWith(received);
    return confirmed ? GetText(ReportReceivedText) : reply;
}

void SendBugReport(const QString& Name, const QString& Email, const QString& Message, QString& Result)
{
    const std::vector<TField> fields = {
        {"xproduct", QLatin1String(ProductField)},
        {"xname", Name},
        {"xemail", Email},
        {"xmessage", Message},
    };
    const TExchange exchange = PostForm(BugReportPath, fields, false, nullptr);
    Result = exchange.succeeded ? BugReportResult(DecodeReply(exchange.body)) : GetText(ErrorConnectingText);
}

bool GetAppVersion(std::uint8_t& Major, std::uint8_t& Minor, std::uint8_t& Release, std::uint8_t& Build)
{
    Major = std::uint8_t(TARNWICK_VERSION_MAJOR);
    Minor = std::uint8_t(TARNWICK_VERSION_MINOR);
    Release = std::uint8_t(TARNWICK_VERSION_PATCH);
    Build = std::uint8_t(TARNWICK_VERSION_TWEAK);
    return true;
}
