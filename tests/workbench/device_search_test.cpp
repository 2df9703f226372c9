// The start-up search for device libraries: which files are probed in which
// order, what the log says about each, and what the host keeps.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <QColor>

#include <gtest/gtest.h>

#include "host_fixture.h"
#include "ide/texts/texts.h"

namespace device_search_test {
namespace {

using twtest::ProgramFolder;

QStringList Headers()
{
    return {GetText(2002), GetText(2003)};
}

// "[Loading]" and the result line of one file.
QStringList Probed(const QString& path, const QString& result)
{
    return {"[Loading]" + path, result + path};
}

TEST(DeviceSearchTest, LogsEveryCandidateAndKeepsTheAcceptedInDiscoveryOrder)
{
    ProgramFolder folder;
    // Peripheral libraries in two folders, the microcontroller library, and
    // every kind of file a search may meet beside them.
    folder.place("devlib_output", "z_output.quodev");
    folder.place("devlib_input", "sub/a_input.quodev");
    folder.write("notes.quodev", "Not a library, whatever its name says.\n");
    folder.place("devlib_chip", "chips/chip.so");
    folder.place("devlib_plain", "plain.so");
    folder.place("devlib_missing_entry", "missing.so");
    folder.place("devlib_version_blank", "bad/blank.so");
    folder.place("devlib_version_refused", "bad/refused.so");
    folder.place("devlib_null_info", "bad/null_info.so");
    folder.place("devlib_no_models", "bad/no_models.so");
    folder.place("devlib_version_result5", "bad/result5.so");
    folder.write("readme.txt", "neither mask matches");

    unsetenv("DEVLIB_PLAIN_LOADED");
    TDeviceHost host;
    const QStringList log = twtest::Search(host, folder);

    // Every ".quodev" before every ".so"; each folder in name order, walked
    // where it is met.
    QStringList expected = Headers();
    const std::pair<const char*, const char*> files[] = {
        {"notes.quodev", "[ER2]"},    {"sub/a_input.quodev", "[Ok]"},  {"z_output.quodev", "[Ok]"},
        {"bad/blank.so", "[ER3]"},    {"bad/no_models.so", "[ER3]"},   {"bad/null_info.so", "[ER3]"},
        {"bad/refused.so", "[ER3]"},  {"bad/result5.so", "[Ok]"},      {"chips/chip.so", "[Ok]"},
        {"missing.so", "[ER4]"},      {"plain.so", "[ER4]"},
    };
    for (const auto& [file, result] : files)
        expected += Probed(folder.path(file), QString::fromLatin1(result));
    EXPECT_EQ(log, expected);

    // The plain shared object was judged from its bytes and never loaded.
    EXPECT_EQ(std::getenv("DEVLIB_PLAIN_LOADED"), nullptr);

    struct Entry {
        const char* file;
        std::uint8_t type;
        const char* typeText;
        const char* family;
        std::vector<const char*> models;
    };
    const Entry entries[] = {
        {"sub/a_input.quodev", 2, "Test inputs", "INPUT", {"In1"}},
        {"z_output.quodev", 1, "Test outputs", "OUTPUT", {"Out1"}},
        {"bad/result5.so", 1, "Result five", "FAULTY", {"Model0"}},
        {"chips/chip.so", 0, "Test chips", "TESTCHIP", {"Chip8", "Chip8B"}},
    };
    ASSERT_EQ(host.InfoDevices().size(), std::size(entries));
    for (std::size_t index = 0; index < std::size(entries); ++index) {
        SCOPED_TRACE(entries[index].file);
        const TDeviceLibraryInfo& info = *host.InfoDevices()[index];
        EXPECT_EQ(info.FilePath, folder.path(entries[index].file));
        EXPECT_EQ(info.evFileName.toQString(), info.FilePath);
        EXPECT_EQ(info.vType, entries[index].type);
        EXPECT_EQ(info.vSType.view(), entries[index].typeText);
        EXPECT_EQ(info.vSFamily.view(), entries[index].family);
        ASSERT_EQ(info.vSModel.length(), std::int32_t(entries[index].models.size()));
        for (std::size_t model = 0; model < entries[index].models.size(); ++model)
            EXPECT_EQ(info.vSModel[std::int32_t(model)].view(), entries[index].models[model]);
        // Probed and closed again: nothing is bound until a device is made.
        EXPECT_FALSE(info.evLoaded);
        EXPECT_EQ(info.evLibHandle, nullptr);
        EXPECT_EQ(info.Get_Device_class, nullptr);
        EXPECT_FALSE(twtest::IsLoaded(info.FilePath));
    }
}

// Each refusal code, and acceptance, for one file probed on its own.
TEST(DeviceSearchTest, ProbeCodesPerFile)
{
    ProgramFolder folder;
    struct Case {
        QString path;
        std::int32_t code; // 0: accepted
    };
    const Case cases[] = {
        {folder.path("gone.quodev"), dfeFileMissing},
        {folder.write("text.quodev", "plain text\n"), dfeNotLoadable},
        {folder.write("empty.so", ""), dfeNotLoadable},
        {folder.place("devlib_plain", "plain.so"), dfeMissingEntryPoint},
        {folder.place("devlib_missing_entry", "missing.so"), dfeMissingEntryPoint},
        {folder.place("devlib_version_blank", "blank.so"), dfeInterfaceRefused},
        {folder.place("devlib_version_refused", "refused.so"), dfeInterfaceRefused},
        {folder.place("devlib_null_info", "null_info.so"), dfeInterfaceRefused},
        {folder.place("devlib_no_models", "no_models.so"), dfeInterfaceRefused},
        {folder.place("devlib_version_result5", "result5.so"), dfeNone},
        {folder.place("devlib_basic", "basic.quodev"), dfeNone},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.path.toStdString());
        TDeviceHost host;
        EXPECT_EQ(host.ProbeDeviceFile(test.path), test.code == dfeNone);
        EXPECT_EQ(host.DeviceFileError(), test.code);
        EXPECT_EQ(host.InfoDevices().size(), test.code == dfeNone ? 1u : 0u);
        EXPECT_FALSE(twtest::IsLoaded(test.path));
    }
}

TEST(DeviceSearchTest, AnErrorCodeStaysThroughLaterSuccesses)
{
    ProgramFolder folder;
    TDeviceHost host;
    EXPECT_FALSE(host.ProbeDeviceFile(folder.place("devlib_missing_entry", "a.so")));
    EXPECT_TRUE(host.ProbeDeviceFile(folder.place("devlib_basic", "b.so")));
    EXPECT_EQ(host.DeviceFileError(), dfeMissingEntryPoint);
}

TEST(DeviceSearchTest, FirstOfTwoLibrariesWithTheSameIdentityWins)
{
    ProgramFolder folder;
    const QString first = folder.place("devlib_output", "a.quodev");
    const QString second = folder.place("devlib_output", "b.quodev");
    const QString third = folder.place("devlib_output", "sub/c.so");
    const QString other = folder.place("devlib_basic", "d.quodev");
    TDeviceHost host;
    const QStringList log = twtest::Search(host, folder);

    EXPECT_EQ(log, Headers() + Probed(first, "[Ok]") + Probed(second, "[Ok]") + Probed(other, "[Ok]")
                       + Probed(third, "[Ok]"));
    ASSERT_EQ(host.InfoDevices().size(), 2u);
    EXPECT_EQ(host.InfoDevices()[0]->FilePath, first);
    EXPECT_EQ(host.InfoDevices()[1]->FilePath, other);
}

TEST(DeviceSearchTest, AFileDeletedBeforeItsTurnIsReportedMissing)
{
    ProgramFolder folder;
    const QString first = folder.place("devlib_output", "a.quodev");
    const QString second = folder.place("devlib_input", "b.quodev");
    TDeviceHost host;
    QStringList log;
    host.SearchDeviceFiles(
        [&](const QString& line) {
            log << line;
            if (line == "[Loading]" + first)
                std::filesystem::remove(second.toStdString());
        },
        folder.path(""));
    EXPECT_EQ(log, Headers() + Probed(first, "[Ok]") + Probed(second, "[ER1]"));
    EXPECT_EQ(host.InfoDevices().size(), 1u);
}

TEST(DeviceSearchTest, AnEmptyOrMissingFolderGivesTheHeadersOnly)
{
    ProgramFolder folder;
    folder.write("sub/readme.txt", "nothing here");
    for (const QString& root : {folder.path(""), folder.path("does-not-exist")}) {
        TDeviceHost host;
        QStringList log;
        host.SearchDeviceFiles([&](const QString& line) { log << line; }, root);
        EXPECT_EQ(log, Headers());
        EXPECT_TRUE(host.InfoDevices().empty());
    }
}

// A folder given relative to the working directory still yields absolute
// paths, so the loader never looks the name up in its own search folders.
TEST(DeviceSearchTest, PathsAreAbsoluteWhateverTheFolderLooksLike)
{
    ProgramFolder folder;
    folder.place("devlib_output", "out.quodev");
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(folder.root());
    TDeviceHost host;
    QStringList log;
    host.SearchDeviceFiles([&](const QString& line) { log << line; }, QStringLiteral("./"));
    std::filesystem::current_path(previous);
    EXPECT_EQ(log, Headers() + Probed(folder.path("out.quodev"), "[Ok]"));
}

TEST(DeviceSearchTest, TheIconIsTheHostsOwnCopy)
{
    ProgramFolder folder;
    const QString path = folder.place("devlib_output", "out.quodev");
    TDeviceHost host;
    ASSERT_TRUE(host.ProbeDeviceFile(path));
    // The library drew its icon over its own constant pixels; it is unloaded
    // now, and the host's icon must still read.
    ASSERT_FALSE(twtest::IsLoaded(path));
    const QImage* icon = host.InfoDevices()[0]->vIcon;
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->size(), QSize(4, 2));
    EXPECT_EQ(QColor(icon->pixel(3, 1)), QColor(Qt::green));
}

