#include "media/PacketSink.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace murva {

int drainPackets(AVCodecContext *codec, AVPacket *packet, const PacketSink &sink)
{
    for (;;) {
        const int result = avcodec_receive_packet(codec, packet);
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) {
            return 0;
        }
        if (result < 0) {
            return result;
        }
        const int written = sink(packet);
        av_packet_unref(packet);
        if (written < 0) {
            return written;
        }
    }
}

} // namespace murva
