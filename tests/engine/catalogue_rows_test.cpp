// The catalogue's rows: an absent register, bit or pin is -1 and never 0
// (INDF), every address a row names is a register the model shows, and every
// listed model index has its row with pins that fit its package.
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "engine/catalogue.h"
#include "engine/engine.h"

namespace catalogue_rows_test {
namespace {

using corvel::ModelEntry;
using corvel::ModelTable;

struct Field {
    const char* name;
    int32_t ModelTable::*member;
};

constexpr Field kAddresses[] = {
    {"AdrOSCCAL", &ModelTable::AdrOSCCAL}, {"AdrGPIO", &ModelTable::AdrGPIO},
    {"AdrPORTA", &ModelTable::AdrPORTA},   {"AdrPORTB", &ModelTable::AdrPORTB},
    {"AdrPORTC", &ModelTable::AdrPORTC},   {"AdrPORTD", &ModelTable::AdrPORTD},
    {"AdrPORTE", &ModelTable::AdrPORTE},   {"AdrCMCON0", &ModelTable::AdrCMCON0},
    {"AdrADCON0", &ModelTable::AdrADCON0}, {"AdrADRES", &ModelTable::AdrADRES},
    {"AdrEECON", &ModelTable::AdrEECON},   {"AdrEEDATA", &ModelTable::AdrEEDATA},
    {"AdrEEADR", &ModelTable::AdrEEADR},
};

// Each port register with the last bit it has.
struct PortField {
    int32_t ModelTable::*address;
    int32_t ModelTable::*lastBit;
};

constexpr PortField kPorts[] = {
    {&ModelTable::AdrGPIO, &ModelTable::LastBitGPIO},   {&ModelTable::AdrPORTA, &ModelTable::LastBitPORTA},
    {&ModelTable::AdrPORTB, &ModelTable::LastBitPORTB}, {&ModelTable::AdrPORTC, &ModelTable::LastBitPORTC},
    {&ModelTable::AdrPORTD, &ModelTable::LastBitPORTD}, {&ModelTable::AdrPORTE, &ModelTable::LastBitPORTE},
};

constexpr Field kOthers[] = {
    {"LastBitGPIO", &ModelTable::LastBitGPIO},   {"LastBitPORTA", &ModelTable::LastBitPORTA},
    {"LastBitPORTB", &ModelTable::LastBitPORTB}, {"LastBitPORTC", &ModelTable::LastBitPORTC},
    {"LastBitPORTD", &ModelTable::LastBitPORTD}, {"LastBitPORTE", &ModelTable::LastBitPORTE},
    {"CfgNoWDTE", &ModelTable::CfgNoWDTE},       {"CfgNoMCLRE", &ModelTable::CfgNoMCLRE},
    {"PinT0CKI", &ModelTable::PinT0CKI},         {"PinMCLR", &ModelTable::PinMCLR},
};

void expectAllAbsent(const ModelTable& table)
{
    for (const Field& field : kAddresses)
        EXPECT_EQ(table.*field.member, -1) << field.name;
    for (const Field& field : kOthers)
        EXPECT_EQ(table.*field.member, -1) << field.name;
    EXPECT_FALSE(table.HasPinWake);
    EXPECT_FALSE(table.HasFOSC4);
}

const corvel::SfrRow* shownRow(const ModelEntry& model, int address)
{
    for (const corvel::SfrRow& row : model.sfrRows) {
        if (row.index == address)
            return &row;
    }
    return nullptr;
}

} // namespace

TEST(CatalogueRows, WhatARowLeavesOutIsAbsentNotIndf)
{
    expectAllAbsent(ModelTable{});
    // A row that names only its GPIO has nothing else.
    constexpr ModelTable kOnlyGpio{.AdrGPIO = 6};
    ModelTable rest = kOnlyGpio;
    rest.AdrGPIO = -1;
    expectAllAbsent(rest);
}

TEST(CatalogueRows, AnEngineWithoutAModelHasNoRegistersOrPins)
{
    corvel::Engine engine;
    expectAllAbsent(engine);
    // An index that is listed but not simulated changes nothing.
    EXPECT_FALSE(engine.SelectMC(corvel::kPic16F505));
    expectAllAbsent(engine);
}

TEST(CatalogueRows, EveryAddressOfARowIsARegisterTheModelShows)
{
    for (const ModelEntry& model : corvel::catalogue()) {
        SCOPED_TRACE(model.name);
        for (const Field& field : kAddresses) {
            const int32_t address = model.table.*field.member;
            if (address == -1)
                continue;
            EXPECT_NE(address, 0) << field.name << " names INDF";
            const corvel::SfrRow* row = shownRow(model, address);
            ASSERT_NE(row, nullptr) << field.name << " = " << address;
            // The register shown there is the one the field names
            // (CM1CON0 is the PIC12F510's CMCON0).
            const std::string_view wanted = std::string_view(field.name).substr(3);
            const std::string_view shown = row->name;
            EXPECT_TRUE(shown == wanted || (wanted == "CMCON0" && shown == "CM1CON0"))
                << field.name << " shows " << shown;
        }
        for (const PortField& port : kPorts) {
            const int32_t address = model.table.*port.address;
            const int32_t lastBit = model.table.*port.lastBit;
            EXPECT_EQ(address == -1, lastBit == -1);
            if (address != -1) {
                const corvel::SfrRow* row = shownRow(model, address);
                ASSERT_NE(row, nullptr);
                EXPECT_EQ(row->bitNames[size_t(lastBit)] != nullptr, true) << row->name << " bit " << lastBit;
                EXPECT_EQ(row->usedBits >> (lastBit + 1), 0) << row->name;
            }
        }
    }
}

TEST(CatalogueRows, ResetAndTimerPinsAreTheDevicePinsOfThatName)
{
    for (const ModelEntry& model : corvel::catalogue()) {
        SCOPED_TRACE(model.name);
        const int pins = int(model.pins.size());
        ASSERT_GE(model.table.PinT0CKI, 0);
        ASSERT_LT(model.table.PinT0CKI, pins);
        ASSERT_GE(model.table.PinMCLR, 0);
        ASSERT_LT(model.table.PinMCLR, pins);
        EXPECT_NE(std::string(model.pins[size_t(model.table.PinT0CKI)].name).find("T0CKI"), std::string::npos);
        EXPECT_NE(std::string(model.pins[size_t(model.table.PinMCLR)].name).find("MCLR"), std::string::npos);
        EXPECT_TRUE(model.pins[size_t(model.table.PinMCLR)].inputOnly);
    }
}

TEST(CatalogueRows, EveryListedIndexHasItsRowAndOnlyThose)
{
    for (int index = 0; index < corvel::kModelIndexCount; ++index) {
        const ModelEntry* row = corvel::listedModel(index);
        ASSERT_NE(row, nullptr) << index;
        EXPECT_EQ(row->index, index);
        EXPECT_LE(int(row->pins.size()), corvel::packagePinCount(row->package)) << row->name;
        EXPECT_FALSE(row->pins.empty()) << row->name;
        // The simulated ones are the catalogue's own entries.
        const ModelEntry* simulated = corvel::findModel(index);
        if (simulated) {
            EXPECT_EQ(simulated, row);
            EXPECT_NE(row->configFamily, corvel::ConfigFamily::None) << row->name;
        } else {
            EXPECT_EQ(row->configFamily, corvel::ConfigFamily::None) << row->name;
            EXPECT_EQ(row->romSize, 0) << row->name;
            EXPECT_TRUE(row->configBits.empty()) << row->name;
        }
    }
    for (const int index : {-1, corvel::kModelIndexCount, 255})
        EXPECT_EQ(corvel::listedModel(index), nullptr) << index;
    EXPECT_EQ(corvel::catalogue().size(), 13u);
}

TEST(CatalogueRows, TheFastOscillatorBitIsTheRowsIoscfs)
{
    struct Case {
        int model;
        int bit;
    };
    constexpr Case kCases[] = {
        {corvel::kPic10F200, -1}, {corvel::kPic10F206, -1}, {corvel::kPic10F220, 0}, {corvel::kPic10F222, 0},
        {corvel::kPic12F508, -1}, {corvel::kPic12F509, -1}, {corvel::kPic12F510, 5}, {corvel::kPic12F519, 5},
        {corvel::kPic16F505, -1}, {corvel::kPic16F526, -1}, {corvel::kPic16F54, -1}, {corvel::kPic16F59, -1},
    };
    for (const Case& c : kCases)
        EXPECT_EQ(corvel::ioscfsConfigBit(*corvel::listedModel(c.model)), c.bit) << c.model;
}

} // namespace catalogue_rows_test
