#pragma once

// What the assembler's tests share: the instruction list as corvel holds it,
// and a token list written as one readable line.
#include <ostream>
#include <string>

#include <QString>
#include <QStringList>

#include "engine/mnemonics.h"
#include "ide/asm/line_classifier.h"

inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace twtest {

inline TMnemonicList BaselineMnemonics()
{
    QStringList names;
    for (std::string_view name : corvel::mnemonicNames)
        names << QString::fromLatin1(name.data(), qsizetype(name.size()));
    return TMnemonicList(names);
}

// "TEXT@start+length:flags" per token, blank-separated. Flags: L label,
// I instruction, D directive, V identifier, F destination, B bit number,
// E error; a number adds d, b or h and its value.
inline QString Described(const TClassifiedLine& line)
{
    QStringList parts;
    for (const TArrayOfCaD& t : line.tokens) {
        QString flags;
        if (t.isLabel)
            flags += u'L';
        if (t.isInstruction)
            flags += u'I';
        if (t.isDirective)
            flags += u'D';
        if (t.isCorrectVarOrLabel)
            flags += u'V';
        if (t.isFN)
            flags += u'F';
        if (t.isNoBit)
            flags += u'B';
        if (t.isError)
            flags += u'E';
        if (t.isDigit)
            flags += QStringLiteral("%1%2").arg(QLatin1Char("?dbh"[t.TypeDigth])).arg(t.DigitDecValue);
        parts << QStringLiteral("%1@%2+%3:%4").arg(t.str).arg(t.txtStart).arg(t.txtLong).arg(flags);
    }
    return parts.join(u' ');
}

// The style of each character as one digit.
inline QString StylesOf(const TClassifiedLine& line)
{
    QString digits;
    for (std::uint8_t style : line.styles)
        digits += QChar(u'0' + style);
    return digits;
}

} // namespace twtest
