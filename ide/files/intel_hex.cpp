#include "ide/files/intel_hex.h"

#include "ide/files/file_access.h"
#include "ide/texts/texts.h"

QString HexErrorText;

namespace {

constexpr char kDigits[] = "0123456789ABCDEF";
constexpr std::int32_t kConfigByteAddress = 0x1FFE;
constexpr std::int32_t kIdLocationWords = 4;
constexpr std::int32_t kWordsPerRecord = 8;
// Far more than any program of these chips takes (2048 words are about 12 KB
// of records); a larger file is read no further.
constexpr qint64 kLargestHexFile = 16 * 1024 * 1024;

std::int32_t HexDigitValue(char digit)
{
    if (digit >= '0' && digit <= '9')
        return digit - '0';
    if (digit >= 'A' && digit <= 'F')
        return digit - 'A' + 10;
    return -1;
}

QByteArray Hex2(std::int32_t value)
{
    return IntToHex4(value).right(2);
}

QByteArray Record(const QByteArray& body)
{
    return ':' + body + HexRecordChecksum(body) + "\r\n";
}

// The file's lines as a text list reads them: LF, CR LF and CR all end a
// line, and a line end at the very end starts no further line.
std::vector<QByteArray> SplitLines(QByteArray text)
{
    if (text.startsWith("\xEF\xBB\xBF"))
        text.remove(0, 3);
    std::vector<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype at = 0; at < text.size(); ++at) {
        const char c = text[at];
        if (c != '\r' && c != '\n')
            continue;
        lines.push_back(text.mid(start, at - start));
        if (c == '\r' && at + 1 < text.size() && text[at + 1] == '\n')
            ++at;
        start = at + 1;
    }
    if (start < text.size())
        lines.push_back(text.mid(start));
    return lines;
}

enum class LineFault { None, TooShort, NoColon, NotHex, NotForThisChip };

struct LineReader {
    const QByteArray& line;
    // Character `position`, counted from 1 as the record layout counts them;
    // NUL past the end, which no digit test accepts.
    char at(std::int32_t position) const { return position <= line.size() ? line[position - 1] : '\0'; }
    std::int32_t byteAt(std::int32_t position) const
    {
        return HexByteValue(line.constData() + position - 1, std::int32_t(line.size()) - (position - 1));
    }
    std::int32_t digitAt(std::int32_t position) const { return HexDigitValue(at(position)); }
};

LineFault ReadRecord(const QByteArray& line, std::int32_t romSize, THexImage& image, bool& ended)
{
    if (line.size() < 11)
        return LineFault::TooShort;
    if (line[0] != ':')
        return LineFault::NoColon;
    if (line == ":00000001FF") {
        ended = true;
        return LineFault::None;
    }
    const LineReader reader{line};
    const std::int32_t count = reader.byteAt(2);
    if (count < 0)
        return LineFault::NotHex;
    if (count % 2 != 0)
        return LineFault::NotForThisChip;
    const std::int32_t high = reader.byteAt(4);
    const std::int32_t low = reader.byteAt(6);
    if (high < 0 || low < 0)
        return LineFault::NotHex;
    const std::int32_t type = reader.byteAt(8);
    if (type < 0)
        return LineFault::NotHex;
    const std::int32_t address = high * 256 + low;

    if (address == kConfigByteAddress && type == 0) {
        if (count != 2)
            return LineFault::NotForThisChip;
        const std::int32_t lowDigit = reader.digitAt(11);
        const std::int32_t highDigit = reader.digitAt(10);
        if (lowDigit < 0 || highDigit < 0)
            return LineFault::NotHex;
        image.configLow = std::uint8_t(highDigit << 4 | lowDigit);
        return LineFault::None;
    }
    if (type != 0)
        return LineFault::None;

    for (std::int32_t j = 1; j <= count / 2; ++j) {
        const std::int32_t bits0to3 = reader.digitAt(4 * j + 7);
        const std::int32_t bits4to7 = reader.digitAt(4 * j + 6);
        const std::int32_t bits8to11 = reader.digitAt(4 * j + 9);
        if (bits0to3 < 0 || bits4to7 < 0 || bits8to11 < 0)
            return LineFault::NotHex;
        const std::int32_t word = address / 2 + j - 1;
        if (word >= romSize) {
            // gpasm puts the ID locations right after program memory; they
            // are not program words, so they are left out.
            if (romSize > 0 && word < romSize + kIdLocationWords)
                continue;
            return LineFault::NotForThisChip;
        }
        image.words[word] = std::uint16_t(bits8to11 << 8 | bits4to7 << 4 | bits0to3);
    }
    return LineFault::None;
}