TEST(DeviceSearchTest, ALibraryClaimingBoundEntryPointsIsNotBelieved)
{
    ProgramFolder folder;
    TDeviceHost host;
    ASSERT_TRUE(host.ProbeDeviceFile(folder.place("devlib_loaded_flag", "flag.quodev")));
    EXPECT_FALSE(host.InfoDevices()[0]->evLoaded);
}

// Paths are kept whole: the short-string copy is cut at 255 bytes, the
// library is found again from the full one.
TEST(DeviceSearchTest, APathLongerThan255BytesIsKeptWhole)
{
    ProgramFolder folder;
    std::string relative;
    for (int level = 0; level < 6; ++level)
        relative += std::string(50, char('a' + level)) + "/";
    relative += "output.quodev";
    const QString path = folder.place("devlib_output", relative);
    ASSERT_GT(path.toUtf8().size(), 300);

    TDeviceHost host;
    EXPECT_EQ(twtest::Search(host, folder), Headers() + Probed(path, "[Ok]"));
    ASSERT_EQ(host.InfoDevices().size(), 1u);
    const TDeviceLibraryInfo& info = *host.InfoDevices()[0];
    EXPECT_EQ(info.FilePath, path);
    EXPECT_EQ(info.evFileName.length, 255);
    EXPECT_EQ(info.evFileName.toQString(), path.left(255));

    ASSERT_TRUE(host.LoadDeviceLibrary(0));
    EXPECT_TRUE(twtest::IsLoaded(path));
}

} // namespace

} // namespace device_search_test
