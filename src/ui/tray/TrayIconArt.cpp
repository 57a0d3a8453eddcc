#include "tray/TrayIconArt.h"

#include <QPainter>
#include <QSvgRenderer>

namespace murva::TrayIconArt {
namespace {

QPixmap tile(int size, bool recording)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QSvgRenderer logo(QStringLiteral(":/icons/murva-tray.svg"));
    logo.render(&painter);
    if (recording) {
        const qreal mark = size * 0.42;
        painter.setPen(QPen(Qt::white, size / 16.0));
        painter.setBrush(QColor(0xE1, 0x1D, 0x48));
        painter.drawEllipse(QRectF(size - mark - 0.5, 0.5, mark, mark));
    }
    return pixmap;
}

} // namespace

QIcon icon(bool recording)
{
    QIcon drawn;
    for (const int size : {16, 22, 24, 32, 48, 64}) {
        drawn.addPixmap(tile(size, recording));
    }
    const QString name = recording ? QStringLiteral("murva-recorder-recording-symbolic")
                                   : QStringLiteral("murva-recorder-symbolic");
    return QIcon::fromTheme(name, drawn);
}

} // namespace murva::TrayIconArt
