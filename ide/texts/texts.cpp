// The main program's text table and the interface language.
#include "ide/texts/texts.h"

#include "ide/texts/settings.h"
#include "ide/texts/text_rows.h"

std::atomic<int32_t> Language{0};

namespace {

// The maker's web site, the same in both languages (identifier 0).
constexpr char kWebSiteAddress[] = "https://tarnwick.example.org/";

// Identifier 2 ("About " and the product name) is composed at each lookup and
// identifier 0 is the web site address; every other text is a row here, in
// ascending order of identifier. Ranges: 0-11 window titles, 100-123 buttons
// and the workbench popup, 200-329 menus and simulation rates, 400-403 model
// selection, 500 options, 1000-1031 project and assembler messages, 1100 the
// save prompt, 1150-1156 Intel HEX import, 2000-2061 start-up log, status and
// service messages, 3000-3150 labels, 3500 the About box, 4000-4050 action
// hints ("short hint|long hint"; a hint without "|" serves as both).
constexpr TextRow kTexts[] = {
    {1, "Tarnwick", "Tarnwick"},
    {3, "Assembler editor", "Редактор ассемблера"},
    {4, "Devices editor", "Редактор переферийных устройств"},
    {5, "Choosing a microcontroller", "Выбор микроконтроллера"},
    {6, "Configuration Bits", "Биты конфигурации"},
    {7, "Bug Report form", "Отправить отчет об ошибке"},
    {8, "Updates", "Обновления"},
    {9, "Devices", "Устройства"},
    {10, "Connect pins", "Подключить выводы"},
    {11, "Options", "Опции"},
    {100, "Poiner", "Указатель (курсор)"},
    {101, "Ok", "Ok"},
    {102, "Cancel", "Отмена"},
    {103, "Delete", "Удалить"},
    {104, "Clear", "Очист."},
    {105, "Send", "Отправить"},
    {106, "Close", "Закрыть"},
    {107, "Download and Install", "Загрузить и установить"},
    {120, "Connect pins...", "Подключить выводы..."},
    {121, "Bring to Front", "На передний план"},
    {122, "Send to Back", "На задний план"},
    {123, "Settings...", "Настройки..."},
    {200, "&File", "&Файл"},
    {201, "&Edit", "&Правка"},
    {202, "&Window", "&Окна"},
    {203, "&Options", "Опц&ии"},
    {204, "&Help", "&Справка"},
    {205, "&Run", "&Запуск"},
    {210, "&New Project...", "&Создать проект..."},
    {211, "&Open...", "&Открыть..."},
    {212, "&Close", "&Закрыть"},
    {213, "&Save", "Сохрнит&ь"},
    {214, "Save &As...", "Сохранить &как..."},
    {215, "E&xit", "&Выход"},
    {216, "&Export ASM file...", "&Экспортировать файл ASM..."},
    {217, "Export Intel &HEX file...", "Экс&портировать файл Intel HEX..."},
    {230, "Cu&t", "В&ырезать"},
    {231, "&Copy", "&Копировать"},
    {232, "&Paste", "&Вставить"},
    {250, "&Cascade", "&Каскадом"},
    {251, "Tile &Horizontally", "Плиткой &горизонтально"},
    {252, "Tile &Vertically", "Плиткой &вертикально"},
    {253, "&Minimize All", "&Свернуть все"},
    {254, "&Arrange All", "&Развернуть все"},
    {270, "Configuration &Bits", "&Биты конфигурации..."},
    {290, "&Check for Updates...", "&Проверить обновления..."},
    {291, "&Bug Report form...", "Отправить отчет об о&шибке..."},
    {292, "&About...", "&О программе..."},
    {293, "&Donate (why?)...", "&Пожертвовать (зачем?)..."},
    {294, "Find help online", "Найти справку онлайн"},
    {300, "R&ate", "&Скорость симуляции"},
    {301, "&Run", "&Запуск"},
    {302, "&Pause", "&Пауза"},
    {303, "&Stop", "&Стоп"},
    {304, "S&tep", "&Шаг"},
    {305, "&Clear all breakpoints", "О&чистить все точки останова"},
    {320, "&Step By Step", "&Шаг за шагом"},
    {321, "&Very Slow", "&Очень медленно"},
    {322, "S&low", "&Медленно"},
    {323, "&Normal", "&Нормально"},
    {324, "&Fast", "&Быстро"},
    {325, "V&ery Fast", "О&чень быстро"},
    {326, "&Real Time", "&В реальном времени"},
    {327, "X&2", "X&2"},
    {328, "&Ultimate", "&Максимальная скорость"},
    {329, "&Options", "&Опции"},
    {400, "Select Microcontroller", "Выберите микроконтроллер"},
    {401, "Architecture:", "Архитектура:"},
    {402, "Model:", "Модель:"},
    {403, "Not available in this version", "Недоступно в данной версии"},
    {500, "Language", "Язык"},
    {1000,
        "Declared in the project file model of the microcontroller is not supported. Please select a different model of the microcontroller.",
        "Объявленная в файле проекта модель микроконтроллера не поддерживается. Пожалуйста, выберите другую модель микроконтроллера."},
    {1001, "Unknow device", "Неизвестное устройство"},
    {1010, "Error open file", "Ошибка открытия файла"},
    {1011, "Error save to file", "Ошибка сохранения в файл"},
    {1020, "Too many parameters", "Слишком много параметров"},
    {1021, "Not enough actual parameters", "Не хватает параметров"},
    {1022, "Byte value out of range (0..255)", "Байтовое значение вне диапазона (0..255)"},
    {1023, "Undeclared identifier", "Необъявленный идентификатор"},
    {1024, "Wrong identifier", "Неверный идентификатор"},
    {1025, "Value out of range", "Значение вне диапазона"},
    {1026, "Incorrect record", "Неверная запись"},
    {1027, "Incorrect label", "Неверная метка"},
    {1028,
        "The programm is too long. Please select another microcontroller, or optimize the program.",
        "Программа слишком большая. Пожалуйста, выберите другой микроконтроллер или оптимизируйте программу"},
    {1029, "Identifier redeclared", "Идентификатор уже объявлен"},
    {1030, "Is not digit", "Это не цифра"},
    {1031, "Unknown label", "Неизвестная метка"},
    {1100, "Save changes to project?", "Сохранить изменения в проект?"},
    {1150, "Wrong format of .hex file", "Неверный формат .hex файла"},
    {1151, "Line", "Строка"},
    {1152, "to short", "слишком короткая"},
    {1153, "missing \":\"", "отсутствует \":\""},
    {1154, "this is not a hex data", "это не hex данные"},
    {1155, "missing end", "отсутствует конец"},
    {1156, "this is not for a this microcontroller", "это не для этого микроконтроллера"},
    {2000, "Start initialization", "Начальная инициализация"},
    {2002, "Search for device files", "Поиск библиотек устройств"},
    {2003, "Loading device files:", "Загрузка библиотеки устройств:"},
    {2010, "Select a valid device model", "Выбирите верную модель устройства"},
    {2020, "Sec", "Сек"},
    {2025,
        "Click to set breakpoint on change register",
        "Щелкните для установки точки останова, при изменении регистра"},
    {2026,
        "Red Delta - on change value; Green - on write in register and not change value",
        "Красная дельта - при изменении значения; Зеленая дельта - при записи в регистр, но значение от того не поменялось"},
    {2027, "The project was successfully saved", "Проект был успешно сохранен"},
    {2050, "Your report recieved to server", "Ваш отчет был отправлен на сервер"},
    {2051, "Error connecting to server", "Ошибка соединения с сервером"},
    {2052, "Connectiong to server", "Соединение с сервером"},
    {2053, "Error connecting to MySQL server", "Ошибка соединения с MySQL сервером"},
    {2054, "Error querying database", "Ошибка запроса к базе данных"},
    {2055, "You are using the latest version", "Вы используете последнюю версию"},
    {2056, "The new version is already available", "Новая версия сейчас доступна"},
    {2057, "The latest version is", "Последняя версия"},
    {2058, "Version history list", "История версий"},
    {2059, "Not enough resources", "Не хватает ресурсов"},
    {2060, "File not found", "Не найден файл"},
    {2061, "Path not found", "Не найден путь"},
    {3000, "Counters and Instructions", "Счетчики и инструкции"},
    {3001, "Last Instruction:", "Пред. инструкция:"},
    {3002, "Next Instruction:", "След. инструкция:"},
    {3003, "Instruction Counter", "Выполн. инструкций"},
    {3004, "Machine Cycles", "Машинных циклов"},
    {3005, "Real Time Duration", "В реальном времени прошло"},
    {3006, "Real Time Rate", "Скорость от реал."},
    {3007, "User Timer", "Польз. тайм."},
    {3020, "Hardware Timers and Stack", "Аппаратные таймеры и стек"},
    {3021, "WDT filling", "Заполн. WDT"},
    {3022, "Stack Counter", "Счетчик стека"},
    {3040, "Special Function Registers", "Специальные регистры (SFR)"},
    {3060, "General Purpose Refisters", "Регистры общего назн. (GPR)"},
    {3100, "User Name:", "Ваше имя:"},
    {3101, "E-mail adress:", "Адрес e-mail:"},
    {3102, "Enter your report here", "Введите здесь описание ошибки"},
    {3120, "Pin", "Вывод"},
    {3121, "Node", "Узел"},
    {3150, "Check for updates at startup", "Проверять обновления при запуске"},
    {3500, "Version", "Версия"},
    {4000, "New Project|Create a new project", "Новый проект|Создать новый проект"},
    {4001, "Open|Open a file", "Открыть|Открыть файл"},
    {4002, "Close|Close current project", "Закрыть|Закрыть текущий проект"},
    {4003, "Save|Save current project", "Сохранить|Сохранить текущий проект"},
    {4004,
        "Save As|Save current project with different name",
        "Сохранить как|Сохранить текущий проект в другой файл"},
    {4005, "Exit|Exit application", "Выход|Выход из программы"},
    {4006,
        "Export ASM|Export to file only assembler text",
        "Экспорт ASM|Экспортировать в файл только текст программы"},
    {4007,
        "Export Hex|Export to file firmware in Intel HEX format",
        "Экспортировать в файл прошивку в формате Intel HEX"},
    {4008,
        "Cut|Cuts the selection and puts it on the Clipboard",
        "Вырезать|Вырезать выделенное в буфер обмена"},
    {4009,
        "Copy|Copies the selection and puts it on the Clipboard",
        "Копировать|Копировать выделенное в буфер обмена"},
    {4010, "Paste|Inserts Clipboard contents", "Вставить|Вставляет содержимое из буфера обмена"},
    {4011,
        "About|Displays program information, version number, and copyright",
        "О программе|Показать информацию о программе, версию и авторские права"},
    {4012, "Cascade", "Расположить окна каскадом"},
    {4013, "Tile Horizontally", "Расположить окна плиткой горизонтально"},
    {4014, "Tile Vertically", "Расположить окна плиткой вертикально"},
    {4015, "Minimize All", "Свернуть все окна"},
    {4016, "Arrange All", "Восстановить все окна"},
    {4017,
        "Bug report|Send bug report to developer",
        "Отчет об ошибке|Отправить разработчику отчет об обнаруженной ошибке"},
    {4018, "Check for updates", "Проверить обновления"},
    {4019,
        "Rate|It enables user to change the simulation rate",
        "Скорость симуляции|Позволяет изменять скорость симуляции"},
    {4020,
        "The interval between consecutive instructions is at user will",
        "Интервал между инструкциями определяет пользователь"},
    {4021,
        "The interval is 2000 ms (enabled synchronization with the main sumulator window)",
        "Интервал между инструкциями 2000 мс (включена синхронизация с главным окном симулятора)"},
    {4022,
        "The interval is 1000 ms (enabled synchronization with the main sumulator window)",
        "Интервал между инструкциями 1000 мс (включена синхронизация с главным окном симулятора)"},
    {4023,
        "The interval is 500 ms (enabled synchronization with the main sumulator window)",
        "Интервал между инструкциями 500 мс (включена синхронизация с главным окном симулятора)"},
    {4024,
        "The interval is 100 ms (enabled synchronization with the main sumulator window)",
        "Интервал между инструкциями 100 мс (включена синхронизация с главным окном симулятора)"},
    {4025,
        "The interval is 10 ms (enabled synchronization with the main sumulator window)",
        "Интервал между инструкциями 10 мс (включена синхронизация с главным окном симулятора)"},
    {4026,
        "The interval corresponds to the real device (disabled synchronization with the main sumulator window)",
        "Интервал между инструкциями как в реальном устройстве (выключена синхронизация с главным окном симулятора)"},
    {4027,
        "The interval corresponds to the real device x 2 (disabled synchronization with the main sumulator window)",
        "Интервал между инструкциями как в реальном устройстве x 2 (выключена синхронизация с главным окном симулятора)"},
    {4028,
        "Without limitation (disabled synchronization with the main sumulator window)",
        "Без ограничений (выключена синхронизация с главным окном симулятора)"},
    {4040, "Run|Start the simulation", "Запуск|Начать симуляцию"},
    {4041, "Pause|Suspend the simulation", "Пауза|Приостановить симуляцию"},
    {4042, "Stop|Stop the simulation", "Стоп|Остановить симуляцию"},
    {4044, "Step|Execute the next instruction", "Шаг|Выполнить следующую инструкцию"},
    {4050,
        "Configuration Bits|Allows to change the configuration bits of the microcontroller",
        "Биты конфигурации|Позволяет изменить биты конфигурации микроконтроллера"},
};

static_assert(IdsStrictlyAscending(kTexts), "the text table is looked up by binary search");

} // namespace

void LoadLanguageSetting()
{
    const int32_t stored = ReadRegInt(kLanguageSetting);
    Language = stored == 1 ? 1 : 0;
}

void GetText(int32_t textId, QString& text)
{
    if (textId == 0) {
        text = QString::fromLatin1(kWebSiteAddress);
        return;
    }
    const int32_t language = Language;
    if (language != 0 && language != 1)
        return;
    if (textId == 2) {
        QString productName;
        AssignText(kTexts, 1, language, productName);
        text = (language == 0 ? QStringLiteral("About ") : QStringLiteral("О программе ")) + productName;
        return;
    }
    AssignText(kTexts, textId, language, text);
}

QString GetText(int32_t textId)
{
    QString text;
    GetText(textId, text);
    return text;
}
