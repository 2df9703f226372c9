// Binding corvel's entry points: a complete library is bound and its model
// selected; a library that lacks an entry point, or cannot be loaded, is
// refused with a message and the previous bind stays in force.
#include <filesystem>

#include <QAction>

#include <gtest/gtest.h>

#include "ide/main/main_form.h"
#include "ide/main/simulator_binding.h"
#include "ide/texts/texts.h"
#include "ide_fixture.h"

namespace simulator_binding_test {
namespace {

namespace fs = std::filesystem;

const char CompleteFamily[] = "TESTSIM";

// The entry points that are not bound.
QStringList UnboundEntries()
{
    QStringList unbound;
#define TW_TEST_UNBOUND(name, result, parameters)                                                              \
    if (!DllMCEntries.name)                                                                                    \
        unbound << #name;
    TW_DLLMC_ENTRIES(TW_TEST_UNBOUND)
#undef TW_TEST_UNBOUND
    return unbound;
}

struct RateParameters {
    std::uint8_t realTime = 9, stepByStep = 9, delay = 9;
    std::int32_t delayMs = -1;
    double factor = -1;
    bool operator==(const RateParameters&) const = default;
};

RateParameters BoundRate()
{
    RateParameters rate;
    DllMCEntries.Get_RT_parametrs(&rate.realTime, &rate.stepByStep, &rate.delay, &rate.delayMs, &rate.factor);
    return rate;
}

const RateParameters RealTimeParameters{1, 0, 0, 1000, 1.0};
const RateParameters UltimateParameters{0, 0, 0, 1000, 1.0};

class SimulatorBindingTest : public testing::Test {
protected:
    SimulatorBindingTest()
    {
        complete = program.place("devlib_simulator", "simulator.so");
        withoutPc = program.place("devlib_simulator_no_get_pc", "no_pc.so");
        withoutStop = program.place("devlib_simulator_no_stop", "no_stop.so");
        host.SearchDeviceFiles([](const QString&) {}, program.path(""));
    }

    // Chooses the library of family and model for the next bind.
    void Choose(const char* family, std::int32_t model)
    {
        host.MCUInfoIndex = twtest::InfoIndexOfFamily(host, family);
        ASSERT_GE(host.MCUInfoIndex, 0) << family;
        host.MCUModelIndex = model;
    }

    int SelectedModel() const
    {
        twtest::LoadedLibrary library(complete);
        auto selected = library.hook<int (*)()>("devlib_simulator_selectedModel");
        return selected ? selected() : -2;
    }

