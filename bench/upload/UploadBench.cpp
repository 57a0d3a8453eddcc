// bench-upload: what uploading a recording costs. Sends a 1 GiB file to a private
// murva-dev-service on loopback with Upload::put, and the same file with `curl -T`, and
// compares the throughput of the two; also measures how far the uploading process's
// resident memory rises above where it stood before the upload (the file must stream
// from disk, never sit in memory).
//
//   bench-upload [--mib N] [--rounds N]
//
// Other arguments (scripts/bench hands every benchmark its own) are ignored.

#include "api/RecorderAPI.h"
#include "saving/Upload.h"

#include <QCoreApplication>
#include <QCoroTask>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <fstream>
#include <optional>
#include <string>

namespace {

using namespace murva;

constexpr double kPeakGoalMb = 60;
constexpr double kRatioGoal = 0.9;

struct Options {
    qint64 mib = 1024;
    int rounds = 2;
};

Options parse(int argc, char **argv)
{
    Options options;
    for (int at = 1; at + 1 < argc; ++at) {
        const std::string argument = argv[at];
        if (argument == "--mib") {
            options.mib = std::max(1, std::atoi(argv[++at]));
        } else if (argument == "--rounds") {
            options.rounds = std::max(1, std::atoi(argv[++at]));
        }
    }
    return options;
}

// A /proc/self/status figure in MB.
double statusMb(const char *field)
{
    std::ifstream status("/proc/self/status");
    const std::string prefix = std::string(field) + ":";
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(prefix, 0) == 0) {
            return std::atof(line.c_str() + prefix.size()) / 1024.0;
        }
    }
    return 0;
}

// Makes VmHWM start again from the current resident size (Linux 4.0 and later).
bool resetPeak()
{
    std::ofstream clearRefs("/proc/self/clear_refs");
    clearRefs << "5";
    clearRefs.flush();
    return clearRefs.good();
}

class Service {
public:
    bool start()
    {
        process_.setProgram(QStringLiteral(MURVA_DEV_SERVICE));
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start();
        if (!process_.waitForStarted(5000) || !process_.waitForReadyRead(5000)) {
            return false;
        }
        const QByteArray line = process_.readLine().trimmed();
        const QByteArray marker = "listening on ";
        const qsizetype at = line.indexOf(marker);
        if (at < 0) {
            return false;
        }
        base_ = QUrl(QString::fromUtf8(line.mid(at + marker.size())));
        return base_.isValid();
    }

    ~Service()
    {
        process_.terminate();
        process_.waitForFinished(5000);
    }

    const QUrl &base() const { return base_; }

    QString issueToken()
    {
        return control("/control/token", QJsonObject{{"email", "bench@example.com"}}).value("accessToken").toString();
    }

private:
    QJsonObject control(const QString &path, const QJsonObject &body)
    {
        QNetworkAccessManager network;
        QUrl url = base_;
        url.setPath(path);
        QNetworkRequest request(url);
        request.setHeader(QNetworkRequest::ContentTypeHeader, "application/json");
        QNetworkReply *reply = network.post(request, QJsonDocument(body).toJson());
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
        const QJsonObject answer = QJsonDocument::fromJson(reply->readAll()).object();
        delete reply;
        return answer;
    }

    QProcess process_;
    QUrl base_;
};

bool writeFile(const QString &path, qint64 mib)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    QByteArray chunk(1024 * 1024, Qt::Uninitialized);
    QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(chunk.data()), chunk.size() / 4);
    for (qint64 written = 0; written < mib; ++written) {
        chunk[0] = char(written); // no two chunks alike
        if (file.write(chunk) != chunk.size()) {
            return false;
        }
    }
    return true;
}

struct Run {
    double seconds = 0;
    double peakAboveBaselineMb = 0;
};

BeginReply beginUpload(const RecorderAPI &api, qint64 bytes)
{
    const BeginRequest request =
        BeginRequest::make("bench", std::chrono::system_clock::now(), std::nullopt, bytes, 60, {});
    return QCoro::waitFor(api.begin(request));
}

