#pragma once

#include "capture/MediaInspector.h"

namespace murva {

// Reads a recording back with libavformat. The duration is measured by demuxing packets
// (without decoding), so a file cut short by a crash reports what it really holds; of a
// recording cut into fragments only the first and the last fragments are read (see
// Mp4Excerpt). Only MPEG-4 files are read: anything else gives nothing. Blocks on the
// disk: call it off the main thread.
class LibavMediaInspector final : public MediaInspector {
public:
    std::optional<MediaFileInfo> inspect(const QString &path) const override;
};

} // namespace murva
