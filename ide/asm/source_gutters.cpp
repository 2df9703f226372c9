#include "ide/asm/source_gutters.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTextBlock>

#include "ide/asm/editor_styles.h"
#include "ide/asm/gutter_pictures.h"
#include "ide/asm/source_edit.h"

QString LineNumberText(int line)
{
    if (line == 1 || line % 10 == 0)
        return QString::number(line);
    if (line % 5 == 0)
        return QStringLiteral("-");
    return QStringLiteral("\u2022");
}

int LineGutterWidth(int lines)
{
    int digits = 1;
    for (int rest = lines; rest >= 10; rest /= 10)
        ++digits;
    return 28 + 8 * digits;
}

namespace {

// Calls visit(line, top, height) for each line the editor shows, in gutter
// coordinates (the gutters stand level with the editor).
template <typename Visit>
void ForEachVisibleLine(const TSourceEdit& editor, int height, Visit visit)
{
    const int viewportTop = editor.viewport()->geometry().top();
    for (QTextBlock block = editor.FirstVisibleBlock(); block.isValid(); block = block.next()) {
        const QRectF geometry = editor.BlockGeometry(block);
        const int top = viewportTop + int(geometry.top());
        if (top > height)
            break;
        if (block.isVisible())
            visit(block.blockNumber(), top, int(geometry.height()));
    }
}

} // namespace

// ---- Line numbers

TLineNumberGutter::TLineNumberGutter(TSourceEdit* editor, QWidget* parent)
    : QWidget(parent)
    , editor_(editor)
{
    setObjectName(QStringLiteral("RV"));
    setFont(EditorFont("Tahoma"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TLineNumberGutter::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), LineGutterBackground);
    painter.setPen(LineNumberColour);
    painter.setFont(font());
    const int right = width() - 3;
    ForEachVisibleLine(*editor_, height(), [&](int line, int top, int lineHeight) {
        painter.drawText(QRect(0, top, right, lineHeight), Qt::AlignRight | Qt::AlignVCenter,
                         LineNumberText(line + 1));
    });
}

void TLineNumberGutter::mousePressEvent(QMouseEvent*)
{
    emit Clicked();
}

// ---- Breakpoint pictures

TBreakpointGutter::TBreakpointGutter(TSourceEdit* editor, std::function<int(int)> pictureOf, QWidget* parent)
    : QWidget(parent)
    , editor_(editor)
    , pictureOf_(std::move(pictureOf))
{
    setObjectName(QStringLiteral("RVbp"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

int TBreakpointGutter::LineAt(int y) const
{
    int found = -1;
    ForEachVisibleLine(*editor_, height(), [&](int line, int top, int lineHeight) {
        if (y >= top && y < top + lineHeight)
            found = line;
    });
    return found;
}

QRect TBreakpointGutter::PictureRect(int line) const
{
    QRect found;
    ForEachVisibleLine(*editor_, height(), [&](int visible, int top, int lineHeight) {
        if (visible == line)
            found = QRect(GutterWidth - GutterPictureSize - 5, top + (lineHeight - GutterPictureSize) / 2,
                          GutterPictureSize, GutterPictureSize);
    });
    return found;
}

void TBreakpointGutter::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), BreakpointGutterBackground);
    ForEachVisibleLine(*editor_, height(), [&](int line, int top, int lineHeight) {
        const QImage& picture = GutterPicture(pictureOf_(line));
        if (!picture.isNull())
            painter.drawImage(GutterWidth - GutterPictureSize - 5, top + (lineHeight - GutterPictureSize) / 2,
                              picture);
    });
}

void TBreakpointGutter::mousePressEvent(QMouseEvent* event)
{
    itmMD = LineAt(event->position().toPoint().y());
    emit Clicked();
}

void TBreakpointGutter::mouseReleaseEvent(QMouseEvent* event)
{
    const int line = LineAt(event->position().toPoint().y());
    const bool same = line >= 0 && line == itmMD && pictureOf_(line) >= 0;
    itmMD = -1;
    if (same)
        emit LineClicked(line);
}
