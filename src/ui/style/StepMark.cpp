#include "style/StepMark.h"

#include "style/Style.h"

#include <QPainter>
#include <QPainterPath>

namespace murva {

StepMark::StepMark(int number, QWidget *parent)
    : QWidget(parent), number_(number)
{
    setFixedSize(Style::Metrics::stepMarkSize, Style::Metrics::stepMarkSize);
}

void StepMark::set(bool done, bool next)
{
    if (done != done_ || next != next_) {
        done_ = done;
        next_ = next;
        update();
    }
}

void StepMark::paintEvent(QPaintEvent *)
{
    using namespace Style;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF circle = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(Qt::NoPen);
    painter.setBrush(done_ ? Colors::success : next_ ? Colors::ink : Colors::plate);
    painter.drawEllipse(circle);
    if (done_) {
        // A check of about 11 units, drawn so it never depends on a font's symbols.
        const QPointF c = circle.center();
        QPainterPath check;
        check.moveTo(c + QPointF(-5, 0));
        check.lineTo(c + QPointF(-1.5, 3.5));
        check.lineTo(c + QPointF(5, -4));
        painter.setPen(QPen(Colors::white, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(check);
        return;
    }
    painter.setPen(next_ ? Colors::white : Colors::softInk);
    painter.setFont(Style::font(13, QFont::DemiBold));
    painter.drawText(circle, Qt::AlignCenter, QString::number(number_));
}

} // namespace murva
