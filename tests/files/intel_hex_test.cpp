// Intel HEX out and in: the records the export writes, every fault the reader
// reports, and files from gpasm read back to gpasm's words.
#include <gtest/gtest.h>

#include <random>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "files_support.h"
#include "qt_printers.h"
#include "bound_corvel.h"
#include "ide/files/intel_hex.h"
#include "ide/texts/texts.h"

namespace intel_hex_test {
namespace {

using filestest::ArrayMemory;

QByteArray ExportText(const std::vector<std::uint16_t>& words, std::uint16_t config)
{
    return IntelHexText(words, config);
}

TEST(IntelHexExportTest, RecordsOfEightWordsThenTheRestThenConfigurationAndEnd)
{
    struct Case {
        std::vector<std::uint16_t> words;
        std::uint16_t config;
        QByteArray text;
    };
    std::vector<std::uint16_t> nine = {0x001, 0x002, 0x003, 0x004, 0x005, 0x006, 0x007, 0xA08, 0xFFF};
    const Case cases[] = {
        {{}, 0x000, ":021FFE000000E1\r\n:00000001FF\r\n"},
        {{0x0C05}, 0x000, ":02000000050CED\r\n:021FFE000000E1\r\n:00000001FF\r\n"},
        {std::vector<std::uint16_t>(nine.begin(), nine.begin() + 8), 0xFEA,
            ":100000000100020003000400050006000700080AC2\r\n:021FFE00EA0FE8\r\n:00000001FF\r\n"},
        {nine, 0x00F,
            ":100000000100020003000400050006000700080AC2\r\n:02001000FF0FE0\r\n:021FFE000F00D2\r\n"
            ":00000001FF\r\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExportText(c.words, c.config), c.text) << c.words.size() << " words";
}

TEST(IntelHexExportTest, WritesWordsUpToTheLastAddressAndReplacesTheFile)
{
    QTemporaryDir dir;
    const QString name = dir.filePath("out.hex");
    ArrayMemory memory(512);
    memory.words[0] = 0x0C05;
    memory.words[1] = 0x0A00;
    memory.config = 0x0FEA;
    {
        QFile old(name);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(5000, 'x'));
    }
    ASSERT_TRUE(ExportIntelHex(name, 1, memory));
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), ExportText({0x0C05, 0x0A00}, 0x0FEA));

