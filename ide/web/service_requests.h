#pragma once

// The maker's version and bug-report service: three form posts, each a
// blocking call with its own HTTP client that may run on any thread. A failed
// exchange never escapes them: it becomes the failure result ("e0" for the
// version requests, text 2051 for the bug report).
//
// Every exchange has a connect limit and a total limit; running out of either
// is a failed exchange, so a silent service never holds its caller for longer
// than the total limit.
#include <atomic>
#include <chrono>
#include <cstdint>

#include <QString>

// Lets another thread end a request in progress; the request then fails at
// once with its failure result.
class TRequestCancel {
public:
    void Cancel() { cancelled_.store(true); }
    bool Cancelled() const { return cancelled_.load(); }

private:
    std::atomic<bool> cancelled_{false};
};

struct TServiceLimits {
    std::chrono::milliseconds connect{10000};
    std::chrono::milliseconds total{30000};
};

// The service's base address with its scheme, without a trailing "/": the
// built-in https address unless a test has put another in its place.
QString ServiceBaseAddress();
// An empty address brings the built-in one back.
void SetServiceBaseAddress(const QString& address);

TServiceLimits ServiceLimits();
void SetServiceLimits(const TServiceLimits& limits);

// The maker's download page, opened by the update window.
QString DownloadPageAddress();

// Posts the version check; Reply is the reply body, or "e0" when the exchange
// failed or was cancelled.
void QueryCheckVersion(QString& Reply, const TRequestCancel* cancel = nullptr);
// Posts the version-history request; Reply as above.
void QueryVersionHistory(QString& Reply, const TRequestCancel* cancel = nullptr);
// Posts a bug report; Result is the text to show the user: text 2050 when the
// service confirms, text 2051 when the exchange failed, else the reply itself.
void SendBugReport(const QString& Name, const QString& Email, const QString& Message, QString& Result);

// The result text of a bug report from its reply body (the reply rules alone).
QString BugReportResult(const QString& reply);

// The program's version as set at build time, each part cut to one byte.
// Always true: the version is compiled in.
bool GetAppVersion(std::uint8_t& Major, std::uint8_t& Minor, std::uint8_t& Release, std::uint8_t& Build);
