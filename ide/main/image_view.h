#pragma once

// A picture on a window: shows a QImage at its own size and reports clicks.
#include <QImage>
#include <QWidget>

class TImageView : public QWidget {
    Q_OBJECT

public:
    explicit TImageView(QWidget* parent = nullptr);

    const QImage& Picture() const { return picture_; }
    void SetPicture(const QImage& picture);

signals:
    void Clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QImage picture_;
    bool pressed_ = false;
};
