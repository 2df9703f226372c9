// The instruction texts the instruction view and the source rebuild rely on,
// including the words that are no instruction at all.
#include <cstdint>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "engine/disassembler.h"

namespace disassembler_test {
namespace {

struct Case {
    std::uint16_t word;
    const char* text;
    std::optional<std::int32_t> jumpTarget;
};

const Case cases[] = {
    {0xC0F, "MOVLW 0Fh", std::nullopt},
    {0x000, "NOP", std::nullopt},
    {0x001, "unknown", std::nullopt},           // executes as NOP
    {0x010, "unknown", std::nullopt},           // executes as NOP
    {0xBA5, "GOTO 1A5h", 421},                  // ninth target bit as a leading 1
    {0xA05, "GOTO 05h", 5},
    {0x943, "CALL 43h", 0x43},
    {0x800, "RETLW 00h", std::nullopt},
    {0x6C3, "BTFSC 03h, 6", std::nullopt},
    {0x2A6, "INCF 06h, f", std::nullopt},
    {0x286, "INCF 06h, W", std::nullopt},
    {0x045, "CLRW", std::nullopt},              // bits 4..0 of CLRW are ignored
    {0x006, "TRIS 6", std::nullopt},
    {0x009, "TRIS 9", std::nullopt},
    {0x004, "CLRWDT", std::nullopt},
    {0x003, "SLEEP", std::nullopt},
    {0x002, "OPTION", std::nullopt},
    {0x03F, "MOVWF 1Fh", std::nullopt},
    {0xFC0F, "MOVLW 0Fh", std::nullopt},        // bits above 11 are not part of the word
    {0xF000, "NOP", std::nullopt},
};

TEST(Disassembler, TranslatesTheWordsWhoseTextIsEasyToGetWrong)
{
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "word 0x" << std::hex << c.word);
        const corvel::Disassembly result = corvel::disassemble(c.word);
        EXPECT_EQ(result.text, c.text);
        EXPECT_EQ(result.jumpTarget, c.jumpTarget);
    }
}

} // namespace

namespace {

// Every word reads as the instruction it executes as: the disassembly's
// mnemonic is the decoder row's, and only words the decoder leaves to NOP
// without claiming them read "unknown".
TEST(Disassembler, EveryWordReadsAsTheRowItExecutesAs)
{
    int unknown = 0;
    for (int word = 0; word < 4096; ++word) {
        const std::string text = corvel::disassemble(std::uint16_t(word)).text;
        const int row = corvel::decodeRow(std::uint16_t(word));
        if (text == "unknown") {
            ++unknown;
            EXPECT_EQ(row, int(corvel::Mnemonic::NOP)) << word;
            continue;
        }
        const std::string mnemonic = text.substr(0, text.find(' '));
        EXPECT_EQ(mnemonic, corvel::kInstructionSet[std::size_t(row)].mnemonic) << word;
        EXPECT_EQ(mnemonic, corvel::mnemonicNames[std::size_t(row)]) << word;
    }
    EXPECT_EQ(unknown, 23) << "0x001 and 0x00A..0x01F";
}

} // namespace

} // namespace disassembler_test
