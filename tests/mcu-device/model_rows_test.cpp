// Every listed model as the chip device, its pictures and its configuration
// dialog show it, all taken from the model's catalogue row. The expected
// values are what the program showed before the rows carried them.
#include <string>

#include <QImage>
#include <gtest/gtest.h>

#include "chip_device_support.h"
#include "engine/catalogue.h"
#include "mcu-device/chip_pictures.h"
#include "mcu-device/chip_save_data.h"

namespace model_rows_test {
namespace {

using corvel::ConfigFamily;
using corvel::Package;
using corvel::Pinout;

struct RowCase {
    int model;
    const char* name;
    Package package;
    Pinout pinout;
    int pins;   // of the chip device
    int height; // of its picture
    ConfigFamily family;
    int ioscfsBit;
};

void PrintTo(const RowCase& c, std::ostream* os)
{
    *os << c.name;
}

constexpr RowCase kRows[] = {
    {0, "PIC10F200", Package::Dip8, Pinout::Pic10F200, 4, 77, ConfigFamily::Pic10F20x, -1},
    {1, "PIC10F202", Package::Dip8, Pinout::Pic10F200, 4, 77, ConfigFamily::Pic10F20x, -1},
    {2, "PIC10F204", Package::Dip8, Pinout::Pic10F204, 4, 77, ConfigFamily::Pic10F20x, -1},
    {3, "PIC10F206", Package::Dip8, Pinout::Pic10F204, 4, 77, ConfigFamily::Pic10F20x, -1},
    {4, "PIC10F220", Package::Dip8, Pinout::Pic10F220, 4, 77, ConfigFamily::Pic10F22x, 0},
    {5, "PIC10F222", Package::Dip8, Pinout::Pic10F220, 4, 77, ConfigFamily::Pic10F22x, 0},
    {6, "PIC12F508", Package::Dip8, Pinout::Pic12F508, 6, 77, ConfigFamily::Pic12F, -1},
    {7, "PIC12F509", Package::Dip8, Pinout::Pic12F508, 6, 77, ConfigFamily::Pic12F, -1},
    {8, "PIC12F510", Package::Dip8, Pinout::Pic12F510, 6, 77, ConfigFamily::Pic12F, 5},
    {9, "PIC12F519", Package::Dip8, Pinout::Pic12F508, 6, 77, ConfigFamily::Pic12F, 5},
    {10, "PIC16F505", Package::Dip14, Pinout::Pic16F505, 12, 131, ConfigFamily::None, -1},
    {11, "PIC16F506", Package::Dip14, Pinout::Pic16F506, 12, 131, ConfigFamily::None, -1},
    {12, "PIC16F526", Package::Dip14, Pinout::Pic16F506, 12, 131, ConfigFamily::None, -1},
    {13, "PIC16F54", Package::Dip18, Pinout::Pic16F54, 14, 167, ConfigFamily::Pic16F5x, -1},
    {14, "PIC16F57", Package::Dip28, Pinout::Pic16F57, 22, 257, ConfigFamily::Pic16F5x, -1},
    {15, "PIC16F59", Package::Dip40, Pinout::Pic16F59, 34, 364, ConfigFamily::Pic16F5x, -1},
};

// Pin stubs drawn down one side of a package picture: rows of 18 pixels from
// y 13, the left stubs at x 24..31, the right ones at x 78..85.
int stubsOnSide(const QImage& picture, int x)
{
    int stubs = 0;
    for (int y = 15; y < picture.height(); y += 18) {
        if (qGray(picture.pixel(x, y)) < 64)
            ++stubs;
    }
    return stubs;
}

class ModelRows : public testing::TestWithParam<RowCase> {};

TEST_P(ModelRows, TheRowNamesPackagePinsAndDialogFamily)
{
    const RowCase& c = GetParam();
    const corvel::ModelEntry* row = corvel::listedModel(c.model);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(std::string(row->name), c.name);
    EXPECT_EQ(row->package, c.package);
    EXPECT_EQ(row->pinout, c.pinout);
    EXPECT_EQ(int(row->pins.size()), c.pins);
    EXPECT_EQ(row->configFamily, c.family);
    EXPECT_EQ(corvel::save_data::ioscfsBit(c.model), c.ioscfsBit);
    EXPECT_EQ(corvel::save_data::internalFrequency(c.model, true), c.ioscfsBit >= 0 ? 8000000 : 4000000);
    EXPECT_EQ(&corvel::chipModel(c.model), row);
}

TEST_P(ModelRows, TheDeviceHasTheRowsPinsAndPicture)
{
    const RowCase& c = GetParam();
    const corvel::ModelEntry& row = *corvel::listedModel(c.model);
    const twtest::DeviceHandle device = twtest::placeChip(c.model);
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->RCModel().toStdString(), c.name);
    EXPECT_EQ(device->Height(), c.height);
    ASSERT_EQ(device->PortsCount(), c.pins);
    for (int port = 0; port < c.pins; ++port) {
        EXPECT_EQ(device->Port[port]->PortName().toStdString(), row.pins[size_t(port)].name);
        EXPECT_EQ(device->Port[port]->Direction(), row.pins[size_t(port)].inputOnly ? 1 : 3);
    }
}

TEST_P(ModelRows, ThePictureIsTheRowsPackageUnderTheRowsName)
{
    const RowCase& c = GetParam();
    const QImage& still = corvel::chipPackagePicture(c.model, false);
    const QImage& running = corvel::chipPackagePicture(c.model, true);
    ASSERT_FALSE(still.isNull());
    EXPECT_EQ(still.height(), c.height);
    EXPECT_EQ(running.size(), still.size());
    EXPECT_EQ(corvel::chipPicture(c.name), still);
    EXPECT_EQ(corvel::chipPicture(std::string(c.name) + "_free"), running);
    // One stub per pin of the package, half on each side.
    const int perSide = corvel::packagePinCount(c.package) / 2;
    EXPECT_EQ(stubsOnSide(still, 27), perSide);
    EXPECT_EQ(stubsOnSide(still, 81), perSide);
}

INSTANTIATE_TEST_SUITE_P(EveryModel, ModelRows, testing::ValuesIn(kRows),
                         [](const testing::TestParamInfo<RowCase>& info) { return std::string(info.param.name); });

TEST(ModelRowsCount, TheTableCoversEveryListedModel)
{
    EXPECT_EQ(std::size(kRows), size_t(corvel::kModelIndexCount));
    EXPECT_EQ(corvel::chipPictureNames().size(), 114u);
}

} // namespace

} // namespace model_rows_test
