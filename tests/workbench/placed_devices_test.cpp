// Devices made from their libraries, their pictures, the nodes of the chip's
// pins, and freeing all of it when the project closes.
#include <cmath>
#include <filesystem>

#include <QColor>
#include <QWidget>

#include <gtest/gtest.h>

#include "host_fixture.h"

namespace placed_devices_test {
namespace {

using twtest::LoadedLibrary;

using LiveDevices = int (*)();
using SetOutputLevel = void (*)(TDevice*, float);
using ReadInputLevel = float (*)(TDevice*);
using DriveChipPin = void (*)(TDevice*, int, float);

class PlacedDevicesTest : public testing::Test {
protected:
    void SetUp() override
    {
        twtest::EnsureApplication();
        parent = std::make_unique<QWidget>();
        window.parent = parent.get();
        chipPath = folder.place("devlib_chip", "mcu/chip.so");
        outputPath = folder.place("devlib_output", "output.quodev");
        inputPath = folder.place("devlib_input", "input.quodev");
        nullDevicePath = folder.place("devlib_null_device", "nothing.quodev");
        portlessPath = folder.place("devlib_version_result5", "portless.so");
        host = std::make_unique<TDeviceHost>();
        host->SetMainWindow(&window);
        twtest::Search(*host, folder);
        chip = twtest::InfoIndexOf(*host, "Test chips");
        output = twtest::InfoIndexOf(*host, "Test outputs");
        input = twtest::InfoIndexOf(*host, "Test inputs");
        nullDevice = twtest::InfoIndexOf(*host, "No device");
        portless = twtest::InfoIndexOf(*host, "Result five");
        ASSERT_TRUE(chip >= 0 && output >= 0 && input >= 0 && nullDevice >= 0 && portless >= 0);
    }

    void TearDown() override
    {
        host.reset();
    }

    // The chip as element 0 with one node per pin, the way a project starts.
    TDevice* StartProject()
    {
        TDevice* device = host->CreateDevice(chip, nullptr, 30, 50);
        EXPECT_NE(device, nullptr);
        EXPECT_TRUE(host->CreateNodesForDevice(0));
        return device;
    }

    // Joins a device's pin to a node, as the wiring dialog does.
    static void Wire(TRCPort* pin, TNode* node)
    {
        const std::int32_t length = node->Ports.length();
        node->Ports.resize(length + 1);
        node->Ports[length] = pin;
        pin->Node = node;
    }

    twtest::ProgramFolder folder;
    twtest::RecordingMainWindow window;
    std::unique_ptr<QWidget> parent;
    std::unique_ptr<TDeviceHost> host;
    QString chipPath, outputPath, inputPath, nullDevicePath, portlessPath;
    int chip = -1, output = -1, input = -1, nullDevice = -1, portless = -1;
};

TEST_F(PlacedDevicesTest, ANewDeviceGetsItsPictureAndIsDrawnAtRest)
{
    StartProject();
    TDevice* device = host->CreateDevice(output, nullptr, 200, 150);
    ASSERT_NE(device, nullptr);
    ASSERT_EQ(host->Devices().length(), 2);
    EXPECT_EQ(host->Devices()[1], device);
    EXPECT_EQ(device->HostHandle(), parent.get());

    const TDevicePicture* picture = host->Picture(1);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->Device, device);
    EXPECT_EQ(device->Image(), &picture->Image);
    EXPECT_EQ(picture->Tag, 1);
    EXPECT_EQ(picture->Position, QPoint(200, 150));
    EXPECT_EQ(picture->Image.size(), QSize(device->Width(), device->Height()));
    EXPECT_EQ(picture->Image.format(), QImage::Format_ARGB32_Premultiplied);
    // The output library paints its picture yellow at rest.
    EXPECT_EQ(QColor(picture->Image.pixel(23, 15)), QColor(Qt::yellow));
    // The chip library paints nothing: its picture stays transparent.
    EXPECT_EQ(qAlpha(host->Picture(0)->Image.pixel(0, 0)), 0);
    EXPECT_EQ(host->Picture(0)->Position, QPoint(30, 50));
    // Placing a device does not decide about the modified flag.
    EXPECT_FALSE(window.modified);
    EXPECT_TRUE(window.messages.isEmpty());
}

TEST_F(PlacedDevicesTest, TheLibraryIsLoadedOnceByItsFirstDevice)
{
    EXPECT_FALSE(host->InfoDevices()[std::size_t(output)]->evLoaded);
    ASSERT_NE(host->CreateDevice(output, nullptr, 0, 0), nullptr);
    const TDeviceLibraryInfo& info = *host->InfoDevices()[std::size_t(output)];
    EXPECT_TRUE(info.evLoaded);
    void* const handle = info.evLibHandle;
    EXPECT_NE(handle, nullptr);
    EXPECT_NE(info.What_is, nullptr);
    EXPECT_NE(info.Get_info_class, nullptr);

    TDevice* second = host->CreateDevice(output, nullptr, 0, 0);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, host->Devices()[0]);
    EXPECT_EQ(info.evLibHandle, handle);
    LoadedLibrary library(outputPath);
    EXPECT_EQ(library.hook<LiveDevices>("devlib_output_liveDevices")(), 2);
}

