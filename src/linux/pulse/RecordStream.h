#pragma once

#include "capture/SoundCapture.h"
#include "pulse/Resampler.h"

#include <pulse/stream.h>

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace murva {

// One record stream of one side, converted into SoundBuffer.
//
// Lives on the loop of its context: create, connect and destroy it with the loop
// locked (or the loop stopped). Its callbacks run on the loop thread with the lock
// held.
class RecordStream {
public:
    struct Events {
        // Loop thread, lock held: one block of sound, already 48000 Hz mono float and
        // stamped. Must return quickly.
        std::function<void(SoundBuffer)> deliver;
        // Loop thread, lock held: any change of the stream's state.
        std::function<void(pa_stream_state_t)> stateChanged;
        // Loop thread, lock held: the server moved the stream to another device.
        std::function<void()> moved;
    };

    RecordStream(pa_context *context, Side side, Events events);
    // Silences the callbacks and releases the stream; the context's teardown ends it.
    ~RecordStream();

    RecordStream(const RecordStream &) = delete;
    RecordStream &operator=(const RecordStream &) = delete;

    // Connects to `device` (the default source when null). Returns an error text when
    // the request cannot even be sent.
    std::optional<QString> connect(const char *device, pa_stream_flags_t extraFlags);

    pa_stream_state_t state() const;
    bool isReady() const { return state() == PA_STREAM_READY; }
    bool hasEnded() const;

    // Once ready: the source it records; empty before.
    std::string deviceName() const;

    // From now on only sound of `device` is passed on; nothing at all while it is empty.
    // What the stream records elsewhere, such as where the server moved it when its
    // device went away, becomes a gap the mixer fills with silence.
    void pinTo(std::string device);

    // Once ready: asks the server to move the stream to `device`, keeping it running.
    void moveTo(const std::string &device);

    // Once ready: sets up conversion when the server gives another format than the one
    // asked for; an error text when that format cannot be converted.
    std::optional<QString> prepareFormat();

private:
    static void onRead(pa_stream *stream, size_t bytes, void *self);
    static void onState(pa_stream *stream, void *self);
    static void onTiming(pa_stream *stream, int success, void *self);
    static void onMoved(pa_stream *stream, void *self);

    void readAll();
    void hold(const std::vector<float> &samples);
    void takeHeld(SoundBuffer &buffer);
    bool isOnPinnedDevice() const;
    void refreshTiming();
    void discardAll();
    void deliver(std::optional<SoundBuffer> &pending);
    std::vector<float> toMono(const void *data, std::size_t bytes, double &delaySec);
    std::int64_t firstSampleNs(std::size_t queuedBytes) const;

    pa_stream *stream_ = nullptr;
    Side side_;
    Events events_;
    std::unique_ptr<Resampler> resampler_;
    std::int64_t timingAskedNs_ = 0;
    // Whether a timing reply asked for after the first sound came in has arrived. The
    // figures before it may predate our connection (a sink whose monitor we join drops
    // its latency from seconds to our fragment), and sound stamped with them would land
    // far from where it belongs, so what comes before it, a fragment or so, is held and
    // placed just before the first sound stamped after it.
    bool timingSettled_ = false;
    static constexpr std::size_t maxHeldSamples = 48000;
    std::vector<float> held_;
    std::optional<std::string> pinnedDevice_;
};

} // namespace murva
