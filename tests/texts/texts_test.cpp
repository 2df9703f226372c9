// The main program's text table: which identifiers it holds, texts that are
// easy to get wrong (typos, composed and shared texts, quotes, hints), and
// the language taken from the "Lang" setting.
#include <set>
#include <utility>

#include <gtest/gtest.h>

#include "ide/texts/settings.h"
#include "ide/texts/texts.h"
#include "texts/settings_store.h"
#include "texts/text_table_check.h"

namespace texts_test {
namespace {

class TextsTest : public testing::Test {
protected:
    void SetUp() override { twtest::clearSettings(); }
    // Every test leaves the process as it started: English, as before the
    // setting is first loaded.
    void TearDown() override { Language = 0; }
};

void lookup(int32_t language, int32_t textId, QString& text)
{
    Language = language;
    GetText(textId, text);
}

QString textIn(int32_t language, int32_t textId)
{
    return twtest::textIn(lookup, language, textId);
}

// The identifier ranges the table covers, both ends included.
const std::pair<int32_t, int32_t> kIdRanges[] = {
    {0, 11}, {100, 107}, {120, 123}, {200, 205}, {210, 217}, {230, 232}, {250, 254}, {270, 270},
    {290, 294}, {300, 305}, {320, 329}, {400, 403}, {500, 500}, {1000, 1001}, {1010, 1011},
    {1020, 1031}, {1100, 1100}, {1150, 1156}, {2000, 2000}, {2002, 2003}, {2010, 2010},
    {2020, 2020}, {2025, 2027}, {2050, 2061}, {3000, 3007}, {3020, 3022}, {3040, 3040},
    {3060, 3060}, {3100, 3102}, {3120, 3121}, {3150, 3150}, {3500, 3500}, {4000, 4028},
    {4040, 4042}, {4044, 4044}, {4050, 4050},
};

std::set<int32_t> tableIds()
{
    std::set<int32_t> ids;
    for (const auto& [first, last] : kIdRanges)
        for (int32_t id = first; id <= last; ++id)
            ids.insert(id);
    return ids;
}

TEST_F(TextsTest, TableHoldsExactlyTheKnownIdentifiersInBothLanguages)
{
    const std::set<int32_t> ids = tableIds();
    ASSERT_EQ(ids.size(), 171u);
    twtest::expectTableHoldsExactly(ids, -10, 6100, lookup);
}

TEST_F(TextsTest, TextsThatAreEasyToGetWrong)
{
    twtest::expectTexts({
        {1, "Tarnwick", "Tarnwick"},
        {2, "About Tarnwick", "О программе Tarnwick"},
        {4, "Devices editor", "Редактор переферийных устройств"},
        {100, "Poiner", "Указатель (курсор)"},
        {104, "Clear", "Очист."},
        {203, "&Options", "Опц&ии"},
        {213, "&Save", "Сохрнит&ь"},
        {270, "Configuration &Bits", "&Биты конфигурации..."},
        {327, "X&2", "X&2"},
        {1001, "Unknow device", "Неизвестное устройство"},
        {1022, "Byte value out of range (0..255)", "Байтовое значение вне диапазона (0..255)"},
        {1028, "The programm is too long. Please select another microcontroller, or optimize the program.",
            "Программа слишком большая. Пожалуйста, выберите другой микроконтроллер или оптимизируйте программу"},
        {1152, "to short", "слишком короткая"},
        {1153, "missing \":\"", "отсутствует \":\""},
        {2010, "Select a valid device model", "Выбирите верную модель устройства"},
        {2050, "Your report recieved to server", "Ваш отчет был отправлен на сервер"},
        {2052, "Connectiong to server", "Соединение с сервером"},
        {3060, "General Purpose Refisters", "Регистры общего назн. (GPR)"},
        {3101, "E-mail adress:", "Адрес e-mail:"},
        {4007, "Export Hex|Export to file firmware in Intel HEX format",
            "Экспортировать в файл прошивку в формате Intel HEX"},
        {4012, "Cascade", "Расположить окна каскадом"},
        {4021, "The interval is 2000 ms (enabled synchronization with the main sumulator window)",
            "Интервал между инструкциями 2000 мс (включена синхронизация с главным окном симулятора)"},
        {4050, "Configuration Bits|Allows to change the configuration bits of the microcontroller",
            "Биты конфигурации|Позволяет изменить биты конфигурации микроконтроллера"},
    }, lookup);
}

TEST_F(TextsTest, WebSiteAddressIsTheSameInEveryLanguage)
{
    const QString english = textIn(0, 0);
    EXPECT_TRUE(english.startsWith(QStringLiteral("https://"))) << english.toStdString();
    EXPECT_EQ(textIn(1, 0), english);
    EXPECT_EQ(textIn(7, 0), english);
}

TEST_F(TextsTest, UnknownIdentifierLeavesTheTextAsItWas)
{
    for (const int32_t id : {13, 6000, -1, 108, 4043}) {
        QString text = QStringLiteral("before");
        GetText(id, text);
        EXPECT_EQ(text, QStringLiteral("before")) << id;
        QString empty;
        GetText(id, empty);
        EXPECT_TRUE(empty.isEmpty()) << id;
    }
}

TEST_F(TextsTest, LanguageOutsideTheTableLeavesTheText)
{
    Language = 2;
    for (const int32_t id : {1, 2, 4000}) {
        QString text = QStringLiteral("before");
        GetText(id, text);
        EXPECT_EQ(text, QStringLiteral("before")) << id;
    }
}

TEST_F(TextsTest, LanguageFollowsTheSetting)
{
    const struct {
        int stored;
        int32_t language;
    } cases[] = {{1, 1}, {0, 0}, {2, 0}, {-1, 0}, {255, 0}};
    for (const auto& c : cases) {
        twtest::plantSetting(QStringLiteral("Lang"), c.stored);
        LoadLanguageSetting();
        EXPECT_EQ(Language.load(), c.language) << c.stored;
        EXPECT_EQ(GetText(500), c.language == 1 ? QStringLiteral("Язык") : QStringLiteral("Language"));
    }
}

TEST_F(TextsTest, MissingSettingMeansEnglishAndIsCreated)
{
    Language = 1;
    LoadLanguageSetting();
    EXPECT_EQ(Language.load(), 0);
    EXPECT_EQ(twtest::storedSetting(QStringLiteral("Lang")).toString(), QStringLiteral("0"));
}

TEST_F(TextsTest, EnglishUntilTheSettingIsLoaded)
{
    twtest::plantSetting(QStringLiteral("Lang"), 1);
    EXPECT_EQ(Language.load(), 0);
    EXPECT_EQ(GetText(3), QStringLiteral("Assembler editor"));
}

} // namespace

} // namespace texts_test
