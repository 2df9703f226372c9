// The engine stands below the chip-device library: its sources include
// nothing of the device, the exports or Qt, and this test program, which
// links the engine alone, loads no Qt GUI or Widgets library.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <link.h>

#include <gtest/gtest.h>

#include "support/paths.h"

namespace engine_layering_test {
namespace {

std::vector<std::string> loadedLibraries()
{
    std::vector<std::string> names;
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) {
            static_cast<std::vector<std::string>*>(data)->emplace_back(info->dlpi_name ? info->dlpi_name : "");
            return 0;
        },
        &names);
    return names;
}

bool isExportLayer(const std::filesystem::path& file)
{
    const std::string name = file.filename().string();
    return name.starts_with("exports") || name == "corvel_api.h";
}

} // namespace

TEST(EngineLayering, TheEngineTestsLoadNoGuiOrWidgets)
{
    for (const std::string& library : loadedLibraries()) {
        EXPECT_EQ(library.find("Qt6Widgets"), std::string::npos) << library;
        EXPECT_EQ(library.find("Qt6Gui"), std::string::npos) << library;
    }
}

TEST(EngineLayering, EngineSourcesIncludeNothingAboveThem)
{
    const std::filesystem::path folder = twtest::sourceDir() / "engine";
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::filesystem::path& file = entry.path();
        if (file.extension() != ".cpp" && file.extension() != ".h")
            continue;
        if (isExportLayer(file))
            continue;
        ++files;
        std::ifstream in(file);
        std::string line;
        int number = 0;
        while (std::getline(in, line)) {
            ++number;
            if (!line.starts_with("#include"))
                continue;
            const std::string where = file.filename().string() + ":" + std::to_string(number) + ": " + line;
            EXPECT_EQ(line.find("mcu-device/"), std::string::npos) << where;
            EXPECT_EQ(line.find("devices/"), std::string::npos) << where;
            EXPECT_EQ(line.find("engine/exports"), std::string::npos) << where;
            EXPECT_EQ(line.find("<Q"), std::string::npos) << where;
        }
    }
    EXPECT_GT(files, 10);
}

} // namespace engine_layering_test
