#include "gpasm_support.h"

#include <set>

#include <QFile>
#include <QHash>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "asm_fixture.h"

namespace twtest {
namespace {

bool TakesDestination(const QString& mnemonic)
{
    static const QStringList names = {"SUBWF", "DECF", "IORWF", "ANDWF", "XORWF", "ADDWF", "MOVF", "COMF", "INCF",
        "DECFSZ", "RRF", "RLF", "SWAPF", "INCFSZ"};
    return names.contains(mnemonic);
}

bool TakesBit(const QString& mnemonic)
{
    return mnemonic == u"BCF" || mnemonic == u"BSF" || mnemonic == u"BTFSC" || mnemonic == u"BTFSS";
}

} // namespace

bool GpasmInstalled()
{
    return !QStandardPaths::findExecutable(QStringLiteral("gpasm")).isEmpty();
}

std::optional<std::map<int, std::uint16_t>> HexWords(const QByteArray& hex)
{
    std::map<int, std::uint8_t> bytes;
    int upper = 0;
    for (QByteArray line : hex.split('\n')) {
        line = line.trimmed();
        if (line.isEmpty())
            continue;
        if (line[0] != ':' || line.size() < 11 || line.size() % 2 == 0)
            return std::nullopt;
        const QByteArray data = QByteArray::fromHex(line.mid(1));
        if (data.size() < 5 || data.size() != 5 + std::uint8_t(data[0]))
            return std::nullopt;
        int sum = 0;
        for (char byte : data)
            sum += std::uint8_t(byte);
        if (sum % 256 != 0)
            return std::nullopt;
        const int count = std::uint8_t(data[0]);
        const int address = std::uint8_t(data[1]) << 8 | std::uint8_t(data[2]);
        const int type = std::uint8_t(data[3]);
        if (type == 0) {
            for (int i = 0; i < count; ++i)
                bytes[upper + address + i] = std::uint8_t(data[4 + i]);
        } else if (type == 1) {
            break;
        } else if (type == 4 && count == 2) {
            upper = (std::uint8_t(data[4]) << 8 | std::uint8_t(data[5])) << 16;
        } else {
            return std::nullopt;
        }
    }
    std::map<int, std::uint16_t> words;
    for (const auto& [address, byte] : bytes) {
        std::uint16_t& word = words[address / 2];
        word = std::uint16_t(address % 2 ? word | byte << 8 : word | byte);
    }
    return words;
}

std::optional<std::map<int, std::uint16_t>> GpasmWords(
    const QString& gpasmSource, const QString& processor, QString* diagnostics)
{
    QTemporaryDir folder;
    if (!folder.isValid())
        return std::nullopt;
    const QString source = folder.filePath("program.asm");
    const QString hex = folder.filePath("program.hex");
    QFile file(source);
    if (!file.open(QIODevice::WriteOnly))
        return std::nullopt;
    file.write(gpasmSource.toUtf8());
    file.close();

    QProcess gpasm;
    gpasm.setProcessChannelMode(QProcess::MergedChannels);
    gpasm.start("gpasm", {"-p", processor, "-r", "dec", "-o", hex, source});
    const bool finished = gpasm.waitForFinished(60000);
    if (diagnostics)
        *diagnostics = QString::fromUtf8(gpasm.readAll());
    if (!finished || gpasm.exitStatus() != QProcess::NormalExit || gpasm.exitCode() != 0)
        return std::nullopt;
    QFile output(hex);
    if (!output.open(QIODevice::ReadOnly))
        return std::nullopt;
    return HexWords(output.readAll());
}

QString ToGpasm(const QString& source)
{
    const TMnemonicList mnemonics = BaselineMnemonics();
    const QStringList lines = source.split(u'\n');
    std::vector<TClassifiedLine> classified;
    std::set<QString> labels;
    for (const QString& line : lines) {
        classified.push_back(ClassifyLine(line, mnemonics));
        const auto& tokens = classified.back().tokens;
        if (!tokens.empty() && tokens[0].isLabel)
            labels.insert(tokens[0].str.chopped(1));
    }

    QHash<QString, QString> renamed;
    auto name = [&](const QString& ours) {
        const bool plain = std::all_of(ours.begin(), ours.end(), [](QChar c) { return c.unicode() < 128; });
        if (plain)
            return ours;
        if (!renamed.contains(ours))
            renamed.insert(ours, QStringLiteral("RENAMED%1").arg(renamed.size()));
        return renamed.value(ours);
    };
    auto operand = [&](const TArrayOfCaD& token) -> QString {
        if (token.isFN)
            return classifier::ParseDestination(token.str) == 1 ? "1" : "0";
        if (token.isDigit) {
            const bool letterLeading = classifier::IsLetter(token.str[0]);
            if (token.TypeDigth == HexNumber && letterLeading)
                return labels.count(token.str) ? name(token.str) : "0" + token.str;
            return token.str;
        }
        return name(token.str);
    };

    QStringList out;
    for (const TClassifiedLine& line : classified) {
        const auto& tokens = line.tokens;
        std::size_t i = 0;
        if (!tokens.empty() && tokens[0].isLabel) {
            out << name(tokens[0].str.chopped(1)) + ":";
            i = 1;
        }
        if (i == tokens.size())
            continue;
        if (tokens[i].isInstruction) {
            const QString mnemonic = tokens[i].str;
            QStringList operands;
            for (std::size_t k = i + 1; k < tokens.size(); ++k)
                operands << operand(tokens[k]);
            if ((TakesDestination(mnemonic) || TakesBit(mnemonic)) && operands.size() == 1)
                operands << "0";
            out << "    " + mnemonic + (operands.isEmpty() ? QString() : " " + operands.join(u','));
        } else {
            out << name(tokens[i].str) + " EQU " + operand(tokens[i + 2]);
        }
    }
    out << "    END" << QString();
    return out.join(u'\n');
}

namespace {

class Generator {
public:
    Generator(std::mt19937& random)
        : random_(random)
    {
    }

