// The chip's prepared pictures: the names and sizes the drawing relies on, the
// package geometry (stubs, body, free overlay columns) and what the running
// pictures keep.
#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "mcu-device/chip_pictures.h"

namespace chip_pictures_test {
namespace {

using corvel::chipPackagePicture;
using corvel::chipPicture;
using corvel::chipPictureNames;

constexpr QRgb kWhite = 0xFFFFFFFF;

const char* const kModels[16] = {
    "PIC10F200", "PIC10F202", "PIC10F204", "PIC10F206", "PIC10F220", "PIC10F222", "PIC12F508", "PIC12F509",
    "PIC12F510", "PIC12F519", "PIC16F505", "PIC16F506", "PIC16F526", "PIC16F54",  "PIC16F57",  "PIC16F59",
};

int pinRows(int type)
{
    if (type <= 9)
        return 4;
    if (type <= 12)
        return 7;
    return type == 13 ? 9 : type == 14 ? 14 : 20;
}

// Runs `check` on the static and running picture of every model.
template <typename Check>
void forEachPackagePicture(Check check)
{
    for (int type = 0; type < 16; ++type)
        for (bool running : {false, true}) {
            SCOPED_TRACE(std::string(kModels[type]) + (running ? "_free" : ""));
            check(type, running, chipPackagePicture(type, running));
        }
}

bool isDark(QRgb pixel)
{
    return qGray(pixel) < 96;
}

struct Rect {
    int x, y, w, h;
};

// Parts of the rectangle outside the image are ignored.
bool allWhite(const QImage& image, Rect r)
{
    for (int y = std::max(r.y, 0); y < std::min(r.y + r.h, image.height()); ++y)
        for (int x = std::max(r.x, 0); x < std::min(r.x + r.w, image.width()); ++x)
            if (image.pixel(x, y) != kWhite)
                return false;
    return true;
}

TEST(ChipPictures, AllNamesInLoadOrderAreOpaqueImages)
{
    const auto names = chipPictureNames();
    ASSERT_EQ(names.size(), 114u);
    EXPECT_EQ(names[0], "PIC10F200");
    EXPECT_EQ(names[1], "PIC10F200_free");
    EXPECT_EQ(names[31], "PIC16F59_free");
    EXPECT_EQ(names[32], "r0");
    EXPECT_EQ(names[113], "AN1C1INn");
    for (std::string_view name : names) {
        SCOPED_TRACE(std::string(name));
        const QImage& picture = chipPicture(name);
        ASSERT_FALSE(picture.isNull());
        EXPECT_EQ(picture.format(), QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                ASSERT_EQ(qAlpha(picture.pixel(x, y)), 255) << x << "," << y;
    }
}

// ctest runs every test in a process of its own, so here the threads race for
// the first use: all must get the one set of pictures.
TEST(ChipPictures, FirstUseFromManyThreadsPreparesOneSet)
{
    std::vector<const QImage*> seen(8);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < seen.size(); ++i)
        threads.emplace_back([&seen, i] { seen[i] = &chipPicture(i % 2 ? "PIC16F59_free" : "pic16f59_FREE"); });
    for (std::thread& thread : threads)
        thread.join();
    for (const QImage* picture : seen)
        EXPECT_EQ(picture, &chipPackagePicture(15, true));
    EXPECT_EQ(seen[0]->height(), 364);
}

TEST(ChipPictures, LookupIgnoresCaseAndRefusesUnknownNames)
{
    EXPECT_EQ(&chipPicture("pic16f54_FREE"), &chipPicture("PIC16F54_free"));
    EXPECT_EQ(&chipPicture("HITOLO"), &chipPicture("HiToLo"));
    EXPECT_EQ(&chipPicture("Cout"), &chipPicture("cout"));
    EXPECT_TRUE(chipPicture("SLASH").isNull()); // in the original resources, never loaded
    EXPECT_TRUE(chipPicture("").isNull());
    EXPECT_TRUE(chipPicture("PIC16F54_fre").isNull());
    EXPECT_TRUE(chipPackagePicture(16, false).isNull());
    EXPECT_TRUE(chipPackagePicture(-1, true).isNull());
    EXPECT_EQ(&chipPackagePicture(15, true), &chipPicture("PIC16F59_free"));
}

TEST(ChipPictures, SmallPicturesHaveTheirFixedSizes)
{
    struct Size {
        const char* name;
        int width, height;
    };
    const Size sizes[] = {
        {"r0", 6, 9},     {"r1", 6, 9},     {"r3", 6, 9},      {"In", 7, 7},      {"Out", 7, 7},
        {"In2", 7, 7},    {"Out2", 7, 7},   {"HiToLo", 5, 9},  {"LoToHi", 5, 9},  {"GP0", 13, 5},
        {"GP5", 13, 5},   {"MCLR", 18, 7},  {"T0CKI", 18, 5},  {"Fosc4", 19, 5},  {"CINp", 14, 5},
        {"CINn", 14, 5},  {"cout", 17, 5},  {"C1OUT", 22, 5},  {"AN0", 14, 5},    {"AN1", 14, 5},
        {"AN2", 14, 5},   {"OSC1", 17, 5},  {"OSC2", 17, 5},   {"AN0C1INp", 19, 12},
        {"AN1C1INn", 18, 12}, {"dot", 2, 5}, {"minus", 3, 5},  {"V", 4, 5},
    };
    for (const Size& size : sizes) {
        SCOPED_TRACE(size.name);
        EXPECT_EQ(chipPicture(size.name).size(), QSize(size.width, size.height));
    }
    for (int digit = 0; digit <= 9; ++digit)
        EXPECT_EQ(chipPicture("sd" + std::to_string(digit)).size(), QSize(4, 5));
    // The labels nobody places still are five rows of text.
    for (const char* name : {"RA0", "RE7", "CLKIN", "CLKOUT", "C1INp", "C2INn", "C2OUT", "CVref"})
        EXPECT_EQ(chipPicture(name).height(), 5) << name;
}

TEST(ChipPictures, PackagesHaveTheirSizes)
{
    const int heights[16] = {77, 77, 77, 77, 77, 77, 77, 77, 77, 77, 131, 131, 131, 167, 257, 364};
    for (int type = 0; type < 16; ++type) {
        SCOPED_TRACE(kModels[type]);
        const QSize size(110, heights[type]);
        EXPECT_EQ(chipPicture(kModels[type]).size(), size);
        EXPECT_EQ(chipPicture(std::string(kModels[type]) + "_free").size(), size);
        EXPECT_EQ(&chipPackagePicture(type, false), &chipPicture(kModels[type]));
    }
}

// Stubs at x 24..31 and 78..85, y 13+18r .. 18+18r; the 2-pixel outline of the
// body at x 30..81 from y 9; white beside and between the stubs.
TEST(ChipPictures, StubsAndBodyAreWhereTheGeometrySays)
{
    forEachPackagePicture([&](int type, bool, const QImage& picture) {
        const int h = picture.height();
        for (int row = 0; row < pinRows(type); ++row) {
            const int top = 13 + 18 * row;
            for (int y = top; y <= top + 5; ++y)
                for (int x : {24, 27, 29, 31, 78, 80, 82, 85})
                    ASSERT_TRUE(isDark(picture.pixel(x, y))) << "row " << row << " x " << x << " y " << y;
            for (int x : {26, 83}) {
                EXPECT_FALSE(isDark(picture.pixel(x, top - 1))) << "above row " << row;
                EXPECT_FALSE(isDark(picture.pixel(x, top + 6))) << "below row " << row;
            }
            EXPECT_FALSE(isDark(picture.pixel(23, top + 2)));
            EXPECT_FALSE(isDark(picture.pixel(86, top + 2)));
        }
        for (int y : {9, 10, h / 2, h - 2, h - 1})
            for (int x : {30, 31, 80, 81})
                ASSERT_TRUE(isDark(picture.pixel(x, y))) << x << "," << y;
        for (int x : {32, 40, 70, 79})
            EXPECT_TRUE(isDark(picture.pixel(x, h - 1)));
        EXPECT_FALSE(isDark(picture.pixel(55, h - 3))); // inside the outline
        EXPECT_TRUE(isDark(picture.pixel(35, 9)));
        EXPECT_FALSE(isDark(picture.pixel(55, 9))); // the notch at the top centre
        // The title stays on rows 1 to 7.
        EXPECT_TRUE(allWhite(picture, {0, 0, 110, 1}));
        EXPECT_TRUE(allWhite(picture, {0, 8, 30, 1}));
    });
}

// Outside the body a package picture holds nothing but its stubs and, at the
// arrow columns, its arrows: the mark, edge and voltage columns stay white.
TEST(ChipPictures, ColumnsOutsideTheBodyHoldOnlyArrows)
{
    forEachPackagePicture([&](int type, bool, const QImage& picture) {
        const int h = picture.height();
        EXPECT_TRUE(allWhite(picture, {0, 9, 14, h - 9}));
        EXPECT_TRUE(allWhite(picture, {96, 9, 14, h - 9}));
        for (int row = 0; row < pinRows(type); ++row) {
            EXPECT_TRUE(allWhite(picture, {14, 19 + 18 * row, 10, 12}));
            EXPECT_TRUE(allWhite(picture, {86, 19 + 18 * row, 10, 12}));
        }
    });
}

// Labels keep two columns clear of the outline on the left and of the stubs
// on the right, which reach two columns into the body on their rows; and two
// blank rows below the top of the outline (but for the notch) and above its
// bottom.
TEST(ChipPictures, LabelsStayClearOfOutlineAndStubs)
{
    forEachPackagePicture([&](int type, bool, const QImage& picture) {
        const int h = picture.height();
        EXPECT_TRUE(allWhite(picture, {32, 11, 1, h - 13}));
        for (int row = 0; row < pinRows(type); ++row)
            EXPECT_TRUE(allWhite(picture, {76, 12 + 18 * row, 2, 8})) << "row " << row;
        EXPECT_TRUE(allWhite(picture, {32, 11, 19, 2}));
        EXPECT_TRUE(allWhite(picture, {60, 11, 20, 2}));
        EXPECT_TRUE(allWhite(picture, {32, h - 4, 46, 2}));
    });
}

// Where labels of both sides share rows, a word's space (at least four blank
// columns) stays between them, so that "GP5" and "GP0/AN0" never read as one
// label; and the lines of one side never touch those of the other, not even
// at a corner.
TEST(ChipPictures, LabelsOfTheTwoSidesStayApart)
{
    const int type = 8; // PIC12F510: both sides carry stacked labels
    const QImage& picture = chipPackagePicture(type, false);
    const auto inkIn = [&](int y, int x0, int x1) {
        std::vector<int> columns;
        for (int x = x0; x <= x1; ++x)
            if (isDark(picture.pixel(x, y)))
                columns.push_back(x);
        return columns;
    };
    int sharedRows = 0;
    for (int y = 20; y < picture.height() - 3; ++y) {
        const std::vector<int> ink = inkIn(y, 34, 77);
        // The left labels start at x 34, the right ones end at x 75..77.
        const bool left = !ink.empty() && ink.front() <= 35;
        const bool right = !ink.empty() && ink.back() >= 74;
        if (!left || !right)
            continue;
        ++sharedRows;
        int widestGap = 0;
        for (size_t i = 1; i < ink.size(); ++i)
            widestGap = std::max(widestGap, ink[i] - ink[i - 1] - 1);
        EXPECT_GE(widestGap, 4) << "row " << y;
    }
    EXPECT_GT(sharedRows, 10);
}

// The arrows: the left ones are the mirror images of the right ones, and the
// tallest column of an arrow's ink is never its middle one, where it would
// read as a cross.
TEST(ChipPictures, ArrowsPointTheirWay)
{
    EXPECT_EQ(chipPicture("In").mirrored(true, false), chipPicture("In2"));
    EXPECT_EQ(chipPicture("Out").mirrored(true, false), chipPicture("Out2"));
    for (const char* name : {"In", "Out", "In2", "Out2"}) {
        SCOPED_TRACE(name);
        const QImage& arrow = chipPicture(name);
        int first = arrow.width(), last = -1, tallest = -1, tallestHeight = 0;
        for (int x = 0; x < arrow.width(); ++x) {
            int height = 0;
            for (int y = 0; y < arrow.height(); ++y)
                height += arrow.pixel(x, y) != kWhite;
            if (height == 0)
                continue;
            first = std::min(first, x);
            last = x;
            if (height > tallestHeight) {
                tallestHeight = height;
                tallest = x;
            }
        }
        ASSERT_EQ(last - first, 4);
        EXPECT_EQ(tallestHeight, 5);
        EXPECT_NE(tallest, (first + last) / 2);
        // The tip is next to the tallest column, on the side it points to.
        const bool pointsLeft = std::string_view(name) == "In" || std::string_view(name) == "Out2";
        EXPECT_EQ(tallest, pointsLeft ? first + 1 : last - 1);
    }
}

// The edge symbols leave their last column blank, so that one at the
// picture's right edge keeps a margin there; each shows its step: the falling
// one high on the left, the rising one high on the right.
TEST(ChipPictures, EdgeSymbolsKeepABlankColumnAndShowTheirStep)
{
    const QImage& falling = chipPicture("HiToLo");
    const QImage& rising = chipPicture("LoToHi");
    EXPECT_TRUE(allWhite(falling, {4, 0, 1, 9}));
    EXPECT_TRUE(allWhite(rising, {4, 0, 1, 9}));
    EXPECT_NE(falling.pixel(0, 1), kWhite);
    EXPECT_EQ(falling.pixel(0, 7), kWhite);
    EXPECT_EQ(rising.pixel(0, 1), kWhite);
    EXPECT_NE(rising.pixel(0, 7), kWhite);
}

// The free cells of the running pictures of the PIC10F and PIC12F: every
// label, arrow, mark, voltage and edge cell of the overlays is white.
TEST(ChipPictures, RunningPicturesLeaveTheOverlayCellsWhite)
{
    const std::vector<Rect> pic10 = {
        {63, 68, 14, 5}, {86, 66, 10, 7}, {92, 68, 18, 5}, {99, 66, 6, 9},  // GP0
        {33, 68, 14, 5}, {14, 66, 10, 7}, {0, 68, 18, 5},  {5, 66, 6, 9},   // GP1
        {33, 50, 19, 5}, {14, 48, 7, 7},  {5, 48, 6, 9},   {0, 48, 5, 9},   // GP2
        {59, 14, 18, 7}, {99, 11, 6, 9},                                    // GP3
    };
    const std::vector<Rect> pic12 = {
        {58, 28, 19, 12}, {86, 30, 10, 7}, {92, 32, 18, 5}, {99, 30, 6, 9}, // GP0
        {60, 45, 18, 12}, {86, 48, 10, 7}, {92, 50, 18, 5}, {99, 48, 6, 9}, // GP1
        {55, 68, 22, 5},  {86, 66, 10, 7}, {92, 68, 18, 5}, {99, 66, 6, 9}, {105, 66, 5, 9}, // GP2
        {33, 66, 18, 7},  {5, 66, 6, 9},                                    // GP3
        {33, 50, 17, 5},  {14, 48, 7, 7},  {5, 48, 6, 9},                   // GP4
        {33, 32, 17, 5},  {14, 30, 7, 7},  {5, 30, 6, 9},                   // GP5
    };
    for (int type = 0; type <= 9; ++type) {
        SCOPED_TRACE(kModels[type]);
        for (const Rect& cell : type <= 5 ? pic10 : pic12)
            EXPECT_TRUE(allWhite(chipPackagePicture(type, true), cell))
                << cell.x << "," << cell.y << " " << cell.w << "x" << cell.h;
    }
}

// The PIC16F5x running pictures keep every label: they differ from the static
// ones only in the arrow columns.
TEST(ChipPictures, Pic16F5xRunningPicturesDropOnlyThePortArrows)
{
    for (int type = 13; type <= 15; ++type) {
        SCOPED_TRACE(kModels[type]);
        const QImage& still = chipPackagePicture(type, false);
        const QImage& running = chipPackagePicture(type, true);
        bool anyDifference = false;
        for (int y = 0; y < still.height(); ++y)
            for (int x = 0; x < still.width(); ++x)
                if (still.pixel(x, y) != running.pixel(x, y)) {
                    anyDifference = true;
                    ASSERT_TRUE((x >= 14 && x <= 20) || (x >= 89 && x <= 95)) << x << "," << y;
                }
        EXPECT_TRUE(anyDifference);
    }
}

// The 10F and 12F running pictures leave out the port labels and keep the
// supply labels, so the body holds less ink than in the static picture; the
// PIC16F505 keeps the labels of its pins without alternate functions.
TEST(ChipPictures, RunningPicturesLeaveOutPortLabels)
{
    const auto ink = [](const QImage& image, Rect r) {
        int count = 0;
        for (int y = r.y; y < r.y + r.h; ++y)
            for (int x = r.x; x < r.x + r.w; ++x)
                count += isDark(image.pixel(x, y)) ? 1 : 0;
        return count;
    };
    // 10F200, left column: row 1 "Vdd" kept, row 3 "GP1" left out.
    EXPECT_EQ(ink(chipPackagePicture(0, false), {32, 30, 20, 9}), ink(chipPackagePicture(0, true), {32, 30, 20, 9}));
    EXPECT_GT(ink(chipPackagePicture(0, false), {32, 66, 20, 9}), 0);
    EXPECT_EQ(ink(chipPackagePicture(0, true), {32, 66, 20, 9}), 0);
    // 16F505: RC4 (left row 5) kept, RC5/T0CKI (left row 4) left out.
    EXPECT_GT(ink(chipPackagePicture(10, true), {32, 102, 20, 9}), 0);
    EXPECT_EQ(ink(chipPackagePicture(10, true), {32, 84, 30, 14}), 0);
    // 16F506: RC4/C2OUT left out, RC3 kept.
    EXPECT_EQ(ink(chipPackagePicture(11, true), {32, 102, 30, 14}), 0);
    EXPECT_GT(ink(chipPackagePicture(11, true), {32, 120, 20, 9}), 0);
}

} // namespace

} // namespace chip_pictures_test
