// Where the configuration dialog's controls stand, in client pixels of their
// parents. The dialog has a fixed size; the widest texts (Russian) decide the
// widths.
#pragma once

#include <QCheckBox>
#include <QRect>
#include <QString>

namespace corvel::settings_layout {

inline constexpr int kClientWidth = 472;
inline constexpr int kClientHeight = 346;

// Dialog
inline constexpr QRect kTabs{8, 8, 456, 294};
inline constexpr QRect kOkButton{296, 310, 80, 28};
inline constexpr QRect kCancelButton{384, 310, 80, 28};

// Configuration-bit page: one panel per family above the clock group. Each
// panel has up to two columns of label and drop-down list.
inline constexpr QRect kPanel{0, 0, 450, 122};
inline constexpr int kBitTop = 8;
inline constexpr int kBitPitch = 28;
inline constexpr int kBitColumnLeft[2] = {12, 232};
inline constexpr int kBitLabelWidth = 56;
inline constexpr int kBitListWidth = 150;
inline constexpr int kBitHeight = 25;

inline constexpr QRect bitLabel(int column, int line)
{
    return {kBitColumnLeft[column], kBitTop + line * kBitPitch, kBitLabelWidth, kBitHeight};
}

inline constexpr QRect bitList(int column, int line)
{
    return {kBitColumnLeft[column] + kBitLabelWidth + 4, kBitTop + line * kBitPitch, kBitListWidth, kBitHeight};
}

inline constexpr QRect kClockGroup{8, 130, 434, 128};
inline constexpr QRect kFrequencyLabel{10, 28, 220, 25};
inline constexpr QRect kFrequencyEdit{236, 28, 110, 25};
inline constexpr QRect kUnitLabel{352, 28, 60, 25};
inline constexpr QRect kUserFrequencyBox{10, 62, 416, 40};
inline constexpr QRect kClockSourceLabel{12, 64, 412, 54};

// Other page
inline constexpr QRect kUnknownBitGroup{8, 8, 434, 124};

inline constexpr QRect unknownBitChoice(int index)
{
    return {14, 30 + index * 30, 410, 25};
}

// Every control carries its designed name, so that it can be found by it.
template <typename Widget>
Widget* named(Widget* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// A check box whose caption wraps onto a second line where one is too
// short, as the Russian caption of the user-frequency box is.
class WrappingCheckBox : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    static constexpr int kCaptionFlags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap;
    QRect captionRect(const QRect& box) const;
};

} // namespace corvel::settings_layout
