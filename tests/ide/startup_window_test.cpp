// The start-up log window: its log, the crash log beside it, and when it
// closes itself.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <QCoreApplication>
#include <QFile>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <QTimer>

#include <gtest/gtest.h>

#include "ide/main/crash_log.h"
#include "ide/main/startup_picture.h"
#include "ide/main/startup_window.h"
#include "ide/texts/texts.h"
#include "ide/workbench/library_file.h"
#include "ide_fixture.h"

namespace startup_window_test {
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

namespace {

// However many lines the search writes, the log box shows its newest lines
// whole, one log line to a line of the box, with the last one at the bottom
// and no blank lines below it; a long path is shortened on screen only.
TEST_F(StartupWindowTest, TheLogBoxShowsItsNewestLinesUnwrapped)
{
    const std::string deep = "a-folder-with-a-rather-long-name/and-another-one-below-it/";
    for (int copy = 0; copy < 6; ++copy)
        program.place("devlib_output", deep + "output" + std::to_string(copy) + ".quodev");

    TformSplash splash(host, program.path(""), true);
    splash.show();
    splash.FormActivate();
    splash.tmrClose->stop();

    QPlainTextEdit* memo = splash.Memo;
    const QStringList lines = splash.LogLines();
    ASSERT_EQ(lines.size(), 3 + 2 * 6);
    EXPECT_EQ(memo->lineWrapMode(), QPlainTextEdit::NoWrap);
    ASSERT_EQ(memo->blockCount(), lines.size());
    EXPECT_TRUE(lines.last().endsWith("output5.quodev"));

    const int width = memo->viewport()->width();
    const int height = memo->viewport()->height();
    int index = 0;
    for (QTextBlock block = memo->document()->begin(); block.isValid(); block = block.next(), ++index) {
        SCOPED_TRACE(lines[index].toStdString());
        EXPECT_LE(memo->fontMetrics().horizontalAdvance(block.text()), width);
        EXPECT_EQ(block.layout()->lineCount(), 1);
        if (block.text() != lines[index]) {
            // Shortened in its middle: the status and the file name stay.
            EXPECT_TRUE(block.text().contains(QChar(0x2026)));
            EXPECT_EQ(block.text().left(4), lines[index].left(4));
            EXPECT_EQ(block.text().right(6), lines[index].right(6));
        }
    }
    const QRect last = memo->cursorRect(QTextCursor(memo->document()->lastBlock()));
    EXPECT_LE(last.bottom(), height);
    EXPECT_GT(last.bottom(), height - memo->fontMetrics().lineSpacing());
    const QRect first = memo->cursorRect(QTextCursor(memo->document()->firstBlock()));
    EXPECT_LT(first.top(), 0);
}

// A short log starts at the top of the box.
TEST_F(StartupWindowTest, AShortLogStartsAtTheTop)
{
    TformSplash splash(host, program.path(""), true);
    splash.show();
    splash.FormActivate();
    splash.tmrClose->stop();
    ASSERT_EQ(splash.Memo->blockCount(), 3);
    const QRect first = splash.Memo->cursorRect(QTextCursor(splash.Memo->document()->firstBlock()));
    EXPECT_GE(first.top(), 0);
    EXPECT_EQ(splash.Memo->verticalScrollBar()->value(), 0);
}

} // namespace

namespace {

// The chip's pin-1 notch is cut out of its body: through it, and beside it,
// the card shows in its own colour, and nothing of the notch lies outside.
TEST(StartupPictureTest, TheChipsNotchShowsTheCard)
{
    twtest::ApplicationReady application; // the title is drawn with a font
    const QImage picture = DrawStartupPicture(QStringLiteral("Tarnwick"), QRect(98, 263, 201, 73));
    const QRect body = StartupChipBody;
    const int y = body.center().y();
    const QRgb card = picture.pixel(body.left() - 25, y);
    EXPECT_EQ(picture.pixel(body.left() - 5, y), card);
    EXPECT_EQ(picture.pixel(body.left() - 1, y), card);
    EXPECT_EQ(picture.pixel(body.left() + 4, y), card);
    // The body itself is still there around the notch.
    EXPECT_NE(picture.pixel(body.left() + 20, y), card);
    EXPECT_NE(picture.pixel(body.left() + 3, body.top() + 5), card);
}

} // namespace

} // namespace startup_window_test
