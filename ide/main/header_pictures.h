#pragma once

// The pictures of the register and stack views, drawn by our own code: the
// column headers over the register and stack rows in English and Russian,
// the change markers and the breakpoint icon.
#include <QImage>
#include <QString>

// The header picture of that resource name ("gSfrEn", "gSfrRu", "gGprEn",
// "gGprRu", "gStackEn", "gStackRu", compared without regard to case): 165 x 23
// for the register panels, 83 x 23 for the stack; a null image for any other
// name.
QImage HeaderPicture(const QString& name);

// The header picture's name of a panel in a language (0 English, else
// Russian).
enum class THeaderPanel { Sfr, Gpr, Stack };
QString HeaderPictureName(THeaderPanel panel, int language);

// The change marker of a register row, 11 x 20: red when the last write
// changed the value, green when it wrote the same value, empty otherwise.
enum class TChangeMarker { None, Red, Green };
QImage ChangeMarkerPicture(TChangeMarker marker);

// The 12 x 12 breakpoint icon over the breakpoint markers.
QImage BreakpointIconPicture();
