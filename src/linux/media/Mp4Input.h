#pragma once

#include "media/Mp4Excerpt.h"

#include <QString>

#include <memory>
#include <optional>

struct AVFormatContext;
struct AVIOContext;

namespace murva {

// An MPEG-4 demuxer opened on a recording. A recording cut into fragments is read
// through its excerpt (the fragments its length depends on); any other file as it is.
class Mp4Input {
public:
    // Nothing when the file cannot be opened as MPEG-4.
    static std::unique_ptr<Mp4Input> open(const QString &path);
    ~Mp4Input();
    Mp4Input(const Mp4Input &) = delete;
    Mp4Input &operator=(const Mp4Input &) = delete;

    AVFormatContext *context() const { return context_; }

private:
    Mp4Input() = default;
    bool openExcerpt(std::optional<Mp4Excerpt> excerpt);

    std::optional<Mp4Excerpt> excerpt_;
    AVIOContext *io_ = nullptr;
    AVFormatContext *context_ = nullptr;
    std::int64_t position_ = 0;
};

} // namespace murva
