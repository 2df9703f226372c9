// A project of the chip and two wired test devices described, written, read
// and placed again through the device host: the same devices, positions,
// settings and wiring come back.
#include <gtest/gtest.h>

#include "ide/files/project_devices.h"
#include "ide/files/project_file.h"
#include "qt_printers.h"
#include "workbench/host_fixture.h"

namespace project_devices_test {
namespace {

class ProjectDevicesTest : public testing::Test {
protected:
    void SetUp() override
    {
        twtest::EnsureApplication();
        folder.place("devlib_basic", "devices/basic.quodev");
        std::filesystem::copy_file(twtest::binDir() / "corvel.so", folder.root() / "corvel.so");
        host.SetMainWindow(&window);
        twtest::Search(host, folder);
        ASSERT_EQ(host.InfoDevices().size(), 2u);
    }
    void TearDown() override
    {
        host.ClearDevicesAndNodes();
        EXPECT_TRUE(window.messages.isEmpty()) << window.messages.join('\n').toStdString();
    }

    // The chip at (x, y) with its nodes, as a loader places it.
    TDevice* placeChip(const TProjectDevice& record)
    {
        const TChipLibrary chip = FindChipLibrary(host, record);
        if (chip.infoIndex < 0)
            return nullptr;
        TDevice* device = host.CreateDevice(chip.infoIndex, nullptr, record.x, record.y);
        if (!device)
            return nullptr;
        ApplyRecordSettings(*device, record.saveData);
        host.CreateNodesForDevice(0);
        return device;
    }

