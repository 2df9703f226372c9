// The start-up log window: its log, the crash log beside it, and when it
// closes itself.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <QCoreApplication>
#include <QFile>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include "ide/main/crash_log.h"
#include "ide/main/startup_window.h"
#include "ide/texts/texts.h"
#include "ide/workbench/library_file.h"
#include "ide_fixture.h"

namespace {

namespace fs = std::filesystem;

const char LogFolderName[] = "Veltrona Tarnwick Baseline edition";

std::string ReadFile(const QString& path)
{
    std::ifstream file(path.toStdString(), std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

std::string AsFileText(const QStringList& lines)
{
    std::string text;
    for (const QString& line : lines)
        text += line.toStdString() + "\n";
    return text;
}

void PressKey(QWidget& window, Qt::Key key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &press);
}

unsigned Permissions(const QString& path)
{
    struct stat status {};
    EXPECT_EQ(::lstat(QFile::encodeName(path).constData(), &status), 0) << path.toStdString();
    return status.st_mode & 0777;
}

class StartupWindowTest : public testing::Test {
protected:
    void SetUp() override { twtest::EnsureApplication(); }

    QString LogFolder() const { return temporary.path(QString::fromLatin1(LogFolderName)); }
    QString LogFile() const { return LogFolder() + QStringLiteral("/CrashLog.txt"); }

    // The lines of a start-up in which no crash log can be written: the first
    // line, the one failure line, then the search of an empty folder.
    QStringList LinesWithOneFailure() const
    {
        return {GetText(2000), GetText(1011) + " " + LogFile(), GetText(2002), GetText(2003)};
    }

    twtest::ScopedTemporaryFolder temporary;
    twtest::ProgramFolder program;
    TDeviceHost host;
};

TEST_F(StartupWindowTest, StartUpLogsTheSearchAndKeepsItAsTheCrashLog)
{
    const QString corvel = QString::fromStdString((program.root() / "corvel.so").string());
    fs::copy_file(twtest::binDir() / "corvel.so", corvel.toStdString());
    const QString bogus = program.write("bogus.quodev", "not a library");
    const QString output = program.place("devlib_output", "devices/output.so");
    const QString missing = program.place("devlib_missing_entry", "missing.so");

    TformSplash splash(host, program.path(""), true);
    EXPECT_EQ(splash.exec(), QDialog::Accepted);

    const QString corvelResult =
        InspectLibraryFile(corvel) == TLibraryFileKind::DeviceLibrary ? "[Ok]" : "[ER4]";
    const QStringList expected = {
        GetText(2000), GetText(2002), GetText(2003),
        "[Loading]" + bogus, "[ER2]" + bogus,
        "[Loading]" + corvel, corvelResult + corvel,
        "[Loading]" + output, "[Ok]" + output,
        "[Loading]" + missing, "[ER4]" + missing,
    };
    EXPECT_EQ(splash.LogLines(), expected);
    EXPECT_EQ(ReadFile(LogFile()), AsFileText(expected));
    EXPECT_EQ(CrashLogPath(), LogFile());
    EXPECT_FALSE(splash.CrashLogFailed());
    // The temporary folder is shared with other users.
    EXPECT_EQ(Permissions(LogFolder()), 0700u);
    EXPECT_EQ(Permissions(LogFile()), 0600u);
}

TEST_F(StartupWindowTest, AnyArgumentShortensTheStayAfterTheSearch)
{
    const struct {
        bool anyArgument;
        int interval;
    } cases[] = {{false, 1000}, {true, 1}};
    for (const auto& c : cases) {
        TformSplash splash(host, program.path(""), c.anyArgument);
        EXPECT_FALSE(splash.tmrClose->isActive());
        splash.FormActivate();
        EXPECT_TRUE(splash.tmrClose->isActive());
        EXPECT_EQ(splash.tmrClose->interval(), c.interval);
        // A second activation neither logs nor searches again.
        const QStringList lines = splash.LogLines();
        splash.FormActivate();
        EXPECT_EQ(splash.LogLines(), lines);
    }
}

TEST_F(StartupWindowTest, AClickOnThePictureHoldsTheWindowUntilXOrEsc)
{
    TformSplash splash(host, program.path(""), false);
    splash.show();
    splash.FormActivate();
    EXPECT_TRUE(splash.X->isHidden());

    splash.Image1Click();
    EXPECT_FALSE(splash.tmrClose->isActive());
    EXPECT_FALSE(splash.X->isHidden());

    splash.X->click();
    EXPECT_TRUE(splash.tmrClose->isActive());
    EXPECT_TRUE(splash.X->isHidden());

    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
        splash.Image1Click();
        EXPECT_FALSE(splash.X->isHidden());
        PressKey(splash, key);
        EXPECT_TRUE(splash.tmrClose->isActive());
        EXPECT_TRUE(splash.X->isHidden());

        // With X hidden, the key neither closes the window nor touches the timer.
        PressKey(splash, key);
        EXPECT_TRUE(splash.isVisible());
        EXPECT_TRUE(splash.tmrClose->isActive());
    }

    splash.tmrCloseTimer();
    EXPECT_FALSE(splash.isVisible());
    EXPECT_EQ(splash.result(), QDialog::Accepted);
}

TEST_F(StartupWindowTest, ACrashLogThatCannotBeWrittenSafelyYieldsOneLogLine)
{
    const fs::path elsewhere = program.root() / "elsewhere";
    fs::create_directories(elsewhere);
    const fs::path target = elsewhere / "target.txt";
    std::ofstream(target) << "keep";
    const fs::path folder = LogFolder().toStdString();

    const struct {
        const char* name;
        std::function<void()> prepare;
    } cases[] = {
        {"the folder is a symbolic link", [&] { fs::create_directory_symlink(elsewhere, folder); }},
        {"the file is a symbolic link",
         [&] {
             fs::create_directory(folder);
             fs::create_symlink(target, folder / "CrashLog.txt");
         }},
        {"the file has a second name",
         [&] {
             fs::create_directory(folder);
             fs::create_hard_link(target, folder / "CrashLog.txt");
         }},
        {"a file stands at the folder's name", [&] { std::ofstream(folder) << "x"; }},
        {"a folder stands at the file's name",
         [&] { fs::create_directories(folder / "CrashLog.txt"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(folder);
        c.prepare();

        TformSplash splash(host, program.path(""), true);
        splash.FormActivate();
        EXPECT_TRUE(splash.CrashLogFailed());
        EXPECT_EQ(splash.LogLines(), LinesWithOneFailure());
        EXPECT_EQ(ReadFile(QString::fromStdString(target.string())), "keep");
        EXPECT_FALSE(fs::exists(elsewhere / "CrashLog.txt"));
    }
    fs::remove_all(folder);
}

TEST_F(StartupWindowTest, AnOwnLogFolderOpenToOthersIsClosedBeforeTheLogIsWritten)
{
    const fs::path folder = LogFolder().toStdString();
    fs::create_directory(folder);
    fs::permissions(folder, fs::perms::all);

    TformSplash splash(host, program.path(""), true);
    splash.FormActivate();
    EXPECT_FALSE(splash.CrashLogFailed());
    EXPECT_EQ(Permissions(LogFolder()), 0700u);
    EXPECT_EQ(ReadFile(LogFile()), AsFileText(splash.LogLines()));
}

} // namespace
