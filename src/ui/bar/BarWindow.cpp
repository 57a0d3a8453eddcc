#include "bar/BarWindow.h"

#include "bar/BarRow.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QVBoxLayout>

namespace murva {
namespace {
// Room for the shadow around the capsule.
const QMargins shadowMargins(28, 22, 28, 34);
} // namespace

BarWindow::BarWindow(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus),
      row_(new BarRow(this))
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setObjectName(QStringLiteral("recordingBar"));
    setWindowTitle(QStringLiteral("Murva Recorder"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(shadowMargins);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(row_);
}

QRectF BarWindow::capsule() const
{
    return QRectF(rect().marginsRemoved(shadowMargins));
}

void BarWindow::setComposited(bool composited)
{
    if (composited == composited_) {
        return;
    }
    composited_ = composited;
    clip();
    update();
}

void BarWindow::clip()
{
    if (composited_) {
        clearMask();
        return;
    }
    QPainterPath path;
    const QRectF shape = capsule();
    path.addRoundedRect(shape, shape.height() / 2, shape.height() / 2);
    setMask(QRegion(path.toFillPolygon().toPolygon()));
}

void BarWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF shape = capsule().adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = shape.height() / 2;
    if (composited_) {
        painter.drawPixmap(0, 0, shadow_.pixmap(size(), capsule()));
    }
    painter.setBrush(Qt::white);
    painter.setPen(QPen(QColor(0, 0, 0, 15), 1)); // 6 % black
    painter.drawRoundedRect(shape, radius, radius);
}

void BarWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    clip();
}

void BarWindow::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
    }
}

void BarWindow::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() & Qt::LeftButton) {
        move(event->globalPosition().toPoint() - dragOffset_);
    }
}

} // namespace murva
