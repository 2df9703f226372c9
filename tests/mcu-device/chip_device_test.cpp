// The chip device of every model as Get_Device_class makes it, and how corvel
// keeps track of the devices it created.
#include <algorithm>
#include <cmath>
#include <list>
#include <utility>
#include <string>
#include <vector>

#include <QColor>
#include <QImage>
#include <gtest/gtest.h>

#include "chip_device_support.h"
#include "chip_view_fake.h"
#include "mcu-device/chip_drawing.h"
#include "mcu-device/chip_pictures.h"
#include "mcu-device/pin_levels.h"

namespace chip_device_test {
namespace {

using corvel::TheEngine;
using twtest::placeChip;
using twtest::recordOf;

struct ModelCase {
    int model;
    const char* name;
    int height;
    const char* defaultConfig; // characters 0..11 of a new device's record
    std::vector<std::string> pins;
    std::vector<int> inputOnly;
};

std::vector<std::string> numbered(const std::string& prefix, int first, int last)
{
    std::vector<std::string> names;
    for (int i = first; i <= last; ++i)
        names.push_back(prefix + std::to_string(i));
    return names;
}

std::vector<std::string> joined(std::initializer_list<std::vector<std::string>> parts)
{
    std::vector<std::string> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

const std::vector<std::string> k10F200 = {"GP0", "GP1", "GP2/T0CKI/Fosc4", "GP3/\\MCLR"};
const std::vector<std::string> k10F204 = {"GP0/CIN+", "GP1/CIN-", "GP2/T0CKI/COUT/Fosc4", "GP3/\\MCLR"};
const std::vector<std::string> k10F220 = {"GP0/AN0", "GP1/AN1", "GP2/T0CKI/Fosc4", "GP3/\\MCLR"};
const std::vector<std::string> k12F508 = {"GP0", "GP1", "GP2/T0CKI", "GP3/\\MCLR", "GP4/OSC2", "GP5/OSC1/CLKIN"};
const std::vector<std::string> k12F510 = {"GP0/AN0/C1IN+", "GP1/AN1/C1IN-", "GP2/T0CKI", "GP3/\\MCLR", "GP4/OSC2",
                                          "GP5/OSC1/CLKIN"};
const std::vector<std::string> k16F505 = {"RB0", "RB1", "RB2", "RB3/\\MCLR", "RB4/OSC2/CLKOUT", "RB5/OSC1/CLKIN",
                                          "RC0", "RC1", "RC2", "RC3", "RC4", "RC5/T0CKI"};
const std::vector<std::string> k16F506 = {"RB0/AN0/C1IN+", "RB1/AN1/C1IN-", "RB2/AN2/C1OUT", "RB3/\\MCLR",
                                          "RB4/OSC2/CLKOUT", "RB5/OSC1/CLKIN", "RC0/C2IN+", "RC1/C2IN-",
                                          "RC2/CVref", "RC3", "RC4/C2OUT", "RC5/T0CKI"};
const std::vector<std::string> kTimerAndReset = {"T0CKI", "MCLR"};

// Default configuration words: bit 3 (\CP) on every model, bit 1 on the
// PIC12F and PIC16F5x, bit 6 (\CPDF) on PIC12F519 as well.
const char* const k10FConfig = "000100000000";
const char* const k12FConfig = "010100000000";

const std::vector<ModelCase> kModels = {
    {0, "PIC10F200", 77, k10FConfig, k10F200, {3}},
    {1, "PIC10F202", 77, k10FConfig, k10F200, {3}},
    {2, "PIC10F204", 77, k10FConfig, k10F204, {3}},
    {3, "PIC10F206", 77, k10FConfig, k10F204, {3}},
    {4, "PIC10F220", 77, k10FConfig, k10F220, {3}},
    {5, "PIC10F222", 77, k10FConfig, k10F220, {3}},
    {6, "PIC12F508", 77, k12FConfig, k12F508, {3}},
    {7, "PIC12F509", 77, k12FConfig, k12F508, {3}},
    {8, "PIC12F510", 77, k12FConfig, k12F510, {3}},
    {9, "PIC12F519", 77, "010100100000", k12F508, {3}},
    {10, "PIC16F505", 131, nullptr, k16F505, {3}},
    {11, "PIC16F506", 131, nullptr, k16F506, {3}},
    {12, "PIC16F526", 131, nullptr, k16F506, {3}},
    {13, "PIC16F54", 167, k12FConfig, joined({numbered("RA", 0, 3), numbered("RB", 0, 7), kTimerAndReset}), {12, 13}},
    {14, "PIC16F57", 257, k12FConfig,
        joined({numbered("RA", 0, 3), numbered("RB", 0, 7), numbered("RC", 0, 7), kTimerAndReset}), {20, 21}},
    {15, "PIC16F59", 364, k12FConfig,
        joined({numbered("RA", 0, 3), numbered("RB", 0, 7), numbered("RC", 0, 7), numbered("RD", 0, 7),
                numbered("RE", 4, 7), kTimerAndReset}),
        {32, 33}},
};

class ChipDeviceOfModel : public testing::TestWithParam<ModelCase> {};

TEST_P(ChipDeviceOfModel, PinsFieldsAndDefaultRecord)
{
    const ModelCase& c = GetParam();
    const twtest::DeviceHandle device = placeChip(c.model);
    ASSERT_NE(device, nullptr);

    EXPECT_EQ(device->RCModel().toStdString(), c.name);
    EXPECT_EQ(device->RCType().toStdString(), "Microchip PIC");
    EXPECT_EQ(device->RCFamily().toStdString(), "BASELINE");
    EXPECT_EQ(device->RCShowName().length, 0);
    EXPECT_EQ(device->DevType(), 0);
    EXPECT_EQ(device->InternalIndex, 0);
    EXPECT_EQ(device->Width(), 110);
    EXPECT_EQ(device->Height(), c.height);
    EXPECT_EQ(device->Image(), nullptr);

    EXPECT_TRUE(device->AssignedShowSettings());
    EXPECT_FALSE(device->AssignedBackClick());
    EXPECT_FALSE(device->AssignedBackMD());
    EXPECT_FALSE(device->AssignedBackMM());
    EXPECT_FALSE(device->AssignedBackMU());
    EXPECT_FALSE(device->AssignedBackDblClick());

    ASSERT_EQ(device->PortsCount(), int(c.pins.size()));
    ASSERT_EQ(device->Port.length(), int(c.pins.size()));
    for (int port = 0; port < int(c.pins.size()); ++port) {
        const TRCPort* pin = device->Port[port];
        SCOPED_TRACE(c.pins[size_t(port)]);
        EXPECT_EQ(pin->PortName().toStdString(), c.pins[size_t(port)]);
        EXPECT_EQ(pin->PortNo(), port);
        EXPECT_EQ(pin->Device, device.get());
        EXPECT_EQ(pin->Node, nullptr);
        EXPECT_TRUE(pin->Digital());
        const bool inputOnly = std::find(c.inputOnly.begin(), c.inputOnly.end(), port) != c.inputOnly.end();
        EXPECT_EQ(pin->Direction(), inputOnly ? 1 : 3);
        if (inputOnly)
            EXPECT_TRUE(std::isnan(pin->DefaultLevel()));
        else
            EXPECT_EQ(pin->DefaultLevel(), 0.0f);
        EXPECT_EQ(pin->Level(), 0.0f);
    }

    // The engine has no configuration of its own for PIC16F505/506/526; their
    // record carries whatever the engine held.
    if (c.defaultConfig) {
        EXPECT_EQ(recordOf(*device), std::string(c.defaultConfig) + "0" + "004000000" + "0");
    }
    EXPECT_EQ(device->LenSaveData(), 23);
}

INSTANTIATE_TEST_SUITE_P(EveryModel, ChipDeviceOfModel, testing::ValuesIn(kModels),
                         [](const testing::TestParamInfo<ModelCase>& info) { return std::string(info.param.name); });

TEST(ChipDevice, CreationAppliesTheDefaultRecord)
{
    corvel::Engine& engine = TheEngine();
    ASSERT_TRUE(engine.SelectMC(corvel::kPic10F220));
    engine.crystalFrequency = 123;
    engine.Config.fill(1);
    const twtest::DeviceHandle device(Get_Device_class(nullptr));
    // The record takes the engine's configuration as it stands ...
    EXPECT_EQ(recordOf(*device), "111111111111" "0" "004000000" "0");
    // ... and applying it gives IOSCFS (bit 0) set and so the 8 MHz clock.
    EXPECT_EQ(engine.crystalFrequency, 8000000);
    EXPECT_EQ(engine.Config[0], 1);
}

TEST(ChipDevice, KeepsTheHostHandleAndHasNoWindowOfItsOwn)
{
    TheEngine().SelectMC(corvel::kPic10F200);
    auto* host = reinterpret_cast<TWindowHandle>(0x1234);
    const twtest::DeviceHandle device(Get_Device_class(host));
    EXPECT_EQ(device->HostHandle(), host);
    EXPECT_EQ(device->OrigHandle(), nullptr);
}

TEST(ChipDevice, TwoCallsGiveTwoDevicesAndTheSecondIsCurrent)
{
    twtest::DeviceHandle first = placeChip(corvel::kPic10F200);
    twtest::DeviceHandle second = placeChip(corvel::kPic12F508);
    EXPECT_NE(first.get(), second.get());
    EXPECT_NE(first->Port[0], second->Port[0]);
    EXPECT_EQ(corvel::DeviceMC(), second.get());

    // Freeing the older device leaves the current one bound to the engine.
    const corvel::ChipLink* link = TheEngine().chipLink();
    ASSERT_NE(link, nullptr);
    first.reset();
    EXPECT_EQ(corvel::DeviceMC(), second.get());
    EXPECT_EQ(TheEngine().chipLink(), link);
    EXPECT_EQ(corvel::asChipDevice(second.get()), second.get());
}

TEST(ChipDevice, FreeingTheDeviceMakesCorvelForgetIt)
{
    twtest::DeviceHandle device = placeChip(corvel::kPic10F200);
    const TObject* freed = device.get();
    std::vector<const TObject*> pins(device->Port.begin(), device->Port.end());
    ASSERT_TRUE(corvel::isOwned(freed, corvel::OwnedKind::ChipDevice));
    ASSERT_TRUE(corvel::isOwned(pins[0], corvel::OwnedKind::ChipPin));

    device.reset();
    EXPECT_EQ(corvel::DeviceMC(), nullptr);
    EXPECT_EQ(TheEngine().chipLink(), nullptr);
    EXPECT_FALSE(corvel::isOwned(freed, corvel::OwnedKind::ChipDevice));
    for (const TObject* pin : pins)
        EXPECT_FALSE(corvel::isOwned(pin, corvel::OwnedKind::ChipPin));
}

TEST(ChipDevice, CallbacksServeOnlyCorvelsOwnObjectsOfTheRightKind)
{
    corvel::Engine& engine = TheEngine();
    const twtest::DeviceHandle chip = placeChip(corvel::kPic10F200);
    engine.RAM[corvel::reg::TRISGPIO] = 0;
    engine.RAM[corvel::reg::GPIO] = 0x01;
    ASSERT_EQ(chip->Port[0]->GetLevel(), 5.0f);

    // A device and pin of the same classes that corvel did not create.
    TDevice foreign(0, 10, 10, 0, TShortString::from("Microchip PIC"), TShortString::from("BASELINE"),
                    TShortString::from("PIC10F200"), 1, nullptr, nullptr, false, nullptr, false, nullptr, false,
                    nullptr, false, nullptr, false, nullptr, false, BackApplySaveData, nullptr, nullptr);
    TRCPort* foreignPin = foreign.AddPort(TShortString::from("GP0"), 3, true, 0.0f, GetPinLevelMC);
    twtest::replaceRecord(foreign, "111111111111" "1" "000000100" "1");

    const auto config = engine.Config;
    const auto frequency = engine.crystalFrequency;
    foreign.ApplySettings();
    BackApplySaveData(chip->Port[0]);
    EXPECT_EQ(engine.Config, config);
    EXPECT_EQ(engine.crystalFrequency, frequency);

    EXPECT_TRUE(std::isnan(foreignPin->GetLevel()));
    EXPECT_TRUE(std::isnan(GetPinLevelMC(chip.get())));
    EXPECT_TRUE(std::isnan(GetPinLevelMC(nullptr)));
    BackApplySaveData(nullptr);
}

// A pin of another device that holds its node at 2.2 V.
extern "C" float steadyLevel(TObject*)
{
    return 2.2f;
}

struct DrawCase {
    int model;
    std::vector<std::pair<int, std::uint8_t>> registers;
    std::vector<int> drivenPorts; // wired to a node that another device holds at 2.2 V
};

// The device paints what the chip picture paints for the same state: the
// engine's registers, configuration and model table, and the levels of the
// nodes its pins are wired to.
TEST(ChipDevice, DrawsTheEnginesStateAndItsNodes)
{
    const DrawCase cases[] = {
        {corvel::kPic10F204, {{258, 0x0A}, {6, 0x05}, {7, 0x00}, {257, 0x3F}}, {1, 3}},
        {corvel::kPic10F220, {{258, 0x08}, {6, 0x02}, {7, 0x40}, {5, 0x01}}, {0}},
        {corvel::kPic12F510, {{258, 0x21}, {6, 0x3E}, {7, 0x88}, {8, 0x00}, {257, 0x30}}, {0, 2, 5}},
        {corvel::kPic16F59, {{259, 0x05}, {5, 0x0F}, {263, 0xA0}, {9, 0x50}, {257, 0x30}}, {0, 2, 30, 33}},
    };
    TDevice other(0, 10, 10, 1, TShortString::from("Test"), TShortString::from("TEST"), TShortString::from("Hold"), 1,
                  nullptr, nullptr, false, nullptr, false, nullptr, false, nullptr, false, nullptr, false, nullptr,
                  false, nullptr, nullptr, nullptr);
    TRCPort* holder = other.AddPort(TShortString::from("HOLD"), 3, false, 0.0f, steadyLevel);

    for (const DrawCase& c : cases) {
        SCOPED_TRACE(c.model);
        corvel::Engine& engine = TheEngine();
        const twtest::DeviceHandle device = placeChip(c.model);
        engine.Config[4] = 1; // MCLRE: the reset pin is labelled MCLR
        for (const auto& [index, value] : c.registers)
            engine.RAM[size_t(index)] = value;

        std::list<TNode> nodes;
        for (TRCPort* pin : device->Port) {
            TNode& node = nodes.emplace_back();
            const bool held = std::find(c.drivenPorts.begin(), c.drivenPorts.end(), pin->PortNo()) != c.drivenPorts.end();
            node.Ports.resize(held ? 2 : 1);
            node.Ports[0] = pin;
            if (held)
                node.Ports[1] = holder;
            pin->Node = &node;
        }

        twtest::FakeChip fake(c.model);
        std::copy(engine.RAM.begin(), engine.RAM.end(), fake.ram.begin());
        for (int bit = 0; bit < 12; ++bit)
            fake.configBits[size_t(bit)] = engine.Config[size_t(bit)] != 0;
        for (TRCPort* pin : device->Port)
            fake.levels[size_t(pin->PortNo())] = pin->Node->GetLevel();

        for (const bool running : {false, true}) {
            QImage drawn(device->Width(), device->Height(), QImage::Format_ARGB32_Premultiplied);
            drawn.fill(Qt::black);
            device->setImage(&drawn);
            device->DrawImage(running, 0.0L);
            device->setImage(nullptr);

            QImage expected(drawn.size(), QImage::Format_ARGB32_Premultiplied);
            expected.fill(Qt::black);
            corvel::drawChip(expected, fake, running);
            EXPECT_EQ(drawn, expected) << "running " << running;
            EXPECT_NE(drawn.pixel(0, 0), QColor(Qt::black).rgb());
        }
        // The running picture shows the state: it is more than the bare package.
        QImage drawn(device->Width(), device->Height(), QImage::Format_ARGB32_Premultiplied);
        device->setImage(&drawn);
        device->DrawImage(true, 0.0L);
        device->setImage(nullptr);
        EXPECT_NE(drawn, corvel::chipPackagePicture(c.model, true));

        for (TRCPort* pin : device->Port)
            pin->Node = nullptr;
    }
}

} // namespace

} // namespace chip_device_test
