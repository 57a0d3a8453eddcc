#include "media/PacketSink.h"

#include "media/LibavError.h"

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

std::optional<QString> openEncoder(const char *name, bool globalHeader,
                                   const std::function<void(AVCodecContext *)> &configure, AVCodecContext *&codec,
                                   AVPacket *&packet)
{
    const AVCodec *encoder = avcodec_find_encoder_by_name(name);
    if (!encoder) {
        return QStringLiteral("the encoder %1 is not available").arg(QLatin1String(name));
    }
    codec = avcodec_alloc_context3(encoder);
    packet = av_packet_alloc();
    if (!codec || !packet) {
        return libavErrorText(AVERROR(ENOMEM));
    }
    configure(codec);
    if (globalHeader) {
        codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    if (const int result = avcodec_open2(codec, encoder, nullptr); result < 0) {
        return libavErrorText(result);
    }
    return std::nullopt;
}

} // namespace murva
