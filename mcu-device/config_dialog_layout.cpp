#include "mcu-device/config_dialog_layout.h"

#include <algorithm>

#include <QStyleOptionButton>
#include <QStylePainter>

namespace corvel::settings_layout {

QRect WrappingCheckBox::captionRect(const QRect& box) const
{
    QStyleOptionButton option;
    initStyleOption(&option);
    option.rect = box;
    return style()->subElementRect(QStyle::SE_CheckBoxContents, &option, this);
}

int WrappingCheckBox::heightForWidth(int width) const
{
    const QRect caption = captionRect(QRect(0, 0, width, QWIDGETSIZE_MAX));
    const int textHeight = fontMetrics().boundingRect(caption, kCaptionFlags, text()).height();
    return std::max(textHeight, QCheckBox::sizeHint().height());
}

void WrappingCheckBox::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    // The style draws the indicator and focus frame; the caption is drawn
    // here, wrapped.
    option.text.clear();
    painter.drawControl(QStyle::CE_CheckBox, option);
    painter.drawItemText(captionRect(rect()), kCaptionFlags, palette(), isEnabled(), text(), QPalette::WindowText);
}

} // namespace corvel::settings_layout
