// Closing the main window while a run is active: the run is stopped and its
// thread joined, the devices and nodes are freed, and corvel is unloaded
// last, with no thread left in it.
#include <chrono>
#include <filesystem>
#include <thread>

#include <gtest/gtest.h>

#include "ide/main/main_form.h"
#include "ide/main/simulator_binding.h"
#include "ide_fixture.h"

namespace shutdown_test {
namespace {

namespace fs = std::filesystem;

// Waits, without a time limit of its own, until condition holds; ctest's
// timeout ends a test whose condition never comes.
template <typename Condition>
void AwaitCondition(Condition condition)
{
    while (!condition())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

class StubRun {
public:
    explicit StubRun(const QString& path)
        : library_(path)
    {
    }
    int liveThreads() const { return library_.hook<int (*)()>("devlib_simulator_liveThreads")(); }
    bool unjoinedThread() const { return library_.hook<bool (*)()>("devlib_simulator_unjoinedThread")(); }
    void runPastEnd() const { library_.hook<void (*)()>("devlib_simulator_runPastEnd")(); }

private:
    twtest::LoadedLibrary library_;
};

class ShutdownTest : public testing::Test {
protected:
    ShutdownTest()
    {
        simulator = program.place("devlib_simulator", "simulator.so");
        host.SearchDeviceFiles([](const QString&) {}, program.path(""));
        host.MCUInfoIndex = 0;
        host.MCUModelIndex = 0;
    }

    twtest::ApplicationReady application;
    twtest::ProgramFolder program;
    QString simulator;
    TDeviceHost host;
    twtest::CapturedMessages messages;
};

TEST_F(ShutdownTest, ClosingDuringARunStopsAndJoinsItFreesTheDevicesAndUnloadsTheLibraryLast)
{
    for (const bool devicesPlaced : {false, true}) {
        SCOPED_TRACE(devicesPlaced ? "with the chip placed" : "with nothing placed");
        {
            TMainForm form(host);
            form.show();
            ASSERT_TRUE(form.LoadDllMC());
            StubRun run(simulator);
            if (devicesPlaced) {
                ASSERT_NE(host.CreateDevice(host.MCUInfoIndex, nullptr, 30, 50), nullptr);
                ASSERT_TRUE(host.CreateNodesForDevice(0));
            }

            DllMCEntries.Calculate_CuclPerCycMK(StopSimulation);
            EXPECT_TRUE(form.SimulationRunning());
            EXPECT_EQ(run.liveThreads(), 1);

            EXPECT_TRUE(form.close());
            EXPECT_FALSE(WindowAlive);
            EXPECT_EQ(DllMCEntries.Get_rtRunning(), 0);
            EXPECT_EQ(run.liveThreads(), 0);
            EXPECT_FALSE(run.unjoinedThread());
            EXPECT_TRUE(host.Devices().empty());
            EXPECT_TRUE(host.Nodes().empty());
        }
        EXPECT_FALSE(MCULibLoaded);
        EXPECT_TRUE(messages.texts.isEmpty());
    }
}

TEST_F(ShutdownTest, TheEnginesOwnStopEndsTheRunWithoutWaiting)
{
    TMainForm form(host);
    ASSERT_TRUE(form.LoadDllMC());
    StubRun run(simulator);
    DllMCEntries.Calculate_CuclPerCycMK(StopSimulation);
    run.runPastEnd();
    // The stub's thread calls StopSimulation on itself; a stop routine that
    // waited for the thread would never return.
    AwaitCondition([&] { return run.liveThreads() == 0; });
    EXPECT_EQ(DllMCEntries.Get_rtRunning(), 0);
    EXPECT_TRUE(run.unjoinedThread());
    EXPECT_TRUE(form.close());
    EXPECT_FALSE(run.unjoinedThread());
}

TEST_F(ShutdownTest, DestroyingTheWindowWithoutClosingItStillEndsTheRunBeforeUnloading)
{
    {
        TMainForm form(host);
        ASSERT_TRUE(form.LoadDllMC());
        DllMCEntries.Calculate_CuclPerCycMK(StopSimulation);
        EXPECT_TRUE(twtest::IsLoaded(simulator));
    }
    // Unloading the stub with its thread unjoined would have ended the process.
    EXPECT_FALSE(twtest::IsLoaded(simulator));
}

} // namespace

} // namespace shutdown_test
