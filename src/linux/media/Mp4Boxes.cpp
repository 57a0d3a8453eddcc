#include "media/Mp4Boxes.h"

#include <QIODevice>
#include <QtEndian>

namespace murva {
namespace {

constexpr std::int64_t kHeaderBytes = 8;
constexpr std::int64_t kLargeHeaderBytes = 16;

} // namespace

std::vector<Mp4Box> topLevelBoxes(QIODevice &file)
{
    std::vector<Mp4Box> boxes;
    const std::int64_t fileBytes = file.size();
    std::int64_t offset = 0;
    while (offset + kHeaderBytes <= fileBytes && file.seek(offset)) {
        const QByteArray head = file.read(kLargeHeaderBytes);
        if (head.size() < kHeaderBytes) {
            break;
        }
        std::int64_t size = qFromBigEndian<quint32>(head.constData());
        std::int64_t headerBytes = kHeaderBytes;
        if (size == 1) {
            // ISO/IEC 14496-12 4.2: the real size follows the type as 64 bits.
            if (head.size() < kLargeHeaderBytes) {
                break;
            }
            size = std::int64_t(qFromBigEndian<quint64>(head.constData() + kHeaderBytes));
            headerBytes = kLargeHeaderBytes;
        } else if (size == 0) {
            size = fileBytes - offset; // the box runs to the end of the file
        }
        if (size < headerBytes) {
            break;
        }
        boxes.push_back({head.mid(4, 4), offset, size});
        if (size > fileBytes - offset) {
            break;
        }
        offset += size;
    }
    return boxes;
}

} // namespace murva
