#pragma once

// One bit of a register, the program counter or a stack level, as a small
// painted square: black or white for a bit the user may toggle, dark or light
// grey for one that does not exist, framed in red while the bit has just
// changed. A click toggles an existing bit and reports it; a click on a bit
// that does not exist changes nothing and reports nothing.
#include <cstdint>

#include <QColor>
#include <QWidget>

class TBinaryFlag : public QWidget {
    Q_OBJECT

public:
    // Every field false or 0; the cell draws nothing until a property is
    // written.
    explicit TBinaryFlag(QWidget* parent = nullptr);

    bool value() const { return FValue; }
    // Stores and redraws.
    void setValue(bool value);
    // True when the bit exists and the user may toggle it (despite the name).
    // Stores without redrawing: the colours follow at the next write of value
    // or Delta.
    bool ReadOnl() const { return FReadOnly; }
    void setReadOnl(bool editable) { FReadOnly = editable; }
    // The change mark, a red frame. Stores and redraws.
    bool Delta() const { return FDelta; }
    void setDelta(bool delta);
    std::int32_t ByteAddres() const { return FAddr; }
    void setByteAddres(std::int32_t address) { FAddr = address; }
    std::uint8_t BitAddres() const { return FBit; }
    void setBitAddres(std::uint8_t bit) { FBit = bit; }

    // Whether the cell has drawn its picture yet.
    bool Drawn() const { return drawn_; }

    // What a mouse click does: toggles an existing bit, redraws, and then,
    // for an existing bit only, emits Clicked.
    virtual void Click();

    // The colours of the cell's picture.
    static QColor FrameColour(bool delta, bool editable);
    static QColor FillColour(bool value, bool editable);

signals:
    // A click on an existing bit, after it has toggled.
    void Clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // Takes the state's colours for the picture; the screen is asked to
    // repaint only when they differ from the ones it shows.
    void Draw();

    bool FValue = false;
    bool FReadOnly = false;
    bool FDelta = false;
    std::int32_t FAddr = 0;
    std::uint8_t FBit = 0;

    bool drawn_ = false;
    QRgb drawnFrame_ = 0;
    QRgb drawnFill_ = 0;
    bool pressed_ = false;
};
