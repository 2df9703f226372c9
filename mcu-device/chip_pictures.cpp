#include "mcu-device/chip_pictures.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/catalogue.h"

namespace corvel {

static_assert(kChipModelCount == kModelIndexCount);

namespace {

// ---------------------------------------------------------------------------
// Pixel fonts. '#' is ink. The small font is five rows high with glyphs of
// their own width (most three columns, I one, N four, M five) and one blank
// column between glyphs; the large one is seven rows high for the package
// titles and the level marks.

struct SmallGlyph {
    char ch;
    std::array<std::string_view, 5> rows;
};

constexpr SmallGlyph kSmallFont[] = {
    {'A', {".#.", "#.#", "###", "#.#", "#.#"}},
    {'B', {"##.", "#.#", "##.", "#.#", "##."}},
    {'C', {".##", "#..", "#..", "#..", ".##"}},
    {'D', {"##.", "#.#", "#.#", "#.#", "##."}},
    {'E', {"###", "#..", "##.", "#..", "###"}},
    {'F', {"###", "#..", "##.", "#..", "#.."}},
    {'G', {".##", "#..", "#.#", "#.#", ".##"}},
    {'I', {"#", "#", "#", "#", "#"}},
    {'K', {"#.#", "#.#", "##.", "#.#", "#.#"}},
    {'L', {"#..", "#..", "#..", "#..", "###"}},
    {'M', {"#...#", "##.##", "#.#.#", "#...#", "#...#"}},
    {'N', {"#..#", "##.#", "#.##", "#..#", "#..#"}},
    {'O', {".#.", "#.#", "#.#", "#.#", ".#."}},
    {'P', {"##.", "#.#", "##.", "#..", "#.."}},
    {'R', {"##.", "#.#", "##.", "#.#", "#.#"}},
    {'S', {".##", "#..", ".#.", "..#", "##."}},
    {'T', {"###", ".#.", ".#.", ".#.", ".#."}},
    {'U', {"#.#", "#.#", "#.#", "#.#", "###"}},
    {'V', {"#.#", "#.#", "#.#", "#.#", ".#."}},
    {'c', {"...", ".##", "#..", "#..", ".##"}},
    {'d', {"..#", ".##", "#.#", "#.#", ".##"}},
    {'e', {"...", ".#.", "###", "#..", ".##"}},
    {'f', {"..#", ".#.", "###", ".#.", ".#."}},
    {'o', {"...", ".#.", "#.#", "#.#", ".#."}},
    {'r', {"...", ".##", "#..", "#..", "#.."}},
    {'s', {"...", ".##", ".#.", "..#", "##."}},
    {'t', {".#.", "###", ".#.", ".#.", "..#"}},
    {'u', {"...", "#.#", "#.#", "#.#", ".##"}},
    {'0', {"###", "#.#", "#.#", "#.#", "###"}},
    {'1', {".#.", "##.", ".#.", ".#.", "###"}},
    {'2', {"##.", "..#", ".#.", "#..", "###"}},
    {'3', {"##.", "..#", ".#.", "..#", "##."}},
    {'4', {"#.#", "#.#", "###", "..#", "..#"}},
    {'5', {"###", "#..", "##.", "..#", "##."}},
    {'6', {".##", "#..", "###", "#.#", "###"}},
    {'7', {"###", "..#", ".#.", ".#.", ".#."}},
    {'8', {"###", "#.#", "###", "#.#", "###"}},
    {'9', {"###", "#.#", "###", "..#", "##."}},
    {'+', {"...", ".#.", "###", ".#.", "..."}},
    {'-', {"..", "..", "##", "..", ".."}},
    {'/', {"..#", "..#", ".#.", "#..", "#.."}},
    {'.', {".", ".", ".", ".", "#"}},
};

struct LargeGlyph {
    char ch;
    std::array<std::string_view, 7> rows;
};

constexpr LargeGlyph kLargeFont[] = {
    {'C', {".##.", "#..#", "#...", "#...", "#...", "#..#", ".##."}},
    {'F', {"####", "#...", "#...", "###.", "#...", "#...", "#..."}},
    {'I', {"###", ".#.", ".#.", ".#.", ".#.", ".#.", "###"}},
    {'P', {"###.", "#..#", "#..#", "###.", "#...", "#...", "#..."}},
    {'0', {".##.", "#..#", "#..#", "#..#", "#..#", "#..#", ".##."}},
    {'1', {"..#.", ".##.", "..#.", "..#.", "..#.", "..#.", ".###"}},
    {'2', {".##.", "#..#", "...#", "..#.", ".#..", "#...", "####"}},
    {'3', {".##.", "#..#", "...#", "..#.", "...#", "#..#", ".##."}},
    {'4', {"..#.", ".##.", "#.#.", "#.#.", "####", "..#.", "..#."}},
    {'5', {"####", "#...", "###.", "...#", "...#", "#..#", ".##."}},
    {'6', {".##.", "#...", "###.", "#..#", "#..#", "#..#", ".##."}},
    {'7', {"####", "...#", "..#.", "..#.", ".#..", ".#..", ".#.."}},
    {'8', {".##.", "#..#", "#..#", ".##.", "#..#", "#..#", ".##."}},
    {'9', {".##.", "#..#", "#..#", ".###", "...#", "...#", ".##."}},
    {'?', {".##.", "#..#", "...#", "..#.", ".#..", "....", ".#.."}},
};

const SmallGlyph* smallGlyph(char ch)
{
    for (const SmallGlyph& glyph : kSmallFont)
        if (glyph.ch == ch)
            return &glyph;
    return nullptr;
}

const LargeGlyph* largeGlyph(char ch)
{
    for (const LargeGlyph& glyph : kLargeFont)
        if (glyph.ch == ch)
            return &glyph;
    return nullptr;
}

// A backslash in a label marks an active-low name: the name up to the next
// '/' is drawn with a bar over it.
constexpr char kActiveLow = '\\';

int textWidth(std::string_view text)
{
    int width = 0;
    for (char ch : text) {
        if (ch == kActiveLow)
            continue;
        if (const SmallGlyph* glyph = smallGlyph(ch))
            width += int(glyph->rows[0].size()) + 1;
    }
    return std::max(width - 1, 0);
}

bool hasBar(std::string_view text)
{
    return text.find(kActiveLow) != std::string_view::npos;
}

std::vector<std::string_view> splitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    for (size_t start = 0;;) {
        const size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        if (end == std::string_view::npos)
            return lines;
        start = end + 1;
    }
}

// ---------------------------------------------------------------------------
// Colours and small bitmaps that are not text.

constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kBlack = 0xFF000000;
constexpr QRgb kInputGreen = 0xFF00A000;
constexpr QRgb kOutputRed = 0xFFD00000;

// Direction arrows, 7 x 7: a blunt head two columns long (three rows at the
// tip, five behind it) on a three-column shaft; the left one is the mirror of
// the right one, so that neither has its tallest column in the middle and
// reads as a cross at 1x. The ink keeps two columns free on the side away
// from the chip, so that the voltage read-out beside a shifted arrow never
// touches it.
using Bitmap7 = std::array<std::string_view, 7>;

constexpr Bitmap7 kArrowLeft = {
    ".......",
    ".#.....",
    "##.....",
    "#####..",
    "##.....",
    ".#.....",
    ".......",
};
constexpr Bitmap7 kArrowRight = {
    ".......",
    "...#...",
    "...##..",
    "#####..",
    "...##..",
    "...#...",
    ".......",
};
// The static pictures' mark of a bidirectional port pin.
constexpr Bitmap7 kArrowBoth = {
    ".......",
    ".#...#.",
    "##...##",
    "#######",
    "##...##",
    ".#...#.",
    ".......",
};

using Bitmap9 = std::array<std::string_view, 9>;

// Edge symbols, 5 x 9: a step from one level to the other, time running left
// to right. The ink takes columns 0..3 and leaves column 4 blank, so that a
// symbol at the picture's edge keeps a blank column there: on the right it
// stands at x 105, on the left at x 1 with its blank column towards the mark.
constexpr Bitmap9 kFallingEdge = {
    ".....",
    "###..",
    "..#..",
    "..#..",
    "..#..",
    "..#..",
    "..#..",
    "..##.",
    ".....",
};
constexpr Bitmap9 kRisingEdge = {
    ".....",
    "..##.",
    "..#..",
    "..#..",
    "..#..",
    "..#..",
    "..#..",
    "###..",
    ".....",
};

// ---------------------------------------------------------------------------
// A white picture that the builders below draw into pixel by pixel.

class Canvas {
public:
    Canvas(int width, int height)
        : image_(width, height, QImage::Format_ARGB32_Premultiplied)
    {
        image_.fill(kWhite);
    }

