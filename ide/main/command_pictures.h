#pragma once

// The pictures of the main window's commands, drawn in code on a 16 x 16
// grid (and at twice that size for dense screens).
#include <QIcon>
#include <QImage>

enum class TCommandPicture {
    None,
    New,
    Open,
    Save,
    Cut,
    Copy,
    Paste,
    Cascade,
    TileHorizontally,
    TileVertically,
    Rate,
    Run,
    Pause,
    Stop,
    Step,
};

// The picture at size x size pixels (transparent background); a null image
// for None.
QImage DrawCommandPicture(TCommandPicture picture, int size);

// The picture at 16 and 32 pixels; an empty icon for None.
QIcon CommandIcon(TCommandPicture picture);
