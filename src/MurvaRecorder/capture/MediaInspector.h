#pragma once

#include <QString>

#include <optional>
#include <vector>

namespace murva {

struct MediaTrackInfo {
    enum class Kind { audio, video, other };
    Kind kind = Kind::other;
    QString codec;      // "aac", "h264", ...
    int sampleRate = 0; // audio
    int channels = 0;   // audio
    int width = 0;      // video
    int height = 0;     // video
};

struct MediaFileInfo {
    // Up to the end of the last packet that actually demuxes, not what the header claims
    // (a truncated fragmented file claims more than it holds).
    double durationSec = 0;
    std::vector<MediaTrackInfo> tracks;
};

// Port: reading a recording back.
class MediaInspector {
public:
    virtual ~MediaInspector() = default;

    // Nothing when the file cannot be opened as a media file.
    virtual std::optional<MediaFileInfo> inspect(const QString &path) const = 0;
};

} // namespace murva
