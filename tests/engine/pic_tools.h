// gpasm and gpsim driven from tests: assemble a program for a processor,
// read the Intel HEX it produces, and run it in gpsim to a stop address.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace pictools {

// A scratch folder that is removed with the object.
class ScratchDir {
public:
    explicit ScratchDir(const std::string& name);
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

struct HexImage {
    std::map<int, uint16_t> words; // program words by word address
    std::optional<uint16_t> config; // the configuration word (word address 0xFFF)
};

// Reads an Intel HEX file of 16-bit little-endian words (INHX32); nullopt on
// a malformed record or a checksum error.
std::optional<HexImage> readIntelHex(const std::filesystem::path& file);

struct Assembled {
    std::filesystem::path hex;
    HexImage image;
    std::map<std::string, int> labels; // from the listing's symbol table
};

// Assembles `body` for `processor` inside a frame that defines the common
// register names, writes `configWord` and puts `resetWord` at the reset
// address `lastWord`. The error text is in `diagnostics` on failure.
std::optional<Assembled> assemble(const std::string& processor, const std::filesystem::path& body, int lastWord,
    uint16_t resetWord, uint16_t configWord, const std::filesystem::path& workDir, std::string& diagnostics);

struct GpsimState {
    std::map<int, uint8_t> registers; // file registers as dumped ("--" left out)
    uint8_t w = 0;
    uint8_t option = 0;
    uint8_t tris = 0;
    uint64_t cycles = 0;
    bool reachedStop = false;
};

bool gpsimInstalled();

// Runs the HEX file in gpsim at `frequency` hertz until `stopAddress` is
// about to execute (or `cycleLimit`), in batch mode with a time limit.
// `hasTris`: the processor has one direction register named "tris". gpsim
// halts at every watchdog reset; `watchdogResets` says how many to run
// through.
std::optional<GpsimState> runGpsim(const std::string& processor, bool hasTris, const std::filesystem::path& hex,
    int stopAddress, const std::filesystem::path& workDir, std::string& output, uint64_t cycleLimit = 2'000'000,
    int watchdogResets = 0, int32_t frequency = 4'000'000);

} // namespace pictools
