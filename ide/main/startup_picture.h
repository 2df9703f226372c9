#pragma once

// The picture of the start-up log window, drawn in code. White is the
// window's transparent colour: the window shows only the picture's other
// pixels.
#include <QImage>
#include <QRect>

inline constexpr int StartupPictureWidth = 409;
inline constexpr int StartupPictureHeight = 417;

// Where the picture's chip lies (its body, without the pins).
inline constexpr QRect StartupChipBody(139, 48, 120, 64);

// productName is drawn as the title; logArea (in picture coordinates) gets a
// dark frame for the log shown over it.
QImage DrawStartupPicture(const QString& productName, const QRect& logArea);
