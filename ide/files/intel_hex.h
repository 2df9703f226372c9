#pragma once

// Program memory and the configuration word as Intel HEX text: 16-bit byte
// addresses, data records of at most 8 words (low byte first) and the end
// record, lines ended by CR LF. The configuration word stands at byte address
// 0x1FFE. Only upper-case hexadecimal digits are read; checksums are written
// but not verified.
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include <QByteArray>
#include <QString>

#include "ide/files/program_memory.h"

// ---- Hexadecimal helpers ----

// Four upper-case digits of value (0..65535; higher bits are dropped).
QByteArray IntToHex4(std::int32_t value);
// The checksum of a record body (count, address, type and data as pairs of
// digits, no colon): the two's complement of their sum, two digits.
QByteArray HexRecordChecksum(const QByteArray& body);
// The value of the first two characters, or -1 unless both are one of
// "0".."9", "A".."F" (a missing character counts as not hexadecimal).
std::int32_t HexByteValue(const char* text, std::int32_t available);
// The four bits of one digit, most significant first ("0000".."1111"), or
// an empty text for anything but "0".."9", "A".."F".
QByteArray HexDigitToBits(char digit);
// The four digits of a 12-bit word as it stands in a HEX file: low byte first.
QByteArray WordToHexLE(std::uint16_t word);

// ---- Export ----

// The file text for words 0..words.size()-1 and the configuration word.
QByteArray IntelHexText(const std::vector<std::uint16_t>& words, std::uint16_t config);

// Writes words 0..lastAddress of `memory` (none when lastAddress is negative;
// at most up to the last word) and its configuration word to fileName,
// replacing the file only when all of it was written. False, with the
// platform's reason in *error, when the file could not be written.
bool ExportIntelHex(const QString& fileName, std::int32_t lastAddress, const TProgramMemory& memory,
    QString* error = nullptr);

// ---- Import ----

// What a HEX file holds for a model with romSize program words.
struct THexImage {
    std::map<std::int32_t, std::uint16_t> words; // the last record naming a word wins
    std::optional<std::uint8_t> configLow;        // bits 0..7 of the last configuration record
    bool operator==(const THexImage&) const = default;
};

// Reads the whole file text (a leading UTF-8 byte-order mark and LF, CR LF or
// CR line ends allowed) up to its end record. On a fault it returns nullopt
// and *errorText holds the message: text 1150, the line index from 0 and the
// detail (1152 to 1154, 1156), or text 1150 and 1155 when the end record is
// missing. The four ID-location words that follow program memory are
// skipped; any other word at or beyond romSize is refused with detail 1156.
std::optional<THexImage> ParseIntelHex(const QByteArray& text, std::int32_t romSize, QString* errorText);

// The message of the last failed ImportIntelHex.
extern QString HexErrorText;

// Reads fileName into `memory`: only when the whole file is sound, memory is
// reset to the assembler's fill (no lines, no breakpoints), the file's words
// are written and configuration bits 0..7 follow its configuration record
// (bits 8..11 keep their values). On false nothing was changed and
// HexErrorText holds the message.
bool ImportIntelHex(const QString& fileName, TProgramMemory& memory);
// The same for a file's text already read.
bool ImportIntelHexText(const QByteArray& text, TProgramMemory& memory);
