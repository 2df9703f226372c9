#include "mcu-device/chip_drawing.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <string_view>

#include "engine/catalogue.h"
#include "mcu-device/chip_pictures.h"

namespace corvel {

namespace {

// The pictures the overlays use, resolved by name once.
enum class Pic : uint8_t {
    R0, R1, R3, In, Out, In2, Out2, HiToLo, LoToHi,
    Minus, Dot, Volt, Sd0, Sd1, Sd2, Sd3, Sd4, Sd5, Sd6, Sd7, Sd8, Sd9,
    GP0, GP1, GP2, GP3, GP4, GP5, MCLR, T0CKI, Fosc4, CINp, CINn, cout, C1OUT,
    AN0, AN1, AN2, OSC1, OSC2, AN0C1INp, AN1C1INn,
    Count,
};

constexpr std::string_view kPicNames[] = {
    "r0", "r1", "r3", "In", "Out", "In2", "Out2", "HiToLo", "LoToHi",
    "minus", "dot", "V", "sd0", "sd1", "sd2", "sd3", "sd4", "sd5", "sd6", "sd7", "sd8", "sd9",
    "GP0", "GP1", "GP2", "GP3", "GP4", "GP5", "MCLR", "T0CKI", "Fosc4", "CINp", "CINn", "cout", "C1OUT",
    "AN0", "AN1", "AN2", "OSC1", "OSC2", "AN0C1INp", "AN1C1INn",
};
static_assert(std::size(kPicNames) == size_t(Pic::Count));

const QImage& picture(Pic pic)
{
    // Held in the library's own static storage: nothing is left behind
    // when corvel is unloaded.
    static const std::array<const QImage*, size_t(Pic::Count)> resolved = [] {
        std::array<const QImage*, size_t(Pic::Count)> all{};
        for (size_t i = 0; i < all.size(); ++i)
            all[i] = &chipPicture(kPicNames[i]);
        return all;
    }();
    return *resolved[size_t(pic)];
}

Pic digitPic(int digit)
{
    return Pic(int(Pic::Sd0) + digit);
}

struct Point {
    int x, y;
};

// The blank columns the voltage read-out keeps from the picture's edge.
constexpr int kVoltageMargin = 1;
// The first inked column of a left-side arrow ("In2"): its two free columns
// face the edge.
constexpr int kLeftArrowInk = 2;

enum class Side : uint8_t { Left, Right };

// Where a port pin's direction and latch live.
struct PortBit {
    int trisRow;
    int latchAddress;
    int bit;
};

// The drawing of one running picture's overlays: the pin forms shared by all
// packages.
class Overlay {
public:
    Overlay(QPainter& painter, const ChipView& chip)
        : painter_(painter), chip_(chip), addresses_(chip.addresses())
    {
    }

    const ChipAddresses& addresses() const { return addresses_; }
    bool bit(int registerIndex, int bitNumber) const { return chip_.bit(registerIndex, bitNumber); }
    bool config(int bit) const { return chip_.config(bit); }
    bool timerClockInput() const { return bit(ChipView::kOption, 5); }

    void put(Pic pic, Point at) { painter_.drawImage(at.x, at.y, picture(pic)); }

    // The level of the pin's node, read once.
    void nodeMark(int port, Point at)
    {
        switch (levelMark(chip_.nodeLevel(port))) {
        case LevelMark::Low: put(Pic::R0, at); return;
        case LevelMark::High: put(Pic::R1, at); return;
        case LevelMark::Unknown: put(Pic::R3, at); return;
        }
    }

    // What the chip drives, whatever the node's level is.
    void latchMark(bool high, Point at) { put(high ? Pic::R1 : Pic::R0, at); }

    void digital(Side side, Pic label, Point labelAt, int port, PortBit pin, Point arrowAt, Point markAt)
    {
        put(label, labelAt);
        if (bit(pin.trisRow, pin.bit)) {
            put(side == Side::Left ? Pic::In2 : Pic::In, arrowAt);
            nodeMark(port, markAt);
        } else {
            put(side == Side::Left ? Pic::Out2 : Pic::Out, arrowAt);
            latchMark(bit(pin.latchAddress, pin.bit), markAt);
        }
    }