std::optional<Run> uploadWithUs(const RecorderAPI &api, const QString &file, qint64 bytes)
{
    const BeginReply begun = beginUpload(api, bytes);
    if (!resetPeak()) {
        std::fprintf(stderr, "bench-upload: cannot reset the peak memory figure\n");
    }
    const double baselineMb = statusMb("VmRSS");
    // Sampled as well, in case the kernel's high-water mark was not reset.
    double sampledPeakMb = baselineMb;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] { sampledPeakMb = std::max(sampledPeakMb, statusMb("VmRSS")); });
    sampler.start(50);
    QElapsedTimer timer;
    timer.start();
    try {
        QCoro::waitFor(Upload::put(file, begun.uploadUrl, {}));
    } catch (SaveError error) {
        std::fprintf(stderr, "bench-upload: our upload failed: %s\n", qPrintable(rawValue(error)));
        return std::nullopt;
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    sampler.stop();
    const double peakMb = std::max(statusMb("VmHWM"), sampledPeakMb);
    Run result{seconds, peakMb - baselineMb};
    QCoro::waitFor(api.cancel(begun.meetingId)); // the service drops the stored copy
    return result;
}

std::optional<Run> uploadWithCurl(const RecorderAPI &api, const QString &file, qint64 bytes)
{
    const BeginReply begun = beginUpload(api, bytes);
    QProcess curl;
    QElapsedTimer timer;
    timer.start();
    curl.start(QStringLiteral("curl"), {"-sS", "-o", "/dev/null", "-w", "%{http_code}", "-H", "Content-Type: video/mp4",
                                        "-T", file, begun.uploadUrl.toString()});
    if (!curl.waitForFinished(-1) || curl.exitCode() != 0 || curl.readAllStandardOutput() != "200") {
        std::fprintf(stderr, "bench-upload: curl failed: %s\n", curl.readAllStandardError().constData());
        return std::nullopt;
    }
    Run result{timer.nsecsElapsed() / 1e9, 0};
    QCoro::waitFor(api.cancel(begun.meetingId));
    return result;
}

int benchmark(const Options &options)
{
    Service service;
    if (!service.start()) {
        std::fprintf(stderr, "bench-upload: the local service did not start\n");
        return 1;
    }
    const QString token = service.issueToken();
    const RecorderAPI api(service.base(), [token]() -> QCoro::Task<std::optional<QString>> {
        co_return std::optional<QString>(token);
    });

    QTemporaryDir folder(QStringLiteral("/tmp/murva-bench-upload-XXXXXX"));
    const QString file = folder.filePath(QStringLiteral("video.mp4"));
    const qint64 bytes = options.mib * 1024 * 1024;
    if (!folder.isValid() || !writeFile(file, options.mib)) {
        std::fprintf(stderr, "bench-upload: cannot write the test file\n");
        return 1;
    }
    std::printf("upload: %lld MiB to %s, best of %d rounds each\n", static_cast<long long>(options.mib),
                qPrintable(service.base().toString()), options.rounds);

    double oursBest = 1e300;
    double curlBest = 1e300;
    double peakWorst = 0;
    for (int round = 0; round < options.rounds; ++round) {
        const std::optional<Run> viaCurl = uploadWithCurl(api, file, bytes);
        const std::optional<Run> ours = uploadWithUs(api, file, bytes);
        if (!viaCurl || !ours) {
            return 1;
        }
        std::printf("  round %d: Upload::put %.2f s (peak +%.1f MB), curl -T %.2f s\n", round + 1, ours->seconds,
                    ours->peakAboveBaselineMb, viaCurl->seconds);
        oursBest = std::min(oursBest, ours->seconds);
        curlBest = std::min(curlBest, viaCurl->seconds);
        peakWorst = std::max(peakWorst, ours->peakAboveBaselineMb);
    }
    const double mb = bytes / 1e6;
    const double ratio = curlBest / oursBest;
    std::printf("  throughput Upload::put %.0f MB/s, curl -T %.0f MB/s: %.0f %% of curl (goal >= %.0f %%): %s\n",
                mb / oursBest, mb / curlBest, ratio * 100, kRatioGoal * 100, ratio >= kRatioGoal ? "met" : "MISSED");
    std::printf("  peak memory above baseline %.1f MB (goal < %.0f MB): %s\n", peakWorst, kPeakGoalMb,
                peakWorst < kPeakGoalMb ? "met" : "MISSED");
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const Options options = parse(argc, argv);
    QCoreApplication application(argc, argv);
    return benchmark(options);
}
