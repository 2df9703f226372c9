#pragma once

// A program memory that records what the assembler writes, and a source of
// plain text lines that records the marks.
#include <cstdint>
#include <set>
#include <vector>

#include <QStringList>

#include "asm_fixture.h"
#include "ide/asm/assembler.h"
#include "ide/main/user_message.h"

inline void PrintTo(const TErrorMark& mark, std::ostream* out)
{
    *out << "{line " << mark.line << ", " << mark.start << "+" << mark.length << "}";
}

namespace twtest {

class RecordingEngine : public TAsmEngine {
public:
    // Everything starts as left by an earlier program: words, line maps and
    // breakpoints hold values the assembler must overwrite.
    explicit RecordingEngine(int romSize)
        : romSize(romSize)
        , words(std::size_t(romSize), 0x5A5)
        , writtenBits(std::size_t(romSize), 0)
        , lineFrom(std::size_t(romSize), 77)
        , lineTo(std::size_t(romSize), 77)
        , lineNo(std::size_t(romSize), 77)
        , breakpoints(std::size_t(romSize) + 1, 1)
    {
    }

    std::int32_t Get_ROM_Size() override { return romSize; }
    void Set_ROM(std::int32_t word, std::int32_t bit, std::uint8_t value) override
    {
        if (word < 0 || word >= romSize || bit < 0 || bit > 11 || value > 1) {
            ++badCalls;
            return;
        }
        auto& w = words[std::size_t(word)];
        w = std::uint16_t(value ? w | 1u << bit : w & ~(1u << bit));
        writtenBits[std::size_t(word)] |= std::uint16_t(1u << bit);
    }
    void Set_ROM_Str_No_from(std::int32_t word, std::int32_t line) override { store(lineFrom, word, line); }
    void Set_ROM_Str_No_to(std::int32_t word, std::int32_t line) override { store(lineTo, word, line); }
    void Set_ROM_Str_No(std::int32_t word, std::int32_t line) override { store(lineNo, word, line); }
    void Set_ROM_BP(std::int32_t word, std::uint8_t value) override
    {
        if (word < 0 || word > romSize || value > 1) {
            ++badCalls;
            return;
        }
        breakpoints[std::size_t(word)] = value;
    }

    int romSize;
    std::vector<std::uint16_t> words;
    std::vector<std::uint16_t> writtenBits; // which bits of each word were written
    std::vector<std::int32_t> lineFrom, lineTo, lineNo;
    std::vector<std::uint8_t> breakpoints;
    int badCalls = 0; // calls with an index or value out of range

private:
    void store(std::vector<std::int32_t>& map, std::int32_t word, std::int32_t line)
    {
        if (word < 0 || word >= romSize) {
            ++badCalls;
            return;
        }
        map[std::size_t(word)] = line;
    }
};

class TextSource : public TSourceLines {
public:
    explicit TextSource(const QString& text, std::set<int> breakpointLines = {})
        : lines(text.split(u'\n'))
        , breakpointLines(std::move(breakpointLines))
    {
    }
    int LineCount() const override { return int(lines.size()); }
    QString LineText(int line) const override { return lines[line]; }
    bool LineBreakpoint(int line) const override { return breakpointLines.count(line) != 0; }
    void MarkError(int line, int start, int length) override { marks.push_back({line, start, length}); }

    QStringList lines;
    std::set<int> breakpointLines;
    std::vector<TErrorMark> marks;
};

// Every message the program would show, collected while this lives.
class CollectedMessages {
public:
    CollectedMessages()
        : previous_(SetMessageSink([this](const QString& text) { texts << text; }))
    {
    }
    ~CollectedMessages() { SetMessageSink(previous_); }
    CollectedMessages(const CollectedMessages&) = delete;
    CollectedMessages& operator=(const CollectedMessages&) = delete;

    QStringList texts;

private:
    TMessageSink previous_;
};

// One assembly of a text into a fresh recording engine.
struct Assembly {
    explicit Assembly(const QString& text, int romSize = 512, std::set<int> breakpointLines = {})
        : engine(romSize)
        , source(text, std::move(breakpointLines))
        , assembler(engine, mnemonics)
    {
        ok = assembler.CompileAll(source);
    }

    TMnemonicList mnemonics = BaselineMnemonics();
    RecordingEngine engine;
    TextSource source;
    CollectedMessages messages;
    TAssembler assembler;
    bool ok = false;
};

} // namespace twtest
