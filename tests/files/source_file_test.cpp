// Assembly source files in and out: encodings, line ends, and nothing lost on
// the way through an export and an import.
#include <gtest/gtest.h>

#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>

#include "ide/files/source_file.h"
#include "qt_printers.h"

namespace source_file_test {
namespace {

TEST(SourceFileTest, UnicodeOrWindows1251AndEveryLineEnd)
{
    struct Case {
        const char* name;
        QByteArray bytes;
        QStringList lines;
    };
    const Case cases[] = {
        {"empty", "", {}},
        {"one line without end", "NOP", {"NOP"}},
        {"LF", "a\nb\n", {"a", "b"}},
        {"CR LF", "a\r\nb\r\n", {"a", "b"}},
        {"CR", "a\rb\r", {"a", "b"}},
        {"mixed and empty lines", "a\r\n\nb\r\rc", {"a", "", "b", "", "c"}},
        {"UTF-8 with byte-order mark", "\xEF\xBB\xBF\xD0\xA6\xD0\xB8\xD0\xBA\xD0\xBB:\tNOP ; \xF0\x9F\x98\x80\n",
            {"Цикл:\tNOP ; 😀"}},
        {"Windows-1251", "\xD6\xE8\xEA\xEB:\tNOP ; \xA8\xB8\x88\r\n", {"Цикл:\tNOP ; Ёё€"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SourceFileLines(c.bytes), c.lines) << c.name;
}

TEST(SourceFileTest, OurWindows1251TableAgreesWithTheSystemsConverter)
{
    QStringDecoder system("windows-1251");
    if (!system.isValid())
        GTEST_SKIP() << "no windows-1251 converter in this Qt";
    for (int code = 0x80; code < 0x100; ++code) {
        // A lone byte of 0x80..0xFF is never valid UTF-8, so it is read as 1251.
        const QByteArray byte(1, char(code));
        EXPECT_EQ(DecodeSourceFile(byte), system.decode(byte)) << std::hex << code;
    }
}

TEST(SourceFileTest, ExportWritesUtf8ThatReadsBackToTheSameLines)
{
    const QStringList lines = {"\tMOVLW 0Fh ; тест", "", "😀 метка:", "𝄞", ""};
    QTemporaryDir dir;
    const QString name = dir.filePath("out.asm");
    ASSERT_TRUE(ExportAsmFile(name, lines));
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_EQ(bytes, "\tMOVLW 0Fh ; \xD1\x82\xD0\xB5\xD1\x81\xD1\x82\r\n\r\n\xF0\x9F\x98\x80 "
                     "\xD0\xBC\xD0\xB5\xD1\x82\xD0\xBA\xD0\xB0:\r\n\xF0\x9D\x84\x9E\r\n\r\n");
    EXPECT_EQ(SourceFileLines(bytes), lines);
    QString error;
    EXPECT_FALSE(ExportAsmFile(dir.filePath("no/folder/out.asm"), lines, &error));
    EXPECT_FALSE(error.isEmpty());
}

} // namespace

} // namespace source_file_test
