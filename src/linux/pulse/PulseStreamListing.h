#pragma once

#include "pulse/PulseConnection.h"

#include <QString>

#include <optional>
#include <vector>

namespace murva {

// What the sound server tells about one stream of a client, before anything is
// looked up in /proc. Empty texts are properties the stream does not carry.
struct PulseStreamFacts {
    bool isRecording = false; // a source output; otherwise a sink input (playback)
    bool isCorked = false;    // paused by its program: not running
    QString processID;        // "application.process.id"
    QString applicationID;    // "application.id"
    QString processBinary;    // "application.process.binary"

    bool operator==(const PulseStreamFacts &) const = default;
};

// Lock held, context ready. Every playback and record stream on the server; nothing
// when either list does not arrive complete before the deadline.
std::optional<std::vector<PulseStreamFacts>> listStreams(PulseConnection &connection,
                                                         PulseConnection::Deadline deadline);

} // namespace murva
