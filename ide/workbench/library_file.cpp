// Recognising a device library from its ELF image, before it is loaded: the
// loader would run a file's start-up code as soon as it is opened, so a file
// is opened only when it already looks like a device library.
#include "ide/workbench/library_file.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>

#include <elf.h>
#include <link.h>

#include <QFile>
#include <QFileInfo>

namespace {

#if defined(__x86_64__)
constexpr std::uint16_t NativeMachine = EM_X86_64;
#elif defined(__aarch64__)
constexpr std::uint16_t NativeMachine = EM_AARCH64;
#elif defined(__i386__)
constexpr std::uint16_t NativeMachine = EM_386;
#elif defined(__arm__)
constexpr std::uint16_t NativeMachine = EM_ARM;
#elif defined(__riscv)
constexpr std::uint16_t NativeMachine = EM_RISCV;
#elif defined(__powerpc64__)
constexpr std::uint16_t NativeMachine = EM_PPC64;
#else
#error "the ELF machine number of this processor is not known here"
#endif

constexpr unsigned char NativeClass = sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32;

#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
constexpr unsigned char NativeByteOrder = ELFDATA2LSB;
#else
constexpr unsigned char NativeByteOrder = ELFDATA2MSB;
#endif

constexpr std::array<std::string_view, 3> EntryPointNames = {"What_is", "Get_info_class", "Get_Device_class"};

// The longest entry point name: no name scan looks further than this and
// its terminator.
constexpr std::size_t LongestEntryPointName
    = std::max({EntryPointNames[0].size(), EntryPointNames[1].size(), EntryPointNames[2].size()});

// The file read piece by piece, every read checked against its end and
// counted against the read limit, so a truncated or hostile file can only be
// refused, and never costs more than a few passes over its bytes. Read
// rather than mapped: a mapped file that shrinks under the reader would
// fault.
class TFileBytes {
public:
    TFileBytes(QFile& file, TLibraryFileWork& work)
        : file_(file)
        , size_(std::uint64_t(file.size()))
        , work_(work)
    {
    }

    std::uint64_t size() const { return size_; }

    bool holds(std::uint64_t offset, std::uint64_t length) const
    {
        return offset <= size_ && length <= size_ - offset;
    }

    bool readAt(std::uint64_t offset, std::uint64_t length, void* destination) const
    {
        if (!holds(offset, length) || length > kLibraryFileReadLimit - work_.bytesRead)
            return false;
        work_.bytesRead += length;
        return file_.seek(qint64(offset))
               && file_.read(static_cast<char*>(destination), qint64(length)) == qint64(length);
    }

    template <typename T>
    bool read(std::uint64_t offset, T& value) const
    {
        return readAt(offset, sizeof(T), &value);
    }

