#include "ide/asm/editor_styles.h"

#include <QStringList>

const std::array<TTextStyleRow, TextStyleCount> TextStyles = {{
    {"Error", "Tahoma", qRgb(255, 0, 0)},
    {"Default", "Tahoma", qRgb(0, 0, 0)},
    {"Comment", "Tahoma", qRgb(0, 128, 0)},
    {"Label", "Tahoma", qRgb(255, 0, 0)},
    {"FN", "Tahoma", qRgb(255, 0, 255)},
    {"Instruction", "Tahoma", qRgb(0, 0, 255)},
    {"Directive", "Arial", qRgb(0, 0, 128)},
    {"DEC", "Arial", qRgb(128, 128, 0)},
    {"BIN", "Arial", qRgb(128, 0, 128)},
    {"HEX", "Arial", qRgb(128, 0, 0)},
}};

QFont EditorFont(const char* family)
{
    QFont font;
    const QString named = QString::fromLatin1(family);
    if (named == QLatin1String("Arial"))
        font.setFamilies({named, QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans"),
                          QStringLiteral("Sans Serif")});
    else
        font.setFamilies({named, QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"),
                          QStringLiteral("Sans Serif")});
    font.setPointSize(10);
    return font;
}

const QTextCharFormat& TextStyleFormat(int index)
{
    static const std::array<QTextCharFormat, TextStyleCount> formats = [] {
        std::array<QTextCharFormat, TextStyleCount> made;
        for (int i = 0; i < TextStyleCount; ++i) {
            made[i].setFont(EditorFont(TextStyles[i].family), QTextCharFormat::FontPropertiesAll);
            made[i].setForeground(QColor(TextStyles[i].colour));
        }
        return made;
    }();
    if (index < 0 || index >= TextStyleCount)
        index = StyleDefault;
    return formats[std::size_t(index)];
}
