#pragma once

// What the web tests share: the service pointed at a stand-in on 127.0.0.1
// with limits of the test's choosing, and a way to let a check's changes
// reach its window.
#include <chrono>
#include <ostream>

#include <QCoreApplication>
#include <QStringList>

#include "ide/ide_fixture.h"
#include "ide/web/service_requests.h"
#include "ide/web/update_check.h"
#include "web/stand_in_service.h"

namespace twtest {

// While this lives, the requests go to `address` with these limits.
class ServicePointedAt {
public:
    explicit ServicePointedAt(const QString& address, TServiceLimits limits = {})
        : previousLimits_(ServiceLimits())
    {
        SetServiceBaseAddress(address);
        SetServiceLimits(limits);
    }
    ~ServicePointedAt()
    {
        SetServiceBaseAddress(QString());
        SetServiceLimits(previousLimits_);
    }
    ServicePointedAt(const ServicePointedAt&) = delete;
    ServicePointedAt& operator=(const ServicePointedAt&) = delete;

private:
    TServiceLimits previousLimits_;
};

// Short limits for a service that never answers.
inline TServiceLimits ShortLimits()
{
    return {std::chrono::milliseconds(300), std::chrono::milliseconds(800)};
}

// Runs the event loop until the window's check has finished and every change
// it posted has reached the window. A safety bound keeps a fault from hanging
// the test program.
inline bool WaitForCheck(TformCheckUpdates& form)
{
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (form.CheckRunning()) {
        if (std::chrono::steady_clock::now() > giveUp)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    return true;
}


// The version set in CMake, as its first three numbers.
inline QStringList ProjectVersionParts()
{
    return QString::fromLatin1(TW_PROJECT_VERSION).split(QLatin1Char('.')).mid(0, 3);
}

} // namespace twtest
