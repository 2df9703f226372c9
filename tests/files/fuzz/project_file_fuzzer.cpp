// libFuzzer entry for the project file reader: any bytes give either a
// complete project that writes back to itself or a fault with nothing in it.
// Built and run by run_fuzzers.sh (clang only); the test program runs a
// seeded mutation loop of the same checks.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "ide/files/project_file.h"

namespace {

std::optional<std::int32_t> PortCount(const TProjectDevice& record)
{
    // Two kinds of peripheral are known, with 1 and 3 ports; others cannot be made.
    if (record.model == "A")
        return 1;
    if (record.model == "B")
        return 3;
    return std::nullopt;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const TProjectReadResult read = DecodeProject(bytes, PortCount);
    if (!read.ok()) {
        if (!read.project.devices.empty() || !read.project.source.isEmpty())
            std::abort();
        return 0;
    }
    if (read.project.devices.empty() || !IsSoundChipSaveData(read.project.devices[0].saveData))
        std::abort();
    const TProjectReadResult again = DecodeProject(EncodeProject(read.project), PortCount);
    if (!again.ok() || !(again.project == read.project))
        std::abort();
    return 0;
}