    bool block(std::uint64_t offset, std::uint64_t length, QByteArray& bytes) const
    {
        if (!holds(offset, length) || length > kLibraryFileReadLimit - work_.bytesRead)
            return false;
        bytes.resize(qsizetype(length));
        return readAt(offset, length, bytes.data());
    }

private:
    QFile& file_;
    std::uint64_t size_;
    TLibraryFileWork& work_;
};

// The entry point whose name stands at `offset` of a string table, or -1.
// The scan stops at the table's end and after the longest entry point name,
// so a table without terminators costs no more than any other.
int EntryPointAt(const QByteArray& table, std::uint64_t offset, TLibraryFileWork& work)
{
    if (offset >= std::uint64_t(table.size()))
        return -1;
    const std::size_t available = std::size_t(std::uint64_t(table.size()) - offset);
    const std::size_t scanned = std::min(available, LongestEntryPointName + 1);
    work.nameBytesSeen += scanned;
    const char* first = table.constData() + offset;
    const void* end = std::memchr(first, 0, scanned);
    if (!end)
        return -1;
    const std::string_view name(first, std::size_t(static_cast<const char*>(end) - first));
    for (std::size_t entry = 0; entry < EntryPointNames.size(); ++entry)
        if (name == EntryPointNames[entry])
            return int(entry);
    return -1;
}

bool IsNativeSharedObject(const ElfW(Ehdr)& header)
{
    return std::memcmp(header.e_ident, ELFMAG, SELFMAG) == 0 && header.e_ident[EI_CLASS] == NativeClass
           && header.e_ident[EI_DATA] == NativeByteOrder && header.e_ident[EI_VERSION] == EV_CURRENT
           && header.e_type == ET_DYN && header.e_machine == NativeMachine;
}

// A symbol dlsym would hand out: defined here, global, and a function.
bool IsExportedFunction(const ElfW(Sym)& symbol)
{
    const unsigned binding = ELF64_ST_BIND(symbol.st_info);
    const unsigned type = ELF64_ST_TYPE(symbol.st_info);
    const unsigned visibility = ELF64_ST_VISIBILITY(symbol.st_other);
    return symbol.st_shndx != SHN_UNDEF
           && (binding == STB_GLOBAL || binding == STB_WEAK || binding == STB_GNU_UNIQUE)
           && (type == STT_FUNC || type == STT_GNU_IFUNC)
           && (visibility == STV_DEFAULT || visibility == STV_PROTECTED);
}

// What the dynamic symbol table says: a device library when it exports all
// three entry points. A shared object has one dynamic symbol table, the one
// the loader binds from; only the first such section is read, so a file
// that lists many cannot multiply the work. Section headers that lie outside
// the file mark a damaged file the loader would refuse too.
TLibraryFileKind KindBySymbols(const TFileBytes& bytes, const ElfW(Ehdr)& header, TLibraryFileWork& work)
{
    if (header.e_shoff == 0)
        return TLibraryFileKind::MissingEntryPoints;
    if (header.e_shentsize != sizeof(ElfW(Shdr)))
        return TLibraryFileKind::NotALibrary;
    std::uint64_t sectionCount = header.e_shnum;
    if (sectionCount == 0) {
        // More sections than the header field holds: the count is in section 0.
        ElfW(Shdr) first;
        if (!bytes.read(header.e_shoff, first))
            return TLibraryFileKind::NotALibrary;
        sectionCount = first.sh_size;
    }
    QByteArray sections;
    if (sectionCount > bytes.size() / sizeof(ElfW(Shdr))
        || !bytes.block(header.e_shoff, sectionCount * sizeof(ElfW(Shdr)), sections))
        return TLibraryFileKind::NotALibrary;

    const auto section = [&](std::uint64_t index, ElfW(Shdr)& result) {
        if (index >= sectionCount)
            return false;
        ++work.entriesSeen;
        std::memcpy(&result, sections.constData() + index * sizeof(ElfW(Shdr)), sizeof result);
        return true;
    };

    ElfW(Shdr) symbolSection;
    std::uint64_t index = 0;
    while (section(index, symbolSection) && symbolSection.sh_type != SHT_DYNSYM)
        ++index;
    if (index == sectionCount)
        return TLibraryFileKind::MissingEntryPoints;

    ElfW(Shdr) nameSection;
    QByteArray symbols;
    QByteArray names;
    if (symbolSection.sh_entsize != sizeof(ElfW(Sym)) || !section(symbolSection.sh_link, nameSection)
        || nameSection.sh_type != SHT_STRTAB || !bytes.block(symbolSection.sh_offset, symbolSection.sh_size, symbols)
        || !bytes.block(nameSection.sh_offset, nameSection.sh_size, names))
        return TLibraryFileKind::NotALibrary;

    std::array<bool, EntryPointNames.size()> found = {};
    for (qsizetype offset = 0; offset + qsizetype(sizeof(ElfW(Sym))) <= symbols.size();
         offset += qsizetype(sizeof(ElfW(Sym)))) {
        ++work.entriesSeen;
        ElfW(Sym) symbol;
        std::memcpy(&symbol, symbols.constData() + offset, sizeof symbol);
        if (!IsExportedFunction(symbol))
            continue;
        if (const int entry = EntryPointAt(names, symbol.st_name, work); entry >= 0)
            found[std::size_t(entry)] = true;
    }
    return found[0] && found[1] && found[2] ? TLibraryFileKind::DeviceLibrary : TLibraryFileKind::MissingEntryPoints;
}

} // namespace

TLibraryFileKind InspectLibraryFile(const QString& path, TLibraryFileWork* work)
{
    TLibraryFileWork ownWork;
    TLibraryFileWork& counted = work ? *work : ownWork;
    counted = {};
    // Only regular files: opening a pipe or a device to read it could block.
    if (!QFileInfo(path).isFile())
        return TLibraryFileKind::NotALibrary;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < qint64(sizeof(ElfW(Ehdr))))
        return TLibraryFileKind::NotALibrary;
    const TFileBytes bytes(file, counted);

    ElfW(Ehdr) header;
    if (!bytes.read(0, header) || !IsNativeSharedObject(header))
        return TLibraryFileKind::NotALibrary;
    return KindBySymbols(bytes, header, counted);
}
