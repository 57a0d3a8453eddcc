#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// Firefox's compressed JSON files: the magic "mozLz40\0", the decompressed size as four
// little-endian bytes, then one LZ4 block.
namespace murva::MozLz4 {

// Nothing for a file that is not of this kind, is damaged, or would decompress to more
// than `maxBytes`.
std::optional<QByteArray> decode(QByteArrayView file, qsizetype maxBytes);

// The same for a file on disk; nothing also when it cannot be read.
std::optional<QByteArray> readFile(const QString &path, qsizetype maxBytes);

} // namespace murva::MozLz4
