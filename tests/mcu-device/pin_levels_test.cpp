// What the chip drives onto its pins, per model family, from the register
// file and the configuration bits; and what the engine reads back from the
// node a pin is wired to.
#include <cmath>
#include <initializer_list>
#include <list>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "chip_device_support.h"
#include "devices/device_library.h"
#include "engine/registers.h"
#include "mcu-device/pin_levels.h"

namespace pin_levels_test {
namespace {

using namespace corvel;

constexpr float NaN = NotDrivenLevel;

// Register indices as the engine numbers them.
constexpr int OSCCAL = 5;
constexpr int GPIO = 6;
constexpr int CMCON0 = 7;       // PIC10F204/206, PIC12F510
constexpr int ADCON0_10F = 7;   // PIC10F220/222
constexpr int ADCON0_12F = 8;   // PIC12F510
constexpr int PORTA = 5, PORTB = 6, PORTC = 7, PORTD = 8, PORTE = 9;
constexpr int OPTION = reg::OPTION;
constexpr int TRIS = reg::TRISGPIO;
constexpr int TRISA = 259, TRISB = 260, TRISC = 261, TRISD = 262, TRISE = 263;

struct Store {
    int index;
    std::uint8_t value;
};

struct LevelCase {
    const char* name;
    int model;
    std::vector<Store> registers; // over a register file of zeros: outputs, latches low
    int port;
    float level;
    int fosc = -1; // FOSC1:FOSC0 into Config bits 1 and 0, when 0..3
};

void PrintTo(const LevelCase& c, std::ostream* os)
{
    *os << c.name;
}

void expectLevel(float actual, float expected)
{
    if (std::isnan(expected))
        EXPECT_TRUE(std::isnan(actual)) << actual;
    else
        EXPECT_EQ(actual, expected);
}

void setUp(Engine& engine, int model)
{
    if (!engine.SelectMC(model))
        engine.TypeMC = std::uint8_t(model);
}

class PinLevel : public testing::TestWithParam<LevelCase> {};

TEST_P(PinLevel, FromRegistersAndConfiguration)
{
    const LevelCase& c = GetParam();
    Engine engine;
    setUp(engine, c.model);
    for (const Store& store : c.registers)
        engine.RAM[size_t(store.index)] = store.value;
    if (c.fosc >= 0) {
        engine.Config[0] = std::uint8_t(c.fosc & 1);
        engine.Config[1] = std::uint8_t(c.fosc >> 1);
    }
    expectLevel(chipPinLevel(engine, c.port), c.level);
}

INSTANTIATE_TEST_SUITE_P(
    PIC10F, PinLevel,
    testing::Values(
        LevelCase{"power_on_gp0", kPic10F200, {{TRIS, 0x0F}, {OPTION, 0xFF}}, 0, NaN},
        LevelCase{"power_on_gp1", kPic10F200, {{TRIS, 0x0F}, {OPTION, 0xFF}}, 1, NaN},
        LevelCase{"power_on_gp2", kPic10F200, {{TRIS, 0x0F}, {OPTION, 0xFF}, {OSCCAL, 0xFE}}, 2, NaN},
        LevelCase{"power_on_gp3", kPic10F200, {{TRIS, 0x0F}, {OPTION, 0xFF}}, 3, NaN},
        LevelCase{"gp1_output_high", kPic10F200, {{TRIS, 0x0D}, {GPIO, 0x02}}, 1, 5.0f},
        LevelCase{"gp1_output_low", kPic10F202, {{TRIS, 0x0D}, {GPIO, 0x0D}}, 1, 0.0f},
        LevelCase{"gp0_output_high", kPic10F202, {{GPIO, 0x01}}, 0, 5.0f},
        LevelCase{"gp2_output_high", kPic10F200, {{GPIO, 0x04}}, 2, 5.0f},
        LevelCase{"fosc4_high_over_input", kPic10F200, {{OSCCAL, 0x01}, {TRIS, 0x0F}}, 2, 5.0f},
        LevelCase{"fosc4_high_over_low_latch", kPic10F200, {{OSCCAL, 0x01}, {OPTION, 0x20}}, 2, 5.0f},
        LevelCase{"t0cki_input", kPic10F200, {{OPTION, 0x20}, {GPIO, 0x04}}, 2, NaN},
        LevelCase{"other_option_bits_leave_gp2", kPic10F200, {{OPTION, 0xDF}, {GPIO, 0x04}}, 2, 5.0f},
        LevelCase{"gp3_never_drives", kPic10F200, {{GPIO, 0x08}}, 3, NaN},
        // Address 7 is no comparator or converter here.
        LevelCase{"no_cmcon0_on_10F200", kPic10F200, {{7, 0xFF}, {GPIO, 0x01}}, 0, 5.0f},
        LevelCase{"comparator_takes_gp0", kPic10F204, {{CMCON0, 0x08}, {GPIO, 0x01}}, 0, NaN},
        LevelCase{"comparator_takes_gp1", kPic10F206, {{CMCON0, 0x08}, {GPIO, 0x02}}, 1, NaN},
        LevelCase{"comparator_output_high", kPic10F204, {{CMCON0, 0x88}, {TRIS, 0x0F}}, 2, 5.0f},
        LevelCase{"comparator_output_low", kPic10F204, {{CMCON0, 0x08}, {GPIO, 0x04}}, 2, 0.0f},
        LevelCase{"comparator_output_before_fosc4", kPic10F204, {{CMCON0, 0x08}, {OSCCAL, 0x01}}, 2, 0.0f},
        LevelCase{"comparator_output_disabled", kPic10F204, {{CMCON0, 0xC8}, {GPIO, 0x00}}, 2, 0.0f},
        LevelCase{"comparator_output_disabled_latch", kPic10F204, {{CMCON0, 0x48}, {GPIO, 0x04}}, 2, 5.0f},
        LevelCase{"comparator_off", kPic10F204, {{CMCON0, 0xF7}, {GPIO, 0x01}}, 0, 5.0f},
        LevelCase{"ans0_takes_gp0", kPic10F220, {{ADCON0_10F, 0x40}, {GPIO, 0x03}}, 0, NaN},
        LevelCase{"ans0_leaves_gp1", kPic10F220, {{ADCON0_10F, 0x40}, {GPIO, 0x03}}, 1, 5.0f},
        LevelCase{"ans1_takes_gp1", kPic10F222, {{ADCON0_10F, 0x80}, {GPIO, 0x03}}, 1, NaN},
        LevelCase{"ans1_leaves_gp0", kPic10F222, {{ADCON0_10F, 0x80}, {GPIO, 0x03}}, 0, 5.0f},
        LevelCase{"converter_leaves_gp2", kPic10F220, {{ADCON0_10F, 0xCF}, {GPIO, 0x04}}, 2, 5.0f}),
    [](const testing::TestParamInfo<LevelCase>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    PIC12F, PinLevel,
    testing::Values(
        LevelCase{"gp0_output", kPic12F508, {{GPIO, 0x01}}, 0, 5.0f},
        LevelCase{"gp1_input", kPic12F509, {{TRIS, 0x02}, {GPIO, 0x02}}, 1, NaN},
        LevelCase{"gp2_t0cki", kPic12F508, {{OPTION, 0x20}, {GPIO, 0x04}}, 2, NaN},
        LevelCase{"gp2_output", kPic12F519, {{GPIO, 0x04}}, 2, 5.0f},
        LevelCase{"gp3_never_drives", kPic12F508, {{GPIO, 0x08}}, 3, NaN},
        LevelCase{"gp4_intrc_output", kPic12F508, {{TRIS, 0x0F}, {GPIO, 0x10}}, 4, 5.0f, 0b10},
        LevelCase{"gp5_intrc_output", kPic12F508, {{TRIS, 0x0F}, {GPIO, 0x20}}, 5, 5.0f, 0b10},
        LevelCase{"gp5_intrc_low", kPic12F510, {{TRIS, 0x0F}, {GPIO, 0x10}}, 5, 0.0f, 0b10},
        LevelCase{"gp4_intrc_input", kPic12F508, {{TRIS, 0x3F}, {GPIO, 0x10}}, 4, NaN, 0b10},
        LevelCase{"gp4_extrc", kPic12F508, {{GPIO, 0x30}}, 4, NaN, 0b11},
        LevelCase{"gp5_extrc", kPic12F508, {{GPIO, 0x30}}, 5, NaN, 0b11},
        LevelCase{"gp4_xt", kPic12F509, {{GPIO, 0x30}}, 4, NaN, 0b01},
        LevelCase{"gp5_lp", kPic12F519, {{GPIO, 0x30}}, 5, NaN, 0b00},
        // Address 7 and 8 are general-purpose registers of PIC12F508.
        LevelCase{"no_comparator_on_12F508", kPic12F508, {{7, 0xFF}, {8, 0xFF}, {GPIO, 0x01}}, 0, 5.0f},
        LevelCase{"ans_10_takes_gp0", kPic12F510, {{ADCON0_12F, 0x80}, {GPIO, 0x07}}, 0, NaN},
        LevelCase{"ans_10_leaves_gp1", kPic12F510, {{ADCON0_12F, 0x80}, {GPIO, 0x07}}, 1, 5.0f},
        LevelCase{"ans_10_takes_gp2", kPic12F510, {{ADCON0_12F, 0x80}, {GPIO, 0x07}}, 2, NaN},
        LevelCase{"ans_01_leaves_gp0", kPic12F510, {{ADCON0_12F, 0x40}, {GPIO, 0x07}}, 0, 5.0f},
        LevelCase{"ans_01_takes_gp2", kPic12F510, {{ADCON0_12F, 0x40}, {GPIO, 0x07}}, 2, NaN},
        LevelCase{"ans_11_takes_gp1", kPic12F510, {{ADCON0_12F, 0xC0}, {GPIO, 0x07}}, 1, NaN},
        LevelCase{"comparator_takes_gp0", kPic12F510, {{CMCON0, 0x08}, {GPIO, 0x07}}, 0, NaN},
        LevelCase{"comparator_takes_gp1", kPic12F510, {{CMCON0, 0x08}, {GPIO, 0x07}}, 1, NaN},
        LevelCase{"comparator_output_high", kPic12F510, {{CMCON0, 0x88}}, 2, 5.0f},
        LevelCase{"comparator_output_low", kPic12F510, {{CMCON0, 0x08}, {GPIO, 0x04}}, 2, 0.0f},
        LevelCase{"comparator_output_disabled", kPic12F510, {{CMCON0, 0x48}, {GPIO, 0x04}}, 2, 5.0f},
        LevelCase{"analogue_before_comparator_output", kPic12F510, {{CMCON0, 0x88}, {ADCON0_12F, 0x40}}, 2, NaN}),
    [](const testing::TestParamInfo<LevelCase>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    PIC16F5x, PinLevel,
    testing::Values(
        LevelCase{"ra0_output", kPic16F54, {{PORTA, 0x01}}, 0, 5.0f},
        LevelCase{"ra3_input", kPic16F54, {{TRISA, 0x08}, {PORTA, 0x08}}, 3, NaN},
        LevelCase{"rb0_output_low", kPic16F54, {{PORTB, 0xFE}}, 4, 0.0f},
        LevelCase{"rb7_output", kPic16F54, {{TRISB, 0x7F}, {PORTB, 0x80}}, 11, 5.0f},
        LevelCase{"rb7_input", kPic16F57, {{TRISB, 0x80}, {PORTB, 0x80}}, 11, NaN},
        LevelCase{"t0cki_16F54", kPic16F54, {{PORTC, 0xFF}}, 12, NaN},
        LevelCase{"mclr_16F54", kPic16F54, {{PORTC, 0xFF}}, 13, NaN},
        LevelCase{"beyond_16F54", kPic16F54, {{PORTC, 0xFF}}, 14, NaN},
        LevelCase{"rc0_output", kPic16F57, {{PORTC, 0x01}}, 12, 5.0f},
        LevelCase{"rc7_input", kPic16F57, {{TRISC, 0x80}, {PORTC, 0x80}}, 19, NaN},
        LevelCase{"t0cki_16F57", kPic16F57, {{PORTD, 0xFF}}, 20, NaN},
        LevelCase{"mclr_16F57", kPic16F57, {{PORTD, 0xFF}}, 21, NaN},
        LevelCase{"rd7_output", kPic16F59, {{PORTD, 0x80}}, 27, 5.0f},
        LevelCase{"re4_output", kPic16F59, {{TRISE, 0xE0}, {PORTE, 0x10}}, 28, 5.0f},
        LevelCase{"re4_input", kPic16F59, {{TRISE, 0xF0}, {PORTE, 0x10}}, 28, NaN},
        LevelCase{"re4_output_low", kPic16F59, {{TRISE, 0xE0}, {PORTE, 0xE0}}, 28, 0.0f},
        LevelCase{"re7_output", kPic16F59, {{PORTE, 0x80}}, 31, 5.0f},
        LevelCase{"t0cki_16F59", kPic16F59, {{PORTE, 0xFF}}, 32, NaN},
        LevelCase{"mclr_16F59", kPic16F59, {{PORTE, 0xFF}}, 33, NaN}),
    [](const testing::TestParamInfo<LevelCase>& info) { return std::string(info.param.name); });

TEST(PinLevel, ResetPinNeverDrivesWhateverMclreHolds)
{
    for (int model = kPic10F200; model <= kPic12F519; ++model) {
        for (const std::uint8_t mclre : {0, 1}) {
            Engine engine;
            setUp(engine, model);
            engine.Config[4] = mclre;
            engine.RAM[GPIO] = 0xFF;
            engine.RAM[TRIS] = 0;
            EXPECT_TRUE(std::isnan(chipPinLevel(engine, 3))) << model << " MCLRE " << int(mclre);
        }
    }
}

TEST(PinLevel, ModelsTheEngineDoesNotSimulateDriveNothing)
{
    for (const int model : {kPic16F505, kPic16F506, kPic16F526}) {
        Engine engine;
        engine.TypeMC = std::uint8_t(model);
        engine.RAM.fill(0xFF);
        for (int port = 0; port < 12; ++port)
            EXPECT_TRUE(std::isnan(chipPinLevel(engine, port))) << model << " port " << port;
        engine.RAM.fill(0);
        for (int port = 0; port < 12; ++port)
            EXPECT_TRUE(std::isnan(chipPinLevel(engine, port))) << model << " port " << port;
    }
}

TEST(PinLevel, PortsAModelLacksDriveNothing)
{
    Engine engine;
    setUp(engine, kPic10F200);
    for (const int port : {-1, 4, 5, 100})
        EXPECT_TRUE(std::isnan(chipPinLevel(engine, port))) << port;
}

// ---------------------------------------------------------------------------
// Through the pins of a chip device and the nodes they are wired to

TEST(ChipPins, LevelCallbackReadsTheDevicesEngine)
{
    Engine engine;
    ASSERT_TRUE(engine.SelectMC(kPic16F59));
    ChipDevice device(engine, kPic16F59, nullptr);
    engine.RAM[TRISE] = 0xE0;
    engine.RAM[PORTE] = 0x10;
    EXPECT_EQ(device.Port[28]->GetLevel(), 5.0f);
    engine.RAM[PORTE] = 0;
    EXPECT_EQ(device.Port[28]->GetLevel(), 0.0f);
    EXPECT_TRUE(std::isnan(device.Port[32]->GetLevel()));
}

// A probe device from a separately built test library drives the node: 5 V
// on its pin 0, 0 V on pin 1, a reading pin 2 and an undriven pin 3.
class ChipPinOnNode : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(library_.loaded()) << library_.error();
        probe_.reset(library_.entries().Get_Device_class(nullptr));
        ASSERT_NE(probe_, nullptr);
        ASSERT_TRUE(engine_.SelectMC(kPic10F200));
        chip_ = std::make_unique<ChipDevice>(engine_, kPic10F200, nullptr);
    }
    void TearDown() override
    {
        for (TRCPort* pin : chip_->Port)
            pin->Node = nullptr;
        chip_.reset();
        probe_.reset(); // its destructor is the library's code: before unloading
    }

    // Wires chip pin `port` and the given probe pins to one node.
    TNode& wire(int port, std::initializer_list<int> probePins)
    {
        TNode& node = nodes_.emplace_back();
        node.Ports.resize(std::int32_t(probePins.size()) + 1);
        node.Ports[0] = chip_->Port[port];
        int i = 1;
        for (const int pin : probePins)
            node.Ports[i++] = probe_->Port[pin];
        chip_->Port[port]->Node = &node;
        return node;
    }

    float engineReads(int port) { return engine_.chipLink()->pinLevel(port); }

    twtest::DeviceLibrary library_{twtest::devlibPath("devlib_basic")};
    std::unique_ptr<TDevice> probe_;
    Engine engine_;
    std::unique_ptr<ChipDevice> chip_;
    std::list<TNode> nodes_;
};

TEST_F(ChipPinOnNode, InputReadsWhatTheOtherDeviceDrives)
{
    wire(0, {0});
    wire(1, {1});
    engine_.RAM[TRIS] = 0x0F;
    EXPECT_EQ(engineReads(0), 5.0f);
    EXPECT_EQ(engineReads(1), 0.0f);
}

TEST_F(ChipPinOnNode, OutputTakesPartInTheNodesLevel)
{
    wire(0, {0});
    engine_.RAM[TRIS] = 0x0E;
    engine_.RAM[GPIO] = 0x00;
    EXPECT_EQ(engineReads(0), 2.5f);
    engine_.RAM[GPIO] = 0x01;
    EXPECT_EQ(engineReads(0), 5.0f);
}

TEST_F(ChipPinOnNode, UndrivenNodesAndUnwiredPinsReadNaN)
{
    wire(0, {2, 3}); // a reading pin and one that reports NaN
    engine_.RAM[TRIS] = 0x0F;
    EXPECT_TRUE(std::isnan(engineReads(0)));
    EXPECT_TRUE(std::isnan(engineReads(1))); // no node
    EXPECT_TRUE(std::isnan(engineReads(3)));
    EXPECT_TRUE(std::isnan(engineReads(4))); // no such port
    EXPECT_TRUE(std::isnan(engineReads(-1)));
}

TEST_F(ChipPinOnNode, ResetPinReadsItsNode)
{
    wire(3, {0});
    EXPECT_EQ(engineReads(3), 5.0f);
}

// The engine skips reading ports with no node until the wiring changes.
TEST_F(ChipPinOnNode, OnlyPortsWithANodeAreWired)
{
    wire(3, {0});
    const ChipLink* link = engine_.chipLink();
    EXPECT_TRUE(link->portWired(3));
    EXPECT_FALSE(link->portWired(0));
    EXPECT_FALSE(link->portWired(-1));
    EXPECT_FALSE(link->portWired(chip_->Port.length()));
}

} // namespace

} // namespace pin_levels_test
