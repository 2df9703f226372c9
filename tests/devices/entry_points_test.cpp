// The host's side of the three entry points: the version check, the copy of
// a library's description, and the probe of malformed test libraries.
#include <climits>
#include <ostream>
#include <string>

#include <QImage>
#include <gtest/gtest.h>

#include "devices/contract.h"
#include "device_library.h"

namespace entry_points_test {
namespace {

using twtest::DeviceLibrary;
using twtest::devlibPath;

struct AnswerCase {
    const char* name;
    std::string answer;
    std::int32_t result;
    bool accepted;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const AnswerCase& c, std::ostream* os)
{
    *os << c.name;
}

class WhatIsAnswer : public testing::TestWithParam<AnswerCase> {};

TEST_P(WhatIsAnswer, OnlyExactlyOnePointZeroWithoutNegativeResult)
{
    const AnswerCase& c = GetParam();
    TShortString answer;
    answer.length = std::uint8_t(c.answer.size());
    c.answer.copy(answer.chars, c.answer.size());
    EXPECT_EQ(acceptsWhatIsAnswer(c.result, answer), c.accepted);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WhatIsAnswer,
    testing::Values(AnswerCase{"exact", "1.0", 0, true},
                    AnswerCase{"result_5", "1.0", 5, true},
                    AnswerCase{"result_max", "1.0", INT32_MAX, true},
                    AnswerCase{"result_minus_1", "1.0", -1, false},
                    AnswerCase{"result_min", "1.0", INT32_MIN, false},
                    AnswerCase{"trailing_blank", "1.0 ", 0, false},
                    AnswerCase{"trailing_zero_byte", std::string("1.0\0", 4), 0, false},
                    AnswerCase{"short", "1.", 0, false},
                    AnswerCase{"longer_version", "1.00", 0, false},
                    AnswerCase{"empty", "", 0, false},
                    AnswerCase{"other_version", "2.0", 0, false},
                    AnswerCase{"comma", "1,0", 0, false}),
    [](const testing::TestParamInfo<AnswerCase>& info) { return std::string(info.param.name); });

TEST(WhatIsAnswer, ByteAfterTheCountedOnesDoesNotMatter)
{
    TShortString answer = TShortString::from("1.0x");
    answer.length = 3;
    EXPECT_TRUE(acceptsWhatIsAnswer(0, answer));
}

TEST(WhatIs, LibrarySideCutsToMaxLen)
{
    struct Case {
        std::int32_t maxLen;
        const char* expected;
    };
    for (Case c : {Case{255, "1.0"}, Case{3, "1.0"}, Case{2, "1."}, Case{1, "1"}, Case{0, ""}, Case{-4, ""}}) {
        TShortString dest = TShortString::from("garbage");
        EXPECT_EQ(answerWhatIs(&dest, c.maxLen), 0);
        EXPECT_EQ(dest.toStdString(), c.expected) << c.maxLen;
    }
    EXPECT_LT(answerWhatIs(nullptr, 255), 0);
    EXPECT_FALSE(askWhatIs(nullptr));
    EXPECT_TRUE(askWhatIs(answerWhatIs));
}

// A description as a library hands it over.
TInfoDevice* libraryDescription()
{
    auto* info = new TInfoDevice;
    info->vType = 7;
    info->vSType = TShortString::from("Displays");
    info->vSFamily = TShortString::from("LCD");
    info->vSModel.resize(3);
    for (int i = 0; i < 3; ++i)
        info->vSModel[i] = TShortString::from("M" + std::to_string(i));
    info->vSDisplayName = TShortString::from("Character display");
    info->evFileName = TShortString::from("ignored");
    info->evLoaded = true;
    info->vIcon = new QImage(4, 4, QImage::Format_ARGB32_Premultiplied);
    info->vIcon->fill(Qt::yellow);
    return info;
}

TEST(CopyLibraryInfo, CopiesEveryFieldAndOwnsItsCopies)
{
    TInfoDevice host;
    TInfoDevice* library = libraryDescription();
    ASSERT_TRUE(copyLibraryInfo(library, host));
    delete library; // the host's copy must not point into it

    EXPECT_EQ(host.vType, 7);
    EXPECT_EQ(host.vSType.toStdString(), "Displays");
    EXPECT_EQ(host.vSFamily.toStdString(), "LCD");
    ASSERT_EQ(host.vSModel.length(), 3);
    EXPECT_EQ(host.vSModel[2].toStdString(), "M2");
    EXPECT_EQ(host.vSDisplayName.toStdString(), "Character display");
    EXPECT_EQ(host.evFileName.toStdString(), "ignored");
    ASSERT_NE(host.vIcon, nullptr);
    EXPECT_EQ(host.vIcon->pixelColor(1, 1), QColor(Qt::yellow));
}

TEST(CopyLibraryInfo, NeverTrustsTheLoadedFlag)
{
    TInfoDevice host;
    TInfoDevice* library = libraryDescription();
    ASSERT_TRUE(library->evLoaded);
    ASSERT_TRUE(copyLibraryInfo(library, host));
    EXPECT_FALSE(host.evLoaded);
    delete library;
}

TEST(CopyLibraryInfo, RefusesMissingDescriptionOrEmptyModelListUnchanged)
{
    TInfoDevice host;
    host.vType = 99;
    host.vSModel.resize(1);
    host.vSModel[0] = TShortString::from("kept");
    EXPECT_FALSE(copyLibraryInfo(nullptr, host));

    TInfoDevice* library = libraryDescription();
    library->vSModel.release();
    EXPECT_FALSE(copyLibraryInfo(library, host));
    delete library;

    EXPECT_EQ(host.vType, 99);
    ASSERT_EQ(host.vSModel.length(), 1);
    EXPECT_EQ(host.vSModel[0].toStdString(), "kept");
}

TEST(CopyLibraryInfo, ReplacesWhatTheHostHeldBefore)
{
    TInfoDevice host;
    TInfoDevice* first = libraryDescription();
    ASSERT_TRUE(copyLibraryInfo(first, host));
    delete first;
    TInfoDevice* second = libraryDescription();
    second->vSModel.resize(1);
    delete second->vIcon;
    second->vIcon = nullptr;
    ASSERT_TRUE(copyLibraryInfo(second, host));
    delete second;
    EXPECT_EQ(host.vSModel.length(), 1);
    EXPECT_EQ(host.vIcon, nullptr);
}

struct ProbeCase {
    const char* library;
    TProbeOutcome outcome;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const ProbeCase& c, std::ostream* os)
{
    *os << c.library;
}

class Probe : public testing::TestWithParam<ProbeCase> {};

TEST_P(Probe, JudgesTheLibrary)
{
    const ProbeCase& c = GetParam();
    DeviceLibrary library(devlibPath(c.library));
    ASSERT_TRUE(library.loaded()) << library.error();
    TInfoDevice host;
    host.vType = 200;
    EXPECT_EQ(probeLibrary(library.entries(), host), c.outcome);
    if (c.outcome == TProbeOutcome::Accepted) {
        EXPECT_FALSE(host.evLoaded);
        EXPECT_GE(host.vSModel.length(), 1);
    } else {
        EXPECT_EQ(host.vType, 200); // a refused library leaves the host's entry alone
        EXPECT_EQ(host.vSModel.length(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Libraries, Probe,
    testing::Values(ProbeCase{"devlib_basic", TProbeOutcome::Accepted},
                    ProbeCase{"devlib_version_blank", TProbeOutcome::VersionRefused},
                    ProbeCase{"devlib_version_refused", TProbeOutcome::VersionRefused},
                    ProbeCase{"devlib_version_result5", TProbeOutcome::Accepted},
                    ProbeCase{"devlib_null_info", TProbeOutcome::NoDescription},
                    ProbeCase{"devlib_no_models", TProbeOutcome::NoModels},
                    ProbeCase{"devlib_loaded_flag", TProbeOutcome::Accepted},
                    ProbeCase{"devlib_null_device", TProbeOutcome::Accepted},
                    ProbeCase{"devlib_missing_entry", TProbeOutcome::MissingEntryPoint}),
    [](const testing::TestParamInfo<ProbeCase>& info) { return std::string(info.param.library); });

TEST(Probe, NothingBoundIsMissingEntryPoints)
{
    TInfoDevice host;
    EXPECT_FALSE(bindEntryPoints(nullptr).complete());
    EXPECT_EQ(probeLibrary(TEntryPoints{}, host), TProbeOutcome::MissingEntryPoint);
}

TEST(Probe, IconOutlivesTheUnloadedLibrary)
{
    TInfoDevice host;
    {
        DeviceLibrary library(devlibPath("devlib_basic"));
        ASSERT_EQ(probeLibrary(library.entries(), host), TProbeOutcome::Accepted);
    }
    ASSERT_NE(host.vIcon, nullptr);
    EXPECT_EQ(host.vIcon->size(), QSize(16, 16));
    EXPECT_EQ(host.vIcon->pixelColor(8, 8), QColor(Qt::red));
    EXPECT_EQ(host.vSModel[1].toQString(), QStringLiteral("Probe4 ü"));
}

TEST(CreateLibraryDevice, NoDeviceIsARefusal)
{
    DeviceLibrary library(devlibPath("devlib_null_device"));
    TInfoDevice info;
    EXPECT_EQ(createLibraryDevice(info, nullptr), nullptr); // not bound yet
    library.bindInto(info);
    ASSERT_TRUE(info.evLoaded);
    EXPECT_EQ(createLibraryDevice(info, nullptr), nullptr);
}

TEST(CreateLibraryDevice, UnboundDescriptionCreatesNothing)
{
    DeviceLibrary library(devlibPath("devlib_loaded_flag"));
    TInfoDevice info;
    ASSERT_EQ(probeLibrary(library.entries(), info), TProbeOutcome::Accepted);
    EXPECT_EQ(createLibraryDevice(info, nullptr), nullptr);
}

} // namespace

} // namespace entry_points_test
