#include "browsers/MozLz4.h"

#include <QFile>
#include <QtEndian>

#include <lz4.h>

#include <limits>

namespace murva::MozLz4 {
namespace {

constexpr QByteArrayView kMagic("mozLz40\0", 8);
constexpr qsizetype kHeaderBytes = 12;

} // namespace

std::optional<QByteArray> decode(QByteArrayView file, qsizetype maxBytes)
{
    if (file.size() < kHeaderBytes || !file.startsWith(kMagic)) {
        return std::nullopt;
    }
    const quint32 declaredBytes = qFromLittleEndian<quint32>(file.data() + kMagic.size());
    const QByteArrayView block = file.sliced(kHeaderBytes);
    if (declaredBytes > quint64(maxBytes) || declaredBytes > quint32(std::numeric_limits<int>::max())
        || block.size() > std::numeric_limits<int>::max()) {
        return std::nullopt;
    }
    QByteArray decoded(qsizetype(declaredBytes), Qt::Uninitialized);
    // The safe decoder never writes past the buffer nor reads past the block, whatever
    // the block holds; a short result means the block was cut or damaged.
    const int written = LZ4_decompress_safe(block.data(), decoded.data(), int(block.size()), int(declaredBytes));
    if (written < 0 || quint32(written) != declaredBytes) {
        return std::nullopt;
    }
    return decoded;
}

std::optional<QByteArray> readFile(const QString &path, qsizetype maxBytes)
{
    QFile file(path);
    // LZ4 grows what it cannot compress by at most 1/255 and a few bytes.
    const qint64 largestBlock = qint64(maxBytes) + maxBytes / 255 + 16;
    if (!file.open(QIODevice::ReadOnly) || file.size() > kHeaderBytes + largestBlock) {
        return std::nullopt;
    }
    return decode(file.readAll(), maxBytes);
}

} // namespace murva::MozLz4