    // An ADC channel or comparator input: the arrow sits three columns closer
    // to the body to make room for the voltage, which keeps one blank column
    // from the arrow and one from the picture's edge.
    void analogue(Side side, Pic label, Point labelAt, int port, Point arrowAt, Point voltageAt)
    {
        put(label, labelAt);
        put(side == Side::Left ? Pic::In2 : Pic::In, arrowAt);
        if (side == Side::Left)
            DrawVoltage(painter_, kVoltageMargin, arrowAt.x + kLeftArrowInk - 2, voltageAt.y, false,
                        chip_.nodeLevel(port));
        else
            DrawVoltage(painter_, voltageAt.x, kChipPictureWidth - 1 - kVoltageMargin, voltageAt.y, true,
                        chip_.nodeLevel(port));
    }

    void comparatorOutput(Side side, Pic label, Point labelAt, Point arrowAt, Point markAt)
    {
        put(label, labelAt);
        put(side == Side::Left ? Pic::Out2 : Pic::Out, arrowAt);
        latchMark(bit(addresses_.cmcon0, 7), markAt);
    }

    void timerClock(Side side, Point labelAt, int port, Point arrowAt, Point markAt, Point edgeAt)
    {
        put(Pic::T0CKI, labelAt);
        put(side == Side::Left ? Pic::In2 : Pic::In, arrowAt);
        nodeMark(port, markAt);
        put(bit(ChipView::kOption, 4) ? Pic::HiToLo : Pic::LoToHi, edgeAt);
    }

private:
    QPainter& painter_;
    const ChipView& chip_;
    const ChipAddresses addresses_;
};

constexpr int kConfigFosc0 = 0;
constexpr int kConfigFosc1 = 1;
constexpr int kConfigMclre = 4;

PortBit gpioBit(const ChipAddresses& addresses, int bit)
{
    return {ChipView::kTrisGpio, addresses.gpio, bit};
}

// PIC10F200/202/204/206/220/222: GP0 bottom right, GP1 bottom left, GP2 third
// row left, GP3/MCLR top right.
void drawPic10F(Overlay& o)
{
    const ChipAddresses& a = o.addresses();
    const bool comparatorOn = o.bit(a.cmcon0, 3);

    if (o.bit(a.adcon0, 6))
        o.analogue(Side::Right, Pic::AN0, {63, 68}, 0, {86, 66}, {92, 68});
    else if (comparatorOn)
        o.analogue(Side::Right, Pic::CINp, {63, 68}, 0, {86, 66}, {92, 68});
    else
        o.digital(Side::Right, Pic::GP0, {64, 68}, 0, gpioBit(a, 0), {89, 66}, {99, 66});

    if (o.bit(a.adcon0, 7))
        o.analogue(Side::Left, Pic::AN1, {33, 68}, 1, {17, 66}, {0, 68});
    else if (comparatorOn)
        o.analogue(Side::Left, Pic::CINn, {33, 68}, 1, {17, 66}, {0, 68});
    else
        o.digital(Side::Left, Pic::GP1, {33, 68}, 1, gpioBit(a, 1), {14, 66}, {5, 66});

    // CMCON0 bit 6 enables the comparator output on GP2 when clear.
    if (comparatorOn && !o.bit(a.cmcon0, 6))
        o.comparatorOutput(Side::Left, Pic::cout, {33, 50}, {14, 48}, {5, 48});
    else if (a.hasFosc4 && o.bit(a.osccal, 0))
        o.put(Pic::Fosc4, {33, 50});
    else if (o.timerClockInput())
        o.timerClock(Side::Left, {33, 50}, 2, {14, 48}, {5, 48}, {1, 48});
    else
        o.digital(Side::Left, Pic::GP2, {33, 50}, 2, gpioBit(a, 2), {14, 48}, {5, 48});

    // The running picture carries GP3's input arrow. The barred name stands
    // two rows lower than the plain one, so its bar keeps clear of the top of
    // the outline and of the notch, and two columns clear of the stub.
    if (o.config(kConfigMclre))
        o.put(Pic::MCLR, {59, 14});
    else
        o.put(Pic::GP3, {64, 14});
    o.nodeMark(3, {99, 11});
}

// PIC12F508/509/510/519: GP0..GP2 down the right side from the second row,
// GP3/MCLR bottom left, GP4 and GP5 above it.
void drawPic12F(Overlay& o, bool pic12f510)
{
    const ChipAddresses& a = o.addresses();
    const bool comparatorOn = pic12f510 && o.bit(a.cmcon0, 3);
    const bool ans1 = pic12f510 && o.bit(a.adcon0, 7);
    const bool ans0 = pic12f510 && o.bit(a.adcon0, 6);

    if (comparatorOn && ans1)
        o.analogue(Side::Right, Pic::AN0C1INp, {58, 28}, 0, {86, 30}, {92, 32});
    else if (comparatorOn)
        o.analogue(Side::Right, Pic::CINp, {63, 32}, 0, {86, 30}, {92, 32});
    else if (ans1)
        o.analogue(Side::Right, Pic::AN0, {63, 32}, 0, {86, 30}, {92, 32});
    else
        o.digital(Side::Right, Pic::GP0, {64, 32}, 0, gpioBit(a, 0), {89, 30}, {99, 30});

    if (comparatorOn && ans1 && ans0)
        o.analogue(Side::Right, Pic::AN1C1INn, {60, 45}, 1, {86, 48}, {92, 50});
    else if (comparatorOn)
        o.analogue(Side::Right, Pic::CINn, {63, 50}, 1, {86, 48}, {92, 50});
    else if (ans1 && ans0)
        o.analogue(Side::Right, Pic::AN1, {63, 50}, 1, {86, 48}, {92, 50});
    else
        o.digital(Side::Right, Pic::GP1, {64, 50}, 1, gpioBit(a, 1), {89, 48}, {99, 48});

    if (ans1 || ans0)
        o.analogue(Side::Right, Pic::AN2, {62, 68}, 2, {86, 66}, {92, 68});
    else if (comparatorOn && !o.bit(a.cmcon0, 6))
        o.comparatorOutput(Side::Right, Pic::C1OUT, {55, 68}, {89, 66}, {99, 66});
    else if (o.timerClockInput())
        o.timerClock(Side::Right, {59, 68}, 2, {89, 66}, {99, 66}, {105, 66});
    else
        o.digital(Side::Right, Pic::GP2, {64, 68}, 2, gpioBit(a, 2), {89, 66}, {99, 66});

    if (o.config(kConfigMclre))
        o.put(Pic::MCLR, {33, 66});
    else
        o.put(Pic::GP3, {33, 68});
    o.nodeMark(3, {5, 66});

    // FOSC1:FOSC0 = 1:0 selects the internal oscillator and frees GP4/GP5.
    const bool internalOscillator = !o.config(kConfigFosc0) && o.config(kConfigFosc1);
    if (internalOscillator)
        o.digital(Side::Left, Pic::GP4, {33, 50}, 4, gpioBit(a, 4), {14, 48}, {5, 48});
    else
        o.put(Pic::OSC2, {33, 50});
    if (internalOscillator)
        o.digital(Side::Left, Pic::GP5, {33, 32}, 5, gpioBit(a, 5), {14, 30}, {5, 30});
    else
        o.put(Pic::OSC1, {33, 32});
}

// PIC16F54/57/59: every port pin is digital and its label is part of the
// running picture.
struct Pic16Pin {
    int8_t port; // 0..4: PORTA..PORTE
    int8_t bit;
    Side side;
    int8_t row;
};

struct Pic16TimerPin {
    Side side;
    Point label, arrow, mark, edge;
};

struct Pic16Layout {
    std::array<Pic16Pin, 32> pins; // in port order; the first pinCount are used
    int pinCount;
    Pic16TimerPin timer; // port pinCount
    Point resetMark;     // port pinCount + 1
};

constexpr Side L = Side::Left;
constexpr Side R = Side::Right;

constexpr Pic16Layout kLayout16F54 = {
    {{{0, 0, R, 1}, {0, 1, R, 0}, {0, 2, L, 0}, {0, 3, L, 1},
      {1, 0, L, 5}, {1, 1, L, 6}, {1, 2, L, 7}, {1, 3, L, 8},
      {1, 4, R, 8}, {1, 5, R, 7}, {1, 6, R, 6}, {1, 7, R, 5}}},
    12,
    {L, {33, 50}, {14, 48}, {5, 47}, {1, 47}},
    {5, 66},
};

constexpr Pic16Layout kLayout16F57 = {
    {{{0, 0, L, 5}, {0, 1, L, 6}, {0, 2, L, 7}, {0, 3, L, 8},
      {1, 0, L, 9}, {1, 1, L, 10}, {1, 2, L, 11}, {1, 3, L, 12}, {1, 4, L, 13},
      {1, 5, R, 13}, {1, 6, R, 12}, {1, 7, R, 11},
      {2, 0, R, 10}, {2, 1, R, 9}, {2, 2, R, 8}, {2, 3, R, 7},
      {2, 4, R, 6}, {2, 5, R, 5}, {2, 6, R, 4}, {2, 7, R, 3}}},
    20,
    {L, {33, 14}, {14, 11}, {5, 11}, {1, 11}},
    {99, 11},
};

constexpr Pic16Layout kLayout16F59 = {
    {{{0, 0, L, 0}, {0, 1, L, 1}, {0, 2, L, 2}, {0, 3, L, 3},
      {1, 0, L, 5}, {1, 1, L, 6}, {1, 2, L, 7}, {1, 3, L, 8},
      {1, 4, L, 9}, {1, 5, L, 10}, {1, 6, L, 11}, {1, 7, L, 12},
      {2, 0, L, 15}, {2, 1, L, 16}, {2, 2, L, 17}, {2, 3, L, 18}, {2, 4, L, 19},
      {2, 5, R, 19}, {2, 6, R, 18}, {2, 7, R, 17},
      {3, 0, R, 16}, {3, 1, R, 14}, {3, 2, R, 13}, {3, 3, R, 12},
      {3, 4, R, 11}, {3, 5, R, 10}, {3, 6, R, 9}, {3, 7, R, 8},
      {4, 4, R, 4}, {4, 5, R, 3}, {4, 6, R, 2}, {4, 7, R, 1}}},
    32,
    {R, {59, 14}, {89, 11}, {99, 11}, {105, 11}},
    {5, 245},
};

void drawPic16F5x(Overlay& o, const Pic16Layout& layout)
{
    const ChipAddresses& a = o.addresses();
    for (int port = 0; port < layout.pinCount; ++port) {
        const Pic16Pin& pin = layout.pins[size_t(port)];
        const int row = 18 * pin.row;
        const PortBit where{ChipView::kTrisA + pin.port, a.port[pin.port], pin.bit};
        const bool input = o.bit(where.trisRow, where.bit);
        if (pin.side == Side::Left)
            o.put(input ? Pic::In2 : Pic::Out2, {14, 12 + row});
        else
            o.put(input ? Pic::In : Pic::Out, {89, 12 + row});
        const Point markAt = {pin.side == Side::Left ? 5 : 99, 11 + row};
        if (input)
            o.nodeMark(port, markAt);
        else
            o.latchMark(o.bit(where.latchAddress, where.bit), markAt);
    }
    // With T0CS clear the running picture already shows the pin as it is.
    const Pic16TimerPin& timer = layout.timer;
    if (o.timerClockInput())
        o.timerClock(timer.side, timer.label, layout.pinCount, timer.arrow, timer.mark, timer.edge);
    o.nodeMark(layout.pinCount + 1, layout.resetMark);
}

} // namespace

LevelMark levelMark(float volts)
{
    // NaN fails both windows.
    if (volts >= kHighMin && volts <= kHighMax)
        return LevelMark::High;
    if (volts >= kLowMin && volts <= kLowMax)
        return LevelMark::Low;
    return LevelMark::Unknown;
}

const char* levelMarkPicture(LevelMark mark)
{
    switch (mark) {
    case LevelMark::Low: return "r0";
    case LevelMark::High: return "r1";
    case LevelMark::Unknown: break;
    }
    return "r3";
}

void drawChip(QImage& image, const ChipView& chip, bool isRunning)
{
    const int type = chip.typeMC();
    if (type < 0 || type >= kChipModelCount || image.isNull())
        return;
    QPainter painter(&image);
    // Every picture is opaque and copied as it is.
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, chipPackagePicture(type, isRunning));
    if (!isRunning)
        return;