    void set(int x, int y, QRgb colour)
    {
        if (x >= 0 && y >= 0 && x < image_.width() && y < image_.height())
            reinterpret_cast<QRgb*>(image_.scanLine(y))[x] = colour;
    }

    // Inclusive corners.
    void fill(int x0, int y0, int x1, int y1, QRgb colour)
    {
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                set(x, y, colour);
    }

    template <typename Rows>
    void bitmap(int x, int y, const Rows& rows, QRgb colour, int shift = 0)
    {
        for (int row = 0; row < int(rows.size()); ++row)
            for (int column = 0; column < int(rows[row].size()); ++column)
                if (rows[row][column] == '#')
                    set(x + column + shift, y + row, colour);
    }

    // One line of the small font with its top-left ink corner at (x, y); an
    // active-low name gets its bar two rows above the text.
    void text(int x, int y, std::string_view line, QRgb colour = kBlack)
    {
        int barStart = -1; // where the active-low name being drawn began
        for (char ch : line) {
            if (ch == kActiveLow) {
                barStart = x;
                continue;
            }
            if (ch == '/')
                barStart = -1;
            const SmallGlyph* glyph = smallGlyph(ch);
            if (!glyph)
                continue;
            const int width = int(glyph->rows[0].size());
            bitmap(x, y, glyph->rows, colour);
            if (barStart >= 0)
                fill(barStart, y - 2, x + width - 1, y - 2, colour);
            x += width + 1;
        }
    }

