#include "MediaFileBoxes.h"

#include <QFile>
#include <QtEndian>

namespace murva::test {

std::vector<MediaFileBox> topLevelBoxes(const QString &path)
{
    std::vector<MediaFileBox> boxes;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return boxes;
    }
    std::int64_t offset = 0;
    while (offset + 8 <= file.size()) {
        file.seek(offset);
        const QByteArray head = file.read(16);
        std::int64_t size = qFromBigEndian<quint32>(head.constData());
        if (size == 1 && head.size() == 16) {
            size = std::int64_t(qFromBigEndian<quint64>(head.constData() + 8));
        }
        if (size < 8 || offset + size > file.size()) {
            break;
        }
        boxes.push_back({head.mid(4, 4), offset, size});
        offset += size;
    }
    return boxes;
}

} // namespace murva::test
