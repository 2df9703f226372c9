// The main window against the real corvel.so: binding all of its simulator
// entry points, and closing the window during a run of its engine. Until
// corvel exports the whole interface these tests say what it lacks and skip.
#include <filesystem>
#include <set>
#include <thread>

#include <gtest/gtest.h>

#include "ide/main/main_form.h"
#include "ide/main/simulator_binding.h"
#include "ide/workbench/shared_library.h"
#include "ide_fixture.h"

namespace corvel_binding_test {
namespace {

namespace fs = std::filesystem;

QString CorvelPath()
{
    return QString::fromStdString((twtest::binDir() / "corvel.so").string());
}

// The simulator entry points corvel.so does not export.
QStringList MissingInCorvel()
{
    void* handle = LoadSharedLibrary(CorvelPath());
    if (!handle)
        return DllMCEntryNames();
    QStringList missing;
    BindDllMCEntries(handle, &missing);
    UnloadSharedLibrary(handle);
    return missing;
}

// The threads of the process. A sanitizer may start a helper thread of its
// own with the first thread a process creates; one thread started and
// joined first lets that happen before anything is counted.
std::set<std::string> ThreadIds()
{
    static const bool helpersStarted = [] {
        std::thread([] {}).join();
        return true;
    }();
    (void)helpersStarted;
    std::set<std::string> ids;
    for (const auto& entry : fs::directory_iterator("/proc/self/task"))
        ids.insert(entry.path().filename().string());
    return ids;
}

class CorvelBindingTest : public testing::Test {
protected:
    void SetUp() override
    {
        const QStringList missing = MissingInCorvel();
        if (!missing.isEmpty())
            GTEST_SKIP() << "corvel.so does not export " << missing.size() << " of the "
                         << DllMCEntryNames().size() << " simulator entry points yet, among them "
                         << missing.mid(0, 5).join(", ").toStdString();
        host.SearchDeviceFiles([](const QString&) {}, QString::fromStdString(twtest::binDir().string()));
        ASSERT_EQ(host.InfoDevices().size(), 1u);
        host.MCUInfoIndex = 0;
        host.MCUModelIndex = 0;
    }

    twtest::ApplicationReady application;
    twtest::CapturedMessages messages;
    TDeviceHost host;
};

TEST_F(CorvelBindingTest, EveryEntryPointIsBoundAndTheModelSelected)
{
    TMainForm form(host);
    ASSERT_TRUE(form.LoadDllMC());
    EXPECT_TRUE(MCULibLoaded);
    EXPECT_EQ(std::u16string(DllMCEntries.Get_family_mc()), u"Microchip PIC Baseline");
    EXPECT_EQ(DllMCEntries.Get_SystemCommandCounter(), 33);
    EXPECT_GT(DllMCEntries.Get_ROM_Size(), 0);
    EXPECT_GT(DllMCEntries.Get_PC_Len(), 0);
    std::uint8_t realTime = 0, stepByStep = 9, delay = 9;
    std::int32_t delayMs = 0;
    double factor = 0;
    DllMCEntries.Get_RT_parametrs(&realTime, &stepByStep, &delay, &delayMs, &factor);
    EXPECT_EQ(realTime, 1);
    EXPECT_EQ(stepByStep, 0);
    EXPECT_EQ(delay, 0);
    EXPECT_EQ(delayMs, 1000);
    EXPECT_EQ(factor, 1.0);
    EXPECT_TRUE(messages.texts.isEmpty());
}

TEST_F(CorvelBindingTest, ClosingDuringARunLeavesNoThread)
{
    std::set<std::string> runThreads;
    {
        TMainForm form(host);
        ASSERT_TRUE(form.LoadDllMC());
        ASSERT_NE(host.CreateDevice(host.MCUInfoIndex, nullptr, 30, 50), nullptr);
        ASSERT_TRUE(host.CreateNodesForDevice(0));

        // Very Slow: the empty program would otherwise run past the end of
        // memory within a millisecond, before the test looks at it.
        DllMCEntries.Set_RT_parametrs(0, 0, 1, 2000, 1.0);
        const std::set<std::string> before = ThreadIds();
        DllMCEntries.Calculate_CuclPerCycMK(StopSimulation);
        EXPECT_TRUE(form.SimulationRunning());
        for (const std::string& id : ThreadIds())
            if (!before.count(id))
                runThreads.insert(id);
        EXPECT_FALSE(runThreads.empty());

        EXPECT_TRUE(form.close());
        EXPECT_EQ(DllMCEntries.Get_rtRunning(), 0);
        EXPECT_TRUE(host.Devices().empty());
        for (const std::string& id : runThreads)
            EXPECT_FALSE(fs::exists("/proc/self/task/" + id)) << "thread " << id << " is still there";
    }
    EXPECT_FALSE(MCULibLoaded);
    EXPECT_TRUE(messages.texts.isEmpty());
}

} // namespace

} // namespace corvel_binding_test
