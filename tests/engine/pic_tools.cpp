#include "pic_tools.h"

#include <fstream>
#include <regex>
#include <sstream>

#include <unistd.h>

#include "gputils_files.h"

namespace pictools {
namespace {

std::string readText(const std::filesystem::path& file)
{
    std::ifstream in(file);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

int hexValue(const std::string& text, size_t at, size_t digits)
{
    return std::stoi(text.substr(at, digits), nullptr, 16);
}

} // namespace

ScratchDir::ScratchDir(const std::string& name)
    : path_(std::filesystem::temp_directory_path() / ("tarnwick-" + name + "-" + std::to_string(getpid())))
{
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
}

ScratchDir::~ScratchDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::optional<HexImage> readIntelHex(const std::filesystem::path& file)
{
    std::ifstream in(file);
    if (!in)
        return std::nullopt;
    HexImage image;
    std::map<int, uint8_t> bytes;
    int upper = 0;
    std::string line;
    while (std::getline(in, line)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.pop_back();
        if (line.empty())
            continue;
        if (line[0] != ':' || line.size() < 11 || line.size() % 2 == 0)
            return std::nullopt;
        const int count = hexValue(line, 1, 2);
        if (line.size() != size_t(11 + 2 * count))
            return std::nullopt;
        int sum = 0;
        for (size_t at = 1; at < line.size(); at += 2)
            sum += hexValue(line, at, 2);
        if (sum % 256 != 0)
            return std::nullopt;
        const int address = hexValue(line, 3, 4);
        const int type = hexValue(line, 7, 2);
        if (type == 0x00) {
            for (int i = 0; i < count; ++i)
                bytes[upper + address + i] = uint8_t(hexValue(line, size_t(9 + 2 * i), 2));
        } else if (type == 0x01) {
            break;
        } else if (type == 0x04 && count == 2) {
            upper = hexValue(line, 9, 4) << 16;
        } else {
            return std::nullopt;
        }
    }
    for (const auto& [address, byte] : bytes) {
        const int word = address / 2;
        uint16_t& value = image.words[word];
        value = (address % 2) ? uint16_t(value | byte << 8) : uint16_t(value | byte);
    }
    if (auto config = image.words.find(0xFFF); config != image.words.end()) {
        image.config = config->second;
        image.words.erase(config);
    }
    return image;
}

std::optional<Assembled> assemble(const std::string& processor, const std::filesystem::path& body, int lastWord,
    uint16_t resetWord, uint16_t configWord, const std::filesystem::path& workDir, std::string& diagnostics)
{
    const std::filesystem::path source = workDir / "program.asm";
    {
        std::ofstream out(source);
        out << "INDF equ 0\nTMR0 equ 1\nPCL equ 2\nSTATUS equ 3\nFSR equ 4\nGPIO equ 6\n"
            << "C equ 0\nDC equ 1\nZ equ 2\nPA0 equ 5\nPA1 equ 6\n"
            << std::hex << std::showbase
            << "    __config " << configWord << "\n"
            << "    org " << lastWord << "\n    dw " << resetWord << "\n"
            << "    org 0\n    #include \"" << body.string() << "\"\n    end\n";
    }
    const std::filesystem::path hex = workDir / "program.hex";
    const std::optional<std::string> output = gputils::runCommand(
        "gpasm -q -p " + processor + " -o " + hex.string() + " " + source.string());
    if (!output || !std::filesystem::exists(hex)) {
        diagnostics = output.value_or("gpasm did not run");
        return std::nullopt;
    }
    const std::string listing = readText(workDir / "program.lst");
    if (listing.find("Error[") != std::string::npos) {
        std::istringstream lines(listing);
        for (std::string line; std::getline(lines, line);) {
            if (line.find("Error[") != std::string::npos)
                diagnostics += line + "\n";
        }
        return std::nullopt;
    }
    std::optional<HexImage> image = readIntelHex(hex);
    if (!image) {
        diagnostics = "unreadable HEX file";
        return std::nullopt;
    }
    Assembled assembled{hex, *image, {}};
    static const std::regex kSymbol(R"(^(\w+)\s+([0-9A-Fa-f]{8})\s*$)");
    std::istringstream lines(listing.substr(std::min(listing.size(), listing.find("SYMBOL TABLE"))));
    std::string line;
    std::smatch match;
    while (std::getline(lines, line)) {
        if (std::regex_match(line, match, kSymbol))
            assembled.labels[match[1]] = std::stoi(match[2], nullptr, 16);
    }
    return assembled;
}

bool gpsimInstalled()
{
    return gputils::runCommand("gpsim -v").has_value();
}

std::optional<GpsimState> runGpsim(const std::string& processor, bool hasTris, const std::filesystem::path& hex,
    int stopAddress, const std::filesystem::path& workDir, std::string& output, uint64_t cycleLimit,
    int watchdogResets, int32_t frequency)
{
    const std::filesystem::path script = workDir / "run.stc";
    {
        std::ofstream out(script);
        out << "processor " << processor << "\n"
            << "load " << hex.string() << "\n"
            << "frequency " << frequency << "\n"
            << "break e " << stopAddress << "\n"
            << "break c " << cycleLimit << "\n";
        for (int run = 0; run <= watchdogResets; ++run)
            out << "run\n";
        out << "dump\n"
            << processor << ".W\n"
            << processor << ".option\n"
            << "cycles\n";
        if (hasTris)
            out << processor << ".tris\n";
        out << "quit\n";
    }
    const std::optional<std::string> result =
        gputils::runCommand("timeout 60 gpsim -i -c " + script.string());
    if (!result)
        return std::nullopt;
    output = *result;

    GpsimState state;
    static const std::regex kDumpRow(R"(^([0-9a-f]{4}):\s+((?:(?:[0-9a-f]{2}|--)\s+){16}))");
    static const std::regex kValue(R"(^(W|option|tris) = 0x([0-9a-f]+)\s*$)");
    static const std::regex kCycles(R"(^(\d+) = 0x[0-9a-fA-F]+\s*$)");
    static const std::regex kExecutionBreak(R"(Execution at \S*\(0x([0-9a-f]+)\))");
    std::istringstream lines(output);
    std::string line;
    std::smatch match;
    while (std::getline(lines, line)) {
        while (line.starts_with("**gpsim> "))
            line.erase(0, 9);
        if (std::regex_search(line, match, kExecutionBreak))
            state.reachedStop = std::stoi(match[1], nullptr, 16) == stopAddress;
        if (std::regex_search(line, match, kDumpRow)) {
            const int base = std::stoi(match[1], nullptr, 16);
            std::istringstream cells(match[2].str());
            std::string cell;
            for (int offset = 0; cells >> cell; ++offset) {
                if (cell != "--")
                    state.registers[base + offset] = uint8_t(std::stoi(cell, nullptr, 16));
            }
        } else if (std::regex_match(line, match, kValue)) {
            const uint8_t value = uint8_t(std::stoi(match[2], nullptr, 16));
            if (match[1] == "W")
                state.w = value;
            else if (match[1] == "option")
                state.option = value;
            else
                state.tris = value;
        } else if (std::regex_match(line, match, kCycles)) {
            state.cycles = std::stoull(match[1]);
        }
    }
    return state;
}

} // namespace pictools
