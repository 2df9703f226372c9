#include "ide/files/project_file.h"

#include "devices/contract.h"
#include "ide/files/file_access.h"

namespace {

constexpr char16_t kSignature[] = u"ZEMRAprojectXE1.0";
constexpr char16_t kSourceTag[] = u"ASM";
constexpr char16_t kDeviceTag[] = u"DED";
constexpr qsizetype kImageSize = 256;
// Kind, three texts with their length bytes, X, Y and S.
constexpr qsizetype kRecordHeaderSize = 1 + 3 * (1 + kImageSize) + 4 + 4 + 4;
constexpr qsizetype kChipSaveDataSize = 23;
constexpr qsizetype kFrequencyFirst = 13;
constexpr qsizetype kFrequencyDigits = 9;
// The format's counts are 32-bit; no sound project comes near this size, and
// reading stops here rather than filling memory from an endless file.
constexpr qint64 kLargestProjectFile = qint64(256) * 1024 * 1024;

// ---- Writing ----

void PutUtf16(QByteArray& out, QStringView text)
{
    for (const QChar unit : text) {
        out += char(unit.unicode() & 0xFF);
        out += char(unit.unicode() >> 8);
    }
}

void PutInt32(QByteArray& out, std::int32_t value)
{
    const auto bits = std::uint32_t(value);
    for (int shift = 0; shift < 32; shift += 8)
        out += char((bits >> shift) & 0xFF);
}

QByteArray ShortText(const QByteArray& text)
{
    return text.left(qsizetype(utf8FittingLength(std::string_view(text.constData(), std::size_t(text.size())),
        TShortString::MaxLength)));
}

void PutImage(QByteArray& out, const QByteArray& text)
{
    QByteArray image(kImageSize, '\0');
    image[0] = char(text.size());
    std::copy(text.begin(), text.end(), image.begin() + 1);
    out += image;
}

void PutText(QByteArray& out, const QByteArray& text)
{
    const QByteArray stored = ShortText(text);
    out += char(stored.size());
    PutImage(out, stored);
}

// ---- Reading ----

// A cursor over the file that never reads past its end: every take first
// asks whether that many bytes remain.
class Reader {
public:
    explicit Reader(const QByteArray& bytes) : bytes_(bytes) {}

    qsizetype remaining() const { return bytes_.size() - at_; }
    bool has(std::int64_t count) const { return count >= 0 && count <= remaining(); }

    bool takeUtf16(qsizetype units, QString& text)
    {
        if (!has(std::int64_t(units) * 2))
            return false;
        text.resize(units);
        for (qsizetype unit = 0; unit < units; ++unit) {
            const auto low = std::uint8_t(bytes_[at_ + 2 * unit]);
            const auto high = std::uint8_t(bytes_[at_ + 2 * unit + 1]);
            text[unit] = QChar(char16_t(high << 8 | low));
        }
        at_ += 2 * units;
        return true;
    }
    bool takeTag(const char16_t* tag, qsizetype units)
    {
        QString text;
        return takeUtf16(units, text) && text == QStringView(tag, units);
    }
    bool takeByte(std::uint8_t& value)
    {
        if (!has(1))
            return false;
        value = std::uint8_t(bytes_[at_++]);
        return true;
    }
    bool takeInt32(std::int32_t& value)
    {
        if (!has(4))
            return false;
        std::uint32_t bits = 0;
        for (int byte = 0; byte < 4; ++byte)
            bits |= std::uint32_t(std::uint8_t(bytes_[at_ + byte])) << (8 * byte);
        at_ += 4;
        value = std::int32_t(bits);
        return true;
    }
    bool takeBytes(qsizetype count, QByteArray& out)
    {
        if (!has(count))
            return false;
        out = bytes_.mid(at_, count);
        at_ += count;
        return true;
    }
    // A short-string image: its own length byte, then the characters; the
    // bytes after them mean nothing.
    bool takeImage(std::uint8_t limit, QByteArray& text)
    {
        if (!has(kImageSize))
            return false;
        const qsizetype length = std::min<qsizetype>(std::uint8_t(bytes_[at_]), limit);
        text = bytes_.mid(at_ + 1, length);
        at_ += kImageSize;
        return true;
    }
    bool takeText(QByteArray& text)
    {
        std::uint8_t length = 0;
        return takeByte(length) && takeImage(length, text);
    }

private:
    const QByteArray& bytes_;
    qsizetype at_ = 0;
};

bool ReadRecordHead(Reader& reader, TProjectDevice& device)
{
    std::int32_t size = 0;
    return reader.takeByte(device.kind) && reader.takeText(device.type) && reader.takeText(device.family)
        && reader.takeText(device.model) && reader.takeInt32(device.x) && reader.takeInt32(device.y)
        && reader.takeInt32(size) && reader.takeBytes(size, device.saveData);
}

TProjectFault ReadPorts(Reader& reader, std::int32_t count, TProjectDevice& device)
{
    // Every entry takes at least one byte.
    if (count < 0 || !reader.has(count))
        return TProjectFault::Truncated;
    device.ports.reserve(std::size_t(count));
    for (std::int32_t port = 0; port < count; ++port) {
        std::uint8_t connected = 0;
        if (!reader.takeByte(connected))
            return TProjectFault::Truncated;
        if (connected == 0) {
            device.ports.emplace_back();
            continue;
        }
        QByteArray name;
        if (!reader.takeImage(std::uint8_t(TShortString::MaxLength), name))
            return TProjectFault::Truncated;
        // No node has an empty name: such a port is as good as unconnected.
        if (name.isEmpty())
            device.ports.emplace_back();
        else
            device.ports.emplace_back(name);
    }
    return TProjectFault::None;
}

TProjectReadResult Fail(TProjectFault fault)
{
    TProjectReadResult result;
    result.fault = fault;
    return result;
}

} // namespace