std::int32_t DetailText(LineFault fault)
{
    switch (fault) {
    case LineFault::TooShort:
        return 1152;
    case LineFault::NoColon:
        return 1153;
    case LineFault::NotHex:
        return 1154;
    case LineFault::NotForThisChip:
    case LineFault::None:
        break;
    }
    return 1156;
}

} // namespace

QByteArray IntToHex4(std::int32_t value)
{
    QByteArray text(4, '0');
    for (int digit = 3; digit >= 0; --digit) {
        text[digit] = kDigits[value & 0xF];
        value >>= 4;
    }
    return text;
}

QByteArray HexRecordChecksum(const QByteArray& body)
{
    std::int32_t sum = 0;
    for (qsizetype at = 0; at + 1 < body.size(); at += 2) {
        const std::int32_t value = HexByteValue(body.constData() + at, 2);
        sum = (sum + value) & 0xFF;
    }
    return Hex2(256 - sum);
}

std::int32_t HexByteValue(const char* text, std::int32_t available)
{
    if (available < 2)
        return -1;
    const std::int32_t high = HexDigitValue(text[0]);
    const std::int32_t low = HexDigitValue(text[1]);
    return high < 0 || low < 0 ? -1 : high * 16 + low;
}

QByteArray HexDigitToBits(char digit)
{
    const std::int32_t value = HexDigitValue(digit);
    if (value < 0)
        return {};
    QByteArray bits(4, '0');
    for (int bit = 0; bit < 4; ++bit) {
        if (value & (8 >> bit))
            bits[bit] = '1';
    }
    return bits;
}

QByteArray WordToHexLE(std::uint16_t word)
{
    return Hex2(word & 0xFF) + Hex2((word >> 8) & 0x0F);
}

QByteArray IntelHexText(const std::vector<std::uint16_t>& words, std::uint16_t config)
{
    QByteArray text;
    const std::int32_t total = std::int32_t(words.size());
    for (std::int32_t first = 0; first < total; first += kWordsPerRecord) {
        const std::int32_t count = std::min(kWordsPerRecord, total - first);
        QByteArray body = Hex2(2 * count) + IntToHex4(2 * first) + "00";
        for (std::int32_t word = first; word < first + count; ++word)
            body += WordToHexLE(words[std::size_t(word)]);
        text += Record(body);
    }
    text += Record("021FFE00" + WordToHexLE(config));
    text += ":00000001FF\r\n";
    return text;
}

bool ExportIntelHex(const QString& fileName, std::int32_t lastAddress, const TProgramMemory& memory, QString* error)
{
    const std::int32_t last = std::min(lastAddress, memory.RomSize() - 1);
    std::vector<std::uint16_t> words;
    for (std::int32_t address = 0; address <= last; ++address)
        words.push_back(memory.Word(address));
    return WriteFileSafely(fileName, IntelHexText(words, ConfigWord(memory)), error);
}

std::optional<THexImage> ParseIntelHex(const QByteArray& text, std::int32_t romSize, QString* errorText)
{
    const std::vector<QByteArray> lines = SplitLines(text);
    THexImage image;
    for (std::size_t index = 0; index < lines.size(); ++index) {
        bool ended = false;
        const LineFault fault = ReadRecord(lines[index], romSize, image, ended);
        if (fault != LineFault::None) {
            if (errorText) {
                *errorText = GetText(1150) + " (" + GetText(1151) + " #" + QString::number(index) + ' '
                    + GetText(DetailText(fault)) + ')';
            }
            return std::nullopt;
        }
        if (ended)
            return image;
    }
    if (errorText)
        *errorText = GetText(1150) + " - " + GetText(1155);
    return std::nullopt;
}

bool ImportIntelHex(const QString& fileName, TProgramMemory& memory)
{
    QByteArray text;
    QString error;
    switch (ReadFileBounded(fileName, kLargestHexFile, &text, &error)) {
    case TReadResult::Read:
        return ImportIntelHexText(text, memory);
    case TReadResult::TooLarge:
        HexErrorText = GetText(1150) + " - " + GetText(1156);
        return false;
    case TReadResult::Failed:
        break;
    }
    HexErrorText = GetText(1010) + " (" + error + ')';
    return false;
}

bool ImportIntelHexText(const QByteArray& text, TProgramMemory& memory)
{
    const std::optional<THexImage> image = ParseIntelHex(text, memory.RomSize(), &HexErrorText);
    if (!image)
        return false;
    ResetProgramToFill(memory);
    for (const auto& [address, word] : image->words)
        memory.SetWord(address, word);
    if (image->configLow) {
        for (std::int32_t bit = 0; bit < 8; ++bit)
            memory.SetConfigBit(bit, (*image->configLow >> bit) & 1);
    }
    return true;
}
