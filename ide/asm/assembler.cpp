#include "ide/asm/assembler.h"

#include <algorithm>
#include <string_view>

#include "ide/main/simulator_binding.h"
#include "ide/main/user_message.h"
#include "ide/texts/texts.h"

namespace {

// How an instruction takes its operands.
enum class TOperands {
    None, // NOP, OPTION, SLEEP, CLRWDT, CLRW
    Literal, // k in bits 0-7
    Register, // f in bits 0-4
    RegisterDestination, // f in bits 0-4, d (default 0) in bit 5
    RegisterBit, // f in bits 0-4, b (default 0) in bits 5-7
    Port, // TRIS: a port number 5-9 in bits 0-3
    Jump, // GOTO: address in bits 0-8
    Call, // CALL: address in bits 0-7
};

struct TEncoding {
    std::u16string_view mnemonic;
    std::uint16_t base;
    TOperands operands;
};

constexpr TEncoding Encodings[] = {
    {u"NOP", 0x000, TOperands::None},
    {u"OPTION", 0x002, TOperands::None},
    {u"SLEEP", 0x003, TOperands::None},
    {u"CLRWDT", 0x004, TOperands::None},
    {u"TRIS", 0x000, TOperands::Port},
    {u"MOVWF", 0x020, TOperands::Register},
    {u"CLRW", 0x040, TOperands::None},
    {u"CLRF", 0x060, TOperands::Register},
    {u"SUBWF", 0x080, TOperands::RegisterDestination},
    {u"DECF", 0x0C0, TOperands::RegisterDestination},
    {u"IORWF", 0x100, TOperands::RegisterDestination},
    {u"ANDWF", 0x140, TOperands::RegisterDestination},
    {u"XORWF", 0x180, TOperands::RegisterDestination},
    {u"ADDWF", 0x1C0, TOperands::RegisterDestination},
    {u"MOVF", 0x200, TOperands::RegisterDestination},
    {u"COMF", 0x240, TOperands::RegisterDestination},
    {u"INCF", 0x280, TOperands::RegisterDestination},
    {u"DECFSZ", 0x2C0, TOperands::RegisterDestination},
    {u"RRF", 0x300, TOperands::RegisterDestination},
    {u"RLF", 0x340, TOperands::RegisterDestination},
    {u"SWAPF", 0x380, TOperands::RegisterDestination},
    {u"INCFSZ", 0x3C0, TOperands::RegisterDestination},
    {u"BCF", 0x400, TOperands::RegisterBit},
    {u"BSF", 0x500, TOperands::RegisterBit},
    {u"BTFSC", 0x600, TOperands::RegisterBit},
    {u"BTFSS", 0x700, TOperands::RegisterBit},
    {u"RETLW", 0x800, TOperands::Literal},
    {u"CALL", 0x900, TOperands::Call},
    {u"GOTO", 0xA00, TOperands::Jump},
    {u"MOVLW", 0xC00, TOperands::Literal},
    {u"IORLW", 0xD00, TOperands::Literal},
    {u"ANDLW", 0xE00, TOperands::Literal},
    {u"XORLW", 0xF00, TOperands::Literal},
};

const TEncoding* FindEncoding(const QString& mnemonic)
{
    const std::u16string_view name(reinterpret_cast<const char16_t*>(mnemonic.utf16()), std::size_t(mnemonic.size()));
    for (const TEncoding& encoding : Encodings) {
        if (encoding.mnemonic == name)
            return &encoding;
    }
    return nullptr;
}

// The widest number a register operand, and a jump or call address, may be.
constexpr std::int32_t HighestByte = 255;
constexpr std::int32_t HighestRegister = 4095;
constexpr std::int32_t HighestAddress = 131071;
constexpr std::int32_t LowestPort = 5;
constexpr std::int32_t HighestPort = 9;

// The word written last in program memory: MOVLW 0, the reset address's
// instruction.
constexpr std::uint16_t ResetWord = 0xC00;
constexpr std::uint16_t NopWord = 0x000;

// A number written like a label name (EACH, BEACH): letters first.
bool ReadsAsName(const TArrayOfCaD& token)
{
    return token.isDigit && token.TypeDigth == HexNumber && !token.str.isEmpty()
        && classifier::IsLetter(token.str[0]);
}

} // namespace

