#include "gputils_files.h"

#include <cctype>
#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>

#include <sys/wait.h>

namespace gputils {
namespace {

const std::filesystem::path kShare = "/usr/share/gputils";

int parseNumber(const std::string& text)
{
    return int(std::stol(text, nullptr, 0));
}

} // namespace

std::string processorName(const std::string& modelName)
{
    std::string name = "p" + modelName.substr(3);
    for (char& c : name)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return name;
}

bool installed()
{
    return std::filesystem::exists(kShare / "header" / "p10f200.inc") && runCommand("gpasm -v").has_value();
}

std::optional<IncludeFile> readIncludeFile(const std::string& processor)
{
    std::ifstream in(kShare / "header" / (processor + ".inc"));
    if (!in)
        return std::nullopt;
    static const std::regex kHeader(R"(^;-----\s*(.*?)\s*-*\s*$)");
    static const std::regex kEqu(R"(^(\w+)\s+EQU\s+H'([0-9A-Fa-f]+)')");
    static const std::regex kMaxRam(R"(^\s*__MAXRAM\s+H'([0-9A-Fa-f]+)')");
    static const std::regex kBadRam(R"(^\s*__BADRAM\s+H'([0-9A-Fa-f]+)'(?:\s*-\s*H'([0-9A-Fa-f]+)')?)");

    IncludeFile file;
    std::vector<Symbol>* section = nullptr;
    std::string line;
    std::smatch match;
    while (std::getline(in, line)) {
        if (line.starts_with(";====")) {
            section = nullptr;
        } else if (std::regex_match(line, match, kHeader)) {
            const std::string title = match[1];
            if (title.starts_with("Bank"))
                continue; // bank headings subdivide the register list
            section = nullptr;
            if (title == "Register Files")
                section = &file.registers;
            else if (title.size() > 5 && title.ends_with(" Bits"))
                section = &file.bits[title.substr(0, title.size() - 5)];
        } else if (section && std::regex_search(line, match, kEqu)) {
            section->push_back({match[1], std::stoi(match[2], nullptr, 16)});
        } else if (std::regex_search(line, match, kMaxRam)) {
            file.maxRam = std::stoi(match[1], nullptr, 16);
        } else if (std::regex_search(line, match, kBadRam)) {
            const int first = std::stoi(match[1], nullptr, 16);
            const int last = match[2].matched ? std::stoi(match[2], nullptr, 16) : first;
            for (int address = first; address <= last; ++address)
                file.badRam.insert(address);
        }
    }
    return file;
}

std::set<int> linkerGeneralPurpose(const std::string& processor)
{
    std::set<int> addresses;
    std::ifstream in(kShare / "lkr" / (processor.substr(1) + "_g.lkr"));
    static const std::regex kBank(R"(^(DATABANK|SHAREBANK)\s+NAME=(\w+)\s+START=(0x[0-9A-Fa-f]+)\s+END=(0x[0-9A-Fa-f]+)(.*)$)");
    std::string line;
    std::smatch match;
    while (std::getline(in, line)) {
        if (!std::regex_search(line, match, kBank))
            continue;
        const std::string name = match[2];
        if (!name.starts_with("gpr") || match[5].str().find("PROTECTED") != std::string::npos)
            continue;
        for (int address = parseNumber(match[3]); address <= parseNumber(match[4]); ++address)
            addresses.insert(address);
    }
    return addresses;
}

std::optional<ProcessorProperties> processorProperties(const std::string& processor)
{
    const std::optional<std::string> output = runCommand("gpasm -s -p " + processor);
    if (!output)
        return std::nullopt;
    static const std::regex kProgram(R"(^Program Size\s*:\s*(\d+) words)");
    static const std::regex kMaxRam(R"(^Max\. RAM Addr\.\s*:\s*(0x[0-9A-Fa-f]+))");
    static const std::regex kDirective(R"(^\s+Directive:\s*(\w+))");
    static const std::regex kOption(R"(^\s+Option:\s*(\w+)\s*=\s*(0x[0-9A-Fa-f]+))");
    ProcessorProperties properties;
    std::istringstream in(*output);
    std::string line;
    std::smatch match;
    while (std::getline(in, line)) {
        if (std::regex_search(line, match, kProgram))
            properties.programWords = std::stoi(match[1]);
        else if (std::regex_search(line, match, kMaxRam))
            properties.maxRamAddress = parseNumber(match[1]);
        else if (std::regex_search(line, match, kDirective))
            properties.config.push_back({match[1], {}});
        else if (std::regex_search(line, match, kOption) && !properties.config.empty())
            properties.config.back().options.push_back({match[1], parseNumber(match[2])});
    }
    if (properties.programWords == 0)
        return std::nullopt;
    return properties;
}

std::optional<std::string> runCommand(const std::string& command)
{
    FILE* pipe = popen((command + " </dev/null 2>&1").c_str(), "r");
    if (!pipe)
        return std::nullopt;
    std::string output;
    char buffer[4096];
    size_t count;
    while ((count = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, count);
    const int status = pclose(pipe);
    if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) == 127)
        return std::nullopt;
    return output;
}

} // namespace gputils
