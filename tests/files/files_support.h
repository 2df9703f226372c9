// Shared pieces of the file tests: program memory as a plain array, gpasm
// run on a source text, and an independent strict reader of its HEX output.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include "ide/files/program_memory.h"

namespace filestest {

// Program memory of `size` words; every write is counted.
class ArrayMemory final : public TProgramMemory {
public:
    explicit ArrayMemory(std::int32_t size, std::uint16_t fill = 0x0FFF);
    std::int32_t RomSize() const override { return std::int32_t(words.size()); }
    std::uint16_t Word(std::int32_t address) const override;
    void SetWord(std::int32_t address, std::uint16_t value) override;
    bool ConfigBit(std::int32_t bit) const override;
    void SetConfigBit(std::int32_t bit, bool value) override;
    void ClearLineOfWord(std::int32_t address) override;

    std::vector<std::uint16_t> words;
    std::vector<std::int32_t> lines;       // stands for the line map and breakpoints
    std::uint16_t config = 0;
    int outOfRangeAccesses = 0;
    int writes = 0;
};

bool GpasmInstalled();

struct GpasmOutput {
    QByteArray hex;                             // the file as gpasm wrote it
    std::map<std::int32_t, std::uint8_t> bytes; // every data byte by byte address
};

// Assembles `source` (a whole gpasm source) for `processor` ("p12f508");
// dosLineEnds asks for CR LF. nullopt (with gpasm's words in *diagnostics)
// on any error or warning-free failure.
std::optional<GpasmOutput> Gpasm(const std::string& source, const std::string& processor, bool dosLineEnds,
    std::string* diagnostics = nullptr);

// Data bytes of an INHX8/INHX32 text by byte address; checks every record's
// form and checksum. nullopt when anything is malformed.
std::optional<std::map<std::int32_t, std::uint8_t>> StrictHexBytes(const QByteArray& text);

// Program words (0..romSize-1) and configuration word of a byte map.
std::map<std::int32_t, std::uint16_t> WordsOf(const std::map<std::int32_t, std::uint8_t>& bytes,
    std::int32_t firstWord, std::int32_t endWord);

} // namespace filestest
