#include "SoundTestSupport.h"

#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QThread>

#include <cmath>
#include <csignal>
#include <ctime>
#include <unistd.h>

namespace murva::test {
namespace {

bool runTool(const QString &program, const QStringList &arguments, QByteArray *output = nullptr,
             const QString &server = {})
{
    QProcess process;
    if (!server.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("PULSE_SERVER", server);
        process.setProcessEnvironment(environment);
    }
    process.start(program, arguments);
    if (!process.waitForFinished(15000))
        return false;
    if (output)
        *output = process.readAllStandardOutput();
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

std::int64_t sampleNs(const SoundBuffer &buffer, std::size_t index)
{
    return buffer.monotonicNs + static_cast<std::int64_t>(index) * 1'000'000'000 / 48000;
}

} // namespace

std::int64_t monotonicNowNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

SoundCapture::Callbacks SoundLog::callbacks()
{
    SoundCapture::Callbacks callbacks;
    callbacks.deliver = [this](SoundBuffer buffer) {
        ++delivered_;
        std::lock_guard lock(mutex_);
        buffers_.push_back(std::move(buffer));
    };
    callbacks.broken = [this] {
        if (broken_++ == 0)
            brokenAtNs_ = monotonicNowNs();
    };
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

std::optional<std::int64_t> firstLoudNs(const std::vector<SoundBuffer> &buffers, float threshold)
{
    for (const SoundBuffer &buffer : buffers)
        for (std::size_t i = 0; i < buffer.samples.size(); ++i)
            if (std::abs(buffer.samples[i]) > threshold)
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

bool writeToneFile(const QString &path, double leadSec, double toneSec, double tailSec)
{
    return runTool("sox", {"-n", "-r", "48000", "-c", "1", "-b", "16", path, "synth", QString::number(toneSec),
                           "sine", "1000", "vol", "0.5", "pad", QString::number(leadSec),
                           QString::number(tailSec)});
}

PlayWindow playInto(const QString &sink, const QString &path, const QString &server)
{
    PlayWindow window;
    window.beforeNs = monotonicNowNs();
    window.played = runTool("paplay", {"--device=" + sink, path}, nullptr, server);
    window.afterNs = monotonicNowNs();
    return window;
}

std::optional<double> sinkLatencySec(const QString &sink, const QString &server)
{
    QByteArray listing;
    if (!runTool("pactl", {"list", "sinks"}, &listing, server))
        return std::nullopt;
    bool inSink = false;
    for (const QByteArray &rawLine : listing.split('\n')) {
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.startsWith("Name: "))
            inSink = line.mid(6) == sink;
        else if (inSink && line.startsWith("Latency: "))
            return line.section(' ', 1, 1).toDouble() / 1e6;
    }
    return std::nullopt;
}

std::vector<std::map<QString, QString>> ownSourceOutputs(const QString &server)
{
    QByteArray listing;
    if (!runTool("pactl", {"list", "source-outputs"}, &listing, server))
        return {};
    std::vector<std::map<QString, QString>> outputs;
    for (const QByteArray &rawLine : listing.split('\n')) {
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.startsWith("Source Output #")) {
            outputs.push_back({{"index", line.mid(15)}});
            continue;
        }
        const qsizetype equals = line.indexOf(" = ");
        if (outputs.empty() || equals < 0)
            continue;
        QString value = line.mid(equals + 3);
        if (value.startsWith('"') && value.endsWith('"'))
            value = value.mid(1, value.size() - 2);
        outputs.back()[line.left(equals)] = value;
    }
    const QString pid = QString::number(getpid());
    std::erase_if(outputs, [&](const auto &properties) {
        const auto found = properties.find("application.process.id");
        return found == properties.end() || found->second != pid;
    });
    return outputs;
}

PrivateSoundServer::PrivateSoundServer()
{
    const QString runtime = folder_.path() + "/runtime";
    const QString home = folder_.path() + "/home";
    QDir().mkpath(runtime);
    QDir().mkpath(home);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_RUNTIME_DIR", runtime);
    environment.insert("HOME", home);
    environment.remove("PULSE_SERVER");
    process_.setProcessEnvironment(environment);
    process_.setProcessChannelMode(QProcess::MergedChannels);
    process_.start("pulseaudio",
                   {"--daemonize=no", "--exit-idle-time=-1", "--disallow-exit=yes", "--use-pid-file=no", "-n",
                    "--load=module-native-protocol-unix auth-anonymous=1 socket=" + folder_.path() + "/native"});
    if (!process_.waitForStarted(5000))
        return;
    QElapsedTimer waited;
    waited.start();
    while (!control({"info"})) {
        if (waited.elapsed() > 10000)
            return;
        QThread::msleep(50);
    }
    QByteArray index;
    running_ = control({"load-module", "module-null-sink", "sink_name=speakers"}, &index)
        && control({"load-module", "module-null-sink", "sink_name=micfeed"})
        && control({"load-module", "module-remap-source", "source_name=mic", "master=micfeed.monitor"})
        && control({"set-default-sink", "speakers"}) && control({"set-default-source", "mic"});
    speakersModule_ = QString::fromUtf8(index).trimmed();
}

bool PrivateSoundServer::control(const QStringList &arguments, QByteArray *output)
{
    return runTool("pactl", arguments, output, QString::fromStdString(address()));
}

bool PrivateSoundServer::removeSpeakers()
{
    return control({"unload-module", speakersModule_});
}

bool PrivateSoundServer::addOutput(const QString &sink)
{
    return control({"load-module", "module-null-sink", "sink_name=" + sink}) && control({"set-default-sink", sink});
}

bool PrivateSoundServer::addMicrophone(const QString &source)
{
    const QString feed = source + "feed";
    return control({"load-module", "module-null-sink", "sink_name=" + feed})
        && control({"load-module", "module-remap-source", "source_name=" + source, "master=" + feed + ".monitor"})
        && control({"set-default-source", source});
}

PrivateSoundServer::~PrivateSoundServer()
{
    kill();
}

std::string PrivateSoundServer::address() const
{
    return "unix:" + (folder_.path() + "/native").toStdString();
}

void PrivateSoundServer::kill()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    ::kill(static_cast<pid_t>(process_.processId()), SIGKILL);
    process_.waitForFinished(5000);
}

} // namespace murva::test
