#pragma once

// The editor's ten text styles (the index is what the line colouring writes
// for each character) and the gutters' look. Fonts fall back to families a
// Debian system has when "Tahoma" or "Arial" is missing.
#include <array>
#include <cstdint>

#include <QColor>
#include <QFont>
#include <QString>
#include <QTextCharFormat>

enum TTextStyle : std::uint8_t {
    StyleError = 0,
    StyleDefault = 1,
    StyleComment = 2,
    StyleLabel = 3,
    StyleFN = 4,
    StyleInstruction = 5,
    StyleDirective = 6,
    StyleDEC = 7,
    StyleBIN = 8,
    StyleHEX = 9,
};

inline constexpr int TextStyleCount = 10;

struct TTextStyleRow {
    const char* name;
    const char* family; // "Tahoma" or "Arial"
    QRgb colour;
};

extern const std::array<TTextStyleRow, TextStyleCount> TextStyles;

// The font of a style family at the editor's size (10 points), with the
// fall-back families behind the named one.
QFont EditorFont(const char* family = "Tahoma");

// The character format of style `index` (out-of-range indexes give Default).
const QTextCharFormat& TextStyleFormat(int index);

// The gutters: background of the line-number gutter and of the breakpoint
// gutter, and the colour of the line numbers.
inline const QColor LineGutterBackground(244, 244, 244);
inline const QColor BreakpointGutterBackground(238, 238, 238);
inline const QColor LineNumberColour(192, 192, 192);