    int Below(int n) { return int(random_() % std::uint32_t(n)); }
    bool Chance(int percent) { return Below(100) < percent; }

    QString Cased(const QString& text)
    {
        switch (Below(3)) {
        case 0:
            return text.toUpper();
        case 1:
            return text.toLower();
        default: {
            QString mixed = text;
            for (QChar& c : mixed)
                c = Chance(50) ? c.toUpper() : c.toLower();
            return mixed;
        }
        }
    }

    // v in one of the number forms of the language.
    QString Number(int v)
    {
        switch (Below(5)) {
        case 0: {
            QString digits = QString::number(v);
            while (digits.size() < 6 && Chance(20))
                digits.prepend(u'0');
            return digits;
        }
        case 1:
            return Cased(QStringLiteral("0x%1").arg(v, Below(3) + 1, 16, QLatin1Char('0')));
        case 2: {
            QString digits = QString::number(v, 16);
            if (Chance(30))
                digits.prepend(u'0');
            return Cased(digits + "h");
        }
        case 3:
            return Cased(QString::number(v, 2) + "b");
        default:
            return QString::number(v);
        }
    }

    QString Blank() { return QStringList{" ", "  ", "\t", " \t"}[Below(4)]; }

    std::mt19937& random_;
};

} // namespace

QString GeneratedProgram(std::mt19937& random, int lineCount)
{
    Generator g(random);
    QStringList lines;

    QStringList constants;
    const int constantCount = g.Below(5);
    for (int i = 0; i < constantCount; ++i) {
        const QString constant = i == 3 ? QStringLiteral("Конст%1").arg(i) : QStringLiteral("K%1").arg(i);
        constants << constant;
        lines << g.Cased(constant) + g.Blank() + g.Cased("equ") + g.Blank() + g.Number(g.Below(256));
    }

    QStringList labels;
    const int labelCount = 1 + lineCount / 8;
    for (int i = 0; i < labelCount; ++i)
        labels << (i == 1 ? QStringLiteral("EACH") : i == 2 ? QStringLiteral("Метка") : QStringLiteral("L%1").arg(i));
    std::map<int, QString> labelAt;
    for (const QString& label : labels) {
        int at = g.Below(lineCount);
        while (labelAt.count(at))
            at = (at + 1) % lineCount;
        labelAt[at] = label;
    }

    const QStringList mnemonics = {"NOP", "OPTION", "SLEEP", "CLRWDT", "CLRW", "TRIS", "MOVWF", "CLRF", "SUBWF",
        "DECF", "IORWF", "ANDWF", "XORWF", "ADDWF", "MOVF", "COMF", "INCF", "DECFSZ", "RRF", "RLF", "SWAPF", "INCFSZ",
        "BCF", "BSF", "BTFSC", "BTFSS", "RETLW", "CALL", "GOTO", "MOVLW", "IORLW", "ANDLW", "XORLW"};
    auto valueOrConstant = [&](int highest) {
        if (!constants.isEmpty() && g.Chance(20))
            return g.Cased(constants[g.Below(int(constants.size()))]);
        return g.Number(g.Below(highest + 1));
    };
    auto comma = [&] { return g.Chance(70) ? QStringLiteral(",") : QStringLiteral(", "); };

    for (int at = 0; at < lineCount; ++at) {
        QString line;
        if (const auto label = labelAt.find(at); label != labelAt.end()) {
            line = (g.Chance(50) ? QString() : g.Blank()) + g.Cased(label->second) + ":";
            if (g.Chance(25)) {
                lines << line + (g.Chance(50) ? QStringLiteral(" ; here: a label") : QString());
                continue;
            }
        }
        if (g.Chance(5)) {
            lines << line;
            continue;
        }
        if (g.Chance(5)) {
            lines << line + g.Blank() + "; a comment, with: punctuation";
            continue;
        }
        const QString mnemonic = mnemonics[g.Below(int(mnemonics.size()))];
        QString text = g.Cased(mnemonic);
        QString operands;
        if (mnemonic == u"TRIS") {
            operands = g.Number(5 + g.Below(3));
        } else if (mnemonic == u"MOVWF" || mnemonic == u"CLRF") {
            operands = valueOrConstant(127);
        } else if (TakesDestination(mnemonic)) {
            operands = valueOrConstant(127);
            if (g.Chance(75))
                operands += comma() + g.Cased(QStringList{"F", "W", "0", "1"}[g.Below(4)]);
        } else if (TakesBit(mnemonic)) {
            operands = valueOrConstant(127);
            if (g.Chance(75))
                operands += comma() + QString::number(g.Below(8));
        } else if (mnemonic == u"GOTO" || mnemonic == u"CALL") {
            if (g.Chance(70))
                operands = g.Cased(labels[g.Below(int(labels.size()))]);
            else
                operands = g.Number(g.Below(mnemonic == u"GOTO" ? 512 : 256));
        } else if (mnemonic == u"RETLW" || mnemonic.endsWith(u"LW")) {
            operands = valueOrConstant(255);
        }
        line += (line.isEmpty() && g.Chance(20) ? QString() : g.Blank()) + text;
        if (!operands.isEmpty())
            line += g.Blank() + operands;
        if (g.Chance(15))
            line += g.Blank() + "; note";
        lines << line;
    }
    return lines.join(u'\n');
}

} // namespace twtest
