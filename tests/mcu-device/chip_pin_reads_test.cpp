// What the engine reads from the chip's pins when they are wired to nodes as
// the host wires them: a node the pin alone is on gives exactly what the node
// and the level callback give, without asking them; a node another device
// drives is read at every access; a pin left undriven by its function is
// skipped until the engine plans again, and only then.
#include <array>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <list>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "chip_device_support.h"
#include "engine/catalogue.h"
#include "engine/registers.h"
#include "mcu-device/pin_levels.h"

namespace chip_pin_reads_test {
namespace {

using namespace corvel;

constexpr float NaN = NotDrivenLevel;

bool sameLevel(float a, float b)
{
    return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}

void selectModel(Engine& engine, int model)
{
    if (!engine.SelectMC(model))
        engine.TypeMC = std::uint8_t(model);
}

// The registers whose bits decide a pin's level without giving it a
// function: the direction and latch bits of every port, and the comparator
// output.
std::vector<int> latchesOf(const Engine& engine)
{
    std::vector<int> rows;
    for (const int32_t address :
         {engine.AdrGPIO, engine.AdrPORTA, engine.AdrPORTB, engine.AdrPORTC, engine.AdrPORTD, engine.AdrPORTE})
        if (address >= 0)
            rows.push_back(address);
    return rows;
}

void setLatchesAndDirections(Engine& engine, std::uint8_t latches, std::uint8_t directions, bool comparatorOutput)
{
    for (const int row : latchesOf(engine))
        engine.RAM[size_t(row)] = latches;
    for (int row = reg::TRISGPIO; row <= reg::TRISE; ++row)
        engine.RAM[size_t(row)] = directions;
    if (engine.AdrCMCON0 >= 0) {
        const std::uint8_t control = engine.RAM[size_t(engine.AdrCMCON0)];
        engine.RAM[size_t(engine.AdrCMCON0)] = std::uint8_t((control & 0x7F) | (comparatorOutput ? 0x80 : 0));
    }
}

constexpr int kModels[] = {kPic10F200, kPic10F204, kPic10F206, kPic10F220, kPic10F222, kPic12F508, kPic12F509,
                           kPic12F510, kPic12F519, kPic16F505, kPic16F54, kPic16F57, kPic16F59};

// ---------------------------------------------------------------------------
// A pin undriven by its function stays undriven whatever the program does to
// directions, latches and the comparator output; any other pin can drive.

TEST(PinFunction, UndrivenExactlyWhenNoDirectionLatchOrComparatorOutputDrivesIt)
{
    for (const int model : kModels) {
        Engine engine;
        selectModel(engine, model);
        const int ports = int(chipModel(model).pins.size());
        // OPTION's T0CS, OSCCAL's FOSC4, CMCON0's CMPON and \COUTEN, ADCON0's
        // ANS0 and ANS1, and the two oscillator configuration bits.
        for (int function = 0; function < 256; ++function) {
            engine.RAM[reg::OPTION] = (function & 1) ? 0x20 : 0x00;
            if (engine.AdrOSCCAL >= 0)
                engine.RAM[size_t(engine.AdrOSCCAL)] = (function & 2) ? 0x01 : 0x00;
            if (engine.AdrCMCON0 >= 0)
                engine.RAM[size_t(engine.AdrCMCON0)] = std::uint8_t(((function & 4) ? 0x08 : 0) | ((function & 8) ? 0x40 : 0));
            if (engine.AdrADCON0 >= 0)
                engine.RAM[size_t(engine.AdrADCON0)] = std::uint8_t(((function & 16) ? 0x40 : 0) | ((function & 32) ? 0x80 : 0));
            engine.Config[0] = (function & 64) ? 1 : 0;
            engine.Config[1] = (function & 128) ? 1 : 0;
            for (int port = -1; port <= ports; ++port) {
                const bool undriven = chipPinUndrivenByFunction(engine, port);
                bool everDriven = false;
                for (int state = 0; state < 8; ++state) {
                    setLatchesAndDirections(engine, (state & 1) ? 0xFF : 0x00, (state & 2) ? 0xFF : 0x00, state & 4);
                    everDriven = everDriven || !std::isnan(chipPinLevel(engine, port));
                }
                EXPECT_EQ(undriven, !everDriven)
                    << chipModel(model).name << " port " << port << " function bits " << function;
            }
        }
    }
}

// ---------------------------------------------------------------------------
// The engine's reads against the node's own level, which asks every pin's
// level callback: the way every pin was read before.

// Another device's pins with levels the test sets.
std::array<float, 64> driverLevels{};
extern "C" float driverLevel(TObject* pin)
{
    return driverLevels[size_t(static_cast<TRCPort*>(pin)->PortNo())];
}

// A chip device and a second device, with every chip pin on a node of its
// own as the host creates them; the test adds driver pins to nodes.
struct WiredChip {
    explicit WiredChip(int model)
        : driver(0, 10, 10, 1, TShortString::from("Test"), TShortString::from("TEST"), TShortString::from("Drive"), 0,
                 nullptr, nullptr, false, nullptr, false, nullptr, false, nullptr, false, nullptr, false, nullptr,
                 false, nullptr, nullptr, nullptr)
    {
        selectModel(engine, model);
        chip = std::make_unique<ChipDevice>(engine, model, nullptr);
        chip->SaveData()[22] = '0'; // bits of unknown power-on state read 0
        for (TRCPort* pin : chip->Port) {
            TNode& node = nodes.emplace_back();
            node.Ports.resize(1);
            node.Ports[0] = pin;
            pin->Node = &node;
        }
        for (int pin = 0; pin < chip->Port.length(); ++pin)
            driver.AddPort(TShortString::from("D"), 3, false, 0.0f, driverLevel);
    }
    ~WiredChip()
    {
        for (TRCPort* pin : chip->Port)
            pin->Node = nullptr;
    }

