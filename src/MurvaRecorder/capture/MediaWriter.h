#pragma once

#include "capture/PictureCapture.h"

#include <QSize>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>

namespace murva {

struct MediaWriterSettings {
    QString path;
    bool withVideo = true;
    QSize frameSize{1280, 720};
};

// Port: the MPEG-4 file of a recording. One mono AAC track (48000 Hz, 96 kb/s) and,
// with video, one H.264 track (High profile, 1 Mb/s, 15 fps, a key frame every 4 s, no
// B-frames). The file is fragmented so that a killed process leaves a readable file.
// Used from one thread at a time (the capture's queue).
class MediaWriter {
public:
    virtual ~MediaWriter() = default;

    // Creates the file (replacing any file at the path) and writes its header.
    // Returns an error text on failure.
    virtual std::optional<QString> open(const MediaWriterSettings &settings) = 0;

    // Mono float samples at 48000 Hz; `firstSample` counts from the file's time 0.
    // Returns false once the writer has failed.
    virtual bool appendAudio(std::int64_t firstSample, const float *samples, std::size_t count) = 0;

    // A picture at `atSec` seconds from the file's time 0. Returns false once failed.
    virtual bool appendVideo(double atSec, const VideoFrame &frame) = 0;

    // Flushes the encoders and closes the file. Returns false when the file could not be
    // finished (it may still be readable up to its last fragment).
    virtual bool finish() = 0;

    // Whether a write has failed, and why ("" when not failed).
    virtual bool failed() const = 0;
    virtual QString errorText() const = 0;
};

} // namespace murva