QByteArray EncodeProject(const TProjectDescription& project)
{
    QByteArray out;
    PutUtf16(out, kSignature);
    PutUtf16(out, kSourceTag);
    PutInt32(out, std::int32_t(project.source.size()));
    PutUtf16(out, project.source);
    PutUtf16(out, kDeviceTag);
    PutInt32(out, std::int32_t(project.devices.size()) - 1);
    for (std::size_t index = 0; index < project.devices.size(); ++index) {
        const TProjectDevice& device = project.devices[index];
        out += char(device.kind);
        PutText(out, device.type);
        PutText(out, device.family);
        PutText(out, device.model);
        PutInt32(out, device.x);
        PutInt32(out, device.y);
        PutInt32(out, std::int32_t(device.saveData.size()));
        out += device.saveData;
        // The reader takes port entries for every record after the first.
        if (index == 0)
            continue;
        for (const std::optional<QByteArray>& node : device.ports) {
            const QByteArray name = node ? ShortText(*node) : QByteArray();
            out += char(name.size());
            if (!name.isEmpty())
                PutImage(out, name);
        }
    }
    return out;
}

TProjectReadResult DecodeProject(const QByteArray& bytes, const TPortCountQuery& portCount)
{
    Reader reader(bytes);
    if (!reader.takeTag(kSignature, std::size(kSignature) - 1))
        return Fail(TProjectFault::Signature);
    if (!reader.takeTag(kSourceTag, std::size(kSourceTag) - 1))
        return Fail(TProjectFault::SourceTag);

    TProjectReadResult result;
    std::int32_t sourceLength = 0;
    if (!reader.takeInt32(sourceLength) || !reader.takeUtf16(sourceLength, result.project.source))
        return Fail(TProjectFault::SourceLength);
    if (!reader.takeTag(kDeviceTag, std::size(kDeviceTag) - 1))
        return Fail(TProjectFault::DeviceTag);

    std::int32_t lastIndex = 0;
    if (!reader.takeInt32(lastIndex))
        return Fail(TProjectFault::Truncated);
    const std::int64_t records = std::int64_t(lastIndex) + 1;
    if (records < 1 || records > reader.remaining() / kRecordHeaderSize)
        return Fail(TProjectFault::DeviceCount);
    result.project.devices.reserve(std::size_t(records));

    for (std::int64_t index = 0; index < records; ++index) {
        TProjectDevice device;
        if (!ReadRecordHead(reader, device))
            return Fail(TProjectFault::Truncated);
        if (index == 0) {
            if (!IsSoundChipSaveData(device.saveData))
                return Fail(TProjectFault::ChipSaveData);
            result.project.devices.push_back(std::move(device));
            continue;
        }
        // Only the first record is the microcontroller: a second one would
        // stand beside it on the one engine.
        if (device.kind == 0)
            return Fail(TProjectFault::SecondChip);
        const std::optional<std::int32_t> ports = portCount ? portCount(device) : std::nullopt;
        if (!ports) {
            // The file does not say how many port entries follow, so nothing
            // after this record can be found.
            result.unmadeDevice = std::move(device);
            break;
        }
        if (const TProjectFault fault = ReadPorts(reader, *ports, device); fault != TProjectFault::None)
            return Fail(fault);
        result.project.devices.push_back(std::move(device));
    }
    return result;
}

QString SourceTextFromLines(const QStringList& lines)
{
    return lines.join(QStringLiteral("\r\n"));
}

QStringList SourceLinesFromText(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype at = 0; at < text.size(); ++at) {
        const QChar c = text[at];
        if (c != u'\r' && c != u'\n')
            continue;
        lines << text.mid(start, at - start);
        if (c == u'\r' && at + 1 < text.size() && text[at + 1] == u'\n')
            ++at;
        start = at + 1;
    }
    lines << text.mid(start);
    return lines;
}

bool IsSoundChipSaveData(const QByteArray& saveData)
{
    if (saveData.size() < kChipSaveDataSize)
        return false;
    for (qsizetype at = kFrequencyFirst; at < kFrequencyFirst + kFrequencyDigits; ++at) {
        if (saveData[at] < '0' || saveData[at] > '9')
            return false;
    }
    return true;
}

TProjectReadResult ReadProjectFile(const QString& fileName, const TPortCountQuery& portCount, QString* error)
{
    QByteArray bytes;
    switch (ReadFileBounded(fileName, kLargestProjectFile, &bytes, error)) {
    case TReadResult::Read:
        return DecodeProject(bytes, portCount);
    case TReadResult::TooLarge:
        if (error)
            *error = QStringLiteral("The file is too large");
        break;
    case TReadResult::Failed:
        break;
    }
    return Fail(TProjectFault::Unreadable);
}

bool WriteProjectFile(const QString& fileName, const TProjectDescription& project, QString* error)
{
    return WriteFileSafely(fileName, EncodeProject(project), error);
}
