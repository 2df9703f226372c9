// corvel's own text table and its language, taken from the "Lang" setting
// that it shares with the main program.
#include <set>

#include <gtest/gtest.h>

#include "ide/texts/settings.h"
#include "mcu-device/library_texts.h"
#include "texts/settings_store.h"
#include "texts/text_table_check.h"

namespace library_texts_test {
namespace {

class LibraryTextsTest : public testing::Test {
protected:
    void SetUp() override { twtest::clearSettings(); }
    void TearDown() override { LanguageMC = 0; }
};

void lookup(int32_t language, int32_t textId, QString& text)
{
    LanguageMC = language;
    GetTextMC(textId, text);
}

QString textIn(int32_t language, int32_t textId)
{
    return twtest::textIn(lookup, language, textId);
}

const std::set<int32_t> kTableIds = {
    0, 1, 2, 3, 10, 11, 20, 21, 22, 23, 24, 25, 26, 27, 50, 51, 52, 53, 54, 55, 56, 57, 58, 59, 60, 61,
    100, 200, 201, 202, 203, 204, 205, 206, 207, 208, 209, 210, 211, 212, 213, 214, 215,
};

TEST_F(LibraryTextsTest, TableHoldsExactlyTheKnownIdentifiersInBothLanguages)
{
    ASSERT_EQ(kTableIds.size(), 43u);
    twtest::expectTableHoldsExactly(kTableIds, -10, 400, lookup);
}

TEST_F(LibraryTextsTest, TextsThatAreEasyToGetWrong)
{
    twtest::expectTexts({
        {0, "Microcontroller Microchip Baseline Family", "Микроконтроллер Microchip семейства Baseline"},
        {22, "GP3/\\MCLR Pin function Select bit", "Бит выбора функции вывода GP3/\\MCLR"},
        {24, "Master Clear Pull-up Enable bit. MCLRE must be a \"1\" to enable this selection.",
            "Бит отключения подтягивающих резисторов. Бит MCLRE должен быть установлен на \"1\" чтобы включить эту опцию"},
        {50, "\"0\":Disabled", "\"0\":Откл"},
        {55, "\"1\":\\MCLR", "\"1\":\\MCLR"},
        {56, "\"0\":4 MHz", "\"0\":4 МГц"},
        {61, "\"1\"", "\"1\""},
        {200, "Use different crystal frequency (not recomended)", "Использовать нестандартную частоту кварца (не рекомендуется)"},
        {205, "0 - Bit is clear (Default) ", "0 - Бит очищен (по-умолчанию)"},
        {209, "The selected clock source: ", "Выбранный источник тактового сигнала: "},
        {27,
            "FOSC<1:0>: Oscillator Selection bits:\n\r11 = RC oscillator\n\r10 = HS oscillator \n\r"
            "01 = XT oscillator\n\r00 = LP oscillator",
            "FOSC<1:0>: Биты выбора источника тактового сигнала:\n\r"
            "11 = RC Внешний контур резистор/конденсатор \n\r10 = HS Внешний высокоскоростной резонатор\n\r"
            "01 = XT Внешний кварцевый резонатор\n\r00 = LP Внешний кварц с низким энергопотреблением"},
    }, lookup);
}

TEST_F(LibraryTextsTest, OscillatorHintHasFiveLinesSeparatedByLineFeedThenCarriageReturn)
{
    const QString english = textIn(0, 25);
    EXPECT_EQ(english.size(), 146);
    EXPECT_EQ(english.count(QStringLiteral("\n\r")), 4);
    EXPECT_EQ(english.count(QLatin1Char('\n')), 4);
    EXPECT_EQ(english.split(QStringLiteral("\n\r")).at(2), QStringLiteral("10 = INTRC = internal oscillator "));

    const QStringList russian = textIn(1, 25).split(QStringLiteral("\n\r"));
    ASSERT_EQ(russian.size(), 5);
    EXPECT_EQ(russian.at(1), QStringLiteral("11 = EXTRC = Внешний контур резистор/конденсатор "));
    EXPECT_EQ(russian.at(3), QStringLiteral("01 = XT Внешний кварцевый резонатогр"));
}

TEST_F(LibraryTextsTest, UnknownIdentifierLeavesTheTextAsItWas)
{
    for (const int32_t id : {4, 99, -1}) {
        QString text = QStringLiteral("before");
        GetTextMC(id, text);
        EXPECT_EQ(text, QStringLiteral("before")) << id;
    }
}

TEST_F(LibraryTextsTest, LanguageFollowsTheSharedSettingWhenLoaded)
{
    const struct {
        int stored;
        const char* displayName;
    } cases[] = {
        {1, "Микроконтроллер Microchip семейства Baseline"},
        {2, "Microcontroller Microchip Baseline Family"},
        {0, "Microcontroller Microchip Baseline Family"},
        {-1, "Microcontroller Microchip Baseline Family"},
    };
    for (const auto& c : cases) {
        twtest::plantSetting(QStringLiteral("Lang"), c.stored);
        LoadLanguageMC();
        EXPECT_EQ(GetTextMC(0), QString::fromUtf8(c.displayName)) << c.stored;
    }
}

TEST_F(LibraryTextsTest, MissingSettingMeansEnglishAndIsCreated)
{
    LanguageMC = 1;
    LoadLanguageMC();
    EXPECT_EQ(LanguageMC.load(), 0);
    EXPECT_EQ(twtest::storedSetting(QStringLiteral("Lang")).toString(), QStringLiteral("0"));
}

TEST_F(LibraryTextsTest, LanguageChangesOnlyWhenLoaded)
{
    WriteRegInt(kLanguageSetting, 1); // as the main program's Options dialog does
    EXPECT_EQ(GetTextMC(2), QStringLiteral("Cancel"));
    LoadLanguageMC();
    EXPECT_EQ(GetTextMC(2), QStringLiteral("Отмена"));
}

} // namespace

} // namespace library_texts_test
