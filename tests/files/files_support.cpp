#include "files_support.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

namespace filestest {

ArrayMemory::ArrayMemory(std::int32_t size, std::uint16_t fill)
    : words(std::size_t(size), fill)
    , lines(std::size_t(size), 7)
{
}

std::uint16_t ArrayMemory::Word(std::int32_t address) const
{
    if (address < 0 || address >= RomSize()) {
        const_cast<ArrayMemory*>(this)->outOfRangeAccesses++;
        return 0;
    }
    return words[std::size_t(address)];
}

void ArrayMemory::SetWord(std::int32_t address, std::uint16_t value)
{
    ++writes;
    if (address < 0 || address >= RomSize() || value > 0xFFF) {
        ++outOfRangeAccesses;
        return;
    }
    words[std::size_t(address)] = value;
}

bool ArrayMemory::ConfigBit(std::int32_t bit) const
{
    return (config >> bit) & 1;
}

void ArrayMemory::SetConfigBit(std::int32_t bit, bool value)
{
    ++writes;
    if (bit < 0 || bit > 11) {
        ++outOfRangeAccesses;
        return;
    }
    config = std::uint16_t(value ? config | 1u << bit : config & ~(1u << bit));
}

void ArrayMemory::ClearLineOfWord(std::int32_t address)
{
    ++writes;
    if (address < 0 || address >= RomSize()) {
        ++outOfRangeAccesses;
        return;
    }
    lines[std::size_t(address)] = 0;
}

bool GpasmInstalled()
{
    return !QStandardPaths::findExecutable("gpasm").isEmpty();
}

std::optional<GpasmOutput> Gpasm(const std::string& source, const std::string& processor, bool dosLineEnds,
    std::string* diagnostics)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        return std::nullopt;
    const QString asmPath = dir.filePath("program.asm");
    const QString hexPath = dir.filePath("program.hex");
    {
        QFile file(asmPath);
        if (!file.open(QIODevice::WriteOnly))
            return std::nullopt;
        file.write(QByteArray::fromStdString(source));
    }
    QStringList arguments{"-q", "-p", QString::fromStdString(processor), "-o", hexPath};
    if (dosLineEnds)
        arguments << "-n";
    arguments << asmPath;
    QProcess gpasm;
    gpasm.setProcessChannelMode(QProcess::MergedChannels);
    gpasm.start("gpasm", arguments);
    if (!gpasm.waitForFinished(60000) || gpasm.exitCode() != 0) {
        if (diagnostics)
            *diagnostics = gpasm.readAll().toStdString();
        return std::nullopt;
    }
    QFile hex(hexPath);
    if (!hex.open(QIODevice::ReadOnly))
        return std::nullopt;
    GpasmOutput output;
    output.hex = hex.readAll();
    std::optional<std::map<std::int32_t, std::uint8_t>> bytes = StrictHexBytes(output.hex);
    if (!bytes)
        return std::nullopt;
    output.bytes = *bytes;
    return output;
}

std::optional<std::map<std::int32_t, std::uint8_t>> StrictHexBytes(const QByteArray& text)
{
    std::map<std::int32_t, std::uint8_t> bytes;
    std::int32_t upper = 0;
    bool ended = false;
    for (QByteArray line : text.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty())
            continue;
        if (ended || line[0] != ':' || line.size() < 11 || line.size() % 2 == 0)
            return std::nullopt;
        const QByteArray raw = QByteArray::fromHex(line.mid(1));
        if (raw.size() * 2 != line.size() - 1)
            return std::nullopt;
        const std::int32_t count = std::uint8_t(raw[0]);
        if (raw.size() != count + 5)
            return std::nullopt;
        int sum = 0;
        for (char byte : raw)
            sum += std::uint8_t(byte);
        if (sum % 256 != 0)
            return std::nullopt;
        const std::int32_t address = std::uint8_t(raw[1]) * 256 + std::uint8_t(raw[2]);
        const std::int32_t type = std::uint8_t(raw[3]);
        if (type == 0) {
            for (std::int32_t i = 0; i < count; ++i)
                bytes[upper + address + i] = std::uint8_t(raw[4 + i]);
        } else if (type == 1) {
            ended = true;
        } else if (type == 4 && count == 2) {
            upper = (std::uint8_t(raw[4]) * 256 + std::uint8_t(raw[5])) << 16;
        } else {
            return std::nullopt;
        }
    }
    if (!ended)
        return std::nullopt;
    return bytes;
}

std::map<std::int32_t, std::uint16_t> WordsOf(const std::map<std::int32_t, std::uint8_t>& bytes,
    std::int32_t firstWord, std::int32_t endWord)
{
    std::map<std::int32_t, std::uint16_t> words;
    for (const auto& [address, byte] : bytes) {
        const std::int32_t word = address / 2;
        if (word < firstWord || word >= endWord)
            continue;
        words[word] = std::uint16_t(words[word] | (address % 2 ? byte << 8 : byte));
    }
    return words;
}

} // namespace filestest
