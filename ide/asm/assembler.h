#pragma once

// The assembler and linker: one pass over the source lines records labels
// and EQU constants and encodes every instruction into the library's program
// memory; the linker then patches the jumps and calls to labels. The rest of
// program memory is filled, and the first fault of the whole source stops
// the work with one message and a mark on the faulty token.
//
// Plain code over the source lines and the few entry points of the library
// it writes through, so the editor, the Run and Export commands and the tests
// all call the same CompileAll.
#include <cstdint>
#include <vector>

#include <QHash>
#include <QString>

#include "ide/asm/line_classifier.h"
#include "ide/asm/source_lines.h"

// The library's program memory as the assembler writes it (every index is a
// word address; line maps hold line numbers from 1, 0 for no line).
class TAsmEngine {
public:
    virtual ~TAsmEngine() = default;
    virtual std::int32_t Get_ROM_Size() = 0;
    virtual void Set_ROM(std::int32_t word, std::int32_t bit, std::uint8_t value) = 0;
    virtual void Set_ROM_Str_No_from(std::int32_t word, std::int32_t line) = 0;
    virtual void Set_ROM_Str_No_to(std::int32_t word, std::int32_t line) = 0;
    virtual void Set_ROM_Str_No(std::int32_t word, std::int32_t line) = 0;
    // Index ROM_Size is valid too: the engine keeps one flag more.
    virtual void Set_ROM_BP(std::int32_t word, std::uint8_t value) = 0;
};

// The library bound in DllMCEntries.
class TBoundAsmEngine : public TAsmEngine {
public:
    // Every entry point the assembler needs is bound.
    static bool Bound();

    std::int32_t Get_ROM_Size() override;
    void Set_ROM(std::int32_t word, std::int32_t bit, std::uint8_t value) override;
    void Set_ROM_Str_No_from(std::int32_t word, std::int32_t line) override;
    void Set_ROM_Str_No_to(std::int32_t word, std::int32_t line) override;
    void Set_ROM_Str_No(std::int32_t word, std::int32_t line) override;
    void Set_ROM_BP(std::int32_t word, std::uint8_t value) override;
};

// Text identifiers of the assembler's faults.
enum TAsmFaultText : std::int32_t {
    TooManyParametersText = 1020,
    NotEnoughParametersText = 1021,
    ByteOutOfRangeText = 1022,
    UndeclaredIdentifierText = 1023,
    WrongIdentifierText = 1024,
    ValueOutOfRangeText = 1025,
    // 1026 and 1027: TLineFaultText of the classifier.
    ProgramTooLongText = 1028,
    IdentifierRedeclaredText = 1029,
    IsNotDigitText = 1030,
    UnknownLabelText = 1031,
};

// A range of one line shown in the error style.
struct TErrorMark {
    int line = 0; // 0-based
    int start = 0;
    int length = 0;
    bool operator==(const TErrorMark&) const = default;
};

// The fault that stopped the last CompileAll.
struct TAsmFault {
    std::int32_t textId = 0; // 0: no fault
    QString message; // as shown to the user
    std::vector<TErrorMark> marks; // in the order they were made
};

struct TArrayOfLabels {
    QString Name; // upper-cased, with its ":"
    std::int32_t Addr = 0;
};

struct TArrayOfEQUs {
    QString Name; // upper-cased
    std::int32_t DecVal = 0;
};

// A jump or call waiting for its label.
struct TArrayOfLinkLinker {
    std::int32_t Tupe = 0; // 0 GOTO, 1 CALL
    std::int32_t Addr = 0; // the word to patch
    QString Name; // upper-cased, without ":"
    int line = 0; // 0-based line of the operand
    std::int32_t pParStart = 0;
    std::int32_t pParLen = 0;
    // The operand also reads as a number (a letter-leading hexadecimal one):
    // it stands when no label of that name exists.
    bool hasNumber = false;
    std::int32_t number = 0;
};

class TAssembler {
public:
    // The instruction list decides which tokens are mnemonics.
    explicit TAssembler(TAsmEngine& engine, const TMnemonicList& mnemonics);

    // Assembles and links the whole source into the engine's program memory:
    // true when every line was sound and every label found. On false one
    // message was shown (through the user-message seam) and one range marked
    // in `source` (the faulty token, or the whole statement of a line that
    // is neither instruction nor constant; nothing for a program too long);
    // words written before the fault stay written.
    bool CompileAll(TSourceLines& source);

    // Instruction words of the last pass that reached its end.
    std::int32_t ProgramSizeInWord = 0;

    const TAsmFault& LastFault() const { return fault_; }
    const std::vector<TArrayOfLabels>& Labels() const { return aLbls; }
    const std::vector<TArrayOfEQUs>& Constants() const { return aEquS; }

private:
    bool AssembleyInstruction(const TClassifiedLine& classified, int line, int indx);
    bool LinkAll();
    bool Fail(std::int32_t textId, const QString& message = QString());
    void Mark(int line, const TArrayOfCaD& token);
    // k, f or an address from a number or a constant.
    bool OperandValue(const TArrayOfCaD& operand, int line, std::int32_t highest, std::int32_t rangeText,
        std::int32_t& value);
    void WriteWord(std::int32_t word, std::uint16_t bits);
    void ClearLineMaps(std::int32_t fromWord, std::int32_t romSize);

    TAsmEngine& engine_;
    const TMnemonicList& mnemonics_;
    TSourceLines* source_ = nullptr;
    int lineLength_ = 0; // of the line being assembled
    TAsmFault fault_;

    std::int32_t aAddres = 0;
    std::uint16_t CurCom = 0;
    std::vector<TArrayOfLabels> aLbls;
    QHash<QString, std::int32_t> labelAddresses_; // first definition of each
    std::vector<TArrayOfEQUs> aEquS;
    QHash<QString, std::int32_t> constantValues_;
    std::vector<TArrayOfLinkLinker> aLL;
};

// Assembles `source` into the library bound in DllMCEntries with its
// instruction list. False, showing nothing, when no library is bound.
bool CompileAll(TSourceLines& source, std::int32_t& programSizeInWord);
