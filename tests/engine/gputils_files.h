// Readers for what gputils knows about a processor: its include file, its
// linker script and gpasm's processor properties.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace gputils {

// "PIC10F200" -> "p10f200", the name gputils gives the processor.
std::string processorName(const std::string& modelName);

bool installed();

struct Symbol {
    std::string name;
    int value;
    bool operator==(const Symbol&) const = default;
};

struct IncludeFile {
    std::vector<Symbol> registers; // the "Register Files" section
    std::map<std::string, std::vector<Symbol>> bits; // "STATUS" -> its bit symbols
    int maxRam = -1;
    std::set<int> badRam;
};

std::optional<IncludeFile> readIncludeFile(const std::string& processor);

// The general-purpose registers the linker script hands out (bank and
// shared ranges that are not protected).
std::set<int> linkerGeneralPurpose(const std::string& processor);

struct ConfigDirective {
    std::string name;
    std::vector<Symbol> options;
};

struct ProcessorProperties {
    int programWords = 0;
    int maxRamAddress = -1;
    std::vector<ConfigDirective> config;
};

std::optional<ProcessorProperties> processorProperties(const std::string& processor);

// Output of a command, standard input closed; nullopt when it cannot start.
std::optional<std::string> runCommand(const std::string& command);

} // namespace gputils
