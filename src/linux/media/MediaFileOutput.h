#pragma once

#include <QString>

#include <cstdint>
#include <optional>

struct AVIOContext;

namespace murva {

// The file a muxer writes into: an AVIOContext over a plain descriptor, so that the
// writer decides when bytes go to the kernel and to the disk, and so that the first
// write error is kept with its cause. Once a write has failed nothing more reaches the
// file. The file is never deleted here.
class MediaFileOutput {
public:
    MediaFileOutput() = default;
    ~MediaFileOutput(); // abandons: closes without writing what is still buffered

    MediaFileOutput(const MediaFileOutput &) = delete;
    MediaFileOutput &operator=(const MediaFileOutput &) = delete;

    // Creates the file, or empties an existing one. Returns an error text on failure.
    std::optional<QString> open(const QString &path);

    AVIOContext *context() const { return context_; }

    // Hands everything buffered to the kernel and, with `toDisk`, waits until it is on
    // the disk. Returns false once any write has failed.
    bool flush(bool toDisk);

    // Flushes to the disk and closes. Returns false when anything failed.
    bool close();

    bool failed() const { return error_ != 0; }
    int error() const { return error_; } // a negated errno, 0 while all is well

private:
    static int writeCallback(void *opaque, const std::uint8_t *data, int size);
    static std::int64_t seekCallback(void *opaque, std::int64_t offset, int whence);
    int writeAll(const std::uint8_t *data, int size);
    bool syncToDisk();
    void release();

    int fd_ = -1;
    AVIOContext *context_ = nullptr;
    int error_ = 0;
};

} // namespace murva
