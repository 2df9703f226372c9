// The model catalogue against gputils: register addresses and names, bit
// names and positions, memory sizes and configuration bits, for every model.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <set>

#include "engine/engine.h"
#include "gputils_files.h"

using corvel::Engine;

namespace catalogue_gputils_test {
namespace {

// Where gputils and the register view knowingly disagree. A null model
// stands for every model, a null symbol for the whole section.
struct KnownDifference {
    const char* model;
    const char* section;
    const char* symbol;
    const char* reason;
};

const KnownDifference kKnownDifferences[] = {
    {"PIC12F508", "STATUS", "PA0", "512 words need no page bit: the PIC12F508 has no STATUS bit 5"},
    {nullptr, "PORTA", "T0CKI", "on the PIC16F5x T0CKI is a pin of its own, PORTA has bits 0-3"},
    {nullptr, "TRISA", "TRISA4", "on the PIC16F5x T0CKI is a pin of its own, TRISA has bits 0-3"},
    {nullptr, "TRISIO", "TRISIO3", "GP3 is input only: TRIS leaves its direction bit alone"},
    {nullptr, "TRISGPIO", "TRISGPIO3", "GP3 is input only: TRIS leaves its direction bit alone"},
    {"PIC12F519", "Register Files", "PORTB", "p12f519.inc also calls GPIO PORTB"},
    {"PIC12F519", "PORTB", nullptr, "p12f519.inc also calls GPIO PORTB"},
    {"PIC12F519", "TRISB", nullptr, "p12f519.inc also calls GPIO PORTB"},
    {"PIC12F519", "TRISGPIO", "TRISB3", "p12f519.inc also calls GPIO PORTB; GP3 is input only"},
    {"PIC12F519", "EEDATA", nullptr, "gputils names no bits of the data-memory registers"},
    {"PIC12F519", "EEADR", nullptr, "gputils names no bits of the data-memory registers"},
};

// The register view names no bits of the direction rows and of the converter
// result; gputils does.
bool unnamedInRegisterView(const std::string& section)
{
    return section.starts_with("TRIS") || section == "ADRES";
}

bool known(const std::string& model, const std::string& section, const std::string& symbol)
{
    return std::any_of(std::begin(kKnownDifferences), std::end(kKnownDifferences), [&](const KnownDifference& d) {
        return (!d.model || model == d.model) && section == d.section && (!d.symbol || symbol == d.symbol);
    });
}

// Our bit name as gputils spells it: active-low bits are NOT_x, and the
// register view names port bits PA0..PE7 where gputils writes RA0..RE7.
std::string gputilsSpelling(const std::string& ours, const std::string& section)
{
    if (ours == "GO/\\DONE")
        return "GO_NOT_DONE";
    if (ours.starts_with("\\"))
        return "NOT_" + ours.substr(1);
    if (section.starts_with("PORT") && ours.size() == 3 && ours[0] == 'P')
        return "R" + ours.substr(1);
    return ours;
}

// The register index a bit section of the include file describes, or -1.
int registerOfSection(const Engine& engine, const std::string& section)
{
    if (section == "OPTION_REG")
        return corvel::reg::OPTION;
    if (section == "TRISIO" || section == "TRISGPIO")
        return corvel::reg::TRISGPIO;
    if (section.size() == 5 && section.starts_with("TRIS") && section[4] >= 'A' && section[4] <= 'E')
        return corvel::reg::TRISA + (section[4] - 'A');
    for (int index = 0; index < 256; ++index) {
        const corvel::TMatrixRAM& descriptor = engine.MatrixRAM[size_t(index)];
        if (descriptor.IsSFR && descriptor.IDEName == section)
            return index;
    }
    return -1;
}

class CatalogueAgainstGputils : public testing::TestWithParam<corvel::ModelEntry> {
protected:
    void SetUp() override
    {
        if (!gputils::installed())
            GTEST_SKIP() << "gputils is not installed";
        model_ = GetParam().name;
        processor_ = gputils::processorName(model_);
        ASSERT_TRUE(engine_.SelectMC(GetParam().index));
        const auto include = gputils::readIncludeFile(processor_);
        ASSERT_TRUE(include) << processor_;
        include_ = *include;
    }

