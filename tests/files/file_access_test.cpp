// Whole-file reads that stop at a bound and writes that never leave a damaged
// file.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "files_support.h"
#include "ide/files/file_access.h"
#include "ide/files/intel_hex.h"
#include "ide/texts/texts.h"
#include "qt_printers.h"

namespace file_access_test {
namespace {

TEST(FileAccessTest, ReadsStopAtTheirBound)
{
    QTemporaryDir dir;
    const QString name = dir.filePath("data.bin");
    const QByteArray content(200000, 'x');
    ASSERT_TRUE(WriteFileSafely(name, content));

    QByteArray bytes;
    EXPECT_EQ(ReadFileBounded(name, 200000, &bytes), TReadResult::Read);
    EXPECT_EQ(bytes, content);
    EXPECT_EQ(ReadFileBounded(name, 199999, &bytes), TReadResult::TooLarge);
    // An endless device is read no further than its bound.
    if (QFile::exists("/dev/zero"))
        EXPECT_EQ(ReadFileBounded("/dev/zero", 300000, &bytes), TReadResult::TooLarge);

    QString error;
    EXPECT_EQ(ReadFileBounded(dir.filePath("missing"), 10, &bytes, &error), TReadResult::Failed);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(ReadFileBounded(dir.path(), 10, &bytes, &error), TReadResult::Failed);
}

TEST(FileAccessTest, AnOversizedHexFileIsRefusedWithoutTouchingMemory)
{
    QTemporaryDir dir;
    const QString name = dir.filePath("huge.hex");
    ASSERT_TRUE(WriteFileSafely(name, QByteArray(16 * 1024 * 1024 + 1, ':')));
    filestest::ArrayMemory memory(512);
    EXPECT_FALSE(ImportIntelHex(name, memory));
    EXPECT_EQ(HexErrorText, GetText(1150) + " - " + GetText(1156));
    EXPECT_EQ(memory.writes, 0);
}

TEST(FileAccessTest, AFailedWriteLeavesTheOldFileAndNoLeftovers)
{
    QTemporaryDir dir;
    const QString name = dir.filePath("kept.txt");
    ASSERT_TRUE(WriteFileSafely(name, "old"));
    // A directory in the target's place cannot be replaced.
    const QString blocked = dir.filePath("blocked");
    ASSERT_TRUE(QDir(dir.path()).mkdir("blocked"));
    QString error;
    EXPECT_FALSE(WriteFileSafely(blocked, "new", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(QFileInfo(blocked).isDir());
    QByteArray bytes;
    ASSERT_EQ(ReadFileBounded(name, 10, &bytes), TReadResult::Read);
    EXPECT_EQ(bytes, "old");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"kept.txt"}));
}

} // namespace

} // namespace file_access_test
