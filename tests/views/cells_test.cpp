// The bit cell and the breakpoint marker: their pictures, and what a click
// does to them.
#include <gtest/gtest.h>

#include "ide/main/binary_flag.h"
#include "ide/main/delta_break_point.h"
#include "views_fixture.h"

namespace cells_test {
namespace {

using twtest::ClickOn;
using twtest::PixelOf;
using twtest::Rgb;

class CellsTest : public testing::Test {
protected:
    twtest::ApplicationReady application;
};

struct CellCase {
    bool editable;
    bool value;
    bool delta;
    QRgb frame;
    QRgb fill;
};

TEST_F(CellsTest, FrameAndFillFollowExistenceValueAndChange)
{
    const QRgb red = Rgb(255, 0, 0);
    const CellCase cases[] = {
        {true, false, false, Rgb(192, 192, 192), Rgb(255, 255, 255)},
        {true, true, false, Rgb(192, 192, 192), Rgb(0, 0, 0)},
        {true, false, true, red, Rgb(255, 255, 255)},
        {true, true, true, red, Rgb(0, 0, 0)},
        {false, false, false, Rgb(128, 128, 128), Rgb(230, 230, 230)},
        {false, true, false, Rgb(128, 128, 128), Rgb(40, 40, 40)},
        {false, false, true, red, Rgb(230, 230, 230)},
        {false, true, true, red, Rgb(40, 40, 40)},
    };
    for (const CellCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "editable " << c.editable << " value " << c.value << " delta " << c.delta);
        TBinaryFlag cell;
        cell.resize(10, 10);
        cell.setReadOnl(c.editable);
        cell.setDelta(c.delta);
        cell.setValue(c.value);
        const QImage shown = cell.grab().toImage();
        for (const QPoint& edge : {QPoint(0, 0), QPoint(9, 0), QPoint(0, 9), QPoint(9, 9), QPoint(5, 0), QPoint(0, 5)})
            EXPECT_EQ(shown.pixel(edge) & 0xFFFFFF, c.frame) << edge.x() << "," << edge.y();
        for (const QPoint& inside : {QPoint(1, 1), QPoint(5, 5), QPoint(8, 8)})
            EXPECT_EQ(shown.pixel(inside) & 0xFFFFFF, c.fill) << inside.x() << "," << inside.y();
    }
}

TEST_F(CellsTest, ANewCellDrawsNothingAndExistenceShowsAtTheNextValue)
{
    TBinaryFlag cell;
    cell.resize(10, 10);
    EXPECT_FALSE(cell.Drawn());

    cell.setValue(true);
    EXPECT_EQ(PixelOf(&cell, 5, 5), Rgb(40, 40, 40));
    // Telling the cell its bit exists changes nothing on screen yet.
    cell.setReadOnl(true);
    EXPECT_EQ(PixelOf(&cell, 5, 5), Rgb(40, 40, 40));
    EXPECT_EQ(PixelOf(&cell, 0, 0), Rgb(128, 128, 128));
    cell.setValue(true);
    EXPECT_EQ(PixelOf(&cell, 5, 5), Rgb(0, 0, 0));
    EXPECT_EQ(PixelOf(&cell, 0, 0), Rgb(192, 192, 192));
}

TEST_F(CellsTest, AnExistingBitTogglesOnEachClickAndReportsIt)
{
    TBinaryFlag cell;
    cell.resize(10, 10);
    cell.setReadOnl(true);
    cell.setValue(false);
    int clicks = 0;
    QObject::connect(&cell, &TBinaryFlag::Clicked, [&] { ++clicks; });
    bool valueWhenReported = false;
    QObject::connect(&cell, &TBinaryFlag::Clicked, [&] { valueWhenReported = cell.value(); });

    ClickOn(&cell);
    EXPECT_TRUE(cell.value());
    EXPECT_TRUE(valueWhenReported);
    EXPECT_EQ(PixelOf(&cell, 5, 5), Rgb(0, 0, 0));
    ClickOn(&cell);
    EXPECT_FALSE(cell.value());
    EXPECT_EQ(PixelOf(&cell, 5, 5), Rgb(255, 255, 255));
    EXPECT_EQ(clicks, 2);
}

TEST_F(CellsTest, ABitThatDoesNotExistIgnoresClicks)
{
    TBinaryFlag cell;
    cell.resize(10, 10);
    cell.setValue(true);
    int clicks = 0;
    QObject::connect(&cell, &TBinaryFlag::Clicked, [&] { ++clicks; });
    ClickOn(&cell);
    ClickOn(&cell);
    EXPECT_TRUE(cell.value());
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(PixelOf(&cell, 5, 5), Rgb(40, 40, 40));
}

TEST_F(CellsTest, APressWithoutReleaseOrAReleaseOutsideIsNoClick)
{
    TBinaryFlag cell;
    cell.resize(10, 10);
    cell.setReadOnl(true);
    cell.setValue(false);
    int clicks = 0;
    QObject::connect(&cell, &TBinaryFlag::Clicked, [&] { ++clicks; });

    const QPointF inside(5, 5), outside(30, 5);
    QMouseEvent press(QEvent::MouseButtonPress, inside, cell.mapToGlobal(inside), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(&cell, &press);
    EXPECT_FALSE(cell.value());
    QMouseEvent away(QEvent::MouseButtonRelease, outside, cell.mapToGlobal(outside), Qt::LeftButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&cell, &away);
    EXPECT_FALSE(cell.value());
    EXPECT_EQ(clicks, 0);
}

TEST_F(CellsTest, ThreeClicksTakeTheMarkerThroughRedAndGreenBackToOff)
{
    TDeltaBreakPoint marker;
    marker.resize(11, 20);
    int clicks = 0;
    QObject::connect(&marker, &TDeltaBreakPoint::Clicked, [&] { ++clicks; });
    // The circle's middle, and a corner outside it.
    const QPoint middle(5, 10), corner(0, 0);

    struct Step {
        bool delta;
        bool green;
        QRgb middle;
    };
    const Step steps[] = {
        {true, false, Rgb(255, 0, 0)},
        {true, true, Rgb(0, 128, 0)},
        {false, false, Rgb(255, 255, 255)},
    };
    int expectedClicks = 0;
    for (const Step& step : steps) {
        ClickOn(&marker);
        ++expectedClicks;
        EXPECT_EQ(clicks, expectedClicks);
        EXPECT_EQ(marker.BPDelta(), step.delta);
        EXPECT_EQ(marker.BPGreenDelta(), step.green);
        EXPECT_EQ(PixelOf(&marker, middle.x(), middle.y()), step.middle);
        EXPECT_EQ(PixelOf(&marker, corner.x(), corner.y()), Rgb(255, 255, 255));
    }
}

TEST_F(CellsTest, TheMarkerReportsItsNewStateAndDrawsTheStateItIsGiven)
{
    TDeltaBreakPoint marker;
    marker.resize(11, 20);
    std::vector<std::pair<bool, bool>> reported;
    QObject::connect(&marker, &TDeltaBreakPoint::Clicked,
                     [&] { reported.emplace_back(marker.BPDelta(), marker.BPGreenDelta()); });
    ClickOn(&marker);
    ClickOn(&marker);
    const std::vector<std::pair<bool, bool>> expected = {{true, false}, {true, true}};
    EXPECT_EQ(reported, expected);

    // Off whatever the green flag says; the circle's top lies 5 pixels down.
    marker.setBPDelta(false);
    marker.setBPGreenDelta(true);
    EXPECT_EQ(PixelOf(&marker, 5, 10), Rgb(255, 255, 255));
    marker.setBPDelta(true);
    EXPECT_EQ(PixelOf(&marker, 5, 10), Rgb(0, 128, 0));
    EXPECT_EQ(PixelOf(&marker, 5, 2), Rgb(255, 255, 255));
    EXPECT_EQ(PixelOf(&marker, 5, 18), Rgb(255, 255, 255));
}

} // namespace

} // namespace cells_test
