#pragma once

#include <QPixmap>
#include <QRectF>
#include <QSize>

namespace murva {

// The soft shadow under the bar's capsule, drawn once per size and reused at every
// repaint (the clock repaints the bar each second).
class CapsuleShadow {
public:
    // The shadow of `capsule` on a transparent picture of `windowSize`.
    const QPixmap &pixmap(QSize windowSize, const QRectF &capsule);

private:
    QPixmap pixmap_;
    QSize size_;
    QRectF capsule_;
};

} // namespace murva
