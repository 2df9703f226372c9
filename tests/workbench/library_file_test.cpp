// Recognising device libraries from their bytes, with the loader itself as
// the judge of what a file really is.
#include <dlfcn.h>

#include <elf.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host_fixture.h"
#include "ide/workbench/library_file.h"

namespace library_file_test {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<char>;

Bytes ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

const char* KindName(TLibraryFileKind kind)
{
    switch (kind) {
    case TLibraryFileKind::NotALibrary:
        return "not a library";
    case TLibraryFileKind::MissingEntryPoints:
        return "missing entry points";
    case TLibraryFileKind::DeviceLibrary:
        return "device library";
    }
    return "?";
}

// What the loader makes of the file: not loadable, loadable without all
// three entry points, or a device library.
TLibraryFileKind LoaderVerdict(const QString& path)
{
    void* handle = dlopen(path.toStdString().c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return TLibraryFileKind::NotALibrary;
    const bool complete = bindEntryPoints(handle).complete();
    dlclose(handle);
    return complete ? TLibraryFileKind::DeviceLibrary : TLibraryFileKind::MissingEntryPoints;
}

TEST(LibraryFileTest, AgreesWithTheLoaderOnEveryBuiltLibrary)
{
    std::vector<fs::path> libraries;
    for (const fs::directory_entry& entry : fs::directory_iterator(twtest::fixtureDir()))
        if (entry.path().extension() == ".so")
            libraries.push_back(entry.path());
    libraries.push_back(twtest::binDir() / "corvel.so");
    ASSERT_GE(libraries.size(), 10u);

    for (const fs::path& library : libraries) {
        SCOPED_TRACE(library.string());
        const QString path = QString::fromStdString(library.string());
        EXPECT_STREQ(KindName(InspectLibraryFile(path)), KindName(LoaderVerdict(path)));
    }
}

struct DamagedCase {
    const char* what;
    void (*damage)(Bytes& bytes);
    TLibraryFileKind expected;
    // What dlopen and dlsym make of the same bytes; not asked where the
    // loader itself would crash the test on them.
    std::optional<TLibraryFileKind> loader;
};

template <typename T>
void Poke(Bytes& bytes, std::size_t offset, T value)
{
    std::memcpy(bytes.data() + offset, &value, sizeof value);
}

void RenameEverywhere(Bytes& bytes, std::string_view from, std::string_view to)
{
    for (auto at = std::search(bytes.begin(), bytes.end(), from.begin(), from.end()); at != bytes.end();
         at = std::search(at, bytes.end(), from.begin(), from.end()))
        at = std::copy(to.begin(), to.end(), at);
}

const DamagedCase DamagedCases[] = {
    {"as built", [](Bytes&) {}, TLibraryFileKind::DeviceLibrary,
     TLibraryFileKind::DeviceLibrary},
    {"32-bit class", [](Bytes& b) { b[EI_CLASS] = ELFCLASS32; }, TLibraryFileKind::NotALibrary,
     TLibraryFileKind::NotALibrary},
    {"big-endian", [](Bytes& b) { b[EI_DATA] = ELFDATA2MSB; }, TLibraryFileKind::NotALibrary,
     TLibraryFileKind::NotALibrary},
    {"another processor", [](Bytes& b) { Poke<std::uint16_t>(b, offsetof(Elf64_Ehdr, e_machine), EM_AARCH64); },
     TLibraryFileKind::NotALibrary,
     TLibraryFileKind::NotALibrary},
    {"an executable", [](Bytes& b) { Poke<std::uint16_t>(b, offsetof(Elf64_Ehdr, e_type), ET_EXEC); },
     TLibraryFileKind::NotALibrary,
     TLibraryFileKind::NotALibrary},
    {"a relocatable object", [](Bytes& b) { Poke<std::uint16_t>(b, offsetof(Elf64_Ehdr, e_type), ET_REL); },
     TLibraryFileKind::NotALibrary,
     TLibraryFileKind::NotALibrary},
    {"no ELF magic", [](Bytes& b) { b[1] = 'X'; }, TLibraryFileKind::NotALibrary,
     TLibraryFileKind::NotALibrary},
    // The loader maps the segments past the end and faults on them (SIGBUS).
    {"cut after 4096 bytes", [](Bytes& b) { b.resize(4096); }, TLibraryFileKind::NotALibrary, std::nullopt},
    {"section headers past the end",
     [](Bytes& b) { Poke<std::uint64_t>(b, offsetof(Elf64_Ehdr, e_shoff), std::uint64_t(b.size()) + 64); },
     TLibraryFileKind::NotALibrary,
     TLibraryFileKind::DeviceLibrary},
    {"absurd section count",
     [](Bytes& b) { Poke<std::uint16_t>(b, offsetof(Elf64_Ehdr, e_shnum), 0xFFFF); },
     TLibraryFileKind::NotALibrary,
     TLibraryFileKind::DeviceLibrary},
    // Without section headers the exports cannot be read from the file, so
    // it is not opened; the loader alone would still take it.
    {"no section headers", [](Bytes& b) { Poke<std::uint64_t>(b, offsetof(Elf64_Ehdr, e_shoff), 0); },
     TLibraryFileKind::MissingEntryPoints, TLibraryFileKind::DeviceLibrary},
    {"one export renamed", [](Bytes& b) { RenameEverywhere(b, "Get_Device_class", "Get_Device_clasZ"); },
     TLibraryFileKind::MissingEntryPoints,
     TLibraryFileKind::MissingEntryPoints},
    {"export names cased differently", [](Bytes& b) { RenameEverywhere(b, "What_is", "What_Is"); },
     TLibraryFileKind::MissingEntryPoints,
     TLibraryFileKind::MissingEntryPoints},
};

TEST(LibraryFileTest, DamagedLibrariesAreRefusedFromTheirBytes)
{
    const Bytes original = ReadBytes(twtest::fixtureDir() / "devlib_basic.so");
    ASSERT_GT(original.size(), 8192u);
    twtest::ProgramFolder folder;
    int number = 0;
    for (const DamagedCase& test : DamagedCases) {
        SCOPED_TRACE(test.what);
        Bytes bytes = original;
        test.damage(bytes);
        const QString path = folder.write("damaged" + std::to_string(++number) + ".so",
                                          std::string(bytes.begin(), bytes.end()));
        EXPECT_STREQ(KindName(InspectLibraryFile(path)), KindName(test.expected));
        if (test.loader) {
            EXPECT_STREQ(KindName(LoaderVerdict(path)), KindName(*test.loader));
        }
    }
}

TEST(LibraryFileTest, FilesThatAreNoSharedObjectAtAll)
{
    twtest::ProgramFolder folder;
    const QString cases[] = {
        folder.write("notes.quodev", "This is a text file, not a library.\n"),
        folder.write("empty.so", ""),
        folder.write("header-only.so", "\x7f" "ELF"),
        folder.path("missing.so"),
        folder.path(""), // a folder
        QStringLiteral("/dev/zero"),
    };
    for (const QString& path : cases) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_EQ(InspectLibraryFile(path), TLibraryFileKind::NotALibrary);
    }
}

} // namespace

} // namespace library_file_test
