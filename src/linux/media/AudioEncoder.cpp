#include "media/AudioEncoder.h"

#include "media/LibavError.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

#include <algorithm>
#include <cstring>

namespace murva {

AudioEncoder::~AudioEncoder()
{
    av_packet_free(&packet_);
    av_frame_free(&frame_);
    avcodec_free_context(&codec_);
}

std::optional<QString> AudioEncoder::open(bool globalHeader)
{
    const auto configure = [](AVCodecContext *codec) {
        codec->sample_fmt = AV_SAMPLE_FMT_FLTP;
        codec->sample_rate = kSampleRate;
        av_channel_layout_default(&codec->ch_layout, 1);
        codec->bit_rate = kBitsPerSec;
        codec->time_base = kTimeBase;
        // The default coder's search costs a tenth of the recorder's CPU during a call and a
        // third of it on a still screen. At this bit rate the fast one loses nothing on
        // speech (on synthetic speech its signal-to-noise ratio was even the higher one).
        av_opt_set(codec->priv_data, "aac_coder", "fast", 0);
    };
    if (std::optional<QString> failure = openEncoder("aac", globalHeader, configure, codec_, packet_)) {
        return failure;
    }
    frame_ = av_frame_alloc();
    if (!frame_) {
        return libavErrorText(AVERROR(ENOMEM));
    }
    frameSamples_ = std::size_t(codec_->frame_size);
    frame_->format = codec_->sample_fmt;
    frame_->sample_rate = codec_->sample_rate;
    frame_->nb_samples = codec_->frame_size;
    av_channel_layout_copy(&frame_->ch_layout, &codec_->ch_layout);
    if (const int result = av_frame_get_buffer(frame_, 0); result < 0) {
        return libavErrorText(result);
    }
    pending_.reserve(frameSamples_);
    return std::nullopt;
}

int AudioEncoder::encode(std::int64_t firstSample, const float *samples, std::size_t count, const PacketSink &sink)
{
    if (!codec_ || flushed_ || !samples || count == 0) {
        return 0;
    }
    const std::int64_t gap = firstSample - nextSample();
    if (gap > 0) {
        if (const int result = append(nullptr, std::size_t(gap), sink); result < 0) {
            return result;
        }
    } else if (gap < 0) {
        const auto overlap = std::min(count, std::size_t(-gap));
        samples += overlap;
        count -= overlap;
    }
    return append(samples, count, sink);
}

int AudioEncoder::flush(const PacketSink &sink)
{
    if (!codec_ || flushed_) {
        return 0;
    }
    flushed_ = true;
    if (!pending_.empty()) {
        // The encoder takes a shorter last frame and trims the track to it.
        if (const int result = encodePending(sink); result < 0) {
            return result;
        }
    }
    if (const int result = avcodec_send_frame(codec_, nullptr); result < 0) {
        return result;
    }
    return receivePackets(sink);
}

int AudioEncoder::append(const float *samples, std::size_t count, const PacketSink &sink)
{
    while (count > 0) {
        const std::size_t taken = std::min(count, frameSamples_ - pending_.size());
        if (samples) {
            pending_.insert(pending_.end(), samples, samples + taken);
            samples += taken;
        } else {
            pending_.resize(pending_.size() + taken, 0.0f);
        }
        count -= taken;
        if (pending_.size() == frameSamples_) {
            if (const int result = encodePending(sink); result < 0) {
                return result;
            }
        }
    }
    return 0;
}

int AudioEncoder::encodePending(const PacketSink &sink)
{
    // The encoder may still hold the previous frame.
    if (const int result = av_frame_make_writable(frame_); result < 0) {
        return result;
    }
    frame_->nb_samples = int(pending_.size());
    frame_->pts = pendingStart_;
    std::memcpy(frame_->data[0], pending_.data(), pending_.size() * sizeof(float));
    pendingStart_ += std::int64_t(pending_.size());
    pending_.clear();
    if (const int result = avcodec_send_frame(codec_, frame_); result < 0) {
        return result;
    }
    return receivePackets(sink);
}

int AudioEncoder::receivePackets(const PacketSink &sink)
{
    return drainPackets(codec_, packet_, sink);
}

} // namespace murva
