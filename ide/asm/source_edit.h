#pragma once

// The source editor control (RVE): plain text, no word wrap, no border,
// paste and drop of plain text only, the window's context menu, and the
// line geometry the gutters paint by.
#include <QPlainTextEdit>
#include <QTextBlock>

QT_FORWARD_DECLARE_CLASS(QMenu)

class TSourceEdit : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit TSourceEdit(QWidget* parent);

    QTextBlock FirstVisibleBlock() const { return firstVisibleBlock(); }
    // A line's rectangle in viewport coordinates.
    QRectF BlockGeometry(const QTextBlock& block) const
    {
        return blockBoundingGeometry(block).translated(contentOffset());
    }

    // The menu the right mouse button opens (ppmAsmEditor).
    void SetContextMenu(QMenu* menu) { contextMenu_ = menu; }

signals:
    // Any key went down in the editor (RVEKeyDown).
    void KeyDown();
    // Text from the clipboard or a drop is about to go in (RVEPaste).
    void Pasting();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QMenu* contextMenu_ = nullptr;
};