TEST_F(PlacedDevicesTest, PicturesAreTaggedWithTheirIndex)
{
    StartProject();
    for (int infoIndex : {output, input, output})
        ASSERT_NE(host->CreateDevice(infoIndex, nullptr, 0, 0), nullptr);
    ASSERT_EQ(host->Devices().length(), 4);
    for (std::int32_t index = 0; index < 4; ++index) {
        EXPECT_EQ(host->Picture(index)->Tag, index);
        EXPECT_EQ(host->Picture(index)->Device, host->Devices()[index]);
    }
    EXPECT_EQ(host->Picture(4), nullptr);
    EXPECT_EQ(host->Picture(-1), nullptr);
}

TEST_F(PlacedDevicesTest, OneNodePerChipPin)
{
    TDevice* device = StartProject();
    ASSERT_EQ(device->Port.length(), 8);
    ASSERT_EQ(host->Nodes().length(), 8);
    for (std::int32_t pin = 0; pin < 8; ++pin) {
        TNode* node = host->Nodes()[pin];
        ASSERT_EQ(node->Ports.length(), 1);
        EXPECT_EQ(node->Ports[0], device->Port[pin]);
        EXPECT_EQ(device->Port[pin]->Node, node);
        EXPECT_EQ(node->Ports[0]->PortName().view(), "P" + std::to_string(pin));
    }
}

TEST_F(PlacedDevicesTest, NodesForADeviceWithoutPinsOrOutsideTheList)
{
    StartProject();
    ASSERT_NE(host->CreateDevice(portless, nullptr, 0, 0), nullptr);
    ASSERT_NE(host->CreateDevice(output, nullptr, 0, 0), nullptr);
    EXPECT_TRUE(host->CreateNodesForDevice(1));
    EXPECT_EQ(host->Nodes().length(), 8);
    EXPECT_FALSE(host->CreateNodesForDevice(5));
    EXPECT_FALSE(host->CreateNodesForDevice(3));
    EXPECT_FALSE(host->CreateNodesForDevice(-1));
    EXPECT_EQ(host->Nodes().length(), 8);
}

// A peripheral wired to a chip pin's node drives it; another device on the
// same node reads the level through the node.
TEST_F(PlacedDevicesTest, AWiredPinDrivesItsNode)
{
    TDevice* chipDevice = StartProject();
    TDevice* out = host->CreateDevice(output, nullptr, 0, 0);
    TDevice* in = host->CreateDevice(input, nullptr, 0, 0);
    ASSERT_TRUE(out && in);
    TNode* node = host->Nodes()[3];
    Wire(out->Port[0], node);
    Wire(in->Port[0], node);

    LoadedLibrary outputLibrary(outputPath);
    LoadedLibrary inputLibrary(inputPath);
    LoadedLibrary chipLibrary(chipPath);
    const auto setLevel = outputLibrary.hook<SetOutputLevel>("devlib_output_setLevel");
    const auto readLevel = inputLibrary.hook<ReadInputLevel>("devlib_input_readLevel");
    const auto drive = chipLibrary.hook<DriveChipPin>("devlib_chip_drive");
    ASSERT_TRUE(setLevel && readLevel && drive);

    EXPECT_TRUE(std::isnan(readLevel(in))) << "nothing drives the node yet";
    setLevel(out, 5.0f);
    EXPECT_EQ(readLevel(in), 5.0f);
    EXPECT_EQ(node->GetLevel(), 5.0f);
    drive(chipDevice, 3, 0.0f);
    EXPECT_EQ(readLevel(in), 2.5f);
    drive(chipDevice, 2, 5.0f); // another pin's node
    EXPECT_EQ(readLevel(in), 2.5f);
    setLevel(out, NotDrivenLevel);
    EXPECT_EQ(readLevel(in), 0.0f);
}

