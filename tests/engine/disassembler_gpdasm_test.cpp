// All 4096 instruction words, disassembled by gpdasm (gputils) and by corvel,
// must agree. Each intended difference of notation is one rule in
// expectedText(), with its reason; no word is excused on its own.
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "engine/disassembler.h"

namespace disassembler_gpdasm_test {
namespace {

constexpr int wordCount = 4096;
// gpdasm disassembles only what fits the processor's program memory; the
// PIC16F57's 2048 words take half of the instruction set per run.
constexpr int wordsPerRun = 2048;

struct ListingLine {
    std::uint16_t word = 0;
    std::string mnemonic;
    std::vector<std::string> operands; // as gpdasm writes them: 0x..
};

std::string hexByte(unsigned value)
{
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02X", value & 0xFF);
    return digits;
}

// Words firstWord .. firstWord + wordsPerRun - 1 at program addresses 0 ..,
// little-endian, 16 bytes a record.
std::string intelHex(unsigned firstWord)
{
    std::string text;
    for (unsigned address = 0; address < wordsPerRun * 2; address += 16) {
        std::vector<unsigned> record{16, address >> 8, address & 0xFF, 0};
        for (unsigned i = 0; i < 8; ++i) {
            const unsigned word = firstWord + address / 2 + i;
            record.push_back(word & 0xFF);
            record.push_back(word >> 8);
        }
        unsigned sum = 0;
        text += ':';
        for (unsigned byte : record) {
            sum += byte;
            text += hexByte(byte);
        }
        text += hexByte(0x100 - (sum & 0xFF)) + '\n';
    }
    return text + ":00000001FF\n";
}

std::vector<std::string> splitOperands(const std::string& text)
{
    std::vector<std::string> operands;
    static const std::regex operand(R"([^,\s]+)");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), operand); it != std::sregex_iterator(); ++it)
        operands.push_back(it->str());
    return operands;
}

// gpdasm's default listing: "address:  word  mnemonic  operand, operand".
std::vector<ListingLine> parseListing(const std::string& listing)
{
    static const std::regex line(R"(^\s*[0-9a-f]+:\s+([0-9a-f]+)\s+(\w+)\s*(.*)$)");
    std::vector<ListingLine> lines;
    std::size_t start = 0;
    while (start < listing.size()) {
        std::size_t end = listing.find('\n', start);
        if (end == std::string::npos)
            end = listing.size();
        const std::string text = listing.substr(start, end - start);
        start = end + 1;
        std::smatch match;
        if (!std::regex_match(text, match, line))
            continue;
        lines.push_back({static_cast<std::uint16_t>(std::stoul(match[1], nullptr, 16)), match[2],
                         splitOperands(match[3])});
    }
    return lines;
}

// Runs gpdasm on the words firstWord ..; an empty result when it could not.
std::vector<ListingLine> gpdasmListing(const QString& gpdasm, const QTemporaryDir& folder, unsigned firstWord)
{
    const QString hexPath = folder.filePath(QStringLiteral("words-%1.hex").arg(firstWord, 3, 16, QChar('0')));
    QFile file(hexPath);
    if (!file.open(QIODevice::WriteOnly)) {
        ADD_FAILURE() << "cannot write " << hexPath.toStdString();
        return {};
    }
    file.write(QByteArray::fromStdString(intelHex(firstWord)));
    file.close();

    QProcess process;
    process.start(gpdasm, {QStringLiteral("-p"), QStringLiteral("p16f57"), hexPath});
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        ADD_FAILURE() << "gpdasm failed: " << process.readAllStandardError().toStdString();
        return {};
    }
    return parseListing(process.readAllStandardOutput().toStdString());
}

bool isBitInstruction(const std::string& mnemonic)
{
    return mnemonic == "bcf" || mnemonic == "bsf" || mnemonic == "btfsc" || mnemonic == "btfss";
}

