#include "ide/asm/line_classifier.h"

#include <algorithm>

#include "ide/main/simulator_binding.h"

const TTextStyleLook TextStyleLooks[TextStyleCount] = {
    {"Error", "Tahoma", 255, 0, 0},
    {"Default", "Tahoma", 0, 0, 0},
    {"Comment", "Tahoma", 0, 128, 0},
    {"Label", "Tahoma", 255, 0, 0},
    {"FN", "Tahoma", 255, 0, 255},
    {"Instruction", "Tahoma", 0, 0, 255},
    {"Directive", "Arial", 0, 0, 128},
    {"DEC", "Arial", 128, 128, 0},
    {"BIN", "Arial", 128, 0, 128},
    {"HEX", "Arial", 128, 0, 0},
};

namespace classifier {

bool IsLetter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z') || (u >= u'А' && u <= u'я') || u == u'Ё'
        || u == u'ё';
}

bool IsDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

QString UpperCased(QStringView text)
{
    QString upper(text.size(), Qt::Uninitialized);
    QChar* out = upper.data();
    for (QChar c : text) {
        char16_t u = c.unicode();
        if ((u >= u'a' && u <= u'z') || (u >= u'а' && u <= u'я'))
            u = char16_t(u - 0x20);
        else if (u == u'ё')
            u = u'Ё';
        *out++ = QChar(u);
    }
    return upper;
}

namespace {

bool IsHexDigit(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'F');
}

bool AllOf(QStringView text, bool (*test)(QChar))
{
    return std::all_of(text.begin(), text.end(), test);
}

bool IsBinaryDigit(QChar c)
{
    return c == u'0' || c == u'1';
}

std::int32_t ValueIn(QStringView digits, int base)
{
    std::int32_t value = 0;
    for (QChar c : digits) {
        const char16_t u = c.unicode();
        const int digit = u <= u'9' ? u - u'0' : u - u'A' + 10;
        value = value * base + digit;
    }
    return value;
}

} // namespace

TNumber ParseNumber(QStringView token)
{
    const qsizetype n = token.size();
    if (n >= 3 && n <= 8 && token[0] == u'0' && token[1] == u'X' && AllOf(token.sliced(2), IsHexDigit))
        return {HexNumber, ValueIn(token.sliced(2), 16)};
    if (n >= 2 && n <= 7 && token[n - 1] == u'H' && AllOf(token.first(n - 1), IsHexDigit))
        return {HexNumber, ValueIn(token.first(n - 1), 16)};
    if (n >= 1 && n <= 6 && AllOf(token, IsDigit))
        return {DecimalNumber, ValueIn(token, 10)};
    if (n >= 2 && n <= 20 && token[n - 1] == u'B' && AllOf(token.first(n - 1), IsBinaryDigit))
        return {BinaryNumber, ValueIn(token.first(n - 1), 2)};
    return {};
}

bool IsIdentifier(QStringView token)
{
    if (token.isEmpty() || !IsLetter(token[0]))
        return false;
    return std::all_of(token.begin() + 1, token.end(), [](QChar c) { return IsLetter(c) || IsDigit(c); });
}

bool IsBitNumber(QStringView token)
{
    return token.size() == 1 && token[0] >= u'0' && token[0] <= u'7';
}

int ParseDestination(QStringView token)
{
    if (token.size() != 1)
        return -1;
    if (token[0] == u'F' || token[0] == u'1')
        return 1;
    if (token[0] == u'W' || token[0] == u'0')
        return 0;
    return -1;
}

bool IsEquDirective(QStringView token)
{
    return token == u"EQU";
}

} // namespace classifier

bool TClassifiedLine::HasInstruction() const
{
    return FirstInstruction() >= 0;
}

int TClassifiedLine::FirstInstruction() const
{
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (tokens[i].isInstruction)
            return int(i);
    }
    return -1;
}

TMnemonicList::TMnemonicList(const QStringList& names)
    : names_(names)
{
    for (int i = names_.size() - 1; i >= 0; --i)
        index_.insert(names_[i], i); // the first of equal names wins
}

int TMnemonicList::FindInstruction(QStringView token) const
{
    if (index_.isEmpty())
        return -1;
    return index_.value(token.toString(), -1);
}

TMnemonicList ReadMnemonics(const TDllMCEntries& entries)
{
    if (!entries.Get_SystemCommandCounter || !entries.Get_SystemCommand_CommandName)
        return {};
    // The list is short; a library that reports nonsense gets no more than this.
    constexpr std::int32_t MostNames = 256;
    const std::int32_t count = std::clamp(entries.Get_SystemCommandCounter(), 0, MostNames);
    QStringList names;
    for (std::int32_t i = 0; i < count; ++i) {
        TShortString text;
        entries.Get_SystemCommand_CommandName(&text, i);
        names << text.toQString();
    }
    return TMnemonicList(names);
}

namespace {

struct TBoundMnemonics {
    decltype(TDllMCEntries::Get_SystemCommandCounter) counter = nullptr;
    decltype(TDllMCEntries::Get_SystemCommand_CommandName) name = nullptr;
    bool read = false;
    TMnemonicList list;
};

TBoundMnemonics& Bound()
{
    static TBoundMnemonics bound;
    return bound;
}

bool SameBind(const TBoundMnemonics& bound)
{
    return bound.read && bound.counter == DllMCEntries.Get_SystemCommandCounter
        && bound.name == DllMCEntries.Get_SystemCommand_CommandName;
}

} // namespace

