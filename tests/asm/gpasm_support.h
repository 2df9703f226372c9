#pragma once

// gpasm as the oracle for instruction words: our source language translated
// to gpasm's syntax, assembled, and the words read from its Intel HEX file.
#include <cstdint>
#include <map>
#include <optional>
#include <random>

#include <QString>
#include <QStringList>

namespace twtest {

bool GpasmInstalled();

// Program words by address from gpasm's HEX file, or nullopt when gpasm
// refused the source (its messages then in *diagnostics).
std::optional<std::map<int, std::uint16_t>> GpasmWords(
    const QString& gpasmSource, const QString& processor, QString* diagnostics = nullptr);

// The Intel HEX text's 16-bit little-endian words by word address; nullopt
// on a malformed record or a checksum error.
std::optional<std::map<int, std::uint16_t>> HexWords(const QByteArray& hex);

// Our source in gpasm's syntax: decimal radix, labels at column 1 on lines
// of their own, explicit destinations (0 or 1) and bit numbers, names
// upper-cased (those with letters gpasm cannot read renamed), "0" before a
// letter-leading hexadecimal number, comments left out. The source must be
// one that we assemble.
QString ToGpasm(const QString& source);

// A program of about `lines` lines in our language, from `random`: every
// mnemonic, every number form and operand form in the ranges both
// assemblers take alike, labels before and after their use, constants,
// comments, blank lines, mixed case and blanks.
QString GeneratedProgram(std::mt19937& random, int lines);

} // namespace twtest