    // Beyond the last word nothing is read; an unwritable place leaves no file.
    ASSERT_TRUE(ExportIntelHex(name, 100000, memory));
    EXPECT_EQ(memory.outOfRangeAccesses, 0);
    QString error;
    EXPECT_FALSE(ExportIntelHex(dir.filePath("missing/folder/out.hex"), 1, memory, &error));
    EXPECT_FALSE(error.isEmpty());
}

QString LineError(int index, int detail)
{
    return GetText(1150) + " (" + GetText(1151) + " #" + QString::number(index) + ' ' + GetText(detail) + ')';
}

QString MissingEnd()
{
    return GetText(1150) + " - " + GetText(1155);
}

TEST(IntelHexImportTest, EachFaultNamesItsLineFromZeroAndItsDetail)
{
    struct Case {
        const char* name;
        QByteArray text;
        QString error;
    };
    const Case cases[] = {
        {"empty file", "", MissingEnd()},
        {"no end record", ":02000000050CED\r\n", MissingEnd()},
        {"lower-case end record", ":02000000050CED\r\n:00000001ff\r\n", MissingEnd()},
        {"blank line before the end", ":02000000050CED\r\n\r\n:00000001FF\r\n", LineError(1, 1152)},
        {"short line", ":020000000\n", LineError(0, 1152)},
        {"no colon", "02000000050CED\n:00000001FF\n", LineError(0, 1153)},
        {"count not hex", ":0G000000050CED\n", LineError(0, 1154)},
        {"count lower case", ":0a000000050C050C050C050C050CED\n", LineError(0, 1154)},
        {"odd count", ":03000000050C00ED\n", LineError(0, 1156)},
        {"address not hex", ":02000G00050CED\n", LineError(0, 1154)},
        {"address low not hex", ":0200000x050CED\n", LineError(0, 1154)},
        {"type not hex", ":020000X0050CED\n", LineError(0, 1154)},
        {"data lower case", ":02000000050cED\n:00000001FF\n", LineError(0, 1154)},
        {"data beyond the line", ":00000001FF0\n:04000000050C\n", LineError(1, 1154)},
        {"data record shorter than its count", ":02000000050CED\n:04000000050C\n", LineError(1, 1154)},
        {"configuration of four bytes", ":041FFE000000000000\n", LineError(0, 1156)},
        {"configuration lower case", ":021FFE00e00000\n", LineError(0, 1154)},
        {"word beyond memory and ID locations", ":02040800000000\n:00000001FF\n", LineError(0, 1156)},
        {"record reaching the configuration address", ":041FFC000000000000\n:00000001FF\n",
            LineError(0, 1156)},
        {"fault after good lines", ":02000000050CED\n:02000200050CED\n:02000400050Cxx\nzz\n", LineError(3, 1152)},
        {"no colon after good lines", ":02000000050CED\n;02000200050CED\n", LineError(1, 1153)},
    };
    for (const Case& c : cases) {
        QString error;
        EXPECT_FALSE(ParseIntelHex(c.text, 512, &error)) << c.name;
        EXPECT_EQ(error, c.error) << c.name;
    }
}

TEST(IntelHexImportTest, WhatIsReadAndWhatIsSkipped)
{
    struct Case {
        const char* name;
        QByteArray text;
        std::map<std::int32_t, std::uint16_t> words;
        std::optional<std::uint8_t> configLow;
    };
    const Case cases[] = {
        {"checksum not verified", ":02000000050C00\n:00000001FF\n", {{0, 0xC05}}, {}},
        {"bits 12 to 15 ignored", ":02000000057C00\n:00000001FF\n", {{0, 0xC05}}, {}},
        {"odd byte address", ":02000300050C00\n:00000001FF\n", {{1, 0xC05}}, {}},
        {"extended address and other types skipped",
            ":020000040000FA\n:020000020000FC\n:0400000300000000F9\n:02000000050C00\n:00000001FF\n",
            {{0, 0xC05}}, {}},
        {"later record wins", ":0400000001000200F9\n:02000200030000\n:00000001FF\n", {{0, 0x001}, {1, 0x003}},
            {}},
        {"ID locations after memory skipped", ":080400000100020003000400E6\n:00000001FF\n", {}, {}},
        {"configuration low byte", ":021FFE00EA0FE8\n:00000001FF\n", {}, std::uint8_t(0xEA)},
        {"lines after the end not read", ":00000001FF\nrubbish\n\n", {}, {}},
        {"CR line ends and a byte-order mark", "\xEF\xBB\xBF:02000000050C00\r:00000001FF\r", {{0, 0xC05}}, {}},
        {"last line without line end", ":02000000050C00\n:00000001FF", {{0, 0xC05}}, {}},
        {"last word of memory", ":0203FE00050C00\n:00000001FF\n", {{511, 0xC05}}, {}},
    };
    for (const Case& c : cases) {
        QString error;
        const std::optional<THexImage> image = ParseIntelHex(c.text, 512, &error);
        ASSERT_TRUE(image) << c.name << ": " << error.toStdString();
        EXPECT_EQ(image->words, c.words) << c.name;
        EXPECT_EQ(image->configLow, c.configLow) << c.name;
    }
}

TEST(IntelHexImportTest, SuccessResetsMemoryToTheFillAndSetsConfigurationBitsZeroToSeven)
{
    ArrayMemory memory(512, 0x123);
    memory.config = 0xFFF;
    ASSERT_TRUE(ImportIntelHexText(":0400020001000200F9\n:021FFE00000000\n:00000001FF\n", memory));
    EXPECT_EQ(memory.words[0], kFillWord);
    EXPECT_EQ(memory.words[1], 0x001);
    EXPECT_EQ(memory.words[2], 0x002);
    EXPECT_EQ(memory.words[3], kFillWord);
    EXPECT_EQ(memory.words[511], kLastWordFill);
    EXPECT_EQ(memory.config, 0xF00);
    EXPECT_EQ(memory.lines, std::vector<std::int32_t>(512, 0));
    EXPECT_EQ(memory.outOfRangeAccesses, 0);

    // Without a configuration record the configuration stays as it was.
    ASSERT_TRUE(ImportIntelHexText(":00000001FF\n", memory));
    EXPECT_EQ(memory.config, 0xF00);
}

TEST(IntelHexImportTest, AFailedImportChangesNothing)
{
    ArrayMemory memory(512, 0x123);
    memory.config = 0xABC;
    const ArrayMemory before = memory;
    EXPECT_FALSE(ImportIntelHexText(":0400000001000200F9\n:021FFE00000000\n:0200", memory));
    EXPECT_EQ(HexErrorText, LineError(2, 1152));
    EXPECT_FALSE(ImportIntelHexText(":0400000001000200F9\n:021FFE00000000\n", memory));
    EXPECT_EQ(HexErrorText, MissingEnd());
    EXPECT_EQ(memory.writes, 0);
    EXPECT_EQ(memory.words, before.words);
    EXPECT_EQ(memory.config, before.config);

    EXPECT_FALSE(ImportIntelHex(QDir::temp().filePath("no-such-file-tarnwick.hex"), memory));
    EXPECT_TRUE(HexErrorText.startsWith(GetText(1010)));
    EXPECT_EQ(memory.writes, 0);
}

TEST(IntelHexImportTest, ExportReadsBackToTheSameWordsAndConfiguration)
{
    std::mt19937 random(18);
    for (const std::int32_t size : {256, 512, 1024, 2048}) {
        ArrayMemory source(size);
        for (std::uint16_t& word : source.words)
            word = std::uint16_t(random() & 0xFFF);
        source.config = std::uint16_t(random() & 0xFFF);
        const std::int32_t last = std::int32_t(random() % std::uint32_t(size));
        QTemporaryDir dir;
        const QString name = dir.filePath("round.HEX");
        ASSERT_TRUE(ExportIntelHex(name, last, source));

        ArrayMemory target(size);
        target.config = 0;
        ASSERT_TRUE(ImportIntelHex(name, target)) << HexErrorText.toStdString();
        for (std::int32_t address = 0; address < size; ++address) {
            const std::uint16_t expected = address <= last ? source.words[std::size_t(address)]
                : address == size - 1                      ? kLastWordFill
                                                           : kFillWord;
            ASSERT_EQ(target.words[std::size_t(address)], expected) << size << " words, address " << address;
        }
        EXPECT_EQ(target.config, source.config & 0xFF);
    }
}

// A program with every kind of word, the ID locations and the configuration
// word, as gpasm assembles it for one model.
std::string GpasmProgram(const std::string& processor, std::int32_t romSize, std::uint16_t config)
{
    char text[2048];
    std::snprintf(text, sizeof text,
        "\tprocessor %s\n\t__config 0x%03X\n\t__idlocs 0x1A2B\n\torg 0\n"
        "start:\tmovlw 0x5A\n\tmovwf 0x10\n\tbtfss 0x03, 2\n\tgoto later\n\tcall sub\n"
        "\tincf 0x10, f\n\tdecfsz 0x10, w\n\ttris 6\n\tclrwdt\n\tsleep\n"
        "sub:\tretlw 0xFF\n\torg 0x%X\nlater:\tgoto start\n\tiorlw 0x81\n\torg 0x%X\n\tmovlw 0x23\n\tend\n",
        processor.c_str(), config, romSize / 2 + 3, romSize - 1);
    return text;
}

struct GpasmModel {
    const char* processor;
    std::int32_t romSize;
    std::uint16_t config;
};

const GpasmModel kGpasmModels[] = {
    {"p10f200", 256, 0xFEB},
    {"p10f222", 512, 0xFFF},
    {"p12f508", 512, 0xFEA},
    {"p12f509", 1024, 0xFE5},
    {"p16f54", 512, 0xFF9},
    {"p16f57", 2048, 0xFFA},
    {"p16f59", 2048, 0xFF3},
};

TEST(IntelHexGpasmTest, GpasmFilesImportToGpasmsWordsAndConfigurationBits)
{
    if (!filestest::GpasmInstalled())
        GTEST_SKIP() << "gpasm is not installed";
    for (const GpasmModel& model : kGpasmModels) {
        for (const bool dos : {false, true}) {
            std::string diagnostics;
            const auto output = filestest::Gpasm(GpasmProgram(model.processor, model.romSize, model.config),
                model.processor, dos, &diagnostics);
            ASSERT_TRUE(output) << model.processor << ": " << diagnostics;
            ASSERT_EQ(output->hex.contains("\r\n"), dos);
            // gpasm writes the ID locations right after program memory.
            ASSERT_EQ(filestest::WordsOf(output->bytes, model.romSize, model.romSize + 4).size(), 4u);

            ArrayMemory memory(model.romSize);
            memory.config = 0xF00;
            ASSERT_TRUE(ImportIntelHexText(output->hex, memory)) << model.processor << ": "
                                                                  << HexErrorText.toStdString();
            const auto expected = filestest::WordsOf(output->bytes, 0, model.romSize);
            for (std::int32_t address = 0; address < model.romSize; ++address) {
                const auto word = expected.find(address);
                const std::uint16_t want = word != expected.end() ? word->second
                    : address == model.romSize - 1                ? kLastWordFill
                                                                  : kFillWord;
                ASSERT_EQ(memory.words[std::size_t(address)], want) << model.processor << " at " << address;
            }
            const auto config = filestest::WordsOf(output->bytes, 0xFFF, 0x1000);
            ASSERT_EQ(config.size(), 1u);
            EXPECT_EQ(memory.config, 0xF00 | (config.at(0xFFF) & 0xFF)) << model.processor;
            EXPECT_EQ(memory.outOfRangeAccesses, 0);
        }
    }
}

TEST(IntelHexGpasmTest, OurExportHoldsGpasmsDataBytesAtEveryAddress)
{
    if (!filestest::GpasmInstalled())
        GTEST_SKIP() << "gpasm is not installed";
    for (const GpasmModel& model : kGpasmModels) {
        // Program memory filled up to the last word, so both files cover the
        // same addresses; the ID locations are gpasm's alone.
        std::string source = "\tprocessor " + std::string(model.processor) + "\n\tradix dec\n\t__config "
            + std::to_string(model.config) + "\n\torg 0\n";
        for (std::int32_t address = 0; address < model.romSize; ++address)
            source += "\tdw " + std::to_string((address * 37 + 11) & 0xFFF) + "\n";
        source += "\tend\n";
        std::string diagnostics;
        const auto output = filestest::Gpasm(source, model.processor, true, &diagnostics);
        ASSERT_TRUE(output) << diagnostics;

        ArrayMemory memory(model.romSize);
        ASSERT_TRUE(ImportIntelHexText(output->hex, memory)) << HexErrorText.toStdString();
        memory.config = model.config;
        const auto ours = filestest::StrictHexBytes(ExportText(memory.words, memory.config));
        ASSERT_TRUE(ours) << model.processor;
        EXPECT_EQ(*ours, output->bytes) << model.processor;
    }
}

// Mutations of sound files and random bytes: the reader never fails to
// answer, never writes outside memory, and on a fault writes nothing.
TEST(IntelHexFuzzTest, MutatedAndRandomFilesNeverWriteOutsideMemoryNorOnFailure)
{
    std::mt19937 random(19);
    std::vector<std::uint16_t> words(40);
    for (std::uint16_t& word : words)
        word = std::uint16_t(random() & 0xFFF);
    const QByteArray sound = ExportText(words, 0xABC) + ":080200000100020003000400E6\r\n";
    const QByteArray alphabet = ":0123456789ABCDEFabcdef\r\n \xEF\xBB\xBF";
    int accepted = 0;
    for (int round = 0; round < 6000; ++round) {
        QByteArray text;
        if (round % 4 == 0) {
            text.resize(random() % 200);
            for (char& byte : text)
                byte = char(random() % 2 ? random() : alphabet[random() % alphabet.size()]);
        } else {
            text = sound;
            if (round % 4 == 1)
                text.truncate(random() % (text.size() + 1));
            const int edits = 1 + random() % 4;
            for (int edit = 0; edit < edits && !text.isEmpty(); ++edit) {
                const qsizetype at = random() % text.size();
                switch (random() % 3) {
                case 0:
                    text[at] = alphabet[random() % alphabet.size()];
                    break;
                case 1:
                    text.remove(at, 1 + random() % 3);
                    break;
                default:
                    text.insert(at, alphabet[random() % alphabet.size()]);
                    break;
                }
            }
        }
        for (const std::int32_t size : {256, 512}) {
            ArrayMemory memory(size, 0x777);
            const bool ok = ImportIntelHexText(text, memory);
            ASSERT_EQ(memory.outOfRangeAccesses, 0) << text.toStdString();
            if (ok) {
                ++accepted;
            } else {
                ASSERT_EQ(memory.writes, 0);
                ASSERT_TRUE(HexErrorText.startsWith(GetText(1150)));
            }
        }
    }
    EXPECT_GT(accepted, 0);
}

} // namespace

