#pragma once

// The chip's pictures: the package of every model (static, and "_free" for a
// running simulation), the direction arrows, level marks, edge symbols, pin
// function labels and the glyphs of the voltage read-out. All are drawn by
// this library's own code from built-in pixel tables, so they are the same
// on every machine and need no font and no display.
#include <span>
#include <string_view>

#include <QImage>

namespace corvel {

inline constexpr int kChipPictureWidth = 110;
inline constexpr int kChipModelCount = 16;

// Every picture's name, in the order the pictures are prepared: the package
// pictures of the sixteen models (static, then "_free"), then the arrows,
// labels, marks and glyphs; 114 in all.
std::span<const std::string_view> chipPictureNames();

// The picture called `name`, compared without regard to case; a null image
// for a name that is not one of chipPictureNames(). The first call in the
// process prepares every picture (thread-safe); they live until the process
// ends and are only ever read, so callers on any thread may paint them.
// Format_ARGB32_Premultiplied, fully opaque, white background.
const QImage& chipPicture(std::string_view name);

// The package picture of model typeMC (0..15): the static one, or the
// running one ("_free") without the port pins' labels and arrows. A null
// image for any other typeMC.
const QImage& chipPackagePicture(int typeMC, bool running);

} // namespace corvel