bool TBoundAsmEngine::Bound()
{
    return DllMCEntries.Get_ROM_Size && DllMCEntries.Set_ROM && DllMCEntries.Set_ROM_Str_No_from
        && DllMCEntries.Set_ROM_Str_No_to && DllMCEntries.Set_ROM_Str_No && DllMCEntries.Set_ROM_BP;
}

std::int32_t TBoundAsmEngine::Get_ROM_Size()
{
    return DllMCEntries.Get_ROM_Size();
}

void TBoundAsmEngine::Set_ROM(std::int32_t word, std::int32_t bit, std::uint8_t value)
{
    DllMCEntries.Set_ROM(word, bit, value);
}

void TBoundAsmEngine::Set_ROM_Str_No_from(std::int32_t word, std::int32_t line)
{
    DllMCEntries.Set_ROM_Str_No_from(word, line);
}

void TBoundAsmEngine::Set_ROM_Str_No_to(std::int32_t word, std::int32_t line)
{
    DllMCEntries.Set_ROM_Str_No_to(word, line);
}

void TBoundAsmEngine::Set_ROM_Str_No(std::int32_t word, std::int32_t line)
{
    DllMCEntries.Set_ROM_Str_No(word, line);
}

void TBoundAsmEngine::Set_ROM_BP(std::int32_t word, std::uint8_t value)
{
    DllMCEntries.Set_ROM_BP(word, value);
}

TAssembler::TAssembler(TAsmEngine& engine, const TMnemonicList& mnemonics)
    : engine_(engine)
    , mnemonics_(mnemonics)
{
}

bool TAssembler::Fail(std::int32_t textId, const QString& message)
{
    fault_.textId = textId;
    fault_.message = message.isEmpty() ? GetText(textId) : message;
    ShowUserMessage(fault_.message);
    return false;
}

void TAssembler::Mark(int line, const TArrayOfCaD& token)
{
    TErrorMark mark{line, token.txtStart, token.txtLong};
    // An empty token stands before the separator that ended it: marking that
    // character shows where the fault is.
    if (mark.length == 0 && mark.start < lineLength_)
        mark.length = 1;
    fault_.marks.push_back(mark);
    source_->MarkError(mark.line, mark.start, mark.length);
}

void TAssembler::WriteWord(std::int32_t word, std::uint16_t bits)
{
    for (std::int32_t bit = 0; bit < 12; ++bit)
        engine_.Set_ROM(word, bit, std::uint8_t((bits >> bit) & 1));
}

bool TAssembler::OperandValue(const TArrayOfCaD& operand, int line, std::int32_t highest, std::int32_t rangeText,
    std::int32_t& value)
{
    if (operand.isDigit) {
        if (operand.DigitDecValue > highest) {
            Mark(line, operand);
            return Fail(rangeText);
        }
        value = operand.DigitDecValue;
        return true;
    }
    if (operand.isCorrectVarOrLabel) {
        const auto constant = constantValues_.constFind(operand.str);
        if (constant == constantValues_.cend()) {
            Mark(line, operand);
            return Fail(UndeclaredIdentifierText);
        }
        // A constant is not range-checked: its low bits are used.
        value = *constant;
        return true;
    }
    Mark(line, operand);
    return Fail(WrongIdentifierText);
}

