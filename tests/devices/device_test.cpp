// A device as its library builds it and as the host drives it: pins, saved
// settings, forwarding to the library's callbacks, and what freeing frees.
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "devices/contract.h"

namespace device_test {
namespace {

// What the callbacks below saw last.
struct Seen {
    TObject* sender = nullptr;
    std::string call;
    bool isRunning = false;
    long double runningTime = 0;
    int button = -1;
    int shift = -1;
    std::int32_t x = 0;
    std::int32_t y = 0;
} seen;

extern "C" void seeDraw(TObject* s, bool isRunning, long double t)
{
    seen = {s, "draw", isRunning, t};
}
extern "C" void seeClick(TObject* s) { seen = {s, "click"}; }
extern "C" void seeDblClick(TObject* s) { seen = {s, "dblclick"}; }
extern "C" void seeSettings(TObject* s) { seen = {s, "settings"}; }
extern "C" void seeApply(TObject* s) { seen = {s, "apply"}; }
extern "C" void seeDown(TObject* s, TMouseButton b, TShiftState sh, std::int32_t x, std::int32_t y)
{
    seen = {s, "down", false, 0, b, sh, x, y};
}
extern "C" void seeMove(TObject* s, TShiftState sh, std::int32_t x, std::int32_t y)
{
    seen = {s, "move", false, 0, -1, sh, x, y};
}
extern "C" void seeUp(TObject* s, TMouseButton b, TShiftState sh, std::int32_t x, std::int32_t y)
{
    seen = {s, "up", false, 0, b, sh, x, y};
}
extern "C" float sevenVolts(TObject*) { return 7.0f; }

TWindowHandle fakeHandle(std::uintptr_t value)
{
    return reinterpret_cast<TWindowHandle>(value);
}

TDevice* newDevice(std::int32_t ports, bool withCallbacks = true)
{
    return new TDevice(42, 120, 80, 5, TShortString::from("Type"), TShortString::from("Family"),
                       TShortString::from("Model"), ports, withCallbacks ? seeDraw : nullptr,
                       withCallbacks ? seeClick : nullptr, true, withCallbacks ? seeDown : nullptr, false,
                       withCallbacks ? seeMove : nullptr, true, withCallbacks ? seeUp : nullptr, false,
                       withCallbacks ? seeDblClick : nullptr, true, withCallbacks ? seeSettings : nullptr, false,
                       withCallbacks ? seeApply : nullptr, fakeHandle(0x1000), fakeHandle(0x2000));
}

TEST(Device, FreshDeviceHoldsWhatCreateWasGivenAndNothingElse)
{
    TDevice* device = newDevice(3);
    EXPECT_EQ(device->InternalIndex, 42);
    EXPECT_EQ(device->Width(), 120);
    EXPECT_EQ(device->Height(), 80);
    EXPECT_EQ(device->DevType(), 5);
    EXPECT_EQ(device->RCType().toStdString(), "Type");
    EXPECT_EQ(device->RCFamily().toStdString(), "Family");
    EXPECT_EQ(device->RCModel().toStdString(), "Model");
    EXPECT_EQ(device->RCShowName().length, 0);
    EXPECT_EQ(device->PortsCount(), 3);
    EXPECT_EQ(device->Port.length(), 0);
    EXPECT_EQ(device->SaveData().ref, nullptr);
    EXPECT_EQ(device->LenSaveData(), 0);
    EXPECT_EQ(device->Image(), nullptr);
    EXPECT_EQ(device->OrigHandle(), fakeHandle(0x1000));
    EXPECT_EQ(device->HostHandle(), fakeHandle(0x2000));
    EXPECT_EQ(device->x_img_XX, 0);
    EXPECT_EQ(device->x_img_YY, 0);
    EXPECT_TRUE(device->AssignedBackClick());
    EXPECT_FALSE(device->AssignedBackMD());
    EXPECT_TRUE(device->AssignedBackMM());
    EXPECT_FALSE(device->AssignedBackMU());
    EXPECT_TRUE(device->AssignedBackDblClick());
    EXPECT_FALSE(device->AssignedShowSettings());
    delete device;
}

TEST(Device, PinsAreNumberedInTheOrderAdded)
{
    TDevice* device = newDevice(2);
    TRCPort* first = device->AddPort(TShortString::from("RA0"), 3, true, 0.0f, sevenVolts);
    device->AddPort(TShortString::from("RA1"), 1, false, NotDrivenLevel, nullptr);
    device->AddPort(TShortString::from("RA2"), 2, true, 1.5f, sevenVolts);
    ASSERT_EQ(device->Port.length(), 3);
    EXPECT_EQ(device->Port[0], first);
    EXPECT_EQ(device->PortsCount(), 2); // AddPort leaves the created count alone
    const char* names[] = {"RA0", "RA1", "RA2"};
    for (std::int32_t i = 0; i < 3; ++i) {
        TRCPort* pin = device->Port[i];
        EXPECT_EQ(pin->PortNo(), i);
        EXPECT_EQ(pin->PortName().toStdString(), names[i]);
        EXPECT_EQ(pin->Device, device);
        EXPECT_EQ(pin->Node, nullptr);
        EXPECT_EQ(pin->Level(), 0.0f);
    }
    EXPECT_EQ(device->Port[1]->Direction(), 1);
    EXPECT_FALSE(device->Port[1]->Digital());
    EXPECT_EQ(std::bit_cast<std::uint32_t>(device->Port[1]->DefaultLevel()), 0xFFC00000u);
    EXPECT_EQ(device->Port[2]->DefaultLevel(), 1.5f);
    delete device;
}

TEST(Device, PinLevelIsTheCallbacksNotTheDefault)
{
    TRCPort pin(TShortString::from("A"), 3, true, 2.0f, sevenVolts, 0);
    EXPECT_EQ(pin.GetLevel(), 7.0f);
    EXPECT_EQ(pin.Level(), 0.0f);
}

TEST(Device, PinWithoutLevelCallbackIsNotDriven)
{
    TRCPort pin(TShortString::from("A"), 3, true, 2.0f, nullptr, 0);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(pin.GetLevel()), 0xFFC00000u);
}

TEST(Device, LenSaveDataGrowsWithZerosAndKeepsContent)
{
    TDevice* device = newDevice(0);
    device->setLenSaveData(23);
    ASSERT_EQ(device->LenSaveData(), 23);
    for (char c : device->SaveData())
        EXPECT_EQ(c, 0);
    std::memcpy(device->SaveData().begin(), "000100000000", 12);
    device->setLenSaveData(30);
    EXPECT_EQ(std::string(device->SaveData().begin(), 12), "000100000000");
    EXPECT_EQ(device->SaveData()[29], 0);
    device->setLenSaveData(4);
    EXPECT_EQ(std::string(device->SaveData().begin(), device->SaveData().end()), "0001");
    delete device;
}

TEST(Device, SaveDataWriteReplacesTheArray)
{
    TDevice* device = newDevice(0);
    device->setLenSaveData(23);
    TArrayChar record = TArrayChar::make(3);
    std::memcpy(record.begin(), "abc", 3);
    device->setSaveData(record);
    record.release(); // the device holds its own reference now
    EXPECT_EQ(device->LenSaveData(), 3);
    EXPECT_EQ(std::string(device->SaveData().begin(), device->SaveData().end()), "abc");
    delete device; // frees the record
}

// Pins that count their own destruction, put straight into Port.
int destroyedPins = 0;
class CountedPin : public TRCPort {
public:
    explicit CountedPin(std::int32_t number)
        : TRCPort(TShortString::from("P"), 3, true, 0.0f, nullptr, number)
    {
    }
    ~CountedPin() override { ++destroyedPins; }
};

TEST(Device, FreeingFreesExactlyThePinsHeld)
{
    struct Case {
        std::int32_t created; // PortsCount given to the constructor
        std::int32_t held;    // pins actually in Port
    };
    for (Case c : {Case{3, 3}, Case{4, 2}, Case{1, 5}, Case{2, 0}}) {
        destroyedPins = 0;
        TDevice* device = newDevice(c.created);
        device->Port.resize(c.held);
        for (std::int32_t i = 0; i < c.held; ++i)
            device->Port[i] = new CountedPin(i);
        delete static_cast<TObject*>(device);
        EXPECT_EQ(destroyedPins, c.held) << "created with " << c.created;
    }
}

TEST(Device, ForwardsEachActionWithItsArguments)
{
    TDevice* device = newDevice(0);
    TObject* self = device;
    const long double fine = 1.0L + 1.0L / (1ull << 62); // needs the 64-bit mantissa

    device->DrawImage(true, fine);
    EXPECT_EQ(seen.call, "draw");
    EXPECT_EQ(seen.sender, self);
    EXPECT_TRUE(seen.isRunning);
    EXPECT_EQ(seen.runningTime, fine);

    device->MouseDown(mbMiddle, ssCtrl | ssLeft, -3, 70000);
    EXPECT_EQ(seen.call, "down");
    EXPECT_EQ(seen.button, mbMiddle);
    EXPECT_EQ(seen.shift, ssCtrl | ssLeft);
    EXPECT_EQ(seen.x, -3);
    EXPECT_EQ(seen.y, 70000);

    device->MouseMove(ssShift | ssHorizontal, 12, 13);
    EXPECT_EQ(seen.call, "move");
    EXPECT_EQ(seen.shift, ssShift | ssHorizontal);
    EXPECT_EQ(seen.x, 12);
    EXPECT_EQ(seen.y, 13);

    device->MouseUp(mbRight, ssRight, 5, 6);
    EXPECT_EQ(seen.call, "up");
    EXPECT_EQ(seen.button, mbRight);
    EXPECT_EQ(seen.x, 5);

    const std::pair<void (TDevice::*)(), const char*> plain[] = {
        {&TDevice::Click, "click"},
        {&TDevice::DblClick, "dblclick"},
        {&TDevice::ShowSettings, "settings"},
        {&TDevice::ApplySettings, "apply"},
    };
    for (const auto& [method, call] : plain) {
        seen = {};
        (device->*method)();
        EXPECT_EQ(seen.call, call);
        EXPECT_EQ(seen.sender, self);
    }
    delete device;
}

TEST(Device, MissingCallbacksDoNothing)
{
    TDevice* device = newDevice(0, false);
    seen = {};
    device->DrawImage(false, 0);
    device->Click();
    device->DblClick();
    device->ShowSettings();
    device->ApplySettings();
    device->MouseDown(mbLeft, 0, 1, 1);
    device->MouseMove(0, 1, 1);
    device->MouseUp(mbLeft, 0, 1, 1);
    EXPECT_EQ(seen.call, "");
    delete device;
}

} // namespace

} // namespace device_test