    Overlay overlay(painter, chip);
    switch (listedModel(type)->pinout) {
    case Pinout::Pic10F200:
    case Pinout::Pic10F204:
    case Pinout::Pic10F220:
        drawPic10F(overlay);
        break;
    case Pinout::Pic12F508:
        drawPic12F(overlay, false);
        break;
    case Pinout::Pic12F510:
        drawPic12F(overlay, true);
        break;
    case Pinout::Pic16F54:
        drawPic16F5x(overlay, kLayout16F54);
        break;
    case Pinout::Pic16F57:
        drawPic16F5x(overlay, kLayout16F57);
        break;
    case Pinout::Pic16F59:
        drawPic16F5x(overlay, kLayout16F59);
        break;
    case Pinout::Pic16F505:
    case Pinout::Pic16F506:
        break; // the running picture alone
    }
}

namespace {

// Lays the read-out out from x and returns the pen's advance; draws only
// with a painter.
int LayOutNumber(QPainter* painter, int x, int y, int digits, float value)
{
    // Nine decimals already exceed what a float holds.
    digits = std::clamp(digits, 0, 9);
    if (!std::isfinite(value))
        value = 0.0f;

    const int start = x;
    const auto put = [&](Pic pic) {
        const QImage& glyph = picture(pic);
        if (painter)
            painter->drawImage(x, y, glyph);
        x += glyph.width();
    };

    if (value < 0.0f) {
        put(Pic::Minus);
        value = -value;
    }
    // The largest float has 39 integer digits.
    int exponent = 0;
    while (value >= 10.0f && exponent < 38) {
        value = value / 10.0f;
        ++exponent;
    }
    bool pointDrawn = false;
    int fractionDigits = 0;
    for (;;) {
        int digit = 9;
        while (digit > 0 && !(value >= float(digit)))
            --digit;
        put(digitPic(digit));
        if (pointDrawn)
            ++fractionDigits;
        if (digits == 0 ? exponent == 0 : pointDrawn && fractionDigits >= digits)
            break;
        if (exponent == 0) {
            put(Pic::Dot);
            pointDrawn = true;
        }
        --exponent;
        value = (value - float(digit)) * 10.0f;
    }
    put(Pic::Volt);
    return x - start;
}

} // namespace