    // Puts the driver's pin `port` on the node of chip pin `port`.
    void drive(int port)
    {
        TNode& node = *chip->Port[port]->Node;
        const int count = node.Ports.length();
        node.Ports.resize(count + 1);
        node.Ports[count] = driver.Port[port];
        driver.Port[port]->Node = &node;
    }

    float engineReads(int port) const { return engine.chipLink()->pinLevel(port); }
    float nodeLevel(int port) const { return chip->Port[port]->Node->GetLevel(); }

    Engine engine;
    std::unique_ptr<ChipDevice> chip;
    TDevice driver;
    std::list<TNode> nodes;
};

constexpr float kDriverChoices[] = {0.0f, 5.0f, NaN, 2.5f, 1.0f, 1.25f, 3.3f};

// Random register files, configurations and driver levels: the link reads
// each port as its node does through the callbacks, and a port it calls
// unwired stays undriven whatever the latches, directions and the
// comparator output become.
TEST(ChipPinReads, AgreeWithTheNodeOnRandomStates)
{
    std::mt19937 random(2207);
    for (const int model : kModels) {
        for (const bool withDrivers : {false, true}) {
            WiredChip wired(model);
            const int ports = wired.chip->Port.length();
            if (withDrivers)
                for (int port = 0; port < ports; port += 2)
                    wired.drive(port);
            for (int round = 0; round < 300; ++round) {
                for (int row = 0; row < kRegisterCount; ++row)
                    wired.engine.RAM[size_t(row)] = std::uint8_t(random());
                for (std::size_t bit = 0; bit < wired.engine.Config.size(); ++bit)
                    wired.engine.Config[bit] = random() & 1;
                for (float& level : driverLevels)
                    level = kDriverChoices[random() % std::size(kDriverChoices)];
                for (int port = -1; port <= ports; ++port) {
                    if (port < 0 || port == ports) {
                        EXPECT_TRUE(std::isnan(wired.engineReads(port)));
                        continue;
                    }
                    const float expected = wired.nodeLevel(port);
                    ASSERT_TRUE(sameLevel(wired.engineReads(port), expected))
                        << chipModel(model).name << " port " << port << " reads " << wired.engineReads(port)
                        << ", the node has " << expected;
                    if (wired.engine.chipLink()->portWired(port))
                        continue;
                    for (int state = 0; state < 8; ++state) {
                        setLatchesAndDirections(wired.engine, std::uint8_t(random()), std::uint8_t(random()),
                                                random() & 1);
                        ASSERT_TRUE(std::isnan(wired.nodeLevel(port)))
                            << chipModel(model).name << " port " << port << " called unwired but driven";
                    }
                }
            }
        }
    }
}

// After a reset timer 0 counts T0CKI and the reset pin may act: alone on
// their nodes neither is read at all, with a driver on the node each is.
TEST(ChipPinReads, TimerAndResetPinsAloneOnTheirNodesAreNotReadAfterReset)
{
    for (const int model : {kPic10F200, kPic10F204, kPic10F220, kPic12F508, kPic12F510, kPic16F54, kPic16F59}) {
        WiredChip wired(model);
        wired.engine.PowerOnReset();
        const ChipLink& link = *wired.engine.chipLink();
        for (const int port : {int(wired.engine.PinT0CKI), int(wired.engine.PinMCLR)}) {
            EXPECT_FALSE(link.portWired(port)) << chipModel(model).name << " port " << port;
            wired.drive(port);
            EXPECT_TRUE(link.portWired(port)) << chipModel(model).name << " port " << port;
        }
    }
}

TEST(ChipPinReads, ADriverJoiningOrLeavingTheNodeCountsAtTheNextRead)
{
    WiredChip wired(kPic10F200);
    wired.engine.RAM[reg::TRISGPIO] = 0x0E; // GP0 an output
    wired.engine.RAM[reg::GPIO] = 0x01;
    EXPECT_EQ(wired.engineReads(0), 5.0f);
    driverLevels[0] = 0.0f;
    wired.drive(0);
    EXPECT_EQ(wired.engineReads(0), 2.5f);
    driverLevels[0] = 1.0f;
    EXPECT_EQ(wired.engineReads(0), 3.0f);
    wired.chip->Port[0]->Node->Ports.resize(1);
    EXPECT_EQ(wired.engineReads(0), 5.0f);
}

// ---------------------------------------------------------------------------
// The level callback finds the pins of every live chip device, however many,
// and refuses what is not a live pin of corvel's

TEST(LevelCallback, ServesEveryLiveChipsPinsAndNothingElse)
{
    constexpr int kDevices = 12; // more than the callback's table holds
    std::vector<std::unique_ptr<Engine>> engines;
    std::vector<std::unique_ptr<ChipDevice>> chips;
    for (int index = 0; index < kDevices; ++index) {
        Engine& engine = *engines.emplace_back(std::make_unique<Engine>());
        selectModel(engine, kPic10F200);
        chips.push_back(std::make_unique<ChipDevice>(engine, kPic10F200, nullptr));
        engine.RAM[reg::TRISGPIO] = 0x08;
        engine.RAM[reg::GPIO] = std::uint8_t(index); // GP0..GP2 tell the devices apart
    }
    const auto expectServed = [&](int index) {
        for (int port = 0; port < 3; ++port)
            EXPECT_EQ(GetPinLevelMC(chips[size_t(index)]->Port[port]), (index >> port & 1) ? 5.0f : 0.0f)
                << "device " << index << " port " << port;
    };
    for (int index = 0; index < kDevices; ++index)
        expectServed(index);

    // Freed devices leave room; their pins are no longer served.
    std::vector<const TObject*> freedPins;
    for (const int index : {0, 3, 11}) {
        for (TRCPort* pin : chips[size_t(index)]->Port)
            freedPins.push_back(pin);
        chips[size_t(index)].reset();
    }
    for (const TObject* pin : freedPins)
        EXPECT_TRUE(std::isnan(GetPinLevelMC(const_cast<TObject*>(pin))));
    chips[0] = std::make_unique<ChipDevice>(*engines[0], kPic10F200, nullptr);
    for (int index = 0; index < kDevices; ++index)
        if (chips[size_t(index)])
            expectServed(index);

    TRCPort stranger(TShortString::from("GP0"), 3, true, 0.0f, GetPinLevelMC, 0);
    EXPECT_TRUE(std::isnan(stranger.GetLevel()));
    EXPECT_TRUE(std::isnan(GetPinLevelMC(chips[1].get())));
}

// Reads on one thread while chip devices come and go on another: nothing
// but the live pins is served, and a pin that stays alive always is.
TEST(LevelCallback, ReadsWhileDevicesComeAndGo)
{
    Engine engine;
    selectModel(engine, kPic10F200);
    engine.RAM[reg::TRISGPIO] = 0x00;
    engine.RAM[reg::GPIO] = 0x01;
    ChipDevice steady(engine, kPic10F200, nullptr);
    std::atomic<bool> done{false};
    std::atomic<long> wrong{0};
    std::thread reader([&] {
        while (!done.load())
            if (GetPinLevelMC(steady.Port[0]) != 5.0f)
                wrong.fetch_add(1);
    });
    Engine other;
    selectModel(other, kPic10F200);
    for (int round = 0; round < 2000; ++round) {
        std::vector<std::unique_ptr<ChipDevice>> batch;
        for (int index = 0; index < 1 + round % 10; ++index)
            batch.push_back(std::make_unique<ChipDevice>(other, kPic10F200, nullptr));
    }
    done.store(true);
    reader.join();
    EXPECT_EQ(wrong.load(), 0);
}

// ---------------------------------------------------------------------------
// Programs on the wired chip

constexpr std::uint16_t movlw(int k) { return std::uint16_t(0xC00 | k); }
constexpr std::uint16_t movwf(int f) { return std::uint16_t(0x020 | f); }
constexpr std::uint16_t movfW(int f) { return std::uint16_t(0x200 | f); }
constexpr std::uint16_t incfF(int f) { return std::uint16_t(0x2A0 | f); }
constexpr std::uint16_t bsf(int f, int b) { return std::uint16_t(0x500 | b << 5 | f); }
constexpr std::uint16_t gotoWord(int k) { return std::uint16_t(0xA00 | k); }
constexpr std::uint16_t kOption = 0x002;
constexpr std::uint16_t kTrisGpio = 0x006;
constexpr std::uint16_t kNop = 0x000;

void load(Engine& engine, const std::vector<std::uint16_t>& words, const std::string& config)
{
    for (std::size_t address = 0; address < words.size(); ++address)
        engine.ROM[address] = words[address];
    for (std::size_t bit = 0; bit < config.size(); ++bit)
        engine.Config[bit] = config[bit] == '1' ? 1 : 0;
    engine.PowerOnReset();
    engine.startRun();
}

TEST(WiredChipRuns, ASecondDriverChangesWhatTheProgramReadsAtTheNextAccess)
{
    WiredChip wired(kPic12F508);
    Engine& engine = wired.engine;
    // Copies GPIO into 0x10 every third instruction; all pins are inputs.
    load(engine, {movfW(reg::GPIO), movwf(0x10), gotoWord(0)}, "010000000000");
    engine.runSynchronously(3); // the word at the reset address, then MOVF and MOVWF
    EXPECT_EQ(engine.RAM[0x10] & 0x01, 0x01) << "an input alone on its node is undriven";
    wired.drive(0);
    struct Step {
        float level;
        int bit;
    };
    for (const Step step : {Step{0.0f, 0}, Step{5.0f, 1}, Step{1.0f, 0}, Step{1.01f, 1}, Step{0.5f, 0}, Step{NaN, 1}}) {
        driverLevels[0] = step.level;
        engine.runSynchronously(3);
        EXPECT_EQ(engine.RAM[0x10] & 0x01, step.bit) << step.level;
    }
}

TEST(WiredChipRuns, ASecondDriverOnT0ckiClocksTimer0AndTheChipAloneDoesNot)
{
    // OPTION 0x28: timer 0 counts rising edges of T0CKI, no prescaler.
    for (const int model : {kPic10F200, kPic12F508, kPic16F54}) {
        WiredChip wired(model);
        Engine& engine = wired.engine;
        load(engine, {movlw(0x28), kOption, kNop, gotoWord(2)}, "010000000000");
        driverLevels[size_t(engine.PinT0CKI)] = 0.0f;
        engine.runSynchronously(2);
        const std::uint8_t start = engine.RAM[reg::TMR0];
        engine.runSynchronously(1000);
        EXPECT_EQ(engine.RAM[reg::TMR0], start) << chipModel(model).name << ": the pin alone on its node";
        wired.drive(engine.PinT0CKI);
        for (int edge = 0; edge < 5; ++edge) {
            driverLevels[size_t(engine.PinT0CKI)] = 0.0f;
            engine.runSynchronously(1);
            driverLevels[size_t(engine.PinT0CKI)] = 5.0f;
            engine.runSynchronously(1);
        }
        EXPECT_EQ(engine.RAM[reg::TMR0], std::uint8_t(start + 5)) << chipModel(model).name;
    }
}

TEST(WiredChipRuns, ASecondDriverPullingTheResetPinLowHoldsTheChipInReset)
{
    WiredChip wired(kPic12F508);
    Engine& engine = wired.engine;
    load(engine, {incfF(0x10), gotoWord(0)}, "010010000000"); // MCLRE on
    engine.runSynchronously(100);
    EXPECT_EQ(engine.IC, 100) << "the reset pin alone on its node is undriven";
    wired.drive(engine.PinMCLR);
    driverLevels[size_t(engine.PinMCLR)] = 0.0f;
    engine.runSynchronously(50);
    EXPECT_EQ(engine.IC, 100);
    EXPECT_EQ(engine.I, engine.ROM_Size - 1);
    driverLevels[size_t(engine.PinMCLR)] = 5.0f;
    engine.runSynchronously(10);
    EXPECT_GT(engine.IC, 100);
}

TEST(WiredChipRuns, TheComparatorAndTheConverterReadTheDriversAtEachStep)
{
    {
        WiredChip wired(kPic10F204);
        Engine& engine = wired.engine;
        // CMPON with the output enabled, compared against the 0.6 V reference.
        load(engine, {movlw(0x09), movwf(engine.AdrCMCON0), kNop, gotoWord(2)}, "000000000000");
        engine.runSynchronously(3);
        wired.drive(0);
        wired.drive(1);
        for (const float input : {0.2f, 2.0f, 0.5f, 4.0f}) {
            driverLevels[0] = driverLevels[1] = input;
            engine.runSynchronously(2);
            const bool output = engine.RAM[size_t(engine.AdrCMCON0)] & 0x80;
            EXPECT_EQ(output, input < 0.6f) << input;
        }
    }
    {
        WiredChip wired(kPic10F220);
        Engine& engine = wired.engine;
        // AN0 analogue, channel 0, converter on, then GO over and over.
        const int adcon = engine.AdrADCON0;
        load(engine, {movlw(0x41), movwf(adcon), bsf(adcon, 1), gotoWord(2)}, "000000000000");
        wired.drive(0);
        for (const float input : {2.5f, 1.0f, 5.0f}) {
            driverLevels[0] = input;
            engine.runSynchronously(100);
            EXPECT_EQ(engine.RAM[size_t(engine.AdrADRES)], std::uint8_t(input / 0.0196078431372549)) << input;
        }
    }
}

// ---------------------------------------------------------------------------
// Whole runs against the straightforward way: every read through the node
// and the level callbacks, every wired port read.

class NodeReadingLink final : public ChipLink {
public:
    NodeReadingLink(const ChipDevice& chip, const ChipLink& own)
        : chip_(chip)
        , own_(own)
    {
    }
    float pinLevel(int port) const override
    {
        if (port < 0 || port >= chip_.Port.length() || !chip_.Port[port]->Node)
            return NaN;
        return chip_.Port[port]->Node->GetLevel();
    }
    bool portWired(int port) const override
    {
        return port >= 0 && port < chip_.Port.length() && chip_.Port[port]->Node;
    }
    char unknownBitChoice() const override { return own_.unknownBitChoice(); }
    void storeConfigBit(int, char) override {}

private:
    const ChipDevice& chip_;
    const ChipLink& own_;
};

// A driver whose level follows the instruction count, so that it changes in
// the middle of a batch of passes, identically in both runs.
const Engine* countingEngine = nullptr;
extern "C" float countingDriver(TObject* pin)
{
    static constexpr float kLevels[] = {0.0f, 5.0f, NaN, 0.4f, 2.5f, 0.9f, 5.0f, 0.0f, 1.5f};
    const auto port = std::uint64_t(static_cast<TRCPort*>(pin)->PortNo());
    const std::uint64_t step = std::uint64_t(countingEngine->IC) / (3 + port);
    return kLevels[(step + port) % std::size(kLevels)];
}

struct RunCase {
    const char* name;
    int model;
    std::string config;
    std::vector<int> drivenPorts;
    std::vector<std::uint16_t> (*program)(const Engine&);
};

void PrintTo(const RunCase& c, std::ostream* os)
{
    *os << c.name;
}

struct Outcome {
    std::vector<std::uint8_t> registers;
    std::int64_t instructions;
    std::int64_t cycles;
    std::uint32_t pc;
};

Outcome run(const RunCase& c, bool straightforward)
{
    WiredChip wired(c.model);
    Engine& engine = wired.engine;
    NodeReadingLink reference(*wired.chip, *engine.chipLink());
    if (straightforward)
        engine.setChipLink(&reference);
    TDevice counting(0, 10, 10, 1, TShortString::from("Test"), TShortString::from("TEST"), TShortString::from("Count"),
                     0, nullptr, nullptr, false, nullptr, false, nullptr, false, nullptr, false, nullptr, false,
                     nullptr, false, nullptr, nullptr, nullptr);
    for (int pin = 0; pin < wired.chip->Port.length(); ++pin)
        counting.AddPort(TShortString::from("C"), 3, false, 0.0f, countingDriver);
    for (const int port : c.drivenPorts) {
        TNode& node = *wired.chip->Port[port]->Node;
        node.Ports.resize(2);
        node.Ports[1] = counting.Port[port];
    }
    countingEngine = &engine;
    load(engine, c.program(engine), c.config);
    for (int batch = 0; batch < 12; ++batch)
        engine.runSynchronously(4096);
    Outcome outcome{{}, engine.IC, engine.MC, engine.PC};
    for (int row = 0; row < kRegisterCount; ++row)
        outcome.registers.push_back(engine.RAM[size_t(row)]);
    engine.setChipLink(nullptr);
    return outcome;
}

class RunsAsBefore : public testing::TestWithParam<RunCase> {};

TEST_P(RunsAsBefore, RegistersAndCounts)
{
    const Outcome ours = run(GetParam(), false);
    const Outcome before = run(GetParam(), true);
    EXPECT_EQ(ours.registers, before.registers);
    EXPECT_EQ(ours.instructions, before.instructions);
    EXPECT_EQ(ours.cycles, before.cycles);
    EXPECT_EQ(ours.pc, before.pc);
}

// Echoes the inputs into 0x10, counts in 0x11 and puts the count on the
// outputs, GP1 and GP3 inputs; every 256 rounds it flips the timer's clock
// between the instruction clock and T0CKI.
std::vector<std::uint16_t> echoProgram(const Engine& engine)
{
    return {movlw(0x0A), kTrisGpio, movfW(reg::GPIO), movwf(0x10), incfF(0x11), movfW(0x11), movwf(reg::GPIO),
            movfW(0x11), 0x643 /* BTFSC STATUS,Z */, gotoWord(10), gotoWord(2),
            // 10: OPTION ^= T0CS
            movlw(0x20), 0x1B2 /* XORWF 12h,F */, movfW(0x12), kOption, gotoWord(2)};
    (void)engine;
}

// The timer on T0CKI, rising edges, prescaler 1:2, read into 0x10.
std::vector<std::uint16_t> timerProgram(const Engine&)
{
    return {movlw(0x20), kOption, movfW(reg::TMR0), movwf(0x10), gotoWord(2)};
}

// The comparator on, output enabled, with the wake-up off; its output read
// into 0x10.
std::vector<std::uint16_t> comparatorProgram(const Engine& engine)
{
    return {movlw(0x09), movwf(engine.AdrCMCON0), movlw(0x08), kOption, movfW(engine.AdrCMCON0), movwf(0x10),
            gotoWord(4)};
}

// Conversions of AN0 over and over, each result in 0x10.
std::vector<std::uint16_t> converterProgram(const Engine& engine)
{
    const int adcon = engine.AdrADCON0;
    return {movlw(0x41), movwf(adcon), bsf(adcon, 1), movfW(engine.AdrADRES), movwf(0x10), gotoWord(2)};
}

// Conversions of GP0 while the program drives it as an output, half the
// count in 0x11 on the outputs: GP0 changes every other conversion. The
// results add up in 0x12.
std::vector<std::uint16_t> ownOutputProgram(const Engine& engine)
{
    const int adcon = engine.AdrADCON0;
    return {movlw(0x01), movwf(adcon), movlw(0x00), kTrisGpio, incfF(0x11), 0x311 /* RRF 11h,W */, movwf(reg::GPIO),
            bsf(adcon, 1), movfW(engine.AdrADRES), 0x1F2 /* ADDWF 12h,F */, gotoWord(4)};
}

// Counting in 0x10 with the reset pin enabled.
std::vector<std::uint16_t> countingProgram(const Engine&)
{
    return {incfF(0x10), gotoWord(0)};
}

// PORTA to PORTC inputs read into 0x10..0x12, with T0CKI counting.
std::vector<std::uint16_t> portsProgram(const Engine& engine)
{
    return {movlw(0x28), kOption, movfW(engine.AdrPORTA), movwf(0x10), movfW(engine.AdrPORTB), movwf(0x11),
            movfW(engine.AdrPORTC), movwf(0x12), gotoWord(2)};
}

INSTANTIATE_TEST_SUITE_P(
    WiredAsTheHostWires, RunsAsBefore,
    testing::Values(
        RunCase{"EchoAlone", kPic12F508, "010000000000", {}, echoProgram},
        RunCase{"EchoDriven", kPic12F508, "010000000000", {0, 1, 2, 3, 5}, echoProgram},
        RunCase{"EchoDriven10F", kPic10F200, "000000000000", {1, 2}, echoProgram},
        RunCase{"TimerAlone", kPic10F200, "000000000000", {}, timerProgram},
        RunCase{"TimerDriven", kPic10F200, "000000000000", {2}, timerProgram},
        RunCase{"ComparatorAlone", kPic10F204, "000000000000", {}, comparatorProgram},
        RunCase{"ComparatorDriven", kPic10F204, "000000000000", {0, 1, 2}, comparatorProgram},
        RunCase{"ComparatorDriven12F", kPic12F510, "010000000000", {0, 1}, comparatorProgram},
        RunCase{"ConverterAlone", kPic10F220, "000000000000", {}, converterProgram},
        RunCase{"ConverterDriven", kPic10F220, "000000000000", {0, 1}, converterProgram},
        RunCase{"ConverterOnOwnOutput", kPic10F220, "000000000000", {}, ownOutputProgram},
        RunCase{"ConverterOnDrivenOutput", kPic10F220, "000000000000", {0}, ownOutputProgram},
        RunCase{"ResetPinAlone", kPic12F508, "010010000000", {}, countingProgram},
        RunCase{"ResetPinDriven", kPic12F508, "010010000000", {3}, countingProgram},
        RunCase{"PortsAlone", kPic16F57, "000000000000", {}, portsProgram},
        RunCase{"PortsDriven", kPic16F57, "000000000000", {0, 5, 13, 20, 21}, portsProgram}),
    [](const testing::TestParamInfo<RunCase>& info) { return std::string(info.param.name); });

} // namespace

} // namespace chip_pin_reads_test
