#include "ide/asm/editor_styles.h"

#include <array>

#include <QStringList>

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
            const TTextStyleLook& look = TextStyleLooks[i];
            made[std::size_t(i)].setFont(EditorFont(look.font), QTextCharFormat::FontPropertiesAll);
            made[std::size_t(i)].setForeground(QColor(look.red, look.green, look.blue));
        }
        return made;
    }();
    if (index < 0 || index >= TextStyleCount)
        index = DefaultStyle;
    return formats[std::size_t(index)];
}
