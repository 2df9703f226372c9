// corvel as a device library: its answers to the entry points, first linked
// in, then as the host meets it, from a dlopen of the built corvel.so.
#include <memory>
#include <string>

#include <QString>
#include <gtest/gtest.h>

#include "chip_device_support.h"
#include "devices/device_library.h"
#include "mcu-device/library_face.h"
#include "mcu-device/library_texts.h"
#include "support/paths.h"
#include "texts/settings_store.h"

namespace library_face_test {
namespace {

const char* const kModelNames[] = {
    "PIC10F200", "PIC10F202", "PIC10F204", "PIC10F206", "PIC10F220", "PIC10F222", "PIC12F508", "PIC12F509",
    "PIC12F510", "PIC12F519", "PIC16F505", "PIC16F506", "PIC16F526", "PIC16F54",  "PIC16F57",  "PIC16F59",
};

class LibraryFace : public testing::Test {
protected:
    void SetUp() override { twtest::clearSettings(); }
    void TearDown() override
    {
        twtest::clearSettings();
        LanguageMC = 0;
    }
};

TEST_F(LibraryFace, WhatIsAnswersTheVersionCutToMaxLen)
{
    struct Case {
        std::int32_t maxLen;
        const char* answer;
    };
    for (const Case c : {Case{255, "1.0"}, Case{2, "1."}, Case{1, "1"}}) {
        TShortString dest = TShortString::from("garbage");
        EXPECT_EQ(What_is(&dest, c.maxLen), 0);
        EXPECT_EQ(dest.toStdString(), c.answer) << c.maxLen;
    }
}

TEST_F(LibraryFace, DescriptionListsTheSixteenModelsInSelectionOrder)
{
    const std::unique_ptr<TInfoDevice> info(Get_info_class());
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(corvel::InfoDeviceMC(), info.get());
    EXPECT_EQ(info->vType, 0);
    EXPECT_EQ(info->vSType.toStdString(), "Microchip PIC");
    EXPECT_EQ(info->vSFamily.toStdString(), "BASELINE");
    ASSERT_EQ(info->vSModel.length(), 16);
    for (int model = 0; model < 16; ++model)
        EXPECT_EQ(info->vSModel[model].toStdString(), kModelNames[model]);
    EXPECT_EQ(info->vIcon, nullptr);
    EXPECT_FALSE(info->evLoaded);
    EXPECT_EQ(info->evFileName.length, 0);
    EXPECT_EQ(info->evLibHandle, nullptr);
    EXPECT_EQ(info->Get_Device_class, nullptr);
    EXPECT_EQ(info->vSDisplayName.toStdString(), "Microcontroller Microchip Baseline Family");
}

TEST_F(LibraryFace, FreedDescriptionIsForgotten)
{
    TInfoDevice* info = Get_info_class();
    ASSERT_TRUE(corvel::isOwned(info, corvel::OwnedKind::Description));
    delete info;
    EXPECT_EQ(corvel::InfoDeviceMC(), nullptr);
    EXPECT_FALSE(corvel::isOwned(info, corvel::OwnedKind::Description));
}

TEST_F(LibraryFace, DisplayNameAndLanguageFollowTheSharedSetting)
{
    twtest::plantSetting(QStringLiteral("Lang"), 1);
    const std::unique_ptr<TInfoDevice> russian(Get_info_class());
    EXPECT_EQ(russian->vSDisplayName.toQString(), QStringLiteral("Микроконтроллер Microchip семейства Baseline"));

    // A chip device reloads the language as well.
    twtest::plantSetting(QStringLiteral("Lang"), 2);
    const twtest::DeviceHandle device = twtest::placeChip(corvel::kPic10F200);
    EXPECT_EQ(LanguageMC, 0);
    twtest::plantSetting(QStringLiteral("Lang"), 1);
    const twtest::DeviceHandle second = twtest::placeChip(corvel::kPic10F200);
    EXPECT_EQ(LanguageMC, 1);
}

// ---------------------------------------------------------------------------
// The built library, as the host loads it

class CorvelLibrary : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(library_.loaded()) << library_.error(); }

    twtest::DeviceLibrary library_{twtest::binDir() / "corvel.so"};
};

TEST_F(CorvelLibrary, HostProbeAcceptsItAndCopiesItsDescription)
{
    TInfoDevice host;
    ASSERT_EQ(probeLibrary(library_.entries(), host), TProbeOutcome::Accepted);
    ASSERT_EQ(host.vSModel.length(), 16);
    EXPECT_EQ(host.vSModel[13].toStdString(), "PIC16F54");
    EXPECT_EQ(host.vType, 0);
    EXPECT_EQ(host.vIcon, nullptr);
    EXPECT_EQ(host.vSDisplayName.toStdString(), "Microcontroller Microchip Baseline Family");
}

TEST_F(CorvelLibrary, DevicesAreDistinctAndEachAppliesItsOwnRecord)
{
    TInfoDevice info;
    library_.bindInto(info);
    std::unique_ptr<TDevice> first(createLibraryDevice(info, nullptr));
    std::unique_ptr<TDevice> second(createLibraryDevice(info, nullptr));
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first.get(), second.get());
    EXPECT_EQ(first->RCFamily().toStdString(), "BASELINE");
    EXPECT_EQ(first->LenSaveData(), 23);

    // A short record from a project file comes back complete once applied.
    twtest::replaceRecord(*second, "1");
    second->ApplySettings();
    EXPECT_EQ(second->LenSaveData(), 23);
    EXPECT_EQ(twtest::recordOf(*second).substr(12), "0" "004000000" "0");

    // The reset pin never drives; corvel's own code answers through the pin.
    EXPECT_TRUE(std::isnan(second->Port[3]->GetLevel()));

    // Freed by corvel's destructor, the older device first, then the current one.
    first.reset();
    second->ApplySettings();
    second.reset();
}

} // namespace

} // namespace library_face_test
