// What drives every pin of every listed model, under the register and
// configuration states that give pins their functions. The expected table is
// what the chip device showed while it still chose the pin rules by model
// number; reading them from the model's pinout must not change a single pin.
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/catalogue.h"
#include "engine/registers.h"
#include "mcu-device/pin_levels.h"

namespace pin_sources_test {
namespace {

using namespace corvel;

struct Store {
    int index;
    std::uint8_t value;
};

// A state of the registers that choose pin functions, over a register file
// of zeros. Indices 7 and 8 are CMCON0 or ADCON0 where a model has them and
// general-purpose registers elsewhere.
struct FunctionState {
    const char* name;
    std::vector<Store> registers;
    int fosc = -1; // FOSC1:FOSC0 into Config bits 1 and 0, when 0..3
    bool everything = false; // every register and configuration bit set
};

const std::vector<FunctionState>& functionStates()
{
    static const std::vector<FunctionState> states = {
        {"zeros", {}},
        {"comparator_on", {{7, 0x08}}},
        {"comparator_output_disabled", {{7, 0x48}}},
        {"ans_01", {{7, 0x40}, {8, 0x40}}},
        {"ans_10", {{7, 0x80}, {8, 0x80}}},
        {"ans_11", {{7, 0xC0}, {8, 0xC0}}},
        {"timer_clock_input", {{reg::OPTION, 0x20}}},
        {"fosc4", {{5, 0x01}}},
        {"internal_oscillator", {}, 0b10},
        {"everything", {}, -1, true},
    };
    return states;
}

void setUp(Engine& engine, int model, const FunctionState& state)
{
    if (!engine.SelectMC(model))
        engine.TypeMC = std::uint8_t(model); // listed only: a device, nothing to simulate
    engine.RAM.fill(0);
    for (size_t bit = 0; bit < engine.Config.size(); ++bit)
        engine.Config[bit] = state.everything ? 1 : 0;
    if (state.everything)
        engine.RAM.fill(0xFF);
    for (const Store& store : state.registers)
        engine.RAM[size_t(store.index)] = store.value;
    if (state.fosc >= 0) {
        engine.Config[0] = std::uint8_t(state.fosc & 1);
        engine.Config[1] = std::uint8_t(state.fosc >> 1);
    }
}

// One token per pin of the model's chip device and one for the port past
// them: "-" undriven, "H" the steady high of the instruction clock, "C" the
// comparator output, "<latch>.<bit>@<direction register>" a port bit.
std::string sourcesOf(const Engine& engine, int pinCount)
{
    std::string text;
    for (int port = 0; port <= pinCount; ++port) {
        if (port > 0)
            text += ' ';
        const ChipPinSource source = chipPinSource(engine, port);
        switch (source.kind) {
        case ChipPinSource::Undriven: text += '-'; break;
        case ChipPinSource::High: text += 'H'; break;
        case ChipPinSource::ComparatorOutput: text += 'C'; break;
        case ChipPinSource::PortBit:
            text += std::to_string(source.port) + '.' + std::to_string(source.bit) + '@' +
                    std::to_string(source.tris);
            break;
        }
    }
    return text;
}

// A model's pins under one state, or under every state (state null).
struct SourcesCase {
    int model;
    const char* state;
    const char* sources;
};

void PrintTo(const SourcesCase& c, std::ostream* os)
{
    *os << listedModel(c.model)->name << ' ' << (c.state ? c.state : "any state");
}

// clang-format off
const SourcesCase kSources[] = {
    {0, "zeros", "6.0@258 6.1@258 6.2@258 - -"},
    {0, "comparator_on", "6.0@258 6.1@258 6.2@258 - -"},
    {0, "comparator_output_disabled", "6.0@258 6.1@258 6.2@258 - -"},
    {0, "ans_01", "6.0@258 6.1@258 6.2@258 - -"},
    {0, "ans_10", "6.0@258 6.1@258 6.2@258 - -"},
    {0, "ans_11", "6.0@258 6.1@258 6.2@258 - -"},
    {0, "timer_clock_input", "6.0@258 6.1@258 - - -"},
    {0, "fosc4", "6.0@258 6.1@258 H - -"},
    {0, "internal_oscillator", "6.0@258 6.1@258 6.2@258 - -"},
    {0, "everything", "6.0@258 6.1@258 H - -"},
    {1, "zeros", "6.0@258 6.1@258 6.2@258 - -"},
    {1, "comparator_on", "6.0@258 6.1@258 6.2@258 - -"},
    {1, "comparator_output_disabled", "6.0@258 6.1@258 6.2@258 - -"},
    {1, "ans_01", "6.0@258 6.1@258 6.2@258 - -"},
    {1, "ans_10", "6.0@258 6.1@258 6.2@258 - -"},
    {1, "ans_11", "6.0@258 6.1@258 6.2@258 - -"},
    {1, "timer_clock_input", "6.0@258 6.1@258 - - -"},
    {1, "fosc4", "6.0@258 6.1@258 H - -"},
    {1, "internal_oscillator", "6.0@258 6.1@258 6.2@258 - -"},
    {1, "everything", "6.0@258 6.1@258 H - -"},
    {2, "zeros", "6.0@258 6.1@258 6.2@258 - -"},
    {2, "comparator_on", "- - C - -"},
    {2, "comparator_output_disabled", "- - 6.2@258 - -"},
    {2, "ans_01", "6.0@258 6.1@258 6.2@258 - -"},
    {2, "ans_10", "6.0@258 6.1@258 6.2@258 - -"},
    {2, "ans_11", "6.0@258 6.1@258 6.2@258 - -"},
    {2, "timer_clock_input", "6.0@258 6.1@258 - - -"},
    {2, "fosc4", "6.0@258 6.1@258 H - -"},
    {2, "internal_oscillator", "6.0@258 6.1@258 6.2@258 - -"},
    {2, "everything", "- - H - -"},
    {3, "zeros", "6.0@258 6.1@258 6.2@258 - -"},
    {3, "comparator_on", "- - C - -"},
    {3, "comparator_output_disabled", "- - 6.2@258 - -"},
    {3, "ans_01", "6.0@258 6.1@258 6.2@258 - -"},
    {3, "ans_10", "6.0@258 6.1@258 6.2@258 - -"},
    {3, "ans_11", "6.0@258 6.1@258 6.2@258 - -"},
    {3, "timer_clock_input", "6.0@258 6.1@258 - - -"},
    {3, "fosc4", "6.0@258 6.1@258 H - -"},
    {3, "internal_oscillator", "6.0@258 6.1@258 6.2@258 - -"},
    {3, "everything", "- - H - -"},
    {4, "zeros", "6.0@258 6.1@258 6.2@258 - -"},
    {4, "comparator_on", "6.0@258 6.1@258 6.2@258 - -"},
    {4, "comparator_output_disabled", "- 6.1@258 6.2@258 - -"},
    {4, "ans_01", "- 6.1@258 6.2@258 - -"},
    {4, "ans_10", "6.0@258 - 6.2@258 - -"},
    {4, "ans_11", "- - 6.2@258 - -"},
    {4, "timer_clock_input", "6.0@258 6.1@258 - - -"},
    {4, "fosc4", "6.0@258 6.1@258 H - -"},
    {4, "internal_oscillator", "6.0@258 6.1@258 6.2@258 - -"},
    {4, "everything", "- - H - -"},
    {5, "zeros", "6.0@258 6.1@258 6.2@258 - -"},
    {5, "comparator_on", "6.0@258 6.1@258 6.2@258 - -"},
    {5, "comparator_output_disabled", "- 6.1@258 6.2@258 - -"},
    {5, "ans_01", "- 6.1@258 6.2@258 - -"},
    {5, "ans_10", "6.0@258 - 6.2@258 - -"},
    {5, "ans_11", "- - 6.2@258 - -"},
    {5, "timer_clock_input", "6.0@258 6.1@258 - - -"},
    {5, "fosc4", "6.0@258 6.1@258 H - -"},
    {5, "internal_oscillator", "6.0@258 6.1@258 6.2@258 - -"},
    {5, "everything", "- - H - -"},
    {6, "zeros", "6.0@258 6.1@258 6.2@258 - - - -"},
    {6, "comparator_on", "6.0@258 6.1@258 6.2@258 - - - -"},
    {6, "comparator_output_disabled", "6.0@258 6.1@258 6.2@258 - - - -"},
    {6, "ans_01", "6.0@258 6.1@258 6.2@258 - - - -"},
    {6, "ans_10", "6.0@258 6.1@258 6.2@258 - - - -"},
    {6, "ans_11", "6.0@258 6.1@258 6.2@258 - - - -"},
    {6, "timer_clock_input", "6.0@258 6.1@258 - - - - -"},
    {6, "fosc4", "6.0@258 6.1@258 6.2@258 - - - -"},
    {6, "internal_oscillator", "6.0@258 6.1@258 6.2@258 - 6.4@258 6.5@258 -"},
    {6, "everything", "6.0@258 6.1@258 - - - - -"},
    {7, "zeros", "6.0@258 6.1@258 6.2@258 - - - -"},
    {7, "comparator_on", "6.0@258 6.1@258 6.2@258 - - - -"},
    {7, "comparator_output_disabled", "6.0@258 6.1@258 6.2@258 - - - -"},
    {7, "ans_01", "6.0@258 6.1@258 6.2@258 - - - -"},
    {7, "ans_10", "6.0@258 6.1@258 6.2@258 - - - -"},
    {7, "ans_11", "6.0@258 6.1@258 6.2@258 - - - -"},
    {7, "timer_clock_input", "6.0@258 6.1@258 - - - - -"},
    {7, "fosc4", "6.0@258 6.1@258 6.2@258 - - - -"},
    {7, "internal_oscillator", "6.0@258 6.1@258 6.2@258 - 6.4@258 6.5@258 -"},
    {7, "everything", "6.0@258 6.1@258 - - - - -"},
    {8, "zeros", "6.0@258 6.1@258 6.2@258 - - - -"},
    {8, "comparator_on", "- - C - - - -"},
    {8, "comparator_output_disabled", "- - 6.2@258 - - - -"},
    {8, "ans_01", "6.0@258 6.1@258 - - - - -"},
    {8, "ans_10", "- 6.1@258 - - - - -"},
    {8, "ans_11", "- - - - - - -"},
    {8, "timer_clock_input", "6.0@258 6.1@258 - - - - -"},
    {8, "fosc4", "6.0@258 6.1@258 6.2@258 - - - -"},
    {8, "internal_oscillator", "6.0@258 6.1@258 6.2@258 - 6.4@258 6.5@258 -"},
    {8, "everything", "- - - - - - -"},
    {9, "zeros", "6.0@258 6.1@258 6.2@258 - - - -"},
    {9, "comparator_on", "6.0@258 6.1@258 6.2@258 - - - -"},
    {9, "comparator_output_disabled", "6.0@258 6.1@258 6.2@258 - - - -"},
    {9, "ans_01", "6.0@258 6.1@258 6.2@258 - - - -"},
    {9, "ans_10", "6.0@258 6.1@258 6.2@258 - - - -"},
    {9, "ans_11", "6.0@258 6.1@258 6.2@258 - - - -"},
    {9, "timer_clock_input", "6.0@258 6.1@258 - - - - -"},
    {9, "fosc4", "6.0@258 6.1@258 6.2@258 - - - -"},
    {9, "internal_oscillator", "6.0@258 6.1@258 6.2@258 - 6.4@258 6.5@258 -"},
    {9, "everything", "6.0@258 6.1@258 - - - - -"},
    {10, nullptr, "- - - - - - - - - - - - -"},
    {11, nullptr, "- - - - - - - - - - - - -"},
    {12, nullptr, "- - - - - - - - - - - - -"},
    {13, nullptr, "5.0@259 5.1@259 5.2@259 5.3@259 6.0@260 6.1@260 6.2@260 6.3@260 6.4@260 6.5@260 6.6@260 6.7@260 - - -"},
    {14, nullptr, "5.0@259 5.1@259 5.2@259 5.3@259 6.0@260 6.1@260 6.2@260 6.3@260 6.4@260 6.5@260 6.6@260 6.7@260 7.0@261 7.1@261 7.2@261 7.3@261 7.4@261 7.5@261 7.6@261 7.7@261 - - -"},
    {15, nullptr, "5.0@259 5.1@259 5.2@259 5.3@259 6.0@260 6.1@260 6.2@260 6.3@260 6.4@260 6.5@260 6.6@260 6.7@260 7.0@261 7.1@261 7.2@261 7.3@261 7.4@261 7.5@261 7.6@261 7.7@261 8.0@262 8.1@262 8.2@262 8.3@262 8.4@262 8.5@262 8.6@262 8.7@262 9.4@263 9.5@263 9.6@263 9.7@263 - - -"},
};
// clang-format on

class PinSources : public testing::TestWithParam<SourcesCase> {};

TEST_P(PinSources, AsBeforeTheyCameFromThePinout)
{
    const SourcesCase& c = GetParam();
    const ModelEntry* row = listedModel(c.model);
    ASSERT_NE(row, nullptr);
    for (const FunctionState& state : functionStates()) {
        if (c.state && std::string(c.state) != state.name)
            continue;
        Engine engine;
        setUp(engine, c.model, state);
        EXPECT_EQ(sourcesOf(engine, int(row->pins.size())), c.sources) << state.name;
        // The level follows from the source: a port bit drives its latch
        // while its direction bit is clear.
        for (int port = 0; port < int(row->pins.size()); ++port) {
            const ChipPinSource source = chipPinSource(engine, port);
            EXPECT_EQ(chipPinUndrivenByFunction(engine, port), source.kind == ChipPinSource::Undriven) << port;
            if (source.kind != ChipPinSource::PortBit)
                continue;
            engine.RAM[size_t(source.tris)] = std::uint8_t(~(1u << source.bit));
            engine.RAM[size_t(source.port)] = std::uint8_t(1u << source.bit);
            EXPECT_EQ(chipPinLevel(engine, port), 5.0f) << state.name << " port " << port;
            engine.RAM[size_t(source.port)] = 0;
            EXPECT_EQ(chipPinLevel(engine, port), 0.0f) << state.name << " port " << port;
            setUp(engine, c.model, state);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryListedModel, PinSources, testing::ValuesIn(kSources));

// Every listed model and every state has its row.
TEST(PinSourcesTable, CoversEveryModelAndState)
{
    for (int model = 0; model < kModelIndexCount; ++model) {
        for (const FunctionState& state : functionStates()) {
            int rows = 0;
            for (const SourcesCase& c : kSources)
                rows += c.model == model && (!c.state || std::string(c.state) == state.name);
            EXPECT_EQ(rows, 1) << model << ' ' << state.name;
        }
    }
}

// An index past the listed models has no pinout: nothing is driven.
TEST(PinSourcesTable, AnUnlistedModelDrivesNothing)
{
    Engine engine;
    engine.TypeMC = std::uint8_t(kModelIndexCount);
    engine.RAM.fill(0);
    for (int port = -1; port <= kMostChipPins; ++port)
        EXPECT_EQ(chipPinSource(engine, port).kind, ChipPinSource::Undriven) << port;
}

} // namespace

} // namespace pin_sources_test