    // The large font; bold draws every glyph twice, one column apart.
    int largeText(int x, int y, std::string_view line, bool bold, QRgb colour = kBlack)
    {
        for (char ch : line) {
            const LargeGlyph* glyph = largeGlyph(ch);
            if (!glyph)
                continue;
            bitmap(x, y, glyph->rows, colour);
            if (bold)
                bitmap(x, y, glyph->rows, colour, 1);
            x += int(glyph->rows[0].size()) + (bold ? 2 : 1);
        }
        return x;
    }

    void blit(int x, int y, const QImage& picture)
    {
        for (int row = 0; row < picture.height(); ++row)
            for (int column = 0; column < picture.width(); ++column)
                set(x + column, y + row, picture.pixel(column, row));
    }

    QImage take() { return std::move(image_); }

private:
    QImage image_;
};

int largeTextWidth(std::string_view line, bool bold)
{
    int width = 0;
    for (char ch : line)
        if (const LargeGlyph* glyph = largeGlyph(ch))
            width += int(glyph->rows[0].size()) + (bold ? 2 : 1);
    return std::max(width - 1, 0);
}

// ---------------------------------------------------------------------------
// Small pictures.

// A pin-function label: each line right-aligned in its box, one blank column
// short of the right edge where the box leaves room, so that a label placed
// against the right side of the body stays clear of the pin stubs; the last
// line on the bottom rows (so a barred name keeps its bar on the top rows).
QImage labelPicture(int width, int height, std::string_view text)
{
    Canvas canvas(width, height);
    const std::vector<std::string_view> lines = splitLines(text);
    int y = height - 5 - 7 * int(lines.size() - 1);
    for (std::string_view line : lines) {
        const int lineWidth = textWidth(line);
        canvas.text(width - lineWidth - (lineWidth < width ? 1 : 0), y, line);
        y += 7;
    }
    return canvas.take();
}

// Labels the overlays place at fixed positions, with the sizes those
// positions rely on.
struct FixedLabel {
    std::string_view name;
    int width, height;
    std::string_view text;
};

constexpr FixedLabel kFixedLabels[] = {
    {"GP0", 13, 5, "GP0"},     {"GP1", 13, 5, "GP1"},     {"GP2", 13, 5, "GP2"},
    {"GP3", 13, 5, "GP3"},     {"GP4", 13, 5, "GP4"},     {"GP5", 13, 5, "GP5"},
    {"MCLR", 18, 7, "\\MCLR"}, {"T0CKI", 18, 5, "T0CKI"}, {"Fosc4", 19, 5, "Fosc4"},
    {"CINp", 14, 5, "CIN+"},   {"CINn", 14, 5, "CIN-"},   {"cout", 17, 5, "cout"},
    {"C1OUT", 22, 5, "C1OUT"}, {"AN0", 14, 5, "AN0"},     {"AN1", 14, 5, "AN1"},
    {"AN2", 14, 5, "AN2"},     {"OSC1", 17, 5, "OSC1"},   {"OSC2", 17, 5, "OSC2"},
    {"AN0C1INp", 19, 12, "AN0/\nC1IN+"}, {"AN1C1INn", 18, 12, "AN1/\nC1IN-"},
};

QImage fixedLabel(std::string_view name)
{
    for (const FixedLabel& label : kFixedLabels)
        if (name == label.name)
            return labelPicture(label.width, label.height, label.text);
    return {};
}

QImage naturalLabel(std::string_view text)
{
    return labelPicture(textWidth(text), 5, text);
}

QImage levelMark(char ch)
{
    Canvas canvas(6, 9);
    canvas.largeText(1, 1, std::string_view(&ch, 1), false);
    return canvas.take();
}

QImage arrowPicture(const Bitmap7& rows, QRgb colour, int shift = 0)
{
    Canvas canvas(7, 7);
    canvas.bitmap(0, 0, rows, colour, shift);
    return canvas.take();
}

QImage edgePicture(const Bitmap9& rows)
{
    Canvas canvas(5, 9);
    canvas.bitmap(0, 0, rows, kBlack);
    return canvas.take();
}

// A glyph of the voltage read-out: the character's ink from the left edge,
// blank columns after it up to `width`.
QImage numberGlyph(int width, std::string_view rows0to4)
{
    Canvas canvas(width, 5);
    canvas.text(0, 0, rows0to4);
    return canvas.take();
}

QImage minusGlyph()
{
    // Narrower than the text minus: the digit after it needs its blank column.
    Canvas canvas(3, 5);
    canvas.fill(0, 2, 1, 2, kBlack);
    return canvas.take();
}

// ---------------------------------------------------------------------------
// Package pictures.
//
// Pin row r has its stubs at y 13+18r .. 18+18r, x 24..31 and 78..85. The
// body, x 30..81 from y 9 to the bottom edge, holds the labels: the first line
// of a pin's label has its top at 14+18r+dy, further lines follow every 6 rows
// (9 when the line carries a bar, so that the bar stands clear of the line
// above). Left labels start at x 34, right ones end at x 75, two columns clear
// of the outline and the stubs. Outside the body the columns belong to the
// running overlays: arrows at x 14 and 89, marks at x 5 and 99, edge symbols
// at x 0 and 105.

enum class Arrow : uint8_t {
    None, // supply and unconnected pins
    Both, // a port pin that can drive and read
    In,   // input only
    Out,  // output only (the oscillator output)
};

struct PackagePin {
    std::string_view label; // '\n' between lines
    int8_t dy = 0;
    Arrow arrow = Arrow::Both;
    int8_t arrowDy = 0; // the running overlay of a few pins sits a row higher
    // Drawn as the overlay's label picture at the overlay's position, so the
    // running picture does not change where the overlay repeats it.
    bool asOverlay = false;
    // Moves the first line of a right-side label towards the outline. Only
    // for a line that lies off the stub rows: it is the stubs that keep the
    // right labels two columns short of the outline.
    int8_t firstLineDx = 0;
};

// Which labels the running picture keeps; the overlays draw the others.
enum class RunningLabels : uint8_t {
    SupplyOnly,     // PIC10F/12F: the overlays name every port pin
    SingleFunction, // PIC16F505/506/526: pins without alternate functions
    All,            // PIC16F54/57/59: the overlays name no port pin
};

// The picture of a pinout: the labels on each side of its package.
struct PackageLayout {
    RunningLabels runningLabels;
    std::vector<PackagePin> left;  // top to bottom
    std::vector<PackagePin> right; // top to bottom
};

constexpr PackagePin supply(std::string_view name)
{
    return {name, 0, Arrow::None, 0, false};
}

// The timer clock pin of the PIC16F5x, whose overlay repeats label and arrow.
constexpr PackagePin timerClockPin(int8_t arrowDy)
{
    return {"T0CKI", 0, Arrow::In, arrowDy, true};
}

// The height of a package's picture: a row of 18 pixels per pin on each side
// below the title. The 40-pin body ends one row closer to its last stubs.
int packageHeight(Package package)
{
    switch (package) {
    case Package::Dip8: return 77;
    case Package::Dip14: return 131;
    case Package::Dip18: return 167;
    case Package::Dip28: return 257;
    case Package::Dip40: return 364;
    }
    return 77;
}

// The static labels of each pinout, in the order of Pinout. Where both sides
// name several functions the lines are stacked and nudged (dy) so that no two
// labels touch.
const std::vector<PackageLayout>& packageLayouts()
{
    static const std::vector<PackageLayout> layouts = [] {
        std::vector<PackageLayout> all;
        // 0: PIC10F200, PIC10F202
        all.push_back({RunningLabels::SupplyOnly,
                       {supply("N/C"), supply("Vdd"), {"GP2\nT0CKI\nFosc4", -7}, {"GP1"}},
                       {{"GP3\n\\MCLR", 0, Arrow::In}, supply("Vss"), supply("N/C"), {"GP0"}}});
        // 1: PIC10F204, PIC10F206
        all.push_back({RunningLabels::SupplyOnly,
                       {supply("N/C"), supply("Vdd"), {"GP2/T0CKI\ncout\nFosc4", -7}, {"GP1\nCIN-", -6}},
                       {{"GP3\n\\MCLR", 0, Arrow::In}, supply("Vss"), supply("N/C"), {"GP0\nCIN+", -6}}});
        // 2: PIC10F220, PIC10F222
        all.push_back({RunningLabels::SupplyOnly,
                       {supply("N/C"), supply("Vdd"), {"GP2\nT0CKI\nFosc4", -7}, {"GP1\nAN1", -6}},
                       {{"GP3\n\\MCLR", 0, Arrow::In}, supply("Vss"), supply("N/C"), {"GP0\nAN0", -6}}});
        // 3: PIC12F508, PIC12F509, PIC12F519
        all.push_back({RunningLabels::SupplyOnly,
                       {supply("Vdd"), {"GP5\nOSC1/CLKIN"}, {"GP4\nOSC2", -4}, {"GP3\n\\MCLR", -9, Arrow::In}},
                       {supply("Vss"), {"GP0"}, {"GP1"}, {"GP2\nT0CKI", -6}}});
        // 4: PIC12F510
        all.push_back({RunningLabels::SupplyOnly,
                       {supply("Vdd"), {"GP5\nOSC1\nCLKIN", -7}, {"GP4\nOSC2", -6}, {"GP3\n\\MCLR", -9, Arrow::In}},
                       // The wide first lines stand a word's space clear of the left
                       // labels beside them; C1OUT keeps two blank rows above the
                       // bottom of the outline.
                       {supply("Vss"), {"GP0/AN0\nC1IN+", -7, Arrow::Both, 0, false, 2},
                        {"GP1/AN1\nC1IN-", -7, Arrow::Both, 0, false, 2},
                        {"GP2/AN2\nT0CKI\nC1OUT", -12, Arrow::Both, 0, false, 2}}});
        // 5: PIC16F505
        all.push_back({RunningLabels::SingleFunction,
                       {supply("Vdd"), {"RB5\nOSC1\nCLKIN", -2}, {"RB4\nOSC2\nCLKOUT", -1},
                        {"RB3\n\\MCLR", 0, Arrow::In}, {"RC5\nT0CKI"}, {"RC4"}, {"RC3"}},
                       {supply("Vss"), {"RB0"}, {"RB1"}, {"RB2"}, {"RC0"}, {"RC1"}, {"RC2"}}});
        // 6: PIC16F506, PIC16F526
        all.push_back({RunningLabels::SingleFunction,
                       {supply("Vdd"), {"RB5\nOSC1\nCLKIN", -2}, {"RB4\nOSC2\nCLKOUT", -1},
                        {"RB3\n\\MCLR", 0, Arrow::In}, {"RC5\nT0CKI"}, {"RC4\nC2OUT"}, {"RC3"}},
                       {supply("Vss"), {"RB0/AN0\nC1IN+", -2}, {"RB1/AN1\nC1IN-", -1}, {"RB2/AN2\nC1OUT"},
                        {"RC0\nC2IN+"}, {"RC1\nC2IN-", -1}, {"RC2\nCVref", -6}}});
        // 7: PIC16F54
        all.push_back({RunningLabels::All,
                       {{"RA2"}, {"RA3"}, timerClockPin(0), {"\\MCLR", 0, Arrow::In}, supply("Vss"),
                        {"RB0"}, {"RB1"}, {"RB2"}, {"RB3"}},
                       {{"RA1"}, {"RA0"}, {"OSC1\nCLKIN", 0, Arrow::In}, {"OSC2\nCLKOUT", 0, Arrow::Out},
                        supply("Vdd"), {"RB7"}, {"RB6"}, {"RB5"}, {"RB4"}}});
        // 8: PIC16F57
        all.push_back({RunningLabels::All,
                       {timerClockPin(-1), supply("Vdd"), supply("N/C"), supply("Vss"), supply("N/C"),
                        {"RA0"}, {"RA1"}, {"RA2"}, {"RA3"}, {"RB0"}, {"RB1"}, {"RB2"}, {"RB3"}, {"RB4"}},
                       // The bar of the top row's name keeps clear of the top of the outline.
                       {{"\\MCLR", 2, Arrow::In}, {"OSC1\nCLKIN", 0, Arrow::In}, {"OSC2\nCLKOUT", 0, Arrow::Out},
                        {"RC7"}, {"RC6"}, {"RC5"}, {"RC4"}, {"RC3"}, {"RC2"}, {"RC1"}, {"RC0"},
                        {"RB7"}, {"RB6"}, {"RB5"}}});
        // 9: PIC16F59
        all.push_back({RunningLabels::All,
                       {{"RA0"}, {"RA1"}, {"RA2"}, {"RA3"}, supply("GND"), {"RB0"}, {"RB1"}, {"RB2"}, {"RB3"},
                        {"RB4"}, {"RB5"}, {"RB6"}, {"RB7"}, {"\\MCLR", 0, Arrow::In}, supply("Vdd"),
                        {"RC0"}, {"RC1"}, {"RC2"}, {"RC3"}, {"RC4", -1}},
                       {timerClockPin(-1), {"RE7"}, {"RE6"}, {"RE5"}, {"RE4"}, supply("Vdd"),
                        {"OSC1\nCLKIN", 0, Arrow::In}, {"OSC2\nCLKOUT", 0, Arrow::Out},
                        {"RD7"}, {"RD6"}, {"RD5"}, {"RD4"}, {"RD3"}, {"RD2"}, {"RD1"}, supply("GND"),
                        {"RD0"}, {"RC7"}, {"RC6"}, {"RC5", -1}}});
        // (The bottom row's labels sit a row higher: this body ends one row
        // closer to its last stubs than the others, and the labels keep two
        // blank rows above its bottom.)
        return all;
    }();
    return layouts;
}

enum class Side : uint8_t { Left, Right };

bool keepsLabel(RunningLabels policy, const PackagePin& pin)
{
    switch (policy) {
    case RunningLabels::All:
        return true;
    case RunningLabels::SingleFunction:
        return pin.label.find('/') == std::string_view::npos && pin.label.find('\n') == std::string_view::npos;
    case RunningLabels::SupplyOnly:
        break;
    }
    return pin.arrow == Arrow::None;
}

void drawLabel(Canvas& canvas, Side side, int row, const PackagePin& pin)
{
    int y = 14 + 18 * row + pin.dy;
    if (pin.asOverlay) {
        canvas.blit(side == Side::Left ? 33 : 59, y, fixedLabel(pin.label));
        return;
    }
    bool first = true;
    for (std::string_view line : splitLines(pin.label)) {
        if (!first)
            y += hasBar(line) ? 9 : 6;
        const int dx = first ? pin.firstLineDx : 0;
        first = false;
        canvas.text(side == Side::Left ? 34 : 76 - textWidth(line) + dx, y, line);
    }
}

// Pointing into the chip or out of it, for a pin on `side`.
QImage sideArrow(Side side, bool inward, QRgb colour)
{
    const bool pointsRight = (side == Side::Left) == inward;
    // Left-side arrows keep their free columns on the left.
    const int shift = side == Side::Left ? 2 : 0;
    return arrowPicture(pointsRight ? kArrowRight : kArrowLeft, colour, shift);
}

void drawArrow(Canvas& canvas, Side side, int row, const PackagePin& pin, bool running)
{
    const int x = side == Side::Left ? 14 : 89;
    const int y = 12 + 18 * row + pin.arrowDy;
    switch (pin.arrow) {
    case Arrow::None:
        return;
    case Arrow::Both:
        if (!running)
            canvas.blit(x, y, arrowPicture(kArrowBoth, kBlack));
        return;
    case Arrow::In:
        canvas.blit(x, y, sideArrow(side, true, running ? kInputGreen : kBlack));
        return;
    case Arrow::Out:
        canvas.blit(x, y, sideArrow(side, false, running ? kOutputRed : kBlack));
        return;
    }
}

void drawBody(Canvas& canvas, int height)
{
    constexpr int left = 30, right = 81, top = 9;
    canvas.fill(left, top, right, height - 1, kBlack);
    canvas.fill(left + 2, top + 2, right - 2, height - 3, kWhite);

    // The orientation notch: a half ring dipping into the top edge, centred
    // on the body and narrow enough (x 51..59) to stay clear of the label
    // boxes of the top row. Distances in half pixels keep the arithmetic
    // integral.
    const int centreX2 = left + right + 1; // twice the centre, between columns
    const int centreY2 = 2 * top;
    for (int y = top; y < top + 8; ++y) {
        for (int x = left + 2; x <= right - 2; ++x) {
            const int dx = 2 * x + 1 - centreX2;
            const int dy = 2 * y + 1 - centreY2;
            const int distance2 = dx * dx + dy * dy;
            if (distance2 < 6 * 6)
                canvas.set(x, y, kWhite);
            else if (distance2 < 9 * 9)
                canvas.set(x, y, kBlack);
        }
    }
}

QImage packagePicture(const ModelEntry& model, bool running)
{
    const PackageLayout& layout = packageLayouts()[size_t(model.pinout)];
    const int height = packageHeight(model.package);
    Canvas canvas(kChipPictureWidth, height);

    const int titleWidth = largeTextWidth(model.name, true);
    canvas.largeText((112 - titleWidth) / 2, 1, model.name, true);
    drawBody(canvas, height);

    const auto drawSide = [&](Side side, const std::vector<PackagePin>& pins) {
        for (int row = 0; row < int(pins.size()); ++row) {
            const PackagePin& pin = pins[size_t(row)];
            const int stubX = side == Side::Left ? 24 : 78;
            canvas.fill(stubX, 13 + 18 * row, stubX + 7, 18 + 18 * row, kBlack);
            if (!running || keepsLabel(layout.runningLabels, pin))
                drawLabel(canvas, side, row, pin);
            drawArrow(canvas, side, row, pin, running);
        }
    };
    drawSide(Side::Left, layout.left);
    drawSide(Side::Right, layout.right);
    return canvas.take();
}

// ---------------------------------------------------------------------------
// The store.

struct NamedPicture {
    std::string_view name;
    QImage picture;
};

// The pictures after the package pictures of the models.
constexpr std::string_view kFixedPictureNames[] = {
    "r0", "r1", "r3", "In", "Out", "In2", "Out2",
    "GP0", "GP1", "GP2", "GP3", "GP4", "GP5", "MCLR", "T0CKI", "Fosc4",
    "HiToLo", "LoToHi", "CINn", "CINp", "cout", "minus", "V",
    "sd0", "sd1", "sd2", "sd3", "sd4", "sd5", "sd6", "sd7", "sd8", "sd9", "dot",
    "AN0", "AN1", "CLKIN", "OSC1", "OSC2",
    "RA0", "RA1", "RA2", "RA3",
    "RB0", "RB1", "RB2", "RB3", "RB4", "RB5", "RB6", "RB7",
    "RC0", "RC1", "RC2", "RC3", "RC4", "RC5", "RC6", "RC7",
    "RD0", "RD1", "RD2", "RD3", "RD4", "RD5", "RD6", "RD7",
    "RE4", "RE5", "RE6", "RE7",
    "C1INp", "C1INn", "AN2", "C1OUT", "CLKOUT", "C2OUT", "C2INp", "C2INn", "CVref", "AN0C1INp", "AN1C1INn",
};

// Every picture's name: the static and the running package picture of each
// listed model in index order, then the fixed ones.
const std::vector<std::string_view>& pictureNames()
{
    static const std::array<std::string, kChipModelCount> runningNames = [] {
        std::array<std::string, kChipModelCount> names;
        for (int type = 0; type < kChipModelCount; ++type)
            names[size_t(type)] = std::string(listedModel(type)->name) + "_free";
        return names;
    }();
    static const std::vector<std::string_view> names = [] {
        std::vector<std::string_view> all;
        all.reserve(2 * kChipModelCount + std::size(kFixedPictureNames));
        for (int type = 0; type < kChipModelCount; ++type) {
            all.push_back(listedModel(type)->name);
            all.push_back(runningNames[size_t(type)]);
        }
        all.insert(all.end(), std::begin(kFixedPictureNames), std::end(kFixedPictureNames));
        return all;
    }();
    return names;
}

// The text shown by a label picture whose name cannot carry it.
std::string labelText(std::string_view name)
{
    std::string text(name);
    if (text.size() > 1 && (text.back() == 'p' || text.back() == 'n') && text.find("IN") != std::string::npos)
        text.back() = text.back() == 'p' ? '+' : '-';
    return text;
}

QImage buildPicture(std::string_view name)
{
    for (int type = 0; type < kChipModelCount; ++type) {
        const ModelEntry& model = *listedModel(type);
        const std::string_view modelName = model.name;
        if (name == modelName)
            return packagePicture(model, false);
        if (name.substr(0, modelName.size()) == modelName && name.substr(modelName.size()) == "_free")
            return packagePicture(model, true);
    }

    if (QImage label = fixedLabel(name); !label.isNull())
        return label;

    if (name == "r0")
        return levelMark('0');
    if (name == "r1")
        return levelMark('1');
    if (name == "r3")
        return levelMark('?');
    if (name == "In")
        return sideArrow(Side::Right, true, kInputGreen);
    if (name == "Out")
        return sideArrow(Side::Right, false, kOutputRed);
    if (name == "In2")
        return sideArrow(Side::Left, true, kInputGreen);
    if (name == "Out2")
        return sideArrow(Side::Left, false, kOutputRed);
    if (name == "HiToLo")
        return edgePicture(kFallingEdge);
    if (name == "LoToHi")
        return edgePicture(kRisingEdge);
    if (name.size() == 3 && name.substr(0, 2) == "sd")
        return numberGlyph(4, name.substr(2));
    if (name == "dot")
        return numberGlyph(2, ".");
    if (name == "minus")
        return minusGlyph();
    if (name == "V")
        return numberGlyph(4, "V");
    return naturalLabel(labelText(name));
}

bool sameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

const std::vector<NamedPicture>& store()
{
    // Built once per load of corvel and freed when corvel is unloaded (the
    // host frees every device first) or the process ends: a program that
    // closes and opens projects loads corvel again each time.
    static const std::vector<NamedPicture> pictures = [] {
        std::vector<NamedPicture> all;
        all.reserve(pictureNames().size());
        for (std::string_view name : pictureNames())
            all.push_back({name, buildPicture(name)});
        return all;
    }();
    return pictures;
}

} // namespace

std::span<const std::string_view> chipPictureNames()
{
    return pictureNames();
}

const QImage& chipPicture(std::string_view name)
{
    static const QImage none;
    for (const NamedPicture& entry : store())
        if (sameName(entry.name, name))
            return entry.picture;
    return none;
}

const QImage& chipPackagePicture(int typeMC, bool running)
{
    static const QImage none;
    if (typeMC < 0 || typeMC >= kChipModelCount)
        return none;
    // The package pictures come first in the store: static, then running.
    return store()[size_t(2 * typeMC + (running ? 1 : 0))].picture;
}

} // namespace corvel
