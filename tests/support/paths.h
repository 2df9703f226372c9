#pragma once

// Where the build put the deliverables and the test fixtures, and where the
// sources are; compiled into every test program.
#include <filesystem>

namespace twtest {

inline std::filesystem::path binDir() { return TW_BIN_DIR; }
inline std::filesystem::path fixtureDir() { return TW_FIXTURE_DIR; }
inline std::filesystem::path sourceDir() { return TW_SOURCE_DIR; }

} // namespace twtest
