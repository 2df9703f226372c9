// The chip device's saved settings: applying a record from a project file to
// the engine, and writing configuration bits back into it.
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "chip_device_support.h"
#include "engine/registers.h"

namespace chip_device_save_data_test {
namespace {

using corvel::TheEngine;
using twtest::placeChip;
using twtest::configOf;
using twtest::recordOf;
using twtest::replaceRecord;

// A clock the engine had before a record was applied; a record that names no
// usable frequency must leave it.
constexpr std::int32_t kPreviousFrequency = 1234567;

struct ApplyCase {
    const char* name;
    int model;
    std::string record;
    const char* config;      // Config bits 0..11 afterwards
    std::int32_t frequency;  // crystalFrequency afterwards
    std::string recordAfter = {}; // empty: the record stays as it was
};

void PrintTo(const ApplyCase& c, std::ostream* os)
{
    *os << c.name;
}

class ApplyRecord : public testing::TestWithParam<ApplyCase> {};

TEST_P(ApplyRecord, ConfigFrequencyAndRecord)
{
    const ApplyCase& c = GetParam();
    corvel::Engine& engine = TheEngine();
    const twtest::DeviceHandle device = placeChip(c.model);
    replaceRecord(*device, c.record);
    engine.crystalFrequency = kPreviousFrequency;

    device->ApplySettings();

    EXPECT_EQ(configOf(engine), c.config);
    EXPECT_EQ(engine.crystalFrequency, c.frequency);
    EXPECT_EQ(recordOf(*device), c.recordAfter.empty() ? c.record : c.recordAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ApplyRecord,
    testing::Values(
        ApplyCase{"default_10F200", corvel::kPic10F200, "000100000000" "0" "004000000" "0", "000100000000", 4000000},
        ApplyCase{"user_frequency_100", corvel::kPic10F200, "000100000000" "1" "000000100" "0", "000100000000", 100},
        ApplyCase{"user_frequency_highest", corvel::kPic16F59, "010100000000" "1" "999999999" "R", "010100000000",
                  999999999},
        ApplyCase{"user_frequency_lowest_usable", corvel::kPic10F200, "000100000000" "1" "000000004" "0",
                  "000100000000", 4},
        // Below 4 Hz the instruction clock would be 0 and pacing would divide by it.
        ApplyCase{"user_frequency_3_kept_out", corvel::kPic10F200, "000100000000" "1" "000000003" "0",
                  "000100000000", kPreviousFrequency},
        ApplyCase{"user_frequency_0_kept_out", corvel::kPic10F200, "000100000000" "1" "000000000" "0",
                  "000100000000", kPreviousFrequency},
        ApplyCase{"user_frequency_not_digits", corvel::kPic10F200, "000100000000" "1" "0040000x0" "0",
                  "000100000000", kPreviousFrequency},
        ApplyCase{"user_frequency_with_blank", corvel::kPic10F200, "000100000000" "1" " 4000000 " "0",
                  "000100000000", kPreviousFrequency},
        ApplyCase{"unused_frequency_is_not_read", corvel::kPic10F200, "000100000000" "0" "garbage!!" "0",
                  "000100000000", 4000000},
        ApplyCase{"flag_other_than_1_means_no", corvel::kPic10F200, "000100000000" "Y" "000000100" "0",
                  "000100000000", 4000000},
        ApplyCase{"bits_other_than_1_are_0", corvel::kPic12F508, "1Y0x1 201Z01" "0" "004000000" "0",
                  "100010001001", 4000000},
        // IOSCFS: Config bit 0 on PIC10F220/222, bit 5 on PIC12F510/519.
        ApplyCase{"ioscfs_10F220", corvel::kPic10F220, "100100000000" "0" "004000000" "0", "100100000000", 8000000},
        ApplyCase{"ioscfs_10F222", corvel::kPic10F222, "100100000000" "0" "004000000" "0", "100100000000", 8000000},
        ApplyCase{"ioscfs_12F510", corvel::kPic12F510, "010101000000" "0" "004000000" "0", "010101000000", 8000000},
        ApplyCase{"ioscfs_12F519", corvel::kPic12F519, "010101100000" "0" "004000000" "0", "010101100000", 8000000},
        ApplyCase{"bit5_on_12F508_is_no_ioscfs", corvel::kPic12F508, "010101000000" "0" "004000000" "0",
                  "010101000000", 4000000},
        ApplyCase{"bit0_on_10F200_is_no_ioscfs", corvel::kPic10F200, "100100000000" "0" "004000000" "0",
                  "100100000000", 4000000},
        ApplyCase{"bit5_on_10F220_is_no_ioscfs", corvel::kPic10F220, "000101000000" "0" "004000000" "0",
                  "000101000000", 4000000},
        ApplyCase{"user_frequency_wins_over_ioscfs", corvel::kPic10F220, "100100000000" "1" "000032768" "0",
                  "100100000000", 32768},
        // Records from damaged or foreign files: made 23 characters, the
        // missing ones from the defaults (the engine's configuration, no user
        // frequency, 004000000, unknown bits 0).
        ApplyCase{"empty_record", corvel::kPic12F508, "", "010100000000", 4000000,
                  "010100000000" "0" "004000000" "0"},
        ApplyCase{"one_character", corvel::kPic10F200, "1", "100100000000", 4000000,
                  "100100000000" "0" "004000000" "0"},
        ApplyCase{"cut_inside_the_frequency", corvel::kPic10F200, "000000000000" "1" "00400", "000000000000", 4000000,
                  "000000000000" "1" "004000000" "0"},
        ApplyCase{"cut_before_unknown_bit", corvel::kPic10F200, "000100000000" "1" "000000100", "000100000000", 100,
                  "000100000000" "1" "000000100" "0"},
        ApplyCase{"longer_record_is_cut", corvel::kPic10F220, "100100000000" "0" "004000000" "1" "EXTRA",
                  "100100000000", 8000000, "100100000000" "0" "004000000" "1"}),
    [](const testing::TestParamInfo<ApplyCase>& info) { return std::string(info.param.name); });

TEST(SaveData, ShortRecordFromTheHostIsPaddedBeforeTheEngineWritesIntoIt)
{
    corvel::Engine& engine = TheEngine();
    const twtest::DeviceHandle device = placeChip(corvel::kPic10F200);
    replaceRecord(*device, "0001");
    // As Set_config does it: Config[No] and character No of the record.
    engine.setConfigBit(4, 1);
    EXPECT_EQ(recordOf(*device), "000110000000" "0" "004000000" "0");
}

TEST(SaveData, ConfigurationBitsAreWrittenIntoTheRecord)
{
    corvel::Engine& engine = TheEngine();
    const twtest::DeviceHandle device = placeChip(corvel::kPic12F508);
    engine.setConfigBit(0, 1);
    engine.setConfigBit(3, 0);
    // Any value but 1 is stored as '0' beside the value itself.
    engine.setConfigBit(1, 2);
    EXPECT_EQ(engine.Config[1], 2);
    EXPECT_EQ(recordOf(*device), "100000000000" "0" "004000000" "0");
}

TEST(SaveData, UnknownBitChoiceIsCharacter22)
{
    corvel::Engine& engine = TheEngine();
    const twtest::DeviceHandle device = placeChip(corvel::kPic10F200);
    for (const char choice : {'0', '1', 'R', 'x'}) {
        replaceRecord(*device, std::string("000100000000" "0" "004000000") + choice);
        ASSERT_NE(engine.chipLink(), nullptr);
        EXPECT_EQ(engine.chipLink()->unknownBitChoice(), choice);
    }
    // A record that lacks it (not yet applied) reads the default, 0.
    replaceRecord(*device, "0001");
    EXPECT_EQ(engine.chipLink()->unknownBitChoice(), '0');
    EXPECT_EQ(recordOf(*device), "0001");
}

// The clock follows IOSCFS whenever a configuration bit is set the way
// Set_config sets it, as applying the record would make it, unless the user
// chose a frequency.
struct IoscfsCase {
    const char* name;
    int model;
    int bit;
    std::uint8_t value;
    const char* userFrequency; // null: none chosen
    std::int32_t frequency;
};

void PrintTo(const IoscfsCase& c, std::ostream* os)
{
    *os << c.name;
}

class SetConfigClock : public testing::TestWithParam<IoscfsCase> {};

TEST_P(SetConfigClock, FollowsIoscfs)
{
    const IoscfsCase& c = GetParam();
    corvel::Engine& engine = TheEngine();
    const twtest::DeviceHandle device = placeChip(c.model);
    if (c.userFrequency) {
        std::string record = recordOf(*device);
        record.replace(12, 10, std::string("1") + c.userFrequency);
        replaceRecord(*device, record);
        device->ApplySettings();
    }
    engine.setConfigBit(c.bit, c.value);
    EXPECT_EQ(engine.crystalFrequency, c.frequency);

    // Applying the record the bit went into gives the same clock.
    device->ApplySettings();
    EXPECT_EQ(engine.crystalFrequency, c.frequency);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SetConfigClock,
    testing::Values(IoscfsCase{"set_10F220", corvel::kPic10F220, 0, 1, nullptr, 8000000},
                    IoscfsCase{"set_10F222", corvel::kPic10F222, 0, 1, nullptr, 8000000},
                    IoscfsCase{"set_12F510", corvel::kPic12F510, 5, 1, nullptr, 8000000},
                    IoscfsCase{"set_12F519", corvel::kPic12F519, 5, 1, nullptr, 8000000},
                    IoscfsCase{"value_2_is_clear", corvel::kPic10F220, 0, 2, nullptr, 4000000},
                    IoscfsCase{"bit5_of_12F508", corvel::kPic12F508, 5, 1, nullptr, 4000000},
                    IoscfsCase{"other_bit_of_10F220", corvel::kPic10F220, 1, 1, nullptr, 4000000},
                    IoscfsCase{"user_frequency_stays", corvel::kPic10F220, 0, 1, "000032768", 32768}),
    [](const testing::TestParamInfo<IoscfsCase>& info) { return std::string(info.param.name); });

template <typename E>
constexpr bool kHasPowerOnReset = requires(E& engine) { engine.PowerOnReset(); };

// Applying ends with a power-on reset whose unknown bits come from
// character 22 of the record just applied.
TEST(SaveData, ApplyingPowersTheChipOnWithTheRecordsUnknownBits)
{
    if constexpr (!kHasPowerOnReset<corvel::Engine>) {
        GTEST_SKIP() << "the engine has no power-on reset yet";
    } else {
        corvel::Engine& engine = TheEngine();
        const twtest::DeviceHandle device = placeChip(corvel::kPic10F200);
        struct Case {
            char choice;
            std::uint8_t status, fsr, gpio, gpr;
        };
        for (const Case c : {Case{'0', 0x18, 0xE0, 0x00, 0x00}, Case{'1', 0x1F, 0xFF, 0x0F, 0xFF}}) {
            engine.RAM.fill(0x55);
            replaceRecord(*device, std::string("000100000000" "0" "004000000") + c.choice);
            device->ApplySettings();
            EXPECT_EQ(engine.RAM[corvel::reg::STATUS], c.status) << c.choice;
            EXPECT_EQ(engine.RAM[corvel::reg::FSR], c.fsr) << c.choice;
            EXPECT_EQ(engine.RAM[corvel::reg::GPIO], c.gpio) << c.choice;
            EXPECT_EQ(engine.RAM[0x10], c.gpr) << c.choice;
            EXPECT_EQ(engine.RAM[corvel::reg::W], 0) << c.choice;
        }
    }
}

TEST(SaveData, ClearingIoscfsReturnsTo4MHz)
{
    corvel::Engine& engine = TheEngine();
    const twtest::DeviceHandle device = placeChip(corvel::kPic12F510);
    engine.setConfigBit(5, 1);
    ASSERT_EQ(engine.crystalFrequency, 8000000);
    engine.setConfigBit(5, 0);
    EXPECT_EQ(engine.crystalFrequency, 4000000);
}

} // namespace

} // namespace chip_device_save_data_test
