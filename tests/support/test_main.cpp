// The main() of every test program: each run gets its own configuration
// folder and the offscreen Qt platform before anything else starts, so no
// test reads or writes the user's settings or needs a display.
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const std::filesystem::path config = std::filesystem::temp_directory_path()
        / ("tarnwick-test-config-" + std::to_string(getpid()));
    std::filesystem::create_directories(config);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);

    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();

    std::error_code ignored;
    std::filesystem::remove_all(config, ignored);
    return result;
}
