// The live pin display: which element the chip state puts at which position,
// that a change at one pin repaints only that pin's cells, the level windows
// of the marks and the voltage read-out.
#include <cfloat>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "mcu-device/chip_drawing.h"
#include "mcu-device/chip_pictures.h"
#include "chip_view_fake.h"

namespace chip_drawing_test {
namespace {

using corvel::chipPackagePicture;
using corvel::chipPicture;
using corvel::ChipView;
using corvel::drawChip;
using corvel::DrawNumber;
using corvel::LevelMark;
using corvel::levelMark;
using twtest::FakeChip;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr QRgb kWhite = 0xFFFFFFFF;

struct Rect {
    int x, y, w, h;
    bool contains(int px, int py) const { return px >= x && px < x + w && py >= y && py < y + h; }
};

QImage drawn(const FakeChip& chip, bool running)
{
    const QImage& base = chipPackagePicture(std::clamp(chip.type, 0, 15), false);
    QImage image(base.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(0xFFFF00FF);
    drawChip(image, chip, running);
    return image;
}

bool sameRegion(const QImage& a, const QImage& b, Rect r)
{
    for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x; x < r.x + r.w; ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                return false;
    return true;
}

// Does `image` show `pictureName` with its top-left corner at (x, y)? Only
// the first `width` columns when given: a later element may cover the rest.
// Only from column `from` when given: the read-out may cover a blank first
// column of a left-side arrow.
::testing::AssertionResult shows(const QImage& image, const char* pictureName, int x, int y, int width = 0,
                                 int from = 0)
{
    const QImage& picture = chipPicture(pictureName);
    for (int row = 0; row < picture.height(); ++row)
        for (int column = from; column < (width > 0 ? width : picture.width()); ++column) {
            const int px = x + column, py = y + row;
            if (px >= image.width() || py >= image.height())
                continue; // clipped by the edge of the image
            if (image.pixel(px, py) != picture.pixel(column, row))
                return ::testing::AssertionFailure()
                       << "no " << pictureName << " at " << x << "," << y << " (pixel " << px << "," << py << ")";
        }
    return ::testing::AssertionSuccess();
}

// The glyphs of the read-out laid side by side from (0, 0) on a white strip.
QImage composed(const std::vector<std::string>& names, int width = 240)
{
    QImage strip(width, 5, QImage::Format_ARGB32_Premultiplied);
    strip.fill(kWhite);
    QPainter painter(&strip);
    int x = 0;
    for (const std::string& name : names) {
        const QImage& glyph = chipPicture(name);
        EXPECT_FALSE(glyph.isNull()) << name;
        painter.drawImage(x, 0, glyph);
        x += glyph.width();
    }
    return strip;
}

std::vector<std::string> glyphsOf(const std::string& text)
{
    std::vector<std::string> names;
    for (char ch : text) {
        if (ch == '-')
            names.push_back("minus");
        else if (ch == '.')
            names.push_back("dot");
        else if (ch == 'V')
            names.push_back("V");
        else
            names.push_back(std::string("sd") + ch);
    }
    return names;
}

QImage readOut(float value, int digits = 2)
{
    QImage strip(240, 5, QImage::Format_ARGB32_Premultiplied);
    strip.fill(kWhite);
    DrawNumber(strip, 0, 0, digits, value);
    return strip;
}

// ---------------------------------------------------------------------------

TEST(ChipLevelMarks, WindowsIncludeTheirBounds)
{
    struct Case {
        float volts;
        LevelMark mark;
    };
    const Case cases[] = {
        {kNaN, LevelMark::Unknown},  {1.0f, LevelMark::Low},      {2.0f, LevelMark::Unknown},
        {3.0f, LevelMark::High},     {5.5f, LevelMark::High},     {5.6f, LevelMark::Unknown},
        {-0.1f, LevelMark::Unknown}, {0.0f, LevelMark::Low},      {-0.0f, LevelMark::Low},
        {0.99f, LevelMark::Low},     {1.01f, LevelMark::Unknown}, {2.99f, LevelMark::Unknown},
        {kInf, LevelMark::Unknown},  {-kInf, LevelMark::Unknown},
    };
    for (const Case& c : cases)
        EXPECT_EQ(levelMark(c.volts), c.mark) << c.volts;
    EXPECT_STREQ(corvel::levelMarkPicture(LevelMark::Low), "r0");
    EXPECT_STREQ(corvel::levelMarkPicture(LevelMark::High), "r1");
    EXPECT_STREQ(corvel::levelMarkPicture(LevelMark::Unknown), "r3");
}

// The same windows on the picture: GP1 of a PIC10F200 as an input.
TEST(ChipLevelMarks, InputPinShowsTheMarkOfItsNode)
{
    const std::pair<float, const char*> cases[] = {
        {kNaN, "r3"}, {1.0f, "r0"}, {2.0f, "r3"}, {3.0f, "r1"}, {5.5f, "r1"}, {5.6f, "r3"}, {-0.1f, "r3"}, {kInf, "r3"},
    };
    for (const auto& [volts, mark] : cases) {
        FakeChip chip(0);
        chip.ram[ChipView::kTrisGpio] = 0xFF;
        chip.levels[1] = volts;
        EXPECT_TRUE(shows(drawn(chip, true), mark, 5, 66)) << volts;
    }
}

// ---------------------------------------------------------------------------

TEST(ChipDrawing, StandingChipShowsTheStaticPictureWhateverTheState)
{
    for (int type = 0; type < 16; ++type) {
        FakeChip chip(type);
        chip.ram.fill(0xA5);
        chip.configBits.fill(true);
        chip.levels.fill(2.5f);
        const QImage image = drawn(chip, false);
        EXPECT_EQ(image, chipPackagePicture(type, false)) << type;
    }
}

TEST(ChipDrawing, RunningPic16F505FamilyShowsOnlyItsRunningPicture)
{
    for (int type = 10; type <= 12; ++type) {
        FakeChip chip(type);
        chip.ram.fill(0x5A);
        chip.levels.fill(5.0f);
        EXPECT_EQ(drawn(chip, true), chipPackagePicture(type, true)) << type;
    }
}

TEST(ChipDrawing, UnknownModelPaintsNothing)
{
    for (int type : {-1, 16, 255}) {
        FakeChip chip(type);
        QImage image(110, 77, QImage::Format_ARGB32_Premultiplied);
        image.fill(0xFF123456);
        const QImage before = image;
        drawChip(image, chip, true);
        drawChip(image, chip, false);
        EXPECT_EQ(image, before) << type;
    }
}

// Which element stands where for a given state, from the pin tables.
struct Expectation {
    const char* picture;
    int x, y;
    int width = 0; // 0: the whole picture
    int from = 0;  // the first column compared
};

// The voltage read-out starts on the last column of a shifted right-side arrow,
// and ends on the first (blank) column of a shifted left-side one.
constexpr int kCoveredByVoltage = 6;
constexpr int kLeftCoveredByVoltage = 1;

struct StateCase {
    const char* what;
    int type;
    std::function<void(FakeChip&)> set;
    std::vector<Expectation> shown;
    std::vector<Rect> unpainted; // cells left as in the running picture
};

TEST(ChipDrawing, PinsShowTheElementsOfTheirForm)
{
    const StateCase cases[] = {
        {"10F200 after power-on: every pin an undriven input", 0,
         [](FakeChip& c) { c.ram[ChipView::kTrisGpio] = 0xFF; },
         {{"GP0", 64, 68}, {"In", 89, 66}, {"r3", 99, 66}, {"GP1", 33, 68}, {"In2", 14, 66}, {"r3", 5, 66},
          {"GP2", 33, 50}, {"In2", 14, 48}, {"r3", 5, 48}, {"GP3", 64, 14}, {"r3", 99, 11}},
         {{0, 48, 5, 9}}},
        {"output shows its latch while another device pulls the node low", 0,
         [](FakeChip& c) {
             c.ram[6] = 0b0001;
             c.levels[0] = 0.0f;
         },
         {{"Out", 89, 66}, {"r1", 99, 66}},
         {}},
        {"MCLRE set", 0, [](FakeChip& c) { c.configBits[4] = true; }, {{"MCLR", 59, 14}}, {}},
        {"timer clock on falling edges", 1,
         [](FakeChip& c) {
             c.setBit(ChipView::kOption, 5, true);
             c.setBit(ChipView::kOption, 4, true);
             c.levels[2] = 5.0f;
         },
         {{"T0CKI", 33, 50}, {"In2", 14, 48}, {"r1", 5, 48}, {"HiToLo", 1, 48}},
         {}},
        {"timer clock on rising edges", 0,
         [](FakeChip& c) {
             c.setBit(ChipView::kOption, 5, true);
             c.levels[2] = 0.5f;
         },
         {{"T0CKI", 33, 50}, {"In2", 14, 48}, {"r0", 5, 48}, {"LoToHi", 1, 48}},
         {}},
        {"FOSC4 wins over the timer clock", 0,
         [](FakeChip& c) {
             c.setBit(5, 0, true);
             c.setBit(ChipView::kOption, 5, true);
         },
         {{"Fosc4", 33, 50}},
         {{14, 48, 7, 7}, {5, 48, 6, 9}, {0, 48, 6, 9}}},
        {"10F204 comparator on, output enabled, whatever TRIS", 2,
         [](FakeChip& c) {
             c.ram[ChipView::kTrisGpio] = 0x00;
             c.setBit(7, 3, true);
             c.setBit(7, 7, true);
             c.levels[0] = 2.5f;
             c.levels[1] = 3.3f;
         },
         {{"CINp", 63, 68}, {"In", 86, 66, kCoveredByVoltage}, {"CINn", 33, 68}, {"In2", 17, 66, 0, kLeftCoveredByVoltage}, {"cout", 33, 50}, {"Out2", 14, 48},
          {"r1", 5, 48}},
         {}},
        {"10F220 ANS0 only", 4,
         [](FakeChip& c) {
             c.ram[ChipView::kTrisGpio] = 0xFF;
             c.setBit(7, 6, true);
         },
         {{"AN0", 63, 68}, {"In", 86, 66, kCoveredByVoltage}, {"GP1", 33, 68}, {"In2", 14, 66}, {"r3", 5, 66}},
         {}},
        {"12F510 ANS1 only: AN0 and AN2 analogue", 8,
         [](FakeChip& c) { c.setBit(8, 7, true); },
         {{"AN0", 63, 32}, {"In", 86, 30, kCoveredByVoltage}, {"GP1", 64, 50}, {"AN2", 62, 68}, {"In", 86, 66, kCoveredByVoltage}},
         {}},
        {"12F510 ANS0 only: AN2 analogue", 8,
         [](FakeChip& c) { c.setBit(8, 6, true); },
         {{"GP0", 64, 32}, {"GP1", 64, 50}, {"AN2", 62, 68}},
         {}},
        {"12F510 comparator on with both converter inputs", 8,
         [](FakeChip& c) {
             c.setBit(7, 3, true);
             c.setBit(8, 6, true);
             c.setBit(8, 7, true);
         },
         {{"AN0C1INp", 58, 28}, {"In", 86, 30, kCoveredByVoltage}, {"AN1C1INn", 60, 45}, {"In", 86, 48, kCoveredByVoltage}, {"AN2", 62, 68}},
         {}},
        {"12F510 comparator output", 8,
         [](FakeChip& c) { c.setBit(7, 3, true); },
         {{"CINp", 63, 32}, {"CINn", 63, 50}, {"C1OUT", 55, 68}, {"Out", 89, 66}, {"r0", 99, 66}},
         {}},
        {"12F508 with an external oscillator", 6,
         [](FakeChip& c) {
             c.configBits[0] = true;
             c.configBits[1] = true;
             c.ram[ChipView::kTrisGpio] = 0x00;
         },
         {{"OSC1", 33, 32}, {"OSC2", 33, 50}, {"GP3", 33, 68}},
         {{14, 30, 7, 7}, {5, 30, 6, 9}, {14, 48, 7, 7}, {5, 48, 6, 9}}},
        {"12F509 internal oscillator frees GP4 and GP5", 7,
         [](FakeChip& c) {
             c.configBits[1] = true;
             c.configBits[4] = true;
             c.ram[ChipView::kTrisGpio] = 0b010000;
             c.ram[6] = 0b100000;
             c.levels[4] = 4.0f;
         },
         {{"GP5", 33, 32}, {"Out2", 14, 30}, {"r1", 5, 30}, {"GP4", 33, 50}, {"In2", 14, 48}, {"r1", 5, 48},
          {"MCLR", 33, 66}},
         {}},
        {"16F54 ports: inputs read the node, outputs the latch", 13,
         [](FakeChip& c) {
             c.ram[ChipView::kTrisA] = 0b0001; // RA0 input
             c.ram[5] = 0b0010;               // RA1 drives high
             c.ram[ChipView::kTrisA + 1] = 0x80; // RB7 input
             c.levels[0] = 0.0f;
             c.levels[11] = 5.0f;
         },
         {{"In", 89, 30}, {"r0", 99, 29}, {"Out", 89, 12}, {"r1", 99, 11}, {"Out2", 14, 12}, {"r0", 5, 11},
          {"In", 89, 102}, {"r1", 99, 101}, {"Out2", 14, 156}, {"r3", 5, 66}},
         {{0, 47, 6, 9}}},
        {"16F59 timer clock at its top-right pin", 15,
         [](FakeChip& c) {
             c.setBit(ChipView::kOption, 5, true);
             c.setBit(ChipView::kOption, 4, true);
             c.levels[32] = 0.0f;
             c.levels[33] = 5.0f;
         },
         {{"T0CKI", 59, 14}, {"In", 89, 11}, {"r0", 99, 11}, {"HiToLo", 105, 11}, {"r1", 5, 245}},
         {}},
        {"16F57 timer clock left off with T0CS clear", 14,
         [](FakeChip& c) { c.setBit(ChipView::kOption, 4, true); },
         {{"r3", 99, 11}},
         {{0, 11, 11, 9}, {14, 11, 7, 7}}},
    };
    for (const StateCase& c : cases) {
        SCOPED_TRACE(c.what);
        FakeChip chip(c.type);
        c.set(chip);
        const QImage image = drawn(chip, true);
        for (const Expectation& e : c.shown)
            EXPECT_TRUE(shows(image, e.picture, e.x, e.y, e.width, e.from));
        for (const Rect& r : c.unpainted)
            EXPECT_TRUE(sameRegion(image, chipPackagePicture(c.type, true), r)) << r.x << "," << r.y;
    }
}

// A change at one pin (direction, level or function) repaints that pin's
// cells and nothing else.
TEST(ChipDrawing, ChangeAtOnePinRepaintsOnlyItsCells)
{
    struct Change {
        const char* what;
        int type;
        std::function<void(FakeChip&)> before, after;
        std::vector<Rect> cells;
    };
    const auto nothing = [](FakeChip&) {};
    const std::vector<Rect> pic10Gp0 = {{63, 68, 14, 5}, {86, 66, 10, 7}, {92, 68, 18, 5}, {99, 66, 6, 9}};
    const std::vector<Rect> pic10Gp1 = {{33, 68, 14, 5}, {14, 66, 10, 7}, {0, 68, 18, 5}, {5, 66, 6, 9}};
    const std::vector<Rect> pic10Gp2 = {{33, 50, 19, 5}, {14, 48, 7, 7}, {5, 48, 6, 9}, {0, 48, 5, 9}};
    const std::vector<Rect> pic12Gp1 = {{60, 45, 18, 12}, {86, 48, 10, 7}, {92, 50, 18, 5}, {99, 48, 6, 9}};
    const std::vector<Rect> pic12Gp2 = {{55, 68, 22, 5}, {86, 66, 10, 7}, {92, 68, 18, 5}, {99, 66, 6, 9},
                                        {105, 66, 5, 9}};
    const std::vector<Rect> pic12Gp4Gp5 = {{33, 50, 17, 5}, {14, 48, 7, 7}, {5, 48, 6, 9},
                                           {33, 32, 17, 5}, {14, 30, 7, 7}, {5, 30, 6, 9}};
    const auto pic16 = [](bool right, int row) {
        return std::vector<Rect>{{right ? 89 : 14, 12 + 18 * row, 7, 7}, {right ? 99 : 5, 11 + 18 * row, 6, 9}};
    };
    const Change changes[] = {
        {"10F200 GP0 turns output", 0,
         [](FakeChip& c) { c.ram[ChipView::kTrisGpio] = 0xFF; },
         [](FakeChip& c) {
             c.ram[ChipView::kTrisGpio] = 0xFE;
             c.ram[6] = 1;
         },
         pic10Gp0},
        {"10F200 GP1 input level", 0,
         [](FakeChip& c) {
             c.ram[ChipView::kTrisGpio] = 0xFF;
             c.levels[1] = 0.0f;
         },
         [](FakeChip& c) {
             c.ram[ChipView::kTrisGpio] = 0xFF;
             c.levels[1] = 5.0f;
         },
         pic10Gp1},
        {"10F200 GP2 becomes the timer clock", 0, nothing,
         [](FakeChip& c) {
             c.setBit(ChipView::kOption, 5, true);
             c.levels[2] = 5.0f;
         },
         pic10Gp2},
        {"10F202 GP3 reset function", 1, nothing, [](FakeChip& c) { c.configBits[4] = true; },
         {{59, 14, 18, 7}, {64, 14, 13, 5}}},
        {"10F222 GP0 becomes analogue", 5, nothing, [](FakeChip& c) { c.setBit(7, 6, true); }, pic10Gp0},
        {"10F220 GP1 becomes analogue", 4, nothing,
         [](FakeChip& c) {
             c.setBit(7, 7, true);
             c.levels[1] = 1.5f;
         },
         pic10Gp1},
        {"10F206 GP2 comparator output enabled", 3,
         [](FakeChip& c) { c.ram[7] = 0b01001000; },
         [](FakeChip& c) { c.ram[7] = 0b00001000; },
         pic10Gp2},
        {"12F510 GP1 joins the converter", 8,
         [](FakeChip& c) {
             c.setBit(7, 3, true);
             c.setBit(8, 7, true);
         },
         [](FakeChip& c) {
             c.setBit(7, 3, true);
             c.setBit(8, 7, true);
             c.setBit(8, 6, true);
             c.levels[1] = 3.3f;
         },
         pic12Gp1},
        {"12F510 GP2 comparator output", 8,
         [](FakeChip& c) { c.ram[7] = 0b01001000; },
         [](FakeChip& c) { c.ram[7] = 0b10001000; },
         pic12Gp2},
        {"12F519 GP2 timer edge", 9,
         [](FakeChip& c) { c.setBit(ChipView::kOption, 5, true); },
         [](FakeChip& c) {
             c.setBit(ChipView::kOption, 5, true);
             c.setBit(ChipView::kOption, 4, true);
         },
         {{105, 66, 5, 9}}},
        {"12F508 oscillator selection frees GP4 and GP5", 6, nothing,
         [](FakeChip& c) { c.configBits[1] = true; },
         pic12Gp4Gp5},
        {"16F54 RB3 turns output", 13, [](FakeChip& c) { c.ram[ChipView::kTrisA + 1] = 0xFF; },
         [](FakeChip& c) { c.ram[ChipView::kTrisA + 1] = 0xF7; }, pic16(false, 8)},
        {"16F54 MCLR level", 13, nothing, [](FakeChip& c) { c.levels[13] = 5.0f; }, {{5, 66, 6, 9}}},
        {"16F57 RC7 input level", 14,
         [](FakeChip& c) {
             c.ram[ChipView::kTrisA + 2] = 0x80;
             c.levels[19] = 0.0f;
         },
         [](FakeChip& c) {
             c.ram[ChipView::kTrisA + 2] = 0x80;
             c.levels[19] = 5.0f;
         },
         pic16(true, 3)},
        {"16F57 RA0 latch", 14, nothing, [](FakeChip& c) { c.ram[5] = 1; }, pic16(false, 5)},
        {"16F59 RE4 turns input", 15, nothing, [](FakeChip& c) { c.ram[ChipView::kTrisA + 4] = 0x10; },
         pic16(true, 4)},
        {"16F59 RD0 latch", 15, nothing, [](FakeChip& c) { c.ram[8] = 1; }, pic16(true, 16)},
        {"16F59 RC4 turns input", 15, nothing, [](FakeChip& c) { c.ram[ChipView::kTrisA + 2] = 0x10; },
         pic16(false, 19)},
        {"16F59 T0CKI selected", 15, nothing,
         [](FakeChip& c) { c.setBit(ChipView::kOption, 5, true); },
         {{59, 14, 18, 5}, {89, 11, 7, 7}, {99, 11, 6, 9}, {105, 11, 5, 9}}},
        {"16F54 T0CKI selected", 13, nothing,
         [](FakeChip& c) { c.setBit(ChipView::kOption, 5, true); },
         {{33, 50, 18, 5}, {14, 48, 7, 7}, {5, 47, 6, 9}, {0, 47, 5, 9}}},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.what);
        FakeChip before(change.type), after(change.type);
        change.before(before);
        change.after(after);
        const QImage a = drawn(before, true), b = drawn(after, true);
        int differing = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x) {
                if (a.pixel(x, y) == b.pixel(x, y))
                    continue;
                ++differing;
                bool inside = false;
                for (const Rect& cell : change.cells)
                    inside = inside || cell.contains(x, y);
                ASSERT_TRUE(inside) << "pixel " << x << "," << y << " changed outside the pin's cells";
            }
        EXPECT_GT(differing, 0);
    }
}

// The T0CKI label and arrow that the overlay draws are those the running
// picture of the PIC16F5x already shows: selecting the timer clock changes
// only the mark and the edge symbol.
TEST(ChipDrawing, Pic16TimerClockRepeatsTheRunningPicturesLabel)
{
    for (int type = 13; type <= 15; ++type) {
        FakeChip chip(type);
        const QImage still = drawn(chip, true);
        chip.setBit(ChipView::kOption, 5, true);
        const QImage clocked = drawn(chip, true);
        const Rect label = type == 13 ? Rect{33, 50, 18, 5} : type == 14 ? Rect{33, 14, 18, 5} : Rect{59, 14, 18, 5};
        const Rect arrow = type == 13 ? Rect{14, 48, 7, 7} : type == 14 ? Rect{14, 11, 7, 7} : Rect{89, 11, 7, 7};
        EXPECT_TRUE(sameRegion(still, clocked, label)) << type;
        EXPECT_TRUE(sameRegion(still, clocked, arrow)) << type;
    }
}

// ---------------------------------------------------------------------------

TEST(ChipReadOut, DigitsAreCutInSinglePrecision)
{
    const std::pair<float, const char*> cases[] = {
        {2.5f, "2.50V"}, {5.0f, "5.00V"}, {0.01f, "0.00V"}, {-1.25f, "-1.25V"}, {12.34f, "12.33V"},
        {3.3f, "3.29V"}, {0.0f, "0.00V"}, {-0.0f, "0.00V"}, {100.0f, "100.00V"}, {9.999f, "9.99V"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(readOut(value), composed(glyphsOf(text))) << value << " as " << text;
}

TEST(ChipReadOut, NonFiniteValuesReadZero)
{
    for (float value : {kNaN, kInf, -kInf, -kNaN})
        EXPECT_EQ(readOut(value), composed(glyphsOf("0.00V"))) << value;
}

TEST(ChipReadOut, HugeValuesEnd)
{
    // The largest floats have 39 integer digits: 39 digits, the point, two
    // decimals and the unit, nothing after it.
    for (float value : {3.0e38f, FLT_MAX, -FLT_MAX}) {
        const QImage strip = readOut(value);
        const int start = value < 0 ? 3 : 0;
        const int unitAt = start + 39 * 4 + 2 + 2 * 4;
        EXPECT_TRUE(shows(strip, "V", unitAt, 0)) << value;
        EXPECT_TRUE(shows(strip, "sd3", start, 0)) << value;
        for (int x = unitAt + 4; x < strip.width(); ++x)
            ASSERT_EQ(strip.pixel(x, 2), kWhite) << value;
    }
}

TEST(ChipReadOut, DigitCountBoundsTheFraction)
{
    EXPECT_EQ(readOut(12.34f, 1), composed(glyphsOf("12.3V")));
    EXPECT_EQ(readOut(12.34f, 0), composed(glyphsOf("12V")));
    EXPECT_EQ(readOut(12.34f, -5), composed(glyphsOf("12V")));
    EXPECT_EQ(readOut(2.5f, 1000), composed(glyphsOf("2.500000000V")));
}

// An analogue pin whose node nothing drives reads 0.00V, and so does one
// whose level is not finite. On the left the read-out ends one blank column
// before the arrow's ink and keeps the picture's first column blank: a level
// that does not fit with two decimals loses decimals, one that does not fit
// at all shows the largest value of its sign that does.
TEST(ChipReadOut, AnaloguePinReadsItsNode)
{
    const std::pair<float, const char*> cases[] = {
        {kNaN, "0.00V"}, {kInf, "0.00V"}, {2.5f, "2.50V"}, {3.3f, "3.29V"}, {-1.25f, "-1.2V"},
        {12.34f, "12.3V"}, {-12.5f, "-12V"}, {123.4f, "123V"}, {-123.0f, "-99V"}, {1e6f, "999V"},
    };
    for (const auto& [volts, text] : cases) {
        SCOPED_TRACE(text);
        FakeChip chip(4); // PIC10F220, GP1 on the left as AN1
        chip.setBit(7, 7, true);
        chip.levels[1] = volts;
        const QImage image = drawn(chip, true);
        const QImage expected = composed(glyphsOf(text), 18);
        int inkWidth = -1;
        for (const std::string& glyph : glyphsOf(text))
            inkWidth += chipPicture(glyph).width();
        const int start = 18 - inkWidth;
        EXPECT_GE(start, 1);
        for (int y = 0; y < 5; ++y) {
            for (int x = 0; x < 18; ++x) {
                const QRgb want = x < start ? kWhite : expected.pixel(x - start, y);
                ASSERT_EQ(image.pixel(x, 68 + y), want) << volts << " at " << x << "," << y;
            }
            EXPECT_EQ(image.pixel(18, 68 + y), kWhite);
        }
        // The arrow itself is whole.
        EXPECT_TRUE(shows(image, "In2", 17, 66, 0, kLeftCoveredByVoltage));
    }
}

// On the right the read-out starts one blank column after the arrow and
// keeps the picture's last column blank.
TEST(ChipReadOut, RightSideReadOutStaysInsideThePicture)
{
    const std::pair<float, const char*> cases[] = {
        {2.5f, "2.50V"}, {12.34f, "12.3V"}, {-1.25f, "-1.2V"}, {-9.99f, "-9.9V"}, {1e30f, "999V"},
    };
    for (const auto& [volts, text] : cases) {
        SCOPED_TRACE(text);
        FakeChip chip(4); // PIC10F220, GP0 on the right as AN0
        chip.setBit(7, 6, true);
        chip.levels[0] = volts;
        const QImage image = drawn(chip, true);
        const QImage expected = composed(glyphsOf(text), 18);
        for (int y = 0; y < 5; ++y) {
            for (int x = 92; x < 109; ++x)
                ASSERT_EQ(image.pixel(x, 68 + y), expected.pixel(x - 92, y)) << x << "," << y;
            EXPECT_EQ(image.pixel(109, 68 + y), kWhite);
            EXPECT_EQ(image.pixel(91, 68 + y), kWhite);
        }
    }
}

// Whatever the pins show, nothing is drawn on the picture's first or last
// column: voltages of any size, edge symbols and marks keep a blank margin.
TEST(ChipDrawing, NothingTouchesThePictureEdges)
{
    const float levels[] = {kNaN, 0.0f, 5.0f, -1.25f, 12.34f, -123.0f, 1e30f, -kInf};
    for (int type = 0; type < 16; ++type)
        for (float level : levels)
            for (int variant = 0; variant < 4; ++variant) {
                FakeChip chip(type);
                chip.ram[ChipView::kTrisGpio] = variant % 2 ? 0x00 : 0xFF;
                for (int port = 0; port < 5; ++port)
                    chip.ram[size_t(ChipView::kTrisA + port)] = variant % 2 ? 0x00 : 0xFF;
                chip.setBit(ChipView::kOption, 5, true);
                chip.setBit(ChipView::kOption, 4, variant >= 2);
                if (chip.addressTable.adcon0 >= 0) {
                    chip.setBit(chip.addressTable.adcon0, 6, true);
                    chip.setBit(chip.addressTable.adcon0, 7, true);
                }
                if (chip.addressTable.cmcon0 >= 0 && variant >= 2)
                    chip.setBit(chip.addressTable.cmcon0, 3, true);
                chip.levels.fill(level);
                const QImage image = drawn(chip, true);
                for (int y = 0; y < image.height(); ++y)
                    for (int x : {0, image.width() - 1})
                        ASSERT_EQ(image.pixel(x, y), kWhite)
                            << "type " << type << " level " << level << " variant " << variant << " at " << x << ","
                            << y;
            }
}

} // namespace

} // namespace chip_drawing_test