    twtest::ApplicationReady application;
    twtest::ProgramFolder program;
    QString complete, withoutPc, withoutStop;
    TDeviceHost host;
    twtest::CapturedMessages messages;
};

TEST_F(SimulatorBindingTest, NothingIsBoundBeforeTheFirstBindAndStoppingDoesNothing)
{
    TMainForm form(host);
    EXPECT_FALSE(MCULibLoaded);
    EXPECT_EQ(UnboundEntries(), DllMCEntryNames());
    StopSimulation();
    form.StopSimulationAndWait();
    EXPECT_FALSE(form.SimulationRunning());
}

TEST_F(SimulatorBindingTest, ACompleteLibraryIsBoundWithRealTimeAndTheChosenModel)
{
    TMainForm form(host);
    Choose(CompleteFamily, 2);
    ASSERT_TRUE(form.LoadDllMC());
    EXPECT_TRUE(messages.texts.isEmpty());
    EXPECT_TRUE(MCULibLoaded);
    EXPECT_EQ(UnboundEntries(), QStringList());
    EXPECT_EQ(DllMCEntryNames().size(), 68);
    EXPECT_EQ(SelectedModel(), 2);
    EXPECT_EQ(BoundRate(), RealTimeParameters);
    EXPECT_EQ(DllMCEntries.Get_ROM_Size(), 512);

    // Whatever rate the previous project used, a bind selects Real Time.
    form.ActionRateUL->trigger();
    EXPECT_EQ(BoundRate(), UltimateParameters);
    EXPECT_TRUE(form.ActionRateUL->isChecked());
    Choose(CompleteFamily, 1);
    ASSERT_TRUE(form.LoadDllMC());
    EXPECT_TRUE(form.ActionRateRT->isChecked());
    EXPECT_FALSE(form.ActionRateUL->isChecked());
    EXPECT_EQ(BoundRate(), RealTimeParameters);
    EXPECT_EQ(SelectedModel(), 1);
}

TEST_F(SimulatorBindingTest, ARateChangeKeepsARunsPauseState)
{
    TMainForm form(host);
    Choose(CompleteFamily, 0);
    ASSERT_TRUE(form.LoadDllMC());
    for (const std::uint8_t paused : {0, 1}) {
        DllMCEntries.Set_rtPause(paused);
        form.SetSimulationRate(5);
        EXPECT_EQ(DllMCEntries.Get_rtPause(), paused);
        EXPECT_EQ(BoundRate(), (RateParameters{0, 0, 1, 10, 1.0}));
        EXPECT_TRUE(form.ActionRateVF->isChecked());
    }
    // A code outside the table is Ultimate.
    form.SetSimulationRate(77);
    EXPECT_EQ(BoundRate(), UltimateParameters);
    EXPECT_TRUE(form.ActionRateUL->isChecked());
}

TEST_F(SimulatorBindingTest, ALibraryLackingAnEntryPointIsRefused)
{
    const struct {
        const char* family;
        const QString& path;
        const char* lacking;
    } cases[] = {
        {"TESTSIM-NO-PC", withoutPc, "Get_PC"},
        {"TESTSIM-NO-STOP", withoutStop, "Stop_and_wait"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lacking);
        messages.texts.clear();
        {
            TMainForm form(host);
            Choose(c.family, 0);
            EXPECT_FALSE(form.LoadDllMC());
            EXPECT_FALSE(MCULibLoaded);
            EXPECT_EQ(UnboundEntries(), DllMCEntryNames());
            EXPECT_EQ(form.MCLibHandle, nullptr);
            EXPECT_FALSE(twtest::IsLoaded(c.path));
            ASSERT_EQ(messages.texts.size(), 1);
            EXPECT_EQ(messages.texts[0], GetText(1010) + " " + c.path + "\n" + c.lacking);

            // With a bind in force, a refused library leaves it as it was.
            Choose(CompleteFamily, 0);
            ASSERT_TRUE(form.LoadDllMC());
            void* const handle = form.MCLibHandle;
            Choose(c.family, 0);
            EXPECT_FALSE(form.LoadDllMC());
            EXPECT_TRUE(MCULibLoaded);
            EXPECT_EQ(form.MCLibHandle, handle);
            EXPECT_EQ(UnboundEntries(), QStringList());
            EXPECT_EQ(DllMCEntries.Get_ROM_Size(), 512);
        }
        EXPECT_FALSE(twtest::IsLoaded(complete));
    }
}

TEST_F(SimulatorBindingTest, ALibraryFileThatIsGoneIsRefusedAndTheBindStays)
{
    TMainForm form(host);
    Choose(CompleteFamily, 0);
    ASSERT_TRUE(form.LoadDllMC());
    fs::remove(withoutPc.toStdString());
    Choose("TESTSIM-NO-PC", 0);
    EXPECT_FALSE(form.LoadDllMC());
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].startsWith(GetText(1010) + " " + withoutPc + "\n"));
    EXPECT_TRUE(messages.texts[0].contains("No such file")) << messages.texts[0].toStdString();
    EXPECT_TRUE(MCULibLoaded);
    EXPECT_EQ(DllMCEntries.Get_ROM_Size(), 512);
}

TEST_F(SimulatorBindingTest, AChoiceOutsideTheLibrariesOrTheirModelsIsRefused)
{
    const int complete = twtest::InfoIndexOfFamily(host, CompleteFamily);
    const struct {
        std::int32_t info, model;
    } cases[] = {{-1, 0}, {int(host.InfoDevices().size()), 0}, {complete, -1}, {complete, 3}};
    for (const auto& c : cases) {
        messages.texts.clear();
        TMainForm form(host);
        host.MCUInfoIndex = c.info;
        host.MCUModelIndex = c.model;
        EXPECT_FALSE(form.LoadDllMC());
        EXPECT_EQ(messages.texts, QStringList({GetText(2010)}));
        EXPECT_FALSE(MCULibLoaded);
    }
}

TEST_F(SimulatorBindingTest, RebindingTheSameLibraryKeepsItLoadedOnceAndShutdownFreesIt)
{
    {
        TMainForm form(host);
        Choose(CompleteFamily, 0);
        for (int bind = 0; bind < 3; ++bind)
            ASSERT_TRUE(form.LoadDllMC());
        EXPECT_TRUE(twtest::IsLoaded(complete));
    }
    EXPECT_FALSE(MCULibLoaded);
    EXPECT_EQ(UnboundEntries(), DllMCEntryNames());
    EXPECT_FALSE(twtest::IsLoaded(complete));
}

} // namespace

} // namespace simulator_binding_test
