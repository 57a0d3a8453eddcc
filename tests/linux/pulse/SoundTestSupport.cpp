#include "SoundTestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <cmath>
#include <unistd.h>

namespace murva::test {
namespace {

std::int64_t sampleNs(const SoundBuffer &buffer, std::size_t index)
{
    return buffer.monotonicNs + static_cast<std::int64_t>(index) * kNsPerSec / 48000;
}

} // namespace

SoundCapture::Callbacks SoundLog::callbacks()
{
    SoundCapture::Callbacks callbacks;
    callbacks.deliver = [this](SoundBuffer buffer) {
        ++delivered_;
        std::lock_guard lock(mutex_);
        buffers_.push_back(std::move(buffer));
    };
    callbacks.broken = [this] { ++broken_; };
    return callbacks;
}

std::vector<SoundBuffer> SoundLog::buffers(Side side) const
{
    std::lock_guard lock(mutex_);
    std::vector<SoundBuffer> ofSide;
    for (const SoundBuffer &buffer : buffers_)
        if (buffer.side == side)
            ofSide.push_back(buffer);
    return ofSide;
}

std::optional<std::int64_t> firstLoudNs(const std::vector<SoundBuffer> &buffers, float threshold, std::int64_t fromNs)
{
    for (const SoundBuffer &buffer : buffers)
        for (std::size_t i = 0; i < buffer.samples.size(); ++i)
            if (std::abs(buffer.samples[i]) > threshold && sampleNs(buffer, i) >= fromNs)
                return sampleNs(buffer, i);
    return std::nullopt;
}

std::optional<std::int64_t> lastLoudNs(const std::vector<SoundBuffer> &buffers, float threshold)
{
    std::optional<std::int64_t> last;
    for (const SoundBuffer &buffer : buffers)
        for (std::size_t i = 0; i < buffer.samples.size(); ++i)
            if (std::abs(buffer.samples[i]) > threshold)
                last = sampleNs(buffer, i);
    return last;
}

QString toneFile()
{
    static QTemporaryDir folder;
    static const QString path = folder.filePath("tone.wav");
    static const bool written =
        runTool("sox", {"-n", "-r", "48000", "-c", "1", "-b", "16", path, "synth", QString::number(kToneSec), "sine",
                        "1000", "vol", "0.5", "pad", QString::number(kToneLeadSec), QString::number(kToneTailSec)});
    return written ? path : QString();
}

PlayWindow playInto(const QString &sink, const QString &path, const QString &server)
{
    PlayWindow window;
    window.beforeNs = monotonicNowNs();
    window.played = runTool("paplay", {"--device=" + sink, path}, nullptr, {"PULSE_SERVER=" + server});
    window.afterNs = monotonicNowNs();
    return window;
}

std::optional<double> sinkLatencySec(const QString &sink, const QString &server)
{
    QByteArray listing;
    if (!runTool("pactl", {"--format=json", "list", "sinks"}, &listing, {"PULSE_SERVER=" + server}))
        return std::nullopt;
    for (const QJsonValue &entry : QJsonDocument::fromJson(listing).array())
        if (entry["name"].toString() == sink)
            return entry["latency"]["actual"].toDouble() / 1e6;
    return std::nullopt;
}

std::vector<std::map<QString, QString>> ownSourceOutputs()
{
    QByteArray listing;
    if (!runTool("pactl", {"--format=json", "list", "source-outputs"}, &listing))
        return {};
    const QString wanted = QString::number(getpid());
    std::vector<std::map<QString, QString>> outputs;
    for (const QJsonValue &entry : QJsonDocument::fromJson(listing).array()) {
        const QJsonObject properties = entry.toObject().value("properties").toObject();
        if (properties.value("application.process.id").toString() != wanted)
            continue;
        std::map<QString, QString> copy;
        for (auto it = properties.begin(); it != properties.end(); ++it)
            copy[it.key()] = it.value().toString();
        outputs.push_back(std::move(copy));
    }
    return outputs;
}

} // namespace murva::test
