// Timer 0 and the watchdog against gpsim: programs assembled with gpasm run
// in both simulators to the label "done"; the timer values they capture, the
// cycle count and the status bits of a watchdog reset must agree.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine_support.h"
#include "pic_tools.h"
#include "support/paths.h"

namespace reg = corvel::reg;

namespace peripherals_gpsim_test {
namespace {

struct PeripheralCase {
    std::string name;
    const char* program;
    int model;
    const char* processor;
    uint16_t configWord;
    uint8_t option; // the program's OPTION, written by its first instructions
    std::vector<int> compared; // file registers that must agree
    int watchdogResets = 0;
    uint64_t cycleLimit = 2'000'000;
    // gpsim's cycle counter runs on while the chip sleeps; the engine counts
    // the cycles of executed instructions only.
    uint64_t cyclesAsleep = 0;
};

void PrintTo(const PeripheralCase& c, std::ostream* out)
{
    *out << c.name;
}

constexpr uint16_t kWatchdogOff = 0xFEB; // WDTE = 0, MCLRE = 0
constexpr uint16_t kWatchdogOn = 0xFEF;  // WDTE = 1
constexpr uint16_t kResetWord = 0xC50;   // MOVLW 0x50, like a calibration value

class PeripheralsAgainstGpsim : public testing::TestWithParam<PeripheralCase> {};

TEST_P(PeripheralsAgainstGpsim, SameCountsAndCycles)
{
    if (!pictools::gpsimInstalled())
        GTEST_SKIP() << "gpsim is not installed";
    const PeripheralCase& c = GetParam();
    const corvel::ModelEntry* model = corvel::findModel(c.model);
    ASSERT_NE(model, nullptr);
    pictools::ScratchDir scratch("gpsim-peripherals-" + c.name);
    const std::filesystem::path body =
        twtest::sourceDir() / "tests" / "fixtures" / "programs" / (std::string(c.program) + ".asm");
    std::string diagnostics;
    const auto assembled = pictools::assemble(
        c.processor, body, model->romSize - 1, kResetWord, c.configWord, scratch.path(), diagnostics);
    ASSERT_TRUE(assembled) << diagnostics;
    const int done = assembled->labels.at("done");

    std::string gpsimOutput;
    const auto chip = pictools::runGpsim(c.processor, model->table.AdrGPIO >= 0, assembled->hex, done,
        scratch.path(), gpsimOutput, c.cycleLimit, c.watchdogResets);
    ASSERT_TRUE(chip) << "gpsim did not run";
    ASSERT_TRUE(chip->reachedStop) << gpsimOutput;

    corvel::Engine engine;
    enginetest::FakeChipLink link;
    link.unknown = '0'; // gpsim powers on with zeros
    ASSERT_TRUE(engine.SelectMC(c.model));
    engine.setChipLink(&link);
    for (const auto& [address, word] : assembled->image.words)
        engine.ROM[size_t(address)] = word;
    for (int bit = 0; bit < 12; ++bit)
        engine.Config[size_t(bit)] = uint8_t(c.configWord >> bit & 1);
    engine.PowerOnReset();
    // gpsim powers OPTION on as 0 (the data sheet: all ones) and its timer
    // counts from there; both start from the program's setting instead.
    engine.RAM[reg::OPTION] = c.option;
    engine.startRun();
    const corvel::RunResult result = engine.runSynchronously(c.cycleLimit, done);
    ASSERT_EQ(result.stop, corvel::RunStop::Address);

    for (int index : c.compared) {
        const auto theirs = chip->registers.find(index);
        ASSERT_NE(theirs, chip->registers.end()) << index;
        EXPECT_EQ(int(engine.RAM[size_t(index)]), int(theirs->second)) << "register 0x" << std::hex << index;
    }
    EXPECT_EQ(uint64_t(engine.MC) + c.cyclesAsleep, chip->cycles) << "cycles";
}

std::vector<PeripheralCase> cases()
{
    struct Processor {
        int model;
        const char* name;
    };
    const Processor processors[] = {{corvel::kPic10F200, "p10f200"}, {corvel::kPic10F204, "p10f204"},
        {corvel::kPic10F220, "p10f220"}, {corvel::kPic12F508, "p12f508"}, {corvel::kPic12F510, "p12f510"}};
    std::vector<PeripheralCase> all;
    for (const Processor& p : processors) {
        const std::string suffix = std::string("_") + (p.name + 1);
        all.push_back({"timer0" + suffix, "timer0", p.model, p.name, kWatchdogOff, 0xC0,
            {0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B, 0x1C}});
        // A time-out during sleep ends the PIC10F programs (see the program).
        const bool sleeps = p.model < corvel::kPic12F508;
        all.push_back({"watchdog" + suffix, "watchdog", p.model, p.name, kWatchdogOn, 0xCF,
            {0x11, 0x12, 0x13, 0x14, 0x15, 0x1E}, sleeps ? 4 : 3, 3'000'000, sleeps ? 18'000u : 0u});
    }
    return all;
}

INSTANTIATE_TEST_SUITE_P(Programs, PeripheralsAgainstGpsim, testing::ValuesIn(cases()),
    [](const testing::TestParamInfo<PeripheralCase>& info) { return info.param.name; });

} // namespace

} // namespace peripherals_gpsim_test
