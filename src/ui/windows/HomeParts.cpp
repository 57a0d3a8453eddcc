#include "windows/HomeParts.h"

#include "style/MurvaButton.h"
#include "style/Style.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

namespace murva {

Card::Card(QWidget *parent)
    : QWidget(parent), content_(new QVBoxLayout(this))
{
    content_->setContentsMargins(14, 12, 14, 12);
    content_->setSpacing(6);
}

void Card::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Style::Colors::line, 1));
    painter.setBrush(Style::Colors::white);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
}

void ClickableCard::enterEvent(QEnterEvent *)
{
    hovered_ = true;
    setCursor(Qt::PointingHandCursor);
    update();
}

void ClickableCard::leaveEvent(QEvent *)
{
    hovered_ = false;
    update();
}

void ClickableCard::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit clicked();
    }
}

void ClickableCard::paintEvent(QPaintEvent *event)
{
    Card::paintEvent(event);
    if (hovered_) {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(Style::Colors::muted, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
    }
}

Chip::Chip(QWidget *parent)
    : QWidget(parent)
{
    setFont(Style::font(11, QFont::DemiBold));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void Chip::set(const QString &text, const QColor &tone)
{
    text_ = text;
    tone_ = tone;
    setToolTip(text);
    updateGeometry();
    update();
}

QSize Chip::sizeHint() const
{
    return {fontMetrics().horizontalAdvance(text_) + 26, 20};
}

void Chip::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor fill = tone_;
    fill.setAlpha(30);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    const QRectF area = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.drawRoundedRect(area, area.height() / 2, area.height() / 2);
    painter.setBrush(tone_);
    painter.drawEllipse(QPointF(10, area.center().y()), 3, 3);
    painter.setPen(tone_.darker(120));
    const QRectF textArea = area.adjusted(17, 0, -6, 0);
    painter.drawText(textArea, Qt::AlignVCenter | Qt::AlignLeft,
                     fontMetrics().elidedText(text_, Qt::ElideRight, int(textArea.width())));
}

SectionHeader sectionHeader(const QString &linkName)
{
    auto *widget = new QWidget;
    QLabel *title = Style::label(14, Style::Colors::ink, QFont::DemiBold);
    auto *link = new MurvaButton(MurvaButton::Kind::plain, 24);
    link->setObjectName(linkName);
    link->setFont(Style::font(12, QFont::DemiBold));
    auto *layout = new QHBoxLayout(widget);
    layout->setContentsMargins(0, 8, 0, 0);
    layout->addWidget(title);
    layout->addStretch();
    layout->addWidget(link);
    return {widget, title, link};
}

void clearLayout(QVBoxLayout &layout)
{
    while (QLayoutItem *item = layout.takeAt(0)) {
        if (QWidget *widget = item->widget()) {
            widget->hide();
            widget->setParent(nullptr);
            widget->deleteLater();
        }
        delete item;
    }
}

} // namespace murva
