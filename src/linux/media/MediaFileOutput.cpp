#include "media/MediaFileOutput.h"

#include "media/LibavError.h"

#include <QFile>

extern "C" {
#include <libavformat/avio.h>
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace murva {
namespace {
constexpr int kBufferBytes = 256 * 1024;

// libavformat 61 made the written bytes const; earlier versions take them mutable.
#if LIBAVFORMAT_VERSION_MAJOR >= 61
using WrittenBytes = const std::uint8_t *;
#else
using WrittenBytes = std::uint8_t *;
#endif
} // namespace

MediaFileOutput::~MediaFileOutput()
{
    release();
}

std::optional<QString> MediaFileOutput::open(const QString &path)
{
    release();
    error_ = 0;
    // A recording holds the user's conversations: readable by its owner only.
    fd_ = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd_ < 0) {
        return libavErrorText(AVERROR(errno));
    }
    // An old recording emptied by O_TRUNC keeps its mode; a device the path leads to is
    // left alone.
    struct stat status {};
    if (::fstat(fd_, &status) == 0 && S_ISREG(status.st_mode)) {
        ::fchmod(fd_, 0600);
    }
    auto *buffer = static_cast<unsigned char *>(av_malloc(kBufferBytes));
    context_ = buffer ? avio_alloc_context(buffer, kBufferBytes, 1, this, nullptr,
                                           [](void *opaque, WrittenBytes data, int size) {
                                               return writeCallback(opaque, data, size);
                                           },
                                           &MediaFileOutput::seekCallback)
                      : nullptr;
    if (!context_) {
        av_free(buffer);
        release();
        return libavErrorText(AVERROR(ENOMEM));
    }
    return std::nullopt;
}

bool MediaFileOutput::flush(bool toDisk)
{
    if (!context_ || failed()) {
        return false;
    }
    avio_flush(context_);
    if (context_->error < 0 && !failed()) {
        error_ = context_->error;
    }
    if (!failed() && toDisk) {
        syncToDisk();
    }
    return !failed();
}

bool MediaFileOutput::close()
{
    const bool flushed = flush(true);
    release();
    return flushed;
}

int MediaFileOutput::writeCallback(void *opaque, const std::uint8_t *data, int size)
{
    return static_cast<MediaFileOutput *>(opaque)->writeAll(data, size);
}

int MediaFileOutput::writeAll(const std::uint8_t *data, int size)
{
    if (failed()) {
        return error_;
    }
    int done = 0;
    while (done < size) {
        const ssize_t written = ::write(fd_, data + done, size_t(size - done));
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            error_ = AVERROR(written < 0 ? errno : EIO);
            return error_;
        }
        done += int(written);
    }
    return done;
}

std::int64_t MediaFileOutput::seekCallback(void *opaque, std::int64_t offset, int whence)
{
    auto *self = static_cast<MediaFileOutput *>(opaque);
    if (whence & AVSEEK_SIZE) {
        struct stat status {};
        return ::fstat(self->fd_, &status) == 0 ? std::int64_t(status.st_size) : AVERROR(errno);
    }
    const off_t position = ::lseek(self->fd_, off_t(offset), whence & ~AVSEEK_FORCE);
    return position < 0 ? AVERROR(errno) : std::int64_t(position);
}

bool MediaFileOutput::syncToDisk()
{
    if (::fdatasync(fd_) == 0) {
        return true;
    }
    // Special files (a pipe, a device) cannot be synchronised; that is no loss of data.
    if (errno == EINVAL || errno == EROFS) {
        return true;
    }
    error_ = AVERROR(errno);
    return false;
}

void MediaFileOutput::release()
{
    if (context_) {
        av_freep(&context_->buffer);
        avio_context_free(&context_);
    }
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

} // namespace murva