TEST_F(PlacedDevicesTest, ADeviceThatCannotBeMadeLeavesTheListsAlone)
{
    StartProject();
    ASSERT_NE(host->CreateDevice(input, nullptr, 0, 0), nullptr);
    TDevice* const last = host->Devices()[1];

    // A library that answers with no device.
    EXPECT_EQ(host->CreateDevice(nullDevice, nullptr, 5, 5), nullptr);
    // A library whose file went away after start-up.
    std::filesystem::remove(outputPath.toStdString());
    EXPECT_EQ(host->CreateDevice(output, nullptr, 5, 5), nullptr);
    EXPECT_EQ(host->DeviceFileError(), dfeFileMissing);
    // A library replaced by something else after start-up is not even opened.
    folder.write("output.quodev", "replaced by text");
    EXPECT_EQ(host->CreateDevice(output, nullptr, 5, 5), nullptr);
    EXPECT_EQ(host->DeviceFileError(), dfeNotLoadable);
    EXPECT_FALSE(host->InfoDevices()[std::size_t(output)]->evLoaded);

    EXPECT_EQ(window.messages, QStringList(3, QStringLiteral("Error loading  dll or quodev file")));
    // An index outside the table (no microcontroller chosen) is the caller's
    // slip, not the user's: no message.
    EXPECT_EQ(host->CreateDevice(-1, nullptr, 0, 0), nullptr);
    EXPECT_EQ(host->CreateDevice(int(host->InfoDevices().size()), nullptr, 0, 0), nullptr);
    EXPECT_EQ(window.messages.size(), 3);

    ASSERT_EQ(host->Devices().length(), 2);
    EXPECT_EQ(host->Devices()[1], last);
    EXPECT_EQ(host->Picture(1)->Device, last);
    EXPECT_EQ(host->Picture(2), nullptr);
}

class RecordingWorkbench : public TDeviceWorkbench {
public:
    void ShowDevicePicture(TDevicePicture& picture) override
    {
        shown.push_back(&picture);
        picture.View = new QWidget(&window);
    }
    QWidget window;
    std::vector<TDevicePicture*> shown;
};

TEST_F(PlacedDevicesTest, ClosingTheProjectStopsTheEngineThenFreesEverything)
{
    RecordingWorkbench workbench;
    ASSERT_NE(host->CreateDevice(chip, &workbench, 30, 50), nullptr);
    ASSERT_TRUE(host->CreateNodesForDevice(0));
    TDevice* out = host->CreateDevice(output, &workbench, 0, 0);
    TDevice* in = host->CreateDevice(input, &workbench, 0, 0);
    ASSERT_TRUE(out && in);
    Wire(out->Port[0], host->Nodes()[0]);
    Wire(in->Port[0], host->Nodes()[0]);
    ASSERT_EQ(workbench.shown.size(), 3u);
    EXPECT_EQ(workbench.shown[1], host->Picture(1));
    const QPointer<QWidget> view = host->Picture(2)->View;
    host->ClickedImage = host->Picture(2);
    window.running = true;

    LoadedLibrary chipLibrary(chipPath);
    LoadedLibrary outputLibrary(outputPath);
    LoadedLibrary inputLibrary(inputPath);
    const auto liveChips = chipLibrary.hook<LiveDevices>("devlib_chip_liveDevices");
    const auto liveOutputs = outputLibrary.hook<LiveDevices>("devlib_output_liveDevices");
    const auto liveInputs = inputLibrary.hook<LiveDevices>("devlib_input_liveDevices");
    ASSERT_TRUE(liveChips && liveOutputs && liveInputs);

    // At the moment of the blocking stop nothing may be freed yet.
    int freedBeforeStop = -1;
    window.onStop = [&] {
        freedBeforeStop = 3 - liveChips() - liveOutputs() - liveInputs();
        EXPECT_EQ(host->Nodes().length(), 8);
        window.running = false;
    };
    host->ClearDevicesAndNodes();

    EXPECT_EQ(window.stops, 1);
    EXPECT_EQ(freedBeforeStop, 0);
    EXPECT_EQ(liveChips() + liveOutputs() + liveInputs(), 0);
    EXPECT_TRUE(host->Devices().empty());
    EXPECT_TRUE(host->Nodes().empty());
    EXPECT_EQ(host->Picture(0), nullptr);
    EXPECT_EQ(host->ClickedImage, nullptr);
    EXPECT_TRUE(view.isNull()) << "the picture's widget goes with it";

    // Nothing left: no second stop.
    host->ClearDevicesAndNodes();
    EXPECT_EQ(window.stops, 1);
}

