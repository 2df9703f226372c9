// A separately built device library, loaded as the host loads one: its device
// is read through the contract, its pins wired into nodes of ours, its picture
// painted into our QImage, and it is freed by its own destructor.
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>

#include <QImage>
#include <gtest/gtest.h>

#include "devices/contract.h"
#include "device_library.h"

namespace basic_library_test {
namespace {

using twtest::DeviceLibrary;
using twtest::devlibPath;

using CallbackCount = int (*)(TDevice*, int);
using LiveDevices = int (*)();

TWindowHandle hostWindow()
{
    return reinterpret_cast<TWindowHandle>(std::uintptr_t(0x5150));
}

class BasicLibrary : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(library.loaded()) << library.error();
        ASSERT_EQ(probeLibrary(library.entries(), info), TProbeOutcome::Accepted);
        library.bindInto(info);
        callbackCount = library.symbol<CallbackCount>("devlib_basic_callbackCount");
        liveDevices = library.symbol<LiveDevices>("devlib_basic_liveDevices");
        ASSERT_NE(callbackCount, nullptr);
        ASSERT_NE(liveDevices, nullptr);
        device = createLibraryDevice(info, hostWindow());
        ASSERT_NE(device, nullptr);
    }
    void TearDown() override { delete device; }

    DeviceLibrary library{devlibPath("devlib_basic")};
    TInfoDevice info;
    TDevice* device = nullptr;
    CallbackCount callbackCount = nullptr;
    LiveDevices liveDevices = nullptr;
};

TEST_F(BasicLibrary, DescriptionReachesTheHost)
{
    EXPECT_EQ(info.vType, 1);
    EXPECT_EQ(info.vSType.toStdString(), "Test probes");
    EXPECT_EQ(info.vSFamily.toStdString(), "BASIC");
    ASSERT_EQ(info.vSModel.length(), 2);
    EXPECT_EQ(info.vSModel[0].toStdString(), "Probe4");
    EXPECT_EQ(info.vSDisplayName.toStdString(), "Four-pin probe");
}

TEST_F(BasicLibrary, DeviceReadsThroughTheContract)
{
    EXPECT_EQ(device->DevType(), 1);
    EXPECT_EQ(device->RCType().toStdString(), "Test probes");
    EXPECT_EQ(device->RCFamily().toStdString(), "BASIC");
    EXPECT_EQ(device->RCModel().toStdString(), "Probe4");
    EXPECT_EQ(device->RCShowName().length, 0);
    EXPECT_EQ(device->Width(), 40);
    EXPECT_EQ(device->Height(), 30);
    EXPECT_EQ(device->HostHandle(), hostWindow());
    EXPECT_EQ(device->OrigHandle(), nullptr);
    EXPECT_EQ(device->Image(), nullptr);
    EXPECT_TRUE(device->AssignedBackClick());
    EXPECT_FALSE(device->AssignedBackMD());
    EXPECT_FALSE(device->AssignedBackMM());
    EXPECT_FALSE(device->AssignedBackMU());
    EXPECT_TRUE(device->AssignedBackDblClick());
    EXPECT_TRUE(device->AssignedShowSettings());
    ASSERT_EQ(device->LenSaveData(), 8);
    EXPECT_EQ(std::string(device->SaveData().begin(), device->SaveData().end()), "BASIC-01");

    struct Pin {
        const char* name;
        int direction;
        bool digital;
        float level;
    };
    const Pin expected[] = {
        {"OUT5", 3, true, 5.0f}, {"OUT0", 3, true, 0.0f}, {"IN", 1, true, 1.25f}, {"FLOAT", 2, false, NAN}};
    EXPECT_EQ(device->PortsCount(), 4);
    ASSERT_EQ(device->Port.length(), 4);
    for (std::int32_t i = 0; i < 4; ++i) {
        TRCPort* pin = device->Port[i];
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(pin->PortName().toStdString(), expected[i].name);
        EXPECT_EQ(pin->PortNo(), i);
        EXPECT_EQ(pin->Direction(), expected[i].direction);
        EXPECT_EQ(pin->Digital(), expected[i].digital);
        EXPECT_EQ(pin->Device, device);
        EXPECT_EQ(pin->Node, nullptr);
        EXPECT_EQ(pin->Level(), 0.0f);
        if (std::isnan(expected[i].level))
            EXPECT_EQ(std::bit_cast<std::uint32_t>(pin->GetLevel()), 0xFFC00000u);
        else
            EXPECT_EQ(pin->GetLevel(), expected[i].level);
    }
    // The default level is stored, but GetLevel asks the library.
    EXPECT_EQ(device->Port[3]->DefaultLevel(), 3.3f);
}

