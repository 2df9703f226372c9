#pragma once

// A test device library opened the way the host opens one: dlopen of the
// absolute path with RTLD_NOW | RTLD_LOCAL, the three entry points bound by
// name. Closing happens when the object goes; free every object the library
// created before that, since their destructors are the library's code.
#include <dlfcn.h>

#include <filesystem>
#include <string>
#include <string_view>

#include "devices/contract.h"
#include "support/paths.h"

namespace twtest {

// <fixtureDir>/<name>.so, where the build puts tests/fixtures/devlibs/<name>.cpp.
inline std::filesystem::path devlibPath(std::string_view name)
{
    return fixtureDir() / (std::string(name) + ".so");
}

class DeviceLibrary {
public:
    explicit DeviceLibrary(const std::filesystem::path& path)
        : handle_(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL))
    {
        if (!handle_)
            error_ = dlerror();
        entries_ = bindEntryPoints(handle_);
    }
    ~DeviceLibrary()
    {
        if (handle_)
            dlclose(handle_);
    }
    DeviceLibrary(const DeviceLibrary&) = delete;
    DeviceLibrary& operator=(const DeviceLibrary&) = delete;

    bool loaded() const { return handle_ != nullptr; }
    const std::string& error() const { return error_; }
    void* handle() const { return handle_; }
    const TEntryPoints& entries() const { return entries_; }

    // Any other export, for test-only hooks of a fixture library.
    template <typename Function>
    Function symbol(const char* name) const
    {
        return handle_ ? reinterpret_cast<Function>(dlsym(handle_, name)) : nullptr;
    }

    // A host-side description bound to this library, as the host's table
    // holds it once the library is loaded for good.
    void bindInto(TInfoDevice& info) const
    {
        info.evLibHandle = handle_;
        info.What_is = entries_.What_is;
        info.Get_info_class = entries_.Get_info_class;
        info.Get_Device_class = entries_.Get_Device_class;
        info.evLoaded = entries_.complete();
    }

private:
    void* handle_;
    std::string error_;
    TEntryPoints entries_;
};

} // namespace twtest