// gpdasm's line as corvel writes it.
std::string expectedText(ListingLine line)
{
    const std::uint16_t word = line.word;
    // The execution takes 0000 0000 0101 .. 1001 as TRIS of ports 5 (PORTA or
    // GPIO) .. 9 (PORTE of the PIC16F59) and no other; gpdasm decodes TRIS of
    // ports 1 and 5..7.
    if ((word & 0xFF0) == 0 && (line.mnemonic == "tris" || line.mnemonic == "dw")) {
        const unsigned port = word & 0xF;
        line = port >= 5 && port <= 9 ? ListingLine{word, "tris", {std::to_string(port)}}
                                      : ListingLine{word, "dw", {}};
    }
    // The processor ignores bits 4..0 of CLRW; gpdasm takes only 0000 0100 0000.
    if ((word & 0xFE0) == 0x040)
        line = {word, "clrw", {}};
    // A word that is no instruction reads "unknown", where gpdasm writes data.
    if (line.mnemonic == "dw")
        return "unknown";

    // Mnemonics, like all text the program writes, are upper case.
    std::string text;
    for (char c : line.mnemonic)
        text += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (std::size_t i = 0; i < line.operands.size(); ++i) {
        text += i == 0 ? " " : ", ";
        const unsigned value = std::stoul(line.operands[i], nullptr, 0);
        if (line.mnemonic == "tris") {
            // The port is one decimal digit, where gpdasm writes 0x6.
            text += std::to_string(value);
        } else if (i == 1 && isBitInstruction(line.mnemonic)) {
            // The bit number is decimal, where gpdasm writes 0x6.
            text += std::to_string(value);
        } else if (i == 1) {
            // The destination is a letter, f or W, where gpdasm writes 0x1 or 0x0.
            text += value ? "f" : "W";
        } else {
            // Numbers are upper-case hex with "h", two digits, three only for
            // a GOTO target above 0FFh, where gpdasm writes 0x0f or 0x005.
            char digits[8];
            std::snprintf(digits, sizeof digits, "%02Xh", value);
            text += digits;
        }
    }
    return text;
}

// gpdasm, like corvel, gives the raw target field without the STATUS page
// bits, although the GOTO words lie in page 1 of the second run.
std::optional<std::int32_t> expectedJumpTarget(const ListingLine& line)
{
    if (line.mnemonic != "goto" && line.mnemonic != "call")
        return std::nullopt;
    return static_cast<std::int32_t>(std::stoul(line.operands.at(0), nullptr, 0));
}

std::string describe(const std::optional<std::int32_t>& jumpTarget)
{
    return jumpTarget ? "target " + std::to_string(*jumpTarget) : "no target";
}

TEST(DisassemblerAgainstGpdasm, AgreesOnEveryInstructionWord)
{
    const QString gpdasm = QStandardPaths::findExecutable(QStringLiteral("gpdasm"));
    ASSERT_FALSE(gpdasm.isEmpty()) << "gpdasm (Debian package gputils) is needed; tools/tarnwick.sh installs it";
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());

    std::vector<std::optional<ListingLine>> listing(wordCount);
    for (unsigned firstWord = 0; firstWord < wordCount; firstWord += wordsPerRun) {
        for (ListingLine& line : gpdasmListing(gpdasm, folder, firstWord)) {
            ASSERT_LT(line.word, wordCount);
            ASSERT_FALSE(listing[line.word]) << "gpdasm listed word " << line.word << " twice";
            listing[line.word] = std::move(line);
        }
    }

    int mismatches = 0;
    for (unsigned word = 0; word < wordCount; ++word) {
        ASSERT_TRUE(listing[word]) << "gpdasm did not list word 0x" << std::hex << word;
        const corvel::Disassembly ours = corvel::disassemble(static_cast<std::uint16_t>(word));
        const std::string expected = expectedText(*listing[word]);
        const std::optional<std::int32_t> target = expectedJumpTarget(*listing[word]);
        if (ours.text == expected && ours.jumpTarget == target)
            continue;
        // The first few are enough to see a pattern.
        if (++mismatches <= 20)
            ADD_FAILURE() << "word 0x" << std::hex << word << std::dec << ": ours \"" << ours.text << "\" "
                          << describe(ours.jumpTarget) << ", gpdasm normalised \"" << expected << "\" "
                          << describe(target);
    }
    EXPECT_EQ(mismatches, 0);
}

} // namespace

} // namespace disassembler_gpdasm_test
