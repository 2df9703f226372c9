// What the chip does where a simpler model would go wrong, against gpsim:
// \TO and \PD read-only to instructions, the two cycles TMR0 holds after a
// write, PCL read as the next address and written as a jump, whole bytes
// into port latches, and the watchdog's time-out at other clock rates.
// Each program runs to "done" in both; W, the registers it fills and the
// cycle count must agree exactly.
#include <gtest/gtest.h>

#include "engine_support.h"
#include "pic_tools.h"
#include "support/paths.h"

namespace reg = corvel::reg;

namespace chip_rules_gpsim_test {
namespace {

struct Processor {
    int model;
    const char* name;
    // gpsim's PIC16C54 starts at address 0 and skips the reset word, which
    // the chip and the engine execute first.
    int skippedResetCycles = 0;
};

// gpsim simulates these; its PIC16C54 stands in for the PIC16F54 (same core
// and memory map).
const Processor kProcessors[] = {{corvel::kPic10F200, "p10f200"}, {corvel::kPic10F202, "p10f202"},
    {corvel::kPic10F204, "p10f204"}, {corvel::kPic10F220, "p10f220"}, {corvel::kPic10F222, "p10f222"},
    {corvel::kPic12F508, "p12f508"}, {corvel::kPic12F509, "p12f509"}, {corvel::kPic12F510, "p12f510"},
    {corvel::kPic16F54, "p16c54", 1}};

constexpr uint16_t kWatchdogOff = 0xFEB; // WDTE = 0, MCLRE = 0
constexpr uint16_t kWatchdogOn = 0xFEF;
constexpr uint16_t kResetWord = 0xC50; // MOVLW 0x50, like a calibration value

struct RuleCase {
    std::string name;
    const char* program;
    Processor processor;
    std::vector<int> compared; // file registers the program fills
    uint16_t configWord = kWatchdogOff;
    int32_t frequency = 4'000'000;
    int watchdogResets = 0;
    uint64_t cycleLimit = 2'000'000;
    // gpsim's cycle counter runs on while the chip sleeps; the engine counts
    // the cycles of executed instructions only.
    uint64_t cyclesAsleep = 0;
    uint8_t option = 0; // the OPTION both start from, where not 0
};

void PrintTo(const RuleCase& c, std::ostream* out)
{
    *out << c.name;
}

class ChipRulesAgainstGpsim : public testing::TestWithParam<RuleCase> {};

TEST_P(ChipRulesAgainstGpsim, SameRegistersAndCycles)
{
    if (!pictools::gpsimInstalled())
        GTEST_SKIP() << "gpsim is not installed";
    const RuleCase& c = GetParam();
    const corvel::ModelEntry* model = corvel::findModel(c.processor.model);
    ASSERT_NE(model, nullptr);
    pictools::ScratchDir scratch("gpsim-rules-" + c.name);
    const std::filesystem::path body =
        twtest::sourceDir() / "tests" / "fixtures" / "programs" / (std::string(c.program) + ".asm");
    std::string diagnostics;
    const auto assembled = pictools::assemble(
        c.processor.name, body, model->romSize - 1, kResetWord, c.configWord, scratch.path(), diagnostics);
    ASSERT_TRUE(assembled) << diagnostics;
    const int done = assembled->labels.at("done");

    std::string gpsimOutput;
    const auto chip = pictools::runGpsim(c.processor.name, model->table.AdrGPIO >= 0, assembled->hex, done,
        scratch.path(), gpsimOutput, c.cycleLimit, c.watchdogResets, c.frequency);
    ASSERT_TRUE(chip) << "gpsim did not run";
    ASSERT_TRUE(chip->reachedStop) << gpsimOutput;

    corvel::Engine engine;
    enginetest::FakeChipLink link;
    link.unknown = '0'; // gpsim powers on with zeros
    ASSERT_TRUE(engine.SelectMC(c.processor.model));
    engine.setChipLink(&link);
    for (const auto& [address, word] : assembled->image.words)
        engine.ROM[size_t(address)] = word;
    for (int bit = 0; bit < 12; ++bit)
        engine.Config[size_t(bit)] = uint8_t(c.configWord >> bit & 1);
    engine.crystalFrequency = c.frequency;
    engine.PowerOnReset();
    if (c.option)
        engine.RAM[reg::OPTION] = c.option;
    engine.startRun();
    const corvel::RunResult result = engine.runSynchronously(c.cycleLimit, done);
    ASSERT_EQ(result.stop, corvel::RunStop::Address);

    EXPECT_EQ(int(engine.RAM[reg::W]), int(chip->w)) << "W";
    for (int index : c.compared) {
        const auto theirs = chip->registers.find(index);
        ASSERT_NE(theirs, chip->registers.end()) << index;
        EXPECT_EQ(int(engine.RAM[size_t(index)]), int(theirs->second)) << "register 0x" << std::hex << index;
    }
    EXPECT_EQ(uint64_t(engine.MC) + c.cyclesAsleep - uint64_t(c.processor.skippedResetCycles), chip->cycles)
        << "cycles";
}

std::vector<RuleCase> cases()
{
    std::vector<RuleCase> all;
    for (const Processor& p : kProcessors) {
        const std::string suffix = std::string("_") + (p.name + 1);
        all.push_back({"status" + suffix, "status_bits", p, {0x10, 0x11, 0x12, 0x13}});
        all.push_back({"tmr0" + suffix, "tmr0_write", p, {0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19}});
        all.push_back({"pcl" + suffix, "pcl_rules", p, {0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19}});
        all.push_back({"ports" + suffix, "port_latch", p, {0x10, 0x11, 0x12, 0x13}});
    }
    // The watchdog runs out after the same time at any clock: the program of
    // peripherals_gpsim_test.cpp at other rates (its sleep stage on the
    // PIC10F only, as there).
    const Processor watched[] = {kProcessors[0], kProcessors[3], kProcessors[5]};
    for (const Processor& p : watched) {
        for (const int32_t frequency : {8'000'000, 1'000'000}) {
            const bool sleeps = p.model < corvel::kPic12F508;
            RuleCase c{"watchdog_" + std::to_string(frequency / 1000) + "kHz_" + (p.name + 1), "watchdog", p,
                {0x11, 0x12, 0x13, 0x14, 0x15, 0x1E}, kWatchdogOn, frequency};
            c.watchdogResets = sleeps ? 4 : 3;
            c.cycleLimit = 6'000'000;
            c.cyclesAsleep = sleeps ? uint64_t(corvel::watchdogPeriodCycles(frequency)) : 0;
            c.option = 0xCF; // gpsim powers OPTION on as 0: both start from the program's
            all.push_back(c);
        }
    }
    return all;
}

INSTANTIATE_TEST_SUITE_P(Programs, ChipRulesAgainstGpsim, testing::ValuesIn(cases()),
    [](const testing::TestParamInfo<RuleCase>& info) { return info.param.name; });

} // namespace

} // namespace chip_rules_gpsim_test
