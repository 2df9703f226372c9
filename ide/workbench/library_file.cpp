// Recognising a device library from its ELF image, before it is loaded: the
// loader would run a file's start-up code as soon as it is opened, so a file
// is opened only when it already looks like a device library.
#include "ide/workbench/library_file.h"

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

// The file read piece by piece, every read checked against its end, so a
// truncated or hostile file can only be refused. Read rather than mapped: a
// mapped file that shrinks under the reader would fault.
class TFileBytes {
public:
    explicit TFileBytes(QFile& file)
        : file_(file)
        , size_(std::uint64_t(file.size()))
    {
    }

    std::uint64_t size() const { return size_; }

    bool holds(std::uint64_t offset, std::uint64_t length) const
    {
        return offset <= size_ && length <= size_ - offset;
    }

    bool readAt(std::uint64_t offset, std::uint64_t length, void* destination) const
    {
        return holds(offset, length) && file_.seek(qint64(offset))
               && file_.read(static_cast<char*>(destination), qint64(length)) == qint64(length);
    }

    template <typename T>
    bool read(std::uint64_t offset, T& value) const
    {
        return readAt(offset, sizeof(T), &value);
    }

    bool block(std::uint64_t offset, std::uint64_t length, QByteArray& bytes) const
    {
        if (!holds(offset, length))
            return false;
        bytes.resize(qsizetype(length));
        return readAt(offset, length, bytes.data());
    }

private:
    QFile& file_;
    std::uint64_t size_;
};

// The zero-terminated name at `offset` of a string table.
bool NameAt(const QByteArray& table, std::uint64_t offset, std::string_view& name)
{
    if (offset >= std::uint64_t(table.size()))
        return false;
    const char* first = table.constData() + offset;
    const void* end = std::memchr(first, 0, std::size_t(std::uint64_t(table.size()) - offset));
    if (!end)
        return false;
    name = std::string_view(first, std::size_t(static_cast<const char*>(end) - first));
    return true;
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
// three entry points. Section headers that lie outside the file mark a
// damaged file the loader would refuse too.
TLibraryFileKind KindBySymbols(const TFileBytes& bytes, const ElfW(Ehdr)& header)
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
    if (sectionCount > bytes.size() / sizeof(ElfW(Shdr))
        || !bytes.holds(header.e_shoff, sectionCount * sizeof(ElfW(Shdr))))
        return TLibraryFileKind::NotALibrary;

    const auto section = [&](std::uint64_t index, ElfW(Shdr)& result) {
        return index < sectionCount && bytes.read(header.e_shoff + index * sizeof(ElfW(Shdr)), result);
    };

    std::array<bool, EntryPointNames.size()> found = {};
    for (std::uint64_t index = 0; index < sectionCount; ++index) {
        ElfW(Shdr) symbolSection;
        ElfW(Shdr) nameSection;
        if (!section(index, symbolSection) || symbolSection.sh_type != SHT_DYNSYM)
            continue;
        QByteArray symbols;
        QByteArray names;
        if (symbolSection.sh_entsize != sizeof(ElfW(Sym)) || !section(symbolSection.sh_link, nameSection)
            || nameSection.sh_type != SHT_STRTAB || !bytes.block(symbolSection.sh_offset, symbolSection.sh_size, symbols)
            || !bytes.block(nameSection.sh_offset, nameSection.sh_size, names))
            return TLibraryFileKind::NotALibrary;
        for (qsizetype offset = 0; offset + qsizetype(sizeof(ElfW(Sym))) <= symbols.size();
             offset += qsizetype(sizeof(ElfW(Sym)))) {
            ElfW(Sym) symbol;
            std::memcpy(&symbol, symbols.constData() + offset, sizeof symbol);
            std::string_view name;
            if (!IsExportedFunction(symbol) || !NameAt(names, symbol.st_name, name))
                continue;
            for (std::size_t entry = 0; entry < EntryPointNames.size(); ++entry)
                found[entry] = found[entry] || name == EntryPointNames[entry];
        }
    }
    return found[0] && found[1] && found[2] ? TLibraryFileKind::DeviceLibrary : TLibraryFileKind::MissingEntryPoints;
}

} // namespace

TLibraryFileKind InspectLibraryFile(const QString& path)
{
    // Only regular files: opening a pipe or a device to read it could block.
    if (!QFileInfo(path).isFile())
        return TLibraryFileKind::NotALibrary;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < qint64(sizeof(ElfW(Ehdr))))
        return TLibraryFileKind::NotALibrary;
    const TFileBytes bytes(file);

    ElfW(Ehdr) header;
    if (!bytes.read(0, header) || !IsNativeSharedObject(header))
        return TLibraryFileKind::NotALibrary;
    return KindBySymbols(bytes, header);
}
