#pragma once

#include <QByteArray>

#include <cstdint>
#include <vector>

class QIODevice;

namespace murva {

// A top-level box of an MPEG-4 file, as its header declares it.
struct Mp4Box {
    QByteArray type; // "ftyp", "moov", "moof", "mdat", ...
    std::int64_t offset = 0;
    std::int64_t size = 0;

    std::int64_t end() const { return offset + size; }
};

// The top-level boxes of `file` by their headers alone: each box's body is skipped with
// a seek, never read. Ends with the first box that does not fit in the file (it is
// listed, so a cut box is seen) or the first header that makes no sense.
std::vector<Mp4Box> topLevelBoxes(QIODevice &file);

} // namespace murva
