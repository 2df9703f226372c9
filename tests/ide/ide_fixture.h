#pragma once

// What the main program's tests share: the user's messages taken instead of
// shown, a temporary folder of their own, and the stand-in simulator
// libraries laid out as a program folder.
#include <cstdlib>
#include <functional>
#include <optional>
#include <ostream>

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include "ide/main/user_message.h"
#include "workbench/host_fixture.h"

// Failures show texts as text.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace twtest {

// Every message the program would show, collected while this lives.
class CapturedMessages {
public:
    CapturedMessages()
        : previous_(SetMessageSink([this](const QString& text) { texts << text; }))
    {
    }
    ~CapturedMessages() { SetMessageSink(previous_); }
    CapturedMessages(const CapturedMessages&) = delete;
    CapturedMessages& operator=(const CapturedMessages&) = delete;

    QStringList texts;

private:
    TMessageSink previous_;
};

// The user's temporary folder (QDir::tempPath) is a fresh empty folder while
// this lives.
class ScopedTemporaryFolder {
public:
    ScopedTemporaryFolder()
    {
        EXPECT_TRUE(folder_.isValid());
        if (const char* old = std::getenv("TMPDIR"))
            previous_ = QByteArray(old);
        setenv("TMPDIR", QFile::encodeName(folder_.path()).constData(), 1);
    }
    ~ScopedTemporaryFolder()
    {
        if (previous_)
            setenv("TMPDIR", previous_->constData(), 1);
        else
            unsetenv("TMPDIR");
    }
    ScopedTemporaryFolder(const ScopedTemporaryFolder&) = delete;
    ScopedTemporaryFolder& operator=(const ScopedTemporaryFolder&) = delete;

    QString path() const { return folder_.path(); }
    QString path(const QString& relative) const { return QDir(folder_.path()).filePath(relative); }

private:
    QTemporaryDir folder_;
    std::optional<QByteArray> previous_;
};

// As a test fixture's first member: the application object exists before
// any window member is made.
struct ApplicationReady {
    ApplicationReady() { EnsureApplication(); }
};

// The description of the library whose family text is `family`, -1 when none.
inline int InfoIndexOfFamily(const TDeviceHost& host, const char* family)
{
    for (std::size_t index = 0; index < host.InfoDevices().size(); ++index)
        if (host.InfoDevices()[index]->vSFamily.view() == family)
            return int(index);
    return -1;
}

// Lets the event loop run until `done` holds or `limitMs` has passed; false
// on the time-out. For conditions a timer or another thread brings about.
inline bool WaitUntil(const std::function<bool()>& done, int limitMs = 5000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > limitMs)
            return false;
        QEventLoop loop;
        QTimer::singleShot(2, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

} // namespace twtest
