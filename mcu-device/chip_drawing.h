#pragma once

// The chip device's picture on the workbench: the static package while the
// simulation stands, and while it runs the package with every pin's present
// direction, level, function and analogue voltage laid over it. Everything is
// copied from the prepared pictures (chip_pictures.h); nothing is rendered
// from fonts.
#include <QImage>
#include <QPainter>

#include "mcu-device/chip_view.h"

namespace corvel {

// Level windows of the level marks, in volts, bounds included. kLowMax is the
// engine's input threshold as well: the engine reads any level above it, or
// an undriven pin, as 1, while the picture marks 1.0 .. 3.0 V as unknown.
inline constexpr float kLowMin = 0.0f;
inline constexpr float kLowMax = 1.0f;
inline constexpr float kHighMin = 3.0f;
inline constexpr float kHighMax = 5.5f;

enum class LevelMark { Low, High, Unknown };

// The mark of a node level: Low and High inside their windows, Unknown for
// every other level, NaN and the infinities included.
LevelMark levelMark(float volts);

// The name of the picture of a level mark: "r0", "r1" or "r3".
const char* levelMarkPicture(LevelMark mark);

// Paints the chip of chip.typeMC() onto `image` at (0, 0): the static picture
// when isRunning is false, else the running picture with the pins' overlays.
// A model outside 0..15 paints nothing. Reads the chip, never writes it.
void drawChip(QImage& image, const ChipView& chip, bool isRunning);

// The voltage read-out: `value` with `digits` decimals and the unit "V", the
// first glyph's top-left corner at (x, y). Digits are cut, not rounded, in
// single precision (3.3 reads 3.29V). A value that is not finite is drawn as
// 0; huge values end after the largest float's 39 integer digits.
void DrawNumber(QImage& image, int x, int y, int digits, float value);
void DrawNumber(QPainter& painter, int x, int y, int digits, float value);

// How many columns DrawNumber inks for value with `digits` decimals.
int NumberInkWidth(int digits, float value);

// The voltage of an analogue pin within columns left..right: two decimals
// when they fit, else one, else none, against the left or the right end of
// the room. A level that does not fit even then shows the largest value of
// its sign that does (a huge positive level reads 999V in 17 columns). A
// level that is not finite reads 0.
void DrawVoltage(QPainter& painter, int left, int right, int y, bool alignLeft, float volts);

} // namespace corvel
