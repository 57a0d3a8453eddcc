#pragma once

#include "capture/CaptureTarget.h"
#include "capture/MediaWriter.h"
#include "capture/PictureCapture.h"
#include "capture/SoundCapture.h"
#include "support/SerialQueue.h"
#include "turns/Mixer.h"

#include <QCoroTask>
#include <QRectF>
#include <QSize>
#include <QString>

#include <atomic>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

namespace murva {

// Why a capture could not begin. `fromScreen` tells a refusal of the screen (the model
// then blocks screen access) from any other failure.
class CaptureError : public std::runtime_error {
public:
    explicit CaptureError(const QString &what, bool fromScreen = false)
        : std::runtime_error(what.toStdString()), fromScreen_(fromScreen)
    {
    }
    bool fromScreen() const { return fromScreen_; }

private:
    bool fromScreen_;
};

// What a finished capture reports.
struct CaptureResult {
    double durationSec = 0;
    std::vector<Turn> turns;
};

// The Linux pieces a capture drives.
struct CapturePorts {
    std::unique_ptr<SoundCapture> sound;
    std::unique_ptr<PictureCapture> picture; // unused without video
    std::unique_ptr<MediaWriter> writer;
};

// Records one call into one MP4 file: the microphone (host) and the computer's sound
// (guests) mixed into one track, and optionally the picture of a window or display.
// Feeds both sides to a Mixer, so that it ends with the recording's turns.
//
// begin, aim and end are called on the owner's thread. Everything the sources deliver
// is handled on the capture's own queue, "dev.murva.recorder.capture": the mixer, the
// writer and the closing of the file only ever run there.
class Capture {
public:
    Capture(QString path, bool withVideo, CapturePorts ports);
    ~Capture();

    Capture(const Capture &) = delete;
    Capture &operator=(const Capture &) = delete;

    const QString &path() const { return path_; }
    bool withVideo() const { return withVideo_; }

    // Called on the capture's queue when a source stops by itself (the sound server or
    // the X display went away). Set before begin.
    std::function<void()> onBroken;
    // The computer's displays, used to tell a full-screen window. Set before begin.
    std::vector<ShareableDisplay> displays;
    // CLOCK_MONOTONIC now, in nanoseconds, the clock the sources stamp with. Tests set
    // their own before begin.
    std::function<std::int64_t()> monotonicNowNs;

    // Starts the writer and the sources; the file's time 0 is the moment of this call.
    // Throws CaptureError, with the writer closed again.
    QCoro::Task<> begin(const CaptureTarget &target, const std::optional<RunningApplication> &excluding);

    // Points the picture at another window or display; failures are silent.
    void aim(const CaptureTarget &target, const std::optional<RunningApplication> &excluding);

    // Stops the sources, drains what they delivered and closes the file. Calling it again
    // reports the same result without touching the file.
    QCoro::Task<CaptureResult> end();

    // What the picture shows now; nothing before begin.
    std::optional<Aimed> aimed() const { return aimed_; }

    // The monotonic time of the file's time 0; nothing before begin.
    std::optional<std::int64_t> timeZeroNs() const { return startNs_; }

    // The picture size of a recording of `target`.
    static QSize frameSize(const CaptureTarget &target);
    // The part of a window to record (cutting a browser's toolbar off), in the window's
    // own coordinates; a null rectangle for all of it.
    static QRectF crop(const CaptureTarget &target, const std::vector<ShareableDisplay> &displays);

private:
    std::optional<QString> startOnQueue(const CaptureTarget &target, const QRectF &sourceRect);
    std::optional<QString> startSources(const CaptureTarget &target, const QRectF &sourceRect, QSize size);
    void stopSources();
    void handleSound(SoundBuffer buffer);
    void handleFrame(VideoFrame frame);
    void writeMixed(const std::optional<Mixer::Chunk> &chunk);
    void checkWriter();
    void reportBroken();
    bool writing() const;
    void extendLast(std::int64_t monotonicNs);
    CaptureResult close();

    const QString path_;
    const bool withVideo_;
    CapturePorts ports_;
    std::optional<Aimed> aimed_;
    bool began_ = false;

    // Set by begin before its job is queued; read-only afterwards.
    std::optional<std::int64_t> startNs_; // time 0 of the file: when begin was called
    // When end was first called; read on the queue.
    static constexpr std::int64_t notEndedNs = std::numeric_limits<std::int64_t>::max();
    std::atomic<std::int64_t> endNs_{notEndedNs};

    // Touched only on the queue once begun.
    Mixer mixer_;
    std::optional<std::int64_t> lastNs_;  // the latest media time written
    bool pictureWritten_ = false;
    bool writerOpen_ = false;
    bool finished_ = false;
    bool failureLogged_ = false;
    bool brokenReported_ = false;
    CaptureResult result_;

    // Last, so that it is joined before the state its jobs use goes away.
    SerialQueue queue_{"dev.murva.recorder.capture"};
};

} // namespace murva
