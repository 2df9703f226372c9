// Files crafted to make the library check work hard: many dynamic symbol
// tables over one string table without a terminator, and tables that cover
// the whole file. Each is built here at several sizes; the check must refuse
// every one with work that grows no faster than the file.
#include <elf.h>
#include <link.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host_fixture.h"
#include "ide/workbench/library_file.h"

namespace crafted_library_test {
namespace {

using Bytes = std::vector<char>;

template <typename T>
void Put(Bytes& bytes, std::size_t offset, const T& value)
{
    std::memcpy(bytes.data() + offset, &value, sizeof value);
}

ElfW(Ehdr) NativeHeader()
{
    ElfW(Ehdr) header{};
    std::memcpy(header.e_ident, ELFMAG, SELFMAG);
    header.e_ident[EI_CLASS] = sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32;
    header.e_ident[EI_DATA] = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ ? ELFDATA2LSB : ELFDATA2MSB;
    header.e_ident[EI_VERSION] = EV_CURRENT;
    header.e_type = ET_DYN;
#if defined(__x86_64__)
    header.e_machine = EM_X86_64;
#elif defined(__aarch64__)
    header.e_machine = EM_AARCH64;
#elif defined(__i386__)
    header.e_machine = EM_386;
#elif defined(__arm__)
    header.e_machine = EM_ARM;
#elif defined(__riscv)
    header.e_machine = EM_RISCV;
#elif defined(__powerpc64__)
    header.e_machine = EM_PPC64;
#endif
    header.e_version = EV_CURRENT;
    header.e_ehsize = sizeof(ElfW(Ehdr));
    header.e_shentsize = sizeof(ElfW(Shdr));
    return header;
}

// An exported function whose name starts at `name` of the string table.
ElfW(Sym) ExportedFunction(std::uint32_t name)
{
    ElfW(Sym) symbol{};
    symbol.st_name = name;
    symbol.st_info = ELF64_ST_INFO(STB_GLOBAL, STT_FUNC);
    symbol.st_shndx = 1;
    return symbol;
}

struct Layout {
    const char* what;
    // Bytes given to the string table; the symbols get the rest.
    double nameShare;
    // How many dynamic symbol sections list the same symbols.
    int symbolSections;
    // The string table covers the whole file, header and symbols included.
    bool namesEverywhere;
};

// A file of about `size` bytes: the ELF header, a string table of 'W'
// characters (the first letter of an entry point, and never a terminator),
// the symbols, and the section headers at the end.
Bytes Craft(const Layout& layout, std::size_t size)
{
    const std::size_t sectionCount = std::size_t(layout.symbolSections) + 2;
    const std::size_t headers = sectionCount * sizeof(ElfW(Shdr));
    const std::size_t body = size - sizeof(ElfW(Ehdr)) - headers;
    const std::size_t namesOffset = sizeof(ElfW(Ehdr));
    const std::size_t namesSize = std::size_t(double(body) * layout.nameShare);
    const std::size_t symbolsOffset = namesOffset + namesSize;
    const std::size_t symbolCount = (body - namesSize) / sizeof(ElfW(Sym));
    const std::size_t headersOffset = symbolsOffset + symbolCount * sizeof(ElfW(Sym));

    Bytes bytes(headersOffset + headers, 0);
    ElfW(Ehdr) header = NativeHeader();
    header.e_shoff = headersOffset;
    header.e_shnum = std::uint16_t(sectionCount);
    Put(bytes, 0, header);
    std::memset(bytes.data() + namesOffset, 'W', namesSize);
    // Names start near the table's beginning, where a scan for the end of a
    // name would run through the whole table.
    for (std::size_t i = 0; i < symbolCount; ++i)
        Put(bytes, symbolsOffset + i * sizeof(ElfW(Sym)), ExportedFunction(std::uint32_t(i % 61)));

    ElfW(Shdr) names{};
    names.sh_type = SHT_STRTAB;
    names.sh_offset = layout.namesEverywhere ? 0 : namesOffset;
    names.sh_size = layout.namesEverywhere ? bytes.size() : namesSize;
    Put(bytes, headersOffset + sizeof(ElfW(Shdr)), names);
    for (int k = 0; k < layout.symbolSections; ++k) {
        ElfW(Shdr) symbols{};
        symbols.sh_type = SHT_DYNSYM;
        symbols.sh_link = 1;
        symbols.sh_entsize = sizeof(ElfW(Sym));
        symbols.sh_offset = symbolsOffset;
        symbols.sh_size = symbolCount * sizeof(ElfW(Sym));
        Put(bytes, headersOffset + std::size_t(k + 2) * sizeof(ElfW(Shdr)), symbols);
    }
    return bytes;
}

const Layout Layouts[] = {
    {"many symbol tables over one unterminated string table", 0.5, 60, false},
    {"one symbol table, a string table over the whole file", 0.25, 1, true},
    {"few names, many symbols", 0.02, 8, false},
    {"many names, few symbols", 0.98, 200, true},
};

const std::size_t Sizes[] = {64u << 10, 256u << 10, 1u << 20, 4u << 20};

TEST(CraftedLibraryFileTest, RefusedWithWorkProportionalToTheSize)
{
    twtest::ProgramFolder folder;
    for (const Layout& layout : Layouts) {
        for (const std::size_t size : Sizes) {
            SCOPED_TRACE(std::string(layout.what) + ", " + std::to_string(size) + " bytes");
            const Bytes bytes = Craft(layout, size);
            const QString path = folder.write("crafted.so", std::string(bytes.begin(), bytes.end()));
            TLibraryFileWork work;
            EXPECT_EQ(InspectLibraryFile(path, &work), TLibraryFileKind::MissingEntryPoints);
            // At most each byte read twice (the string table may overlap
            // the symbols), a short scan per symbol, one look per entry.
            const std::uint64_t fileSize = bytes.size();
            EXPECT_LE(work.bytesRead, 2 * fileSize + 4096);
            EXPECT_LE(work.nameBytesSeen, fileSize);
            EXPECT_LE(work.entriesSeen, fileSize / sizeof(ElfW(Sym)) + 1024);
            EXPECT_GT(work.nameBytesSeen, 0u) << "the symbols were looked at";
        }
    }
}

// A library whose entry points are listed in a second dynamic symbol table
// only: the loader binds from one table, and so does the check.
TEST(CraftedLibraryFileTest, OnlyTheFirstDynamicSymbolTableCounts)
{
    const std::string entryNames = std::string("What_is") + '\0' + "Get_info_class" + '\0' + "Get_Device_class" + '\0';
    const Layout layout{"", 0.5, 2, false};
    Bytes bytes = Craft(layout, 16u << 10);
    ElfW(Ehdr) header;
    std::memcpy(&header, bytes.data(), sizeof header);
    const auto sectionAt = [&](int index) { return header.e_shoff + std::size_t(index) * sizeof(ElfW(Shdr)); };
    // The names stand past every name the crafted symbols use (0..60).
    constexpr std::size_t namesAt = 100;
    ElfW(Shdr) names;
    std::memcpy(&names, bytes.data() + sectionAt(1), sizeof names);
    std::memcpy(bytes.data() + names.sh_offset + namesAt, entryNames.data(), entryNames.size());

    // The second table: the three entry points, the last three symbols of
    // the file, which the first table no longer lists.
    ElfW(Shdr) first;
    std::memcpy(&first, bytes.data() + sectionAt(2), sizeof first);
    const std::size_t entriesOffset = first.sh_offset + first.sh_size - 3 * sizeof(ElfW(Sym));
    first.sh_size -= 3 * sizeof(ElfW(Sym));
    Put(bytes, sectionAt(2), first);
    const std::uint32_t offsets[] = {namesAt, namesAt + 8, namesAt + 23};
    for (std::size_t i = 0; i < 3; ++i)
        Put(bytes, entriesOffset + i * sizeof(ElfW(Sym)), ExportedFunction(offsets[i]));
    ElfW(Shdr) second = first;
    second.sh_offset = entriesOffset;
    second.sh_size = 3 * sizeof(ElfW(Sym));
    Put(bytes, sectionAt(3), second);

    twtest::ProgramFolder folder;
    const QString inSecond = folder.write("second.so", std::string(bytes.begin(), bytes.end()));
    EXPECT_EQ(InspectLibraryFile(inSecond), TLibraryFileKind::MissingEntryPoints);

    // The same three symbols in the first table make a device library.
    Put(bytes, sectionAt(2), second);
    const QString inFirst = folder.write("first.so", std::string(bytes.begin(), bytes.end()));
    EXPECT_EQ(InspectLibraryFile(inFirst), TLibraryFileKind::DeviceLibrary);
}

// A table larger than the read limit is refused before it is read. The file
// is sparse, so it costs the disk nothing.
TEST(CraftedLibraryFileTest, TablesBeyondTheReadLimitAreRefusedUnread)
{
    const std::uint64_t size = kLibraryFileReadLimit + (1u << 20);
    Bytes start = Craft({"", 0.5, 1, false}, 16u << 10);
    ElfW(Ehdr) header;
    std::memcpy(&header, start.data(), sizeof header);
    ElfW(Shdr) symbols;
    std::memcpy(&symbols, start.data() + header.e_shoff + 2 * sizeof(ElfW(Shdr)), sizeof symbols);
    symbols.sh_size = (size - symbols.sh_offset) / sizeof(ElfW(Sym)) * sizeof(ElfW(Sym));
    Put(start, header.e_shoff + 2 * sizeof(ElfW(Shdr)), symbols);

    twtest::ProgramFolder folder;
    const QString path = folder.write("huge.so", std::string(start.begin(), start.end()));
    std::filesystem::resize_file(path.toStdString(), size);
    TLibraryFileWork work;
    EXPECT_EQ(InspectLibraryFile(path, &work), TLibraryFileKind::NotALibrary);
    EXPECT_LT(work.bytesRead, 1u << 20);
}

} // namespace

} // namespace crafted_library_test
