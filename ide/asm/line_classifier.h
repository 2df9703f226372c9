#pragma once

// The line classifier: one source line split into tokens, each token
// classified (label, mnemonic, EQU, number, identifier, destination or bit
// operand, error), and the text style of every character of the line. Plain
// code over one line's text: the editor's colouring, its breakpoint gutter,
// the background sweep and the assembler all read what it returns.
//
// Positions and lengths count UTF-16 code units of the line as given, so a
// token's place in the line is exactly where the editor shows it.
#include <cstdint>
#include <vector>

#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>

struct TDllMCEntries;

// Number kinds (`TypeDigth`).
enum TNumberKind : std::int32_t {
    NotANumber = 0,
    DecimalNumber = 1,
    BinaryNumber = 2,
    HexNumber = 3,
};

// One token of a classified line.
struct TArrayOfCaD {
    QString str; // the token's text, upper-cased; a label keeps its ":"
    bool isLabel = false; // the line's label (the text up to the first ":")
    bool isDigit = false; // a number: kind in TypeDigth, value in DigitDecValue
    bool isInstruction = false; // a name of the instruction list
    bool isDirective = false; // "EQU"
    bool isCorrectVarOrLabel = false; // a well-formed identifier
    bool isFN = false; // after a comma: "F", "1", "W" or "0"
    bool isNoBit = false; // after a comma: one digit "0" to "7"
    bool isError = false; // malformed
    std::int32_t TypeDigth = NotANumber;
    std::int32_t txtStart = 0; // 0-based position in the line
    std::int32_t txtLong = 0; // length
    std::int32_t DigitDecValue = 0;

    bool operator==(const TArrayOfCaD&) const = default;
};

// Text styles of the editor, by index; the classifier gives every character
// of a line one of them.
enum TTextStyle : std::uint8_t {
    ErrorStyle = 0,
    DefaultStyle = 1,
    CommentStyle = 2,
    LabelStyle = 3,
    FNStyle = 4,
    InstructionStyle = 5,
    DirectiveStyle = 6,
    DecStyle = 7,
    BinStyle = 8,
    HexStyle = 9,
};
inline constexpr int TextStyleCount = 10;

// How each style looks: every style is size 10.
struct TTextStyleLook {
    const char* name;
    const char* font;
    std::uint8_t red, green, blue;
};
extern const TTextStyleLook TextStyleLooks[TextStyleCount];

// Text identifiers of a line's fault as the assembler reports it.
enum TLineFaultText : std::int32_t {
    IncorrectRecordText = 1026, // a malformed token
    IncorrectLabelText = 1027, // a malformed label
};

struct TClassifiedLine {
    std::vector<TArrayOfCaD> tokens; // in line order
    // The style of each UTF-16 unit of the line (TTextStyle values); as long
    // as the line.
    std::vector<std::uint8_t> styles;
    // The line's first fault: the first token with isError, reported with
    // IncorrectLabelText when it is the label, else IncorrectRecordText.
    // faultToken is -1 and faultTextId 0 when the line is sound.
    int faultToken = -1;
    std::int32_t faultTextId = 0;

    bool HasInstruction() const;
    // Index of the first token with isInstruction, -1 when none.
    int FirstInstruction() const;
};

// The mnemonics of the microcontroller library's instruction list, looked up
// exactly (the token is already upper-cased).
class TMnemonicList {
public:
    TMnemonicList() = default;
    explicit TMnemonicList(const QStringList& names);

    // Index of the name in the list, -1 when absent.
    int FindInstruction(QStringView token) const;
    const QStringList& Names() const { return names_; }

private:
    QStringList names_;
    QHash<QString, int> index_;
};

// corvel's instruction list read through `entries`: every name once. Empty
// when the two entry points it needs are not bound.
TMnemonicList ReadMnemonics(const TDllMCEntries& entries);

// The instruction list of the current bind of DllMCEntries. It is read once
// per bind (again only when the bound entry points change, or while the list
// read was empty, as before a model is selected), so a rebind to another
// library brings that library's list.
const TMnemonicList& BoundMnemonics();
// Puts `list` in place of the bound list until the entry points change
// (tests use it to classify without corvel).
void SetBoundMnemonics(const TMnemonicList& list);

// Classifies one line (the text of one editor line, without its line end).
TClassifiedLine ClassifyLine(QStringView line, const TMnemonicList& mnemonics);
// The same with the bound instruction list.
TClassifiedLine ClassifyLine(QStringView line);

// The rules the classifier applies to one token (upper-cased text).
namespace classifier {

// ASCII letters and the Cyrillic letters А..я, Ё and ё.
bool IsLetter(QChar c);
bool IsDigit(QChar c);
// Upper-cases the letters above, one UTF-16 unit at a time, so the length
// never changes; every other unit stays as it is.
QString UpperCased(QStringView text);

struct TNumber {
    TNumberKind kind = NotANumber;
    std::int32_t value = 0;
};
// "0X" and 1-6 hex digits, 1-6 hex digits and "H", 1-6 decimal digits, or
// 1-19 binary digits and "B", tested in this order.
TNumber ParseNumber(QStringView token);
// A letter, then letters and digits.
bool IsIdentifier(QStringView token);
// One character "0" to "7".
bool IsBitNumber(QStringView token);
// 1 for "F" or "1", 0 for "W" or "0", -1 otherwise.
int ParseDestination(QStringView token);
bool IsEquDirective(QStringView token);

} // namespace classifier
