#include "media/Mp4Excerpt.h"

#include "media/Mp4Boxes.h"

#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace murva {
namespace {

// Our recordings cut a fragment every 10 s, about 1.4 MB at the recorder's rates. A file
// whose excerpt is bigger is not one of ours: it is read from disk as it comes instead.
constexpr std::int64_t kMaxExcerptBytes = 64 * 1024 * 1024;
constexpr std::int64_t kFreeHeaderBytes = 16;

// The span between the end of the first complete fragment and the start of the last
// one; nothing when there is no fragment in between to skip. Fragments follow each other
// in time, so a track missing from the last one ended before it and is not the longest.
struct Skipped {
    std::int64_t from = 0;
    std::int64_t to = 0;
};

std::optional<Skipped> skippable(const std::vector<Mp4Box> &boxes, std::int64_t fileBytes)
{
    std::vector<std::size_t> complete;
    for (std::size_t index = 0; index + 1 < boxes.size(); ++index) {
        if (boxes[index].type == "moof" && boxes[index + 1].type == "mdat" && boxes[index + 1].end() <= fileBytes) {
            complete.push_back(index);
        }
    }
    if (complete.size() < 3) {
        return std::nullopt;
    }
    const Skipped skipped{boxes[complete.front() + 1].end(), boxes[complete.back()].offset};
    if (skipped.to - skipped.from < kFreeHeaderBytes) {
        return std::nullopt;
    }
    return skipped;
}

// Where the demuxer must stop: before a fragment header that the file cuts short. The
// demuxer reads every fragment header up front and gives up on the whole file at one it
// cannot read, so a recording killed while writing one would count as nothing at all.
std::int64_t readableEnd(const std::vector<Mp4Box> &boxes, std::int64_t fileBytes)
{
    if (!boxes.empty() && boxes.back().type == "moof" && boxes.back().end() > fileBytes) {
        return boxes.back().offset;
    }
    return fileBytes;
}

QByteArray readSpan(QFile &file, std::int64_t from, std::int64_t to)
{
    if (!file.seek(from)) {
        return {};
    }
    return file.read(to - from);
}

// A 'free' box with a 64-bit size (ISO/IEC 14496-12 4.2 and 8.1.2), covering `bytes`.
QByteArray freeHeader(std::int64_t bytes)
{
    QByteArray header(kFreeHeaderBytes, '\0');
    qToBigEndian<quint32>(1, header.data());
    std::memcpy(header.data() + 4, "free", 4);
    qToBigEndian<quint64>(quint64(bytes), header.data() + 8);
    return header;
}

} // namespace

std::optional<Mp4Excerpt> Mp4Excerpt::read(const QString &path)
{
    // Unbuffered: each box header costs what it is, not a buffer's worth.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        return std::nullopt;
    }
    Mp4Excerpt excerpt;
    const std::vector<Mp4Box> boxes = topLevelBoxes(file);
    excerpt.size_ = readableEnd(boxes, file.size());
    const std::optional<Skipped> skipped = skippable(boxes, excerpt.size_);
    const std::int64_t headEnd = skipped ? skipped->from : excerpt.size_;
    const std::int64_t tailStart = skipped ? skipped->to : excerpt.size_;
    if (headEnd + (excerpt.size_ - tailStart) > kMaxExcerptBytes) {
        return std::nullopt;
    }
    excerpt.pieces_.push_back({0, readSpan(file, 0, headEnd)});
    if (skipped) {
        excerpt.pieces_.push_back({headEnd, freeHeader(tailStart - headEnd)});
        excerpt.pieces_.push_back({tailStart, readSpan(file, tailStart, excerpt.size_)});
    }
    // A file that shrank while it was read is read no further than it was.
    excerpt.size_ = std::min(excerpt.size_, excerpt.pieces_.back().end());
    return excerpt;
}

int Mp4Excerpt::readAt(std::int64_t offset, std::uint8_t *into, int bytes) const
{
    const std::int64_t wanted = std::min<std::int64_t>(bytes, size_ - offset);
    if (offset < 0 || wanted <= 0) {
        return 0;
    }
    for (const Piece &piece : pieces_) {
        if (offset >= piece.offset && offset < piece.end()) {
            const std::int64_t count = std::min(wanted, piece.end() - offset);
            std::memcpy(into, piece.bytes.constData() + (offset - piece.offset), std::size_t(count));
            return int(count);
        }
    }
    // Inside the skipped body: never meant to be read, so it reads as nothing at all.
    const auto next = std::find_if(pieces_.begin(), pieces_.end(), [&](const Piece &piece) { return piece.offset > offset; });
    const std::int64_t count = std::min(wanted, next == pieces_.end() ? wanted : next->offset - offset);
    std::memset(into, 0, std::size_t(count));
    return int(count);
}

} // namespace murva
