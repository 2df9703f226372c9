// corvel's own text table and language.
#include "mcu-device/library_texts.h"

#include "ide/texts/settings.h"
#include "ide/texts/text_rows.h"

std::atomic<int32_t> LanguageMC{0};

namespace {

// In ascending order of identifier. 20-26 describe the configuration bits and
// 50-61 are their value items; 25 and 27 are the five-line oscillator hints,
// whose lines are separated by line feed then carriage return.
constexpr TextRow kTextsMC[] = {
    {0, "Microcontroller Microchip Baseline Family", "Микроконтроллер Microchip семейства Baseline"},
    {1, "OK", "OK"},
    {2, "Cancel", "Отмена"},
    {3, "Settings", "Настройки"},
    {10, "Config Bits", "Биты конфигурации"},
    {11, "Other", "Разное"},
    {20, "Watchdog Timer Enable bit", "Бит включения сторожевого таймера (Watchdog Timer)"},
    {21,
        "Code Protection bit - User Program Memory",
        "Бит защиты кода (пользовательской программы) от чтения"},
    {22, "GP3/\\MCLR Pin function Select bit", "Бит выбора функции вывода GP3/\\MCLR"},
    {23, "Internal Oscillator Frequency Select bit", "Бит выбора тактовой частоты МК"},
    {24,
        "Master Clear Pull-up Enable bit. MCLRE must be a \"1\" to enable this selection.",
        "Бит отключения подтягивающих резисторов. Бит MCLRE должен быть установлен на \"1\" чтобы включить эту опцию"},
    {25,
        "FOSC<1:0>: Oscillator Selection bits:\n\r"
        "11 = EXTRC = external oscillator\n\r"
        "10 = INTRC = internal oscillator \n\r"
        "01 = XT oscillator\n\r"
        "00 = LP oscillator",
        "FOSC<1:0>: Биты выбора источника тактового сигнала:\n\r"
        "11 = EXTRC = Внешний контур резистор/конденсатор \n\r"
        "10 = INTRC = Внутренний генератор\n\r"
        "01 = XT Внешний кварцевый резонатогр\n\r"
        "00 = LP Внешний кварц с низким энергопотреблением"},
    {26, "Code Protection bit - Flash Data Memory", "Бит защиты кода (флеш - памяти) от чтения"},
    {27,
        "FOSC<1:0>: Oscillator Selection bits:\n\r"
        "11 = RC oscillator\n\r"
        "10 = HS oscillator \n\r"
        "01 = XT oscillator\n\r"
        "00 = LP oscillator",
        "FOSC<1:0>: Биты выбора источника тактового сигнала:\n\r"
        "11 = RC Внешний контур резистор/конденсатор \n\r"
        "10 = HS Внешний высокоскоростной резонатор\n\r"
        "01 = XT Внешний кварцевый резонатор\n\r"
        "00 = LP Внешний кварц с низким энергопотреблением"},
    {50, "\"0\":Disabled", "\"0\":Откл"},
    {51, "\"1\":Disabled", "\"1\":Откл"},
    {52, "\"0\":Enabled", "\"0\":Вкл"},
    {53, "\"1\":Enabled", "\"1\":Вкл"},
    {54, "\"0\":GP3", "\"0\":GP3"},
    {55, "\"1\":\\MCLR", "\"1\":\\MCLR"},
    {56, "\"0\":4 MHz", "\"0\":4 МГц"},
    {57, "\"1\":8 MHz", "\"1\":8 МГц"},
    {58, "\"0\":Pull-up enabled", "\"0\":Подтяг. вкл"},
    {59, "\"1\":Pull-up disabled", "\"1\":Подтяг. откл"},
    {60, "\"0\"", "\"0\""},
    {61, "\"1\"", "\"1\""},
    {100,
        "Invalid crystal frequency value (valid in range 100-999999999 Hz)",
        "Неверное значение частоты кварца (частота должна быть в диапазоне 100-999999999 Гц)"},
    {200,
        "Use different crystal frequency (not recomended)",
        "Использовать нестандартную частоту кварца (не рекомендуется)"},
    {201, "Advanced Configuration of Clock Frequency", "Расширенные настройки тактовой частоты"},
    {202, "Clock Frequency:", "Тактовая частота составляет:"},
    {203, "Hz", "Гц"},
    {204, "Value if the state of bit is unknown", "Значение, если состояние бита не известно"},
    {205, "0 - Bit is clear (Default) ", "0 - Бит очищен (по-умолчанию)"},
    {206, "1 - Bit is set", "1 - Бит установлен"},
    {207, "Random", "Случайно"},
    {208, "External Crystal Frequency:", "Частота внешнего кварца:"},
    {209, "The selected clock source: ", "Выбранный источник тактового сигнала: "},
    {210, "LP (Low-Power Crystal)", "LP (экономичный кварц)"},
    {211, "XT (Crystal/Resonator)", "XT (кварц/резонатор)"},
    {212, "INTRC (Internal 4 MHz Oscillator)", "INTRC (внутренний генератор 4 МГц)"},
    {213, "INTRC (Internal 8 MHz Oscillator)", "INTRC (внутренний генератор 8 МГц)"},
    {214, "EXTRC (External RC oscillator)", "EXTRC (внешний RC генератор)"},
    {215, "EXTHS (External HS Resonator)", "EXTHS (внешний HS резонатор)"},
};

static_assert(IdsStrictlyAscending(kTextsMC), "the text table is looked up by binary search");

} // namespace

void LoadLanguageMC()
{
    LanguageMC = ReadRegInt(kLanguageSetting) == 1 ? 1 : 0;
}

void GetTextMC(int32_t textId, QString& text)
{
    AssignText(kTextsMC, textId, LanguageMC, text);
}

QString GetTextMC(int32_t textId)
{
    QString text;
    GetTextMC(textId, text);
    return text;
}
