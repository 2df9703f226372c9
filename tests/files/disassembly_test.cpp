// Program memory back to source: labels in order of first reference, the
// trailing fill trimmed, and a listing that gpasm assembles to the same words.
#include <gtest/gtest.h>

#include <QRegularExpression>

#include "bound_corvel.h"
#include "files_support.h"
#include "ide/asm/assembler.h"
#include "ide/asm/disassembly_source.h"
#include "ide/main/user_message.h"
#include "ide/files/intel_hex.h"
#include "ide/files/program_memory.h"
#include "qt_printers.h"

namespace disassembly_test {
namespace {

// corvel bound with the given model and program memory as the assembler
// leaves it, then `words` from address 0.
class DisassemblyTest : public testing::Test {
protected:
    void load(std::uint8_t model, const std::vector<std::uint16_t>& words)
    {
        ASSERT_TRUE(corvel.bound()) << corvel.error().toStdString();
        DllMCEntries.SelectMC(model);
        ResetProgramToFill(memory);
        for (std::size_t address = 0; address < words.size(); ++address)
            memory.SetWord(std::int32_t(address), words[address]);
    }

    filestest::BoundCorvel corvel;
    TBoundProgramMemory memory;
    TBoundInstructionSource source;
};

constexpr std::uint8_t kPIC10F200 = 0;
constexpr std::uint8_t kPIC12F508 = 6;
constexpr std::uint8_t kPIC12F509 = 7;
constexpr std::uint8_t kPIC16F57 = 14;

// The listing as the editor would hand it to the assembler.
class ListingLines final : public TSourceLines {
public:
    explicit ListingLines(QStringList lines) : lines_(std::move(lines)) {}
    int LineCount() const override { return int(lines_.size()); }
    QString LineText(int line) const override { return lines_.value(line); }
    bool LineBreakpoint(int) const override { return false; }
    void MarkError(int, int, int) override {}

private:
    QStringList lines_;
};

// Assembles `lines` with our assembler into the bound library; the messages
// it showed go to *messages.
bool AssembleListing(const QStringList& listing, QStringList* messages)
{
    ListingLines lines(listing);
    const TMessageSink previous = SetMessageSink([&](const QString& text) { *messages << text; });
    std::int32_t programSize = 0;
    const bool assembled = CompileAll(lines, programSize);
    SetMessageSink(previous);
    return assembled;
}


TEST_F(DisassemblyTest, LabelsAreNumberedInOrderOfFirstReference)
{
    // GOTO 5, CALL 2, NOP, GOTO 5, MOVLW 0Fh, RETLW 00h
    load(kPIC12F508, {0xA05, 0x902, 0x000, 0xA05, 0xC0F, 0x800});
    const TDisassemblyListing listing = DisassembleProgram(source);
    EXPECT_EQ(listing.lines, QStringList({"GOTO lbl1", "CALL lbl2", "lbl2:NOP", "GOTO lbl1", "MOVLW 0Fh",
                                 "lbl1:RETLW 00h"}));
    EXPECT_EQ(listing.tableofLinks, (std::vector<TArrayOfLinks>{{1, 5}, {2, 2}}));

    QStringList messages;
    ASSERT_TRUE(AssembleListing(listing.lines, &messages)) << messages.join('\n').toStdString();
    const std::vector<std::uint16_t> words = {0xA05, 0x902, 0x000, 0xA05, 0xC0F, 0x800};
    for (std::int32_t address = 0; address < 6; ++address)
        EXPECT_EQ(memory.Word(address), words[std::size_t(address)]) << address;
}

TEST_F(DisassemblyTest, TheTrailingFillIsTrimmedButALabelledNopStays)
{
    load(kPIC12F508, {});
    EXPECT_TRUE(DisassembleProgram(source).lines.isEmpty());

    // GOTO 4 makes word 4 (a NOP) a target: it and the lines above it stay.
    load(kPIC12F508, {0xA04, 0x000, 0x000});
    EXPECT_EQ(DisassembleProgram(source).lines, QStringList({"GOTO lbl1", "NOP", "NOP", "NOP", "lbl1:NOP"}));
}

TEST_F(DisassemblyTest, AJumpToAWordWithoutALineKeepsItsNumber)
{
    // PIC10F200: 256 words, the last (0xFF) is not listed; a 9-bit GOTO field
    // can name words beyond memory.
    load(kPIC10F200, {0xAFF, 0xBA5, 0x9FF, 0xA01, 0x9FE});
    const TDisassemblyListing listing = DisassembleProgram(source);
    QStringList expected = {"GOTO FFh", "lbl1:GOTO 1A5h", "CALL FFh", "GOTO lbl1", "CALL lbl2"};
    while (expected.size() < 254)
        expected << "NOP";
    expected << "lbl2:NOP";
    EXPECT_EQ(listing.lines, expected);

    // The listing assembles back to the same words.
    QStringList messages;
    ASSERT_TRUE(AssembleListing(listing.lines, &messages)) << messages.join('\n').toStdString();
    const std::vector<std::uint16_t> words = {0xAFF, 0xBA5, 0x9FF, 0xA01, 0x9FE};
    for (std::int32_t address = 0; address < 255; ++address)
        EXPECT_EQ(memory.Word(address), address < 5 ? words[std::size_t(address)] : kFillWord) << address;
    EXPECT_EQ(listing.tableofLinks, (std::vector<TArrayOfLinks>{{1, 1}, {2, 254}}));
}

TEST_F(DisassemblyTest, OneLinePerWordUpToTheWordBeforeTheLast)
{
    std::vector<std::uint16_t> words(512, 0xC01);
    load(kPIC12F508, words);
    const TDisassemblyListing listing = DisassembleProgram(source);
    ASSERT_EQ(listing.lines.size(), 511);
    EXPECT_EQ(listing.lines.last(), "MOVLW 01h");
}

// The listing in gpasm's form: labels stay at the start of their line,
// everything else is indented.
std::string ForGpasm(const QStringList& lines, const std::string& processor)
{
    static const QRegularExpression label(QStringLiteral("^(lbl\\d+:)(.*)$"));
    std::string source = "\tprocessor " + processor + "\n\torg 0\n";
    for (const QString& line : lines) {
        const QRegularExpressionMatch match = label.match(line);
        source += match.hasMatch() ? (match.captured(1) + '\t' + match.captured(2)).toStdString()
                                   : '\t' + line.toStdString();
        source += '\n';
    }
    return source + "\tend\n";
}

// Jumps and calls across every page: gpasm assembles the program, we import
// its HEX and list it, and gpasm assembles the listing back to the same
// words.
TEST_F(DisassemblyTest, AGpasmProgramListsToSourceThatGpasmAssemblesToTheSameWords)
{
    if (!filestest::GpasmInstalled())
        GTEST_SKIP() << "gpasm is not installed";
    struct Model {
        std::uint8_t index;
        const char* processor;
        std::int32_t romSize;
    };
    for (const Model& model : {Model{kPIC12F509, "p12f509", 1024}, Model{kPIC16F57, "p16f57", 2048}}) {
        std::string program = "\tprocessor " + std::string(model.processor) + "\n\torg 0\n"
            "start:\tmovlw 0x0F\n\tcall sub0\n\tbsf 0x03, 5\n\tgoto far\n"
            "sub0:\tincf 0x0A, f\n\tbtfsc 0x03, 2\n\tretlw 0\n\tdecfsz 0x0B, w\n\tgoto start\n"
            "\tswapf 0x0C, f\n\tclrw\n\ttris 6\n\toption\n\tsleep\n\tclrwdt\n\tretlw 0x55\n";
        for (std::int32_t page = 1; page * 512 < model.romSize; ++page) {
            char text[512];
            std::snprintf(text, sizeof text,
                "\torg 0x%X\nfar%d:\tcall sub%d\n\tgoto far%d\n\tbcf 0x03, 5\n\tgoto start\n"
                "sub%d:\tmovwf 0x10\n\tgoto sub%d\n\tretlw 0x%02X\n",
                page * 512 + 0x20, page, page, page, page, page, page);
            program += text;
        }
        char tail[128];
        std::snprintf(tail, sizeof tail, "far equ far1\n\torg 0x%X\n\tgoto far1\n\tend\n", model.romSize - 2);
        program += tail;

        std::string diagnostics;
        const auto assembled = filestest::Gpasm(program, model.processor, false, &diagnostics);
        ASSERT_TRUE(assembled) << model.processor << ": " << diagnostics;
        load(model.index, {});
        ASSERT_TRUE(ImportIntelHexText(assembled->hex, memory)) << HexErrorText.toStdString();

        const TDisassemblyListing listing = DisassembleProgram(source);
        ASSERT_EQ(listing.lines.size(), model.romSize - 1) << "the last listed word is a jump";
        for (const QString& line : listing.lines)
            ASSERT_NE(line, "unknown");

        // Labels numbered in order of first reference.
        static const QRegularExpression reference(QStringLiteral("^(?:lbl\\d+:)?(?:GOTO|CALL) lbl(\\d+)$"));
        int next = 1;
        for (const QString& line : listing.lines) {
            const QRegularExpressionMatch match = reference.match(line);
            if (match.hasMatch() && match.captured(1).toInt() >= next) {
                ASSERT_EQ(match.captured(1).toInt(), next) << line.toStdString();
                ++next;
            }
        }
        ASSERT_EQ(std::size_t(next - 1), listing.tableofLinks.size());

        std::vector<std::uint16_t> imported;
        for (std::int32_t address = 0; address < model.romSize; ++address)
            imported.push_back(memory.Word(address));

        // Our own assembler turns the listing back into the same words.
        QStringList messages;
        ASSERT_TRUE(AssembleListing(listing.lines, &messages)) << messages.join('\n').toStdString();
        for (std::int32_t address = 0; address < model.romSize - 1; ++address) {
            ASSERT_EQ(memory.Word(address), imported[std::size_t(address)])
                << model.processor << " word " << address << ": " << listing.lines.value(address).toStdString();
        }

        // And so does gpasm.
        const auto back = filestest::Gpasm(ForGpasm(listing.lines, model.processor), model.processor, false,
            &diagnostics);
        ASSERT_TRUE(back) << model.processor << ": " << diagnostics;
        const auto words = filestest::WordsOf(back->bytes, 0, model.romSize);
        for (std::int32_t address = 0; address < model.romSize - 1; ++address) {
            const auto word = words.find(address);
            const std::uint16_t listed = word == words.end() ? kFillWord : word->second;
            ASSERT_EQ(listed, imported[std::size_t(address)]) << model.processor << " word " << address << ": "
                                                    << listing.lines.value(address).toStdString();
        }
    }
}

} // namespace

} // namespace disassembly_test
