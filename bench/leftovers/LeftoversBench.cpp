// bench-leftovers: what launching costs when a killed recording of many hours waits on
// disk. Synthesises a fragmented MPEG-4 file of that length with the ffmpeg command line
// (a minute encoded once, repeated by stream copy, then cut inside its last fragment as a
// killed recorder leaves it), launches the model on it with the real media inspector
// and fakes for everything else, and reports
//   - the time from launch() to the first turn of the event loop, and the bytes read by
//     then (rchar of /proc/self/io);
//   - the time and bytes until the leftover's save starts, and the duration found.
//
//   bench-leftovers [--hours N] [--file PATH]
//
// --file reuses a file made earlier (it is linked into the store, never changed).
// Other arguments (scripts/bench hands every benchmark its own) are ignored.

#include "ModelFakes.h"

#include "media/LibavMediaInspector.h"
#include "settings/Settings.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

using namespace murva;
using namespace murva::test;

constexpr double kWaitForSaveSec = 1800;

struct Options {
    double hours = 8;
    QString file;
};

Options parse(int argc, char **argv)
{
    Options options;
    for (int at = 1; at + 1 < argc; ++at) {
        const std::string argument = argv[at];
        if (argument == "--hours") {
            options.hours = std::max(0.01, std::atof(argv[++at]));
        } else if (argument == "--file") {
            options.file = QString::fromLocal8Bit(argv[++at]);
        }
    }
    return options;
}

// Bytes this process has read through system calls, page cache or not.
qint64 bytesRead()
{
    std::ifstream io("/proc/self/io");
    for (std::string line; std::getline(io, line);) {
        if (line.rfind("rchar:", 0) == 0) {
            return std::atoll(line.c_str() + 6);
        }
    }
    return 0;
}

bool ffmpeg(const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(QStringLiteral("ffmpeg"), QStringList{"-nostdin", "-v", "error", "-y"} + arguments);
    return process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// A recording as the recorder writes it (1 Mb/s pictures at 15 fps, AAC sound, 10-s
// fragments), killed inside its last fragment: no trailer, a cut fragment.
std::optional<QString> synthesise(const QString &folder, double hours)
{
    const QString minute = folder + "/minute.mp4";
    const QString whole = folder + "/leftover.mp4";
    const bool made =
        ffmpeg({"-f", "lavfi", "-i", "testsrc2=size=1280x720:rate=15", "-f", "lavfi", "-i",
                "sine=frequency=440:sample_rate=48000", "-t", "60", "-c:v", "libx264", "-preset", "ultrafast",
                "-b:v", "1M", "-g", "60", "-bf", "0", "-pix_fmt", "yuv420p", "-c:a", "aac", "-b:a", "96k", "-ac",
                "1", minute})
        && ffmpeg({"-stream_loop", "-1", "-i", minute, "-t", QString::number(hours * 3600), "-c", "copy",
                   "-movflags", "+empty_moov+default_base_moof+skip_trailer", "-frag_duration", "10000000",
                   whole});
    QFile::remove(minute);
    if (!made) {
        return std::nullopt;
    }
    // Half a fragment off the end.
    QFile::resize(whole, QFile(whole).size() - 700 * 1000);
    return whole;
}

// The service of the tests, telling when a save starts.
struct ObservedService : FakeService {
    std::function<void(const Recording &)> onSave;
    QCoro::Task<Saver::Outcome> save(const std::optional<QString> &account, const Recording &recording,
                                     const Upload::Progress &progress) override
    {
        if (onSave) {
            onSave(recording);
        }
        return FakeService::save(account, recording, progress);
    }
};

struct Figures {
    double firstTurnMs = -1;
    qint64 firstTurnBytes = 0;
    double saveStartMs = -1;
    qint64 saveStartBytes = 0;
    double durationSec = 0;
};

Figures launchOn(const QString &video, const QString &folder)
{
    auto store = std::make_shared<RecordingStore>(folder + "/Recordings");
    Recording leftover(QStringLiteral("LEFTOVER"), QStringLiteral("Long call"), CallApp::meet,
                       std::chrono::system_clock::now());
    leftover.status = Recording::Status::recording;
    store->put(leftover);
    // A link, so that whatever the model does to its copy leaves the made file alone.
    QFile::remove(store->videoPath(leftover.id));
    if (::link(QFile::encodeName(video).constData(), QFile::encodeName(store->videoPath(leftover.id)).constData()) != 0) {
        QFile::copy(video, store->videoPath(leftover.id));
    }

    auto accounts = std::make_shared<FakeAccounts>();
    accounts->list = {FakeAccounts::account(QStringLiteral("A"))};
    accounts->active = QStringLiteral("A");
    auto service = std::make_shared<ObservedService>();
    ModelParts parts;
    parts.makeCapture = [](const QString &, bool) -> std::unique_ptr<RecordingCapture> { return nullptr; };
    parts.store = store;
    parts.watcher = std::make_unique<CallWatcher>(std::make_unique<NoProcesses>(), std::make_shared<ScreenAccess>());
    parts.accounts = accounts;
    parts.service = service;
    parts.inspector = std::make_shared<LibavMediaInspector>();
    Model model(std::move(parts));

    Figures figures;
    QEventLoop loop;
    QElapsedTimer clock;
    const qint64 before = bytesRead();
    service->onSave = [&](const Recording &recording) {
        figures.saveStartMs = double(clock.nsecsElapsed()) / 1e6;
        figures.saveStartBytes = bytesRead() - before;
        figures.durationSec = recording.durationSec;
        if (figures.firstTurnMs >= 0) {
            loop.quit();
        }
    };
    QTimer::singleShot(0, &loop, [&] {
        figures.firstTurnMs = double(clock.nsecsElapsed()) / 1e6;
        figures.firstTurnBytes = bytesRead() - before;
        if (figures.saveStartMs >= 0) {
            loop.quit();
        }
    });
    QTimer::singleShot(int(kWaitForSaveSec * 1000), &loop, &QEventLoop::quit);
    clock.start();
    model.launch();
    loop.exec();
    return figures;
}

} // namespace

int main(int argc, char **argv)
{
    const Options options = parse(argc, argv);
    QTemporaryDir home;
    for (const char *name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_STATE_HOME"}) {
        qputenv(name, home.path().toLocal8Bit() + "/" + name);
    }
    QCoreApplication app(argc, argv);
    Settings settings;
    settings.setScreenChecked(true);
    settings.setLoginItemSet(true);

    QString video = options.file;
    if (video.isEmpty()) {
        std::printf("making a %.2f-hour leftover...\n", options.hours);
        std::fflush(stdout);
        const std::optional<QString> made = synthesise(home.path(), options.hours);
        if (!made) {
            std::fprintf(stderr, "bench-leftovers: ffmpeg could not make the file\n");
            return 1;
        }
        video = *made;
    }
    const qint64 fileBytes = QFile(video).size();
    const Figures figures = launchOn(video, home.path());
    std::printf("leftover: %.1f MB\n", double(fileBytes) / 1e6);
    std::printf("first event-loop turn after launch(): %.1f ms, %.1f MB read\n", figures.firstTurnMs,
                double(figures.firstTurnBytes) / 1e6);
    if (figures.saveStartMs < 0) {
        std::printf("the leftover's save never started\n");
        return 1;
    }
    std::printf("save started after %.1f ms, %.1f MB read (%.2f x the file), duration %.1f s\n",
                figures.saveStartMs, double(figures.saveStartBytes) / 1e6,
                double(figures.saveStartBytes) / double(std::max<qint64>(fileBytes, 1)), figures.durationSec);
    return 0;
}
