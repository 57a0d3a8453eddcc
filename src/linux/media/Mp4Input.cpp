#include "media/Mp4Input.h"

#include <QFile>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/mem.h>
}

namespace murva {
namespace {

constexpr int kIoBufferBytes = 64 * 1024;

} // namespace

std::unique_ptr<Mp4Input> Mp4Input::open(const QString &path)
{
    // Probing any format would let random bytes pass for some raw stream.
    const AVInputFormat *mp4 = av_find_input_format("mp4");
    std::unique_ptr<Mp4Input> input(new Mp4Input);
    if (!input->openExcerpt(Mp4Excerpt::read(path))) {
        // Not ours to skip through: read the whole file.
        input.reset(new Mp4Input);
    }
    // With its own reader the demuxer reads no file by name.
    const QByteArray name = input->io_ ? QByteArray() : QFile::encodeName(path);
    if (avformat_open_input(&input->context_, name.constData(), mp4, nullptr) < 0) {
        return nullptr; // libavformat freed the context on failure
    }
    return input;
}

bool Mp4Input::openExcerpt(std::optional<Mp4Excerpt> excerpt)
{
    if (!excerpt) {
        return false;
    }
    excerpt_ = std::move(excerpt);
    auto *buffer = static_cast<unsigned char *>(av_malloc(kIoBufferBytes));
    const auto readPacket = [](void *opaque, std::uint8_t *into, int bytes) -> int {
        auto *self = static_cast<Mp4Input *>(opaque);
        const int count = self->excerpt_->readAt(self->position_, into, bytes);
        self->position_ += count;
        return count > 0 ? count : AVERROR_EOF;
    };
    const auto seek = [](void *opaque, std::int64_t offset, int whence) -> std::int64_t {
        auto *self = static_cast<Mp4Input *>(opaque);
        const std::int64_t size = self->excerpt_->size();
        switch (whence & ~AVSEEK_FORCE) {
        case AVSEEK_SIZE:
            return size;
        case SEEK_SET:
            break;
        case SEEK_CUR:
            offset += self->position_;
            break;
        case SEEK_END:
            offset += size;
            break;
        default:
            return AVERROR(EINVAL);
        }
        if (offset < 0) {
            return AVERROR(EINVAL);
        }
        self->position_ = offset;
        return offset;
    };
    io_ = buffer ? avio_alloc_context(buffer, kIoBufferBytes, 0, this, readPacket, nullptr, seek) : nullptr;
    if (!io_) {
        av_free(buffer);
        return false;
    }
    context_ = avformat_alloc_context();
    if (!context_) {
        return false;
    }
    context_->pb = io_;
    context_->flags |= AVFMT_FLAG_CUSTOM_IO;
    return true;
}

Mp4Input::~Mp4Input()
{
    avformat_close_input(&context_);
    if (io_) {
        // The context may have swapped its buffer for another one; free the current.
        av_freep(&io_->buffer);
        avio_context_free(&io_);
    }
}

} // namespace murva
