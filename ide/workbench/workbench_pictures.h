#pragma once

// The workbench's own small pictures, drawn in code so they look the same
// everywhere: the pointer tool's icon, the device popup menu's images, and the
// icon of a palette entry whose library brings none.
#include <QImage>
#include <QString>

// 32 x 32: an arrow pointer.
QImage DrawPointerToolIcon();

// 16 x 16 menu images in the popup's image-list order.
enum TPopupPicture {
    ppDelete = 0,
    ppSendToBack = 1,
    ppBringToFront = 2,
    ppConnectPins = 3,
    ppSettings = 4,
};
QImage DrawPopupPicture(TPopupPicture which);

// 32 x 32: a library's icon fitted into the palette's size, or, for a library
// without an icon, a plain chip outline with up to two letters of its type.
QImage PaletteIcon(const QImage* libraryIcon, const QString& typeText);
