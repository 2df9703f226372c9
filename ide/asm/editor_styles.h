#pragma once

// How the editor shows the classifier's ten text styles, and the gutters'
// look. Fonts fall back to families a
// Debian system has when "Tahoma" or "Arial" is missing.
#include <QColor>
#include <QFont>
#include <QString>
#include <QTextCharFormat>

#include "ide/asm/line_classifier.h"

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
