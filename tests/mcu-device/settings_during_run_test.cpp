// The chip device's settings applied while the engine runs: configuration
// bits reach the simulation thread, and a power-on reset the settings ask
// for never touches the registers under it.
#include <atomic>
#include <chrono>
#include <list>
#include <random>
#include <string>
#include <thread>

#include <QApplication>
#include <QComboBox>
#include <QPushButton>

#include <gtest/gtest.h>

#include "chip_device_support.h"
#include "engine/corvel_api.h"
#include "mcu-device/config_dialog.h"

using twtest::placeChip;
using twtest::recordOf;
using twtest::replaceRecord;

namespace settings_during_run_test {
namespace {

constexpr std::uint16_t kMovfGpioW = 0x206;  // MOVF 06h, W
constexpr std::uint16_t kMovwf10 = 0x030;    // MOVWF 10h
constexpr std::uint16_t kGoto0 = 0xA00;      // GOTO 0
constexpr int kMclre = 4;                    // PIC12F508: Config bit 4
constexpr int kCopiedGpio = 0x10;            // where the program copies GPIO

template <typename Condition>
bool eventually(Condition condition, std::chrono::milliseconds limit = std::chrono::milliseconds(5000))
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

void ensureApplication()
{
    if (QApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "test_mcu-device";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

// Another device's pin that holds every node it is on at 5 V and counts how
// often the simulation thread asks.
std::atomic<long> holderReads{0};
extern "C" float holdHigh(TObject*)
{
    holderReads.fetch_add(1, std::memory_order_relaxed);
    return 5.0f;
}

void stopRoutine()
{
    Set_rtRunning(0);
}

// A PIC12F508 on the workbench with every pin on a node that another device
// holds high, running a loop that copies GPIO into a register.
struct RunningChip : testing::Test {
    RunningChip()
        : engine(corvel::TheEngine())
        , device(placeChip(corvel::kPic12F508))
        , other(0, 10, 10, 1, TShortString::from("Test"), TShortString::from("TEST"), TShortString::from("Hold"), 1,
                nullptr, nullptr, false, nullptr, false, nullptr, false, nullptr, false, nullptr, false, nullptr,
                false, nullptr, nullptr, nullptr)
    {
        TRCPort* holder = other.AddPort(TShortString::from("HOLD"), 3, false, 5.0f, holdHigh);
        for (TRCPort* pin : device->Port) {
            TNode& node = nodes.emplace_back();
            node.Ports.resize(2);
            node.Ports[0] = pin;
            node.Ports[1] = holder;
            pin->Node = &node;
        }
        engine.ROM[0] = kMovfGpioW;
        engine.ROM[1] = kMovwf10;
        engine.ROM[2] = kGoto0;
        Set_RT_parametrs(0, 0, 0, 0, 1.0);
    }
    ~RunningChip() override
    {
        engine.Stop_and_wait();
        for (TRCPort* pin : device->Port)
            pin->Node = nullptr;
    }

    // Lets the simulation thread read its pins `count` more times.
    bool moreReads(long count)
    {
        const long from = holderReads.load();
        return eventually([&] { return holderReads.load() >= from + count; });
    }

    // The general-purpose registers 0x07..0x1F, read while no run goes.
    std::string generalRegisters() const
    {
        std::string bytes;
        for (int index = 0x07; index <= 0x1F; ++index)
            bytes += char(engine.RAM[size_t(index)]);
        return bytes;
    }

    corvel::Engine& engine;
    twtest::DeviceHandle device;
    TDevice other;
    std::list<TNode> nodes;
};

TEST_F(RunningChip, ConfigurationBitsReachTheRunningProgram)
{
    Set_config(kMclre, 0);
    Calculate_CuclPerCycMK(stopRoutine);
    for (const int mclre : {1, 0, 1}) {
        SCOPED_TRACE(mclre);
        // With MCLRE set, GP3 is the reset pin and reads 0 in GPIO.
        Set_config(kMclre, std::uint8_t(mclre));
        EXPECT_EQ(recordOf(*device)[kMclre], mclre ? '1' : '0');
        ASSERT_TRUE(moreReads(1000));
        engine.Stop_and_wait();
        EXPECT_EQ(engine.RAM[kCopiedGpio] >> 3 & 1, mclre ? 0 : 1);
        Calculate_CuclPerCycMK(stopRoutine);
    }
    EXPECT_EQ(Get_rtRunning(), 1) << "the pin held high never resets the chip";
}

// The settings of a project apply their bits at once; their power-on reset
// waits for the next run, which powers the chip on with them.
TEST_F(RunningChip, ARunKeepsItsRegistersWhenSettingsAreApplied)
{
    replaceRecord(*device, "010100000000" "0" "004000000" "0");
    BackApplySaveData(device.get());
    ASSERT_EQ(generalRegisters(), std::string(25, '\0'));
    Calculate_CuclPerCycMK(stopRoutine);
    ASSERT_TRUE(moreReads(100));

    // Unknown bits 1: a power-on reset would set every general-purpose bit.
    replaceRecord(*device, "010110000000" "0" "004000000" "1");
    BackApplySaveData(device.get());
    EXPECT_EQ(Get_config(kMclre), 1) << "the bits apply at once";
    EXPECT_EQ(Get_rtRunning(), 1) << "the run goes on";
    ASSERT_TRUE(moreReads(100));
    engine.Stop_and_wait();
    std::string expected(25, '\0');
    expected[kCopiedGpio - 0x07] = char(engine.RAM[kCopiedGpio]);
    EXPECT_EQ(generalRegisters(), expected) << "no reset under the running thread";

    // Without a run the reset applies at once.
    BackApplySaveData(device.get());
    EXPECT_EQ(generalRegisters(), std::string(25, '\xFF'));

    // A run told to stop but not yet joined is joined, then reset.
    replaceRecord(*device, "010110000000" "0" "004000000" "0");
    Calculate_CuclPerCycMK(stopRoutine);
    ASSERT_TRUE(moreReads(100));
    Set_rtRunning(0);
    BackApplySaveData(device.get());
    EXPECT_EQ(generalRegisters(), std::string(25, '\0'));
}

// Settings and configuration bits applied by every path the main program
// has (Set_config, a project's settings, the dialog's Ok) while runs start,
// stop by themselves and are stopped, at the fastest rate and in real time.
// Under the thread sanitizer it shows that none of it races the run.
TEST_F(RunningChip, SettingsStressWhileRunsStartAndStop)
{
    ensureApplication();
    // An invalid frequency would show a message box; none may wait here.
    const corvel::SettingsMessageSink previous = corvel::SetSettingsMessageSink([](QWidget*, const QString&) {});
    std::mt19937 random(2024);
    const auto any = [&](int n) { return int(random() % unsigned(n)); };
    int dialogsAccepted = 0;
    for (int round = 0; round < 60; ++round) {
        Set_RT_parametrs(std::uint8_t(any(3) == 0), 0, 0, 0, any(2) ? 1.0 : 1000.0);
        Calculate_CuclPerCycMK(stopRoutine);
        for (int change = 1 + any(4); change > 0; --change) {
            switch (any(3)) {
            case 0:
                Set_config(any(12), std::uint8_t(any(3)));
                break;
            case 1: {
                std::string record = "000000000000" "0" "004000000" "0";
                for (int bit = 0; bit < 12; ++bit)
                    record[size_t(bit)] = any(2) ? '1' : '0';
                record[22] = "01R"[any(3)];
                replaceRecord(*device, record);
                BackApplySaveData(device.get());
                const std::string applied = recordOf(*device);
                for (int bit = 0; bit < 12; ++bit)
                    EXPECT_EQ(Get_config(bit), applied[size_t(bit)] == '1' ? 1 : 0) << bit;
                break;
            }
            default: {
                auto form = corvel::CreateSettingsDialog(*corvel::asChipDevice(device.get()));
                form->show();
                for (QComboBox* list : form->findChildren<QComboBox*>())
                    if (list->isEnabled() && list->isVisible())
                        list->setCurrentIndex(any(2));
                form->btnOk->click();
                if (form->result() == QDialog::Accepted) {
                    corvel::TakeBackSettings(*form, engine);
                    ++dialogsAccepted;
                }
                break;
            }
            }
            moreReads(20);
        }
        switch (any(3)) {
        case 0:
            engine.Stop_and_wait();
            break;
        case 1:
            Set_rtRunning(0);
            break;
        default:
            break; // the next start ends this run
        }
    }
    engine.Stop_and_wait();
    corvel::SetSettingsMessageSink(previous);
    EXPECT_EQ(Get_rtRunning(), 0);
    EXPECT_GT(dialogsAccepted, 0);
    EXPECT_GT(holderReads.load(), 0);
}

} // namespace

} // namespace settings_during_run_test