bool TAssembler::AssembleyInstruction(const TClassifiedLine& classified, int line, int indx)
{
    const std::vector<TArrayOfCaD>& tokens = classified.tokens;
    const TArrayOfCaD& mnemonic = tokens[std::size_t(indx)];
    const int operands = int(tokens.size()) - indx - 1;
    const TArrayOfCaD* op1 = operands >= 1 ? &tokens[std::size_t(indx + 1)] : nullptr;
    const TArrayOfCaD* op2 = operands >= 2 ? &tokens[std::size_t(indx + 2)] : nullptr;

    const TEncoding* encoding = FindEncoding(mnemonic.str);
    if (!encoding) {
        // A library whose list names an instruction this assembler cannot encode.
        Mark(line, mnemonic);
        return Fail(WrongIdentifierText);
    }
    if (encoding->operands == TOperands::None) {
        if (op1) {
            Mark(line, *op1);
            return Fail(TooManyParametersText);
        }
        CurCom = encoding->base;
        return true;
    }
    if (!op1) {
        Mark(line, mnemonic);
        return Fail(NotEnoughParametersText);
    }
    const bool takesSecond
        = encoding->operands == TOperands::RegisterDestination || encoding->operands == TOperands::RegisterBit;
    if (operands > (takesSecond ? 2 : 1)) {
        Mark(line, *op1);
        return Fail(TooManyParametersText);
    }

    std::int32_t value = 0;
    switch (encoding->operands) {
    case TOperands::None:
        break;
    case TOperands::Literal:
        if (!OperandValue(*op1, line, HighestByte, ByteOutOfRangeText, value))
            return false;
        CurCom = std::uint16_t(encoding->base | (value & 0xFF));
        return true;
    case TOperands::Register:
        if (!OperandValue(*op1, line, HighestRegister, ValueOutOfRangeText, value))
            return false;
        CurCom = std::uint16_t(encoding->base | (value & 0x1F));
        return true;
    case TOperands::RegisterDestination:
    case TOperands::RegisterBit: {
        std::int32_t second = 0;
        if (op2) {
            const bool fits = encoding->operands == TOperands::RegisterDestination ? op2->isFN : op2->isNoBit;
            if (!fits) {
                Mark(line, *op2);
                return Fail(WrongIdentifierText);
            }
            second = encoding->operands == TOperands::RegisterDestination
                ? classifier::ParseDestination(op2->str)
                : op2->str[0].unicode() - u'0';
        }
        if (!OperandValue(*op1, line, HighestRegister, ValueOutOfRangeText, value))
            return false;
        CurCom = std::uint16_t(encoding->base | (second << 5) | (value & 0x1F));
        return true;
    }
    case TOperands::Port:
        if (!op1->isDigit) {
            Mark(line, *op1);
            return Fail(WrongIdentifierText);
        }
        if (op1->DigitDecValue < LowestPort || op1->DigitDecValue > HighestPort) {
            Mark(line, *op1);
            return Fail(ValueOutOfRangeText);
        }
        CurCom = std::uint16_t(encoding->base | (op1->DigitDecValue & 0xF));
        return true;
    case TOperands::Jump:
    case TOperands::Call: {
        const std::int32_t addressMask = encoding->operands == TOperands::Jump ? 0x1FF : 0xFF;
        if (op1->isDigit && !ReadsAsName(*op1)) {
            if (op1->DigitDecValue > HighestAddress) {
                Mark(line, *op1);
                return Fail(ValueOutOfRangeText);
            }
            CurCom = std::uint16_t(encoding->base | (op1->DigitDecValue & addressMask));
            return true;
        }
        if (!op1->isCorrectVarOrLabel && !ReadsAsName(*op1)) {
            Mark(line, *op1);
            return Fail(WrongIdentifierText);
        }
        TArrayOfLinkLinker link;
        link.Tupe = encoding->operands == TOperands::Jump ? 0 : 1;
        link.Addr = aAddres;
        link.Name = op1->str;
        link.line = line;
        link.pParStart = op1->txtStart;
        link.pParLen = op1->txtLong;
        link.hasNumber = op1->isDigit;
        link.number = op1->DigitDecValue;
        aLL.push_back(std::move(link));
        // The linker completes the word; until then it jumps to 0.
        CurCom = encoding->base;
        return true;
    }
    }
    return false;
}

bool TAssembler::LinkAll()
{
    for (const TArrayOfLinkLinker& link : aLL) {
        std::int32_t target = 0;
        if (const auto label = labelAddresses_.constFind(link.Name + u':'); label != labelAddresses_.cend()) {
            target = *label;
        } else if (link.hasNumber && link.number <= HighestAddress) {
            target = link.number;
        } else {
            TArrayOfCaD operand;
            operand.txtStart = link.pParStart;
            operand.txtLong = link.pParLen;
            lineLength_ = link.pParStart + link.pParLen;
            Mark(link.line, operand);
            return Fail(link.hasNumber ? ValueOutOfRangeText : UnknownLabelText);
        }
        const std::uint16_t word = link.Tupe == 0 ? std::uint16_t(0xA00 | (target & 0x1FF))
                                                   : std::uint16_t(0x900 | (target & 0xFF));
        WriteWord(link.Addr, word);
    }
    return true;
}