TEST_F(BasicLibrary, PinsWiredIntoHostNodes)
{
    TNode mixed;
    TNode floating;
    TNode inputOnly;
    const auto wire = [](TNode& node, std::initializer_list<TRCPort*> pins) {
        node.Ports.resize(std::int32_t(pins.size()));
        std::int32_t i = 0;
        for (TRCPort* pin : pins) {
            node.Ports[i++] = pin;
            pin->Node = &node;
        }
    };
    TRCPort* const* pins = device->Port.begin();
    wire(mixed, {pins[0], pins[2], pins[1]});
    wire(floating, {pins[3]});
    EXPECT_EQ(mixed.GetLevel(), 2.5f);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(floating.GetLevel()), 0xFFC00000u);
    EXPECT_EQ(device->Port[2]->Node, &mixed);

    wire(inputOnly, {pins[2]});
    EXPECT_EQ(std::bit_cast<std::uint32_t>(inputOnly.GetLevel()), 0xFFC00000u);
}

TEST_F(BasicLibrary, LibraryPaintsTheHostsPicture)
{
    QImage picture(device->Width(), device->Height(), QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    device->setImage(&picture);
    device->DrawImage(false, 0);
    EXPECT_EQ(picture.pixelColor(39, 29), QColor(Qt::blue));
    device->DrawImage(true, 0.25L);
    EXPECT_EQ(picture.pixelColor(0, 0), QColor(Qt::green));
    device->setImage(nullptr);
}

TEST_F(BasicLibrary, ActionsReachTheLibrary)
{
    device->Click();
    device->Click();
    device->DblClick();
    device->ShowSettings();
    EXPECT_EQ(callbackCount(device, 0), 2);
    EXPECT_EQ(callbackCount(device, 1), 1);
    EXPECT_EQ(callbackCount(device, 2), 1);
    // No mouse callbacks: forwarding them does nothing.
    device->MouseDown(mbLeft, ssLeft, 1, 1);
    device->MouseMove(ssLeft, 2, 2);
    device->MouseUp(mbLeft, 0, 2, 2);
}

TEST_F(BasicLibrary, HostRecordReplacesTheDevicesAndIsApplied)
{
    // As after reading a project: a record of the host's allocation, handed
    // over and then released by the library's destructor.
    TArrayChar record = TArrayChar::make(5);
    std::memcpy(record.begin(), "Zxxxx", 5);
    device->setSaveData(record);
    record.release();
    device->ApplySettings();
    EXPECT_EQ(callbackCount(device, 3), 1);
    EXPECT_EQ(std::string(device->SaveData().begin(), device->SaveData().end()), "ZxxxZ");
}

TEST_F(BasicLibrary, EachCallGivesANewDevice)
{
    TDevice* second = createLibraryDevice(info, hostWindow());
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, device);
    EXPECT_NE(second->InternalIndex, device->InternalIndex);
    EXPECT_EQ(liveDevices(), 2);
    delete second;
}

TEST_F(BasicLibrary, FreeingRunsTheLibrarysDestructor)
{
    EXPECT_EQ(liveDevices(), 1);
    TObject* object = device;
    device = nullptr;
    delete object;
    EXPECT_EQ(liveDevices(), 0);
}

} // namespace

} // namespace basic_library_test