namespace {

// The same import and export through corvel's bit-wise entry points.
TEST(IntelHexCorvelTest, ImportAndExportReachCorvelsProgramMemoryAndConfiguration)
{
    if (!filestest::GpasmInstalled())
        GTEST_SKIP() << "gpasm is not installed";
    filestest::BoundCorvel corvel;
    ASSERT_TRUE(corvel.bound()) << corvel.error().toStdString();
    DllMCEntries.SelectMC(7); // PIC12F509
    TBoundProgramMemory memory;
    ASSERT_EQ(memory.RomSize(), 1024);
    for (std::int32_t address = 0; address < 1024; ++address) {
        memory.SetWord(address, 0x0ABC);
        DllMCEntries.Set_ROM_Str_No(address, 5);
        DllMCEntries.Set_ROM_BP(address, 1);
    }
    for (std::int32_t bit = 8; bit < 12; ++bit)
        memory.SetConfigBit(bit, true);

    std::string diagnostics;
    const auto output = filestest::Gpasm(GpasmProgram("p12f509", 1024, 0xFE5), "p12f509", false, &diagnostics);
    ASSERT_TRUE(output) << diagnostics;
    QTemporaryDir dir;
    const QString name = dir.filePath("GPASM.HEX");
    {
        QFile file(name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(output->hex);
    }
    ASSERT_TRUE(ImportIntelHex(name, memory)) << HexErrorText.toStdString();
    const auto expected = filestest::WordsOf(output->bytes, 0, 1024);
    for (std::int32_t address = 0; address < 1024; ++address) {
        const auto word = expected.find(address);
        const std::uint16_t want = word != expected.end() ? word->second
            : address == 1023                             ? kLastWordFill
                                                          : kFillWord;
        ASSERT_EQ(memory.Word(address), want) << address;
        ASSERT_EQ(DllMCEntries.Get_ROM_Str_No(address), 0);
    }
    EXPECT_EQ(ConfigWord(memory), 0xFE5);

    const QString exported = dir.filePath("ours.hex");
    ASSERT_TRUE(ExportIntelHex(exported, 1022, memory));
    QFile file(exported);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    std::vector<std::uint16_t> words;
    for (std::int32_t address = 0; address <= 1022; ++address)
        words.push_back(memory.Word(address));
    EXPECT_EQ(file.readAll(), IntelHexText(words, 0xFE5));
}

} // namespace

namespace {

// Before any library is bound the commands find no memory rather than crash.
TEST(IntelHexCorvelTest, NothingIsReachedWithoutABoundLibrary)
{
    const TDllMCEntries saved = DllMCEntries;
    DllMCEntries = TDllMCEntries{};
    TBoundProgramMemory memory;
    EXPECT_EQ(memory.RomSize(), 0);
    EXPECT_FALSE(ImportIntelHexText(":02000000050C00\n:00000001FF\n", memory));
    EXPECT_EQ(HexErrorText, LineError(0, 1156));
    EXPECT_TRUE(ImportIntelHexText(":00000001FF\n", memory));
    QTemporaryDir dir;
    EXPECT_TRUE(ExportIntelHex(dir.filePath("empty.hex"), 10, memory));
    DllMCEntries = saved;
}

} // namespace

} // namespace intel_hex_test
