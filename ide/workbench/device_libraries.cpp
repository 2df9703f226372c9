// Finding the device libraries beside the program, probing them, and opening
// one for good when its first device is placed.
#include <QFileInfo>

#include "ide/texts/file_listing.h"
#include "ide/texts/texts.h"
#include "ide/workbench/device_host.h"
#include "ide/workbench/library_file.h"
#include "ide/workbench/shared_library.h"

namespace {

// Searched in this order; each list is complete before the first probe.
const char* const LibraryMasks[] = {"*.quodev", "*.so"};

constexpr std::int32_t SearchHeaderText = 2002;
constexpr std::int32_t LoadingHeaderText = 2003;

// A library opened by the host, closed again when this goes unless kept.
class TOpenedLibrary {
public:
    TOpenedLibrary() = default;
    ~TOpenedLibrary() { UnloadSharedLibrary(handle_); }
    TOpenedLibrary(const TOpenedLibrary&) = delete;
    TOpenedLibrary& operator=(const TOpenedLibrary&) = delete;

    // Opens path when it is a device library: 0, or why it is refused. The
    // file's bytes are judged first, so a file that is no device library
    // never has its start-up code run.
    std::int32_t Open(const QString& path)
    {
        if (!QFileInfo::exists(path))
            return dfeFileMissing;
        switch (InspectLibraryFile(path)) {
        case TLibraryFileKind::NotALibrary:
            return dfeNotLoadable;
        case TLibraryFileKind::MissingEntryPoints:
            return dfeMissingEntryPoint;
        case TLibraryFileKind::DeviceLibrary:
            break;
        }
        handle_ = LoadSharedLibrary(path);
        if (!handle_)
            return dfeNotLoadable;
        entries_ = bindEntryPoints(handle_);
        return entries_.complete() ? dfeNone : dfeMissingEntryPoint;
    }

    void* handle() const { return handle_; }
    const TEntryPoints& entries() const { return entries_; }

    // Keeps the library open: the caller now holds the handle.
    void* Keep()
    {
        void* handle = handle_;
        handle_ = nullptr;
        return handle;
    }

private:
    void* handle_ = nullptr;
    TEntryPoints entries_;
};

std::int32_t ProbeErrorCode(TProbeOutcome outcome)
{
    switch (outcome) {
    case TProbeOutcome::Accepted:
        return dfeNone;
    case TProbeOutcome::MissingEntryPoint:
        return dfeMissingEntryPoint;
    case TProbeOutcome::VersionRefused:
    case TProbeOutcome::NoDescription:
    case TProbeOutcome::NoModels:
        break;
    }
    // A library without a description or without any model does not keep
    // the interface either; it is refused like a wrong version.
    return dfeInterfaceRefused;
}

// The text the duplicate test compares: a list without models compares as
// an empty text.
TShortString FirstModel(const TInfoDevice& info)
{
    return info.vSModel.empty() ? TShortString() : info.vSModel[0];
}

} // namespace

std::int32_t TDeviceHost::SearchDeviceFiles(const TStartupLog& log, const QString& folder)
{
    log(GetText(SearchHeaderText));
    // Absolute, so that every listed path is one the loader takes as a path.
    const QString root = QFileInfo(folder).absoluteFilePath();
    QStringList candidates;
    for (const char* mask : LibraryMasks)
        candidates += FindFilesByMask(root, QString::fromLatin1(mask), true);
    log(GetText(LoadingHeaderText));

    for (const QString& path : candidates) {
        log(QStringLiteral("[Loading]") + path);
        if (ProbeDeviceFile(path)) {
            // A duplicate still reads "[Ok]": the file itself was sound.
            log(QStringLiteral("[Ok]") + path);
            DropInvalidDeviceInfo();
        } else {
            log(QStringLiteral("[ER%1]").arg(deviceFileError_) + path);
        }
    }
    return 0;
}

bool TDeviceHost::ProbeDeviceFile(const QString& path)
{
    TOpenedLibrary library;
    if (const std::int32_t error = library.Open(path)) {
        deviceFileError_ = error;
        return false;
    }
    auto entry = std::make_unique<TDeviceLibraryInfo>();
    const TProbeOutcome outcome = probeLibrary(library.entries(), *entry);
    if (outcome != TProbeOutcome::Accepted) {
        deviceFileError_ = ProbeErrorCode(outcome);
        return false;
    }
    entry->FilePath = QFileInfo(path).absoluteFilePath();
    entry->evFileName = TShortString::fromQString(entry->FilePath);
    infoDevices_.push_back(std::move(entry));
    return true;
}

bool TDeviceHost::DropInvalidDeviceInfo()
{
    if (infoDevices_.empty())
        return false;
    const TInfoDevice& last = *infoDevices_.back();
    for (std::size_t index = 0; index + 1 < infoDevices_.size(); ++index) {
        const TInfoDevice& earlier = *infoDevices_[index];
        if (FirstModel(earlier) == FirstModel(last) && earlier.vSFamily == last.vSFamily
            && earlier.vSType == last.vSType && earlier.vType == last.vType) {
            infoDevices_.pop_back();
            return true;
        }
    }
    return false;
}

bool TDeviceHost::LoadDeviceLibrary(std::int32_t infoIndex)
{
    if (infoIndex < 0 || std::size_t(infoIndex) >= infoDevices_.size())
        return false;
    TDeviceLibraryInfo& entry = *infoDevices_[std::size_t(infoIndex)];
    if (entry.evLoaded)
        return true;
    TOpenedLibrary library;
    if (const std::int32_t error = library.Open(entry.FilePath)) {
        deviceFileError_ = error;
        return false;
    }
    entry.What_is = library.entries().What_is;
    entry.Get_info_class = library.entries().Get_info_class;
    entry.Get_Device_class = library.entries().Get_Device_class;
    entry.evLibHandle = library.Keep();
    entry.evLoaded = true;
    return true;
}
