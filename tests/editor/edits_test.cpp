// The modified flag: every change of the text by the user sets it; loading,
// colouring, error marks and breakpoints do not.
#include <QAction>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QTextCursor>

#include "editor_fixture.h"
#include "ide/main/main_form.h"

namespace edits_test {
namespace {

const QString Source = QStringLiteral("start:\tMOVLW 5\n\tMOVWF 6\n\tGOTO start");

class ModifiedFlagTest : public testing::Test {
protected:
    void SetUp() override
    {
        window = twtest::OpenSource(Source);
        QObject::connect(window.get(), &TMDIChild::Modified, [this] { ++modified; });
    }

    std::unique_ptr<TMDIChild> window;
    int modified = 0;
};

TEST_F(ModifiedFlagTest, NotByLoadingColouringMarksOrBreakpoints)
{
    window->SetText(Source + "\n\tNOP");
    window->AfterLoad();
    window->CheckSyn();
    window->MarkError(1, 1, 5);
    window->ToggleBreakpoint(0);
    twtest::RunSweep(*window);
    window->ClearAllBreakpoints();
    EXPECT_EQ(modified, 0);
    EXPECT_EQ(window->Text(), Source + "\n\tNOP");
}

// Each kind of content change, made without a key press, marks the text modified.
TEST_F(ModifiedFlagTest, EveryKindOfContentChange)
{
    struct Edit {
        const char* name;
        std::function<void(TMDIChild&)> make;
    };
    const Edit edits[] = {
        {"insert", [](TMDIChild& w) { w.RVE->textCursor().insertText("x"); }},
        {"paste",
         [](TMDIChild& w) {
             QGuiApplication::clipboard()->setText("NOP\nNOP");
             w.RVE->paste();
         }},
        {"menu cut",
         [](TMDIChild& w) {
             QTextCursor cursor(w.RVE->document());
             cursor.movePosition(QTextCursor::EndOfWord, QTextCursor::KeepAnchor);
             w.RVE->setTextCursor(cursor);
             emit w.ppmAsmEditor->aboutToShow();
             ASSERT_TRUE(w.Cut1->isEnabled());
             w.Cut1->trigger();
         }},
        {"menu paste",
         [](TMDIChild& w) {
             QGuiApplication::clipboard()->setText("NOP");
             emit w.ppmAsmEditor->aboutToShow();
             w.Paste1->trigger();
         }},
        {"drop",
         [](TMDIChild& w) {
             QMimeData data;
             data.setText("\tCLRW\n");
             const QPoint at = w.RVE->cursorRect(w.RVE->textCursor()).center();
             QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
             QApplication::sendEvent(w.RVE->viewport(), &enter);
             QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, {});
             QApplication::sendEvent(w.RVE->viewport(), &drop);
         }},
        {"delete", [](TMDIChild& w) { w.RVE->textCursor().deleteChar(); }},
    };
    for (const Edit& edit : edits) {
        SCOPED_TRACE(edit.name);
        window->SetText(Source);
        window->AfterLoad();
        modified = 0;
        edit.make(*window);
        EXPECT_NE(window->Text(), Source);
        EXPECT_GE(modified, 1);

        modified = 0;
        window->RVE->undo();
        EXPECT_EQ(window->Text(), Source);
        EXPECT_GE(modified, 1) << "undo";
        modified = 0;
        window->RVE->redo();
        EXPECT_NE(window->Text(), Source);
        EXPECT_GE(modified, 1) << "redo";
    }
}

TEST_F(ModifiedFlagTest, AKeyPressAndAPasteMarkIt)
{
    twtest::Type(window->RVE, "a");
    EXPECT_GE(modified, 1);
    modified = 0;
    QGuiApplication::clipboard()->setText("NOP");
    twtest::PressKey(window->RVE, Qt::Key_V, {}, Qt::ControlModifier);
    EXPECT_TRUE(window->Text().contains("NOP"));
    EXPECT_GE(modified, 1);
}

TEST_F(ModifiedFlagTest, PasteTakesPlainTextWithItsLineEnds)
{
    auto* data = new QMimeData;
    data->setHtml("<b>ignored</b>");
    data->setText("\tNOP\r\n\tCLRW\r\tSLEEP");
    QGuiApplication::clipboard()->setMimeData(data);
    window->RVE->moveCursor(QTextCursor::End);
    window->RVE->insertPlainText("\n");
    window->RVE->paste();
    EXPECT_EQ(window->Text(), Source + "\n\tNOP\n\tCLRW\n\tSLEEP");
    EXPECT_EQ(window->LineCount(), 6);
}

TEST_F(ModifiedFlagTest, ReadOnlyWhileRunning)
{
    window->SetRunning(true);
    window->RVE->selectAll();
    emit window->ppmAsmEditor->aboutToShow();
    EXPECT_FALSE(window->Cut1->isEnabled());
    EXPECT_TRUE(window->Copy1->isEnabled());
    EXPECT_FALSE(window->Paste1->isEnabled());
    window->RVE->moveCursor(QTextCursor::Start);
    twtest::Type(window->RVE, "abc");
    window->RVE->paste();
    EXPECT_EQ(window->Text(), Source);
    window->SetRunning(false);
    twtest::Type(window->RVE, "x");
    EXPECT_EQ(window->LineText(0), "xstart:\tMOVLW 5");
}

} // namespace

namespace {

TEST(MainWindowModifiedFlag, SetByTypingNotByOpening)
{
    twtest::EnsureEditorApplication();
    TDeviceHost host;
    TMainForm form(host);
    TMDIChild* window = CreateSourceWindow(form.MdiArea(), Source);
    EXPECT_EQ(window->windowTitle(), "Assembler editor");
    EXPECT_FALSE(form.exchange);
    EXPECT_EQ(window->Text(), Source);
    twtest::Type(window->RVE, "x");
    EXPECT_TRUE(form.exchange);
}

} // namespace

} // namespace edits_test
