// The two per-user settings: defaults created on first read, stored values
// returned as stored, values of the wrong kind treated as missing, and an
// unusable settings file never stopping the program.
#include <QDir>
#include <QFile>
#include <QStringList>

#include <gtest/gtest.h>

#include "ide/texts/settings.h"
#include "texts/settings_store.h"

namespace settings_test {
namespace {

using twtest::plantSetting;
using twtest::storedSetting;

const QString kLang = QStringLiteral("Lang");
const QString kCheckUpdates = QStringLiteral("Check_updates_on_startup");

class SettingsTest : public testing::Test {
protected:
    void SetUp() override { twtest::clearSettings(); }
};

QString fileText()
{
    QFile file(twtest::settingsFilePath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

TEST_F(SettingsTest, FirstStartCreatesEachValueWithItsDefaultWhenFirstRead)
{
    QFile::remove(twtest::settingsFilePath());

    EXPECT_EQ(ReadRegInt(kLanguageSetting), 0);
    EXPECT_TRUE(QFile::exists(twtest::settingsFilePath()));
    EXPECT_EQ(storedSetting(kLang).toString(), QStringLiteral("0"));
    EXPECT_FALSE(storedSetting(kCheckUpdates).isValid()) << "only the value read is created";

    EXPECT_TRUE(ReadRegBool(kCheckUpdatesSetting));
    EXPECT_EQ(storedSetting(kCheckUpdates).toString(), QStringLiteral("1"));
    EXPECT_TRUE(fileText().contains(QStringLiteral("Lang=0")));
    EXPECT_TRUE(fileText().contains(QStringLiteral("Check_updates_on_startup=1")));
}

TEST_F(SettingsTest, StoredIntegerIsReturnedAsStoredAndLeftAlone)
{
    // The mapping of odd languages to English belongs to the text table.
    for (const int32_t stored : {7, 1, -1, 255, 2147483647, -2147483647 - 1}) {
        plantSetting(kLang, stored);
        EXPECT_EQ(ReadRegInt(kLanguageSetting), stored);
        EXPECT_EQ(storedSetting(kLang).toString(), QString::number(stored));
    }
}

TEST_F(SettingsTest, AnyNonZeroStoredIntegerReadsTrue)
{
    const struct {
        int stored;
        bool expected;
    } cases[] = {{2, true}, {1, true}, {-1, true}, {0, false}};
    for (const auto& c : cases) {
        plantSetting(kCheckUpdates, c.stored);
        EXPECT_EQ(ReadRegBool(kCheckUpdatesSetting), c.expected) << c.stored;
        EXPECT_EQ(storedSetting(kCheckUpdates).toString(), QString::number(c.stored));
    }
}

TEST_F(SettingsTest, WritesStoreIntegers)
{
    WriteRegBool(kCheckUpdatesSetting, false);
    EXPECT_EQ(storedSetting(kCheckUpdates).toString(), QStringLiteral("0"));
    EXPECT_FALSE(ReadRegBool(kCheckUpdatesSetting));
    EXPECT_EQ(storedSetting(kCheckUpdates).toString(), QStringLiteral("0"));

    WriteRegBool(kCheckUpdatesSetting, true);
    EXPECT_EQ(storedSetting(kCheckUpdates).toString(), QStringLiteral("1"));

    WriteRegInt(kLanguageSetting, 1);
    EXPECT_EQ(storedSetting(kLang).toString(), QStringLiteral("1"));
    EXPECT_EQ(ReadRegInt(kLanguageSetting), 1);
}

TEST_F(SettingsTest, ValueOfTheWrongKindCountsAsMissingAndIsRewritten)
{
    const QVariant wrongKinds[] = {
        QStringLiteral("abc"), QStringLiteral(""), QStringLiteral("1.5"), QStringLiteral("0x1"),
        QStringLiteral("2147483648"), QStringLiteral("-2147483649"), QStringList{QStringLiteral("1"), QStringLiteral("2")},
    };
    for (const QVariant& wrong : wrongKinds) {
        plantSetting(kLang, wrong);
        EXPECT_EQ(ReadRegInt(kLanguageSetting), 0) << wrong.toString().toStdString();
        EXPECT_EQ(storedSetting(kLang).toString(), QStringLiteral("0"));

        plantSetting(kCheckUpdates, wrong);
        EXPECT_TRUE(ReadRegBool(kCheckUpdatesSetting)) << wrong.toString().toStdString();
        EXPECT_EQ(storedSetting(kCheckUpdates).toString(), QStringLiteral("1"));
    }
}

TEST_F(SettingsTest, HandEditedFileIsReadAsText)
{
    QDir().mkpath(QFileInfo(twtest::settingsFilePath()).path());
    QFile file(twtest::settingsFilePath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("[General]\nLang=abc\nCheck_updates_on_startup=0\n");
    file.close();

    EXPECT_EQ(ReadRegInt(kLanguageSetting), 0);
    EXPECT_FALSE(ReadRegBool(kCheckUpdatesSetting));
    EXPECT_TRUE(fileText().contains(QStringLiteral("Lang=0")));
}

TEST_F(SettingsTest, UnusableSettingsFileGivesDefaultsAndStopsNothing)
{
    // A folder in place of the file can be neither read nor written, even by root.
    QFile::remove(twtest::settingsFilePath());
    ASSERT_TRUE(QDir().mkpath(twtest::settingsFilePath()));

    EXPECT_EQ(ReadRegInt(kLanguageSetting), 0);
    EXPECT_TRUE(ReadRegBool(kCheckUpdatesSetting));
    WriteRegInt(kLanguageSetting, 1);
    WriteRegBool(kCheckUpdatesSetting, false);

    QDir(twtest::settingsFilePath()).removeRecursively();
}

TEST_F(SettingsTest, IdsThatNameNoSettingTouchNothing)
{
    plantSetting(kLang, 1);
    EXPECT_EQ(ReadRegInt(kLanguageSetting), 1); // leaves "Lang" selected

    WriteRegInt(5, 9);
    WriteRegBool(11, false);
    EXPECT_EQ(ReadRegInt(5), 0);
    EXPECT_FALSE(ReadRegBool(-1));

    EXPECT_EQ(storedSetting(kLang).toString(), QStringLiteral("1"));
    EXPECT_FALSE(storedSetting(kCheckUpdates).isValid());
}

TEST_F(SettingsTest, SelectionKeepsTheOtherTypesDefault)
{
    SelectRegistryValue(kLanguageSetting);
    SelectRegistryValue(kCheckUpdatesSetting);
    SelectRegistryValue(42); // names no setting: the selection stays
    const RegistrySelection selection = CurrentRegistrySelection();
    EXPECT_EQ(selection.organization, QStringLiteral("Veltrona"));
    EXPECT_EQ(selection.application, QStringLiteral("ZEMRA1"));
    EXPECT_EQ(selection.valueName, kCheckUpdates);
    EXPECT_TRUE(selection.defaultBool);
    EXPECT_EQ(selection.defaultInt, 0);
}

} // namespace

} // namespace settings_test
