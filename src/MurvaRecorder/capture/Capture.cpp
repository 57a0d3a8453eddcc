#include "capture/Capture.h"

#include "calls/CallModel.h"
#include "log/Log.h"
#include "support/QueueTask.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <ctime>

namespace murva {

namespace {
constexpr double nsPerSec = 1e9;

std::int64_t systemMonotonicNowNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return std::int64_t(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}
} // namespace

Capture::Capture(QString path, bool withVideo, CapturePorts ports)
    : monotonicNowNs(systemMonotonicNowNs), path_(std::move(path)), withVideo_(withVideo), ports_(std::move(ports))
{
}

Capture::~Capture()
{
    // A capture dropped without end() leaves its file as the last fragment left it.
    stopSources();
    queue_.drain();
}

QSize Capture::frameSize(const CaptureTarget &target)
{
    if (target.isWindow()) {
        return {1280, 720};
    }
    const QRectF frame = target.display().frame;
    const double scale = std::min(1280.0 / frame.width(), 1.0);
    const int width = std::max(2 * int(std::trunc(frame.width() * scale * 0.5)), 2);
    const int height = std::max(2 * int(std::trunc(scale * frame.height() * 0.5)), 2);
    return {width, height};
}

QRectF Capture::crop(const CaptureTarget &target, const std::vector<ShareableDisplay> &displays)
{
    if (!target.isWindow()) {
        return {};
    }
    const ShareableWindow &window = target.window();
    const QSizeF size = window.frame.size();
    const bool fullScreen = std::any_of(displays.begin(), displays.end(), [&](const ShareableDisplay &display) {
        return display.frame.size() == size;
    });
    const QString bundleID = window.owningApplication ? window.owningApplication->bundleIdentifier : QString();
    const double bar = browserBarHeight(bundleID, fullScreen);
    if (bar > 0 && size.height() > bar * 3) {
        return QRectF(0, bar, size.width(), size.height() - bar);
    }
    return {};
}

// The arguments are references (GCC 12 miscounts by-value parameters of class type in
// coroutines) and are copied before the first suspension.
QCoro::Task<> Capture::begin(const CaptureTarget &target, const std::optional<RunningApplication> &excluding)
{
    Q_UNUSED(excluding) // X11 cannot leave one program's windows out of a display picture
    // The recording starts now, not when the first sound arrives: a device that wakes
    // slowly would otherwise cut off what was said meanwhile. The mixer pads a side
    // with silence until its sound comes.
    startNs_ = monotonicNowNs();
    const Aimed aimed = Aimed::of(target);
    const QRectF sourceRect = crop(target, displays);
    QFile::remove(path_);
    const CaptureTarget copy = target;
    auto started =
        runOnQueue(queue_, [this, copy, sourceRect] { return startOnQueue(copy, sourceRect); });
    const std::optional<QString> error = co_await started;
    if (error) {
        throw CaptureError(*error, error->startsWith(QStringLiteral("screen: ")));
    }
    began_ = true;
    aimed_ = aimed;
}

// Opens the writer, then the sound, then the picture; undoes what it started on failure.
// The writer is closed too, so that nothing holds the file once begin has failed: its
// owner deletes it then.
std::optional<QString> Capture::startOnQueue(const CaptureTarget &target, const QRectF &sourceRect)
{
    const QSize size = withVideo_ ? frameSize(target) : QSize(2, 2);
    if (auto error = ports_.writer->open({path_, withVideo_, size})) {
        return error;
    }
    writerOpen_ = true;
    auto error = startSources(target, sourceRect, size);
    if (error) {
        ports_.writer->finish();
        writerOpen_ = false;
    }
    return error;
}

std::optional<QString> Capture::startSources(const CaptureTarget &target, const QRectF &sourceRect, QSize size)
{
    SoundCapture::Callbacks sound;
    // Both run on the sound server's thread: hand over and return.
    sound.deliver = [this](SoundBuffer buffer) {
        queue_.submit([this, buffer = std::move(buffer)]() mutable { handleSound(std::move(buffer)); });
    };
    sound.broken = [this] { queue_.submit([this] { reportBroken(); }); };
    if (auto error = ports_.sound->start(std::move(sound))) {
        return QStringLiteral("sound: ") + *error;
    }
    if (!withVideo_) {
        return std::nullopt;
    }

    PictureCapture::Callbacks picture;
    // Both run on the grabbing thread: hand over and return.
    picture.deliver = [this](VideoFrame frame) {
        queue_.submit([this, frame = std::move(frame)]() mutable { handleFrame(std::move(frame)); });
    };
    picture.broken = [this] { queue_.submit([this] { reportBroken(); }); };
    if (auto error = ports_.picture->start(target, sourceRect, size, true, std::move(picture))) {
        ports_.sound->stop();
        return QStringLiteral("screen: ") + *error;
    }
    return std::nullopt;
}

void Capture::aim(const CaptureTarget &target, const std::optional<RunningApplication> &excluding)
{
    Q_UNUSED(excluding)
    if (!began_ || aimed_ == Aimed::of(target)) {
        return;
    }
    if (withVideo_) {
        ports_.picture->aim(target, crop(target, displays));
    }
    aimed_ = Aimed::of(target);
}

QCoro::Task<CaptureResult> Capture::end()
{
    // The recording ends now, not once the queue has worked through the pictures it
    // still holds: once begun, the sources stop right here. Whatever they delivered
    // until then is queued ahead of the close; sound stamped after this moment (a
    // monitor hands out what its sink has yet to play) is cut off. While begin is still
    // starting the sources on the queue, stopping waits its turn there.
    std::int64_t notEnded = notEndedNs;
    endNs_.compare_exchange_strong(notEnded, monotonicNowNs());
    if (began_) {
        stopSources();
    } else {
        auto stopped = runOnQueue(queue_, [this] { stopSources(); });
        co_await stopped;
    }
    auto closed = runOnQueue(queue_, [this] { return close(); });
    co_return co_await closed;
}

void Capture::stopSources()
{
    ports_.sound->stop();
    if (ports_.picture) {
        ports_.picture->stop();
    }
}

bool Capture::writing() const
{
    return writerOpen_ && !ports_.writer->failed();
}

void Capture::extendLast(std::int64_t monotonicNs)
{
    if (!lastNs_ || monotonicNs > *lastNs_) {
        lastNs_ = monotonicNs;
    }
}

void Capture::handleSound(SoundBuffer buffer)
{
    if (finished_ || !writing() || buffer.samples.empty()) {
        return;
    }
    const double atSec = double(buffer.monotonicNs - *startNs_) / nsPerSec;
    mixer_.add(buffer.samples, atSec, buffer.side);
    writeMixed(mixer_.take(false));
    extendLast(buffer.monotonicNs + std::int64_t(double(buffer.samples.size()) * nsPerSec / Mixer::rate));
}

void Capture::handleFrame(VideoFrame frame)
{
    if (!withVideo_ || finished_ || !writing()) {
        return;
    }
    if (frame.monotonicNs < *startNs_ || frame.monotonicNs >= endNs_.load()) {
        return; // taken before the file's time 0 or after its end
    }
    // The first picture stands in from time 0, so that the picture track starts with
    // the file.
    const double atSec = pictureWritten_ ? double(frame.monotonicNs - *startNs_) / nsPerSec : 0.0;
    pictureWritten_ = true;
    ports_.writer->appendVideo(atSec, frame);
    extendLast(frame.monotonicNs);
    checkWriter();
}

void Capture::writeMixed(const std::optional<Mixer::Chunk> &chunk)
{
    if (!chunk || !startNs_ || !writing()) {
        return;
    }
    std::size_t count = chunk->samples.size();
    if (const std::int64_t endNs = endNs_.load(); endNs != notEndedNs) {
        const auto endSample = std::int64_t(std::llround(double(endNs - *startNs_) * Mixer::rate / nsPerSec));
        count = std::size_t(std::clamp<std::int64_t>(endSample - chunk->firstSample, 0, std::int64_t(count)));
    }
    if (count > 0) {
        ports_.writer->appendAudio(chunk->firstSample, chunk->samples.data(), count);
    }
    checkWriter();
}

// Logs the first failure of the writer, once per capture.
void Capture::checkWriter()
{
    if (failureLogged_ || !ports_.writer->failed()) {
        return;
    }
    failureLogged_ = true;
    const qint64 seconds = (startNs_ && lastNs_) ? qint64((*lastNs_ - *startNs_) / std::int64_t(nsPerSec)) : 0;
    const QString error = ports_.writer->errorText();
    Log::write(QStringLiteral("writer failed after %1 s: %2").arg(seconds).arg(error.isEmpty() ? QStringLiteral("unknown") : error));
}

void Capture::reportBroken()
{
    if (brokenReported_ || finished_) {
        return;
    }
    brokenReported_ = true;
    if (onBroken) {
        onBroken();
    }
}

CaptureResult Capture::close()
{
    if (finished_) {
        return result_;
    }
    finished_ = true;
    writeMixed(mixer_.take(true));
    result_.turns = mixer_.finish();
    if (lastNs_) {
        lastNs_ = std::min(*lastNs_, endNs_.load());
    }
    result_.durationSec = (startNs_ && lastNs_) ? std::max(double(*lastNs_ - *startNs_) / nsPerSec, 0.0) : 0;
    if (writing()) {
        ports_.writer->finish();
        checkWriter();
    }
    return result_;
}

} // namespace murva
