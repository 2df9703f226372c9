#pragma once

// The two gutters beside the source editor: line numbers (RV) and the
// breakpoint pictures (RVbp). Both paint the lines the editor shows, from
// the editor's own line geometry, so they scroll in step with it.
#include <functional>

#include <QWidget>

class TSourceEdit;

// The line-number text of line `line` (from 1): the number on line 1 and on
// every tenth line, "-" on the other fifth lines, "•" elsewhere.
QString LineNumberText(int line);
// The line-number gutter's width for `lines` lines: 28 + 8 per decimal digit.
int LineGutterWidth(int lines);

class TLineNumberGutter : public QWidget {
    Q_OBJECT

public:
    TLineNumberGutter(TSourceEdit* editor, QWidget* parent);

signals:
    void Clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    TSourceEdit* editor_;
};

class TBreakpointGutter : public QWidget {
    Q_OBJECT

public:
    static constexpr int GutterWidth = 27;
    static constexpr int GutterLeft = -4;

    // `pictureOf` gives the picture index shown on a line (0-based), -1 for none.
    TBreakpointGutter(TSourceEdit* editor, std::function<int(int line)> pictureOf, QWidget* parent);

    // The editor line (0-based) at `y`, -1 below the last line.
    int LineAt(int y) const;
    // Where line's picture is drawn; empty when the line is not shown.
    QRect PictureRect(int line) const;

signals:
    // The mouse went down and up on the same line's picture.
    void LineClicked(int line);
    void Clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    TSourceEdit* editor_;
    std::function<int(int line)> pictureOf_;
    // The line under the mouse when its button went down (itmMD).
    int itmMD = -1;
};
