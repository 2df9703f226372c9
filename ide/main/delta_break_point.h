#pragma once

// A register's breakpoint marker: off (white), red (the run pauses when a
// write changes the register) or green (it pauses on any write to it). Each
// click moves it on to the next state, from green back to off.
#include <cstdint>

#include <QImage>
#include <QWidget>

class TDeltaBreakPoint : public QWidget {
    Q_OBJECT

public:
    // Every field false or 0; the marker draws nothing until a property is
    // written.
    explicit TDeltaBreakPoint(QWidget* parent = nullptr);

    // Each setter stores and redraws.
    bool BPDelta() const { return FBPDelta; }
    void setBPDelta(bool value);
    bool BPGreenDelta() const { return FBPGreenDelta; }
    void setBPGreenDelta(bool value);
    bool BPinWork() const { return FBPinWork; }
    void setBPinWork(bool value);
    std::int32_t ByteAddres() const { return FAddr; }
    void setByteAddres(std::int32_t address) { FAddr = address; }

    // The marker's picture as last drawn; null before the first drawing.
    const QImage& Canvas() const { return canvas_; }

    // What a mouse click does: off becomes red, red green, green off; then
    // Clicked is emitted and the marker redrawn.
    virtual void Click();

    static QColor RedColour();
    static QColor GreenColour();

signals:
    void Clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void Draw();

    bool FBPDelta = false;
    bool FBPGreenDelta = false;
    bool FBPinWork = false;
    std::int32_t FAddr = 0;

    QImage canvas_;
    // The state the canvas shows: 0 off, 1 red, 2 green; -1 before drawing.
    int drawnState_ = -1;
    bool pressed_ = false;
};
