#include "ide/main/image_view.h"

#include <QMouseEvent>
#include <QPainter>

TImageView::TImageView(QWidget* parent)
    : QWidget(parent)
{
}

void TImageView::SetPicture(const QImage& picture)
{
    picture_ = picture;
    update();
}

void TImageView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, picture_);
}

// A click is a press and a release of the left button over the picture.
void TImageView::mousePressEvent(QMouseEvent* event)
{
    pressed_ = event->button() == Qt::LeftButton;
}

void TImageView::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    if (click)
        emit Clicked();
}
