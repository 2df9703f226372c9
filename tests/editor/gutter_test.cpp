// The line-number gutter's texts and width, and the gutter pictures.
#include <set>

#include "editor_fixture.h"
#include "ide/asm/gutter_pictures.h"

namespace gutter_test {
namespace {

QString Lines(int count)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << QStringLiteral("  NOP");
    return lines.join(QLatin1Char('\n'));
}

TEST(LineNumberGutter, TextsOfTwelveLines)
{
    const QStringList expected = {"1", "•", "•", "•", "-", "•", "•", "•", "•", "10", "•", "•"};
    for (int line = 1; line <= 12; ++line)
        EXPECT_EQ(LineNumberText(line), expected[line - 1]) << "line " << line;
    EXPECT_EQ(LineNumberText(15), "-");
    EXPECT_EQ(LineNumberText(100), "100");
    EXPECT_EQ(LineNumberText(105), "-");
}

TEST(LineNumberGutter, WidthFollowsTheDigitsOfTheLineCount)
{
    struct Case {
        int lines;
        int width;
    };
    for (const Case& c : {Case{1, 36}, Case{9, 36}, Case{10, 44}, Case{99, 44}, Case{100, 52}, Case{10000, 68}}) {
        EXPECT_EQ(LineGutterWidth(c.lines), c.width) << c.lines << " lines";
        auto window = twtest::OpenSource(Lines(c.lines));
        ASSERT_EQ(window->LineCount(), c.lines);
        EXPECT_EQ(window->RV->width(), c.width) << c.lines << " lines";
        EXPECT_EQ(window->RVE->x(), c.width) << c.lines << " lines";
    }
}

TEST(LineNumberGutter, TenthLineWidensTheGutterAndMovesTheEditor)
{
    auto window = twtest::OpenSource(Lines(9));
    const int editorWidth = window->RVE->width();
    twtest::PlaceCaret(*window, 8, 5);
    twtest::Type(window->RVE, "\n  NOP");
    EXPECT_EQ(window->LineCount(), 10);
    EXPECT_EQ(window->RV->width(), 44);
    EXPECT_EQ(window->RVE->x(), 44);
    EXPECT_EQ(window->RVE->width(), editorWidth - 8);
    // The breakpoint gutter keeps its place over the numbers' left part.
    EXPECT_EQ(window->RVbp->geometry(), QRect(-4, 0, 27, window->RV->height()));
}

TEST(GutterPictures, SixDistinctTwelvePixelPictures)
{
    std::set<QByteArray> seen;
    for (int index = 0; index < GutterPictureCount; ++index) {
        const QImage& picture = GutterPicture(index);
        ASSERT_EQ(picture.size(), QSize(12, 12)) << index;
        EXPECT_EQ(picture.pixelColor(0, 0).alpha(), 0) << "corner of picture " << index << " is transparent";
        seen.insert(QByteArray(reinterpret_cast<const char*>(picture.constBits()), picture.sizeInBytes()));
    }
    EXPECT_EQ(seen.size(), 6u);
    EXPECT_TRUE(GutterPicture(6).isNull());
    EXPECT_TRUE(GutterPicture(-1).isNull());
    // The breakpoint disc is red in its middle; the plain arrow is blue there.
    const QColor disc = GutterPicture(PictureBreakpoint).pixelColor(6, 6);
    EXPECT_GT(disc.red(), 180);
    EXPECT_LT(disc.blue(), 80);
    const QColor arrow = GutterPicture(PictureExecuting).pixelColor(6, 6);
    EXPECT_GT(arrow.blue(), 180);
    EXPECT_LT(arrow.red(), 80);
}

} // namespace

} // namespace gutter_test
