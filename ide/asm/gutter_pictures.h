#pragma once

// The six pictures of the breakpoint gutter, drawn by our own code at
// 12 x 12 pixels (or a multiple of that) on a transparent background.
#include <QImage>

enum TGutterPicture : int {
    PictureBreakpoint = 0,          // red disc: an instruction with a breakpoint
    PictureCross = 1,               // red cross (the window itself never shows it)
    PictureInstruction = 2,         // grey ring with a green tick: an instruction
    PictureNoInstruction = 3,       // grey ring with a faint cross: no instruction
    PictureExecutingBreakpoint = 4, // blue arrow over a red disc
    PictureExecuting = 5,           // blue arrow
};

inline constexpr int GutterPictureCount = 6;
inline constexpr int GutterPictureSize = 12;

// Picture `index` at scale x 12 pixels; a null image for an index outside 0..5.
QImage DrawGutterPicture(int index, int scale = 1);

// The pictures at 12 x 12, drawn once.
const QImage& GutterPicture(int index);