    twtest::ProgramFolder folder;
    twtest::RecordingMainWindow window;
    TDeviceHost host;
};

TEST_F(ProjectDevicesTest, SavedClosedAndReopenedGivesTheSameDevicesSettingsAndWiring)
{
    TProjectDevice chipRecord;
    chipRecord.family = "BASELINE";
    chipRecord.model = "PIC16F59";
    chipRecord.x = 30;
    chipRecord.y = 50;
    chipRecord.saveData = "00000000000000040000000";
    // Corvel lists its models in one family; the search found it.
    ASSERT_GE(FindChipLibrary(host, chipRecord).infoIndex, 0);

    // corvel makes the chip of the model selected last; the test keeps the
    // library's default and takes that device's own model name.
    TDevice* chip = placeChip(chipRecord);
    ASSERT_NE(chip, nullptr);
    chipRecord.model = QByteArray(chip->RCModel().chars, chip->RCModel().length);

    TProjectDevice probeRecord;
    probeRecord.kind = 1;
    probeRecord.type = "Test probes";
    probeRecord.family = "BASIC";
    probeRecord.model = "Probe4";
    const std::int32_t probeLibrary = FindPeripheralLibrary(host, probeRecord);
    ASSERT_GE(probeLibrary, 0);
    TDevice* first = host.CreateDevice(probeLibrary, nullptr, 200, 40);
    TDevice* second = host.CreateDevice(probeLibrary, nullptr, -5, 300);
    ASSERT_TRUE(first && second);
    ApplyRecordSettings(*first, "first A");
    ApplyRecordSettings(*second, "2nd settings 2");
    const TNodes& nodes = host.Nodes();
    ASSERT_GE(nodes.length(), 3);
    WireDevicePorts(*first, {QByteArray(nodes[0]->Ports[0]->PortName().view().data(),
                                 nodes[0]->Ports[0]->PortName().length),
                                std::nullopt, QByteArray(nodes[2]->Ports[0]->PortName().view().data(),
                                                  nodes[2]->Ports[0]->PortName().length)},
        nodes);
    WireDevicePorts(*second, {std::nullopt, QByteArray(nodes[0]->Ports[0]->PortName().view().data(),
                                                nodes[0]->Ports[0]->PortName().length)},
        nodes);
    ASSERT_EQ(nodes[0]->Ports.length(), 3);
    ASSERT_EQ(first->Port[0]->Node, nodes[0]);
    ASSERT_EQ(second->Port[1]->Node, nodes[0]);

    const TProjectDescription saved = DescribeProject("Метка:\r\n\tNOP", host);
    ASSERT_EQ(saved.devices.size(), 3u);
    EXPECT_EQ(saved.devices[0].model, chipRecord.model);
    EXPECT_EQ(saved.devices[0].x, 30);
    EXPECT_TRUE(saved.devices[0].ports.empty());
    EXPECT_EQ(saved.devices[1].saveData, "first f");
    EXPECT_EQ(saved.devices[1].ports.size(), 4u);
    EXPECT_EQ(saved.devices[2].y, 300);
    EXPECT_EQ(saved.devices[2].ports[1], saved.devices[1].ports[0]);
    EXPECT_FALSE(saved.devices[2].ports[0]);

    const QByteArray file = EncodeProject(saved);
    host.ClearDevicesAndNodes();
    ASSERT_EQ(host.Devices().length(), 0);

    const TProjectReadResult read = DecodeProject(file, [&](const TProjectDevice& record) {
        return FindPeripheralLibrary(host, record) >= 0 ? std::optional<std::int32_t>(4) : std::nullopt;
    });
    ASSERT_TRUE(read.ok());
    ASSERT_NE(placeChip(read.project.devices[0]), nullptr);
    for (std::size_t index = 1; index < read.project.devices.size(); ++index) {
        const TProjectDevice& record = read.project.devices[index];
        TDevice* device = host.CreateDevice(FindPeripheralLibrary(host, record), nullptr, record.x, record.y);
        ASSERT_NE(device, nullptr);
        ApplyRecordSettings(*device, record.saveData);
        WireDevicePorts(*device, record.ports, host.Nodes());
    }
    EXPECT_EQ(DescribeProject(read.project.source, host), saved);
    EXPECT_EQ(host.Nodes()[0]->Ports.length(), 3);
}

TEST_F(ProjectDevicesTest, LibrariesMatchByExactTextsOnly)
{
    TProjectDevice record;
    record.kind = 1;
    record.type = "Test probes";
    record.family = "BASIC";
    record.model = "Probe4 ü";
    EXPECT_GE(FindPeripheralLibrary(host, record), 0);
    for (auto change : std::vector<std::function<void(TProjectDevice&)>>{
             [](TProjectDevice& r) { r.kind = 2; }, [](TProjectDevice& r) { r.type = "test probes"; },
             [](TProjectDevice& r) { r.family = "BASIC "; }, [](TProjectDevice& r) { r.model = "PROBE4"; }}) {
        TProjectDevice changed = record;
        change(changed);
        EXPECT_EQ(FindPeripheralLibrary(host, changed), -1);
    }

    TProjectDevice chip;
    chip.family = "BASELINE";
    chip.model = "PIC16F54";
    chip.kind = 7; // kind and type play no part for the chip
    const TChipLibrary found = FindChipLibrary(host, chip);
    ASSERT_GE(found.infoIndex, 0);
    EXPECT_EQ(found.modelIndex, 13);
    chip.model = "pic16f54";
    EXPECT_EQ(FindChipLibrary(host, chip).infoIndex, -1);
}

TEST_F(ProjectDevicesTest, PortsNamingNoNodeStayUnconnected)
{
    TProjectDevice chipRecord;
    chipRecord.family = "BASELINE";
    chipRecord.model = "PIC12F508";
    chipRecord.saveData = "00000000000000040000000";
    ASSERT_NE(placeChip(chipRecord), nullptr);
    TProjectDevice probeRecord{1, "Test probes", "BASIC", "Probe4", 0, 0, {}, {}};
    TDevice* probe = host.CreateDevice(FindPeripheralLibrary(host, probeRecord), nullptr, 0, 0);
    ASSERT_NE(probe, nullptr);
    const std::int32_t before = host.Nodes()[0]->Ports.length();
    WireDevicePorts(*probe, {QByteArray("NO SUCH PIN"), QByteArray(""), std::nullopt, QByteArray("x"),
                                QByteArray("beyond the pins")},
        host.Nodes());
    for (TRCPort* pin : probe->Port)
        EXPECT_EQ(pin->Node, nullptr);
    EXPECT_EQ(host.Nodes()[0]->Ports.length(), before);
}

} // namespace

} // namespace project_devices_test