    std::string model_;
    std::string processor_;
    Engine engine_;
    gputils::IncludeFile include_;
};

TEST_P(CatalogueAgainstGputils, RegisterAddressesAndNames)
{
    for (const gputils::Symbol& reg : include_.registers) {
        if (known(model_, "Register Files", reg.name))
            continue;
        ASSERT_LT(reg.value, 256) << reg.name;
        const corvel::TMatrixRAM& descriptor = engine_.MatrixRAM[size_t(reg.value)];
        EXPECT_TRUE(descriptor.IsSFR) << reg.name;
        EXPECT_EQ(descriptor.IDEName, reg.name) << "address " << reg.value;
    }
    for (int index = 0; index < 256; ++index) {
        const corvel::TMatrixRAM& descriptor = engine_.MatrixRAM[size_t(index)];
        if (!descriptor.IsSFR)
            continue;
        const bool listed = std::any_of(include_.registers.begin(), include_.registers.end(),
            [&](const gputils::Symbol& reg) { return reg.value == index && reg.name == descriptor.IDEName; });
        EXPECT_TRUE(listed) << descriptor.IDEName << " at " << index;
    }
}

TEST_P(CatalogueAgainstGputils, BitNamesAndPositions)
{
    for (const auto& [section, symbols] : include_.bits) {
        if (known(model_, section, ""))
            continue;
        const int index = registerOfSection(engine_, section);
        ASSERT_GE(index, 0) << "no register for the section " << section;
        const corvel::TMatrixRAM& descriptor = engine_.MatrixRAM[size_t(index)];
        std::array<std::vector<std::string>, 8> namesAt;
        for (const gputils::Symbol& symbol : symbols) {
            ASSERT_LT(symbol.value, 8) << symbol.name;
            namesAt[size_t(symbol.value)].push_back(symbol.name);
            if (known(model_, section, symbol.name))
                continue;
            EXPECT_TRUE(descriptor.usedbit >> symbol.value & 1) << section << "." << symbol.name;
            if (unnamedInRegisterView(section))
                continue;
            const std::string ours = gputilsSpelling(descriptor.bitname[size_t(symbol.value)], section);
            const auto& names = namesAt[size_t(symbol.value)];
            const bool sameBitSameName =
                std::find(symbols.begin(), symbols.end(), gputils::Symbol{ours, symbol.value}) != symbols.end();
            EXPECT_TRUE(sameBitSameName) << section << " bit " << symbol.value << ": gputils " << names.back()
                                         << ", ours " << descriptor.bitname[size_t(symbol.value)];
        }
        for (size_t bit = 0; bit < 8; ++bit) {
            const std::string& ours = descriptor.bitname[bit];
            if (ours.empty())
                continue;
            const std::string spelled = gputilsSpelling(ours, section);
            EXPECT_NE(std::find(namesAt[bit].begin(), namesAt[bit].end(), spelled), namesAt[bit].end())
                << section << " bit " << bit << ": ours " << ours << " unknown to gputils";
        }
    }
    // Every row with bit names has its section in the include file.
    for (int index = 0; index < corvel::kRegisterCount; ++index) {
        const corvel::TMatrixRAM& descriptor = engine_.MatrixRAM[size_t(index)];
        const bool named = std::any_of(descriptor.bitname.begin(), descriptor.bitname.end(),
            [](const std::string& name) { return !name.empty(); });
        if (!named || known(model_, descriptor.IDEName, ""))
            continue;
        const std::string section = index == corvel::reg::OPTION ? "OPTION_REG" : descriptor.IDEName;
        EXPECT_TRUE(include_.bits.contains(section)) << descriptor.IDEName;
    }
}

TEST_P(CatalogueAgainstGputils, MemorySizes)
{
    const auto properties = gputils::processorProperties(processor_);
    ASSERT_TRUE(properties) << "gpasm -s -p " << processor_;
    EXPECT_EQ(engine_.ROM_Size, properties->programWords);

    int highest = -1;
    std::set<int> generalPurpose;
    for (int index = 0; index < 256; ++index) {
        const corvel::TMatrixRAM& descriptor = engine_.MatrixRAM[size_t(index)];
        if (!descriptor.Implemented)
            continue;
        highest = index;
        if (!descriptor.IsSFR)
            generalPurpose.insert(index);
    }
    EXPECT_EQ(highest, properties->maxRamAddress);
    EXPECT_EQ(highest, include_.maxRam);
    EXPECT_EQ(generalPurpose, gputils::linkerGeneralPurpose(processor_));
    for (int address : include_.badRam)
        EXPECT_FALSE(engine_.MatrixRAM[size_t(address)].Implemented) << address;
}

TEST_P(CatalogueAgainstGputils, ConfigurationBits)
{
    const auto properties = gputils::processorProperties(processor_);
    ASSERT_TRUE(properties);
    std::set<int> offeredByGputils;
    std::set<int> seenMasks;
    for (const gputils::ConfigDirective& directive : properties->config) {
        int mask = 0;
        for (const gputils::Symbol& option : directive.options)
            mask |= option.value ^ directive.options.front().value;
        // A directive with one option offers nothing to choose; IOFSCS is
        // gputils' second spelling of IOSCFS.
        if (mask == 0 || !seenMasks.insert(mask).second)
            continue;
        std::string base = directive.name == "WDT" ? "WDTE" : directive.name == "OSC" ? "FOSC" : directive.name;
        const bool activeLow = std::any_of(directive.options.begin(), directive.options.end(),
            [](const gputils::Symbol& option) { return option.name == "ON" && option.value == 0; });
        int position = 0;
        for (int bit = 0; bit < 12; ++bit) {
            if (!(mask >> bit & 1))
                continue;
            offeredByGputils.insert(bit);
            std::string expected = std::popcount(unsigned(mask)) > 1 ? base + std::to_string(position++) : base;
            if (activeLow)
                expected = "\\" + expected;
            const auto ours = std::find_if(engine_.ConfigBits.begin(), engine_.ConfigBits.end(),
                [&](const corvel::TConfigBits& entry) { return entry.No == bit; });
            ASSERT_NE(ours, engine_.ConfigBits.end()) << directive.name << " bit " << bit;
            EXPECT_EQ(ours->Name, expected) << "bit " << bit;
        }
    }
    for (const corvel::TConfigBits& entry : engine_.ConfigBits)
        EXPECT_TRUE(offeredByGputils.contains(entry.No)) << entry.Name;
}

std::string modelName(const testing::TestParamInfo<corvel::ModelEntry>& info)
{
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(EveryModel, CatalogueAgainstGputils,
    testing::ValuesIn(corvel::catalogue().begin(), corvel::catalogue().end()), modelName);

} // namespace

} // namespace catalogue_gputils_test


namespace corvel {
// Test names and failure messages show the model, not its bytes.
void PrintTo(const ModelEntry& model, std::ostream* out)
{
    *out << model.name;
}
} // namespace corvel
