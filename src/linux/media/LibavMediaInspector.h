#pragma once

#include "capture/MediaInspector.h"

namespace murva {

// Reads a recording back with libavformat. The duration is measured by demuxing every
// packet (without decoding), so a file cut short by a crash reports what it really
// holds. Only MPEG-4 files are read: anything else gives nothing.
class LibavMediaInspector final : public MediaInspector {
public:
    std::optional<MediaFileInfo> inspect(const QString &path) const override;
};

} // namespace murva
