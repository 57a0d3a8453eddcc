#include "style/ElidedLabel.h"

#include "style/Style.h"

#include <QPainter>

namespace murva {

ElidedLabel::ElidedLabel(int size, const QColor &color, QFont::Weight weight, QWidget *parent)
    : QWidget(parent), color_(color)
{
    setFont(Style::font(size, weight));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void ElidedLabel::setText(const QString &text)
{
    if (text != text_) {
        text_ = text;
        setToolTip(text);
        updateGeometry();
        update();
    }
}

void ElidedLabel::setColor(const QColor &color)
{
    color_ = color;
    update();
}

QSize ElidedLabel::sizeHint() const
{
    return {fontMetrics().horizontalAdvance(text_), fontMetrics().height()};
}

QSize ElidedLabel::minimumSizeHint() const
{
    return {0, fontMetrics().height()};
}

void ElidedLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(color_);
    const QString shown = fontMetrics().elidedText(text_, Qt::ElideRight, width());
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
}

} // namespace murva
