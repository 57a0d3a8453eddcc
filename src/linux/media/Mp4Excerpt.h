#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace murva {

// The parts of a recording that its length depends on, in memory, at their offsets in
// the file: the header with the first fragment (where every track starts) and all from
// the last complete fragment on (where they end, and what a cut fragment still holds).
// What lies between reads as one 'free' box, which a demuxer skips with a seek, so the
// fragments in between are never read: a recording of hours reads a few megabytes.
class Mp4Excerpt {
public:
    // Nothing when the file cannot be read, or its parts would not be small (a file not
    // cut into fragments, or with huge ones).
    static std::optional<Mp4Excerpt> read(const QString &path);

    // The length of the file, but for a fragment header it ends with that is cut short.
    std::int64_t size() const { return size_; }
    // Copies up to `bytes` bytes from `offset` on; how many, 0 at the end.
    int readAt(std::int64_t offset, std::uint8_t *into, int bytes) const;

private:
    struct Piece {
        std::int64_t offset = 0;
        QByteArray bytes;

        std::int64_t end() const { return offset + bytes.size(); }
    };

    std::vector<Piece> pieces_;
    std::int64_t size_ = 0;
};

} // namespace murva
