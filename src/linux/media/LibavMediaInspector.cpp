#include "media/LibavMediaInspector.h"

#include "media/Mp4Input.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <limits>
#include <memory>
#include <optional>

namespace murva {
namespace {

MediaTrackInfo trackOf(const AVCodecParameters &parameters)
{
    MediaTrackInfo track;
    track.codec = QString::fromLatin1(avcodec_get_name(parameters.codec_id));
    switch (parameters.codec_type) {
    case AVMEDIA_TYPE_AUDIO:
        track.kind = MediaTrackInfo::Kind::audio;
        track.sampleRate = parameters.sample_rate;
        track.channels = parameters.ch_layout.nb_channels;
        break;
    case AVMEDIA_TYPE_VIDEO:
        track.kind = MediaTrackInfo::Kind::video;
        track.width = parameters.width;
        track.height = parameters.height;
        break;
    default:
        track.kind = MediaTrackInfo::Kind::other;
        break;
    }
    return track;
}

// How long a packet that does not say so lasts: one picture at the stream's rate, or
// one frame of sound. The demuxer leaves it out for the pictures of fragmented files.
std::int64_t nominalDuration(const AVStream &stream)
{
    const AVCodecParameters &parameters = *stream.codecpar;
    AVRational lasts{0, 1};
    if (parameters.codec_type == AVMEDIA_TYPE_VIDEO) {
        const AVRational rate = stream.avg_frame_rate.num > 0 ? stream.avg_frame_rate : stream.r_frame_rate;
        lasts = rate.num > 0 ? av_inv_q(rate) : lasts;
    } else if (parameters.codec_type == AVMEDIA_TYPE_AUDIO && parameters.sample_rate > 0) {
        lasts = AVRational{parameters.frame_size, parameters.sample_rate};
    }
    return lasts.num > 0 ? av_rescale_q(1, lasts, stream.time_base) : 0;
}

// The span of one stream's packets, in its own time base.
struct Span {
    std::int64_t first = std::numeric_limits<std::int64_t>::max();
    std::int64_t end = std::numeric_limits<std::int64_t>::min();
    std::int64_t lastStart = std::numeric_limits<std::int64_t>::min();

    bool empty() const { return end < first; }
    void add(std::int64_t at, std::int64_t duration)
    {
        first = std::min(first, at);
        end = std::max(end, at + duration);
        lastStart = std::max(lastStart, at);
    }
};

std::vector<Span> demuxedSpans(AVFormatContext *input)
{
    std::vector<Span> spans(input->nb_streams);
    std::vector<std::int64_t> nominal;
    for (unsigned index = 0; index < input->nb_streams; ++index) {
        nominal.push_back(nominalDuration(*input->streams[index]));
    }
    AVPacket *packet = av_packet_alloc();
    while (packet && av_read_frame(input, packet) >= 0) {
        const std::int64_t at = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        const auto index = std::size_t(packet->stream_index);
        // A short read at the cut of a truncated file is flagged corrupt: not held.
        if (!(packet->flags & AV_PKT_FLAG_CORRUPT) && at != AV_NOPTS_VALUE && index < spans.size()) {
            spans[index].add(at, packet->duration > 0 ? packet->duration : nominal[index]);
        }
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    return spans;
}

bool isSound(const AVStream &stream)
{
    return stream.codecpar->codec_type == AVMEDIA_TYPE_AUDIO;
}

// A recording keeps time by its sound. The length of its last picture is only the
// nominal one, a frame at the stream's rate, which the recording never had: a file with
// sound ends where its sound ends, or where its last picture starts if that is later.
double longestSec(AVFormatContext *input, const std::vector<Span> &spans)
{
    std::optional<double> soundEndSec;
    for (unsigned index = 0; index < input->nb_streams; ++index) {
        if (!spans[index].empty() && isSound(*input->streams[index])) {
            const double endSec = double(spans[index].end) * av_q2d(input->streams[index]->time_base);
            soundEndSec = std::max(soundEndSec.value_or(endSec), endSec);
        }
    }
    double longest = 0;
    for (unsigned index = 0; index < input->nb_streams; ++index) {
        const Span &span = spans[index];
        if (span.empty()) {
            continue;
        }
        const double secondsPerTick = av_q2d(input->streams[index]->time_base);
        double endSec = double(span.end) * secondsPerTick;
        if (soundEndSec && !isSound(*input->streams[index])) {
            endSec = std::max(double(span.lastStart) * secondsPerTick, std::min(endSec, *soundEndSec));
        }
        longest = std::max(longest, endSec - double(span.first) * secondsPerTick);
    }
    return longest;
}

} // namespace

std::optional<MediaFileInfo> LibavMediaInspector::inspect(const QString &path) const
{
    const std::unique_ptr<Mp4Input> opened = Mp4Input::open(path);
    if (!opened) {
        return std::nullopt;
    }
    AVFormatContext *input = opened->context();
    // A file cut inside its first fragment may not tell everything; what it does tell
    // is still worth reporting.
    avformat_find_stream_info(input, nullptr);
    if (input->nb_streams == 0) {
        return std::nullopt;
    }
    MediaFileInfo info;
    for (unsigned index = 0; index < input->nb_streams; ++index) {
        info.tracks.push_back(trackOf(*input->streams[index]->codecpar));
    }
    info.durationSec = longestSec(input, demuxedSpans(input));
    return info;
}

} // namespace murva
