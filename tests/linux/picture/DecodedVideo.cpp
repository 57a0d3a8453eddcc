#include "DecodedVideo.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}


namespace murva::test {
namespace {
struct Demuxer {
    AVFormatContext *context = nullptr;
    ~Demuxer() { avformat_close_input(&context); }
};

struct Decoder {
    AVCodecContext *context = nullptr;
    AVFrame *frame = av_frame_alloc();
    AVPacket *packet = av_packet_alloc();
    ~Decoder()
    {
        av_packet_free(&packet);
        av_frame_free(&frame);
        avcodec_free_context(&context);
    }
};

VideoFrame unpadded(const AVFrame *frame)
{
    VideoFrame picture{0, frame->width, frame->height, {}};
    for (int plane = 0; plane < 3; ++plane) {
        const int width = plane == 0 ? frame->width : (frame->width + 1) / 2;
        const int height = plane == 0 ? frame->height : (frame->height + 1) / 2;
        for (int y = 0; y < height; ++y) {
            const std::uint8_t *row = frame->data[plane] + std::ptrdiff_t(y) * frame->linesize[plane];
            picture.i420.insert(picture.i420.end(), row, row + width);
        }
    }
    return picture;
}

void takeDecoded(Decoder &decoder, const AVStream *stream, DecodedVideo &video)
{
    while (avcodec_receive_frame(decoder.context, decoder.frame) == 0) {
        const double atSec = double(decoder.frame->best_effort_timestamp) * av_q2d(stream->time_base);
        video.pictures.push_back({atSec, unpadded(decoder.frame)});
        av_frame_unref(decoder.frame);
    }
}
} // namespace

const VideoFrame *DecodedVideo::shownAt(double atSec) const
{
    const VideoFrame *shown = nullptr;
    for (const Picture &picture : pictures) {
        if (picture.atSec <= atSec) {
            shown = &picture.frame;
        }
    }
    return shown;
}

DecodedVideo decodeVideo(const QString &path)
{
    DecodedVideo video;
    Demuxer demuxer;
    if (avformat_open_input(&demuxer.context, path.toLocal8Bit().constData(), nullptr, nullptr) < 0
        || avformat_find_stream_info(demuxer.context, nullptr) < 0) {
        return video;
    }
    const int index = av_find_best_stream(demuxer.context, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (index < 0) {
        return video;
    }
    const AVStream *stream = demuxer.context->streams[index];
    // The sum of the durations of the track's samples, read from its fragments.
    video.endSec = double(stream->duration) * av_q2d(stream->time_base);
    Decoder decoder;
    decoder.context = avcodec_alloc_context3(avcodec_find_decoder(stream->codecpar->codec_id));
    avcodec_parameters_to_context(decoder.context, stream->codecpar);
    if (avcodec_open2(decoder.context, nullptr, nullptr) < 0) {
        return video;
    }
    while (av_read_frame(demuxer.context, decoder.packet) == 0) {
        if (decoder.packet->stream_index == index) {
            avcodec_send_packet(decoder.context, decoder.packet);
            takeDecoded(decoder, stream, video);
        }
        av_packet_unref(decoder.packet);
    }
    avcodec_send_packet(decoder.context, nullptr);
    takeDecoded(decoder, stream, video);
    return video;
}

} // namespace murva::test