void DrawNumber(QPainter& painter, int x, int y, int digits, float value)
{
    LayOutNumber(&painter, x, y, digits, value);
}

int NumberInkWidth(int digits, float value)
{
    // The unit's glyph ends in a blank column.
    return LayOutNumber(nullptr, 0, 0, digits, value) - 1;
}

void DrawVoltage(QPainter& painter, int left, int right, int y, bool alignLeft, float volts)
{
    if (!std::isfinite(volts))
        volts = 0.0f;
    const int room = right - left + 1;
    const auto placed = [&](int width) { return alignLeft ? left : right - width + 1; };
    for (int digits = 2; digits >= 0; --digits) {
        const int width = NumberInkWidth(digits, volts);
        if (width <= room) {
            DrawNumber(painter, placed(width), y, digits, volts);
            return;
        }
    }
    // Too large even in whole volts: as many nines as fit, with the sign.
    // (Drawn glyph by glyph: cut in single precision, 999 would read 998.)
    const int signWidth = volts < 0.0f ? picture(Pic::Minus).width() : 0;
    const int nineWidth = picture(Pic::Sd9).width();
    const int unitWidth = picture(Pic::Volt).width() - 1;
    const int nines = std::max(1, (room - signWidth - unitWidth) / nineWidth);
    int x = placed(signWidth + nines * nineWidth + unitWidth);
    if (signWidth) {
        painter.drawImage(x, y, picture(Pic::Minus));
        x += signWidth;
    }
    for (int nine = 0; nine < nines; ++nine, x += nineWidth)
        painter.drawImage(x, y, picture(Pic::Sd9));
    painter.drawImage(x, y, picture(Pic::Volt));
}

void DrawNumber(QImage& image, int x, int y, int digits, float value)
{
    if (image.isNull())
        return;
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    DrawNumber(painter, x, y, digits, value);
}

} // namespace corvel
