#include "media/Mp4Writer.h"

#include "media/AudioEncoder.h"
#include "media/LibavError.h"
#include "media/MediaFileOutput.h"
#include "media/VideoEncoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
}

namespace murva {

Mp4Writer::Mp4Writer() = default;

Mp4Writer::~Mp4Writer()
{
    release();
}

std::optional<QString> Mp4Writer::open(const MediaWriterSettings &settings)
{
    if (writing_ || failed_ || finishedCleanly_) {
        return QStringLiteral("the writer was already used");
    }
    if (auto problem = start(settings)) {
        release();
        failed_ = true;
        errorText_ = *problem;
        return problem;
    }
    writing_ = true;
    return std::nullopt;
}

bool Mp4Writer::appendAudio(std::int64_t firstSample, const float *samples, std::size_t count)
{
    if (!writing_) {
        return false;
    }
    const int result = audio_->encode(firstSample, samples, count, [this](AVPacket *packet) {
        return writePacket(packet, audioStream_, AudioEncoder::kTimeBase);
    });
    return result < 0 ? fail(result) : true;
}

bool Mp4Writer::appendVideo(double atSec, const VideoFrame &frame)
{
    if (!writing_) {
        return false;
    }
    if (!video_) {
        return true; // a file without a picture track ignores pictures
    }
    const int result = video_->encode(atSec, frame, [this](AVPacket *packet) {
        return writePacket(packet, videoStream_, VideoEncoder::kTimeBase);
    });
    return result < 0 ? fail(result) : true;
}

bool Mp4Writer::finish()
{
    if (writing_) {
        if (const int result = drainAndClose(); result < 0) {
            fail(result);
        } else {
            finishedCleanly_ = true;
        }
        writing_ = false;
    }
    release();
    return finishedCleanly_;
}

// Encoders first: a failure there leaves any old file at the path untouched.
std::optional<QString> Mp4Writer::start(const MediaWriterSettings &settings)
{
    if (const int result = avformat_alloc_output_context2(&muxer_, nullptr, "mp4", nullptr); result < 0) {
        return libavErrorText(result);
    }
    const bool globalHeader = muxer_->oformat->flags & AVFMT_GLOBALHEADER;
    if (settings.withVideo) {
        video_ = std::make_unique<VideoEncoder>();
        if (auto problem = video_->open(settings.frameSize, globalHeader)) {
            return QStringLiteral("video encoder: ") + *problem;
        }
        if (auto problem = addStream(video_->context(), videoStream_)) {
            return problem;
        }
    }
    audio_ = std::make_unique<AudioEncoder>();
    if (auto problem = audio_->open(globalHeader)) {
        return QStringLiteral("sound encoder: ") + *problem;
    }
    if (auto problem = addStream(audio_->context(), audioStream_)) {
        return problem;
    }
    return writeHeader(settings.path);
}

std::optional<QString> Mp4Writer::addStream(const AVCodecContext *encoder, AVStream *&stream)
{
    stream = avformat_new_stream(muxer_, nullptr);
    if (!stream) {
        return libavErrorText(AVERROR(ENOMEM));
    }
    stream->time_base = encoder->time_base;
    if (const int result = avcodec_parameters_from_context(stream->codecpar, encoder); result < 0) {
        return libavErrorText(result);
    }
    return std::nullopt;
}

std::optional<QString> Mp4Writer::writeHeader(const QString &path)
{
    file_ = std::make_unique<MediaFileOutput>();
    if (auto problem = file_->open(path)) {
        return problem;
    }
    muxer_->pb = file_->context();
    muxer_->flags |= AVFMT_FLAG_CUSTOM_IO;
    // An empty moov up front, then one moof per fragment: everything before the last
    // finished fragment stays readable without the trailer. frag_duration cuts a
    // fragment as soon as any track's fragment reaches 10 s, so both tracks share it.
    AVDictionary *options = nullptr;
    av_dict_set(&options, "movflags", "+empty_moov+default_base_moof", 0);
    av_dict_set_int(&options, "frag_duration", std::int64_t(kFragmentSec) * AV_TIME_BASE, 0);
    const int result = avformat_write_header(muxer_, &options);
    av_dict_free(&options);
    if (result < 0) {
        return libavErrorText(file_->failed() ? file_->error() : result);
    }
    // The header goes out at once, so that even an early end leaves a file that says
    // what it is.
    if (!file_->flush(false)) {
        return libavErrorText(file_->error());
    }
    bytesHandedOver_ = avio_tell(muxer_->pb);
    return std::nullopt;
}

int Mp4Writer::writePacket(AVPacket *packet, AVStream *stream, AVRational encoderTimeBase)
{
    av_packet_rescale_ts(packet, encoderTimeBase, stream->time_base);
    packet->stream_index = stream->index;
    if (const int result = av_write_frame(muxer_, packet); result < 0) {
        return result;
    }
    return pushFinishedFragment();
}

// Between fragments the muxer keeps the samples to itself; whenever its output moved,
// a whole fragment was written. It goes to the kernel now, whatever the muxer's own
// flushing habits, and to the disk every few fragments.
int Mp4Writer::pushFinishedFragment()
{
    const std::int64_t position = avio_tell(muxer_->pb);
    if (position == bytesHandedOver_) {
        return 0;
    }
    bytesHandedOver_ = position;
    ++fragmentsWritten_;
    const bool toDisk = fragmentsWritten_ % kFragmentsPerDiskSync == 0;
    return file_->flush(toDisk) ? 0 : file_->error();
}

int Mp4Writer::drainAndClose()
{
    int result = 0;
    if (video_) {
        result = video_->flush([this](AVPacket *packet) {
            return writePacket(packet, videoStream_, VideoEncoder::kTimeBase);
        });
    }
    if (result >= 0) {
        result = audio_->flush([this](AVPacket *packet) {
            return writePacket(packet, audioStream_, AudioEncoder::kTimeBase);
        });
    }
    if (result >= 0) {
        result = av_write_trailer(muxer_);
    }
    if (result >= 0 && !file_->close()) {
        result = file_->error();
    }
    return result;
}

bool Mp4Writer::fail(int error)
{
    if (!failed_) {
        failed_ = true;
        errorText_ = libavErrorText(file_ && file_->failed() ? file_->error() : error);
    }
    writing_ = false;
    return false;
}

void Mp4Writer::release()
{
    avformat_free_context(muxer_); // the file's context is ours and stays open until below
    muxer_ = nullptr;
    videoStream_ = nullptr;
    audioStream_ = nullptr;
    video_.reset();
    audio_.reset();
    file_.reset();
}

} // namespace murva
