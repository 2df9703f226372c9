#pragma once

// The widget that shows one placed device's picture on the workbench and
// hands the picture's mouse actions to the workbench, in the order and with
// the shift state the device contract knows.
#include <QWidget>

#include "devices/contract.h"

struct TDevicePicture;
class TfrmChildComp;

// The contract's shift state for Qt's keys and held buttons.
TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons);
// The contract's button for a Qt button; false for buttons it has no name for.
bool MouseButtonOf(Qt::MouseButton button, TMouseButton& result);

class TDeviceImageView : public QWidget {
    Q_OBJECT

public:
    TDeviceImageView(TfrmChildComp& workbench, TDevicePicture& picture, QWidget* parent);

    TDevicePicture& Picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    // A press, then a release of the left button over the picture is a
    // click: the click comes before the release. A double click reports the
    // double click first, then a press with ssDouble; its release is no click.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    TfrmChildComp& workbench_;
    TDevicePicture& picture_;
    bool clickPending_ = false;
};
