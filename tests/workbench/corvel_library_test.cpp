// corvel found in the program's own folder like any device library, and its
// chip device placed with one node per pin.
#include <gtest/gtest.h>

#include "host_fixture.h"
#include "ide/texts/texts.h"
#include "ide/workbench/library_file.h"

namespace corvel_library_test {
namespace {

QString ProgramFolder()
{
    return QString::fromStdString(twtest::binDir().string());
}

QString CorvelPath()
{
    return QString::fromStdString((twtest::binDir() / "corvel.so").string());
}

// corvel gains its description and device exports in its own branch; until
// then these tests have nothing to check.
bool CorvelIsADeviceLibrary()
{
    return InspectLibraryFile(CorvelPath()) == TLibraryFileKind::DeviceLibrary;
}

TEST(CorvelLibraryTest, TheProgramFolderHoldsCorvelAsItsOnlyLibrary)
{
    TDeviceHost host;
    QStringList log;
    host.SearchDeviceFiles([&](const QString& line) { log << line; }, ProgramFolder());
    const QString result = CorvelIsADeviceLibrary() ? QStringLiteral("[Ok]") : QStringLiteral("[ER4]");
    EXPECT_EQ(log, QStringList({GetText(2002), GetText(2003), "[Loading]" + CorvelPath(), result + CorvelPath()}));
    if (!CorvelIsADeviceLibrary())
        GTEST_SKIP() << "corvel.so does not export Get_info_class and Get_Device_class yet";

    ASSERT_EQ(host.InfoDevices().size(), 1u);
    const TDeviceLibraryInfo& info = *host.InfoDevices()[0];
    EXPECT_EQ(info.vType, 0);
    EXPECT_EQ(info.vSType.view(), "Microchip PIC");
    EXPECT_EQ(info.vSFamily.view(), "BASELINE");
    EXPECT_GT(info.vSModel.length(), 0);
    EXPECT_EQ(info.vIcon, nullptr);
}

TEST(CorvelLibraryTest, ItsChipDeviceGetsOneNodePerPin)
{
    if (!CorvelIsADeviceLibrary())
        GTEST_SKIP() << "corvel.so does not export Get_info_class and Get_Device_class yet";
    twtest::EnsureApplication();
    twtest::RecordingMainWindow window;
    {
        TDeviceHost host;
        host.SetMainWindow(&window);
        host.SearchDeviceFiles([](const QString&) {}, ProgramFolder());
        ASSERT_EQ(host.InfoDevices().size(), 1u);
        host.MCUInfoIndex = 0;
        TDevice* chip = host.CreateDevice(host.MCUInfoIndex, nullptr, 30, 50);
        ASSERT_NE(chip, nullptr);
        EXPECT_EQ(chip->DevType(), 0);
        ASSERT_TRUE(host.CreateNodesForDevice(0));
        ASSERT_GT(chip->Port.length(), 0);
        ASSERT_EQ(host.Nodes().length(), chip->Port.length());
        for (std::int32_t pin = 0; pin < chip->Port.length(); ++pin) {
            ASSERT_EQ(host.Nodes()[pin]->Ports.length(), 1);
            EXPECT_EQ(host.Nodes()[pin]->Ports[0], chip->Port[pin]);
            EXPECT_EQ(chip->Port[pin]->Node, host.Nodes()[pin]);
            EXPECT_GT(chip->Port[pin]->PortName().length, 0);
        }
        EXPECT_EQ(host.Picture(0)->Image.size(), QSize(chip->Width(), chip->Height()));
        host.ClearDevicesAndNodes();
        EXPECT_EQ(window.stops, 1);
        EXPECT_TRUE(host.Devices().empty());
    }
    EXPECT_TRUE(window.messages.isEmpty());
}

} // namespace

} // namespace corvel_library_test
