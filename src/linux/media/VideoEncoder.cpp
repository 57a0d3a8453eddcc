#include "media/VideoEncoder.h"

#include "capture/PictureCapture.h"
#include "media/LibavError.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
}

#include <algorithm>
#include <cmath>
#include <thread>

namespace murva {
namespace {
// x264's fastest presets spend little search on each picture; "veryfast" still keeps
// screen text sharp at 1 Mb/s while costing a fraction of one core at 720p.
constexpr const char *kPreset = "veryfast";

int encoderThreads()
{
    // Capture, sound and the desktop itself share the machine: at most two threads.
    return int(std::clamp(std::thread::hardware_concurrency(), 1u, 2u));
}

constexpr std::int64_t frameTicks()
{
    return VideoEncoder::kTimeBase.den / (VideoEncoder::kTimeBase.num * VideoEncoder::kFramesPerSec);
}

int chromaSize(int length)
{
    return (length + 1) / 2;
}
} // namespace

VideoEncoder::~VideoEncoder()
{
    av_packet_free(&held_);
    av_packet_free(&packet_);
    av_frame_free(&picture_);
    avcodec_free_context(&codec_);
}

std::optional<QString> VideoEncoder::open(QSize frameSize, bool globalHeader)
{
    const auto configure = [frameSize](AVCodecContext *codec) {
        codec->width = frameSize.width();
        codec->height = frameSize.height();
        codec->pix_fmt = AV_PIX_FMT_YUV420P;
        codec->time_base = kTimeBase;
        codec->framerate = AVRational{kFramesPerSec, 1};
        codec->bit_rate = kBitsPerSec;
        // Key frames are asked for by time (EncodePacing); x264's own count is only a
        // backstop, above what 4 s hold at the full rate.
        codec->gop_size = 2 * kKeyFrameEverySec * kFramesPerSec;
        codec->max_b_frames = 0;
        codec->profile = FF_PROFILE_H264_HIGH;
        codec->thread_count = encoderThreads();
        av_opt_set(codec->priv_data, "preset", kPreset, 0);
        av_opt_set(codec->priv_data, "profile", "high", 0);
    };
    if (std::optional<QString> failure = openEncoder("libx264", globalHeader, configure, codec_, packet_)) {
        return failure;
    }
    picture_ = av_frame_alloc();
    held_ = av_packet_alloc();
    if (!picture_ || !held_) {
        return libavErrorText(AVERROR(ENOMEM));
    }
    picture_->format = codec_->pix_fmt;
    picture_->width = codec_->width;
    picture_->height = codec_->height;
    if (const int result = av_frame_get_buffer(picture_, 0); result < 0) {
        return libavErrorText(result);
    }
    return std::nullopt;
}

int VideoEncoder::encode(double atSec, const VideoFrame &frame, const PacketSink &sink)
{
    if (!codec_ || flushed_ || !fits(frame) || !std::isfinite(atSec) || atSec < 0) {
        return 0;
    }
    const auto pts = std::int64_t(std::llround(atSec * kTimeBase.den / kTimeBase.num));
    if (pts <= lastPts_) {
        return 0;
    }
    lastPts_ = pts;
    const EncodePacing::Decision decision = pacing_.next(pts, frame.repeatsPrevious());
    if (decision == EncodePacing::Decision::skip) {
        return 0;
    }
    // A repeat sends the picture still in picture_ again, unchanged.
    if (!frame.repeatsPrevious()) {
        if (const int result = fillPicture(frame); result < 0) {
            return result;
        }
    }
    if (const int result = send(decision, pts); result < 0) {
        return result;
    }
    return receivePackets(sink);
}

int VideoEncoder::flush(const PacketSink &sink)
{
    if (!codec_ || flushed_) {
        return 0;
    }
    flushed_ = true;
    if (const int result = avcodec_send_frame(codec_, nullptr); result < 0) {
        return result;
    }
    if (const int result = receivePackets(sink); result < 0) {
        return result;
    }
    // The last picture lasts as long as a frame after the latest frame handed in.
    return passHeldPacket(sink, lastPts_ + frameTicks());
}

int VideoEncoder::send(EncodePacing::Decision decision, std::int64_t pts)
{
    picture_->pts = pts;
    picture_->pict_type =
        decision == EncodePacing::Decision::encodeKeyFrame ? AV_PICTURE_TYPE_I : AV_PICTURE_TYPE_NONE;
    return avcodec_send_frame(codec_, picture_);
}

bool VideoEncoder::fits(const VideoFrame &frame) const
{
    const auto lumaBytes = std::size_t(codec_->width) * std::size_t(codec_->height);
    const auto chromaBytes = std::size_t(chromaSize(codec_->width)) * std::size_t(chromaSize(codec_->height));
    return frame.width == codec_->width && frame.height == codec_->height
        && (frame.repeatsPrevious() || frame.i420.size() == lumaBytes + 2 * chromaBytes);
}

int VideoEncoder::fillPicture(const VideoFrame &frame)
{
    // The encoder may still hold the previous picture.
    if (const int result = av_frame_make_writable(picture_); result < 0) {
        return result;
    }
    const std::uint8_t *source = frame.i420.data();
    for (int plane = 0; plane < 3; ++plane) {
        const int width = plane == 0 ? frame.width : chromaSize(frame.width);
        const int height = plane == 0 ? frame.height : chromaSize(frame.height);
        av_image_copy_plane(picture_->data[plane], picture_->linesize[plane], source, width, width, height);
        source += std::size_t(width) * std::size_t(height);
    }
    return 0;
}

int VideoEncoder::receivePackets(const PacketSink &sink)
{
    return drainPackets(codec_, packet_, [this, &sink](AVPacket *packet) {
        const int result = passHeldPacket(sink, packet->dts);
        av_packet_move_ref(held_, packet);
        return result;
    });
}

// Hands on the held packet, lasting until `endPts`.
int VideoEncoder::passHeldPacket(const PacketSink &sink, std::int64_t endPts)
{
    if (held_->size == 0) {
        return 0;
    }
    held_->duration = std::max<std::int64_t>(endPts - held_->dts, 1);
    const int result = sink(held_);
    av_packet_unref(held_);
    return result;
}

} // namespace murva
