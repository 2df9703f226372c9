#include "ide/files/source_file.h"

#include <array>

#include <QStringDecoder>

#include "ide/files/file_access.h"

namespace {

// Windows-1251 bytes 0x80..0xBF; 0xC0..0xFF are А..я in order. 0x98 is
// unassigned and kept as the control character of the same number.
constexpr std::array<char16_t, 64> kCp1251High = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0098, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

QString DecodeCp1251(const QByteArray& bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char byte : bytes) {
        const auto code = std::uint8_t(byte);
        if (code < 0x80)
            text += QChar(code);
        else if (code < 0xC0)
            text += QChar(kCp1251High[code - 0x80]);
        else
            text += QChar(char16_t(0x0410 + (code - 0xC0)));
    }
    return text;
}

} // namespace

QString DecodeSourceFile(const QByteArray& bytes)
{
    const QByteArray body = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = utf8.decode(body);
    if (!utf8.hasError())
        return text;
    return DecodeCp1251(body);
}

QStringList SourceFileLines(const QByteArray& bytes)
{
    const QString text = DecodeSourceFile(bytes);
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
    if (start < text.size())
        lines << text.mid(start);
    return lines;
}

QByteArray SourceFileBytes(const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toUtf8() + "\r\n";
    return bytes;
}

bool ExportAsmFile(const QString& fileName, const QStringList& lines, QString* error)
{
    return WriteFileSafely(fileName, SourceFileBytes(lines), error);
}
