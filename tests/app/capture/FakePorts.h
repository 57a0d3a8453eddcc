#pragma once

#include "capture/MediaWriter.h"
#include "capture/PictureCapture.h"
#include "capture/SoundCapture.h"

#include <gtest/gtest.h>

#include <vector>

namespace murva::test {

// Sources that deliver only what the test hands them.
struct FakeSound : SoundCapture {
    Callbacks callbacks;
    std::optional<QString> failure;
    int stops = 0;

    std::optional<QString> start(Callbacks given) override
    {
        if (failure) {
            return failure;
        }
        callbacks = std::move(given);
        return std::nullopt;
    }
    void stop() override { ++stops; }

    void send(Side side, std::int64_t monotonicNs, std::vector<float> samples)
    {
        callbacks.deliver(SoundBuffer{side, monotonicNs, std::move(samples)});
    }
};

struct FakePicture : PictureCapture {
    Callbacks callbacks;
    std::optional<QString> failure;
    std::vector<QRectF> sourceRects;
    std::vector<Aimed> aims;

    std::optional<QString> start(const CaptureTarget &target, const QRectF &sourceRect, QSize, bool,
                                 Callbacks given) override
    {
        if (failure) {
            return failure;
        }
        callbacks = std::move(given);
        sourceRects.push_back(sourceRect);
        aims.push_back(Aimed::of(target));
        return std::nullopt;
    }
    void aim(const CaptureTarget &target, const QRectF &sourceRect) override
    {
        sourceRects.push_back(sourceRect);
        aims.push_back(Aimed::of(target));
    }
    void stop() override {}

    void send(std::int64_t monotonicNs) { callbacks.deliver(VideoFrame{monotonicNs, 2, 2, {0, 0, 0, 0, 0, 0}}); }
};

// Records what was written; can be told to fail after some audio.
struct FakeWriter : MediaWriter {
    struct Audio {
        std::int64_t firstSample;
        std::vector<float> samples;
    };
    MediaWriterSettings settings;
    std::vector<Audio> audio;
    std::vector<double> videoSec;
    int finishes = 0;
    std::optional<std::int64_t> failAtSample; // fail once audio reaches this position
    bool hasFailed = false;

    std::optional<QString> open(const MediaWriterSettings &given) override
    {
        settings = given;
        return std::nullopt;
    }
    bool appendAudio(std::int64_t firstSample, const float *samples, std::size_t count) override
    {
        if (hasFailed) {
            return false;
        }
        if (failAtSample && firstSample + std::int64_t(count) >= *failAtSample) {
            hasFailed = true;
            return false;
        }
        audio.push_back({firstSample, std::vector<float>(samples, samples + count)});
        return true;
    }
    bool appendVideo(double atSec, const VideoFrame &) override
    {
        if (hasFailed) {
            return false;
        }
        videoSec.push_back(atSec);
        return true;
    }
    bool finish() override
    {
        ++finishes;
        return !hasFailed;
    }
    bool failed() const override { return hasFailed; }
    QString errorText() const override { return hasFailed ? QStringLiteral("No space left on device") : QString(); }

    // The whole written mix as one array from sample 0 (gaps would show as a mismatch).
    std::vector<float> mix() const
    {
        std::vector<float> out;
        for (const Audio &piece : audio) {
            EXPECT_EQ(piece.firstSample, std::int64_t(out.size())) << "the mix must be gapless";
            out.insert(out.end(), piece.samples.begin(), piece.samples.end());
        }
        return out;
    }
};

} // namespace murva::test
