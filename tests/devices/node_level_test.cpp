// The level of a node: the mean of what its driving pins report, in single
// precision, NaN (0xFFC00000) when no pin drives it.
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "devices/contract.h"

namespace node_level_test {
namespace {

constexpr float inf = std::numeric_limits<float>::infinity();
constexpr float nan = std::numeric_limits<float>::quiet_NaN(); // a NaN other than the contract's own

// These test pins keep the level their callback reports as their default level.
extern "C" float reportDefaultLevel(TObject* pin)
{
    return static_cast<TRCPort*>(pin)->DefaultLevel();
}

struct PinSetup {
    std::uint8_t direction;
    float level;
};

struct LevelCase {
    const char* name;
    std::vector<PinSetup> pins;
    float expected; // NaN: the contract's NaN bit pattern
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const LevelCase& c, std::ostream* os)
{
    *os << c.name;
}

class NodeLevel : public testing::TestWithParam<LevelCase> {};

TEST_P(NodeLevel, IsTheMeanOfDrivingPins)
{
    const LevelCase& c = GetParam();
    std::vector<std::unique_ptr<TRCPort>> pins;
    TNode node;
    node.Ports.resize(std::int32_t(c.pins.size()));
    for (std::size_t i = 0; i < c.pins.size(); ++i) {
        pins.push_back(std::make_unique<TRCPort>(TShortString::from("P"), c.pins[i].direction, true, c.pins[i].level,
                                                 reportDefaultLevel, std::int32_t(i)));
        node.Ports[std::int32_t(i)] = pins.back().get();
    }
    const float level = node.GetLevel();
    if (std::isnan(c.expected))
        EXPECT_EQ(std::bit_cast<std::uint32_t>(level), 0xFFC00000u) << level;
    else
        EXPECT_EQ(std::bit_cast<std::uint32_t>(level), std::bit_cast<std::uint32_t>(c.expected)) << level;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NodeLevel,
    testing::Values(
        LevelCase{"no_pins", {}, nan},
        LevelCase{"only_input_pins", {{1, 5.0f}, {1, 0.0f}, {0, 3.0f}}, nan},
        LevelCase{"drivers_all_undriven", {{3, NotDrivenLevel}, {2, nan}}, nan},
        LevelCase{"high_and_low", {{3, 5.0f}, {3, 0.0f}}, 2.5f},
        LevelCase{"input_pin_ignored", {{3, 5.0f}, {1, 1.0f}, {3, 0.0f}}, 2.5f},
        LevelCase{"undriven_beside_high", {{3, NotDrivenLevel}, {3, 5.0f}}, 5.0f},
        LevelCase{"direction_2_drives", {{2, 4.0f}, {1, 1.0f}}, 4.0f},
        LevelCase{"infinity_counts", {{3, inf}, {3, 5.0f}}, inf},
        LevelCase{"mean_rounded_to_single", {{3, 1.0f}, {3, 2.0f}, {3, 4.0f}}, 7.0f / 3.0f},
        // 1e8 + 1 is 1e8 in single precision; a wider sum would give 1/3.
        LevelCase{"summed_in_single", {{3, 1e8f}, {3, 1.0f}, {3, -1e8f}}, 0.0f}),
    [](const testing::TestParamInfo<LevelCase>& info) { return std::string(info.param.name); });

TEST(NodeLevel, OppositeInfinitiesGiveNaN)
{
    TRCPort up(TShortString::from("A"), 3, true, inf, reportDefaultLevel, 0);
    TRCPort down(TShortString::from("B"), 3, true, -inf, reportDefaultLevel, 1);
    TNode node;
    node.Ports.resize(2);
    node.Ports[0] = &up;
    node.Ports[1] = &down;
    EXPECT_TRUE(std::isnan(node.GetLevel()));
}

TEST(NodeLevel, FreeingANodeLeavesItsPins)
{
    TRCPort pin(TShortString::from("A"), 3, true, 1.0f, reportDefaultLevel, 0);
    auto* node = new TNode;
    node->Ports.resize(1);
    node->Ports[0] = &pin;
    pin.Node = node;
    delete static_cast<TObject*>(node);
    EXPECT_EQ(pin.GetLevel(), 1.0f);
}

} // namespace

} // namespace node_level_test
