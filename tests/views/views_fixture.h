#pragma once

// What the view tests share: clicks as the user makes them, pixels of what a
// widget shows, and the main window's module flags set for a live window.
#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

#include "ide/ide_fixture.h"
#include "ide/main/main_form.h"
#include "ide/main/register_views.h"

namespace twtest {

// A left-button press and release in the middle of the widget.
inline void ClickOn(QWidget* widget)
{
    const QPointF centre(widget->width() / 2.0, widget->height() / 2.0);
    const QPointF global = widget->mapToGlobal(centre);
    QMouseEvent press(QEvent::MouseButtonPress, centre, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, centre, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

// The colour the widget shows at (x, y), as grab() renders it.
inline QRgb PixelOf(QWidget* widget, int x, int y)
{
    return widget->grab().toImage().pixel(x, y) & 0xFFFFFF;
}

inline QRgb Rgb(int r, int g, int b)
{
    return qRgb(r, g, b) & 0xFFFFFF;
}

// The window is alive and a refresh may start while this lives.
class LiveWindowFlags {
public:
    LiveWindowFlags()
        : alive_(WindowAlive)
        , done_(RefreshDone)
    {
        WindowAlive = true;
        RefreshDone = true;
    }
    ~LiveWindowFlags()
    {
        WindowAlive = alive_;
        RefreshDone = done_;
    }
    LiveWindowFlags(const LiveWindowFlags&) = delete;
    LiveWindowFlags& operator=(const LiveWindowFlags&) = delete;

private:
    bool alive_;
    bool done_;
};

} // namespace twtest
