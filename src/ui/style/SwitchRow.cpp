#include "style/SwitchRow.h"

#include "style/Style.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace murva {

Toggle::Toggle(QWidget *parent)
    : QAbstractButton(parent)
{
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    setFixedSize(sizeHint());
}

void Toggle::paintEvent(QPaintEvent *)
{
    using namespace Style;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF track = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(Qt::NoPen);
    painter.setBrush(isChecked() ? Colors::success : Colors::line);
    painter.drawRoundedRect(track, track.height() / 2, track.height() / 2);
    const qreal knob = track.height() - 4;
    const qreal x = isChecked() ? track.right() - 2 - knob : track.left() + 2;
    painter.setBrush(Colors::white);
    painter.drawEllipse(QRectF(x, track.top() + 2, knob, knob));
}

SwitchRow::SwitchRow(QWidget *parent)
    : QWidget(parent),
      title_(Style::label(13, Style::Colors::ink, QFont::DemiBold, true)),
      detail_(Style::label(12, Style::Colors::softInk, QFont::Normal, true)),
      toggle_(new Toggle)
{
    auto *texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addWidget(title_);
    texts->addWidget(detail_);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(Style::Metrics::spacing);
    layout->addLayout(texts, 1);
    layout->addWidget(toggle_, 0, Qt::AlignVCenter);
    toggle_->setObjectName(QStringLiteral("toggle"));
    // The toggle flips itself on a click; put it back until the owner sets the value.
    connect(toggle_, &Toggle::clicked, this, [this](bool on) {
        toggle_->setChecked(!on);
        emit toggled(on);
    });
}

void SwitchRow::setTexts(const QString &title, const QString &detail)
{
    title_->setText(title);
    detail_->setText(detail);
}

void SwitchRow::setOn(bool on)
{
    toggle_->setChecked(on);
}

bool SwitchRow::isOn() const
{
    return toggle_->isChecked();
}

} // namespace murva
