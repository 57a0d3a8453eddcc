#pragma once

#include <QString>

#include <functional>
#include <optional>

struct AVCodecContext;
struct AVPacket;

namespace murva {

// Receives each packet an encoder produces, in the encoder's time base. Returns 0, or a
// negative libav error that stops the encoder and is handed back to its caller.
using PacketSink = std::function<int(AVPacket *)>;

// Hands every packet the encoder has ready to `sink`, using `packet` as the buffer.
// Returns 0 once the encoder wants more input (or is drained), else the first error.
int drainPackets(AVCodecContext *codec, AVPacket *packet, const PacketSink &sink);

// Finds the encoder called `name` and opens a context of it into `codec`, set up by
// `configure` first; `globalHeader`: the container wants the parameter sets out of band
// (MP4 does). Also allocates `packet`. Gives the error's text, or nothing once open.
std::optional<QString> openEncoder(const char *name, bool globalHeader,
                                   const std::function<void(AVCodecContext *)> &configure, AVCodecContext *&codec,
                                   AVPacket *&packet);

} // namespace murva