TEST_F(PlacedDevicesTest, RemovingAPeripheralUnwiresItAndRetagsTheRest)
{
    StartProject();
    TDevice* first = host->CreateDevice(input, nullptr, 0, 0);
    TDevice* removed = host->CreateDevice(output, nullptr, 0, 0);
    TDevice* third = host->CreateDevice(input, nullptr, 0, 0);
    ASSERT_TRUE(first && removed && third);
    TNode* node = host->Nodes()[0];
    Wire(first->Port[0], node);
    Wire(removed->Port[0], node);
    Wire(third->Port[0], node);

    LoadedLibrary outputLibrary(outputPath);
    outputLibrary.hook<SetOutputLevel>("devlib_output_setLevel")(removed, 5.0f);
    ASSERT_EQ(node->GetLevel(), 5.0f);
    host->ClickedImage = host->Picture(2);

    // Not the chip, not outside the list, not while the engine runs.
    EXPECT_FALSE(host->RemoveDevice(0));
    EXPECT_FALSE(host->RemoveDevice(4));
    window.running = true;
    EXPECT_FALSE(host->RemoveDevice(2));
    EXPECT_EQ(window.stops, 0);
    window.running = false;

    ASSERT_TRUE(host->RemoveDevice(2));
    EXPECT_EQ(window.stops, 1);
    EXPECT_EQ(outputLibrary.hook<LiveDevices>("devlib_output_liveDevices")(), 0);
    EXPECT_EQ(host->ClickedImage, nullptr);
    ASSERT_EQ(host->Devices().length(), 3);
    EXPECT_EQ(host->Devices()[1], first);
    EXPECT_EQ(host->Devices()[2], third);
    for (std::int32_t index = 0; index < 3; ++index) {
        EXPECT_EQ(host->Picture(index)->Tag, index);
        EXPECT_EQ(host->Picture(index)->Device, host->Devices()[index]);
    }
    // The node keeps the chip pin and the two other inputs, in order, and is
    // no longer driven by the removed output.
    ASSERT_EQ(node->Ports.length(), 3);
    EXPECT_EQ(node->Ports[1], first->Port[0]);
    EXPECT_EQ(node->Ports[2], third->Port[0]);
    EXPECT_TRUE(std::isnan(node->GetLevel()));
}

TEST_F(PlacedDevicesTest, DevicesFromALibraryBeyond255BytesOfPath)
{
    std::string relative;
    for (int level = 0; level < 6; ++level)
        relative += std::string(50, char('k' + level)) + "/";
    const QString path = folder.place("devlib_output", relative + "far.quodev");
    // A host of its own: beside the output library found in SetUp it would
    // be dropped as a duplicate.
    TDeviceHost farHost;
    ASSERT_TRUE(farHost.ProbeDeviceFile(path));
    TDevice* device = farHost.CreateDevice(0, nullptr, 0, 0);
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(farHost.InfoDevices()[0]->evFileName.length, 255);
    EXPECT_TRUE(twtest::IsLoaded(path));
}

TEST_F(PlacedDevicesTest, TheHostFreesWhatIsLeftWhenItGoes)
{
    StartProject();
    ASSERT_NE(host->CreateDevice(output, nullptr, 0, 0), nullptr);
    LoadedLibrary outputLibrary(outputPath);
    LoadedLibrary chipLibrary(chipPath);
    host.reset();
    EXPECT_EQ(window.stops, 1);
    EXPECT_EQ(outputLibrary.hook<LiveDevices>("devlib_output_liveDevices")(), 0);
    EXPECT_EQ(chipLibrary.hook<LiveDevices>("devlib_chip_liveDevices")(), 0);
}

} // namespace

} // namespace placed_devices_test
