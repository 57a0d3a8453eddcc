#pragma once

#include "calls/AudioProcessSource.h"
#include "identity/ProcessFacts.h"
#include "pulse/PulseStreamListing.h"

#include <vector>

namespace murva {

// The programs behind the server's streams, one entry per process and application
// identifier, in the order the streams came. A process is running input while one of
// its record streams is not corked, and running output likewise for playback.
//
// Left out: streams without a usable process id, those of `ownProcessID`, those whose
// process is no longer in `procRoot` once looked up, and those with no identifier.
std::vector<AudioProcess> audioProcessesOf(const std::vector<PulseStreamFacts> &streams, qint64 ownProcessID,
                                           const QString &procRoot = kProcRoot);

} // namespace murva