const TMnemonicList& BoundMnemonics()
{
    TBoundMnemonics& bound = Bound();
    // An empty list is read again: the library fills its list only when a
    // model is selected, which follows the bind.
    if (!SameBind(bound) || bound.list.Names().isEmpty()) {
        bound.list = ReadMnemonics(DllMCEntries);
        bound.counter = DllMCEntries.Get_SystemCommandCounter;
        bound.name = DllMCEntries.Get_SystemCommand_CommandName;
        bound.read = true;
    }
    return bound.list;
}

void SetBoundMnemonics(const TMnemonicList& list)
{
    TBoundMnemonics& bound = Bound();
    bound.list = list;
    bound.counter = DllMCEntries.Get_SystemCommandCounter;
    bound.name = DllMCEntries.Get_SystemCommand_CommandName;
    bound.read = true;
}

namespace {

bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

bool IsSeparator(QChar c)
{
    return IsBlank(c) || c == u',';
}

void FindFault(TClassifiedLine& line)
{
    for (std::size_t i = 0; i < line.tokens.size(); ++i) {
        if (line.tokens[i].isError) {
            line.faultToken = int(i);
            line.faultTextId = line.tokens[i].isLabel ? IncorrectLabelText : IncorrectRecordText;
            return;
        }
    }
}

} // namespace

TClassifiedLine ClassifyLine(QStringView line, const TMnemonicList& mnemonics)
{
    using namespace classifier;
    TClassifiedLine result;
    const qsizetype length = line.size();
    result.styles.assign(std::size_t(length), DefaultStyle);
    auto mark = [&](qsizetype start, qsizetype count, TTextStyle style) {
        std::fill_n(result.styles.begin() + start, count, style);
    };

    const QString upper = UpperCased(line);
    const QStringView s(upper);

    // The comment runs from the first ";" to the end of the line.
    qsizetype end = s.indexOf(u';');
    if (end >= 0)
        mark(end, length - end, CommentStyle);
    else
        end = length;

    qsizetype p = 0;
    while (p < end && IsBlank(s[p]))
        ++p;
    if (p == end)
        return result;

    // Whatever stands before the first colon is the line's label.
    if (const qsizetype colon = s.first(end).indexOf(u':', p); colon >= 0) {
        TArrayOfCaD label;
        label.str = s.sliced(p, colon - p + 1).toString();
        label.isLabel = true;
        label.txtStart = std::int32_t(p);
        label.txtLong = std::int32_t(colon - p + 1);
        if (!IsLetter(s[p])) {
            // Not a label at all: the line is faulty as a whole, and the
            // assembler must say so rather than pass over it.
            label.isError = true;
            mark(p, label.txtLong, ErrorStyle);
            result.tokens.push_back(std::move(label));
            FindFault(result);
            return result;
        }
        label.isError = !std::all_of(
            s.begin() + p + 1, s.begin() + colon, [](QChar c) { return IsLetter(c) || IsDigit(c); });
        mark(p, label.txtLong, LabelStyle);
        result.tokens.push_back(std::move(label));
        p = colon + 1;
    }

    bool afterComma = false;
    for (;;) {
        while (p < end && IsBlank(s[p]))
            ++p;
        if (p >= end)
            break;
        qsizetype q = p;
        while (q < end && !IsSeparator(s[q]))
            ++q;
        const QStringView text = s.sliced(p, q - p);
        TArrayOfCaD token;
        token.str = text.toString();
        token.txtStart = std::int32_t(p);
        token.txtLong = std::int32_t(q - p);

        TTextStyle style = DefaultStyle;
        bool decided = false;
        if (text.isEmpty()) {
            token.isError = true;
            style = ErrorStyle;
            decided = true;
        } else if (afterComma) {
            token.isNoBit = IsBitNumber(text);
            const int destination = ParseDestination(text);
            if (destination == 0 || destination == 1) {
                token.isFN = true;
                style = FNStyle;
                decided = true;
            } else if (!token.isNoBit) {
                token.isError = true;
                style = ErrorStyle;
                decided = true;
            }
        }
        if (!decided) {
            if (mnemonics.FindInstruction(text) >= 0) {
                token.isInstruction = true;
                style = InstructionStyle;
            } else if (IsEquDirective(text)) {
                token.isDirective = true;
                style = DirectiveStyle;
            } else if (const TNumber number = ParseNumber(text); number.kind != NotANumber) {
                token.isDigit = true;
                token.TypeDigth = number.kind;
                token.DigitDecValue = number.value;
                style = number.kind == DecimalNumber ? DecStyle : number.kind == BinaryNumber ? BinStyle : HexStyle;
            } else if (IsIdentifier(text)) {
                token.isCorrectVarOrLabel = true;
            } else {
                token.isError = true;
                style = ErrorStyle;
            }
        }
        mark(p, q - p, style);
        result.tokens.push_back(std::move(token));

        afterComma = q < end && s[q] == u',';
        p = q + 1;
    }
    FindFault(result);
    return result;
}

TClassifiedLine ClassifyLine(QStringView line)
{
    return ClassifyLine(line, BoundMnemonics());
}
