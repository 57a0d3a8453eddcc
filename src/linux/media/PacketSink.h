#pragma once

#include <functional>

struct AVPacket;

namespace murva {

// Receives each packet an encoder produces, in the encoder's time base. Returns 0, or a
// negative libav error that stops the encoder and is handed back to its caller.
using PacketSink = std::function<int(AVPacket *)>;

} // namespace murva
