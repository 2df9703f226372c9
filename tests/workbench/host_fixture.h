#pragma once

// What the host's tests share: a program folder laid out from the test
// libraries, a main window that records what the host asks of it, and access
// to a test library's hooks in the very instance the host has loaded.
#include <dlfcn.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include <QApplication>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include "ide/workbench/device_host.h"
#include "ide/workbench/main_window_link.h"
#include "support/paths.h"

namespace twtest {

// A throw-away program folder: test libraries are copied in under any name
// and subfolder.
class ProgramFolder {
public:
    ProgramFolder() { EXPECT_TRUE(temporary_.isValid()); }

    std::filesystem::path root() const { return temporary_.path().toStdString(); }
    QString path(const std::string& relative) const { return QString::fromStdString((root() / relative).string()); }

    // <fixtureDir>/<library>.so copied to `relative`.
    QString place(const std::string& library, const std::string& relative) const
    {
        const std::filesystem::path target = root() / relative;
        std::filesystem::create_directories(target.parent_path());
        std::filesystem::copy_file(fixtureDir() / (library + ".so"), target,
                                   std::filesystem::copy_options::overwrite_existing);
        return path(relative);
    }

    QString write(const std::string& relative, const std::string& content) const
    {
        const std::filesystem::path target = root() / relative;
        std::filesystem::create_directories(target.parent_path());
        std::ofstream(target, std::ios::binary) << content;
        return path(relative);
    }

private:
    QTemporaryDir temporary_;
};

// The search's log lines, collected.
inline QStringList Search(TDeviceHost& host, const ProgramFolder& folder)
{
    QStringList lines;
    host.SearchDeviceFiles([&](const QString& line) { lines << line; }, folder.path(""));
    return lines;
}

// The main window as the host sees it, recording every request.
class RecordingMainWindow : public TMainWindowLink {
public:
    bool SimulationRunning() const override { return running; }
    bool Modified() const override { return modified; }
    void SetModified(bool value) override { modified = value; }
    void ShowMessage(const QString& text) override { messages << text; }
    QWidget* ParentWindow() const override { return parent; }
    void StopSimulationAndWait() override
    {
        ++stops;
        if (onStop)
            onStop();
    }

    bool running = false;
    bool modified = false;
    QStringList messages;
    QWidget* parent = nullptr;
    int stops = 0;
    std::function<void()> onStop;
};

// Whether the library at `path` is loaded in this process right now.
inline bool IsLoaded(const QString& path)
{
    void* handle = dlopen(path.toStdString().c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle)
        dlclose(handle);
    return handle != nullptr;
}

// A test hook of an already loaded library, reached in that same instance;
// holding it keeps the library loaded.
class LoadedLibrary {
public:
    explicit LoadedLibrary(const QString& path)
        : handle_(dlopen(path.toStdString().c_str(), RTLD_NOW | RTLD_NOLOAD))
    {
    }
    ~LoadedLibrary()
    {
        if (handle_)
            dlclose(handle_);
    }
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;

    bool loaded() const { return handle_ != nullptr; }

    template <typename Function>
    Function hook(const char* name) const
    {
        return handle_ ? reinterpret_cast<Function>(dlsym(handle_, name)) : nullptr;
    }

private:
    void* handle_;
};

// The index of the description whose type text is `type`, -1 when none.
inline int InfoIndexOf(const TDeviceHost& host, const char* type)
{
    for (std::size_t index = 0; index < host.InfoDevices().size(); ++index)
        if (host.InfoDevices()[index]->vSType.view() == type)
            return int(index);
    return -1;
}

// Widgets need an application object; one for the whole test program.
inline void EnsureApplication()
{
    if (QApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "test_workbench";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

} // namespace twtest
