#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

namespace murva::test {

// A top-level box of an MPEG-4 file.
struct MediaFileBox {
    QByteArray type; // "ftyp", "moov", "moof", "mdat", ...
    std::int64_t offset = 0;
    std::int64_t size = 0;
};

// The top-level boxes of the file, up to the first one that does not fit in it.
std::vector<MediaFileBox> topLevelBoxes(const QString &path);

} // namespace murva::test
