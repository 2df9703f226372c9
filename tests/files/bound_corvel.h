// corvel.so from the program's folder, bound into DllMCEntries as the main
// program binds it, with one model selected.
#pragma once

#include <QStringList>

#include "ide/main/simulator_binding.h"
#include "ide/workbench/shared_library.h"

namespace filestest {

class BoundCorvel {
public:
    BoundCorvel()
    {
        handle_ = LoadSharedLibrary(QStringLiteral(TW_BIN_DIR "/corvel.so"), &error_);
        if (!handle_)
            return;
        QStringList missing;
        const TDllMCEntries entries = BindDllMCEntries(handle_, &missing);
        if (!missing.isEmpty()) {
            error_ = "missing entries: " + missing.join(' ');
            return;
        }
        saved_ = DllMCEntries;
        DllMCEntries = entries;
        bound_ = true;
    }
    ~BoundCorvel()
    {
        if (bound_)
            DllMCEntries = saved_;
        UnloadSharedLibrary(handle_);
    }
    BoundCorvel(const BoundCorvel&) = delete;
    BoundCorvel& operator=(const BoundCorvel&) = delete;

    bool bound() const { return bound_; }
    const QString& error() const { return error_; }

private:
    void* handle_ = nullptr;
    bool bound_ = false;
    QString error_;
    TDllMCEntries saved_;
};

} // namespace filestest