void TAssembler::ClearLineMaps(std::int32_t fromWord, std::int32_t romSize)
{
    // No line or breakpoint of an earlier, longer program survives: the
    // library stays loaded across projects.
    for (std::int32_t word = fromWord; word < romSize; ++word) {
        engine_.Set_ROM_Str_No_from(word, 0);
        engine_.Set_ROM_Str_No_to(word, 0);
        engine_.Set_ROM_Str_No(word, 0);
        engine_.Set_ROM_BP(word, 0);
    }
    engine_.Set_ROM_BP(romSize, 0);
}

bool TAssembler::CompileAll(TSourceLines& source)
{
    source_ = &source;
    fault_ = TAsmFault();
    aAddres = 0;
    CurCom = 0;
    aLbls.clear();
    labelAddresses_.clear();
    aEquS.clear();
    constantValues_.clear();
    aLL.clear();

    const std::int32_t romSize = std::max(engine_.Get_ROM_Size(), 0);
    const int lineCount = source.LineCount();
    for (int line = 0; line < lineCount; ++line) {
        const QString text = source.LineText(line);
        lineLength_ = int(text.size());
        const TClassifiedLine classified = ClassifyLine(text, mnemonics_);
        const std::vector<TArrayOfCaD>& tokens = classified.tokens;
        if (classified.faultToken >= 0) {
            Mark(line, tokens[std::size_t(classified.faultToken)]);
            return Fail(classified.faultTextId);
        }

        int first = 0;
        if (!tokens.empty() && tokens[0].isLabel) {
            aLbls.push_back({tokens[0].str, aAddres});
            // References resolve to the first definition of a name.
            if (!labelAddresses_.contains(tokens[0].str))
                labelAddresses_.insert(tokens[0].str, aAddres);
            first = 1;
        }
        const int count = int(tokens.size());
        if (first == count)
            continue;

        const TArrayOfCaD& head = tokens[std::size_t(first)];
        if (head.isInstruction) {
            if (!AssembleyInstruction(classified, line, first))
                return false;
            // The last word is the reset address's instruction.
            if (aAddres > romSize - 2)
                return Fail(ProgramTooLongText);
            WriteWord(aAddres, CurCom);
            engine_.Set_ROM_Str_No_from(aAddres, line + 1);
            engine_.Set_ROM_Str_No_to(aAddres, line + 1);
            engine_.Set_ROM_Str_No(aAddres, line + 1);
            engine_.Set_ROM_BP(aAddres, source.LineBreakpoint(line) ? 1 : 0);
            ++aAddres;
            continue;
        }

        if (count - first == 3 && head.isCorrectVarOrLabel && tokens[std::size_t(first + 1)].isDirective) {
            const TArrayOfCaD& value = tokens[std::size_t(first + 2)];
            if (!value.isDigit) {
                Mark(line, value);
                return Fail(IsNotDigitText);
            }
            if (constantValues_.contains(head.str)) {
                Mark(line, head);
                return Fail(IdentifierRedeclaredText, GetText(IdentifierRedeclaredText) + u' ' + head.str);
            }
            aEquS.push_back({head.str, value.DigitDecValue});
            constantValues_.insert(head.str, value.DigitDecValue);
            continue;
        }

        // Neither an instruction nor a constant: the whole statement is
        // marked, as one range from its first token to its last.
        TArrayOfCaD statement;
        statement.txtStart = head.txtStart;
        statement.txtLong = tokens.back().txtStart + tokens.back().txtLong - head.txtStart;
        Mark(line, statement);
        return Fail(IncorrectLabelText);
    }

    for (std::int32_t word = aAddres; word <= romSize - 2; ++word)
        WriteWord(word, NopWord);
    if (romSize >= 1)
        WriteWord(romSize - 1, ResetWord);
    ClearLineMaps(aAddres, romSize);
    ProgramSizeInWord = aAddres;
    return LinkAll();
}

bool CompileAll(TSourceLines& source, std::int32_t& programSizeInWord)
{
    if (!TBoundAsmEngine::Bound())
        return false;
    TBoundAsmEngine engine;
    TAssembler assembler(engine, BoundMnemonics());
    assembler.ProgramSizeInWord = programSizeInWord;
    const bool assembled = assembler.CompileAll(source);
    programSizeInWord = assembler.ProgramSizeInWord;
    return assembled;
}
