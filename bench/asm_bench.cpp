// Assembles one source file into corvel.so the way the editor's Run command
// does (CompileAll over the bound entry points), several times, and prints
// the best time. With a third file argument it also writes the program
// words, one hexadecimal word a line, for a comparison with gpasm.
//
//   asm_bench CORVEL_SO SOURCE MODEL REPEATS [WORDS_OUT]
//
// Output, one line: "lines words seconds".
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include <QCoreApplication>
#include <QFile>
#include <QStringList>

#include "ide/asm/assembler.h"
#include "ide/main/simulator_binding.h"
#include "ide/main/user_message.h"
#include "ide/workbench/shared_library.h"

namespace {

class FileLines : public TSourceLines {
public:
    explicit FileLines(QStringList lines)
        : lines_(std::move(lines))
    {
    }
    int LineCount() const override { return int(lines_.size()); }
    QString LineText(int line) const override { return lines_[line]; }
    bool LineBreakpoint(int line) const override { return line % 97 == 0; }
    void MarkError(int line, int start, int length) override
    {
        std::fprintf(stderr, "fault on line %d at %d+%d\n", line + 1, start, length);
    }

private:
    QStringList lines_;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    SetMessageSink([](const QString& message) { std::fprintf(stderr, "%s\n", qPrintable(message)); });
    if (argc < 5) {
        std::fprintf(stderr, "usage: asm_bench CORVEL_SO SOURCE MODEL REPEATS [WORDS_OUT]\n");
        return 2;
    }
    QFile file(QString::fromLocal8Bit(argv[2]));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", argv[2]);
        return 1;
    }
    QString text = QString::fromUtf8(file.readAll());
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (text.endsWith(u'\n'))
        text.chop(1);
    FileLines source(text.split(u'\n'));

    QString error;
    void* library = LoadSharedLibrary(QString::fromLocal8Bit(argv[1]), &error);
    if (!library) {
        std::fprintf(stderr, "cannot load corvel: %s\n", qPrintable(error));
        return 1;
    }
    QStringList missing;
    DllMCEntries = BindDllMCEntries(library, &missing);
    if (!missing.isEmpty()) {
        std::fprintf(stderr, "corvel lacks %s\n", qPrintable(missing.join(", ")));
        return 1;
    }
    DllMCEntries.SelectMC(std::uint8_t(std::atoi(argv[3])));

    const int repeats = std::max(1, std::atoi(argv[4]));
    double best = 1e9;
    std::int32_t words = 0;
    for (int round = 0; round < repeats; ++round) {
        const auto start = std::chrono::steady_clock::now();
        const bool assembled = CompileAll(source, words);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        if (!assembled) {
            std::fprintf(stderr, "the source did not assemble\n");
            return 1;
        }
        best = std::min(best, took.count());
    }

    if (argc > 5) {
        FILE* out = std::fopen(argv[5], "w");
        for (std::int32_t address = 0; out && address < words; ++address) {
            unsigned word = 0;
            for (int bit = 0; bit < 12; ++bit)
                word |= unsigned(DllMCEntries.Get_ROM(address, bit) ? 1 : 0) << bit;
            std::fprintf(out, "%03X\n", word);
        }
        if (out)
            std::fclose(out);
    }
    std::printf("%d %d %.6f\n", source.LineCount(), words, best);
    DllMCEntries = TDllMCEntries();
    UnloadSharedLibrary(library);
    return 0;
}
