#include "bar/CapsuleShadow.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <vector>

namespace murva {
namespace {

constexpr int blurPasses = 3;   // three box blurs come close to a Gaussian
constexpr int boxRadius = 4;    // together about the 10-point shadow radius
constexpr qreal offsetY = 5;
constexpr int shadowAlpha = 31; // 12 % of 255

// One horizontal or vertical box blur of the alpha channel.
void boxBlur(QImage &image, bool horizontal)
{
    const int width = image.width();
    const int height = image.height();
    const int lines = horizontal ? height : width;
    const int length = horizontal ? width : height;
    std::vector<int> alpha(static_cast<std::size_t>(length));
    for (int line = 0; line < lines; ++line) {
        auto pixel = [&](int i) -> QRgb & {
            const int x = horizontal ? i : line;
            const int y = horizontal ? line : i;
            return reinterpret_cast<QRgb *>(image.scanLine(y))[x];
        };
        for (int i = 0; i < length; ++i) {
            alpha[std::size_t(i)] = qAlpha(pixel(i));
        }
        for (int i = 0; i < length; ++i) {
            int sum = 0;
            for (int k = i - boxRadius; k <= i + boxRadius; ++k) {
                sum += alpha[std::size_t(std::clamp(k, 0, length - 1))];
            }
            const int value = sum / (2 * boxRadius + 1);
            pixel(i) = qRgba(0, 0, 0, value); // premultiplied black
        }
    }
}

} // namespace

const QPixmap &CapsuleShadow::pixmap(QSize windowSize, const QRectF &capsule)
{
    if (windowSize == size_ && capsule == capsule_ && !pixmap_.isNull()) {
        return pixmap_;
    }
    size_ = windowSize;
    capsule_ = capsule;
    QImage image(windowSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0, 0, 0, shadowAlpha));
        const QRectF shadow = capsule.translated(0, offsetY);
        painter.drawRoundedRect(shadow, shadow.height() / 2, shadow.height() / 2);
    }
    for (int pass = 0; pass < blurPasses; ++pass) {
        boxBlur(image, true);
        boxBlur(image, false);
    }
    pixmap_ = QPixmap::fromImage(image);
    return pixmap_;
}

} // namespace murva
