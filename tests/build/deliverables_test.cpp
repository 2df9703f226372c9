// The two deliverables are where the program expects them, and corvel binds
// by name from a plain dlopen, as zemra will bind it.
#include <dlfcn.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "support/paths.h"

namespace deliverables_test {
namespace {

using twtest::binDir;

TEST(Deliverables, BinFolderHoldsOnlyTheProduct)
{
    ASSERT_TRUE(std::filesystem::is_regular_file(binDir() / "zemra"));
    ASSERT_TRUE(std::filesystem::is_regular_file(binDir() / "corvel.so"));
    for (const auto& entry : std::filesystem::directory_iterator(binDir())) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name == "zemra" || name == "corvel.so" || name.ends_with(".quodev"))
            << "unexpected file in the program folder: " << name;
    }
}

TEST(Deliverables, CorvelAnswersWhatIsByName)
{
    const std::string path = (binDir() / "corvel.so").string();
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
    using WhatIs = int32_t (*)(uint8_t*, int32_t);
    auto whatIs = reinterpret_cast<WhatIs>(dlsym(handle, "What_is"));
    ASSERT_NE(whatIs, nullptr);
    uint8_t answer[256] = {};
    EXPECT_EQ(whatIs(answer, 255), 0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(answer + 1), answer[0]), "1.0");
    EXPECT_EQ(whatIs(answer, 2), 0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(answer + 1), answer[0]), "1.");
    dlclose(handle);
}

} // namespace

} // namespace deliverables_test
